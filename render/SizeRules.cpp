#include "render/SizeRules.h"

#include <string>

#include "pages/CurrentPageData.h"
#include "render/Colours.h"
#include "render/MusicFonts.h"
#include "score/ScoreStream.h"

int32_t StavePartSlot[kStaveSlots] = {};

namespace {

PartLabelDrawer LabelDrawer = nullptr;

int32_t TwoThirds(int32_t v) { return (2 * v) / 3; }

bool ValidSlot(int slot) { return slot >= 0 && slot < kPartSlots; }

int32_t StaveCount() { return static_cast<int32_t>(ScorePageStaves.count); }

int SlotOfStave(int32_t i) { return i >= 0 && i < kStaveSlots ? StavePartSlot[i] : -1; }

}  // namespace

bool CurrentStaffIsSmall() {
  const int staff = DrawingState().currentStaff;
  return ValidSlot(staff) && PartSmallStave[staff] != 0;
}

int32_t SmallNoteSize(int32_t v) { return DrawingState().smallNotes ? TwoThirds(v) : v; }

int32_t StaveSizeInt(int32_t v) { return CurrentStaffIsSmall() ? TwoThirds(v) : v; }

double StaveSizeReal(double v) { return CurrentStaffIsSmall() ? (v + v) / 3.0 : v; }

int32_t SymbolSizeInt(int32_t v) { return SmallNoteSize(StaveSizeInt(v)); }

double SymbolSizeReal(double v) {
  if (CurrentStaffIsSmall()) v = v * 2 / 3;
  if (DrawingState().smallNotes) v = v * 2 / 3;
  return v;
}

int MusicFontIndex() { return (DrawingState().smallNotes ? 1 : 0) + (CurrentStaffIsSmall() ? 1 : 0); }

int32_t StaveScaleUnits(int slot) { return ValidSlot(slot) && PartSmallStave[slot] ? 4 : 6; }

double PrintFactorSmall() { return DrawingState().printing ? 0.71 : 1.0; }

double PrintFactorLarge() { return DrawingState().printing ? 3.5 : 4.0; }

double StaffStepOffset() {
  const double v = DrawingState().printing ? 2.38 : 2.0;
  return CurrentStaffIsSmall() ? v * 2 / 3 : v;
}

double StaffStepFactor() {
  const double v = DrawingState().printing ? 3.53 : 4.0;
  return CurrentStaffIsSmall() ? v * 2 / 3 : v;
}

bool SameGroupAsAbove(int32_t i) {
  if (i < 1 || i >= StaveCount() || i >= kStaveSlots) return false;
  return ScorePageStaves.rows[i].group == ScorePageStaves.rows[i - 1].group;
}

bool SameGroupAsBelow(int32_t i) {
  if (i < 0 || i >= StaveCount() - 1 || i + 1 >= kStaveSlots) return false;
  return ScorePageStaves.rows[i].group == ScorePageStaves.rows[i + 1].group;
}

bool StavesJoinedInPart(int32_t i) {
  if (!SameGroupAsAbove(i)) return false;
  const int p = SlotOfStave(i - 1), q = SlotOfStave(i);
  if (!ValidSlot(p) || !ValidSlot(q)) return false;
  const std::u16string nameP = PartNameTable[p], nameQ = PartNameTable[q];
  if (!nameP.empty() || !nameQ.empty()) return nameP == nameQ;
  if ((PartTablatureFlags[p].flag != 0) != (PartTablatureFlags[q].flag != 0)) return false;
  const uint32_t kindP = PartTablatureFlags[p].kind, kindQ = PartTablatureFlags[q].kind;
  if (kindP != kindQ && (kindP > 3 || kindQ > 3)) return false;
  return (PartSmallStave[p] != 0) == (PartSmallStave[q] != 0);
}

bool JoinedToStaveBelow(int32_t i) {
  if (i < 0 || i >= StaveCount() - 1) return false;
  return StavesJoinedInPart(i + 1);
}

bool IsInMultiStavePart(int32_t i) { return StavesJoinedInPart(i) || StavesJoinedInPart(i + 1); }

void SetPartLabelDrawer(PartLabelDrawer drawer) { LabelDrawer = drawer; }

void DrawPartBrace(const PartBraceRecord& r) {
  if (DrawingState().LayoutOnlyFlag) return;
  if (!StaveJoinedToAbove(r.staff) || StaveJoinedToAbove(r.staff + 1)) return;
  const int colour = ShadingUnhighlighted() ? 3 : kBlackColour;
  SelectPrintableColour(colour);
  const double h = r.top - r.bottom;
  const double m = 0.5 * h;
  DrawBracketGlyph(static_cast<int32_t>(r.x - 10.0), 0.5 - (r.bottom + m), 2.21 * h);
  if (r.drawLabel && LabelDrawer)
    LabelDrawer(colour, r.labelKindA, r.labelKindB, r.staff, static_cast<int32_t>(-r.bottom - m - 4.0));
}

double DrawRepeatDots(double x, double y, int a, int b, double step) {
  if (DrawingState().LayoutOnlyFlag) return x + 5.0;
  const double u = DevicePixelInWorld();
  DrawGlyph("dot", x + 1.1, u + 3 * step - y, a, b, 0, -1);
  DrawGlyph("dot", x + 1.1, u + 5 * step - y, a, b, 0, -1);
  return x + 5.0;
}

double DrawBarSegments(double x, double yA, double hA, double yB, double hB, int colourIndex, double width) {
  if (DrawingState().LayoutOnlyFlag) return x + 3.0 + width;
  if (hA != 0) {
    SelectUnhighlightedColour();
    FillWorldRect(x, -yA, width, -hA);
    SelectDrawColour(PrintableColourIndex(colourIndex));
  }
  FillWorldRect(x, -yB, width, -hB);
  return x + 3.0 + width;
}
