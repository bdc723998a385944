#include "stages/BigSymbolStep.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "reading/ObjectSearch.h"
#include "reading/ShapeWindows.h"
#include "reading/StaveSpacing.h"
#include "shapes/FeatureMatch.h"
#include "shapes/InkProjections.h"
#include "shapes/ZoneFeatures.h"
#include "shapes/ZoneFeatureRecordHeader.h"
#include "platform/Messages.h"
#include "shapes/ClassifierStartup.h"
#include "stages/EngineCurves.h"
#include "stages/KeySignatures.h"
#include "stages/StageDebugDrawing.h"

StavePage StageStavePage(const StageContext& context) {
  return PageGeometry(*context.page, context.image, context.strideWords);
}

SymbolPage StageSymbolPage(const StageContext& context, StavePage* geometry) {
  SymbolPage page;
  page.bits = context.image;
  page.strideWords = context.strideWords;
  page.width = static_cast<int32_t>(context.page->width);
  page.height = static_cast<int32_t>(context.page->height);
  page.rows = context.rows;
  page.rowCount = context.staveCount;
  page.geometry = geometry;
  return page;
}

void ForgetHitRecord(HitTable& table, int32_t record) {
  for (auto& type : table.slots)
    for (HitSlot& slot : type) {
      if (slot.record == record) slot.record = -1;
      else if (slot.record > record) --slot.record;
    }
}

namespace {

constexpr int kMaxCandidatesPerBand = 100;
constexpr int kMatchSafe = 96;
constexpr int kMatchMaybe = 70;
constexpr int kHitLeast = 91;
constexpr int kHitBest = 93;

using Candidate = BigSymbolCandidate;

// What one stave's scan works with.
struct StaveScan {
  const SymbolPage* page;
  int row;
  const StaveRow* stave;
  double S, half;
  int32_t W, H, SU, SSU;
  float F;
  int32_t left, right;  // the stave's ends, within the page
  int16_t number;
  InkPage ink;
};

// The measures of one stave's scan; the stave units are set for it.
StaveScan MakeStaveScan(const SymbolPage& page, int rowIndex, int16_t stave) {
  const StaveRow& row = page.rows[rowIndex];
  SetStaveUnits(page.rows, rowIndex, page.geometry->resolution);
  const StaveUnits& units = CurrentStaveUnits();
  StaveScan s{};
  s.page = &page;
  s.row = rowIndex;
  s.stave = &row;
  s.S = InterlineSpacing(page.rows, page.rowCount, rowIndex, *page.geometry);
  s.half = s.S / 2;
  const BigSymbolSizes sizes = BigSymbolWindowSizes(s.S, units.staveUnit);
  s.W = sizes.width;
  s.H = sizes.height;
  s.SU = units.staveUnit;
  s.SSU = std::max(1, units.smallStaveUnit);
  s.F = units.staveUnitF;
  s.left = std::max<int32_t>(0, row.left);
  s.right = std::min<int32_t>(row.right, page.width - 1);
  s.number = stave;
  s.ink = InkPage{page.bits, static_cast<int>(page.strideWords) - 1, page.width, page.height};
  return s;
}

int32_t PositionY(const StaveScan& s, int32_t x, int step) {
  return StavePositionY(s.page->rows, s.page->rowCount, s.row, x, step, *s.page->geometry);
}

bool Black(const InkPage& ink, int32_t x, int32_t y) {
  if (x < 0 || y < 0 || x >= ink.width || y >= ink.height) return false;
  const size_t rowBytes = (static_cast<size_t>(ink.rowWordsLess1) + 1) * 4;
  return (ink.bits[static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x >> 3)] >> (x & 7)) & 1;
}

// The width of a candidate's solid ink: from its first to its last column
// holding ink over a third of a stave space, so that what is left of a stave
// line beside a block rest does not count.
int32_t SolidInkWidth(const StaveScan& s, const Candidate& c) {
  const int32_t least = std::max<int32_t>(2, static_cast<int32_t>(s.S / 3));
  int32_t first = -1, last = -1;
  for (int32_t x = c.left; x <= c.right; ++x) {
    int32_t ink = 0;
    for (int32_t y = c.inkTop; y <= c.inkBottom && ink < least; ++y) ink += Black(s.ink, x, y) ? 1 : 0;
    if (ink < least) continue;
    if (first < 0) first = x;
    last = x;
  }
  return first < 0 ? 0 : last - first + 1;
}

