#include "render/SymbolRoutines.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "render/Colours.h"
#include "render/MusicFonts.h"
#include "render/ScoreText.h"
#include "render/SizeRules.h"
#include "score/PageMarks.h"
#include "score/Rhythm.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

bool IsDrawingEnabled() { return DrawingState().LayoutOnlyFlag == 0; }

void DrawLineTo(double x0, double y0, double x1, double y1, double width) {
  EnsureMinimumPenWidth(width);
  MoveToWorld(x0, y0);
  LineToWorld(x1, y1, width);
}

void DrawLineBy(double x, double y, double dx, double dy, double width) {
  MoveToWorld(x, y);
  LineByWorld(dx, dy, width);
}

void DrawDottedLineBy(double x, double y, double dx, double dy, double width) {
  MoveToWorld(x, y);
  DottedLineByWorld(dx, dy, width);
}

void FillRectInt(int32_t x0, int32_t y0, int32_t x1, int32_t y1) { FillWorldRect(x0, y0, x1 - x0, y1 - y0); }

// ---- Bar numbers ----

namespace {

// Counts bar-line items of one staff as they come: a start-repeat line only
// after something of the staff that a bar could hold came first.
struct StaffBarLines {
  int32_t counted = 0;
  int32_t raw = 0;  // every bar-line item, as the page's bar count takes them
  bool content = false;
  void Take(const uint8_t* item) {
    if (IsBarLine(item)) {
      ++raw;
      if (BarCode(item) != kBarStartRepeat || content) ++counted;
      content = true;
    } else if (KindOf(item) == kItemChord || KindOf(item) == kItemRest) {
      content = true;
    }
  }
};

// The counted bar lines of the staff that begins at begin.
int32_t BarLinesOfStaff(const uint8_t* stream, uint32_t used, uint32_t begin) {
  StaffBarLines staff;
  if (begin >= used) return 0;
  WalkStream(stream + begin, used - begin, ScoreFormatVersion, [&](uint32_t, const uint8_t* item, uint32_t) {
    if (item[0] == kBarBoundary) return false;
    staff.Take(item);
    return true;
  });
  return staff.counted;
}

}  // namespace

int32_t CountBarLineItems(int part, uint32_t offset) {
  const int parts = std::min<int>(PartCount, kPartSlots);
  if (part < 0 || part >= parts) return 1;
  const uint8_t* stream = StreamBytes(ScoreStream, part);
  if (!stream) return 1;
  const uint32_t used = StreamUsedLength(ScoreStream, part);
  // Where the first page's own bar count puts the offset.
  const bool firstPage = ScorePages.current == 1;
  int pageBars = -1, pageStaves = -1;
  if (firstPage) CountBarsBetween(stream, std::min(PageStarts[0][part], used), offset, used, ScoreFormatVersion, &pageBars, &pageStaves);
  int32_t count = 0;
  int staves = 0;
  StaffBarLines staff;
  bool stopped = false;
  WalkStream(stream, used, ScoreFormatVersion, [&](uint32_t at, const uint8_t* item, uint32_t) {
    if (at >= offset) return false;
    if (item[0] == kBarBoundary) {
      if (staff.raw == 0) {
        int other = 0;
        uint32_t begin = 0;
        if (FindPartWithSameBar(ScoreStream, PartCount, part, at, &other, &begin)) {
          count += BarLinesOfStaff(StreamBytes(ScoreStream, other), StreamUsedLength(ScoreStream, other), begin);
        }
      }
      ++staves;
      staff = StaffBarLines{};
      return true;
    }
    if (IsBarLine(item) && firstPage && staves == pageStaves && staff.raw == pageBars) {
      stopped = true;
      return false;
    }
    const int32_t before = staff.counted;
    staff.Take(item);
    count += staff.counted - before;
    return true;
  });
  return stopped ? count : count + 1;
}

// ---- Clefs ----

