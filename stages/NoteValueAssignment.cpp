#include "stages/NoteValueAssignment.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "stages/StemCandidates.h"

namespace {

bool Has(const NoteRecord& n, int c) { return n.stemLength[c] >= 1; }
int Chosen(const NoteRecord& n) { return static_cast<int>(2 * (n.stemDown != 0) + (n.stemRight != 0)); }
bool Real(const NoteRecord& n, int c) { return Has(n, c) && StemStrengthOf(n, c) - 1 >= 1; }
bool OverlapX(const NoteRecord& a, const NoteRecord& b) { return a.left <= b.right && b.left <= a.right; }
bool VotingKind(uint32_t kind) { return kind < kNoteSemibreve || kind == kNoteTabNumber; }

void ClearStemFields(NoteRecord& n) { n.stemDown = n.stemRight = n.beamed = n.countRight = 0; }

// Inserts a copy of note i at i + 1, with its four stem records.
void SplitHead(NoteValueWork& work, uint32_t i) {
  uint32_t& count = *work.noteCount;
  const uint32_t later = count - i - 1;
  std::memmove(&work.notes[i + 2], &work.notes[i + 1], later * sizeof(NoteRecord));
  work.notes[i + 1] = work.notes[i];
  for (StemRecord* stems : work.stems) {
    std::memmove(&stems[i + 2], &stems[i + 1], later * sizeof(StemRecord));
    stems[i + 1] = stems[i];
  }
  ++count;
}

// The far end's extent from the chosen candidate's marks.
void SetStemEnd(NoteRecord& n, const StemRecord& r, float half) {
  int32_t lo = INT_MAX, hi = INT_MIN;
  for (const StemSide* s : {&r.left, &r.right}) {
    if (s->markCount == 0) continue;
    const int marks = std::max<int>(1, std::min<int>(s->stubCount, 5));
    for (int k = 0; k < marks; ++k) {
      lo = std::min<int32_t>(lo, s->markTop[k]);
      hi = std::max<int32_t>(hi, s->markBottom[k]);
    }
  }
  if (lo > hi) return;
  n.stemEndTop = static_cast<int16_t>(std::max<int32_t>(INT16_MIN, lo - static_cast<int32_t>(half)));
  n.stemEndBottom = static_cast<int16_t>(std::min<int32_t>(INT16_MAX, hi + static_cast<int32_t>(half)));
}

void ValueFromMarks(NoteValueWork& work, uint32_t i) {
  NoteRecord& n = work.notes[i];
  if (n.kind > kNoteCrotchet) {
    n.beamed = n.countRight = 0;
    return;
  }
  const StemRecord& r = work.stems[Chosen(n)][i];
  int left = r.left.markCount, right = r.right.markCount;
  const bool leftCross = (r.sideFlags & kLeftSideCrossesStave) != 0;
  const bool rightCross = (r.sideFlags & kRightSideCrossesStave) != 0;
  if (leftCross != rightCross) {
    // The side whose marks cross to another stave gives way.
    if (leftCross && right > 0) left = 0;
    if (rightCross && left > 0) right = 0;
  }
  const bool useRight = left < right;
  const int marks = useRight ? right : left;
  const uint32_t beamBit = useRight ? kRightSideBeams : kLeftSideBeams;
  const uint32_t crossBit = useRight ? kRightSideCrossesStave : kLeftSideCrossesStave;
  if (n.kind == kNoteCrotchet || n.countRight) {
    n.beamed = (r.sideFlags & beamBit) ? 1 : 0;
    n.countRight = useRight && left == 0 ? 1 : 0;
  }
  n.kind = static_cast<uint32_t>(std::max(3, std::min(static_cast<int>(n.kind), 5 - marks)));
  if (n.kind < kNoteCrotchet && n.beamed && !(r.sideFlags & crossBit)) n.quality = kOwnBeamQuality;
  NoteStave st;
  if (NoteStaveOf(work, n, &st)) SetStemEnd(n, r, st.half);
}

// A head the engine found keeps the value the engine read from the head's own
// flags and beams, on the page with its stave lines taken out. This step's
// scan runs over the lines: a line met beside a stem reads as a beam, and a
// flag that curls back to its stem fails the straight flag probes. The scan
// still chooses the head's stem and the far end of it.
struct EngineValue {
  uint32_t kind, beamed, countRight;
  int16_t quality;
};

void KeepEngineValue(NoteRecord& n, const EngineValue& engine) {
  if (engine.kind > kNoteCrotchet || n.kind > kNoteCrotchet) return;
  n.kind = engine.kind;
  n.beamed = engine.beamed;
  n.countRight = engine.countRight;
  if (n.quality == kOwnBeamQuality && !(n.beamed && n.kind < kNoteCrotchet)) n.quality = engine.quality;
}

}  // namespace