// The height of a candidate's ink when its band holds all of it (no ink in
// the rows just above and below), else 0: a tall symbol is cut by its band.
int32_t WholeInkHeight(const StaveScan& s, const Candidate& c) {
  for (int32_t x = c.left; x <= c.right; ++x)
    if (Black(s.ink, x, c.inkTop - 1) || Black(s.ink, x, c.inkBottom + 1)) return 0;
  return c.inkBottom - c.inkTop + 1;
}

// The stave steps of the lines.
int LineSteps(const StaveRow& row, int* steps) {
  const int n = std::clamp<int>(row.lineCount, 1, 6);
  for (int i = 0; i < n; ++i) steps[i] = SymbolLineStep(n, i);
  return n;
}

// Candidates of every band: column runs of ink between each band's rows,
// stepping over the stave lines. The bands are walked together, column by
// column, because a narrow solid stroke (a stem or a bar line) in one band
// closes the runs of its neighbours as well.
std::vector<std::vector<Candidate>> FindBigSymbolCandidates(const StaveScan& s, const int* bands, int bandCount) {
  std::vector<std::vector<Candidate>> out(static_cast<size_t>(bandCount));
  int lines[6];
  const int lineCount = LineSteps(*s.stave, lines);
  const int32_t gapClose = static_cast<int32_t>(2 * s.half);
  const int32_t wideLimit = static_cast<int32_t>(8 * s.half);
  const int32_t pause = static_cast<int32_t>(3 * s.half);
  struct Run {
    bool open = false, bridged = false, solid = false;
    int32_t left = 0, right = 0;
    int32_t pausedTo = -1;  // the band takes no ink up to this column
  };
  std::vector<Run> runs(static_cast<size_t>(bandCount));
  // A closed run is a candidate when it is narrow or bridged a gap. It
  // reaches to where its closing gap ends, so that a window wider than the
  // ink still fits in it.
  auto close = [&](int b) {
    Run& r = runs[static_cast<size_t>(b)];
    if (!r.open) return;
    r.open = false;
    const int32_t width = r.right - r.left + s.SSU;
    std::vector<Candidate>& list = out[static_cast<size_t>(b)];
    if ((width < wideLimit || r.bridged) && static_cast<int>(list.size()) < kMaxCandidatesPerBand)
      list.push_back(Candidate{r.left, std::min(r.right + gapClose, s.right), 0, 0});
  };
  // The lines' rows at the column being walked, worked out once per column.
  int32_t lineY[6];
  auto nearLine = [&](int32_t y, int32_t reach) {
    for (int i = 0; i < lineCount; ++i)
      if (std::abs(y - lineY[i]) <= reach) return true;
    return false;
  };
  for (int32_t x = s.left; x <= s.right; x += s.SSU) {
    for (int i = 0; i < lineCount; ++i) lineY[i] = PositionY(s, x, lines[i]);
    for (int b = 0; b < bandCount; ++b) {
      Run& r = runs[static_cast<size_t>(b)];
      if (x <= r.pausedTo) continue;
      const int32_t top = PositionY(s, x, bands[b]), bottom = PositionY(s, x, bands[b] + 4);
      // The first sampling keeps two stave units off the lines, the second
      // three; the second's share of black rows tells a solid column.
      bool firstInk = false;
      int black = 0, sampled = 0;
      for (int32_t y = top; y < bottom; y += s.SU) {
        const bool ink = Black(s.ink, x, y);
        if (!nearLine(y, 2 * s.SU)) firstInk = firstInk || ink;
        if (!nearLine(y, 3 * s.SU)) {
          ++sampled;
          black += ink;
        }
      }
      const int share = sampled ? black * 100 / sampled : 0;
      // Below a quarter the first sampling alone decides.
      const bool inked = share >= 25 || firstInk;
      if (inked) {
        if (!r.open) {
          r.open = true;
          r.bridged = false;
          r.solid = share > 60;
          r.left = x;
        } else {
          if (x - r.right > s.SSU) r.bridged = true;  // a shorter gap than the closing one lies inside
          r.solid = r.solid && share > 60;
        }
        r.right = x;
        continue;
      }
      if (!r.open) continue;
      // A narrow solid stroke: this band and the bands a space above and
      // below record what they hold and look again past it. The line that
      // opens a system at the stave's left end is no such stroke: the clef
      // stands just after it.
      if (r.solid && r.right - r.left + s.SSU < 2 * s.SU && r.left > s.left + 2 * s.SU) {
        for (int n = std::max(0, b - 1); n <= std::min(bandCount - 1, b + 1); ++n) {
          close(n);
          runs[static_cast<size_t>(n)].pausedTo = std::max(runs[static_cast<size_t>(n)].pausedTo, x + pause);
        }
        continue;
      }
      if (x - r.right >= gapClose) close(b);
    }
  }
  for (int b = 0; b < bandCount; ++b) close(b);
  // The vertical ink limits of each candidate.
  for (int b = 0; b < bandCount; ++b)
    for (Candidate& c : out[static_cast<size_t>(b)]) {
      const int32_t middle = (c.left + c.right) / 2;
      int x0 = c.left, x1 = std::min(c.right, s.ink.width - 1);
      int y0 = std::max(0, PositionY(s, middle, bands[b]) + 2 * s.SU);
      int y1 = std::min(s.ink.height - 1, PositionY(s, middle, bands[b] + 4) - 2 * s.SU);
      if (y1 < y0) y1 = y0;
      ShrinkBoxToInk(s.ink, &x0, &y0, &x1, &y1);
      c.inkTop = y0;
      c.inkBottom = y1;
    }
  return out;
}

