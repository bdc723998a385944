// The line reader proper.
#include "Code/Quorm/Readline.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Code/Quorm/Badwords.h"
#include "Code/Quorm/Candlist.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findcuts.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Ocrmisc.h"
#include "Code/Quorm/Posnscal.h"
#include "Code/Quorm/Segpaths.h"
#include "Code/Quorm/Segspell.h"
#include "Code/Quorm/Spell.h"
#include "Code/Quorm/Textclas.h"
#include "Code/Quorm/Textlref.h"

namespace {

TextPiece* pieces = nullptr;
int32_t pieceCount = 0;
CutObject* objects = nullptr;
ReadWordRecord* words = nullptr;
SegmentReading* readings = nullptr;  // the line's words while they are spelled
int32_t lineScale = 1;

constexpr int32_t kLineCostFactor = 10;
constexpr int32_t kRereadWidthFactor = 1024;
constexpr int32_t kNoListPenalty = 60000;
// Words of the segment lattice's path that may be read as one.
constexpr int32_t kMaxJoinedWords = 3;

// The segment sampler of the candidate lists: pieces [start, end).
bool SamplePieces(int32_t start, int32_t end, uint8_t* sample, int32_t* width, int32_t* height, int32_t box[4]) {
  return CharacterSample(start, end, sample, width, height, box);
}

void BuildPieces(const CutResult& cut) {
  pieceCount = std::min(cut.objectCount, kMaxLinePieces);
  EngineAllocZeroedChecked(pieces, sizeof(TextPiece) * static_cast<size_t>(std::max(1, pieceCount)));
  int32_t previousRight = INT32_MIN;
  for (int32_t i = 0; i < pieceCount; ++i) {
    const CutObject& o = objects[i];
    TextPiece& p = pieces[i];
    p.top = o.top;
    p.bottom = o.bottom;
    p.left = o.firstColumn;
    p.right = o.endColumn;
    p.firstRun = o.firstRun;
    p.endRun = o.endRun;
    p.cost = std::max(0, o.cutStrength);
    p.gap = previousRight == INT32_MIN ? 1000 : o.firstColumn - previousRight;
    p.clearance = o.clearance;
    previousRight = std::max(previousRight, o.endColumn);
  }
  // Runs of objects beyond what the lists hold belong to no piece.
  int32_t runCount = 0, lineWidth = 0;
  LineRun* runs = GetLineRuns(&runCount, &lineWidth);
  for (int32_t r = 0; r < runCount; ++r)
    if (runs[r].label > pieceCount) runs[r].label = 0;
}

// The classifier's best cost of a cell, or the penalty of a cell it cannot
// read or that holds an i's dot alone.
int32_t ClassifierPenalty(const LatticeCell& c) {
  if (c.end - c.first == 1 && IsDotOverNeighbour(c.first)) return kNoListPenalty;
  const CandidateList* l = FindCandidateList(c.first, c.end);
  return l != nullptr && l->count > 0 ? BestAlternativeCost(*l) : kNoListPenalty;
}

// The widest white inside a character: where joining pieces costs most.
int32_t WidestInnerGap() { return lineScale * 400 / 1024; }

}  // namespace

bool CanBeCharacter(const LatticeCell& c) {
  const int32_t widest = std::min(kMaxSampleWidth - 1, 3 * lineScale / 2);
  if (c.right - c.left > widest || c.bottom - c.top >= kMaxSampleHeight) return false;
  for (int32_t k = c.first + 1; k < c.end; ++k)
    if (pieces[k].gap > WidestInnerGap()) return false;
  return true;
}

