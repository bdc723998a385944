#include "tests/stages/SymbolEngineFixture.h"

#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Mscript.h"
#include "Code/Quorm/Mscrptio.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/StaffFixture.h"

namespace {
constexpr int32_t kObjectType = 40;  // any fixed-size symbol type has a box
}

void StartSymbolPage() {
  FreeFixedSymbols();
  LoadHandPage(1400, 900, 20);
  AddHandStaff({0, 100, 20, 50, 1300, 5, 1});
  AddHandStaff({0, 300, 20, 50, 1300, 5, 0});
  ResetPageDescription("t");
  AddPageDescription("page.tif");
}

void EndSymbolPage() {
  FreeFixedSymbols();
  FreeHandPage();
}

void AddSymbolObject(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t cost, int32_t* kind, int32_t* index) {
  *kind = kObjectType;
  *index = AddFixedSymbol(x0, y0, x1, y1, kObjectType, cost, 0);
}

void NewSymbolSlot(int32_t staff) { AddTimeSlot(staff); }

void AddSlotClef(int32_t staff, int32_t code, int32_t kind, int32_t index) {
  const int32_t clef[kClefWords] = {code, 140, 70, kind, index};
  AddClefEvent(staff, clef);
}

void AddSlotTime(int32_t staff, int32_t shownAsSymbol, int32_t numerator, int32_t denominator, int32_t kind,
                 int32_t index) {
  const int32_t time[kTimeSignatureWords] = {shownAsSymbol, 140, 205, numerator, denominator, kind, index};
  AddTimeSignatureEvent(staff, time);
}

void AddSlotBarline(int32_t staff, int32_t barKind, int32_t left, int32_t right) {
  const int32_t bar[kBarlineWords] = {barKind, left, right};
  AddBarlineEvent(staff, bar);
}

void AddSlotKey(int32_t staff, int32_t key, int32_t pageX) {
  const int32_t record[kKeySignatureWords] = {key, 140, pageX};
  AddKeySignatureEvent(staff, record);
}

void AddSlotClosingMark(int32_t staff) {
  const int32_t closing[kBarlineWords] = {0, -999, -999};
  AddTimeSlotEvent(staff, kEventBarline, closing, kBarlineWords);
}

void AddSlotRest(int32_t staff, int32_t engineType, int32_t dots, int32_t bars, int32_t pageX, int32_t index) {
  MscriptNoteGroup g{};
  g.noteCount = 1;
  g.dots = dots;
  g.barCount = bars;
  g.notes[0].type = engineType;
  g.notes[0].pageX = pageX;
  g.notes[0].object = index;
  AddNoteGroupEvents(staff, &g, 1);
}

void AddSlotHead(int32_t staff, int32_t pageX) {
  MscriptNoteGroup g{};
  g.noteCount = 1;
  g.notes[0].type = kNoteSolid;
  g.notes[0].pageX = pageX;
  AddNoteGroupEvents(staff, &g, 1);
}

int SymbolCostConfidence(int32_t cost) { return CostToConfidence(cost); }