void AssignNoteValues(NoteValueWork& work) {
  NoteRecord* notes = work.notes;
  bool splitBefore = false;
  for (uint32_t i = 0; i < *work.noteCount; ++i) {
    NoteRecord& n = notes[i];
    const bool continuesSplit = splitBefore;
    splitBefore = false;
    if (n.kind >= kNoteSemibreve) {
      ClearStemFields(n);
      continue;
    }
    const bool engineHead = n.origin >= kConfirmedOrigin && !continuesSplit;
    const EngineValue engine{n.kind, n.beamed, n.countRight, n.quality};
    if (n.origin >= kConfirmedOrigin) {
      if (n.uncertain && n.beamed && n.kind < kNoteCrotchet) continue;
      if (n.kind < kNoteCrotchet) n.kind = kNoteCrotchet;
    }
    if (continuesSplit) {
      ValueFromMarks(work, i);
      continue;
    }
    const bool twoStems = (Real(n, 0) && Real(n, 3)) || (Real(n, 1) && Real(n, 2));
    if (twoStems && *work.noteCount < static_cast<uint32_t>(kNoteListLimit - 1)) {
      bool lower = false, higher = false;
      int nearest = -1, nearestGap = INT_MAX;
      for (uint32_t j = 0; j < *work.noteCount; ++j) {
        const NoteRecord& m = notes[j];
        if (j == i || !IsLiveNote(m) || m.stave != n.stave || !VotingKind(m.kind) || !OverlapX(n, m)) continue;
        lower |= m.step < n.step;
        higher |= m.step > n.step;
        const int gap = std::abs(m.step - n.step);
        if (gap < nearestGap) nearestGap = gap, nearest = static_cast<int>(j);
      }
      if (lower || higher) {
        if (lower && !higher) {
          RemoveStemCandidate(n, 2), RemoveStemCandidate(n, 3);
        } else if (higher && !lower) {
          RemoveStemCandidate(n, 0), RemoveStemCandidate(n, 1);
        } else if (Has(notes[nearest], 0)) {
          RemoveStemCandidate(n, 2), RemoveStemCandidate(n, 3);
        } else if (!Has(notes[nearest], 1)) {
          RemoveStemCandidate(n, 0), RemoveStemCandidate(n, 1);
        } else {
          RemoveStemCandidate(n, 2), RemoveStemCandidate(n, 3);
        }
      } else {
        // Two voices on one head: the down-stem note first, then the up-stem one.
        SplitHead(work, i);
        NoteRecord& down = notes[i];
        NoteRecord& up = notes[i + 1];
        down.stemDown = 1;
        down.aux = 1;
        down.stemRight = down.stemLength[2] < down.stemLength[3] ? 1 : 0;
        up.stemDown = 0;
        up.stemRight = up.stemLength[0] <= up.stemLength[1] ? 1 : 0;
        ValueFromMarks(work, i);
        splitBefore = true;
        continue;
      }
    }
    // One stem.
    if (!Has(n, 0) && !Has(n, 1) && !Has(n, 2) && !Has(n, 3)) {
      n.quality = kNoStemQuality;
      ClearStemFields(n);
      continue;
    }
    if (!Has(n, 0) && !Has(n, 1)) {
      n.aux = 1;
      n.stemDown = 1;
      n.stemRight = n.stemLength[2] < n.stemLength[3] ? 1 : 0;
    } else {
      n.stemDown = 0;
      n.stemRight = n.stemLength[0] <= n.stemLength[1] ? 1 : 0;
    }
    ValueFromMarks(work, i);
    if (engineHead) KeepEngineValue(n, engine);
  }
}

