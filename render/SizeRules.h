// Rules every score painter shares: the sizes of cue notes and small staves,
// the constants that differ between screen and paper, which staves of a page
// form one multi-staff part, and the part brace, repeat dots and bar-line
// segments drawn from them.
#pragma once

#include <cstdint>

#include "score/StaveTypes.h"
#include "render/DrawingState.h"

// The part slot of each stave of the score page being drawn (set by the
// painter as it lays the page out; -1 for none).
extern int32_t StavePartSlot[kStaveSlots];

// ---- Size rules (integer two-thirds truncate toward zero) ----
int32_t SmallNoteSize(int32_t v);
int32_t StaveSizeInt(int32_t v);
double StaveSizeReal(double v);
int32_t SymbolSizeInt(int32_t v);
double SymbolSizeReal(double v);
int MusicFontIndex();
int32_t StaveScaleUnits(int slot);
bool CurrentStaffIsSmall();

// ---- Screen and paper ----
double PrintFactorSmall();
double PrintFactorLarge();
double StaffStepOffset();
double StaffStepFactor();

// ---- Joined staves ----
bool SameGroupAsAbove(int32_t i);
bool SameGroupAsBelow(int32_t i);
bool StavesJoinedInPart(int32_t i);
bool JoinedToStaveBelow(int32_t i);
bool IsInMultiStavePart(int32_t i);

// ---- Composite marks ----
// Draws the part's name label for a brace (the staff-name labels install it).
using PartLabelDrawer = void (*)(int colourIndex, uint32_t kindA, uint32_t kindB, int32_t staff, int32_t y);
void SetPartLabelDrawer(PartLabelDrawer drawer);
void DrawPartBrace(const PartBraceRecord& record);
double DrawRepeatDots(double x, double y, int a, int b, double step);
double DrawBarSegments(double x, double yA, double hA, double yB, double hB, int colourIndex, double width);