ClefLayout GetClefLayout(int code, double x, double y, double bottomY, int32_t unit, bool small) {
  const double s = unit;
  const double f = small ? 0.666 : 1.0;
  ClefLayout layout{};
  if (code >= 2 && code <= 5) {
    layout.glyph = "aclef";
    layout.standardLine = 3;
    layout.aboveX = x + 1.5 * s * f;
    layout.aboveY = small ? y - 0.8 * s : y + s;
    layout.belowX = x + 1.5 * s * f;
    layout.belowY = small ? bottomY + 0.8 * s : bottomY;
  } else if (code == 6 || code == 7) {
    layout.glyph = "bclef";
    layout.standardLine = 2;
    layout.aboveX = x + 0.6 * s * f;
    layout.aboveY = small ? y - 0.4 * s : y;
    layout.belowX = x + 0.15 * s * f;
    layout.belowY = small ? bottomY + 1.4 * s : bottomY + 0.8 * s;
  } else {
    layout.glyph = "tclef";
    layout.standardLine = 4;
    layout.aboveX = x + 1.4 * s * f;
    layout.aboveY = small ? y + 0.08 * s : y + 1.6 * s;
    layout.belowX = x + s * f;
    layout.belowY = small ? bottomY - 0.7 * s : bottomY - 1.55 * s;
  }
  switch (code) {
    case 0: case 3: case 6: layout.lineOffset = -1; break;
    case 2: layout.lineOffset = -2; break;
    case 5: layout.lineOffset = 1; break;
    default: layout.lineOffset = 0; break;
  }
  return layout;
}

double ClefLineY(const ClefLayout& layout, double top, double spacing) {
  return top + (layout.standardLine - layout.lineOffset - 1) * spacing;
}

void DrawClefOctaveMark(int code, const ClefLayout& layout, bool small, double& roomAbove, double& roomBelow) {
  roomAbove = 0;
  roomBelow = 0;
  const double h = StaveSizeReal(small ? 6.66 : 10.0);
  const double nine = StaveSizeReal(small ? 6.0 : 9.0);
  switch (code) {
    case 1:
      DrawGlyph("clefs8", layout.belowX, -(layout.belowY + h), 8, 0, 0, -1);
      roomBelow = h;
      break;
    case 2:
      DrawGlyph("clefs8", layout.aboveX, -layout.aboveY, 8, 0, 0, -1);
      roomAbove = nine;
      break;
    case 3:
      DrawGlyph("clefs15", layout.belowX, -(layout.belowY + h), 8, 0, 0, -1);
      roomBelow = nine;
      break;
    case 4:
      DrawGlyph("clefs15", layout.aboveX - StaveSizeReal(1.0), -layout.aboveY, 8, 0, 0, -1);
      roomAbove = h;
      break;
    default:
      break;
  }
}

// ---- Time signatures ----

void DrawTimeSignatureNumber(int32_t x, int32_t y, int number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", number);
  double at = x;
  for (const char* d = digits; *d; ++d) {
    if (*d < '0' || *d > '9') continue;
    const char name[4] = {'t', 's', *d, 0};
    DrawGlyph(name, at, y, 8, 0, 0, -1);
    at += StaveSizeReal(10.0);
  }
}

// ---- Articulations ----

void DrawArticulationCode(int code, double x, double y, bool below) {
  if (code > 255) {
    switch (code >> 8) {
      case 5: DrawGlyph("dot", x, y, 8, 0, 0, -1); break;
      case 6: DrawGlyph("staccatissd", x, y, 8, 0, 0, -1); break;
      case 1: DrawGlyph(below ? "fermatad" : "fermatau", x, y, 8, 0, 0, -1); break;
      default: break;
    }
    return;
  }
  if (code & 4) DrawGlyph("tenuto", x, y, 8, 0, 0, -1);
  if (code & 1) DrawGlyph("accent", x, y, 8, 0, 0, -1);
  if (code & 2) DrawGlyph(below ? "marcatod" : "marcatou", x, y, 8, 0, 0, -1);
  if (code & 32) DrawGlyph("harmonic", x, y, 8, 0, 0, -1);
  if (code & 64) DrawGlyph("plus", x, y, 8, 0, 0, -1);
  if (code & 8) DrawGlyph("upbow", x, y, 8, 0, 0, -1);
  if (code & 16) DrawGlyph("downbow", x, y, 8, 0, 0, -1);
}