void VoteChordValues(NoteValueWork& work) {
  NoteRecord* notes = work.notes;
  const uint32_t count = *work.noteCount;
  for (uint32_t i = 0; i < count; ++i) {
    NoteRecord& n = notes[i];
    if (!IsLiveNote(n) || !VotingKind(n.kind)) continue;
    NoteStave st;
    if (!NoteStaveOf(work, n, &st)) continue;
    int tally[32] = {};
    int certainty[2] = {};
    auto add = [&](const NoteRecord& r) {
      const int weight = r.origin < kConfirmedOrigin ? 1 : 4;
      tally[(r.kind & 15) + (r.beamed ? 16 : 0)] += weight;
      certainty[r.uncertain ? 1 : 0] += weight;
    };
    auto partner = [&](uint32_t j) {
      const NoteRecord& m = notes[j];
      if (j == i || !IsLiveNote(m) || m.stave != n.stave || !VotingKind(m.kind)) return false;
      if (n.kind == kNoteTabNumber ? m.kind != kNoteTabNumber : (n.kind <= kNoteCrotchet && m.kind > kNoteCrotchet))
        return false;
      return m.stemDown == n.stemDown && AreStemPartners(n, m, st.unit);
    };
    std::vector<uint32_t> partners;
    for (uint32_t j = 0; j < count; ++j)
      if (partner(j)) partners.push_back(j);
    add(n);
    for (uint32_t j : partners) add(notes[j]);
    // Beamed before flagged, shorter values first.
    int winner = 16, most = -1;
    for (int k = 0; k < 16; ++k)
      for (int slot : {16 + k, k})
        if (tally[slot] > most) most = tally[slot], winner = slot;
    const uint32_t kind = static_cast<uint32_t>(winner & 15);
    const uint32_t beamed = winner >= 16 ? 1 : 0;
    const uint32_t uncertain = certainty[1] > certainty[0] ? 1 : 0;
    int16_t best = n.quality;
    for (uint32_t j : partners) best = std::min(best, notes[j].quality);
    if (n.origin < kConfirmedOrigin) {
      n.kind = kind;
      n.uncertain = uncertain;
      n.beamed = beamed;
      n.quality = best;
    }
    for (uint32_t j : partners) {
      if (notes[j].origin >= kConfirmedOrigin) continue;
      notes[j].kind = kind;
      notes[j].beamed = beamed;
      notes[j].uncertain = uncertain;
      notes[j].quality = best;
    }
  }
}

namespace {

struct StemSpan {
  int32_t x;
  int32_t top;
  int32_t bottom;
};

StemSpan SpanOf(const NoteRecord& n, const NoteStave& st) {
  const int c = Chosen(n);
  const int32_t q = st.space;
  if (!Has(n, c)) return StemSpan{-100, n.top, n.top + q};
  const int32_t len = static_cast<int32_t>(n.stemLength[c] * 2.0 * st.half + st.half);
  const int32_t x = StemColumn(n, c, st.unit);
  return n.stemDown ? StemSpan{x, n.top, n.top + len + q} : StemSpan{x, n.top - len, n.top + q};
}

}  // namespace

void DropHeadsOnStems(NoteValueWork& work, bool finalForm) {
  NoteRecord* notes = work.notes;
  for (uint32_t i = 0; i < *work.noteCount; ++i) {
    const NoteRecord& n = notes[i];
    if (!IsLiveNote(n) || n.kind < kNoteMinim || n.origin >= kConfirmedOrigin) continue;
    NoteStave st;
    if (!NoteStaveOf(work, n, &st)) continue;
    const StemSpan sn = SpanOf(n, st);
    bool onStem = false;
    for (uint32_t j = 0; j < *work.noteCount && !onStem; ++j) {
      const NoteRecord& m = notes[j];
      if (j == i || !IsLiveNote(m) || m.kind > kNoteCrotchet || m.stave != n.stave || !Has(m, Chosen(m))) continue;
      bool pass = m.uncertain && !n.uncertain && n.kind < kNoteSemibreve;
      if (finalForm) pass = pass && (n.kind != kNoteMinim || m.beamed == 0);
      if (pass) continue;
      if ((n.stemDown != 0) != (m.stemDown != 0)) {
        const NoteRecord& downOne = n.stemDown ? n : m;
        const NoteRecord& other = n.stemDown ? m : n;
        if (downOne.step < other.step) continue;
      }
      const StemSpan sm = SpanOf(m, st);
      // A head on the stem meets its column; one standing clear to the right
      // of it (the next note, closely set) is not on it.
      const bool reaches = n.left < sm.x + st.space / 2 && (n.right >= sm.x || n.right >= m.left);
      const bool columns = std::abs(sn.x - sm.x) < st.half;
      onStem = (reaches || columns) && sn.top <= sm.bottom && sm.top <= sn.bottom;
    }
    if (onStem) {
      DeleteNoteWithStems(notes, *work.noteCount, work.stems, i);
      --i;
    }
  }
}

void FlipSqueezedStems(NoteValueWork& work) {
  NoteRecord* notes = work.notes;
  const uint32_t count = *work.noteCount;
  for (uint32_t i = 0; i < count; ++i) {
    NoteRecord& n = notes[i];
    if (!IsLiveNote(n) || !(n.kind <= kNoteMinim || n.kind == kNoteTabNumber)) continue;
    const int32_t len = std::max<int32_t>(0, n.stemLength[Chosen(n)]);
    const int32_t lo = n.stemDown ? n.step - 1 - len : n.step + 2;
    const int32_t hi = n.stemDown ? n.step - 2 : n.step + 1 + len;
    int squeezing = 0;
    uint32_t lastCount = 0;
    for (uint32_t j = 0; j < count; ++j) {
      const NoteRecord& m = notes[j];
      if (j == i || !IsLiveNote(m) || m.stave != n.stave || !OverlapX(n, m)) continue;
      if (m.stemDown == n.stemDown || m.stemRight == n.stemRight) continue;
      if (m.step < lo - 1 || m.step > hi + 1) continue;
      ++squeezing;
      lastCount = m.countRight;
    }
    if (squeezing >= 2) {
      n.stemDown = n.stemDown ? 0 : 1;
      n.stemRight = n.stemRight ? 0 : 1;
      n.countRight = lastCount;
    }
  }
}

