#include "shell/StartupTables.h"

#include <cstring>

#include "platform/FileLayer.h"
#include "platform/Folders.h"
#include "shapes/ZoneFeatures.h"

namespace {

constexpr unsigned kTableShortageText = 10021;

uint8_t* Bytes(Handle handle) { return static_cast<uint8_t*>(handle); }

}  // namespace

StartupTables& Tables() {
  static StartupTables tables;
  return tables;
}

// The shape classifier's step table is the one rule for both parts.
void FillFractionTables(uint8_t* block) {
  const ZoneStepTable& steps = GetZoneStepTable();
  static_assert(sizeof steps.a == 256 * kFractionARowBytes && sizeof steps.b == 256 * kFractionBRowBytes,
                "the fraction tables are the step table's two parts");
  std::memcpy(block, steps.a, sizeof steps.a);
  std::memcpy(block + sizeof steps.a, steps.b, sizeof steps.b);
}

void FillBitCountTable(uint8_t* table) {
  for (unsigned value = 0; value < 256; ++value) {
    uint8_t count = 0;
    for (unsigned bits = value; bits; bits &= bits - 1) ++count;
    table[value] = count;
  }
}

void FillFirstBitFromTopTable(uint8_t* table) {
  for (unsigned value = 0; value < 256; ++value) {
    uint8_t position = 8;
    for (int bit = 7; bit >= 0; --bit) {
      if (value & (1u << bit)) {
        position = uint8_t(7 - bit);
        break;
      }
    }
    table[value] = position;
  }
}

void FillFirstBitFromBottomTable(uint8_t* table) {
  for (unsigned value = 0; value < 256; ++value) {
    uint8_t position = 0;
    for (int bit = 0; bit < 8; ++bit) {
      if (value & (1u << bit)) {
        position = uint8_t(8 - bit);
        break;
      }
    }
    table[value] = position;
  }
}

const uint8_t* FractionTableA() { return Bytes(Tables().fractions); }

const uint8_t* FractionTableB() {
  const uint8_t* a = FractionTableA();
  return a ? a + 256 * kFractionARowBytes : nullptr;
}

bool AllocateStartupTables() {
  StartupTables& tables = Tables();
  if (!tables.fractions && !AllocHandleChecked(&tables.fractions, kFractionBlockBytes, kTableShortageText, 1))
    return false;
  if (!tables.otable && !AllocHandleChecked(&tables.otable, kOtableBytes, kTableShortageText, 1)) return false;
  std::memset(tables.otable, 0, kOtableBytes);
  FillFractionTables(Bytes(tables.fractions));
  FillBitCountTable(tables.bitCount);
  FillFirstBitFromTopTable(tables.firstBitFromTop);
  FillFirstBitFromBottomTable(tables.firstBitFromBottom);
  return true;
}

bool ReadOtable() {
  StartupTables& tables = Tables();
  char16_t path[300];
  if (!tables.otable || !MakeResourcesSubPath(path, kOtableFileName)) return false;
  std::FILE* file = FileOpen(path, kFileRead, false);
  if (!file) return false;
  long size = FileSize(file);
  bool whole = size >= 0 && size <= long(kOtableBytes) && FileRead(file, tables.otable, size_t(size)) == 0;
  FileClose(file);
  return whole;
}

void FreeStartupTables() {
  FreeHandle(&Tables().fractions);
  FreeHandle(&Tables().otable);
}
