#include "render/ScorePagePainter.h"
#include "render/PaintStart.h"
#include "render/RelayoutAfterRender.h"
#include "render/TextMetrics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "pages/CurrentPageData.h"
#include "pages/PageData.h"
#include "platform/Messages.h"
#include "render/RenderStrings.h"
#include "render/BarRhythmMarks.h"
#include "render/Colours.h"
#include "render/MusicFonts.h"
#include "render/PrintFit.h"
#include "render/ScoreText.h"
#include "render/SizeRules.h"
#include "render/StaveNameLabels.h"
#include "render/SymbolRoutines.h"
#include "score/ChordSymbols.h"
#include "score/ItemSelection.h"
#include "score/PageMarks.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

namespace {

ScorePainterSettings Settings;
ScorePainterTables Tables;
bool PrintingInProgress = false;
PrinterCaps PrinterSheet{};

constexpr int kVoices = 4;
constexpr int kSpanSlots = 8;
constexpr int kBeamSlots = 8;
constexpr int kSelectionColour = kHighlightColour;
// World units per millimetre of the text offsets of staff texts.
constexpr double kTextOffsetUnit = 4.0;

ItemIndex& Index() { return TheScoreViewItems().index; }
StaveRowTable& StaveRows() { return TheScoreViewItems().staves; }

int32_t MinimumExtent() { return 2 * DrawingState().SpacingUnit; }

int16_t Clamp16(int32_t v) { return static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX)); }

void RaiseRowCount() {
  ItemIndex& index = Index();
  if (index.count < 0) index.count = 0;
  if (index.count < kItemIndexCapacity) ++index.count;
}

// The paper the page is drawn on: greyer while the scan strip is shown
// above the score (on screen, outside the page-view mode).
bool GreyerPaper() {
  return Settings.imageStripHeight > 0 && !Settings.pageViewMode && !DrawingState().printing;
}
void SelectPaper() {
  SelectPrintableColour(0);
  SetDrawColourValue(PaperColour(GreyerPaper()));
}

void WidenStaffRow(int32_t staff, int32_t top, int32_t bottom, int32_t left, int32_t right) {
  if (staff < 0 || staff >= kStaffRowCapacity || staff >= kStaveRowCapacity) return;
  StaveRowExtent& extent = StaveRows().rows[staff];
  if (top > 0 && top - 1 < extent.top) extent.top = top - 1;
  if (bottom + 1 > extent.bottom) extent.bottom = bottom + 1;
  extent.left = std::min(extent.left, left);
  extent.right = std::max(extent.right, right);
}

void FillRow(ItemIndexRow& row, int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t staff) {
  const int32_t unit = MinimumExtent();
  if (right < left + unit) right = left + unit;
  if (bottom < top + unit) bottom = top + unit;
  row.left = Clamp16(left);
  row.right = Clamp16(right);
  row.top = Clamp16(top);
  row.bottom = Clamp16(bottom);
  row.staff = staff;
  WidenStaffRow(staff, top, bottom, left, right);
}

// ---- Walk state ----

struct StaffGeometry {
  int slot = 0;
  int32_t top = 0;       // top line, distance below the page top
  int32_t step = 6;      // staff step
  double half = 3;       // half-space
  int32_t spacing = 6;   // distance between neighbouring lines
  int lines = 5;
  int32_t height = 24;   // top line to bottom line
  bool tab = false;
  bool small = false;
  bool visible = true;
  int32_t row = 0;       // staff row, -1 beyond the tables
  int32_t right = 0;     // the staff's right end
  int32_t stave = -1;    // index among the page's staves (joined-stave rules)
};

struct OpenSpan {
  int kind = -1;
  int colour = 7;
  double x0 = 0, y0 = 0;
  bool fixed = false;
  int p1 = 0, p2 = 0;
  int32_t row = -1;
  int32_t target = 0;
  int32_t elapsed = 0;
  int32_t length = 0;  // a hairpin's length beyond the chord it is drawn at
  uint8_t notes[kMaxChordNotes] = {};  // a tie's starting chord
  int noteCount = 0;
};

struct TupletState {
  int32_t remaining = 0;
  double startX = -100;
  int32_t number = 0;
  int32_t notated = 0;
  int32_t reference = 0;
  int colour = 7;
  bool armed = false;
  int32_t row = -1;  // the tuplet mark's item row
};

struct BracketState {
  int32_t barsLeft = 0;
  double height = 0;
  int colour = 7;
};

struct PartWalk {
  int32_t keyCount = -1;
  bool keySharps = false;
};

struct PassState {
  // The first staff row as laid out: its stave on the page, middle and height.
  int32_t firstStave = -1;
  double firstMiddle = 0, firstHeight = 0;
  int clef = 1;
  int timeNumerator = 4;
  int timeCode = 5;
  PartWalk parts[kPartSlots];
  OpenSpan spans[kVoices][kSpanSlots];
  TupletState tuplets[kVoices];
  BracketState brackets[kPartSlots];
  std::unique_ptr<BeamGroup[]> beams;
  int32_t staffRow = 0;
  int32_t system = 0;
  double prevChordX = 0;
  int prevLow = 14, prevHigh = 14;
  double lastBarEnd = 0;
  bool clefAfterBar = false;
  int defaultColour = 7;
  std::vector<double> barXAbove;  // the bar lines of the staff above, its own x each
  std::vector<double> barXHere;
  int32_t barNumber = 0;
  int32_t pendingNumbers = -1;  // row of a number block waiting for its chord
  uint8_t numberBytes[5] = {};
  int numberColour = 7;
  bool countOnly = false;
  int32_t staffStartLeft = -1;      // from a staff-start item of the staff
  int32_t staffStartLength = 0;
  int32_t systemPreviousTop = -1;   // the staff above in this system
  int32_t extentRight = 0;
  int32_t extentBottom = 0;
  int32_t lastStoredRow = -2;
  int32_t lastStoredStaffRow = -1;
  double chordSymbolEnd = -1e9;  // right end of the staff's last chord symbol, and a gap
  std::deque<PartBraceRecord> braces;  // drawn after the staves, last first  // the screen's layout pass: numbers, no rows
  struct StaffLines {
    int32_t left, right, top, spacing, lines;
    bool visible;
  };
  std::vector<StaffLines> staffLines;
};

PassState* Pass = nullptr;

bool TabRhythmHidden() {
  return !Settings.printGuitarTabRhythm && (DrawingState().printing || Settings.pageViewMode);
}

// One row for the item, or only its number while nothing is drawn.
void TakeRow(const StaffGeometry& g, int32_t left, int32_t right, int32_t top, int32_t bottom, uint32_t offset) {
  if (Pass->countOnly || !g.visible) {
    RaiseRowCount();
    return;
  }
  AppendItemIndexRow(left, right, top, bottom, g.row, static_cast<uint32_t>(g.slot), offset);
}

int32_t CurrentRowNumber() { return std::min<int32_t>(Index().count, kItemIndexCapacity - 1); }

bool RowIsSelected(int32_t row) {
  const SelectionState& selection = TheScoreViewItems().selection;
  if (row == selection.selectedRow) return true;
  const int count = std::min<int>(selection.multiCount, kMultiSelectionCapacity);
  for (int i = 0; i < count; ++i) {
    if (selection.multiRows[i] == row) return true;
  }
  return false;
}

// ---- Stored page positions ----

bool PageHasStoredBoxes() {
  return !PageBoxesMissing && viewPage.boxCount > 0 && Tables.staffRowCount > 0;
}

// With the page's object boxes, an item stands at its box's left x (scaled
// to the view), never left of the box before it on the same staff row.
void StoredItemX(double& x, int32_t row, int32_t staffRow) {
  if (!PageHasStoredBoxes()) return;
  const int32_t counter = std::min<int32_t>(row, kItemIndexCapacity - 1);
  const int32_t boxes = std::min<int32_t>(viewPage.boxCount, kMaxLoadedBoxes);
  if (counter < 0 || counter >= boxes) return;
  const float scale = static_cast<float>(DrawingState().SpacingUnitX * Settings.pageBoxPercent / 100.0);
  x = std::max(0.0f, viewPage.boxes[counter][0] * scale);
  if (counter == 0 || Pass->lastStoredRow != counter - 1 || Pass->lastStoredStaffRow != staffRow) {
    Pass->lastStoredRow = counter;
    Pass->lastStoredStaffRow = staffRow;
    return;
  }
  const double previousLeft = std::max(0.0f, viewPage.boxes[counter - 1][0] * scale);
  if (x < previousLeft) x = previousLeft;
  Pass->lastStoredRow = counter;
}

// The stored box of an item row on the page, in world units: x scaled as
// the items' x are, y mapped from the staff's stave on the page onto the
// staff as the painter lays it out (distances below the page top). False
// without boxes, a box for the row or the staff's stave.
bool StoredItemBox(int32_t row, const StaffGeometry& g, double* x0, double* y0, double* x1, double* y1) {
  if (!PageHasStoredBoxes() || row < 0) return false;
  const int32_t boxes = std::min<int32_t>(viewPage.boxCount, kMaxLoadedBoxes);
  if (row >= boxes || g.stave < 0 || g.stave >= static_cast<int32_t>(viewPage.staveCount)) return false;
  const StaveRecord& stave = viewPage.staves[g.stave];
  if (stave.bottom <= stave.top) return false;
  const int16_t* box = viewPage.boxes[row];
  const double xScale = DrawingState().SpacingUnitX * Settings.pageBoxPercent / 100.0;
  const double yScale = static_cast<double>(g.height) / (stave.bottom - stave.top);
  *x0 = box[0] * xScale;
  *x1 = box[1] * xScale;
  *y0 = g.top + (box[2] - stave.top) * yScale;
  *y1 = g.top + (box[3] - stave.top) * yScale;
  return true;
}

// "Show attachment": a dotted line from a mark drawn in a voice colour (or
// a selected text, in the selection colour) to what it belongs to.
bool IsVoiceColour(int colour) { return colour >= kHighlightColour && colour < kHighlightColour + kVoices; }
void DrawAttachmentLine(int colour, double x0, double y0, double x1, double y1) {
  if (!Settings.showAttachment) return;
  SelectPrintableColour(colour);
  DrawDottedLineBy(x0, y0, x1 - x0, y1 - y0, 0.4);
}

// ---- Kind 0: bar lines ----

struct BarStyle {
  int strokes[5];  // 1 thin, 2 thick, 3 repeat dots, 0 end
  double k;
  double endOffset;
  double advance;
};

const BarStyle* StyleOf(int code) {
  static const BarStyle kSingle = {{1, 0}, 0, 1, 12};
  static const BarStyle kDouble = {{1, 1, 0}, 4.85, 4.5, 15};
  static const BarStyle kStart = {{2, 1, 3, 0}, 14, 10, 21};
  static const BarStyle kEnd = {{3, 1, 2, 0}, 11, 10, 21};
  static const BarStyle kBoth = {{3, 1, 2, 1, 3}, 21, 18, 29};
  static const BarStyle kFinal = {{1, 2, 0}, 6, 8, 19};
  static const BarStyle kBand = {{0}, 4.85, 1, 16};
  switch (code) {
    case 0: return &kSingle;
    case 1: case 6: case 8: return &kDouble;
    case 2: return &kStart;
    case 3: return &kEnd;
    case 4: return &kBoth;
    case 7: return &kFinal;
    case 9: return &kBand;
    default: return nullptr;
  }
}

// Whether only a bar boundary follows (after a hidden time signature and a
// hidden key signature, each optional): the bar line closes the staff.
bool OnlyBoundaryFollows(const uint8_t* stream, uint32_t offset, uint32_t end) {
  for (int step = 0; offset < end; ++step) {
    const uint8_t* item = stream + offset;
    if (item[0] >= kBarBoundary && KindOf(item) == kItemBarLine) return true;
    const bool hiddenTime = step == 0 && KindOf(item) == kItemTime && offset + 1 < end && (item[1] & 0x80);
    const bool hiddenKey = step <= 1 && KindOf(item) == kItemKey && (item[0] & 0x80);
    if (!hiddenTime && !hiddenKey) return false;
    uint32_t length = 0;
    if (!ItemLengthWithin(item, end - offset, ScoreFormatVersion, &length)) return false;
    offset += length;
  }
  return false;
}

