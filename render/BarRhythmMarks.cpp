#include "render/BarRhythmMarks.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/Messages.h"
#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/MusicFonts.h"
#include "render/ScorePagePainter.h"
#include "render/ScoreText.h"
#include "render/SizeRules.h"
#include "score/BarRhythmCheck.h"
#include "score/ItemIndex.h"
#include "score/ItemSelection.h"

namespace {

// "+" over a voice that runs past the bar, "-" under a short one.
constexpr unsigned kStrVoiceTooLong = 10190;
constexpr unsigned kStrVoiceShort = 10191;
// Text font kind 0: the bold text of the marks.
constexpr int kMarkFontKind = 0;
constexpr int kMarkGlyphSize = 8;
constexpr render::Colour kMarkRed = 0x0000FF;

bool MarksShown() { return PainterSettings().showBadTiming; }

void SelectMarkRed() { SetDrawColourValue(NearestColour(kMarkRed)); }

// Two dotted lines one device pixel apart, each from (x, y) by (dx, dy).
void DottedPair(double x, double y, double dx, double dy, double stepX, double stepY) {
  for (int i = 0; i < 2; ++i) {
    MoveToWorld(x + i * stepX, y + i * stepY);
    DottedLineByWorld(dx, dy, 0);
  }
}

// The difference as note symbols from x0, stepping one note width each.
void DrawDifference(const VoiceDifference& difference, double x0, double y, int32_t s) {
  double x = x0;
  for (int e = 8; e >= 0; --e) {
    const int32_t step = (e == 8 ? 11 : e == 7 ? 10 : 8) * s;
    const std::string name = "timecount" + std::to_string(e);
    for (int n = 0; n < difference.counts[e]; ++n) {
      DrawGlyph(name.c_str(), x, y, kMarkGlyphSize, 0, 0, -1);
      x += step;
    }
  }
  for (int d = 0; d < difference.dots; ++d) DrawGlyph("rdot", x + d * 3 * s, y, kMarkGlyphSize, 0, 0, -1);
}

}  // namespace

void DrawBarRhythmMark(VoiceTotals* times, int numerator, int unitCode, double x, double top,
                       bool tupletSeen[kRhythmVoices], bool countEmptyVoices, double barStartX, double height) {
  const DrawingStateRecord& state = DrawingState();
  const auto clear = [&] {
    *times = VoiceTotals{};
    std::fill(tupletSeen, tupletSeen + kRhythmVoices, false);
  };
  if (state.LayoutOnlyFlag || !MarksShown()) {
    clear();
    return;
  }
  const int32_t length = numerator == -1 ? BarLengthTicks(4, 5) : BarLengthTicks(numerator, unitCode);
  if (BarVoicesExact(*times, length)) {
    clear();
    return;
  }
  const int32_t s = state.SpacingUnit;
  const double x0 = x - 6 * s;
  double y = top + 5 * s;
  bool drawn = false;
  for (int v = kRhythmVoices - 1; v >= 0; --v) {
    if (!VoiceIsFaulty(*times, v, length, tupletSeen[v], countEmptyVoices)) continue;
    int32_t t = times->t[v];
    if (t >= kVoiceTimeAsBar || (t == 0 && !countEmptyVoices)) t = length;
    const VoiceDifference difference = DescribeVoiceDifference(t, length);
    const int colour = kHighlightColour + v;
    char16_t sign[8] = {};
    LoadUiString(difference.tooLong ? kStrVoiceTooLong : kStrVoiceShort, sign, 8);
    const double signX = difference.tooLong ? x0 - 2 * s : x0;
    DrawFormattedText(signX, y + s, sign, colour, kMarkFontKind, true, false, true);
    SelectDrawColour(colour);
    DrawDifference(difference, x0 + 7 * s, y, s);
    y += 12 * s;
    drawn = true;
  }
  if (drawn) {
    const double pixel = 1.0 / state.scale;
    const double left = barStartX + 2 * pixel;
    const double width = (x - 2 * pixel) - left;
    SelectMarkRed();
    DottedPair(left, top + StaveSizeInt(4), width, 0, 0, pixel);
    DottedPair(left, top - height + StaveSizeInt(2) - 6, width, 0, 0, pixel);
  }
  clear();
}

void DrawOpenBarMarker(double x, double top, double height) {
  if (!MarksShown()) return;
  const double pixel = 1.0 / DrawingState().scale;
  const double reach = StaveSizeInt(14);
  SelectMarkRed();
  DottedPair(x - pixel, top + reach, 0, -(height + 2 * reach), pixel, 0);
}

void DrawPageRhythmMarks() {
  std::vector<BarRhythmMark> marks;
  CheckBarRhythms(1, nullptr, nullptr, nullptr, -1, &marks);
  const ScoreViewItems& items = TheScoreViewItems();
  const ItemIndex& index = items.index;
  // Rows are in page units (y below the page top); world y runs upward.
  const auto row = [&](int part, uint32_t offset) -> const ItemIndexRow* {
    if (offset == kNoOffset) return nullptr;
    return ItemRowAt(index, FindItemRow(index, static_cast<uint32_t>(part), offset));
  };
  for (BarRhythmMark& mark : marks) {
    const ItemIndexRow* bar = row(mark.part, mark.offset);
    if (!bar) continue;
    const StaveRowExtent* stave = StaveRowAt(items.staves, bar->staff);
    if (!mark.ownBarLine) {
      if (!stave) continue;
      // The stave rows reach one unit past the outer staff lines.
      const int32_t staffTop = stave->top + 1;
      const int32_t staffHeight = stave->bottom - stave->top - 2;
      DrawOpenBarMarker(stave->right - 1, -staffTop, staffHeight);
      continue;
    }
    if (!mark.checked) continue;
    double startX = stave ? stave->left : bar->left;
    // The bar begins after the previous bar line of its staff, else at the
    // staff's start.
    const ItemIndexRow* previous = row(mark.part, mark.previousBarLine);
    const ItemIndexRow* start = row(mark.part, mark.staffStart);
    if (previous && previous->staff == bar->staff) {
      startX = previous->right + 2;
    } else if (start && start->staff == bar->staff) {
      startX = start->left;
    }
    DrawBarRhythmMark(&mark.times, mark.beats, mark.unit, bar->right - 1, -bar->top, mark.tupletSeen, true, startX,
                      bar->bottom - bar->top);
  }
}
