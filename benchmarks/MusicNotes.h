// The notes of a page description's note group as the music benchmark scores
// them: the group's noteheads (no rests, no grace notes) from the top down,
// each with its staff step and the group's duration in 1/192 of a whole
// note, the tuplet's scale included (a triplet quaver lasts 16); where a
// truth box of the clean page lies on the degraded page; and how found
// objects are paired with the truth's boxes. Header only: the benchmark and
// its tests share it.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Mscript.h"
#include "Code/Quorm/Mscrptio.h"
#include "tools/refmaker/NoteScore.h"

// The group's duration in 1/192 of a whole note with its tuplet's scale; -1
// when a note's type is no note or rest type, or the length is no whole
// number of 192nds.
inline int32_t ScoredGroupDuration(const MscriptNoteGroup& group) {
  if (group.noteCount < 1 || group.noteCount > kMaxGroupNotes) return -1;
  for (int32_t n = 0; n < group.noteCount; ++n)
    if (group.notes[n].type < 0 || group.notes[n].type > kMultiBarRest) return -1;
  const PackedFraction d = GetNoteGroupDuration(group);
  if (FractionIsNone(d) || FractionDenominator(d) == 0) return -1;
  int64_t numerator = static_cast<int64_t>(FractionNumerator(d)) * 192;
  int64_t denominator = FractionDenominator(d);
  // A group outside a tuplet carries the scale 1/1 (or none at all).
  if (group.tupletScaleNumerator > 0 && group.tupletScaleDenominator > 0) {
    numerator *= group.tupletScaleNumerator;
    denominator *= group.tupletScaleDenominator;
  }
  if (numerator % denominator != 0) return -1;
  return static_cast<int32_t>(numerator / denominator);
}

// Appends the group's notes for the given staff of the truth.
inline void AppendScoredNotes(const MscriptNoteGroup& group, int32_t staff,
                              std::vector<refmaker::ScoredNote>* out) {
  std::vector<int32_t> steps;
  for (int32_t n = 0; n < group.noteCount && n < kMaxGroupNotes; ++n)
    if (group.notes[n].type >= kNoteBreve && group.notes[n].type <= kNoteSolid) steps.push_back(group.notes[n].step);
  if (steps.empty()) return;  // a rest or grace notes: the truth holds notes only
  std::sort(steps.begin(), steps.end());
  const int32_t duration = ScoredGroupDuration(group);
  for (int32_t step : steps) out->push_back(refmaker::ScoredNote{staff, step, duration});
}

// A box in pixels, the last row and column inside it.
struct PixelBox {
  int32_t x0, y0, x1, y1;
};

// The box of the clean page where it lies on the degraded page: the page is
// turned clockwise by the degrees about its middle onto a canvas of the
// degraded page's size that holds all of it (the turned page in the
// canvas's middle); the box round the four turned corners, so a turned
// stroke's box is a little larger than the stroke.
inline PixelBox SkewedBox(const PixelBox& b, double degrees, int32_t cleanWidth, int32_t cleanHeight,
                          int32_t width, int32_t height) {
  const double a = degrees * 3.14159265358979323846 / 180.0, c = std::cos(a), s = std::sin(a);
  const double xs[2] = {b.x0 - cleanWidth / 2.0, b.x1 - cleanWidth / 2.0};
  const double ys[2] = {b.y0 - cleanHeight / 2.0, b.y1 - cleanHeight / 2.0};
  double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
  for (double x : xs)
    for (double y : ys) {
      const double tx = x * c - y * s + width / 2.0, ty = x * s + y * c + height / 2.0;
      x0 = std::min(x0, tx), x1 = std::max(x1, tx), y0 = std::min(y0, ty), y1 = std::max(y1, ty);
    }
  return PixelBox{static_cast<int32_t>(std::lround(x0)), static_cast<int32_t>(std::lround(y0)),
                  static_cast<int32_t>(std::lround(x1)), static_cast<int32_t>(std::lround(y1))};
}

// A box of the engraver's SVG, pixels of the clean page; for a fixed-size
// symbol the engine's name of its type where the truth gives it.
struct TrueBox {
  int page;
  std::string kind;
  int x0, y0, x1, y1;
  std::string type;
};

// A found object: its box, or a line's two ends.
struct FoundLine {
  int x0, y0, x1, y1;
};

// A found object against a true box: its middle lies in the box widened by
// the tolerance.
inline bool MiddleInBox(const TrueBox& b, const FoundLine& f, int tolerance) {
  const int x = (f.x0 + f.x1) / 2, y = (f.y0 + f.y1) / 2;
  return x >= b.x0 - tolerance && x <= b.x1 + tolerance && y >= b.y0 - tolerance && y <= b.y1 + tolerance;
}

// Many finds may lie in one box (a beam or a slur found in pieces); with
// oneToOne a box pairs with one find only, the next ones in it are false (a
// head found twice).
// Adds to the score the page's boxes of the kind against the finds:
// precision from the finds' side, recall from the boxes'.
inline void ScoreBoxes(const std::vector<TrueBox>& boxes, int page, const char* kind,
                       const std::vector<FoundLine>& found, int tolerance, refmaker::FinderScore* score,
                       bool oneToOne = false) {
  int trueCount = 0, matchedTrue = 0, matchedFound = 0;
  std::vector<bool> paired(boxes.size(), false);
  for (const TrueBox& b : boxes) {
    if (b.page != page || b.kind != kind) continue;
    ++trueCount;
    for (const FoundLine& f : found)
      if (MiddleInBox(b, f, tolerance)) {
        ++matchedTrue;
        break;
      }
  }
  for (const FoundLine& f : found)
    for (size_t i = 0; i < boxes.size(); ++i) {
      const TrueBox& b = boxes[i];
      if (b.page == page && b.kind == kind && MiddleInBox(b, f, tolerance) && !(oneToOne && paired[i])) {
        paired[i] = true;
        ++matchedFound;
        break;
      }
    }
  score->truth += trueCount;
  score->found += static_cast<int>(found.size());
  score->matched += matchedFound;
  score->recalled = std::max(score->recalled, 0) + matchedTrue;
}