double DrawBarLineItem(const uint8_t* item, uint32_t offset, const StaffGeometry& g, double x, int colour,
                       bool closesStaff) {
  const int code = item[0] >> 3;
  const BarStyle* style = StyleOf(code);
  if (!style) return x;  // nothing drawn and no row
  // The bar lines of one system share a row of the table.
  if (PageHasStoredBoxes()) StoredItemX(x, CurrentRowNumber(), g.row);
  else if (Settings.barAlignmentRequest) AlignBarLineX(x, Pass->system, Pass->barNumber);
  // A closing bar line near the staff's end (or past it) stands at the end,
  // its strokes inside the staff.
  if (closesStaff && PageHasStoredBoxes() && g.right > 0 && x >= g.right - style->k - 16) x = g.right - style->k;
  double length = g.height;
  double barTop = g.top;
  if (g.lines == 1) {
    barTop = g.top - 2 * g.spacing;
    length = 4 * g.spacing;
  }
  // A staff joined to the one above in its part takes that staff's bar line x.
  const size_t barIndex = Pass->barXHere.size();
  if (g.stave >= 0 && StaveJoinedToAbove(g.stave) && barIndex < Pass->barXAbove.size()) {
    x = std::round(Pass->barXAbove[barIndex]);
  }
  // Thin strokes fall on whole device pixels.
  x = SnapXToDevice(x);
  SelectPrintableColour(colour);
  double at = x;
  const double thin = PrintFactorSmall(), thick = PrintFactorLarge();
  if (code == 9) {
    const double from = Pass->lastBarEnd > 0 ? Pass->lastBarEnd - 0.1 : x;
    SelectPaper();
    FillWorldRect(from, -barTop, x - from, -(length + 2));
    SelectPrintableColour(colour);
    if (PartCount > 2) at = DrawBarSegments(at, 0, 0, barTop, length, colour, thin);
    if (g.stave >= 0) QueueDeferredBarLine(g.stave, x, -barTop, -(barTop + length), colour, 14, 17, Pass->braces);
  } else {
    for (int stroke : style->strokes) {
      if (stroke == 0) break;
      if (stroke == 3) {
        at = DrawRepeatDots(at, barTop + g.height, 0, 0, g.half);
      } else {
        at = DrawBarSegments(at, 0, 0, barTop, length, colour, stroke == 2 ? thick : thin);
      }
    }
  }
  const double end = x + style->endOffset;
  TakeRow(g, static_cast<int32_t>(x), static_cast<int32_t>(end), static_cast<int32_t>(barTop),
          static_cast<int32_t>(barTop + length), offset);
  Pass->barXHere.push_back(x);
  Pass->lastBarEnd = end;
  Pass->clefAfterBar = true;
  // The curve point after a bar line is the bar line's own x.
  AddCurvePoint(x, g.top + g.height);
  return x + style->advance;
}

// ---- Kind 1: clef ----

double DrawClefItem(const uint8_t* item, uint32_t offset, const StaffGeometry& g, double x) {
  const int code = ClefCodeOf(item);
  const bool small = x > kPageLeftMargin + 6 * g.step && !Pass->clefAfterBar;
  Pass->clefAfterBar = false;
  if (small) SetSmallNotes(1);
  const double bottom = g.top + g.height;
  int32_t rowTop = g.top, rowBottom = static_cast<int32_t>(bottom);
  int32_t width;
  if (code <= 7) {
    const ClefLayout layout = GetClefLayout(code, x, g.top, bottom, DrawingState().SpacingUnit, g.small);
    DrawGlyph(layout.glyph, x, -ClefLineY(layout, g.top, g.spacing), 8, 0, 0, -1);
    double above = 0, below = 0;
    DrawClefOctaveMark(ClefOctaveShift(item), layout, g.small, above, below);
    rowTop = static_cast<int32_t>(g.top - (code <= 1 ? 2 * g.step : 0) - above);
    rowBottom = static_cast<int32_t>(bottom + (code <= 1 ? 2 * g.step : 0) + below);
    width = small ? 14 : 21;
  } else if (code == kClefTablature) {
    // The glyph is centred on its baseline: on the staff's middle.
    DrawGlyph(g.lines <= 4 ? "tabs" : "tab", x, -(g.top + g.height / 2.0), 8, 0, 0, -1);
    width = StaveSizeInt(small ? 8 : 12);
  } else {
    // Percussion: two filled bars across the middle of the staff.
    const double middle = g.top + g.height / 2.0;
    const double w = std::max(1.0, g.step / 3.0), h = 2.0 * g.step;
    FillWorldRect(x + 2, -(middle - h / 2), w, -h);
    FillWorldRect(x + 2 + 2 * w, -(middle - h / 2), w, -h);
    width = StaveSizeInt(small ? 5 : 8);
  }
  if (small) SetSmallNotes(0);
  TakeRow(g, static_cast<int32_t>(x), static_cast<int32_t>(x) + width, rowTop, rowBottom, offset);
  Pass->clef = code;
  return x + 28;
}

// ---- Kind 2: key signature ----

const int8_t kSharpPositions[8][7] = {{7, 4, 8, 5, 9, 6, 10}, {9, 6, 10, 7, 4, 8, 5}, {4, 8, 5, 9, 6, 10, 7},
                                      {6, 3, 7, 4, 8, 5, 9},  {8, 5, 9, 6, 3, 7, 4},  {3, 7, 4, 8, 5, 9, 6},
                                      {5, 9, 6, 10, 7, 4, 8}, {7, 4, 8, 5, 2, 6, 3}};
const int8_t kFlatPositions[8][7] = {{3, 6, 2, 5, 8, 4, 7}, {5, 8, 4, 7, 3, 6, 2}, {7, 10, 6, 9, 5, 8, 4},
                                     {9, 5, 8, 4, 7, 3, 6}, {4, 7, 3, 6, 2, 5, 1}, {6, 9, 5, 8, 4, 7, 3},
                                     {8, 4, 7, 3, 6, 2, 5}, {3, 6, 2, 5, 1, 4, 0}};

double DrawKeyItem(const uint8_t* item, uint32_t offset, const StaffGeometry& g, double x) {
  const double start = x;
  const int32_t bottom = g.top + g.height;
  if (KeyIsNotPlayed(item)) {
    TakeRow(g, static_cast<int32_t>(x), static_cast<int32_t>(x), g.top, bottom, offset);
    return x;
  }
  const int count = KeyAccidentalCount(item);
  const bool sharps = KeyIsSharps(item);
  // Tablature and percussion staves have no positions of their own: the
  // treble clef's are used.
  const int clef = Pass->clef >= 0 && Pass->clef <= 7 ? Pass->clef : 1;
  const double reference = g.top + std::round(9 * g.half);
  PartWalk& part = Pass->parts[g.slot];
  if (count > 0) {
    for (int i = 0; i < count; ++i) {
      const int p = sharps ? kSharpPositions[clef][i] : kFlatPositions[clef][i];
      DrawGlyph(sharps ? "sharp" : "flat", x, -reference + std::round(g.half * p), 8, 0, 0, -1);
      x += 7;
    }
  } else if (part.keyCount > 0) {
    for (int i = 0; i < part.keyCount && i < 7; ++i) {
      const int p = part.keySharps ? kSharpPositions[clef][i] : kFlatPositions[clef][i];
      DrawGlyph("natural", x, -reference + std::round(g.half * p), 8, 0, 0, -1);
      x += 7;
    }
  } else if (!DrawingState().printing && !Settings.pageViewMode) {
    for (int i = 0; i < 7; ++i) {
      DrawGlyph("natural", x, -reference + std::round(g.half * kFlatPositions[clef][i]), 8, 0, 0, -1);
      x += 7;
    }
  }
  TakeRow(g, static_cast<int32_t>(start), static_cast<int32_t>(x), g.top, bottom, offset);
  if (count > 0) {
    part.keyCount = count;
    part.keySharps = sharps;
  }
  return x + 10;
}

// ---- Kind 3: time signature ----

double DrawTimeItem(const uint8_t* item, uint32_t offset, const StaffGeometry& g, double x, int colour) {
  const int32_t bottom = g.top + g.height;
  if (TimeIsHidden(item)) {
    TakeRow(g, static_cast<int32_t>(x), static_cast<int32_t>(x), g.top, bottom, offset);
    return x;
  }
  if (TimeIsScreenOnly(item) && DrawingState().printing) {
    RaiseRowCount();
    return x;
  }
  const int numerator = TimeNumerator(item);
  const int code = TimeDenominatorCode(item);
  Pass->timeNumerator = numerator;
  Pass->timeCode = code;
  const bool screen = !DrawingState().printing && !Settings.pageViewMode;
  if (screen && colour == 7 && TimeHasColourMark(item)) colour = 11;
  SelectPrintableColour(colour);
  const bool drawn = !g.tab || !TabRhythmHidden();
  const double start = x;
  double right;
  if (TimeIsSymbol(item)) {
    if (drawn && numerator == 2) DrawGlyph("24", x, -(g.top + g.height / 2.0), 8, 0, 0, -1);
    if (drawn && numerator == 4) DrawGlyph("44", x, -(g.top + g.height / 2.0), 8, 0, 0, -1);
    right = x + 11;
  } else {
    const int denominator = 1 << (7 - code);
    const int upper = numerator >= 10 ? 2 : 1;
    const int lower = denominator >= 100 ? 3 : denominator >= 10 ? 2 : 1;
    const int shift = StaveSizeInt(5);
    const double upperX = x + (upper < lower ? (lower - upper) * shift : 0);
    const double lowerX = x + (lower < upper ? (upper - lower) * shift : 0);
    if (drawn) {
      // The digits stand on the middle line and on the bottom line; on a
      // staff too low for two digits (one line) above and below its middle.
      const int32_t digitHeight = StaveSizeInt(12);
      const int32_t middle = g.top + g.height / 2;
      const int32_t lowerBase = g.height / 2 >= digitHeight ? bottom : middle + digitHeight;
      DrawTimeSignatureNumber(static_cast<int32_t>(upperX), -middle, numerator);
      DrawTimeSignatureNumber(static_cast<int32_t>(lowerX), -lowerBase, denominator);
    }
    if (upper == 2 || lower >= 2) x += 10;
    if (lower == 3) x += 10;
    right = x + 9;
  }
  if (TimeHasAdditionalSign(item)) {
    if (drawn) DrawGlyph("ts+", x + 22, -(g.top + g.height / 2.0), 8, 0, 0, -1);
    x += 4;
    right = x + 22;
  }
  TakeRow(g, static_cast<int32_t>(start), static_cast<int32_t>(right), g.top, bottom, offset);
  return x + 28;
}

// ---- Spans ----

int32_t NoteY(const StaffGeometry& g, int position) {
  return g.top + static_cast<int32_t>(std::lround((g.lines + 15 - position) * g.half));
}


// A tie: one curve per note of its starting chord, only for the notes the
// chord it ends at shares with it when it shares any; the upper half of a
// chord's notes arch up, the others down (one note: as the arch code says).
void DrawTieCurves(const OpenSpan& span, const uint8_t* chord, double x1, const StaffGeometry& g, double& low,
                   double& high) {
  const int n = span.noteCount;
  const int targetCount = chord ? ChordNoteCount(chord) : 0;
  auto inTarget = [&](uint8_t note) {
    for (int t = 0; t < targetCount; ++t) {
      const uint8_t other = chord[kChordHeaderBytes + t];
      if (g.tab ? (other >> 5) == (note >> 5) : (other & 31) == (note & 31)) return true;
    }
    return false;
  };
  bool shared = false;
  for (int k = 0; k < n; ++k) shared |= inTarget(span.notes[k]);
  low = 1e9;
  high = -1e9;
  for (int k = 0; k < n; ++k) {
    if (shared && !inTarget(span.notes[k])) continue;
    const uint8_t note = span.notes[k];
    const double y = g.tab ? g.top + (g.lines - 1 - (note >> 5)) * g.spacing - 4 : NoteY(g, note & 31);
    const bool up = n == 1 ? (span.p2 & 0x80) != 0 : k >= n / 2;
    const double start = up ? -y + StaveSizeReal(3) + 2 * g.half : -y - StaveSizeReal(2);
    double a = 0, b = 0;
    DrawCurveArc(span.p1 & 127, (span.p2 & 127) | (up ? 0x80 : 0), span.x0, x1, start, start, a, b);
    low = std::min(low, a);
    high = std::max(high, b);
  }
  if (low > high) low = high = span.y0;
}

