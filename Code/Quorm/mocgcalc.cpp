// Symbol-type tests on FixedSymbolType codes.
#include "Code/Quorm/mocgcalc.h"

#include "Code/Quorm/Engerror.h"

namespace {
bool In(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }
}  // namespace

int32_t IsSharpKeyType(int32_t type) { return In(type, 500, 507); }
int32_t IsKeySignatureType(int32_t type) { return In(type, 500, 507) || In(type, 510, 517); }
int32_t IsAccidentalType(int32_t type) { return In(type, 90, 96); }
int32_t IsUpFlagType(int32_t type) { return In(type, 61, 64); }
int32_t IsFlagType(int32_t type) { return In(type, 61, 64) || In(type, 71, 74); }
int32_t IsTimeSignatureType(int32_t type) { return type == 490 || type == 491 || In(type, 1001, 1999); }
int32_t IsClefType(int32_t type) { return In(type, 80, 82); }
int32_t IsTypeInGroup100(int32_t type) { return In(type, 100, 110) || In(type, 120, 122); }
int32_t IsRestType(int32_t type) {
  return In(type, 40, 46) || In(type, 700, 706) || In(type, 710, 716) || In(type, 720, 726);
}
int32_t IsBarDotType(int32_t type) { return type == 140; }
int32_t IsHeadOrRestKind(int32_t kind) { return kind == 2 || In(kind, 40, 47); }

int32_t FlagCountOfType(int32_t type) {
  ENGINE_CHECK(IsFlagType(type));
  return type < 70 ? type - 60 : type - 70;
}