namespace {

// Candidate lists for the cells that can be characters, narrow ones first
// (by their width in pixels, so that a character the cutter split into many
// pieces still gets its list when the lists run out); every cell's
// classifier cost goes into its third cost part.
void ClassifyCells() {
  std::vector<LatticeCell*> cells;
  for (int32_t level = 0; level < kWordLatticeLevels; ++level)
    for (int32_t s = 0; s + level < pieceCount; ++s) {
      LatticeCell& c = WordLatticeCell(level, s);
      if (CanBeCharacter(c)) cells.push_back(&c);
    }
  std::stable_sort(cells.begin(), cells.end(),
                   [](const LatticeCell* a, const LatticeCell* b) { return a->right - a->left < b->right - b->left; });
  for (LatticeCell* c : cells)
    if (AddCandidateList(c->first, c->end) < 0) break;
  for (int32_t level = 0; level < kWordLatticeLevels; ++level)
    for (int32_t s = 0; s + level < pieceCount; ++s) {
      LatticeCell& c = WordLatticeCell(level, s);
      c.extraCost = ClassifierPenalty(c);
    }
}

// The differences d of the line's positions (best candidate's shape cost
// minus its reference cost).
int32_t PositionMargin(const int32_t* cuts, int32_t m) {
  int32_t d[kMaxLinePieces] = {};
  int32_t n = 0;
  for (int32_t i = 0; i < m; ++i) {
    const CandidateList* l = FindCandidateList(cuts[i], cuts[i + 1]);
    if (l != nullptr && l->count > 0) d[n++] = l->matchCost[0] - l->base[0];
  }
  return LineMargin(d, n);
}

// The words of the segment lattice's path as readings over the
// characters' cuts (piece indices), with their lattice costs; a word of more
// than 31 characters is read in parts, and a line of more words than the
// segment ends list holds keeps its first ones. Returns the count.
int32_t WordsOfPath(const KBestPaths& segments, const int32_t* cuts, int32_t m, int32_t margin, SegmentReading* out,
                    int32_t capacity) {
  const int32_t wordCount = std::min(segments.segments[0], kSegmentPathLimit);
  int32_t count = 0, c = 0;
  for (int32_t w = 0; w < wordCount; ++w) {
    const int32_t endPiece = segments.Position(0, w + 1);
    while (c < m && cuts[c] < endPiece) {
      ENGINE_CHECK_INDEX(count, capacity);
      SegmentReading& r = out[count];
      r = {};
      r.cuts[0] = static_cast<int16_t>(cuts[c]);
      int64_t lattice = 0;
      while (c < m && cuts[c] < endPiece && r.count < kMaxSegmentCharacters) {
        lattice += WordLatticeCell(cuts[c + 1] - cuts[c] - 1, cuts[c]).cutCost;
        r.cuts[++r.count] = static_cast<int16_t>(cuts[c + 1]);
        ++c;
      }
      r.latticeCost = SaturateToInt32(lattice);
      r.widthMeasure = margin;
      ++count;
    }
  }
  return count;
}

// A word read as hyphens alone: the mark between syllables, never joined.
bool IsHyphen(const SegmentReading& r) {
  for (int32_t i = 0; i < r.count; ++i)
    if (!IsHyphenatorChar(static_cast<unsigned char>(r.text[i]))) return false;
  return r.count > 0;
}

// In lyrics the reading's own cost is the trigram model's, which prices a
// word about as it prices its parts; whether two neighbours are one word is
// then told by the dictionary: the cost the word would have as text.
int64_t LyricWordCost(const SegmentReading& r, int mode) { return mode == 0 ? SpellWordCost(r.text, 1) : 0; }

// Neighbouring words of the path read as one where that costs less: each
// run of up to kMaxJoinedWords words (31 characters at most) is weighed by
// its segment cost and its reading cost (word and classifier costs) against
// the words apart (in lyrics also by the dictionary, LyricWordCost). Only
// words apart by less than one and a half scale values (where the segment
// lattice's cut still costs something) are weighed; hyphens are left apart.
// The words are spelled already; returns the new count.
int32_t JoinSpelledWords(SegmentReading* words, int32_t count, int mode) {
  if (count < 2) return count;
  const int32_t v = GetScaleValue();
  std::vector<int64_t> best(static_cast<size_t>(count) + 1, INT64_MAX);
  std::vector<int32_t> from(static_cast<size_t>(count) + 1, -1);
  std::vector<SegmentReading> joined(static_cast<size_t>(count) * kMaxJoinedWords);
  best[0] = 0;
  for (int32_t j = 1; j <= count; ++j)
    for (int32_t i = std::max(0, j - kMaxJoinedWords); i < j; ++i) {
      SegmentReading& r = joined[static_cast<size_t>(j - 1) * kMaxJoinedWords + (j - 1 - i)];
      r = words[i];
      bool fits = true;
      for (int32_t k = i + 1; k < j && fits; ++k) {
        fits = r.count + words[k].count <= kMaxSegmentCharacters && !IsHyphen(words[k - 1]) && !IsHyphen(words[k]) &&
               pieces[words[k].cuts[0]].gap < 3 * v / 2;
        if (!fits) break;
        for (int32_t c = 1; c <= words[k].count; ++c) r.cuts[r.count + c] = words[k].cuts[c];
        r.count += words[k].count;
        r.latticeCost = SaturateToInt32(static_cast<int64_t>(r.latticeCost) + words[k].latticeCost);
      }
      if (!fits || best[i] == INT64_MAX) continue;
      if (j - i > 1) SpellSegment(&r, 100, mode);
      const int64_t total = best[i] + SegmentCellCost(r.cuts, r.count, v) + r.readingCost + LyricWordCost(r, mode);
      if (total < best[j]) {
        best[j] = total;
        from[j] = i;
      }
    }
  std::vector<SegmentReading> chosen;
  for (int32_t j = count; j > 0; j = from[j])
    chosen.push_back(joined[static_cast<size_t>(j - 1) * kMaxJoinedWords + (j - 1 - from[j])]);
  const int32_t n = static_cast<int32_t>(chosen.size());
  for (int32_t k = 0; k < n; ++k) words[k] = chosen[static_cast<size_t>(n - 1 - k)];
  return n;
}

ReadWordRecord MakeRecord(const SegmentReading& r) {
  ReadWordRecord w{};
  w.x0 = w.y0 = INT32_MAX;
  w.x1 = w.y1 = INT32_MIN;
  for (int32_t piece = r.cuts[0]; piece < r.cuts[r.count]; ++piece) {
    const TextPiece& p = pieces[piece];
    w.x0 = std::min(w.x0, p.left);
    w.y0 = std::min(w.y0, p.top);
    w.x1 = std::max(w.x1, p.right);
    w.y1 = std::max(w.y1, p.bottom);
  }
  w.referenceRow = ReferenceRowAt((w.x0 + w.x1) / 2);
  int32_t style[12];
  ClassStyleMeasures(r, style);
  for (int j = 0; j < 12; ++j) w.style[j] = static_cast<int16_t>(std::min(32767, std::max(0, style[j])));
  const int64_t cost = (static_cast<int64_t>(r.spellingCost) + r.shapeCost) / (10LL * std::max(1, r.count));
  w.cost = SaturateToInt32(cost);
  static_assert(sizeof w.text == sizeof r.text, "a read word holds the reading's whole text");
  std::memcpy(w.text, r.text, sizeof w.text);
  w.text[kReadWordTextBytes - 1] = '\0';
  return w;
}

}  // namespace