void CompleteSpans(int voice, int32_t units, double x, double highY, double lowY, bool stemDown,
                   const StaffGeometry& g, const uint8_t* chord) {
  for (int v = 0; v < kVoices; ++v) {
    for (OpenSpan& span : Pass->spans[v]) {
      if (span.kind < 0) continue;
      if (span.kind >= 0x100) {
        // A hairpin is drawn at the first chord after it, of any voice.
        const double endY = -(g.top + g.height / 2.0 - span.p2);
        const double open = 4;
        const double endX = x + span.length;
        if (IsVoiceColour(span.colour)) DrawAttachmentLine(span.colour, span.x0, span.y0, x, -lowY);
        SelectPrintableColour(span.colour);
        if (span.kind == 0x100 + kTextHairpin18) {
          DrawLineTo(span.x0, span.y0, endX, endY + open, 0.4);
          DrawLineTo(span.x0, span.y0, endX, endY - open, 0.4);
        } else {
          DrawLineTo(span.x0, span.y0 + open, endX, endY, 0.4);
          DrawLineTo(span.x0, span.y0 - open, endX, endY, 0.4);
        }
        const double top = std::max(span.y0, endY) + open, bottom = std::min(span.y0, endY) - open;
        if (span.row >= 0) SetItemIndexRow(static_cast<int32_t>(span.x0), static_cast<int32_t>(endX),
                                           static_cast<int32_t>(-top), static_cast<int32_t>(-bottom), g.row, span.row);
        span.kind = -1;
        SelectPrintableColour(Pass->defaultColour);
        continue;
      }
      const bool below = (span.p2 & 0x80) == 0;
      const double sideY = below ? -lowY : -highY;
      if (!span.fixed) {
        // The span starts at this item; its time counts from the next one.
        span.x0 = span.kind == kMarkTie ? x + (g.tab ? 6 : stemDown ? 10 : 11) : x + 3;
        span.y0 = sideY + (below ? -(stemDown ? 1 : 2) : (stemDown ? 1 : 2));
        span.fixed = true;
        if (chord) {
          span.noteCount = ChordNoteCount(chord);
          std::copy(chord + kChordHeaderBytes, chord + kChordHeaderBytes + span.noteCount, span.notes);
        }
        continue;
      }
      if (v != voice) continue;
      span.elapsed += units;
      if (span.elapsed < span.target) continue;
      const double x1 = x + 3;
      const double y1 = sideY + (below ? -2 : 2);
      SelectPrintableColour(span.colour);
      double low = 0, high = 0;
      switch (span.kind) {
        case kMarkTie:
          if (span.noteCount > 0) {
            DrawTieCurves(span, chord, x - 1, g, low, high);
            if (span.row >= 0) SetItemIndexRow(static_cast<int32_t>(span.x0), static_cast<int32_t>(x - 1),
                                               static_cast<int32_t>(-high), static_cast<int32_t>(-low), g.row, span.row);
            break;
          }
          [[fallthrough]];
        case kMarkSlur:
          DrawCurveArc(span.p1 & 127, span.p2, span.x0, x1, span.y0, y1, low, high);
          if (span.row >= 0) SetItemIndexRow(static_cast<int32_t>(span.x0), static_cast<int32_t>(x1),
                                             static_cast<int32_t>(-high), static_cast<int32_t>(-low), g.row, span.row);
          break;
        case kMarkPedal:
          DrawGlyph(span.p1 == 0 ? "pedalengage" : "pedalrelease", span.x0, span.y0, 8, 0, 0, -1);
          break;
        case kMarkOrnament: {
          static const char* const kOrnaments[5] = {"trill", "mordentu", "mordentl", "turn", "turni"};
          if (span.p1 >= 0 && span.p1 < 5) DrawGlyph(kOrnaments[span.p1], span.p1 >= 3 ? x1 : span.x0, span.y0, 8, 0, 0, -1);
          break;
        }
        default:
          break;
      }
      if ((span.kind == kMarkPedal || span.kind == kMarkOrnament) && IsVoiceColour(span.colour)) {
        DrawAttachmentLine(span.colour, x1, y1, span.x0, span.y0);
      }
      span.kind = -1;
      SelectPrintableColour(Pass->defaultColour);
    }
  }
}

void EndStaffSpans(double x, const StaffGeometry& g) {
  for (auto& voice : Pass->spans) {
    for (OpenSpan& span : voice) {
      if (span.kind != kMarkTie || !span.fixed) continue;
      double low = 0, high = 0;
      SelectPrintableColour(span.colour);
      DrawCurveArc(span.p1 & 127, span.p2, span.x0, x - 16, span.y0, span.y0, low, high);
      if (span.row >= 0) SetItemIndexRow(static_cast<int32_t>(span.x0), static_cast<int32_t>(x - 16),
                                         static_cast<int32_t>(-high), static_cast<int32_t>(-low), g.row, span.row);
      span.kind = -1;
    }
  }
}

// ---- Tuplets ----

void FinishTuplet(int voice, double lastX, const StaffGeometry& g) {
  TupletState& t = Pass->tuplets[voice];
  if (!t.armed) return;
  TupletMark mark{};
  mark.number = t.number;
  mark.notatedLength = t.notated;
  mark.referenceLength = t.reference;
  mark.firstX = t.startX == -100 ? lastX : t.startX;
  mark.lastX = lastX;
  mark.staffTop = g.top;
  mark.spacing = g.spacing;
  mark.colour = t.colour;
  mark.attachment = Settings.showAttachment;
  double x0, y0, x1, y1;
  if (StoredItemBox(t.row, g, &x0, &y0, &x1, &y1)) {
    mark.fromBox = true;
    mark.boxBelow = (y0 + y1) / 2 > g.top + g.height / 2.0;
    mark.boxBaseline = y1;
  }
  DrawTupletMark(mark, voice);
  t = TupletState{};
}

void CountDownTuplet(int voice, int32_t units, double leftX, double rightX, const StaffGeometry& g) {
  TupletState& t = Pass->tuplets[voice];
  if (!t.armed || t.remaining <= 0) return;
  if (t.startX == -100) t.startX = leftX - 1;
  t.remaining = std::max(0, t.remaining - units);
  if (t.remaining == 0) FinishTuplet(voice, rightX, g);
}

// ---- Kind 4: chord ----

int32_t DurationUnits(int code, int dots) {
  int32_t u = 8 << std::min(code, 8);
  int32_t total = u;
  for (int k = 1; k <= dots; ++k) total += u >> k;
  return total;
}

const char* HeadGlyph(int notehead, int d) {
  if (notehead == 1) return "xhead";
  if (notehead >= 2) return nullptr;
  if (d <= 5) return "chead";
  if (d == 6) return "mhead";
  if (d == 7) return "sbhead";
  return "bhead";
}

int32_t HeadWidth(const char* glyph) {
  if (glyph && std::strcmp(glyph, "sbhead") == 0) return 10;
  if (glyph && std::strcmp(glyph, "bhead") == 0) return 11;
  return 8;
}

void DrawArticulations(const uint8_t* item, const StaffGeometry& g, double x, int32_t& top, int32_t& bottom,
                       bool beamed, BeamGroup* group, bool inGroup) {
  const int voice = ChordVoice(item);
  const bool down = ChordStemDown(item);
  const int dur = ChordDurationCode(item);
  const bool shares = ChordSharesColumn(item);
  const bool belowByVoice = voice == 1 || voice == 3 || (voice == 0 && !down && !shares);
  const bool belowFixed = voice == 1 || voice == 3;
  struct Mark {
    bool present;
    const char* up;
    const char* down;
    int drawnUp, drawnDown, stepUp, stepDown, code;
    int side;  // 0 by voice and stem, 1 by voice only, 2 always above
  };
  const int single = ChordArticulation(item);
  const int flags = ChordMarkFlags(item);
  const Mark marks[] = {
      {single == kArticulationStaccato, "dot", "dot", 6, 0, 5, 5, 0x500, 0},
      {single == kArticulationStaccatissimo, "staccatissu", "staccatissd", 5, -6, 10, 10, 0x600, 0},
      {(flags & kMarkTenuto) != 0, "tenuto", "tenuto", 6, -1, 4, 4, 0x04, 0},
      {(flags & kMarkAccent) != 0, "accent", "accent", 5, -4, 8, 8, 0x01, 0},
      {(flags & kMarkMarcato) != 0, "marcatou", "marcatod", 5, -4, 8, 8, 0x02, 1},
      {(flags & kMarkHarmonic) != 0, "harmonic", "harmonic", 5, 0, 8, 0, 0x20, 2},
      {(flags & kMarkPlus) != 0, "plus", "plus", 5, 0, 8, 0, 0x40, 2},
      {(flags & kMarkUpBow) != 0, "upbow", "upbow", 5, 0, 16, 0, 0x08, 2},
      {(flags & kMarkDownBow) != 0, "downbow", "downbow", 5, 0, 12, 0, 0x10, 2},
      {single == kArticulationFermata, "fermatau", "fermatad", 5, -8, 0, 0, 0x100, 1},
  };
  bool any = false;
  for (const Mark& m : marks) any |= m.present;
  if (!any) return;
  if ((voice == 0 || voice == 2) && !down && dur < 5) {
    top += 5 * dur - 20;
    if (beamed) top += static_cast<int32_t>(2 * g.half);
  }
  if ((voice == 1 || voice == 3) && down && dur < 5) {
    bottom += (4 - dur) * 5;
    if (beamed) bottom += static_cast<int32_t>(-2 * g.half);
  }
  // The first mark keeps clear of the staff lines: a staccato dot stands in
  // a space, a staccatissimo outside the staff.
  const int32_t spacing = g.spacing;
  const int32_t halfSpace = static_cast<int32_t>(spacing / 2);
  const int32_t bottomLine = g.top + (g.lines - 1) * spacing;
  if (single == kArticulationStaccato && spacing > 0) {
    if (!belowByVoice && top > g.top) {
      top = ((top - g.top + halfSpace) / spacing) * spacing - halfSpace + g.top - (g.tab ? 1 : 0);
    } else if (belowByVoice && bottom < g.top + g.lines * spacing) {
      bottom = (g.lines - ((g.lines * spacing - bottom - halfSpace + g.top) / spacing)) * spacing - halfSpace + g.top;
    }
  } else if (single == kArticulationStaccatissimo) {
    if (!belowByVoice || (flags & (kMarkUpBow | kMarkDownBow | kMarkHarmonic | kMarkPlus))) top = std::min(top, g.top + 2);
    if (belowByVoice && (voice == 3 || (voice == 1 && !(down && !shares))) && bottom < bottomLine + 6) {
      bottom = bottomLine + 3;
    }
  }
  for (const Mark& m : marks) {
    if (!m.present) continue;
    const bool below = m.side == 2 ? false : m.side == 1 ? belowFixed : belowByVoice;
    const double y = below ? m.drawnDown - bottom : m.drawnUp - top;
    const bool defer = inGroup && group && beamed && dur < 5 &&
                       ((!below && !down) || (below && down && (voice == 1 || voice == 3)));
    if (defer && group->markCount < kDeferredMarkCapacity) {
      group->markX[group->markCount] = static_cast<int32_t>(x);
      group->markY[group->markCount] = static_cast<int32_t>(y);
      group->markCode[group->markCount] = m.code;
      ++group->markCount;
    } else {
      DrawGlyph(below ? m.down : m.up, x, y, 8, 0, 0, -1);
    }
    if (below) bottom += m.stepDown;
    else top -= m.stepUp;
  }
}

