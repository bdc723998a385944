// The two trained classifier files of the resources folder: "XxXData"
// (ZoneFeatureRecords per grid, ShapeTypePartTable and ShapeTypeFlagTable,
// LeftContextList and RightContextList) and "Notation" (NotationGroups of
// run-description templates, NotationDarknessTable). Both are
// little-endian, without a magic number.
//
// A file is checked whole before anything of it is used: a refused file
// leaves the database as it was and is reported by string id. A save writes
// beside the target and replaces it only when every byte and the close
// succeeded; a database that does not fit the format is not saved.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "shapes/ZoneFeatures.h"

constexpr char16_t kShapeDatabaseName[] = u"XxXData";
constexpr char16_t kNotationDatabaseName[] = u"Notation";

constexpr int kContextRowEntries = 32;
constexpr int kContextMaxRows = 128;
constexpr int kTypeCodes = 256;
constexpr int kMaxPartValue = 3;

struct ContextEntry {
  uint16_t type;   // neighbour type; 0 ends the row
  uint16_t reach;  // reach factor
  uint16_t bonus;
  bool operator==(const ContextEntry& o) const { return type == o.type && reach == o.reach && bonus == o.bonus; }
};
using ContextRow = std::array<ContextEntry, kContextRowEntries>;

struct ShapeDatabase {
  // Per grid (indexed by ZoneGrid), the ZoneFeatureRecords back to back.
  std::array<std::vector<uint8_t>, kZoneGridCount> records;
  std::array<uint16_t, kTypeCodes> ShapeTypePartTable{};
  std::array<uint32_t, kTypeCodes> ShapeTypeFlagTable{};
  std::vector<ContextRow> LeftContextList;
  std::vector<ContextRow> RightContextList;

  size_t RecordCount(ZoneGrid grid) const {
    return records[static_cast<int>(grid)].size() / ZoneFeatureRecordBytes(GridParameters(grid));
  }
  const uint8_t* Record(ZoneGrid grid, size_t index) const {
    return records[static_cast<int>(grid)].data() + index * ZoneFeatureRecordBytes(GridParameters(grid));
  }
};

struct NotationDatabase {
  std::vector<uint8_t> groups;        // block 1: NotationGroups
  uint32_t groupCount = 0;
  std::vector<uint8_t> descriptions;  // block 2
  uint32_t descriptionCount = 0;
  std::array<int32_t, kTypeCodes> NotationDarknessTable;  // -1 = no darkness target
  NotationDatabase() { NotationDarknessTable.fill(-1); }
};

// ---- The formats, in memory ----

// False (out untouched) when the bytes are not one whole, consistent file.
bool ParseShapeDatabase(const uint8_t* data, size_t size, ShapeDatabase* out);
bool ParseNotationDatabase(const uint8_t* data, size_t size, NotationDatabase* out);
// False when the database does not fit the file format (a record count of
// 65536 or more, a table value or context entry that does not fit its byte,
// more than 128 context rows, a notation database that would not load back).
// The 8 x 8 and 8 x 16 sections are written; the larger grids are not.
bool SerializeShapeDatabase(const ShapeDatabase& db, std::vector<uint8_t>* bytes);
bool SerializeNotationDatabase(const NotationDatabase& db, std::vector<uint8_t>* bytes);

// ---- Files ----

enum class DatabaseLoad { kLoaded, kMissing, kDamaged, kNoMemory };

// Each reports what went wrong with a message box: a file that cannot be
// opened through the file layer, a damaged file by string id.
DatabaseLoad LoadShapeDatabaseFile(const char16_t* path, ShapeDatabase* db);
DatabaseLoad LoadNotationDatabaseFile(const char16_t* path, NotationDatabase* db);
bool SaveShapeDatabaseFile(const ShapeDatabase& db, const char16_t* path);
bool SaveNotationDatabaseFile(const NotationDatabase& db, const char16_t* path);

// The folder of the training inputs; the second copy of a save goes there.
// Its built-in value names a folder that users do not have; the training
// tool sets it to the repository's training folder.
const std::u16string& DeveloperDataFolder();
void SetDeveloperDataFolder(const std::u16string& folder);

// The resources folder's file (Resources\XxXData, Resources\Notation).
DatabaseLoad LoadShapeDatabase(ShapeDatabase* db);
DatabaseLoad LoadNotationDatabase(NotationDatabase* db);
// The resources folder first, then the developer folder; the second copy is
// not attempted after a failed first one.
bool SaveShapeDatabase(const ShapeDatabase& db);
bool SaveNotationDatabase(const NotationDatabase& db);
