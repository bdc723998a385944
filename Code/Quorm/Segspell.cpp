// Segment spelling.
#include "Code/Quorm/Segspell.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Code/Quorm/Candlist.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Spell.h"
#include "Code/Quorm/Segpaths.h"

namespace {

struct Partial {
  int32_t cost;
  char text[kMaxSegmentCharacters + 1];
  int32_t length;
  int32_t classifierCost;
};

const CandidateList* ListAt(const SegmentReading& r, int32_t i) { return FindCandidateList(r.cuts[i], r.cuts[i + 1]); }

int32_t BestIndex(const CandidateList& l) {
  int32_t best = 0;
  for (int32_t k = 1; k < l.count; ++k)
    if (AlternativeCost(l, k) < AlternativeCost(l, best)) best = k;
  return best;
}

}  // namespace

bool SyllablePattern(const char* text, int32_t length) {
  int state = 0;
  for (int32_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const bool letter = IsLetterChar(c), digit = IsDigitChar(c);
    int next = state;
    switch (state) {
      case 0:
        if (letter) next = IsLowerCase(c) ? 3 : 1;
        if (digit) next = 2;
        if (c == '~') next = 7;
        break;
      case 1:
        if (digit) next = 7;
        if (IsLowerCase(c)) next = 3;
        if (!IsWordMiddle(c)) next = 5;
        break;
      case 2:
        if (letter) next = 7;
        if (!IsNumberMiddle(c)) next = 4;
        break;
      case 3:
        if (digit) next = 7;
        if (IsUpperCase(c)) next = 7;
        if (!IsWordMiddle(c)) next = 6;
        break;
      case 4:
        if (letter) next = 7;
        if (!digit) next = 7;
        break;
      case 5:
        if (letter) next = 7;
        if (!digit) next = 7;
        if (IsLowerCase(c)) next = 6;
        break;
      case 6:
        if (letter) next = 7;
        if (!digit) next = 7;
        if (IsUpperCase(c)) next = 7;
        break;
      case 7:
        return false;
      default:
        EngineAssertFail(__FILE__, __LINE__);
    }
    state = next;
  }
  return true;
}

