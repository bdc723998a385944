// The fixed-size symbol store: one record per symbol found on the page
// (clefs, accidentals, rests, dynamics and the other symbols of a fixed
// size), read through range-checked accessors.
#pragma once

#include <cstdint>

#include "Code/Quorm/Geometry.h"
#include "Code/Quorm/Muslfile.h"

// Accidental symbol types, in the order of the page description's accidental
// codes 1..7 (sharp, flat, natural, double sharp, double flat, natural-sharp,
// natural-flat).
constexpr int32_t kFirstAccidentalType = 90;
constexpr int32_t kLastAccidentalType = 96;

struct FixedSymbol {
  int32_t x0, y0, x1, y1;   // the box in pixels
  int32_t referenceHeight;  // pixels: the height that places it on a staff
  int32_t type;             // kMinFixedSymbolType..kMaxFixedSymbolType
  int32_t cost;             // lower is better
  int32_t deleted;          // 0 live, 1 deleted
};
static_assert(sizeof(FixedSymbol) == 32, "8 words");

// Appends a symbol (its type must be a symbol type) and returns its index.
int32_t AddFixedSymbol(const FixedSymbol& symbol);
int32_t GetFixedSymbolCount();
FixedSymbol GetFixedSymbol(int32_t i);  // checked 0..count-1
void DeleteFixedSymbol(int32_t i);
// 1 when symbol i is an accidental that is not deleted.
int32_t IsLiveAccidental(int32_t i);
// The module's free function.
void FreeFixedSymbols();