// The 8 x 16 sample groups a band of this stave may match: type and step
// filters that do not depend on the place.
std::vector<const uint8_t*> BandGroups(const ShapeDatabase& db, const StaveRow& stave, int band) {
  std::vector<const uint8_t*> groups;
  const size_t records = db.RecordCount(ZoneGrid::k8x16);
  for (size_t g = 0; g + kSampleGroupRecords <= records; g += kSampleGroupRecords) {
    const uint8_t* h = db.Record(ZoneGrid::k8x16, g);
    const int t = ZoneHeaderType(h);
    // Bar lines are found by their ink. The common time sign is looked for
    // too: the engine reports it only where it recognised it, and at 300 dpi
    // it mostly does not.
    if (t >= 128 || (t >= 48 && t <= 57)) continue;
    if (stave.kind == 1 && !((t >= 32 && t <= 43) || (t >= 64 && t <= 73))) continue;
    if (stave.kind == 2 && !(t >= 32 && t <= 43)) continue;
    if (t >= 1 && t <= 15 && t != 2 && t != 8) continue;
    if (t >= 80 && t <= 87 && t != 81 && t != 87) continue;
    const int code = h[1] & 0x0F;
    bool fits = false;
    if (code == 14) fits = band == 4 || band == 8;
    else if (code == 15) fits = true;
    else {
      int want = code;
      if (code < 11 && ((stave.lineCount == 1 && (t == 71 || t == 72)) || (stave.lineCount == 2 && t == 70))) want += 2;
      fits = want == band;
    }
    if (fits) groups.push_back(h);
  }
  return groups;
}

struct ScanState {
  HitTable hits;
  bool full = false;
  bool aborted = false;
};