// ---- Accidentals ----

const char* const kAccidentalGlyphs[8] = {nullptr, "natural", "sharp", "flat", "dsharp", "dflat", "natsharp", "natflat"};

int32_t AccidentalWidth(int code) {
  static const int32_t kWidths[8] = {0, 7, 8, 7, 10, 13, 14, 14};
  if (code < 0 || code > 7) return 0;
  return DrawingState().SpacingUnit * kWidths[code];
}

// ---- Curves ----

void DrawCurveArc(int ratio, int arch, double x0, double x1, double y0, double y1, double& lowY, double& highY) {
  const bool up = (arch & 0x80) != 0;
  const double apexX = x0 + (x1 - x0) * ratio / 127.0;
  const double height = std::trunc((x1 - x0) * (arch & 127) / 127.0);
  const double apexY = std::trunc((y0 + y1) / 2) + (up ? height : -height);
  lowY = std::min({y0, y1, apexY});
  highY = std::max({y0, y1, apexY});
  const double thickness = 2.0 * DrawingState().SpacingUnit;
  FillWorldCurve(x0, y0, apexX, apexY, x1, y1, up ? thickness : -thickness);
}

// ---- Beams ----

namespace {

// Rounded to a whole unit, an odd value moved one step away from zero, then halved.
double HalvedEven(double v) {
  long r = std::lround(v);
  if (r % 2 != 0) r += r > 0 ? 1 : -1;
  return r / 2.0;
}

double SmallestMagnitude(const double* v, int count) {
  double best = v[0];
  for (int i = 1; i < count; ++i) {
    if (std::fabs(v[i]) < std::fabs(best)) best = v[i];
  }
  return std::round(best);
}

}  // namespace

BeamLine FitBeamLine(const double* x, const double* y, int count, bool mixedDirections) {
  BeamLine line;
  if (count <= 0) return line;
  const double ox = SmallestMagnitude(x, count);
  const double oy = SmallestMagnitude(y, count);
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  double firstX = 0, lastX = 0;
  for (int i = 0; i < count; ++i) {
    const double hx = HalvedEven(x[i] - ox);
    const double hy = HalvedEven(y[i] - oy);
    if (i == 0) firstX = hx;
    lastX = hx;
    sx += hx;
    sy += hy;
    sxx += hx * hx;
    sxy += hx * hy;
  }
  const double n = count;
  const double denominator = n * sxx - sx * sx;
  double slope = 0, intercept = 0;
  if (denominator != 0) {
    slope = (n * sxy - sx * sy) / denominator;
    intercept = (sxx * sy - sxy * sx) / denominator;
    const double largest = mixedDirections ? 1.0 / 3 : 1.0 / 6;
    const double smallest = mixedDirections ? 1.0 / 6 : 1.0 / 12;
    double limited = slope;
    if (std::fabs(slope) > largest) {
      limited = slope > 0 ? largest : -largest;
    } else if (slope != 0 && std::fabs(slope) < smallest) {
      limited = 0;
    }
    if (limited != slope) {
      const double middle = (firstX + lastX) / 2;
      intercept += (slope - limited) * middle;
      slope = limited;
      line.slopeChanged = true;
    }
  }
  line.slope = slope;
  line.intercept = oy - ox * slope + 2 * intercept;
  return line;
}