void MarkCrossingStems(NoteValueWork& work) {
  NoteRecord* notes = work.notes;
  const uint32_t count = *work.noteCount;
  auto takesPart = [](const NoteRecord& r) {
    return VotingKind(r.kind) && (r.quality < kRejectedQuality || r.quality == kCrossedStemQuality);
  };
  auto span = [](const NoteRecord& r, int32_t* lo, int32_t* hi) {
    const int32_t len = std::max<int32_t>(0, r.stemLength[Chosen(r)]);
    *lo = r.stemDown ? r.step - len - 1 : r.step;
    *hi = r.stemDown ? r.step : r.step + len + 1;
  };
  for (uint32_t i = 0; i < count; ++i) {
    const NoteRecord& n = notes[i];
    if (!takesPart(n)) continue;
    NoteStave st;
    if (!NoteStaveOf(work, n, &st)) continue;
    const int32_t space = n.space > 0 ? n.space : st.space;
    int32_t nLo, nHi;
    span(n, &nLo, &nHi);
    bool crossed = false;
    for (uint32_t j = 0; j < count && !crossed; ++j) {
      const NoteRecord& m = notes[j];
      if (j == i || !takesPart(m) || m.stave != n.stave || m.origin >= kConfirmedOrigin || !OverlapX(n, m)) continue;
      int32_t mLo, mHi;
      span(m, &mLo, &mHi);
      if (mLo > nHi || nLo > mHi) continue;
      const int32_t apart = std::abs(static_cast<int32_t>(n.left) - m.left);
      if (apart < space / 2 && (n.stemDown == m.stemDown || n.stemRight == m.stemRight)) continue;  // a chord
      // Heads stacked in one column, one's "stem" ending at the other's head:
      // the edge of the column the stacked heads make, not a stem through it.
      auto endsAt = [](const NoteRecord& a, int32_t aLo, int32_t aHi, const NoteRecord& b) {
        return a.stemDown ? b.step < a.step && aLo >= b.step - 1 : b.step > a.step && aHi <= b.step + 1;
      };
      if (apart < space / 2 && (endsAt(n, nLo, nHi, m) || endsAt(m, mLo, mHi, n))) continue;
      const NoteRecord& l = n.left <= m.left ? n : m;
      const NoteRecord& r = n.left <= m.left ? m : n;
      if (apart >= space && l.stemRight == 1 && r.stemRight == 0) continue;  // stems facing each other
      crossed = true;
    }
    if (!crossed) continue;
    const int32_t nLeft = n.left;
    if (n.origin < kConfirmedOrigin) notes[i].quality = kCrossedStemQuality;
    for (uint32_t j = 0; j < count; ++j) {
      NoteRecord& m = notes[j];
      if (j == i || m.stave != n.stave || m.quality > 5 || m.origin >= kConfirmedOrigin) continue;
      if (std::abs(static_cast<int32_t>(m.left) - nLeft) > space / 4) continue;
      int32_t lo = m.step - 1, hi = m.step + 1;
      if (m.kind < kNoteMinim) {
        int32_t sLo, sHi;
        span(m, &sLo, &sHi);
        lo = std::min(lo, sLo);
        hi = std::max(hi, sHi);
      }
      if (lo <= nHi && nLo <= hi) m.quality = kCrossedStemQuality;
    }
  }
}

int FlagZoneInBox(const NoteRecord* notes, uint32_t count, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                  int kindShift, bool beamedOnly) {
  for (uint32_t i = 0; i < count; ++i) {
    const NoteRecord& n = notes[i];
    if (!IsLiveNote(n) || n.kind > static_cast<uint32_t>(std::max(0, 5 - kindShift))) continue;
    if (beamedOnly && n.beamed != 1) continue;
    const int32_t s = n.space;
    int32_t left, right;
    if (n.stemRight) {
      left = n.countRight ? n.right : n.right - 4 * s;
      right = n.right;
    } else {
      left = n.countRight ? n.left : n.left - 3 * s;
      right = n.countRight ? n.left + 4 * s : n.left;
    }
    if (right > x0 && left < x1 && n.stemEndBottom > y0 && n.stemEndTop < y1) return 1;
  }
  return 0;
}
