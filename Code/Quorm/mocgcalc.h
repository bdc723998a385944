// Symbol-type tests on FixedSymbolType codes.
#pragma once

#include <cstdint>

int32_t IsSharpKeyType(int32_t type);
int32_t IsKeySignatureType(int32_t type);
int32_t IsAccidentalType(int32_t type);
int32_t IsUpFlagType(int32_t type);
int32_t IsFlagType(int32_t type);
int32_t IsTimeSignatureType(int32_t type);
int32_t IsClefType(int32_t type);
int32_t IsTypeInGroup100(int32_t type);
int32_t IsRestType(int32_t type);
int32_t IsBarDotType(int32_t type);
int32_t IsHeadOrRestKind(int32_t kind);
// Hooks of a flag type (61..64 up, 71..74 down); any other type is a failed check.
int32_t FlagCountOfType(int32_t type);
