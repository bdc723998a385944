// The fixed-size symbol store.
#include "Code/Quorm/Fxdszsym.h"

#include "Code/Quorm/Enginetab.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/mocgcalc.h"

namespace {

EngineTable<FixedSymbol, 1000> gSymbols("fxdszsyms");

bool In(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

FixedSymbol& Live(int32_t i) {
  FixedSymbol& symbol = gSymbols.At(i);
  ENGINE_CHECK(symbol.deleted == 0);
  return symbol;
}

// The type of a live symbol, or -1 for a deleted one (index checked).
int32_t LiveType(int32_t i) {
  const FixedSymbol& symbol = gSymbols.At(i);
  return symbol.deleted ? -1 : symbol.type;
}

}  // namespace

int32_t AddFixedSymbol(const FixedSymbol& symbol) {
  ENGINE_CHECK(symbol.type >= kMinFixedSymbolType && symbol.type <= kMaxFixedSymbolType);
  FixedSymbol stored = symbol;
  stored.deleted = 0;
  return gSymbols.Append(stored);
}

int32_t AddFixedSymbol(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t type, int32_t cost,
                       int32_t referenceHeight) {
  return AddFixedSymbol(FixedSymbol{x0, y0, x1, y1, referenceHeight, type, cost, 0});
}

int32_t GetFixedSymbolCount() { return gSymbols.count; }
FixedSymbol GetFixedSymbol(int32_t i) { return gSymbols.At(i); }

EngineBox GetFixedSymbolBox(int32_t i) {
  const FixedSymbol& symbol = Live(i);
  return EngineBox{symbol.x0, symbol.y0, symbol.x1, symbol.y1};
}

int32_t GetFixedSymbolType(int32_t i) { return Live(i).type; }
int32_t GetFixedSymbolCost(int32_t i) { return Live(i).cost; }
int32_t GetFixedSymbolRefY(int32_t i) { return Live(i).referenceHeight; }
int32_t IsFixedSymbolDeleted(int32_t i) { return gSymbols.At(i).deleted; }
void DeleteFixedSymbol(int32_t i) { gSymbols.At(i).deleted = 1; }

void AddDotToRest(int32_t i) {
  FixedSymbol& symbol = gSymbols.At(i);
  if (In(symbol.type, 40, 46))
    symbol.type += 660;
  else if (In(symbol.type, 700, 706))
    symbol.type += 10;
  else
    ENGINE_CHECK(In(symbol.type, 710, 716));
}

int32_t GetRestDotCount(int32_t i) {
  const FixedSymbol& symbol = gSymbols.At(i);
  if (symbol.deleted) return 0;
  if (In(symbol.type, 40, 46)) return 0;
  if (In(symbol.type, 700, 706)) return 1;
  if (In(symbol.type, 710, 716)) return 2;
  ENGINE_CHECK(In(symbol.type, 720, 726));
  return 3;
}

int32_t NumeralOfType(int32_t i) {
  const int32_t type = LiveType(i);
  if (type < 0) return -1;
  ENGINE_CHECK(In(type, 352, 356));
  return type - 350;
}

int32_t KeySignatureOfType(int32_t type) {
  if (In(type, kSharpKeyType, kSharpKeyType + kMaxKeyAccidentals)) return type - kSharpKeyType;
  ENGINE_CHECK(In(type, kFlatKeyType, kFlatKeyType + kMaxKeyAccidentals));
  return kFlatKeyType - type;
}

void TimeSignatureOfType(int32_t type, int32_t* numerator, int32_t* denominator, int32_t* symbol) {
  ENGINE_CHECK_POINTER(numerator);
  ENGINE_CHECK_POINTER(denominator);
  ENGINE_CHECK_POINTER(symbol);
  if (type == kCommonTimeType || type == kCutTimeType) {
    *numerator = type == kCommonTimeType ? 4 : 2;
    *denominator = *numerator;
    *symbol = 1;
    return;
  }
  ENGINE_CHECK(In(type, 1001, 1999));
  const int32_t v = type - 1000;
  *numerator = v / 10;
  *denominator = 1 << (v % 10);
  *symbol = 0;
}

int32_t IsLiveAccidental(int32_t i) { return IsAccidentalSymbolAt(i); }
int32_t IsGroup100SymbolAt(int32_t i) { return IsTypeInGroup100(LiveType(i)); }
int32_t IsShortFlagSymbolAt(int32_t i) {
  const int32_t t = LiveType(i);
  return In(t, 61, 63) || In(t, 71, 73) ? 1 : 0;
}
int32_t IsRestSymbolAt(int32_t i) { return IsRestType(LiveType(i)); }
int32_t IsPlainRest40to42At(int32_t i) { return In(LiveType(i), 40, 42) ? 1 : 0; }
int32_t IsBarDotSymbolAt(int32_t i) { return IsBarDotType(LiveType(i)); }
int32_t IsDynamicSymbolAt(int32_t i) { return In(LiveType(i), 300, 316) ? 1 : 0; }
int32_t IsCodaSegnoEndingAt(int32_t i) { return In(LiveType(i), 130, 135) ? 1 : 0; }
int32_t IsPedalOrOrnamentAt(int32_t i) {
  const int32_t t = LiveType(i);
  return In(t, 160, 162) || In(t, 170, 174) ? 1 : 0;
}
int32_t IsNumeralSymbolAt(int32_t i) { return In(LiveType(i), 352, 356) ? 1 : 0; }
int32_t IsDotSymbolAt(int32_t i) { return LiveType(i) == kDotType ? 1 : 0; }
int32_t IsAccidentalSymbolAt(int32_t i) { return IsAccidentalType(LiveType(i)); }
int32_t IsKeySignatureSymbolAt(int32_t i) { return IsKeySignatureType(LiveType(i)); }
int32_t IsClefSymbolAt(int32_t i) { return IsClefType(LiveType(i)); }
int32_t IsTextBlockingSymbolAt(int32_t i) {
  const int32_t t = LiveType(i);
  return In(t, 300, 316) || IsRestType(t) || IsAccidentalType(t) || IsTypeInGroup100(t) || In(t, 352, 356) ||
                 t == 50 || t == 51
             ? 1
             : 0;
}
int32_t IsTimeKeyOrClefAt(int32_t i) {
  const int32_t t = LiveType(i);
  return IsTimeSignatureType(t) || IsKeySignatureType(t) || IsClefType(t) ? 1 : 0;
}

int32_t ListFixedSymbols(FixedSymbolTest test, int32_t** out) {
  ENGINE_CHECK_POINTER(test);
  ENGINE_CHECK_POINTER(out);
  EngineAllocChecked(*out, sizeof(int32_t) * static_cast<size_t>(gSymbols.count));
  int32_t n = 0;
  for (int32_t i = 0; i < gSymbols.count; ++i)
    if (!gSymbols.records[i].deleted && test(i)) (*out)[n++] = i;
  return n;
}

void FreeFixedSymbols() { gSymbols.Free(); }