int32_t LineMargin(const int32_t* d, int32_t count) {
  ENGINE_CHECK(count >= 0);
  int64_t sum = 0;
  int32_t n = 0;
  for (int32_t i = 0; i < count; ++i) {
    if (d[i] <= 0) continue;
    sum += 100000 / d[i];
    ++n;
  }
  const int64_t divisor = (333 + sum) / (1 + n);
  return divisor == 0 ? 0 : static_cast<int32_t>(100000 / divisor);
}

int32_t CutLinePieces(CutResult* cut) {
  ENGINE_CHECK_POINTER(cut);
  *cut = {};
  EngineFree(pieces);
  pieceCount = 0;
  int32_t runCount = 0, width = 0;
  LineRun* runs = GetLineRuns(&runCount, &width);
  if (runCount == 0) return 0;
  EngineAllocZeroedChecked(objects, sizeof(CutObject) * (kCutObjectLimit + 1));
  SetCutLine(runs, runCount, width);
  CutTouchingObjects(cut, objects, kCutObjectLimit);
  BuildPieces(*cut);
  EngineFree(objects);
  return pieceCount;
}

void SetLineScale(int32_t p) { lineScale = std::max(1, p); }

int32_t LineScaleValue() { return IsPositionScaleReady() ? GetScaleValue() : std::max(1, lineScale / 4); }

