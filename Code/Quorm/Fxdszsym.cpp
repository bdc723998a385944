// The fixed-size symbol store.
#include "Code/Quorm/Fxdszsym.h"

#include "Code/Quorm/Enginetab.h"

namespace {

EngineTable<FixedSymbol, 1000> gSymbols("fxdszsyms");

}  // namespace

int32_t AddFixedSymbol(const FixedSymbol& symbol) {
  ENGINE_CHECK(symbol.type >= kMinFixedSymbolType && symbol.type <= kMaxFixedSymbolType);
  return gSymbols.Append(symbol);
}

int32_t GetFixedSymbolCount() { return gSymbols.count; }
FixedSymbol GetFixedSymbol(int32_t i) { return gSymbols.At(i); }
void DeleteFixedSymbol(int32_t i) { gSymbols.At(i).deleted = 1; }

int32_t IsLiveAccidental(int32_t i) {
  const FixedSymbol& symbol = gSymbols.At(i);
  return symbol.deleted == 0 && symbol.type >= kFirstAccidentalType && symbol.type <= kLastAccidentalType ? 1 : 0;
}

void FreeFixedSymbols() { gSymbols.Free(); }