void DrawBeamQuad(double x0, double y0, double x1, double y1, double thickness) {
  // One stroke of the beam's thickness along its middle; the far edge is
  // lowered by a device pixel so that the beam covers whole pixels.
  const double t = thickness;
  double w = std::fabs(t) + DevicePixelInWorld();
  EnsureMinimumPenWidth(w);
  MoveToWorld(x0, y0 + t / 2);
  LineToWorld(x1, y1 + t / 2, w);
}

void DrawBeamGroup(BeamGroup& group, int beamColour) {
  const int n = group.count;
  if (n <= 0) {
    group.markCount = 0;
    return;
  }
  const double s = DrawingState().SpacingUnit;
  const double thick = StaffStepOffset();
  const double levelStep = StaffStepFactor();
  if (n == 1) {
    if (!group.hidden[0]) {
      const bool down = group.down[0] != 0;
      SelectPrintableColour(group.colour[0]);
      const double dir = group.stubsRight ? 1 : -1;
      for (int k = 0; k < group.beams[0]; ++k) {
        const double y = group.stemEndY[0] + (down ? k * levelStep : -k * levelStep);
        DrawBeamQuad(group.stemX[0], y, group.stemX[0] + dir * 8 * s, y, down ? thick : -thick);
      }
      for (int m = 0; m < group.markCount; ++m) {
        DrawArticulationCode(group.markCode[m], group.markX[m], group.markY[m], down);
      }
    }
    group.count = 0;
    group.markCount = 0;
    return;
  }
  bool mixed = false;
  for (int i = 1; i < n; ++i) mixed |= (group.down[i] != 0) != (group.down[0] != 0);
  BeamLine line = FitBeamLine(group.stemX, group.stemEndY, n, mixed);
  const bool down = group.down[0] != 0;
  if (!mixed) {
    double shift = 0;
    for (int i = 0; i < n; ++i) {
      const double lineY = line.intercept + line.slope * group.stemX[i];
      const double d = group.stemEndY[i] - lineY;
      if (!down) shift = std::max(shift, d);
      else shift = std::min(shift, d);
    }
    line.intercept += shift;
    if (!line.slopeChanged) line.intercept += down ? -6 * s : 6 * s;
  }
  auto lineAt = [&](double x) { return line.intercept + line.slope * x; };
  for (int i = 0; i < n; ++i) {
    if (group.hidden[i]) continue;
    SelectPrintableColour(group.colour[i]);
    DrawLineTo(group.stemX[i], group.stemEndY[i], group.stemX[i], lineAt(group.stemX[i]), 0.4);
    for (int m = 0; m < group.markCount; ++m) {
      if (group.markX[m] == -100 || std::fabs(group.markX[m] - group.stemX[i]) > 8 * s) continue;
      DrawArticulationCode(group.markCode[m], group.markX[m], lineAt(group.stemX[i]), group.down[i] != 0);
      group.markX[m] = -100;
    }
  }
  // Levels go toward the notes: down for stems up and for mixed groups.
  const double toward = (!down || mixed) ? -1 : 1;
  SelectPrintableColour(beamColour);
  for (int i = 0; i + 1 < n; ++i) {
    if (group.hidden[i + 1]) continue;
    const double xa = group.stemX[i], xb = group.stemX[i + 1];
    const int shared = std::min(group.beams[i], group.beams[i + 1]);
    for (int k = 0; k < shared; ++k) {
      const double d = toward * k * levelStep;
      DrawBeamQuad(xa, lineAt(xa) + d, xb, lineAt(xb) + d, toward * thick);
    }
    // Extra levels of the first note point right, of the others left.
    if (i == 0 && group.beams[i] > shared) {
      for (int k = shared; k < group.beams[i]; ++k) {
        const double d = toward * k * levelStep;
        DrawBeamQuad(xa, lineAt(xa) + d, xa + 8 * s, lineAt(xa + 8 * s) + d, toward * thick);
      }
    }
    if (group.beams[i + 1] > shared && (i + 2 == n || group.beams[i + 1] > group.beams[i + 2])) {
      for (int k = shared; k < group.beams[i + 1]; ++k) {
        const double d = toward * k * levelStep;
        DrawBeamQuad(xb - 8 * s, lineAt(xb - 8 * s) + d, xb, lineAt(xb) + d, toward * thick);
      }
    }
  }
  group.count = 0;
  group.markCount = 0;
}

