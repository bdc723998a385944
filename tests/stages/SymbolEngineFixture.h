// An engine page description built by hand for the symbol import tests: one
// system of two five-line staves (lines at 100..180 and 300..380, space 20,
// from x 50 to 1300) and the events the tests put into their slots. Kept
// apart from the work records, whose names the description's own would meet.
#pragma once

#include <cstdint>

void StartSymbolPage();
void EndSymbolPage();
// A live fixed-size symbol with that box and cost; its (kind, index).
void AddSymbolObject(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t cost, int32_t* kind, int32_t* index);
void NewSymbolSlot(int32_t staff);
void AddSlotClef(int32_t staff, int32_t code, int32_t kind, int32_t index);
void AddSlotTime(int32_t staff, int32_t shownAsSymbol, int32_t numerator, int32_t denominator, int32_t kind,
                 int32_t index);
void AddSlotBarline(int32_t staff, int32_t barKind, int32_t left, int32_t right);
// A key signature (sharps > 0, flats < 0) centred at page x.
void AddSlotKey(int32_t staff, int32_t key, int32_t pageX);
// The mark a staff's last slot gets when its bars end without a drawn bar line.
void AddSlotClosingMark(int32_t staff);
// One note group of one rest (engine type 5..14) or of one solid head.
void AddSlotRest(int32_t staff, int32_t engineType, int32_t dots, int32_t bars, int32_t pageX, int32_t index);
void AddSlotHead(int32_t staff, int32_t pageX);
int SymbolCostConfidence(int32_t cost);
