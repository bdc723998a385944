// The word re-reader.
#include "Code/Quorm/Badwords.h"

#include <algorithm>
#include <cstring>

#include "Code/Quorm/Candlist.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Posnscal.h"
#include "Code/Quorm/Readline.h"
#include "Code/Quorm/Spell.h"

namespace {

SegmentReading current = {};
SegmentReading best = {};
int32_t tried = 0, newLists = 0;
bool safe = false;
int32_t firstPiece = 0, pieceCount = 0;

bool HasBest() { return best.text[0] != '\0'; }

const TextPiece& PieceAt(int32_t i) {
  int32_t count = 0;
  const TextPiece* pieces = GetLinePieces(&count);
  ENGINE_CHECK_INDEX(i, count);
  return pieces[i];
}

bool ContainsUnsafe(const char* text) {
  const SpellingTables& t = LoadedSpelling();
  const int32_t n = static_cast<int32_t>(std::strlen(text));
  for (int32_t s = 0; s < t.unsafeSegmentCount; ++s) {
    const int32_t l = static_cast<int32_t>(std::strlen(t.unsafeSegments[s]));
    for (int32_t i = 0; l > 0 && i + l <= n; ++i)
      if (std::strncmp(text + i, t.unsafeSegments[s], static_cast<size_t>(l)) == 0) return true;
  }
  return false;
}

int64_t Score(const SegmentReading& r) {
  const int32_t v = LineScaleValue();
  const int32_t w = r.count > 0 ? PieceAt(r.cuts[r.count] - 1).right - PieceAt(r.cuts[0]).left : 0;
  const int64_t width = static_cast<int64_t>(r.widthMeasure) * w * 1200 / (static_cast<int64_t>(std::max(1, r.count)) * v);
  return static_cast<int64_t>(r.latticeCost) + r.spellingCost + r.shapeCost + width / 1024;
}

// One try with up to k paths: true when it accepts.
bool Try(KBestPaths* paths, int32_t k, const SegmentReading& given, int mode) {
  LatticeCell* cells = &WordLatticeCell(0, 0);
  const int32_t found = BestSegmentPaths(cells, pieceCount, kWordLatticeLevels, k, kMaxSegmentCharacters, paths);
  for (int32_t p = 0; p < found; ++p) {
    const int32_t segments = paths->segments[p];
    bool skip = false;
    for (int32_t i = 0; HasBest() && i < segments; ++i) {
      const CandidateList* l = FindCandidateList(paths->Position(p, i), paths->Position(p, i + 1));
      skip = skip || (l != nullptr && l->count == 0);
    }
    if (skip) continue;
    for (int32_t i = 0; i < segments; ++i) {
      const int32_t added = AddCandidateList(paths->Position(p, i), paths->Position(p, i + 1));
      if (added < 0) return true;  // the list table is full: keep what was found
      newLists += added;
    }
    current = given;
    current.count = segments;
    for (int32_t i = 0; i <= segments; ++i) current.cuts[i] = static_cast<int16_t>(paths->Position(p, i));
    int64_t lattice = 0;
    for (int32_t i = 0; i < segments; ++i) {
      const int32_t a = paths->Position(p, i) - firstPiece, b = paths->Position(p, i + 1) - firstPiece;
      lattice += WordLatticeCell(b - a - 1, a).cutCost;
    }
    current.latticeCost = SaturateToInt32(lattice);
    SpellSegment(&current, 30, mode);
    if (!HasBest() || Score(current) < Score(best)) best = current;
    safe = !ContainsUnsafe(best.text);
    ++tried;
    const int32_t r = (tried + 3 * newLists) * 10 / (best.count + 1);
    const int32_t threshold = (safe ? 400 : 300) + 9000 * r / 1024;
    if (best.confidenceCost < threshold) return true;
  }
  return false;
}

// An i's dot is never read alone, and a cell too wide (or too gapped) to be
// a character is never one, as in the line's own lattice.
void ForbidNonCharacters() {
  for (int32_t s = 0; s < pieceCount; ++s)
    if (IsDotOverNeighbour(firstPiece + s)) WordLatticeCell(0, s).extraCost = 60000;
  for (int32_t level = 0; level < kWordLatticeLevels; ++level)
    for (int32_t s = 0; s + level < pieceCount; ++s) {
      LatticeCell& c = WordLatticeCell(level, s);
      if (!CanBeCharacter(c)) c.extraCost = 60000;
    }
}

void Reweight(int32_t factor, int32_t widthFactor, TextCostFunction width) {
  const int32_t v = LineScaleValue();
  for (int32_t level = 0; level < kWordLatticeLevels; ++level)
    for (int32_t s = 0; s + level < pieceCount; ++s) {
      LatticeCell& c = WordLatticeCell(level, s);
      const int32_t w = c.right - c.left;
      const CandidateList* l = FindCandidateList(c.first, c.end);
      int64_t x;
      if (l != nullptr) {
        const int32_t first = l->count > 0 ? AlternativeCost(*l, 0) : ScaleCandidateCost(kMaxAlternativeCost);
        x = static_cast<int64_t>(first) * factor / 1024 * w;
        c.widthCost = 0;
      } else {
        c.widthCost = width(w);
        x = static_cast<int64_t>(w) * widthFactor;
      }
      int64_t penalty = x / v * 1200 / 1024;
      if (penalty > 60000 || penalty < 0) penalty = 60000;
      c.extraCost = static_cast<int32_t>(penalty);
    }
  ForbidNonCharacters();
}

void AddUnsafePenalties(const SegmentReading& given) {
  const SpellingTables& t = LoadedSpelling();
  const int32_t n = static_cast<int32_t>(std::strlen(given.text));
  for (int32_t s = 0; s < t.unsafeSegmentCount; ++s) {
    const int32_t l = static_cast<int32_t>(std::strlen(t.unsafeSegments[s]));
    for (int32_t i = 0; l > 0 && i + l <= n && i + l <= given.count; ++i) {
      if (std::strncmp(given.text + i, t.unsafeSegments[s], static_cast<size_t>(l)) != 0) continue;
      for (int32_t j = i; j < i + l; ++j) {
        const int32_t a = given.cuts[j] - firstPiece, b = given.cuts[j + 1] - firstPiece;
        if (a < 0 || b <= a || b - a > kWordLatticeLevels || b > pieceCount) continue;
        LatticeCell& c = WordLatticeCell(b - a - 1, a);
        c.extraCost = SaturateToInt32(static_cast<int64_t>(c.extraCost) + 1000);
      }
    }
  }
}

}  // namespace