void SpellSegment(SegmentReading* r, int32_t keep, int mode) {
  ENGINE_CHECK_POINTER(r);
  ENGINE_CHECK(r->count >= 0 && r->count <= kMaxSegmentCharacters);
  ENGINE_CHECK(keep >= 1);
  const int32_t L = r->count;
  r->spellingCost = 0;
  r->readingCost = 0;
  r->confidenceCost = kUnreadConfidenceCost;
  r->shapeCost = 0;
  std::memset(r->text, 0, sizeof r->text);
  if (L == 0) return;
  // 1. The raw text.
  bool unread = false;
  for (int32_t i = 0; i < L; ++i) {
    const CandidateList* l = ListAt(*r, i);
    if (l == nullptr || l->count == 0) {
      r->text[i] = '~';
      unread = true;
    } else {
      r->text[i] = static_cast<char>(l->character[BestIndex(*l)]);
    }
  }
  // 2. An unreadable position.
  if (unread) {
    r->spellingCost = SaturateToInt32((static_cast<int64_t>(L) + 12) * 5120);
    r->readingCost = r->spellingCost;
    r->confidenceCost = kUnreadConfidenceCost;
    return;
  }
  // 3. Readings, cheapest first, position by position.
  std::vector<Partial> readings, next;
  for (int32_t i = 0; i < L; ++i) {
    const CandidateList& l = *ListAt(*r, i);
    // Candidates of the position by cost.
    int32_t order[kMaxCharacterChoices];
    for (int32_t k = 0; k < l.count; ++k) order[k] = k;
    std::stable_sort(order, order + l.count, [&](int32_t a, int32_t b) { return AlternativeCost(l, a) < AlternativeCost(l, b); });
    next.clear();
    if (i == 0) {
      for (int32_t j = 0; j < l.count && static_cast<int32_t>(next.size()) < keep; ++j) {
        Partial p{};
        p.cost = AlternativeCost(l, order[j]);
        p.classifierCost = p.cost;
        p.text[0] = static_cast<char>(l.character[order[j]]);
        p.length = 1;
        if (j > 0 && !SyllablePattern(p.text, 1)) continue;
        next.push_back(p);
      }
    } else {
      // Merge: every (partial, candidate) pair, cheapest first.
      struct Pair {
        int64_t cost;
        int32_t partial, candidate;
      };
      std::vector<Pair> pairs;
      for (int32_t a = 0; a < static_cast<int32_t>(readings.size()); ++a)
        for (int32_t j = 0; j < l.count; ++j)
          pairs.push_back({static_cast<int64_t>(readings[a].cost) + AlternativeCost(l, order[j]), a, j});
      std::stable_sort(pairs.begin(), pairs.end(), [](const Pair& x, const Pair& y) { return x.cost < y.cost; });
      for (size_t q = 0; q < pairs.size() && static_cast<int32_t>(next.size()) < keep; ++q) {
        if (pairs[q].cost >= kNoPathCost) break;
        Partial p = readings[pairs[q].partial];
        const int32_t k = order[pairs[q].candidate];
        p.cost = static_cast<int32_t>(pairs[q].cost);
        p.classifierCost += AlternativeCost(l, k);
        p.text[p.length++] = static_cast<char>(l.character[k]);
        if (q > 0 && !SyllablePattern(p.text, p.length)) continue;
        next.push_back(p);
      }
    }
    readings.swap(next);
    if (readings.empty()) break;
  }
  if (readings.empty()) {
    r->spellingCost = SaturateToInt32((static_cast<int64_t>(L) + 12) * 5120);
    r->readingCost = r->spellingCost;
    r->confidenceCost = kUnreadConfidenceCost;
    return;
  }
  // 4. Score the complete readings.
  int32_t chosen = 0;
  int64_t best = 0;
  int32_t bestSpelling = 0;
  for (int32_t a = 0; a < static_cast<int32_t>(readings.size()); ++a) {
    const int32_t spelling = SpellWordCost(readings[a].text, mode);
    const int64_t total = static_cast<int64_t>(spelling) + std::llabs(static_cast<long long>(readings[a].cost));
    if (a == 0 || total < best) {
      best = total;
      chosen = a;
      bestSpelling = spelling;
    }
  }
  const Partial& win = readings[chosen];
  std::memcpy(r->text, win.text, sizeof r->text);
  // The spelling cost kept is the word's own; the reading cost is the total
  // the reading won by, with its characters' classifier costs (which the
  // record of the word counts once, as the shape cost below).
  r->spellingCost = bestSpelling;
  r->readingCost = SaturateToInt32(best);
  // 5. Confidence, from the classifier's costs before the line's scaling.
  const int32_t factor = std::max(1, GetCandidateCostFactor());
  double a = std::exp(-static_cast<double>(win.classifierCost) / factor / 1024.0);
  double b;
  if (L < 32) {
    b = std::pow(0.9, L + 2);
    if (mode == 0) b *= std::pow(0.25, std::max(0, (bestSpelling / L - 3000) / 1000));
  } else {
    b = 0.00001;
  }
  a = std::min(0.99999, std::max(0.00001, a));
  b = std::min(0.99999, std::max(0.00001, b));
  r->confidenceCost = RoundToInt(-std::log(1.0 / (std::sqrt((1 - a) * (1 - b) / (a * b)) + 1)) * 1024);
  // 6. Shape cost: the width-weighted mean of the chosen characters' costs,
  // times the number of positions.
  int64_t weighted = 0, widths = 0;
  for (int32_t i = 0; i < L; ++i) {
    const CandidateList& l = *ListAt(*r, i);
    int32_t k = 0;
    while (k < l.count && l.character[k] != static_cast<unsigned char>(win.text[i])) ++k;
    const int32_t cost = k < l.count ? AlternativeCost(l, k) : ScaleCandidateCost(kMaxAlternativeCost);
    const int32_t w = std::max(1, l.right - l.left);
    weighted += static_cast<int64_t>(cost) * w;
    widths += w;
  }
  r->shapeCost = SaturateToInt32(weighted / std::max<int64_t>(1, widths) * L);
}