// Offers every passing sample group to one candidate's windows.
void ScanCandidate(const StaveScan& s, const ShapeDatabase& db, const BigSymbolChecks& checks, int band,
                   const Candidate& c, const std::vector<const uint8_t*>& groups, int32_t* lastX,
                   SymbolRecord* records, uint32_t& count, ScanState& state) {
  const ZoneGridParameters& grid = GridParameters(ZoneGrid::k8x16);
  const int32_t scanStart = c.left - 3 * s.SU;
  const bool clefZone = scanStart <= s.left + 12 * s.S;
  const int32_t end = std::max(c.right - s.W / 3, c.left + s.SU);
  const int32_t inkHeight = c.inkBottom - c.inkTop + 1;
  const int32_t lowestTop = s.ink.height - 1 - static_cast<int32_t>(2 * s.S + s.SU);
  // What decides whether a group is offered a window of one size, apart from
  // where the window stands, depends on the candidate alone: each size's
  // groups are sorted out once, in their order, with the room each needs to
  // the candidate's right end.
  struct Offer {
    const uint8_t* group;
    int type, variant;
    int32_t need;  // the window is offered when c.right - x reaches this
  };
  const int32_t sizesW[2] = {s.W, s.W + s.SU}, sizesH[2] = {s.H, s.H + s.SU};
  std::vector<Offer> offers[2][2];
  int32_t leastNeed = INT32_MAX;
  for (int wi = 0; wi < 2; ++wi)
    for (int hi = 0; hi < 2; ++hi) {
      const int32_t w = sizesW[wi], h = sizesH[hi];
      for (const uint8_t* group : groups) {
        const int t = ZoneHeaderType(group);
        const int variant = (group[1] >> 4) & 3;
        if (((t >= 1 && t <= 15) && !clefZone) || ((t >= 80 && t <= 87) && clefZone)) continue;
        // Pieces that never fill half a window: the minim and semibreve
        // rests, the semiquaver rest's head, and both pieces of the common
        // and cut time signs, which stand across the middle line and are cut
        // at the band edge between steps 8 and 9.
        const bool anyHeight = t == 70 || t == 71 || (t == 67 && variant == 0) || t == kSymbolCommonTime ||
                               t == kSymbolCutTime;
        // Half the window's height, less a stave unit for the sampling of
        // the candidate's rows.
        if (!anyHeight && (inkHeight + s.SU) * 2 < h) continue;
        const int32_t need = w - (group[2] & 7) * w / 8 - 2 * s.SU;
        offers[wi][hi].push_back(Offer{group, t, variant, need});
        leastNeed = std::min(leastNeed, need);
      }
    }
  uint8_t features[2 + 64];
  for (int32_t x = std::max({scanStart, s.left, *lastX + 1}); x <= end && x < s.ink.width; x += s.SSU) {
    *lastX = x;
    const int32_t room = c.right - x;
    // No group has room here: no window at this x is looked at.
    if (leastNeed > room) continue;
    const int32_t y0 = BigSymbolWindowTop(PositionY(s, x, band), s.S);
    if ((checks.engineObjectIn && checks.engineObjectIn(x, y0, x + s.W, y0 + s.H)) ||
        (checks.engineCurveThrough && checks.engineCurveThrough(x, y0, x + s.W, y0 + s.H)))
      continue;
    bool leave = false;
    for (int32_t y = y0 - s.SU; y <= y0 + s.SU && !leave; ++y) {
      if (y < 0 || y > lowestTop) continue;
      for (int wi = 0; wi < 2; ++wi) {
        const int32_t w = sizesW[wi];
        for (int hi = 0; hi < 2; ++hi) {
          const int32_t h = sizesH[hi];
          // A stave reaching the page's right margin: the window stops there.
          const int32_t width = std::min(w, s.ink.width - x);
          bool ready = false;
          for (const Offer& offer : offers[wi][hi]) {
            if (offer.need > room) continue;
            const uint8_t* group = offer.group;
            const int t = offer.type;
            const int variant = offer.variant;
            if (!ready) {
              if (width < 1 || !ComputeZoneFeatures(s.ink.bits, x, y, width, h, s.ink.rowWordsLess1, grid, features))
                break;
              ready = true;
            }
            const int score = BestGroupScore(ZoneGrid::k8x16, features + 2, group, kMatchSafe, kMatchMaybe);
            if (score < kHitLeast) continue;
            const HitResult r = AcceptHitAtPosition(state.hits, t, variant, x, score, s.half, records, count, [&]() {
              if (!AddClassifiedSymbol(records, count, group, x, w, band, s.number, score, kHitBest, kHitLeast,
                                       s.half, static_cast<int16_t>(PositionY(s, x, 4))))
                return 0;
              // A rest's size goes by the ink of its candidate.
              SymbolRecord& added = records[count - 1];
              added.size = RestSizeValue(added.type, SolidInkWidth(s, c), WholeInkHeight(s, c), added.space);
              return 1;
            });
            if (r == HitResult::kListFull) {
              state.full = true;
              return;
            }
            // A symbol already certain is jumped over.
            if ((group[3] & 0x04) != 0) {
              int sum = 0, n = 0;
              for (const HitSlot& slot : state.hits.slots[t & 127])
                if (slot.record >= 0 && std::abs(x - slot.x) <= 1.5 * s.half) {
                  sum += slot.confidence;
                  ++n;
                }
              if (n > 0 && sum / n >= kMatchSafe) {
                x += s.W - (group[2] & 7) * s.W / 9 - s.SSU;
                *lastX = x;
                leave = true;
                break;
              }
            }
          }
          if (leave) break;
        }
        if (leave) break;
      }
    }
  }
}

// The part (variant) of the type's 8 x 16 samples cut at the band, or -1
// when none of them is.
int SamplePartAtBand(const ShapeDatabase& db, int type, int band) {
  const size_t records = db.RecordCount(ZoneGrid::k8x16);
  for (size_t g = 0; g + kSampleGroupRecords <= records; g += kSampleGroupRecords) {
    const uint8_t* h = db.Record(ZoneGrid::k8x16, g);
    if (ZoneHeaderType(h) == type && (h[1] & 0x0F) == band) return (h[1] >> 4) & 3;
  }
  return -1;
}