// The ten 4-bit numbers of a number block (low nibble first), over the chord
// that follows the block, from the staff's top upward.
void DrawNumberBlock(const StaffGeometry& g, int32_t left, int32_t right) {
  double y0 = g.top;
  const double start = y0;
  SelectPrintableColour(Pass->numberColour);
  for (int i = 9; i >= 0; --i) {
    const int n = (Pass->numberBytes[i / 2] >> (i % 2 ? 4 : 0)) & 15;
    if (n == 0) continue;
    const char16_t text[3] = {static_cast<char16_t>(n >= 10 ? u'1' : u'0' + n), static_cast<char16_t>(n >= 10 ? u'0' + n - 10 : 0), 0};
    DrawFormattedText(left + 2, -8 - y0, text, Pass->numberColour, 1, true, false, true);
    y0 += 10;
  }
  SetItemIndexRow(left, right, static_cast<int32_t>(-(y0 - start) + start) - 8, static_cast<int32_t>(start), g.row,
                  Pass->pendingNumbers);
  Pass->pendingNumbers = -1;
}

double DrawChordItem(const uint8_t* item, uint32_t offset, const StaffGeometry& staff, double x, int colour) {
  StaffGeometry g = staff;
  const int n = ChordNoteCount(item);
  const int d = ChordDurationCode(item);
  const int dots = ChordDots(item);
  const bool down = ChordStemDown(item) && d <= 6;
  const int voice = ChordVoice(item);
  const bool grace = ChordIsGrace(item);
  const bool smallNotes = ChordIsSmall(item);
  bool anyAccidental = false;
  int low = 99, high = -99;
  for (int i = 0; i < n; ++i) {
    anyAccidental |= NoteAccidentalOf(item, i) != 0;
    low = std::min<int>(low, NotePosition(item, i));
    high = std::max<int>(high, NotePosition(item, i));
  }
  if (anyAccidental) x += 8;
  bool movedLeft = false;
  if (ChordSharesColumn(item)) {
    x = Pass->prevChordX;
    if (n > 0 && low <= Pass->prevHigh + 1 && high >= Pass->prevLow - 1) {
      if (!down) {
        x -= 6;
        movedLeft = true;
      } else {
        x += 8;
      }
    }
  }
  StoredItemX(x, CurrentRowNumber(), g.row);
  Pass->prevChordX = x;
  if (n > 0) {
    Pass->prevLow = low;
    Pass->prevHigh = high;
  }
  // Cross-staff chords stand on the staff row above or below.
  const uint8_t placement = ChordPlacementOf(item);
  if (placement == kPlacementAbove && Pass->staffRow > 0 && g.slot > 1 && Pass->staffRow - 1 < kStaffRowCapacity) {
    g.top = Tables.staffRows[Pass->staffRow - 1].middle - g.height / 2;
  } else if (placement == kPlacementBelow && Pass->staffRow + 1 < Tables.staffRowCount && g.slot < PartCount - 1 &&
             Pass->staffRow + 1 < kStaffRowCapacity) {
    g.top = Tables.staffRows[Pass->staffRow + 1].middle - g.height / 2;
  }
  if (smallNotes) SetSmallNotes(1);
  if (Settings.showVoiceNumbers && !DrawingState().printing && !Settings.pageViewMode) {
    if (colour == 7) colour = 60 + voice;
    else if (colour > 7) colour = 56 + voice;
  }
  SelectPrintableColour(colour);
  const int32_t headSize = SymbolSizeInt(8);
  const double headX = x + 5 + (g.tab ? 1 : 0) - headSize / 2.0;
  const int units = grace ? 0 : DurationUnits(d, dots);
  int32_t top = INT32_MAX, bottom = INT32_MIN;
  for (int i = 0; i < n; ++i) {
    const int32_t y = g.tab ? g.top + (g.lines - 1 - NoteString(item, i)) * g.spacing : NoteY(g, NotePosition(item, i));
    top = std::min(top, y);
    bottom = std::max(bottom, y);
  }
  if (n == 0) {
    top = g.top;
    bottom = g.top + g.height;
  }
  CompleteSpans(voice, units, x, top, bottom, down, g, item);
  if (n == 0) {
    TakeRow(g, static_cast<int32_t>(x), static_cast<int32_t>(x) + 8, g.top, g.top + g.height, offset);
    if (smallNotes) SetSmallNotes(0);
    return x + 8;
  }
  // Beam bookkeeping.
  const bool beamed = d < 5 && ChordBeamedToNext(item);
  const int slot = voice + (grace ? 4 : 0);
  BeamGroup& group = Pass->beams[slot];
  if (group.count > 0 && d < 7 && (!beamed || ChordStartsBeamGroup(item))) DrawBeamGroup(group, colour);
  if (beamed && (ChordStartsBeamGroup(item) || group.count == 0)) {
    group.count = 0;
    group.markCount = 0;
  }
  SelectPrintableColour(colour);
  const char* glyph = HeadGlyph(ChordNotehead(item), d);
  const int32_t headWidth = HeadWidth(glyph);
  // Heads of a second stand on the other side of the stem, every second one.
  std::vector<bool> moved(static_cast<size_t>(n), false);
  if (!g.tab) {
    if (!down) {
      for (int i = 1; i < n; ++i) {
        const int gap = NotePosition(item, i) - NotePosition(item, i - 1);
        if (gap >= 0 && gap <= 1 && !moved[i - 1]) moved[i] = true;
      }
    } else {
      for (int i = n - 2; i >= 0; --i) {
        const int gap = std::abs(NotePosition(item, i + 1) - NotePosition(item, i));
        if (gap <= 1 && !moved[i + 1]) moved[i] = true;
      }
    }
  }
  int ledgerAbove = g.lines + 17, ledgerBelow = 15 - g.lines;
  const double thin = PrintFactorSmall();
  for (int i = 0; i < n; ++i) {
    const int p = NotePosition(item, i);
    const double hx = headX + (moved[i] ? (down ? -headSize : headSize) : 0);
    if (g.tab) {
      const int32_t y = g.top + (g.lines - 1 - NoteString(item, i)) * g.spacing;
      char16_t fret[8];
      char narrow[8];
      std::snprintf(narrow, sizeof narrow, "%d", NoteFret(item, i));
      int k = 0;
      for (; narrow[k] && k < 7; ++k) fret[k] = narrow[k];
      fret[k] = 0;
      if (ChordNotehead(item) == 1) {
        fret[0] = u'x';
        fret[1] = 0;
      }
      SelectPaper();
      FillWorldRect(hx, -(y - g.half), 4.0 * k + 2, -2 * g.half);
      SelectPrintableColour(colour);
      DrawFormattedText(hx, -(y + g.half), fret, colour, 11, true, false, true);
      continue;
    }
    const int32_t y = NoteY(g, p);
    if (g.lines >= 5) {
      SelectPrintableColour(Pass->defaultColour);
      for (; ledgerAbove <= p; ledgerAbove += 2) {
        DrawLineTo(hx - 3, -NoteY(g, ledgerAbove), hx + headWidth + 3, -NoteY(g, ledgerAbove), thin);
      }
      for (; ledgerBelow >= p; ledgerBelow -= 2) {
        DrawLineTo(hx - 3, -NoteY(g, ledgerBelow), hx + headWidth + 3, -NoteY(g, ledgerBelow), thin);
      }
      SelectPrintableColour(colour);
    }
    if (glyph) DrawGlyph(glyph, hx, -y, 8, 0, 0, -1);
    for (int k = 0; k < dots; ++k) {
      if (g.tab && TabRhythmHidden()) break;
      const double dx = headX + headWidth + 1 + k * SmallNoteSize(static_cast<int32_t>(std::lround(3 * g.half)));
      const double dy = (p % 2 == 0) ? y - g.half : y;
      DrawGlyph("dot", dx, -dy, 8, 0, 0, -1);
    }
  }
  // Accidentals, from the last note towards the first.
  if (!g.tab) {
    int32_t column = 0;
    int previous = -100;
    bool previousShifted = false;
    for (int i = n - 1; i >= 0; --i) {
      const int code = NoteAccidentalOf(item, i);
      if (code == 0) continue;
      const int p = NotePosition(item, i);
      if (previous != -100 && std::abs(p - previous) <= 4 && !previousShifted) {
        column += AccidentalWidth(NoteAccidentalOf(item, i + 1 < n ? i + 1 : i));
        previousShifted = true;
      } else {
        column = 0;
        previousShifted = false;
      }
      DrawGlyph(kAccidentalGlyphs[code], headX - SymbolSizeInt(9) - column, -NoteY(g, p), 8, 0, 0, -1);
      previous = p;
    }
  }
  // Stem, flags or the beam group.
  const int32_t noteTop = top, noteBottom = bottom;
  bool inGroup = false;
  if (d <= 6 && !(g.tab && TabRhythmHidden())) {
    int32_t length;
    const int f = 5 - d;
    if (d >= 3) {
      length = static_cast<int32_t>(std::lround((beamed ? 5 : 7) * g.half));
    } else {
      length = beamed ? StaveSizeInt(4 * f) + static_cast<int32_t>(std::lround(3 * g.half))
                      : StaveSizeInt(5 * f) + static_cast<int32_t>(std::lround(5 * g.half));
    }
    length = SmallNoteSize(length + (down ? 2 : 1));
    const double stemX = down ? headX + 0.5 : headX + headWidth - 0.5;
    const double from = down ? top : bottom;
    double end = down ? bottom + length : top - length;
    const double middle = g.top + g.height / 2.0;
    if (!down && end > middle) end = middle;
    if (down && end < middle) end = middle;
    DrawLineTo(stemX, -from, stemX, -end, thin);
    if (beamed && group.count < kBeamGroupCapacity) {
      const int k = group.count++;
      group.stemX[k] = stemX;
      group.stemEndY[k] = -end;
      group.beams[k] = 5 - d;
      group.down[k] = down ? 1 : 0;
      group.colour[k] = colour;
      group.hidden[k] = 0;
      inGroup = true;
    } else if (d < 5) {
      // The music font's "flagu" flags hang from an attachment 19 units below
      // their baseline (the flags of stems up), its "flagd" flags rise from
      // the baseline (stems down): each attachment meets the stem's end.
      const int flags = std::min(5, f);
      char name[8];
      std::snprintf(name, sizeof name, down ? "flagd%d" : "flagu%d", flags);
      if (down) DrawGlyph(name, stemX - 0.5, -end, 8, 0, 0, -1);
      else DrawGlyph(name, stemX - 0.5, -end + SymbolSizeReal(19), 8, 0, 0, -1);
    }
    if (down) bottom = static_cast<int32_t>(end);
    else top = static_cast<int32_t>(end);
  }
  // The marks go by the heads' box: from the highest head's y to the
  // lowest head's y + a step.
  int32_t markTop = noteTop, markBottom = noteBottom + g.step;
  DrawArticulations(item, g, x, markTop, markBottom, beamed, &group, inGroup);
  if (smallNotes) SetSmallNotes(0);
  const int32_t left = static_cast<int32_t>(headX) - 2;
  const int32_t right = static_cast<int32_t>(headX) + headWidth + static_cast<int32_t>(dots * (g.half + 2));
  TakeRow(g, left, right, std::min(top, markTop), std::max(bottom + g.step, markBottom), offset);
  if (Pass->pendingNumbers >= 0) DrawNumberBlock(g, left, right);
  CountDownTuplet(voice, units, left, right, g);
  double next = x + 3 * g.step + static_cast<int32_t>(dots * (g.half + 1));
  // A chord moved left into a shared column leaves room for its neighbour.
  if (movedLeft) next += 12;
  return next;
}

// ---- Kind 5: rest ----

