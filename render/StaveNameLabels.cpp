#include "render/StaveNameLabels.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/Messages.h"
#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/RenderStrings.h"
#include "render/ScorePagePainter.h"
#include "render/ScoreText.h"
#include "render/StaveBlankTests.h"
#include "score/InstrumentNameLists.h"
#include "score/ScoreStream.h"

namespace {

StaveLabelRect Rects[kStaffRowCapacity];
char16_t Texts[kStaffRowCapacity][kStaveLabelUnits];
int LabelCount = 0;

bool InMultiStavePart(int i) { return StaveJoinedToAbove(i) || StaveJoinedToAbove(i + 1); }

std::u16string PartLabelName(const PageStaffEntry& entry, bool blank) {
  const int slot = entry.part;
  if (slot < 0 || slot >= kPartSlots) return {};
  if (blank) return PartNameTable[slot];
  const char16_t* name = LookupPartInstrumentName(slot);
  return name ? name : u"";
}

}  // namespace

const StaveLabelRect* StaveLabelRectAt(int stave) {
  return stave >= 0 && stave < LabelCount ? &Rects[stave] : nullptr;
}

const char16_t* StaveLabelTextAt(int stave) { return stave >= 0 && stave < LabelCount ? Texts[stave] : nullptr; }

int StaveLabelCount() { return LabelCount; }

int LayoutStaveNameLabels() {
  const ScorePainterTables& tables = PainterTables();
  const double s = DrawingState().scale;
  LabelCount = std::clamp(tables.pageStaffCount, 0, kStaffRowCapacity);
  for (int i = 0; i < LabelCount; ++i) {
    const PageStaffEntry& entry = tables.pageStaves[i];
    const int32_t right = std::max(entry.left - (InMultiStavePart(i) ? 12 : 1), 32);
    StaveLabelRect r{static_cast<int32_t>(std::lround(5 * s)), static_cast<int32_t>(std::lround((entry.middle - 11) * s)),
                     static_cast<int32_t>(std::lround(right * s)), static_cast<int32_t>(std::lround((entry.middle + 13) * s))};
    if (r.right < r.left + 32) {
      r.left = 0;
      r.right = 32;
    }
    Rects[i] = r;
    const std::u16string name = PartLabelName(entry, StaveIsBlankOnPage(i));
    const size_t n = std::min<size_t>(name.size(), kStaveLabelUnits - 1);
    std::copy(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(n), Texts[i]);
    Texts[i][n] = 0;
  }
  return 1;
}

void DrawStaveNameLabel(int colour, int fontKind, int stave, int32_t y) {
  const ScorePainterTables& tables = PainterTables();
  if (stave < 0 || stave >= tables.pageStaffCount || stave >= kStaffRowCapacity) return;
  const PageStaffEntry& entry = tables.pageStaves[stave];
  const ScorePainterSettings& settings = PainterSettings();
  const bool screen = !DrawingState().printing;
  const bool blank = y == 0 ? StaveIsBlankOnPage(stave) : StaveGroupIsBlankOnPage(stave);
  std::u16string text = PartLabelName(entry, blank);
  if (screen && y == 0 && text.empty() && stave == settings.editedStave) {
    char16_t word[32] = {};
    LoadUiString(blank ? kStrStaffLabel : kStrStaffLabelShort, word, 32);
    const std::string number = std::to_string(entry.part);
    text = std::u16string(word) + u" " + std::u16string(number.begin(), number.end());
    if (colour == 7) colour = 3;
  }
  if (screen && settings.pageViewMode) colour = 7;
  if (text.empty()) return;
  // A part's label placed by its brace stays out of the band of the stave
  // being edited (the band the strip shows, or 40 either side without it).
  if (screen && y != 0 && settings.editedStave >= 0 && settings.editedStave < tables.pageStaffCount &&
      settings.editedStave < kStaffRowCapacity) {
    const double half = settings.imageStripHeight > 0 ? settings.imageStripHeight / 2 : 40;
    const double edited = tables.pageStaves[settings.editedStave].middle;
    const double at = -6.0 - y;
    if (at > edited - half && at < edited + half) return;
  }
  const int indent = InMultiStavePart(stave) ? 10 : 0;
  const double labelY = y == 0 ? -4 - entry.middle : y;
  const double x = std::max(entry.left - indent - 9, 24) + 7;
  DrawFormattedText(x, labelY, text.c_str(), colour, fontKind, true, true, true);
}

int DrawStaveNameLabels(int fontKind) {
  const ScorePainterTables& tables = PainterTables();
  const ScorePainterSettings& settings = PainterSettings();
  const bool screen = !DrawingState().printing;
  const int count = std::min(tables.staffRowCount, tables.pageStaffCount);
  for (int i = 0; i < count; ++i) {
    if (settings.pageViewMode && (i < settings.firstVisibleRow || i > settings.lastVisibleRow)) continue;
    if (InMultiStavePart(i) && !(screen && i == settings.editedStave)) continue;
    int colour = 7;
    if (settings.shadeUnhighlighted && i != settings.editedStave) colour = settings.pageViewMode ? 7 : 3;
    DrawStaveNameLabel(colour, fontKind, i, 0);
  }
  return 1;
}