bool IsDotOverNeighbour(int32_t i) {
  ENGINE_CHECK_INDEX(i, pieceCount);
  const TextPiece& p = pieces[i];
  if (std::max(p.right - p.left, p.bottom - p.top) > lineScale / 4) return false;
  for (int32_t j = std::max(0, i - 1); j <= std::min(pieceCount - 1, i + 1); ++j) {
    const TextPiece& q = pieces[j];
    if (j == i || q.bottom - q.top < 2 * (p.bottom - p.top)) continue;
    const bool above = q.top >= p.bottom;
    const bool within = q.top <= p.top && p.bottom <= q.bottom;
    const int32_t shared = std::min(p.right, q.right) - std::max(p.left, q.left);
    if ((above && shared > 0) || (within && 2 * shared >= p.right - p.left)) return true;
  }
  return false;
}

const TextPiece* GetLinePieces(int32_t* count) {
  ENGINE_CHECK_POINTER(count);
  *count = pieceCount;
  return pieces;
}

void ClassStyleMeasures(const SegmentReading& r, int32_t out[12]) {
  ENGINE_CHECK_POINTER(out);
  int64_t sums[12] = {};
  for (int32_t i = 0; i < r.count; ++i) {
    const CandidateList* l = FindCandidateList(r.cuts[i], r.cuts[i + 1]);
    const unsigned char c = static_cast<unsigned char>(r.text[i]);
    if (l == nullptr || !IsStyleIndicator(c)) continue;
    int32_t k = 0;
    while (k < l->count && l->character[k] != c) ++k;
    const int32_t cls = GetClassOfCharacter(c);
    if (k == l->count || cls < 0) continue;
    int32_t d1 = 0, d2 = 0;
    ClassInkDistances(cls, l->ink, &d1, &d2);
    const int32_t cost = AlternativeCost(*l, k);
    for (int j = 0; j < 12; ++j) {
      sums[j] += ((l->flags[k] >> j) & 1 ? cost : 16000) / 32;
      sums[j] += std::min(16000, j % 2 == 0 ? d2 : d1) / 96;
    }
  }
  for (int j = 0; j < 12; ++j) out[j] = static_cast<int32_t>(std::min<int64_t>(32767, sums[j]));
}