double DrawRestItem(const uint8_t* item, uint32_t offset, const StaffGeometry& g, double x, int colour) {
  const double middle = g.top + g.height / 2.0;
  const int voice = RestVoice(item);
  if (IsMultiBarRest(item)) {
    const uint32_t bars = MultiBarRestBars(item);
    SelectPrintableColour(colour);
    double right = x + 8;
    if (bars == 1) {
      DrawGlyph("sbrest", x, -(g.top + (g.lines >= 4 ? (g.lines / 2 - 1) * g.spacing : 0)), 8, 0, 0, -1);
      right = x + 9;
    } else if (bars >= 2) {
      const double start = std::max<double>(Pass->lastBarEnd, kPageLeftMargin);
      const double w = std::max(8.0, x - start);
      const double barHeight = std::max(2.0, g.step / 2.0);
      FillRectInt(static_cast<int32_t>(start), static_cast<int32_t>(-middle + barHeight / 2),
                  static_cast<int32_t>(start + w), static_cast<int32_t>(-middle - barHeight / 2));
      FillRectInt(static_cast<int32_t>(start), static_cast<int32_t>(-middle + g.step),
                  static_cast<int32_t>(start + 1), static_cast<int32_t>(-middle - g.step));
      FillRectInt(static_cast<int32_t>(start + w - 1), static_cast<int32_t>(-middle + g.step),
                  static_cast<int32_t>(start + w), static_cast<int32_t>(-middle - g.step));
      char digits[12];
      std::snprintf(digits, sizeof digits, "%u", bars);
      char16_t text[12];
      int k = 0;
      for (; digits[k]; ++k) text[k] = digits[k];
      text[k] = 0;
      DrawFormattedText(start + w / 2 - 4 * k, -(g.top - 4), text, colour, 18, true, false, true);
      right = start + w;
    }
    TakeRow(g, static_cast<int32_t>(x), static_cast<int32_t>(right), g.top, g.top + g.height, offset);
    // One bar at the current time signature: numerator << code << 3 units.
    const int32_t bar = (static_cast<int32_t>(Pass->timeNumerator) << Pass->timeCode) << 3;
    CompleteSpans(voice, bar, x, g.top, g.top + g.height, false, g, nullptr);
    return x + g.step;
  }
  const bool hidden = RestIsHidden(item);
  if (hidden && (DrawingState().printing || Settings.pageViewMode)) {
    RaiseRowCount();
    return x + 3 * g.step;
  }
  const int r = RestDurationCode(item);
  int32_t dOffset = 0;
  if (RestSharesColumn(item)) {
    x = Pass->prevChordX;
    if (!g.tab) {
      if (voice == 1 || voice == 3) {
        dOffset = ((22 - Pass->prevLow) / 2) * g.step;
      } else {
        dOffset = -((Pass->prevHigh - 10) / 2) * g.step;
        if (r <= 1) dOffset -= 2 * g.step;
        else if (r == 2 || r == 3 || r == 5) dOffset -= g.step;
      }
    }
    Pass->prevLow = std::min(Pass->prevLow, 14 - 2 * dOffset / g.step);
    Pass->prevHigh = std::max(Pass->prevHigh, 16 - 2 * dOffset / g.step);
  } else {
    if (voice == 1 || voice == 3) dOffset = 2 * g.step;
    Pass->prevLow = Pass->prevHigh = 14;
  }
  if (hidden) colour = 3;
  if (Settings.showVoiceNumbers && !DrawingState().printing && !Settings.pageViewMode && !hidden) {
    if (colour == 7) colour = 60 + voice;
    else if (colour > 7) colour = 56 + voice;
  }
  SelectPrintableColour(colour);
  static const char* const kGlyphs[8] = {"shdsqrest", "hdsqrest", "dsqrest", "sqrest", "qrest", "crest", "mrest", "sbrest"};
  static const int kWidths[8] = {15, 14, 12, 10, 8, 7, 9, 9};
  static const int kDotOffsets[8] = {-4, -5, -7, -8, 0, 0, 2, 4};
  double y;
  if (r <= 5) {
    y = middle;
  } else if (r == 6) {
    y = g.top + (g.lines >= 4 ? (g.lines / 2) * g.spacing : g.lines == 2 ? 2 * g.spacing : (g.lines - 1) * g.spacing);
  } else {
    y = g.top + (g.lines >= 4 ? (g.lines / 2 - 1) * g.spacing : 0);
  }
  y += dOffset;
  if (!(g.tab && TabRhythmHidden())) DrawGlyph(kGlyphs[r], x, -y, 8, 0, 0, -1);
  double right = x + StaveSizeInt(kWidths[r]);
  const double half = g.step / 2.0;
  const int32_t o = SmallNoteSize(StaveSizeInt(kDotOffsets[r]));
  for (int i = 0; i < RestDots(item); ++i) {
    const double dx = x + 1 + o + std::trunc(i * (half + 1)) - std::trunc(-3 * (half + 1));
    DrawGlyph("dot", dx, half - y, 8, 0, 0, -1);
    right = std::max(right, dx + 3);
  }
  if (RestHasFermata(item)) DrawGlyph("fermatau", x, -(g.top - 4), 8, 0, 0, -1);
  const int32_t rowTop = static_cast<int32_t>(y - 2 * g.step), rowBottom = static_cast<int32_t>(y + 2 * g.step);
  TakeRow(g, static_cast<int32_t>(x), static_cast<int32_t>(right), rowTop, rowBottom, offset);
  int32_t units = 8 << r;
  for (int k = 1; k <= RestDots(item); ++k) units += (8 << r) >> k;
  CountDownTuplet(voice, units, x, right, g);
  CompleteSpans(voice, units, x, rowTop, rowBottom, false, g, nullptr);
  return x + 3 * g.step + (r <= 3 ? 2 * g.step : 0);
}

// ---- Kind 6: marks ----

void DrawMarkItemOpen(const uint8_t* item, uint32_t offset, const StaffGeometry& g, double x, int colour) {
  const int sub = MarkSubKind(item);
  const uint32_t span = MarkSpan(item);
  const int row = CurrentRowNumber();
  TakeRow(g, static_cast<int32_t>(x), static_cast<int32_t>(x) + 8, g.top, g.top + g.height, offset);
  if (((sub == 0 || sub == 3) && item[1] == 0 && item[2] == 0) || sub == kMarkSubKindHidden) return;
  const int voice = MarkVoice(item);
  if (colour > 7) colour = 56 + voice;
  if (sub == kMarkTuplet) {
    TupletState& t = Pass->tuplets[voice];
    t = TupletState{};
    t.armed = true;
    t.number = MarkParameter1(item);
    t.reference = (MarkParameter2(item) + 1) * (MarkParameter1(item) & 127) * 8;
    t.remaining = t.reference;
    t.notated = static_cast<int32_t>(8 * span);
    t.colour = colour;
    t.row = row;
    if (t.remaining <= 0) t = TupletState{};
    return;
  }
  for (OpenSpan& slot : Pass->spans[voice]) {
    if (slot.kind >= 0) continue;
    slot = OpenSpan{};
    slot.kind = sub;
    slot.colour = colour;
    slot.target = static_cast<int32_t>(span) * 8;
    slot.p1 = MarkParameter1(item);
    slot.p2 = MarkParameter2(item);
    slot.row = row;
    return;
  }
}

// ---- Kind 7: texts ----

int32_t EstimatedTextWidth(const char16_t* text) {
  int32_t units = 0;
  for (const char16_t* c = text; *c; ++c) {
    if (*c >= 32) ++units;
  }
  return 6 * units;
}

int TextKindFor(uint8_t sub) {
  switch (sub) {
    case kTextTitle: return 16;
    case kTextSubtitle: return 15;
    case kTextComposer:
    case kTextLyricist: return 14;
    case kTextCopyright:
    case kTextGeneral:
    case kTextPageNumber: return 32;
    case kTextLyric: return 32;
    case kTextRehearsal: return 19;
    case kTextDynamic: return 24;
    case kTextTechnique: return 14;
    case kTextTempo: return 18;
    case kTextItalic: return 20;
    default: return 2;
  }
}

bool ContainsTo(const char16_t* text) {
  for (const char16_t* c = text; c[0] && c[1]; ++c) {
    if ((c[0] == u'T' || c[0] == u't') && (c[1] == u'O' || c[1] == u'o')) return true;
  }
  return false;
}

constexpr int kChordSymbolFontKind = 17;  // "Times New Roman" 12 bold
constexpr double kChordSymbolGap = 4;

// A chord symbol's width in world units from the metrics of its face (the
// same in the layout pass and in a paint); estimated without them. A font
// of size n points has an em of n x 1.25 world units.
double ChordSymbolWidth(const char16_t* text) {
  const TextFaceMetrics* face = FaceMetricsFor(u"Times New Roman", true, false);
  if (!face) return EstimatedTextWidth(text);
  const int length = static_cast<int>(std::char_traits<char16_t>::length(text));
  return MeasureTextPixels(*face, 150, text, length) / 10.0;
}

// A chord diagram (six strings, five frets, the base fret beside it) and the
// chord symbol over it, the symbol's text made by the installed formatter.
double DrawChordSymbolItem(const uint8_t* item, uint32_t offset, const StaffGeometry& g, double x, int colour) {
  const uint8_t version = ScoreFormatVersion;
  const int32_t itemX = static_cast<int32_t>(x);
  if (!IsChordSymbolItem(item, version)) {
    // Not the length a chord symbol has: nothing drawn, the row kept.
    TakeRow(g, itemX, itemX + 8, g.top, g.top + g.height, offset);
    return x;
  }
  const double dx = std::trunc(TextOffsetX(item, version) * kTextOffsetUnit);
  const double base = g.top - 8 - std::trunc(TextOffsetY(item, version) * kTextOffsetUnit);
  const double u = g.step / 1.2, v = (g.step / 1.4) * 5;
  // A symbol that would run into the one before it on the staff moves right,
  // and the running x with it.
  if (x + dx < Pass->chordSymbolEnd) x = Pass->chordSymbolEnd - dx;
  const double left = x + dx;
  const bool diagram = IsChordDiagramShown(item, version);
  double top = base, right = diagram ? left + 5 * u : left;
  double textLeft = left;
  SelectPrintableColour(colour);
  if (diagram) {
    uint8_t fields[kChordDiagramFieldCount] = {};
    GetChordDiagramFields(item, fields, version);
    const double gridTop = base - v;
    const double fret = v / 5;
    for (int i = 0; i < 6; ++i) {
      FillWorldRect(left + i * u, -gridTop, 0.5, -v);
      FillWorldRect(left, -(gridTop + i * fret), 5 * u, -0.5);
    }
    for (int i = 0; i < 6; ++i) {
      const int f = fields[1 + i];
      const double sx = left + i * u;
      if (f == 0) {
        DrawWorldCircle(sx, -(gridTop - 2), 1.2, 0.4);
      } else if (f <= 6) {
        FillWorldCircle(sx, -(gridTop + (f - 0.5) * fret), 1.4);
      } else {
        MoveToWorld(sx - 1.5, -(gridTop - 3.5));
        LineByWorld(3, -3, 0.4);
        MoveToWorld(sx - 1.5, -(gridTop - 0.5));
        LineByWorld(3, 3, 0.4);
      }
    }
    if (fields[0] != 0) {
      const std::string fr = std::to_string(fields[0]) + "fr";
      const std::u16string text(fr.begin(), fr.end());
      DrawFormattedText(right + 2, -(gridTop + fret), text.c_str(), colour, 31, true, false, true);
      right += 14;
    }
    top = gridTop - 5;
  }
  if (IsChordSymbolShown(item, version)) {
    char16_t text[64];
    if (FormatChordSymbol(GetChordSymbolRoot(item, version), GetChordSymbolQuality(item, version),
                          GetChordSymbolBass(item, version), text, 64) > 0) {
      const double width = ChordSymbolWidth(text);
      // Over a diagram the symbol is centred on the grid.
      const double textX = diagram ? left + 2.5 * u - width / 2 : left;
      DrawFormattedText(textX, -(top - 2), text, colour, kChordSymbolFontKind, true, false, true);
      textLeft = std::min(left, textX);
      right = std::max(right, textX + width);
      top -= 14;
    }
  }
  if (RowIsSelected(CurrentRowNumber())) DrawAttachmentLine(kHighlightColour, textLeft, -top, x, -g.top);
  TakeRow(g, static_cast<int32_t>(textLeft), static_cast<int32_t>(right), static_cast<int32_t>(top),
          static_cast<int32_t>(base), offset);
  Pass->chordSymbolEnd = right + kChordSymbolGap;
  return x;
}