// The short rests look alike piece by piece: a piece of one competes as the
// piece of the others cut at the same band. The copy takes the part that
// band has among the other type's samples, so that the lower piece of a
// semiquaver rest never stands in for the upper piece of a quaver rest; a
// type with no sample at that band gets no copy.
void AddRestAlternatives(SymbolRecord* records, uint32_t& count, uint32_t from, const ShapeDatabase& db) {
  const uint32_t end = count;
  for (uint32_t i = from; i < end && count < kSymbolListLimit - 2; ++i) {
    const SymbolRecord r = records[i];
    if (r.type < 66 || r.type > 68 || r.quality > 5) continue;
    int16_t a = 0, b = 0;
    if (r.type == 68 && r.stepTop == 8) a = 67, b = 66;
    else if (r.type == 67 && r.variant == 1) a = 68, b = 66;
    else if (r.type == 66 && r.variant == 1) a = 68, b = 67;
    else continue;
    for (const int16_t type : {a, b}) {
      const int part = SamplePartAtBand(db, type, r.stepTop);
      if (part < 0) continue;
      records[count] = r;
      records[count].type = type;
      records[count++].variant = static_cast<int16_t>(part);
    }
  }
}

bool BoxesOverlap(const SymbolRecord& a, const SymbolRecord& b) {
  return a.left <= b.right && b.left <= a.right && a.stepTop <= b.stepBottom && b.stepTop <= a.stepBottom;
}

int32_t LineSpanFlag(const StaveRow& row) { return row.lineCount == 1 ? 1 : 0; }

// The bar lines of the stave, found by the ink of its columns.
int FindBarlines(const StaveScan& s, SymbolRecord* records, uint32_t& count, const BigSymbolChecks& checks) {
  const StaveRow& row = *s.stave;
  const bool lastStaveRow = s.row == s.page->rowCount - 1;
  int lines[6];
  const int lineCount = LineSteps(row, lines);
  const int topStep = lineCount == 1 ? lines[0] - 4 : lines[0];
  const int bottomStep = lineCount == 1 ? lines[0] + 4 : lines[lineCount - 1];
  auto share = [&](int32_t x) {
    const int32_t top = PositionY(s, x, topStep), bottom = PositionY(s, x, bottomStep);
    int black = 0, all = 0;
    for (int32_t y = top; y <= bottom; y += s.SSU, ++all) black += Black(s.ink, x, y);
    return all ? black * 100 / all : 0;
  };
  auto add = [&](int type, int32_t left, int32_t right) {
    if (count >= kSymbolListLimit) return;
    if (row.kind != 0 && !HasEngineBarlineAt(s.page->rows, s.row, left, right)) return;
    SymbolRecord& r = records[count];
    std::memset(&r, 0, sizeof r);
    r.type = static_cast<int16_t>(type);
    r.confidence = 100;
    r.quality = type >= 49 ? -128 : -10;
    r.stepTop = 4;
    r.stepBottom = static_cast<int16_t>(row.kind == 2 ? 12 : std::min((row.lineCount + 1) * 2, 15));
    r.score = 7;
    r.flag10 = static_cast<uint32_t>(LineSpanFlag(row));
    r.left = static_cast<int16_t>(left);
    r.right = static_cast<int16_t>(right);
    r.stave = s.number;
    r.space = static_cast<int16_t>(std::lround(s.S));
    r.staveTopY = static_cast<int16_t>(PositionY(s, left, 4));
    ++count;
  };
  const int32_t gapLimit = static_cast<int32_t>(s.S);
  // Strokes: [start, end] of each found line of the current group.
  int32_t strokeStart[3] = {}, strokeEnd[3] = {};
  int strokes = 0;
  int state = 0;
  int32_t x = s.left;
  auto finish = [&]() {
    if (strokes == 1) {
      if (strokeEnd[0] - strokeStart[0] + 1 <= 4 * s.F) add(48, strokeStart[0], strokeEnd[0]);
    } else if (strokes == 2) {
      const int32_t w1 = strokeEnd[0] - strokeStart[0] + 1, w2 = strokeEnd[1] - strokeStart[1] + 1;
      add(ClassifyBarline(strokeEnd[1], s.F, w1, w2, lastStaveRow, s.right), strokeStart[0], strokeEnd[1]);
    } else if (strokes == 3) {
      add(52, strokeStart[0], strokeEnd[2]);
    }
    strokes = 0;
    state = 0;
  };
  for (; x <= s.right; x += s.SSU) {
    if (checks.keepGoing && !checks.keepGoing()) return 0;
    if (checks.engineObjectIn &&
        checks.engineObjectIn(x, PositionY(s, x, topStep), x + s.SSU, PositionY(s, x, bottomStep))) {
      finish();
      continue;
    }
    const int v = share(x);
    switch (state) {
      case 0:  // waiting for a light column
        if (v < 55) state = 1;
        break;
      case 1:  // waiting for a full one
      case 3:  // a further stroke of the group
        if (v >= (state == 1 ? 91 : 90)) {
          strokeStart[strokes] = x;
          state = 2;
        } else if (state == 3 && x - strokeEnd[strokes - 1] > gapLimit) {
          finish();
          state = v < 55 ? 1 : 0;
        }
        break;
      case 2:  // inside a stroke
        if (v < 90) {
          strokeEnd[strokes] = x - s.SSU;
          const int32_t width = strokeEnd[strokes] - strokeStart[strokes] + 1;
          const bool tooWide = width > 10 * s.F || (strokes == 1 && width > 8 * s.F);
          if (tooWide) {
            strokes = 0;
            state = v < 55 ? 1 : 0;
          } else if (++strokes == 3) {
            finish();
            state = v < 55 ? 1 : 0;
          } else {
            state = 3;
          }
        }
        break;
    }
  }
  if (state == 2 && strokes < 3) {  // a stroke that reaches the stave's end
    strokeEnd[strokes++] = s.right;
    state = 3;
  }
  if (state == 3) finish();
  return 1;
}

}  // namespace

