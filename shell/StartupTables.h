// The tables that start-up builds once and keeps for the whole run: the two
// fraction tables, the three bit tables, the "otable" block and the
// part-name defaults.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Messages.h"

// Fraction table A is 256 rows of 64 bytes: [i][j] = (i * j) / 64. Fraction
// table B, 256 rows of 32 bytes, lies right behind it: [i][j] = (i * j) / 32.
constexpr size_t kFractionARowBytes = 64;
constexpr size_t kFractionBRowBytes = 32;
constexpr size_t kFractionBlockBytes = 256 * (kFractionARowBytes + kFractionBRowBytes);  // 24,576
constexpr size_t kOtableBytes = 2048;
constexpr char16_t kOtableFileName[] = u"otable";

void FillFractionTables(uint8_t* block);  // kFractionBlockBytes
// The number of set bits of each byte value.
void FillBitCountTable(uint8_t* table);
// By the highest set bit: bit 7 gives 0 ... bit 0 gives 7; 0 gives 8.
void FillFirstBitFromTopTable(uint8_t* table);
// By the lowest set bit: bit 0 gives 8 ... bit 7 gives 1; 0 gives 0.
void FillFirstBitFromBottomTable(uint8_t* table);

struct StartupTables {
  Handle fractions = nullptr;  // kFractionBlockBytes
  Handle otable = nullptr;     // kOtableBytes
  uint8_t bitCount[256] = {};
  uint8_t firstBitFromTop[256] = {};
  uint8_t firstBitFromBottom[256] = {};
};
StartupTables& Tables();

const uint8_t* FractionTableA();  // null before the tables are built
const uint8_t* FractionTableB();

// Allocates both blocks (a shortage shows string 10021) and fills the
// fraction and bit tables. False when a block could not be had.
bool AllocateStartupTables();
// Reads "otable" of the resource folder's "Resources" folder whole into its
// block. False (nothing shown) when the file is missing or larger than it.
bool ReadOtable();
void FreeStartupTables();