// ---- Tuplets ----

std::u16string TupletMarkText(int32_t count, int32_t notatedLength, int32_t referenceLength) {
  char16_t text[32];
  if (!FormatTupletNumber(count, notatedLength, referenceLength, text, 32)) return {};
  return text;
}

void DrawTupletMark(const TupletMark& mark, int voice) {
  const int32_t count = mark.number & 127;
  const std::u16string text = TupletMarkText(count, mark.notatedLength, mark.referenceLength);
  if (text.empty()) return;
  const double s = DrawingState().SpacingUnit;
  const bool ratio = text.find(u':') != std::u16string::npos;
  double w = count >= 10 ? 8 * s : 4 * s;
  if (count >= 100) w += 4 * s;
  if (ratio) {
    w += 6 * s;
    const int64_t second = static_cast<int64_t>(count) * mark.notatedLength / mark.referenceLength;
    if (second >= 10) w += 4 * s;
    if (second >= 100) w += 4 * s;
  }
  const bool below = mark.fromBox ? mark.boxBelow : voice == 1 || voice == 3;
  double bracketY, textY;
  if (!below) {
    // The number's baseline lies 3 s above b, the bracket 8 s above it.
    const double b = mark.fromBox ? mark.boxBaseline + 3 * s : mark.staffTop - 4 * s;
    bracketY = 8 * s - b;
    textY = 3 * s - b;
  } else {
    // The bracket lies 8 s below b, the number's baseline 14 s below it.
    const double b = mark.fromBox ? mark.boxBaseline - 14 * s : mark.staffTop + 4 * (mark.spacing + s);
    bracketY = -b - 8 * s;
    textY = -b - 14 * s;
  }
  SelectPrintableColour(mark.colour);
  const double middle = (mark.firstX + mark.lastX) / 2;
  if (mark.number & 128) {
    const double hook = below ? 8 : -8;
    const double leftLength = std::max(0.0, middle - w - mark.firstX);
    const double rightLength = std::max(0.0, mark.lastX - (middle + w));
    DrawLineBy(mark.firstX, bracketY, leftLength, 0, 0.4);
    DrawLineBy(mark.lastX, bracketY, -rightLength, 0, 0.4);
    DrawLineBy(mark.firstX, bracketY, 0, hook, 0.4);
    DrawLineBy(mark.lastX, bracketY, 0, hook, 0.4);
  }
  DrawFormattedText(middle - w, textY, text.c_str(), mark.colour, 23, true, false, true);
  if (mark.attachment && (mark.colour == kHighlightColour || mark.colour == kSecondHighlightColour)) {
    // To the staff's top line from under the number, or to its bottom line
    // from over it.
    const double staffEdge = below ? -(mark.staffTop + 4 * mark.spacing) : -mark.staffTop;
    const double from = below ? textY + 10 * s : textY;
    SelectPrintableColour(mark.colour);
    DrawDottedLineBy(middle, from, 0, staffEdge - from, 0.4);
  }
}

double SnapXToDevice(double x) {
  const DrawingStateRecord& s = DrawingState();
  if (s.scale <= 0) return x;
  return std::floor((x + s.offsetX) * s.scale + 0.5) / s.scale - s.offsetX;
}

int SelectStaffColour(int part, bool printTabRhythm, int colourA, int colourB, int32_t valueA, int32_t valueB,
                      int32_t* value) {
  const bool tab = part >= 0 && part < kPartSlots && PartTablatureFlags[part].flag != 0;
  const bool first = tab && !printTabRhythm;
  const int colour = first ? colourA : colourB;
  if (value) *value = first ? valueA : valueB;
  SelectPrintableColour(colour);
  return colour;
}