void ReadLineWords(LineReading* result, int mode) {
  ENGINE_CHECK_POINTER(result);
  FreeLineReading();
  *result = {};
  // 2. Pieces.
  CutResult cut{};
  if (CutLinePieces(&cut) == 0) return;
  SetLineScale(cut.height);
  SetLineGapModel(cut.height);
  SetLatticePieces(pieces, pieceCount);
  // Characters: the word lattice over the pieces with the classifier's costs.
  ResetCandidateLists();
  SetCandidateCostFactor(kLineCostFactor);
  SetSegmentSampler(SamplePieces);
  BuildWordLattice(0, pieceCount);
  CostWordLattice(LatticeWidthCost, LatticeOverlapCost, LatticeGapCost);
  ClassifyCells();
  KBestPaths characters;
  characters.Reserve(1, kMaxLinePieces);
  if (BestSegmentPaths(&WordLatticeCell(0, 0), pieceCount, kWordLatticeLevels, 1, kMaxLinePieces, &characters) == 0)
    return;
  int32_t m = characters.segments[0];
  int32_t cuts[kMaxLinePieces + 1];
  for (int32_t i = 0; i <= m; ++i) cuts[i] = characters.Position(0, i);
  const int32_t margin = PositionMargin(cuts, m);
  // The position and scale model over the characters that have candidates;
  // then every other list is charged its size and rows too, and the
  // characters are chosen again.
  CandidateList* positions[kMaxLinePieces];
  int32_t positionCount = 0;
  for (int32_t i = 0; i < m; ++i) {
    CandidateList* l = FindCandidateListForUpdate(cuts[i], cuts[i + 1]);
    if (l != nullptr) positions[positionCount++] = l;
  }
  FitPositionScale(positions, positionCount, cut.height);
  for (int32_t slot = 0; slot < kCandidateSlots; ++slot) {
    CandidateList* l = CandidateListInSlot(slot);
    if (l == nullptr || std::find(positions, positions + positionCount, l) != positions + positionCount) continue;
    CorrectCandidateList(l);
  }
  // The gap scales from the characters of the first path: the lattice is
  // costed again with the second pass's gap costs, and the re-reader's
  // scales are set.
  int32_t spanWidths[kMaxLinePieces], spanHeights[kMaxLinePieces];
  for (int32_t i = 0; i < m; ++i) {
    const LatticeCell& c = WordLatticeCell(cuts[i + 1] - cuts[i] - 1, cuts[i]);
    spanWidths[i] = c.right - c.left;
    spanHeights[i] = c.bottom - c.top;
  }
  SetLatticeGapScales(spanWidths, spanHeights, m, cut.height);
  SetWordGapScales(spanWidths, spanHeights, m, GetTextHeight(), GetTextPitch());
  CostWordLattice(LatticeWidthCost, LatticeOverlapCost, LatticeGapCost);
  for (int32_t level = 0; level < kWordLatticeLevels; ++level)
    for (int32_t s = 0; s + level < pieceCount; ++s) {
      LatticeCell& c = WordLatticeCell(level, s);
      c.extraCost = ClassifierPenalty(c);
    }
  if (BestSegmentPaths(&WordLatticeCell(0, 0), pieceCount, kWordLatticeLevels, 1, kMaxLinePieces, &characters) == 0)
    return;
  m = characters.segments[0];
  for (int32_t i = 0; i <= m; ++i) cuts[i] = characters.Position(0, i);
  // 3. Words: the segment lattice over the characters.
  KBestPaths segments;
  segments.Reserve(1, kMaxLinePieces);
  if (ReadSegmentLattice(&segments, cuts, m, 1) == 0) return;
  // 5. Spell every word; the word lattice's cut costs are taken before any
  // word is read again (the re-reader builds lattices of its own).
  EngineFree(readings);
  const int32_t readingCapacity = m + m / kMaxSegmentCharacters + 1;
  EngineAllocZeroedChecked(readings, sizeof(SegmentReading) * static_cast<size_t>(readingCapacity));
  int32_t readingCount = WordsOfPath(segments, cuts, m, margin, readings, readingCapacity);
  for (int32_t i = 0; i < readingCount; ++i) SpellSegment(&readings[i], 100, mode);
  readingCount = JoinSpelledWords(readings, readingCount, mode);
  KBestPaths reread;
  reread.Reserve(kRereadPaths, kMaxSegmentCharacters);
  EngineAllocZeroedChecked(words, sizeof(ReadWordRecord) * static_cast<size_t>(std::max(1, readingCount)));
  int32_t top = INT32_MAX, left = INT32_MAX;
  for (int32_t i = 0; i < readingCount; ++i) {
    SegmentReading& r = readings[i];
    if (r.confidenceCost > kRereadConfidence)
      RereadWord(&reread, &r, RereaderWidthCost, RereaderOverlapCost, RereaderGapCost, kRereadWidthFactor, mode);
    words[i] = MakeRecord(r);
    top = std::min(top, words[i].y0);
    left = std::min(left, words[i].x0);
  }
  EngineFree(readings);
  FreeWordLattice();
  result->top = readingCount > 0 ? top : 0;
  result->left = readingCount > 0 ? left : 0;
  result->textHeight = GetTextHeight();
  result->wordCount = readingCount;
  result->words = words;
}

void FreeLineReading() {
  EngineFree(objects);
  EngineFree(readings);
  EngineFree(pieces);
  EngineFree(words);
  pieceCount = 0;
  SetLatticePieces(nullptr, 0);
}