// A page text of a read page stands where it stood on the page over (or
// under) the page's first stave, that stave mapped onto the first staff as
// the painter lays it out: its stored y is a distance from the page's top,
// which the laid-out staves do not keep. False without the page's boxes.
bool PageTextBaselineFromPage(int32_t row, double* baseline) {
  if (!PageHasStoredBoxes() || row < 0 || Pass->firstStave < 0 || !(Pass->firstHeight > 0)) return false;
  if (row >= std::min<int32_t>(viewPage.boxCount, kMaxLoadedBoxes) ||
      Pass->firstStave >= static_cast<int32_t>(viewPage.staveCount))
    return false;
  const StaveRecord& stave = viewPage.staves[Pass->firstStave];
  if (stave.bottom <= stave.top) return false;
  const double scale = Pass->firstHeight / (stave.bottom - stave.top);
  *baseline = Pass->firstMiddle + (viewPage.boxes[row][3] - (stave.top + stave.bottom) / 2.0) * scale;
  return true;
}

void CorrectPageTextX(uint8_t* item, uint8_t version, const char16_t* text, int kind, int32_t row) {
  if (!PageHasStoredBoxes() || viewPage.width == 0) return;
  const int32_t boxes = std::min<int32_t>(viewPage.boxCount, kMaxLoadedBoxes);
  if (row < 0 || row >= boxes) return;
  const float boxScale = static_cast<float>(DrawingState().SpacingUnitX * Settings.pageBoxPercent / 100.0);
  const double pixelsPerWorld = DeviceScale() * DrawingState().scale;
  if (!(boxScale > 0) || !(pixelsPerWorld > 0)) return;
  const int32_t width = MeasureFormattedText(text, kind, true);
  if (width <= 0) return;
  const int32_t measured = static_cast<int32_t>(width / pixelsPerWorld / boxScale);
  const int16_t* box = viewPage.boxes[row];
  const PageTextFit fit = FitPageTextToBox(box[0], box[1], measured, static_cast<int32_t>(viewPage.width));
  if (!fit.moved) return;
  const long x = std::lround(std::max(0, fit.left) * static_cast<double>(boxScale));
  SetTextWordAt(item, version, 0, static_cast<uint16_t>(std::clamp<long>(x, 0, 0xFFFF)));
}

double DrawTextItem(const uint8_t* item, uint32_t length, uint32_t offset, const StaffGeometry& g, double x,
                    int colour) {
  const uint8_t version = ScoreFormatVersion;
  const uint8_t sub = TextSubKindOf(item);
  const uint32_t header = TextHeaderBytes(version);
  const TextLayout layout = TextLayoutOf(sub);
  const int32_t itemX = static_cast<int32_t>(x);
  auto plainRow = [&] { TakeRow(g, itemX, itemX + 8, g.top, g.top + g.height, offset); };
  SelectPrintableColour(colour);
  if (sub == kTextNumberBlock) {
    if (header + 5 <= length) {
      Pass->pendingNumbers = CurrentRowNumber();
      std::copy(item + header, item + header + 5, Pass->numberBytes);
      Pass->numberColour = colour;
    }
    plainRow();
    return x;
  }
  if (sub == kTextStaffStart) {
    if (header + 4 > length) {
      plainRow();
      return x;
    }
    // The staff's own left end and length; the running x starts 8 right of it.
    const int32_t left = static_cast<int32_t>(TextWordAt(item, version, 0));
    const int32_t staffLength = static_cast<int32_t>(TextWordAt(item, version, 1));
    TakeRow(g, left, left + 8, g.top, g.top + g.height, offset);
    ResetCurvePoints();
    if (PartFlag[g.slot] == 0) {
      Pass->staffStartLeft = left;
      Pass->staffStartLength = staffLength;
      // The system's connecting line up to the staff above.
      if (Pass->systemPreviousTop >= 0) {
        SelectPrintableColour(Pass->defaultColour);
        DrawLineBy(left, -(g.top + g.height), 0, g.top + g.height - Pass->systemPreviousTop, 0.4);
      }
      // The number of the staff's first bar over its start, from the second bar on.
      if (IsDrawingEnabled()) {
        const int32_t bar = CountBarLineItems(g.slot, offset);
        if (bar > 1) {
          const std::string digits = std::to_string(bar);
          const std::u16string number(digits.begin(), digits.end());
          DrawFormattedText(left, -(g.top - 14), number.c_str(), colour, 20, true, false, true);
        }
      }
    }
    return left + 8;
  }
  if (sub == kTextHairpin18 || sub == kTextHairpin19) {
    plainRow();
    if (header + 6 > length) return x;  // too short for its heights
    const int row = CurrentRowNumber() - 1;
    const double middle = g.top + g.height / 2.0;
    for (int v = 0; v < kVoices; ++v) {
      for (OpenSpan& slot : Pass->spans[v]) {
        if (slot.kind >= 0) continue;
        slot = OpenSpan{};
        slot.kind = 0x100 + sub;
        slot.colour = colour;
        slot.x0 = x;
        slot.y0 = -(middle - SignMagnitudeValue(item[header + 2]));
        slot.p1 = SignMagnitudeValue(item[header + 2]);
        slot.p2 = SignMagnitudeValue(item[header + 5]);
        slot.length = item[header + 3] + 256 * item[header + 4];
        slot.target = 16384;
        slot.row = row;
        slot.fixed = true;
        return x;
      }
    }
    return x;
  }
  if (sub == kTextChordSymbol) return DrawChordSymbolItem(item, offset, g, x, colour);
  if (layout == TextLayout::kNoText) {
    plainRow();
    return x;
  }
  const uint32_t fields = layout == TextLayout::kBracketText ? 3 : layout == TextLayout::kStaffText ? 2 : 4;
  const uint32_t textStart = TextStart(item, version);
  if (header + fields > length || textStart > length) {
    // Too short for its fields: nothing drawn, the row kept.
    plainRow();
    return x;
  }
  char16_t text[161] = {};
  if (textStart + TextByteCount(item, version) <= length) ReadItemText(item, version, text, 161);
  const int32_t width = EstimatedTextWidth(text);
  if (layout == TextLayout::kPageText) {
    // The screen's layout pass fits the text to its stored box; the drawing
    // pass after it draws the text where it now stands.
    if (Pass->countOnly && !DrawingState().printing && text[0]) {
      CorrectPageTextX(const_cast<uint8_t*>(item), version, text, TextKindFor(sub), CurrentRowNumber());
    }
    const double tx = std::max(0, static_cast<int32_t>(TextWordAt(item, version, 0)));
    double ty = std::max<int32_t>(13, static_cast<int32_t>(TextWordAt(item, version, 1)) + 13);
    double placed = 0;
    if (PageTextBaselineFromPage(CurrentRowNumber(), &placed)) ty = std::max(13.0, placed);
    if (!Settings.pageViewMode && text[0]) DrawFormattedText(tx, -ty, text, colour, TextKindFor(sub), true, false, true);
    TakeRow(g, static_cast<int32_t>(tx), static_cast<int32_t>(tx) + width, static_cast<int32_t>(ty) - 13,
            static_cast<int32_t>(ty) + 3, offset);
    return x;
  }
  const double s = kTextOffsetUnit;
  // Above the staff's middle by dy, right of the anchor by dx.
  const double baseline = g.top + g.height / 2.0 - std::trunc(TextOffsetY(item, version) * s);
  if (sub == kTextCoda || sub == kTextSegno) {
    const bool sign = sub == kTextCoda || text[0] == 0;
    if (sign) DrawGlyph(sub == kTextCoda ? "coda" : "segno", x, -baseline, 8, 0, 0, -1);
    if (text[0]) {
      if (sub == kTextCoda && ContainsTo(text)) {
        DrawFormattedText(x - 2, -baseline, text, colour, 32, true, true, true);
      } else {
        DrawFormattedText(sign ? x + 20 : x, -baseline, text, colour, 32, true, false, true);
      }
    }
    TakeRow(g, itemX, itemX + std::max(width, 20), static_cast<int32_t>(baseline) - 20, static_cast<int32_t>(baseline) + 3,
            offset);
    return sub == kTextCoda ? x + 25 : sign ? x + 20 : x;
  }
  const double tx = x + std::trunc(TextOffsetX(item, version) * s);
  if (text[0]) DrawFormattedText(tx, -baseline, text, colour, sub == kTextBracket ? 0 : TextKindFor(sub), true, false, true);
  if (sub == kTextRehearsal) DrawWorldRectOutline(tx - 2, -(baseline - 15), width + 4, -19);
  if (RowIsSelected(CurrentRowNumber())) {
    DrawAttachmentLine(kHighlightColour, tx, -baseline, x, -(g.top + g.height / 2.0));
  }
  int32_t right = static_cast<int32_t>(tx) + width;
  if (sub == kTextBracket) {
    BracketState& b = Pass->brackets[g.slot];
    b.barsLeft = item[header + 2];
    b.height = g.top + g.height / 2.0 - baseline + 4;
    b.colour = colour;
    DrawLineTo(tx, -(baseline - 4), tx, -(baseline + 2), 0.4);
    right = std::max(right, static_cast<int32_t>(tx) + 40);
  }
  TakeRow(g, static_cast<int32_t>(tx), right, static_cast<int32_t>(baseline) - 13, static_cast<int32_t>(baseline) + 3,
          offset);
  return x;
}

// ---- Staves ----

int32_t TablatureSpacing(int32_t step) { return static_cast<int32_t>(std::lround(1.5 * step)); }

StaffGeometry MakeStaffGeometry(int slot, int32_t top) {
  StaffGeometry g;
  g.slot = slot;
  g.top = top;
  g.step = StaveScaleUnits(slot);
  g.half = g.step / 2.0;
  g.tab = PartTablatureFlags[slot].flag != 0;
  g.small = PartSmallStave[slot] != 0;
  g.lines = static_cast<int>(std::clamp<uint32_t>(PartLineCount(slot), 1, 6));
  const int32_t lineSpacing = g.tab ? TablatureSpacing(g.step) : g.step;
  g.spacing = g.lines <= 3 ? 2 * lineSpacing : lineSpacing;
  g.height = g.spacing * (g.lines - 1);
  g.row = Pass->staffRow < kStaffRowCapacity ? Pass->staffRow : -1;
  g.stave = Pass->staffRow < kStaveSlots ? Pass->staffRow : -1;
  g.visible = !Settings.pageViewMode || DrawingState().LayoutOnlyFlag ||
              (Pass->staffRow >= Settings.firstVisibleRow && Pass->staffRow <= Settings.lastVisibleRow);
  return g;
}

void DrawQueuedStaffLines() {
  const double thin = PrintFactorSmall();
  SelectPrintableColour(Pass->defaultColour);
  for (const auto& s : Pass->staffLines) {
    if (!s.visible) continue;
    for (int i = 0; i < s.lines; ++i) {
      const double y = -(s.top + i * s.spacing);
      DrawLineTo(s.left, y, s.right, y, thin);
    }
  }
}