void RereadWord(KBestPaths* paths, SegmentReading* reading, TextCostFunction width, TextCostFunction piece,
                TextCostFunction gap, int32_t widthFactor, int mode) {
  ENGINE_CHECK_POINTER(paths);
  ENGINE_CHECK_POINTER(reading);
  ENGINE_CHECK(paths->capacity >= kRereadPaths && paths->maxSegments >= kMaxSegmentCharacters);
  ENGINE_CHECK(reading->count >= 1);
  tried = newLists = 0;
  safe = false;
  best = {};
  current = {};
  firstPiece = reading->cuts[0];
  pieceCount = reading->cuts[reading->count] - firstPiece;
  ENGINE_CHECK(pieceCount >= 1);
  const SegmentReading given = *reading;
  // 2. The lattice over the word's pieces.
  BuildWordLattice(firstPiece, pieceCount);
  CostWordLattice(width, piece, gap);
  // 3. Classifier penalties.
  for (int32_t level = 0; level < kWordLatticeLevels; ++level)
    for (int32_t s = 0; s + level < pieceCount; ++s) {
      LatticeCell& c = WordLatticeCell(level, s);
      c.widthCost = width(c.right - c.left);
      const CandidateList* l = FindCandidateList(c.first, c.end);
      c.extraCost = l != nullptr && l->count == 0 ? 60000 : 0;
    }
  ForbidNonCharacters();
  bool accepted = Try(paths, 10, given, mode);
  if (!accepted) {
    Reweight(256, 2 * widthFactor, width);
    AddUnsafePenalties(given);
    accepted = Try(paths, kRereadPaths, given, mode);
    safe = HasBest() && !ContainsUnsafe(best.text);
  }
  if (!accepted) {
    Reweight(784, 6 * widthFactor, width);
    Try(paths, kRereadPaths, given, mode);
  }
  if (HasBest()) *reading = best;
  FreeWordLattice();
}

void FreeWordRereader() {
  FreeWordLattice();
  best = {};
  current = {};
  tried = newLists = 0;
  safe = false;
}
