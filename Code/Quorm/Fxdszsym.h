// The fixed-size symbol store: one record per symbol found on the page
// (clefs, accidentals, rests, dynamics, key and time signatures and the other
// symbols of a fixed size), read through range-checked accessors. A symbol's
// type code is also its object kind in the object graph.
#pragma once

#include <cstdint>

#include "Code/Quorm/Geometry.h"
#include "Code/Quorm/Muslfile.h"

// Accidental symbol types, in the order of the page description's accidental
// codes 1..7 (sharp, flat, natural, double sharp, double flat, natural-sharp,
// natural-flat).
constexpr int32_t kFirstAccidentalType = 90;
constexpr int32_t kLastAccidentalType = 96;
constexpr int32_t kSharpType = 90;
constexpr int32_t kFlatType = 91;
constexpr int32_t kGClefType = 80;
constexpr int32_t kFClefType = 81;
constexpr int32_t kCClefType = 82;
constexpr int32_t kBarDotType = 140;
constexpr int32_t kDotType = 150;
constexpr int32_t kCommonTimeType = 490;
constexpr int32_t kCutTimeType = 491;
constexpr int32_t kSharpKeyType = 500;  // + number of sharps (0..7)
constexpr int32_t kFlatKeyType = 510;   // + number of flats (0..7)
constexpr int32_t kMaxKeyAccidentals = 7;

struct FixedSymbol {
  int32_t x0, y0, x1, y1;   // the box in pixels
  int32_t referenceHeight;  // the extra word: the height in pixels that places it on a staff
  int32_t type;             // kMinFixedSymbolType..kMaxFixedSymbolType
  int32_t cost;             // lower is better
  int32_t deleted;          // 0 live, 1 deleted
};
static_assert(sizeof(FixedSymbol) == 32, "8 words");

// Appends a live symbol (its type must be a symbol type) and returns its
// index.
int32_t AddFixedSymbol(const FixedSymbol& symbol);
int32_t AddFixedSymbol(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t type, int32_t cost,
                       int32_t referenceHeight);
int32_t GetFixedSymbolCount();
// The record as stored, deleted or not (index checked 0..count-1).
FixedSymbol GetFixedSymbol(int32_t i);
// The getters below need a live symbol (index checked, deleted is a failed
// check).
EngineBox GetFixedSymbolBox(int32_t i);
int32_t GetFixedSymbolType(int32_t i);
int32_t GetFixedSymbolCost(int32_t i);
int32_t GetFixedSymbolRefY(int32_t i);
int32_t IsFixedSymbolDeleted(int32_t i);  // index checked
void DeleteFixedSymbol(int32_t i);        // index checked
// One dot more on a rest: 40..46 -> 700..706 -> 710..716, which stay;
// three-dot rests and other types are failed checks.
void AddDotToRest(int32_t i);
// 0, 1, 2 or 3 dots of a rest; 0 for a deleted symbol; another type is a
// failed check.
int32_t GetRestDotCount(int32_t i);
// 352..356 -> 2..6; -1 for a deleted symbol; another type is a failed check.
int32_t NumeralOfType(int32_t i);
// 500 + n -> n, 510 + n -> -n (n 0..7); another code is a failed check.
int32_t KeySignatureOfType(int32_t type);
// 490 -> 4/4 and 491 -> 2/2 with the symbol flag set; 1000 + v (v 1..999)
// -> v / 10 over 2 to the power v mod 10, flag clear; another code is a
// failed check.
void TimeSignatureOfType(int32_t type, int32_t* numerator, int32_t* denominator, int32_t* symbol);

// Family predicates by index: 0 for a deleted symbol (index checked).
using FixedSymbolTest = int32_t (*)(int32_t i);
int32_t IsLiveAccidental(int32_t i);  // the same as IsAccidentalSymbolAt
int32_t IsGroup100SymbolAt(int32_t i);
int32_t IsShortFlagSymbolAt(int32_t i);
int32_t IsRestSymbolAt(int32_t i);
int32_t IsPlainRest40to42At(int32_t i);
int32_t IsBarDotSymbolAt(int32_t i);
int32_t IsDynamicSymbolAt(int32_t i);
int32_t IsCodaSegnoEndingAt(int32_t i);
int32_t IsPedalOrOrnamentAt(int32_t i);
int32_t IsNumeralSymbolAt(int32_t i);
int32_t IsDotSymbolAt(int32_t i);
int32_t IsAccidentalSymbolAt(int32_t i);
int32_t IsKeySignatureSymbolAt(int32_t i);
int32_t IsClefSymbolAt(int32_t i);
int32_t IsTextBlockingSymbolAt(int32_t i);
int32_t IsTimeKeyOrClefAt(int32_t i);

// Allocates *out (which must be empty) from the engine heap with room for
// every symbol and writes the indices of the live symbols that pass the test,
// in store order; returns how many. The caller frees the array with
// EngineFree.
int32_t ListFixedSymbols(FixedSymbolTest test, int32_t** out);

// The module's free function.
void FreeFixedSymbols();