// Ends the staff at x: spans, the page's staff tables, the staff's lines.
void EndStaff(const StaffGeometry& g, double x) {
  for (int v = 0; v < kVoices; ++v) FinishTuplet(v, x - 2, g);
  if (!(g.tab && TabRhythmHidden())) {
    for (int s = 0; s < kBeamSlots; ++s) DrawBeamGroup(Pass->beams[s], Pass->defaultColour);
  } else {
    for (int s = 0; s < kBeamSlots; ++s) Pass->beams[s].count = Pass->beams[s].markCount = 0;
  }
  EndStaffSpans(x, g);
  if (PartFlag[g.slot] != 0) return;
  const int32_t row = Pass->staffRow;
  const int32_t middle = g.top + g.height / 2;
  if (row < kStaffRowCapacity) {
    const int32_t staffLeft = Pass->staffStartLeft >= 0 ? Pass->staffStartLeft : kPageLeftMargin;
    PageStaffEntry entry{staffLeft, middle, g.slot, Pass->system};
    PageStaffEntry& old = Tables.pageStaves[row];
    if (row >= Tables.pageStaffCount || std::memcmp(&old, &entry, sizeof entry) != 0) {
      old = entry;
      Tables.pageStavesChanged = true;
    }
    Tables.pageStaffCount = std::max(Tables.pageStaffCount, row + 1);
    Tables.staffRows[row].middle = middle;
    if (row == 0) {
      Pass->firstStave = g.stave;
      Pass->firstMiddle = g.top + g.height / 2.0;
      Pass->firstHeight = g.height;
    }
    Tables.staffRows[row].itemCount = Index().count;
    if (row < kStaveSlots) StavePartSlot[row] = g.slot;
    if (row < kStaveRowCapacity) {
      StaveRowExtent& extent = StaveRows().rows[row];
      extent.left = std::min(extent.left, staffLeft);
      extent.right = std::max(extent.right, static_cast<int32_t>(x));
      extent.top = std::min(extent.top, g.top - 1);
      extent.bottom = std::max(extent.bottom, g.top + g.height + 1);
      StaveRows().count = std::max(StaveRows().count, row + 1);
    }
    // The brace of a part of several staves, drawn after the staves.
    if (g.stave >= 0 && g.visible) {
      QueueDeferredBarLine(g.stave, staffLeft, -g.top, -(g.top + g.height), Pass->defaultColour, 14, 17,
                           Pass->braces);
    }
    Pass->extentRight = std::max(Pass->extentRight, static_cast<int32_t>(x));
    Pass->extentBottom = std::max(Pass->extentBottom, g.top + g.height + 40);
    // A staff start gives the staff's own left end and length.
    const int32_t lineLeft = Pass->staffStartLeft >= 0 ? Pass->staffStartLeft : kPageLeftMargin;
    const int32_t lineRight = std::max(Pass->staffStartLeft >= 0 ? Pass->staffStartLeft + Pass->staffStartLength
                                                                 : static_cast<int32_t>(std::max<double>(x, kPageLeftMargin + 24)),
                                       g.right);
    Pass->staffLines.push_back({lineLeft, lineRight, g.top, g.spacing, g.lines, g.visible});
    Pass->systemPreviousTop = g.top;
  }
  ++Pass->staffRow;
}

int DefaultItemColour() { return Settings.shadeUnhighlighted && !Settings.pageViewMode ? 3 : 7; }

// Walks one staff of a part from offset to its end-of-staff item or end;
// returns where the part goes on.
uint32_t WalkStaff(int slot, const uint8_t* stream, uint32_t offset, uint32_t end, int32_t& top, bool& ended) {
  StaffGeometry g = MakeStaffGeometry(slot, top);
  // With the page's boxes the staff ends where its stave ends on the page.
  if (PageHasStoredBoxes() && g.stave >= 0 && g.stave < static_cast<int32_t>(viewPage.staveCount)) {
    const double boxScale = DrawingState().SpacingUnitX * Settings.pageBoxPercent / 100.0;
    g.right = static_cast<int32_t>(std::lround(viewPage.staves[g.stave].right * boxScale));
  }
  DrawingStateRecord& state = DrawingState();
  const uint32_t savedLayout = state.LayoutOnlyFlag;
  if (!g.visible) state.LayoutOnlyFlag = 1;
  SetCurrentStaff(slot, slot);
  // With stored boxes the items take their x from the page.
  double x = PageHasStoredBoxes() ? 0 : kPageLeftMargin + 8;
  Pass->barXHere.clear();
  Pass->barNumber = 0;
  Pass->lastBarEnd = kPageLeftMargin;
  Pass->clefAfterBar = true;
  ResetCurvePoints();
  Pass->staffStartLeft = -1;
  Pass->chordSymbolEnd = -1e9;
  bool any = false;
  ended = false;
  while (offset < end) {
    uint32_t length = 0;
    if (!ItemLengthWithin(stream + offset, end - offset, ScoreFormatVersion, &length)) {
      offset = end;  // a damaged tail ends the part's walk
      break;
    }
    const uint8_t* item = stream + offset;
    if (item[0] == kBarBoundary) {
      offset += length;
      ended = true;
      break;
    }
    if (IsStructureMark(item)) {
      offset += length;
      continue;
    }
    const int32_t rowNumber = CurrentRowNumber();
    int colour = Pass->defaultColour;
    if (g.row >= 0 && g.row == Settings.editedStave) colour = 7;
    if (RowIsSelected(rowNumber)) colour = kSelectionColour;
    SelectPrintableColour(colour);
    const ItemKind kind = KindOf(item);
    if (kind == kItemClef || kind == kItemKey || kind == kItemTime || kind == kItemMark ||
        (kind == kItemRest && !RestSharesColumn(item))) {
      StoredItemX(x, rowNumber, g.row);
    }
    switch (kind) {
      case kItemBarLine: {
        for (int v = 0; v < kVoices; ++v) {
          if (Pass->tuplets[v].armed && Pass->tuplets[v].remaining == 0) FinishTuplet(v, x - 2, g);
        }
        const double barX = x;
        x = DrawBarLineItem(item, offset, g, x, colour, OnlyBoundaryFollows(stream, offset + length, end));
        BracketState& bracket = Pass->brackets[slot];
        if (bracket.barsLeft >= 1 && x != barX) {
          SelectPrintableColour(bracket.colour);
          const double y = -(g.top + g.height / 2.0) + bracket.height;
          DrawLineTo(Pass->barXHere.size() >= 2 ? Pass->barXHere[Pass->barXHere.size() - 2] : kPageLeftMargin + 4 * g.step,
                     y, Pass->lastBarEnd, y, 0.4);
          --bracket.barsLeft;
        }
        break;
      }
      case kItemClef: x = DrawClefItem(item, offset, g, x); break;
      case kItemKey: x = DrawKeyItem(item, offset, g, x); break;
      case kItemTime: x = DrawTimeItem(item, offset, g, x, colour); break;
      case kItemChord: x = DrawChordItem(item, offset, g, x, colour); break;
      case kItemRest: x = DrawRestItem(item, offset, g, x, colour); break;
      case kItemMark: DrawMarkItemOpen(item, offset, g, x, colour); break;
      case kItemText: x = DrawTextItem(item, length, offset, g, x, colour); break;
    }
    any = true;
    offset += length;
  }
  if (ended && any && slot != 0) {
    EndStaff(g, x + 8);
    top += g.height + 62;
  } else if (ended && any) {
    EndStaff(g, x + 8);
  }
  Pass->barXAbove = Pass->barXHere;
  state.LayoutOnlyFlag = savedLayout;
  return offset;
}

void WalkPage() {
  const int parts = std::clamp<int>(PartCount, 0, kPartSlots);
  const int page = ScorePages.current;
  uint32_t start[kPartSlots] = {}, end[kPartSlots] = {};
  for (int slot = 0; slot < parts; ++slot) {
    const uint32_t used = StreamUsedLength(ScoreStream, slot);
    start[slot] = std::min(PageStarts[page - 1][slot], used);
    end[slot] = page < ScorePages.count ? std::min(PageStarts[page][slot], used) : used;
    if (end[slot] < start[slot]) end[slot] = start[slot];
  }
  int32_t top = kPageTopMargin;
  uint32_t at[kPartSlots];
  std::copy(start, start + kPartSlots, at);
  auto open = [&] {
    for (int slot = 1; slot < parts; ++slot) {
      if (at[slot] < end[slot]) return true;
    }
    return false;
  };
  while (open()) {
    for (int slot = 1; slot < parts; ++slot) {
      if (at[slot] >= end[slot]) continue;
      const uint8_t* stream = StreamBytes(ScoreStream, slot);
      if (!stream) {
        at[slot] = end[slot];
        continue;
      }
      bool ended = false;
      at[slot] = WalkStaff(slot, stream, at[slot], end[slot], top, ended);
    }
    ++Pass->system;
    Pass->systemPreviousTop = -1;
    top += 20;
  }
  if (parts > 0 && StreamBytes(ScoreStream, 0)) {
    int32_t pageTop = kPageTopMargin;
    while (at[0] < end[0]) {
      bool ended = false;
      const uint32_t before = at[0];
      at[0] = WalkStaff(0, StreamBytes(ScoreStream, 0), at[0], end[0], pageTop, ended);
      if (at[0] == before) break;
    }
  }
}

// The page-view mode's caption and the small overview of the page's staff
// rows, in device pixels.
void DrawPageOverview() {
  if (!Settings.pageViewMode || DrawingState().printing) return;
  render::DrawDevice* dc = DrawingState().dc;
  char16_t page[32] = {}, gap[8] = {}, of[32] = {};
  LoadUiString(kStrCaptionPage, page, 32);
  LoadUiString(kStrCaptionGap, gap, 8);
  LoadUiString(kStrCaptionOf, of, 32);
  std::u16string caption = page;
  auto number = [](int n) {
    const std::string d = std::to_string(n);
    return std::u16string(d.begin(), d.end());
  };
  caption += number(ScorePages.current) + gap + of + gap + number(ScorePages.count);
  if (dc) {
    if (render::FontHandle font = CreateDisplayFont(dc, u"Times New Roman", 480, 0, 0, true, false, false)) {
      const render::FontHandle previous = dc->SelectFont(font);
      dc->SetTextColour(ColourTable[PrintableColourIndex(11)]);
      dc->SetTransparentBaselineText();
      dc->TextAt(4, 48, caption.c_str(), static_cast<int>(caption.size()));
      dc->SelectFont(previous);
      dc->DeleteFont(font);
    }
  }
  // A page of no size has no overview.
  const int64_t w = ScorePageSize.width, h = ScorePageSize.height;
  if (w <= 0 || h <= 0) return;
  const int32_t width = static_cast<int32_t>(w > h ? 150 : w * 150 / h);
  const int32_t height = static_cast<int32_t>(w > h ? h * 150 / w : 150);
  SelectDrawColour(2);
  DrawRectOutline(4, -68, width, height, 0);
  const int32_t rows = Tables.staffRowCount;
  if (rows <= 0) return;
  const int32_t y0 = Tables.staffRows[0].middle, yLast = Tables.staffRows[rows - 1].middle;
  auto rowY = [&](int i) {
    if (rows <= 1 || yLast == y0) return 76;
    return static_cast<int>(76 + static_cast<int64_t>(Tables.staffRows[i].middle - y0) * (height - 17) / (yLast - y0));
  };
  int systemFirst = 0;
  for (int i = 0; i < rows; ++i) {
    const bool shown = i >= Settings.firstVisibleRow && i <= Settings.lastVisibleRow;
    SelectDrawColour(shown ? 7 : 1);
    DrawLineWidth(12, -rowY(i), width - 4, -rowY(i), 0);
    const bool last = i == rows - 1 || Tables.pageStaves[i + 1].system != Tables.pageStaves[i].system;
    if (last) {
      DrawLineWidth(12, -rowY(systemFirst), 12, -rowY(i), 0);
      systemFirst = i + 1;
    }
  }
}

// The name of a part of several staves, beside its brace.
// The brace hands the label's place as a distance below the page top.
void DrawPartLabel(int colour, uint32_t kindA, uint32_t, int32_t staff, int32_t y) {
  DrawStaveNameLabel(colour, static_cast<int>(kindA), staff, -y);
}

void ResetPass(PassState& pass) {
  pass.beams.reset(new BeamGroup[kBeamSlots]);
  pass.defaultColour = DefaultItemColour();
  ItemIndex& index = Index();
  index.count = 0;
  StaveRowTable& rows = StaveRows();
  rows.count = 0;
  for (StaveRowExtent& e : rows.rows) e = StaveRowExtent{INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN};
}