int ClassifyBarline(int32_t x, float unitF, int32_t w1, int32_t w2, bool lastStaveRow, int32_t staveRight) {
  if (w2 > 1.5 * w1 && w2 > unitF) return lastStaveRow && x >= staveRight - 4 * unitF ? 55 : 51;
  if (w1 > 1.5 * w2 && w1 > unitF) return 50;
  return 54;
}

// A part's weight in the merged confidence; a sample trained without one
// weighs as much as a missing part, else the parts it found would count for
// nothing.
static int PartWeight(const SymbolRecord& r) { return r.attr18 > 0 ? r.attr18 : 7; }

void MergeSymbolParts(SymbolRecord* records, uint32_t& count, uint32_t from, const ShapeDatabase& db,
                      double spacing, int32_t staveLeft) {
  const double h = spacing / 2;
  for (uint32_t i = from; i < count;) {
    SymbolRecord& r = records[i];
    const int type = r.type & 0xFF;
    const int parts = std::min<int>(db.ShapeTypePartTable[type], 3);  // tables hold four parts
    const bool longGap = db.ShapeTypeFlagTable[type] != 0;
    int confidence[4] = {0, 0, 0, 0}, weight[4] = {7, 7, 7, 7};
    bool present[4] = {false, false, false, false};
    auto later = [&](int variant) { return variant >= 2 || (variant == 1 && parts == 1); };
    auto leftOf = [&](const SymbolRecord& p) {
      return static_cast<int32_t>(p.left - (longGap && later(p.variant) ? 4 * h : 0));
    };
    const int own = std::clamp<int>(r.variant, 0, parts);
    confidence[own] = r.confidence;
    weight[own] = PartWeight(r);
    present[own] = true;
    int32_t newLeft = leftOf(r), newRight = r.right;
    std::vector<uint32_t> joined;
    const double reach = (longGap ? 4.5 : 1.5) * h;
    for (uint32_t j = i + 1; j < count; ++j) {
      const SymbolRecord& p = records[j];
      if (p.stave != r.stave || p.type != r.type || p.left - r.left > reach || p.left < r.left) continue;
      if (IsTimeDigitSymbol(p.type) && p.stepTop != r.stepTop) continue;
      joined.push_back(j);
      const int v = std::clamp<int>(p.variant, 0, parts);
      if (p.confidence > confidence[v]) {
        confidence[v] = p.confidence;
        weight[v] = PartWeight(p);
        newLeft = leftOf(p);
      }
      present[v] = true;
      newRight = p.right;
    }
    int found = 0, weightSum = 0;
    for (int k = 0; k <= parts; ++k)
      if (present[k]) {
        ++found;
        weightSum += weight[k];
      }
    const bool clef = (type >= 1 && type <= 8) || (type >= 80 && type <= 87);
    if (clef && r.left <= staveLeft + 4 * spacing && found > 0 && found <= parts) {
      const int meanWeight = weightSum / found;
      for (int k = 0; k <= parts; ++k) {
        confidence[k] = kHitLeast;
        weight[k] = meanWeight;
        present[k] = true;
      }
    }
    int64_t sum = 0, weights = 0;
    bool missing = false;
    for (int k = 0; k <= parts; ++k) {
      sum += static_cast<int64_t>(confidence[k]) * weight[k];
      weights += weight[k];
      missing = missing || !present[k];
    }
    int mean = weights > 0 ? static_cast<int>(sum / weights) : 0;
    if (missing && mean < kHitLeast) {
      DeleteSymbolRecord(records, count, i);
      continue;
    }
    mean = std::max(mean, kHitLeast);
    r.confidence = static_cast<int16_t>(mean);
    r.quality = static_cast<int16_t>((kHitBest - mean) * 5 / 2);
    r.left = static_cast<int16_t>(std::max(0, newLeft));
    r.right = static_cast<int16_t>(newRight);
    for (auto it = joined.rbegin(); it != joined.rend(); ++it)
      if (records[*it].left < r.right) DeleteSymbolRecord(records, count, *it);
    ++i;
  }
}

void PairTimeSignatureDigits(SymbolRecord* records, uint32_t count, uint32_t from, double spacing) {
  for (uint32_t i = from; i < count; ++i)
    if (IsTimeDigitSymbol(records[i].type)) records[i].quality = static_cast<int16_t>(records[i].quality + 10);
  for (uint32_t i = from; i < count; ++i)
    for (uint32_t j = i + 1; j < count; ++j) {
      SymbolRecord& a = records[i];
      SymbolRecord& b = records[j];
      if (!IsTimeDigitSymbol(a.type) || !IsTimeDigitSymbol(b.type) || a.stave != b.stave || a.stepTop == b.stepTop)
        continue;
      if (a.left > b.right + spacing || b.left > a.right + spacing) continue;
      // The ranges are the match windows, two spaces wide: an upper and a
      // lower digit of one time signature stand on one axis (the lower
      // digit of 12/8 within a space of the 1), not side by side.
      if (std::abs((a.left + a.right) - (b.left + b.right)) > 2 * spacing) continue;
      for (SymbolRecord* d : {&a, &b})
        if (d->quality > -64) d->quality = static_cast<int16_t>(d->quality - 79);
    }
}

namespace {

bool Conflict(const SymbolRecord& a, const SymbolRecord& b, int32_t staveUnit) {
  const bool barA = IsBarlineSymbol(a.type), barB = IsBarlineSymbol(b.type);
  if (barA || barB) {
    const SymbolRecord& bar = barA ? a : b;
    const SymbolRecord& other = barA ? b : a;
    if (!IsTimeDigitSymbol(other.type)) return false;
    if (bar.right - staveUnit <= other.left) return false;
  }
  for (const SymbolRecord* d : {&a, &b}) {
    const SymbolRecord& o = d == &a ? b : a;
    if (IsTimeDigitSymbol(d->type) && d->quality <= -64 && !IsTimeSignatureSymbol(o.type) &&
        !(o.type >= 49 && o.type <= 57))
      return false;
  }
  if (IsTimeDigitSymbol(a.type) && IsTimeDigitSymbol(b.type) && a.stepTop != b.stepTop) return false;
  return true;
}

}  // namespace

void ResolveSymbolOverlaps(SymbolRecord* records, uint32_t& count, uint32_t from, int32_t staveUnit) {
  for (uint32_t i = from; i < count; ++i) {
    for (uint32_t j = i + 1; j < count;) {
      const SymbolRecord& a = records[i];
      const SymbolRecord& b = records[j];
      if (std::abs(a.stave - b.stave) > 1 || !BoxesOverlap(a, b) || !Conflict(a, b, staveUnit)) {
        ++j;
        continue;
      }
      const int32_t badA = a.quality - SymbolContextScore(records, count, i);
      const int32_t badB = b.quality - SymbolContextScore(records, count, j);
      if (badA > badB) {
        DeleteSymbolRecord(records, count, i);
        j = i + 1;  // the record at i is a new one now
        if (i >= count) break;
      } else {
        DeleteSymbolRecord(records, count, j);
      }
    }
  }
}

std::vector<std::vector<BigSymbolCandidate>> FindBigSymbolCandidates(const SymbolPage& page, int rowIndex) {
  const StaveRow& row = page.rows[rowIndex];
  int bands[kMaxBigSymbolBands];
  const int bandCount = BigSymbolBands(row.kind, row.lineCount, bands);
  return FindBigSymbolCandidates(MakeStaveScan(page, rowIndex, 0), bands, bandCount);
}