void FinishStaveRows() {
  StaveRowTable& rows = StaveRows();
  for (int i = 0; i < kStaveRowCapacity; ++i) {
    StaveRowExtent& e = rows.rows[i];
    if (i >= rows.count || e.left > e.right) e = StaveRowExtent{0, 0, 0, 0};
  }
}

}  // namespace

// A page text measured against its stored box on the page: when the two
// widths differ by 4 box units or more the text keeps the side of the page
// it was set to (centred when the margins either side are within half of
// each other, else flush right or flush left) and its x becomes the box's
// new left edge, in the units the items take their x from stored boxes in.
PageTextFit FitPageTextToBox(int32_t boxLeft, int32_t boxRight, int32_t measured, int32_t pageWidth) {
  PageTextFit fit{false, boxLeft};
  const int32_t stored = boxRight - boxLeft;
  if (std::abs(stored - measured) < 4) return fit;
  fit.moved = true;
  const double leftMargin = boxLeft, rightMargin = pageWidth - boxRight;
  if (rightMargin <= 1.5 * leftMargin && leftMargin <= 1.5 * rightMargin) {
    fit.left = boxLeft - (measured - stored) / 2;
  } else if (rightMargin <= 1.5 * leftMargin) {
    fit.left = boxRight - measured;
  }
  return fit;
}

ScorePainterSettings& PainterSettings() { return Settings; }
ScorePainterTables& PainterTables() { return Tables; }
void ResetPainterTables() { Tables = ScorePainterTables{}; }
void SetPrinterSheet(const PrinterCaps& caps) { PrinterSheet = caps; }

void AppendItemIndexRow(int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t staff, uint32_t part,
                        uint32_t offset) {
  ItemIndex& index = Index();
  if (index.count < 0) index.count = 0;
  // Once the table is full the last row is written again.
  const int at = std::min<int>(index.count, kItemIndexCapacity - 1);
  ItemIndexRow& row = index.rows[at];
  row.part = part;
  row.offset = offset;
  FillRow(row, left, right, top, bottom, staff);
  if (index.count < kItemIndexCapacity) ++index.count;
}

void RequestRelayoutAfterRender() { Settings.relayoutRequest = true; }

int32_t SetItemIndexRow(int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t staff, int32_t row) {
  if (row < 0 || row >= kItemIndexCapacity) return bottom + 1;
  FillRow(Index().rows[row], left, right, top, bottom, staff);
  return bottom + 1;
}

void ShiftItemIndexRow(int32_t a, int32_t b, int32_t c, int32_t d, int32_t staff, int32_t row) {
  if (row < 0 || row >= kItemIndexCapacity) return;
  ItemIndexRow& r = Index().rows[row];
  FillRow(r, a - r.left, b - r.right, r.top - c, r.bottom - d, staff);
}

void AlignBarLineX(double& x, int32_t row, int32_t& number) {
  if (row < 0 || row >= kStaffRowCapacity || number < 0 || number >= kBarLineSlotsPerRow) {
    ++number;
    return;
  }
  int32_t& slot = Tables.barLineX[row][number];
  if (x > slot) {
    slot = static_cast<int32_t>(std::ceil(x));
    Tables.barMoved = true;
  } else {
    x = slot;
  }
  ++number;
}

void PaintScorePage(int32_t scrollX, int32_t scrollY, render::DrawDevice* printDevice, const DeviceRect& rect,
                    uint32_t printing, int32_t reserved) {
  (void)reserved;
  DrawingStateRecord& state = DrawingState();
  if (PrintingInProgress && !printing) return;
  const bool layoutOnly = state.LayoutOnlyFlag != 0;
  SetScoreViewOrigin(scrollX, scrollY);
  SetVisibleWorldRect(rect);
  render::DrawDevice* const savedDc = state.dc;
  const uint32_t savedPrinting = state.printing;
  const ScorePainterSettings savedSettings = Settings;
  const double savedScale = state.scale;
  const double savedOffsetX = state.offsetX, savedOffsetY = state.offsetY;
  PrintFit fit{};
  if (printing) {
    // A page of no size or a print unit of 0 has no printed form.
    state.printing = 1;
    const bool fits = printDevice && FitPrintPage(PrinterSheet, &fit);
    state.printing = savedPrinting;
    if (!fits) {
      state.LayoutOnlyFlag = 0;
      return;
    }
    PrintingInProgress = true;
    // The screen's fonts go; the music fonts are made again on the printer
    // (at its device scale) and on the screen after printing.
    DrawFormattedText(0, 0, nullptr, 7, 0, true, false, true);
    if (MusicFontSet().made) DeleteMusicFonts(savedDc);
    state.dc = printDevice;
    Settings.showVoiceNumbers = Settings.showAttachment = Settings.showBadTiming = false;
    Settings.shadeUnhighlighted = false;
    state.scale = fit.ratio;
    state.offsetX = -fit.originX / fit.ratio;
    state.offsetY = -fit.originY / fit.ratio;
    state.visibleLeft = -1e6;
    state.visibleRight = 1e6;
    state.visibleTop = 1e6;
    state.visibleBottom = -1e6;
  }
  state.printing = printing ? 1 : 0;
  SetShadingState(Settings.shadeUnhighlighted, Settings.pageViewMode);
  auto finish = [&] {
    if (printing) {
      DrawFormattedText(0, 0, nullptr, 7, 0, true, false, true);
      if (MusicFontSet().made) DeleteMusicFonts(state.dc);
      state.scale = savedScale;
      state.offsetX = savedOffsetX;
      state.offsetY = savedOffsetY;
    }
    state.dc = savedDc;
    state.printing = savedPrinting;
    if (printing) {
      Settings = savedSettings;
      PrintingInProgress = false;
    }
    state.LayoutOnlyFlag = 0;
    Settings.relayoutRequest = false;
  };
  const int parts = PartCount;
  if (parts <= 0 || ScorePages.count <= 0 || ScorePages.current <= 0 || ScorePages.current > ScorePages.count ||
      ScorePages.current > kMaxScorePages) {
    Index().count = 0;
    StaveRows().count = 0;
    if (!layoutOnly && !printing) {
      SelectPaper();
      FillWorldRect(0, 0, Settings.viewWidth / state.scale, -Settings.viewHeight / state.scale);
    }
    Tables.pageStaffCount = 0;
    Tables.passes = 0;
    finish();
    return;
  }
  // The scaled mapping: DeviceScale logical units to a device pixel.
  const bool mapped = !layoutOnly && state.dc;
  if (mapped) {
    Extent windowExtent = fit.windowExtent, viewportExtent = fit.viewportExtent;
    if (!printing) ScaledExtents(windowExtent, viewportExtent, rect);
    SetScaledMapping(state.dc, windowExtent, viewportExtent);
    state.dc->SetTransparentBaselineText();
  }
  const bool screenLayoutPass = !printing && !layoutOnly && !Settings.pageViewMode;
  if (Settings.barAlignmentRequest && !Tables.lastAlignmentMoved) {
    for (auto& row : Tables.barLineX) std::fill(row, row + kBarLineSlotsPerRow, 0);
  }
  // The band and the played bars come from the previous paint's rows.
  PaintStartInputs start;
  start.storedBoxes = PageHasStoredBoxes();
  start.pageViewMode = Settings.pageViewMode;
  start.keypadColours = Settings.useKeypadColours;
  start.editedRow = Settings.editedStave;
  start.paper = PaperColour(GreyerPaper());
  start.viewWidth = Settings.viewWidth;
  start.pageWidth = ScorePageSize.width;
  start.pageHeight = ScorePageSize.height;
  const PaintStartMarks startMarks = printing || layoutOnly ? PaintStartMarks{} : PreparePaintStart(start);
  int passes = 0;
  bool layoutPass = screenLayoutPass;
  while (true) {
    ++passes;
    PassState pass;
    Pass = &pass;
    ResetPass(pass);
    Tables.barMoved = false;
    const uint32_t savedLayout = state.LayoutOnlyFlag;
    if (layoutPass) state.LayoutOnlyFlag = 1;
    pass.countOnly = layoutPass;
    if (!state.LayoutOnlyFlag && !printing && passes <= 2) {
      // The whole view wherever it is scrolled to (a fill from the page's
      // corner left the part scrolled into view unpainted).
      SelectPaper();
      FillWorldRect(state.visibleLeft, state.visibleTop, state.visibleRight - state.visibleLeft,
                    state.visibleBottom - state.visibleTop);
      DrawPaintStart(start, startMarks);
    }
    DrawFormattedText(0, 0, u"", 7, 0, true, false, true);
    DrawFormattedText(0, 0, u" ", 7, 0, true, false, true);
    WalkPage();
    Tables.extentRight = pass.extentRight;
    Tables.extentBottom = pass.extentBottom;
    // Rows beyond the walk: the staff rows found.
    Tables.staffRowCount = std::min(pass.staffRow, kStaffRowCapacity);
    if (Tables.pageStaffCount > Tables.staffRowCount) {
      Tables.pageStaffCount = Tables.staffRowCount;
      Tables.pageStavesChanged = true;
    }
    DrawQueuedStaffLines();
    while (!pass.braces.empty()) {
      DrawPartBrace(pass.braces.back());
      pass.braces.pop_back();
    }
    FinishStaveRows();
    SetPartLabelDrawer(DrawPartLabel);
    if (Tables.pageStavesChanged || StaveLabelCount() != Tables.pageStaffCount) {
      LayoutStaveNameLabels();
      Tables.pageStavesChanged = false;
    }
    if (!state.LayoutOnlyFlag) {
      DrawStaveNameLabels(14);
      DrawPageOverview();
      if (Settings.showBadTiming && !printing && !Settings.pageViewMode) DrawPageRhythmMarks();
    }
    state.LayoutOnlyFlag = savedLayout;
    Pass = nullptr;
    const bool wasLayoutPass = layoutPass;
    layoutPass = false;
    bool again = wasLayoutPass;
    if (Settings.barAlignmentRequest) {
      Tables.lastAlignmentMoved = Tables.barMoved;
      if (!Tables.barMoved) {
        Settings.barAlignmentRequest = false;
        again = true;
      } else {
        again = true;
      }
    }
    if (Settings.relayoutRequest && !wasLayoutPass && !printing && !layoutOnly && RelayoutAfterRender()) again = true;
    if (printing || passes >= kPaintPassLimit) break;
    if (!again) break;
    if (layoutOnly && !Settings.barAlignmentRequest && !wasLayoutPass) break;
  }
  Tables.passes = passes;
  if (mapped) RestoreMapping(state.dc);
  if (!layoutOnly && !printing && !Settings.pageViewMode) {
    const ScrollExtents e = ScrollExtentsFor(Tables.extentRight, Tables.extentBottom, scrollX, scrollY,
                                             Settings.viewWidth, Settings.viewHeight);
    Tables.scrollRight = e.right;
    Tables.scrollBottom = e.bottom;
  }
  // Under a page that cannot be clicked into, say so.
  if (!layoutOnly && PageBoxesMissing && !Settings.pageViewMode) {
    char16_t message[256] = {};
    LoadUiString(ScoreFormatVersion < kCurrentScoreFormatVersion ? kStrPageNotEditable : kStrClickPageToEdit, message,
                 256);
    DrawFormattedText(scrollX + 16, scrollY - 32, message, 11, 27, false, false, false);
  }
  finish();
}

ScrollExtents ScrollExtentsFor(int32_t extentRight, int32_t extentBottom, int32_t scrollX, int32_t scrollY,
                               int32_t viewWidth, int32_t viewHeight) {
  ScrollExtents e{extentRight - scrollX, scrollY - extentBottom};
  if (e.bottom > -viewHeight) e.bottom = -16 - viewHeight;
  if (e.right < viewWidth) e.right = viewWidth - 16;
  return e;
}

void RebuildItemIndexLayout() {
  Index().count = 0;
  DrawingState().LayoutOnlyFlag = 1;
  PaintScorePage(0, 0, nullptr, DeviceRect{0, 0, 100, 100}, 0, 0);
}