int ReadBigSymbols(const SymbolPage& page, int rowIndex, int16_t stave, SymbolRecord* records, uint32_t& count,
                   const ShapeDatabase& db, const BigSymbolChecks& checks) {
  const StaveRow& row = page.rows[rowIndex];
  if (row.kind > 2 || row.lineCount > 6 || row.lineCount < 1 || page.width <= 0 || page.height <= 0) return 1;
  const uint32_t from = count;
  const StaveScan s = MakeStaveScan(page, rowIndex, stave);
  int bands[kMaxBigSymbolBands];
  const int bandCount = BigSymbolBands(row.kind, row.lineCount, bands);
  ScanState state;
  const std::vector<std::vector<Candidate>> candidates = FindBigSymbolCandidates(s, bands, bandCount);
  for (int b = 0; b < bandCount && !state.full && !state.aborted; ++b) {
    const std::vector<const uint8_t*> groups = BandGroups(db, row, bands[b]);
    if (groups.empty()) continue;
    // Each band keeps its own hits: an upper and a lower time-signature digit
    // of one value stand at the same x and are different symbols.
    state.hits = HitTable{};
    int32_t lastX = s.left - 1;
    for (const Candidate& c : candidates[static_cast<size_t>(b)]) {
      if (checks.keepGoing && !checks.keepGoing()) {
        state.aborted = true;
        break;
      }
      ScanCandidate(s, db, checks, bands[b], c, groups, &lastX, records, count, state);
      if (state.full) break;
    }
  }

  SortSymbolsByLeft(records, from, count);
  AddRestAlternatives(records, count, from, db);
  for (uint32_t i = from; i < count; ++i)
    if (records[i].type >= 80 && records[i].type <= 87) records[i].type = static_cast<int16_t>(records[i].type - 79);
  MergeSymbolParts(records, count, from, db, s.S, s.left);
  PairTimeSignatureDigits(records, count, from, s.S);
  if (!FindBarlines(s, records, count, checks)) state.aborted = true;
  SortSymbolsByLeft(records, from, count);
  ResolveSymbolOverlaps(records, count, from, s.SU);
  if (StageDebugDrawing()) {
    std::vector<DebugBox> boxes;
    for (uint32_t i = from; i < count; ++i) {
      const SymbolRecord& r = records[i];
      boxes.push_back(DebugBox{r.left, PositionY(s, r.left, r.stepTop), r.right, PositionY(s, r.left, r.stepBottom),
                               DebugColourOfConfidence(r.confidence)});
    }
    DrawDebugBoxes(DebugSurface::kPageView, boxes);
  }

  SortSymbolsByLeft(records, from, count);
  ImportStaveEngineSymbols(page.rows, StaveIndexInGroup(page.rows, page.rowCount, rowIndex), records, count, stave,
                           rowIndex);
  const KeySearchPage keyPage{s.ink, page.rows, page.rowCount, page.geometry};
  FindKeySignature(keyPage, rowIndex, stave, records, count, from, db);
  SortSymbolsByStave(records, count);
  return state.aborted ? 0 : 1;
}

int BigSymbolsStage(StageContext& context) {
  const LoadedClassifier* classifier = Classifier();
  if (!classifier || !context.image || !context.lists) return 1;
  StavePage geometry = StageStavePage(context);
  SymbolPage page = StageSymbolPage(context, &geometry);
  // The symbols are cut from the copy with the stave lines erased; the line
  // look-ups still measure on the page itself.
  if (context.copy) page.bits = context.copy;
  BigSymbolChecks checks;
  checks.keepGoing = [] { return PollUserAbort(1); };
  const int32_t group = context.rows[context.stave].group;
  checks.engineCurveThrough = [group](int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    return EngineSlurCrosses(group, x0, y0, x1, y1) != 0;
  };
  // Windows over something the engine recognised on this stave are not
  // examined: the engine's own symbols are imported after the scan.
  checks.engineObjectIn = [&context](int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    return FindObjectNearBox(context.rows, context.staveCount, context.stave, x0, y0, x1, y1, 0, 0) > 0;
  };
  const ObjectSearchCache objectCache;
  try {
    return ReadBigSymbols(page, context.stave, static_cast<int16_t>(context.partIndex), context.lists->symbols,
                          context.lists->symbolCount, classifier->shapes, checks);
  } catch (const std::bad_alloc&) {
    QueueReadingNotice(NoticeKind::kErrorText, kTextNoMemoryToReadPage);
    return 0;  // the page ends; the program goes on
  }
}
