#include "shapes/ClassifierDatabases.h"


#include "pages/StoreFileBytes.h"
#include "platform/FileLayer.h"
#include "platform/Folders.h"
#include "platform/Messages.h"
#include "platform/ReplacingFile.h"
#include "shapes/NotationGroups.h"
#include "shapes/RunDescription.h"

namespace {

enum : unsigned {
  kTextStartupMemory = 10021,
  kTextDatabaseDamaged = 11670,   // %s: the file
  kTextDatabaseNotSaved = 11671,  // %s: the file there unchanged
};

// Far above any trained database; a larger file is refused unread.
constexpr size_t kDatabaseFileLimit = 64u << 20;
constexpr int kContextEntryBytes = 3;
constexpr int kSavedGrids[] = {static_cast<int>(ZoneGrid::k8x8), static_cast<int>(ZoneGrid::k8x16)};
constexpr size_t kDarknessTableBytes = kTypeCodes * 4;

uint16_t U16At(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32At(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
void PutU16(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}
void PutU32(std::vector<uint8_t>* out, uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

bool ReadContextRows(StoreReader* reader, std::vector<ContextRow>* rows) {
  uint8_t n = 0;
  if (!reader->U8(&n) || n > kContextMaxRows) return false;
  rows->assign(n, ContextRow{});
  for (ContextRow& row : *rows) {
    for (ContextEntry& entry : row) {
      uint8_t bytes[kContextEntryBytes];
      if (!reader->Bytes(bytes, sizeof bytes)) return false;
      entry = {bytes[0], bytes[1], bytes[2]};
    }
  }
  return true;
}

bool WriteContextRows(const std::vector<ContextRow>& rows, std::vector<uint8_t>* out) {
  if (rows.size() > kContextMaxRows) return false;
  out->push_back(static_cast<uint8_t>(rows.size()));
  for (const ContextRow& row : rows) {
    for (const ContextEntry& entry : row) {
      if (entry.type > 255 || entry.reach > 255 || entry.bonus > 255) return false;
      out->push_back(static_cast<uint8_t>(entry.type));
      out->push_back(static_cast<uint8_t>(entry.reach));
      out->push_back(static_cast<uint8_t>(entry.bonus));
    }
  }
  return true;
}

// Block 2: run descriptions back to back. Marks where each one starts.
bool CheckDescriptions(const uint8_t* block, size_t length, uint32_t count, std::vector<bool>* starts) {
  starts->assign(length, false);
  size_t at = 0;
  uint32_t seen = 0;
  while (at < length) {
    if (length - at < kRunDescriptionHeaderBytes) return false;
    const uint8_t* d = block + at;
    const uint32_t total = U32At(d);
    const int cols = d[4], rows = d[5];
    if (total < kRunDescriptionHeaderBytes || total > length - at || cols < 1 || cols > kRunGridMaxSide || rows < 1 ||
        rows > kRunGridMaxSide)
      return false;
    size_t line = kRunDescriptionHeaderBytes;
    for (int i = 0; i < rows + cols; ++i) {
      if (line >= total) return false;
      const size_t listLength = d[line];
      // A list holds at least its own 4 bytes and whole runs of 4.
      if (listLength < 4 || (listLength - 4) % 4 != 0 || listLength > total - line) return false;
      line += listLength;
    }
    if (line != total) return false;
    (*starts)[at] = true;
    at += total;
    ++seen;
  }
  return seen == count;
}

// One group of block 1 from its first byte; *length its whole length.
bool CheckGroup(const uint8_t* g, size_t available, const std::vector<bool>& starts, size_t* length) {
  if (available < 4) return false;
  const size_t size = U16At(g);
  if (size < 4 || size > available) return false;
  size_t at = 4;
  bool header = false;
  for (;;) {
    if (size - at < 2) return false;
    const uint8_t tag = g[at];
    const size_t chunk = g[at + 1];
    if (chunk < 2 || chunk > size - at) return false;
    switch (tag) {
      case kChunkEnd:
        if (chunk != kChunkEndLength) return false;
        break;
      case kChunkHeader:
        if (chunk != kChunkHeaderLength || header) return false;
        header = true;
        break;
      case kChunkPart: {
        RunPartRecord part;
        if (!ReadPartChunk(g + at, chunk, &part)) return false;
        break;
      }
      case kChunkThresholds:
        if (chunk != kChunkThresholdsLength) return false;
        break;
      case kChunkConfusions:
        if (chunk < 3 || g[at + 2] > kMaxConfusionPairs || chunk != ConfusionChunkLength(g[at + 2])) return false;
        break;
      case kChunkFlag:
        if (chunk != kChunkFlagLength) return false;
        break;
      default:
        return false;
    }
    at += chunk;
    if (tag == kChunkEnd) break;
  }
  if (!header || size - at < 4) return false;
  const uint64_t count = U32At(g + at);
  at += 4;
  if (count * 4 != size - at) return false;
  for (; at < size; at += 4) {
    const uint32_t offset = U32At(g + at);
    if (offset >= starts.size() || !starts[offset]) return false;
  }
  *length = size;
  return true;
}

bool CheckGroups(const uint8_t* block, size_t length, uint32_t count, const std::vector<bool>& starts) {
  size_t at = 0;
  uint32_t seen = 0;
  while (at < length) {
    size_t size = 0;
    if (!CheckGroup(block + at, length - at, starts, &size)) return false;
    at += size;
    ++seen;
  }
  return seen == count;
}

void ReportDamaged(const char16_t* path) { MessageById(nullptr, kTextDatabaseDamaged, path); }

// The whole file in memory; a missing file is reported by the file layer.
DatabaseLoad ReadWholeFile(const char16_t* path, StoreBytes* bytes) {
  switch (LoadStoreFile(path, kDatabaseFileLimit, true, bytes)) {
    case StoreLoad::kLoaded:
      return DatabaseLoad::kLoaded;
    case StoreLoad::kMissing:
      // Let the file layer show its "Cannot open" box with the path.
      if (std::FILE* f = FileOpen(path, kFileRead, true)) FileClose(f);
      return DatabaseLoad::kMissing;
    case StoreLoad::kNoMemory:
      MessageById(nullptr, kTextStartupMemory);
      return DatabaseLoad::kNoMemory;
    case StoreLoad::kTooLarge:
      ReportDamaged(path);
      return DatabaseLoad::kDamaged;
    case StoreLoad::kFailed:
      break;
  }
  // The file layer has said why a file would not open; a file that opens
  // but cannot be read whole is this loader's to report.
  if (std::FILE* f = FileOpen(path, kFileRead, false)) {
    FileClose(f);
    ReportDamaged(path);
    return DatabaseLoad::kDamaged;
  }
  return DatabaseLoad::kMissing;
}

bool WriteWholeFile(const std::vector<uint8_t>& bytes, const char16_t* path) {
  ReplacingFile file(path);
  file.Write(bytes.data(), bytes.size());
  if (file.Commit()) return true;
  MessageById(nullptr, kTextDatabaseNotSaved, path);
  return false;
}

std::u16string& DeveloperFolderValue() {
  // Built in: a folder of the developer's machine, which users lack.
  static std::u16string folder = u"C:\\VelmorantDevelopment\\Classifier\\";
  return folder;
}

bool ResourcesPath(const char16_t* name, char16_t (&path)[1024]) { return MakeResourcesSubPath(path, name); }

template <typename Db>
bool SaveTwice(const Db& db, const char16_t* name, bool (*save)(const Db&, const char16_t*)) {
  char16_t path[1024];
  if (!ResourcesPath(name, path) || !save(db, path)) return false;
  const std::u16string& folder = DeveloperDataFolder();
  if (folder.empty()) return true;
  std::u16string second = folder;
  const char16_t last = second.back();
  if (last != u'\\' && last != u'/') second += second.find(u'\\') != std::u16string::npos ? u'\\' : u'/';
  second += name;
  return save(db, second.c_str());
}

}  // namespace

bool ParseShapeDatabase(const uint8_t* data, size_t size, ShapeDatabase* out) {
  StoreReader reader(data, size);
  ShapeDatabase db;
  uint8_t sections = 0;
  if (!reader.U8(&sections)) return false;
  bool seen[kZoneGridCount] = {};
  for (int s = 0; s < sections; ++s) {
    uint8_t cols = 0, rows = 0;
    uint16_t count = 0;
    ZoneGrid grid;
    if (!reader.U8(&cols) || !reader.U8(&rows) || !reader.U16LE(&count) || !GridFromSize(cols, rows, &grid)) return false;
    const int g = static_cast<int>(grid);
    if (seen[g]) return false;
    seen[g] = true;
    const size_t bytes = static_cast<size_t>(count) * ZoneFeatureRecordBytes(GridParameters(grid));
    if (bytes > reader.Left()) return false;
    db.records[g].resize(bytes);
    if (!reader.Bytes(db.records[g].data(), bytes)) return false;
  }
  for (uint16_t& entry : db.ShapeTypePartTable) {
    uint8_t v = 0;
    if (!reader.U8(&v) || v > kMaxPartValue) return false;
    entry = v;
  }
  for (uint32_t& entry : db.ShapeTypeFlagTable) {
    uint8_t v = 0;
    if (!reader.U8(&v)) return false;
    entry = v;
  }
  if (!ReadContextRows(&reader, &db.LeftContextList) || !ReadContextRows(&reader, &db.RightContextList)) return false;
  if (reader.Left() != 0) return false;
  *out = std::move(db);
  return true;
}

bool SerializeShapeDatabase(const ShapeDatabase& db, std::vector<uint8_t>* bytes) {
  std::vector<uint8_t> out;
  out.push_back(static_cast<uint8_t>(sizeof kSavedGrids / sizeof kSavedGrids[0]));
  for (int g : kSavedGrids) {
    const ZoneGridParameters& p = GridParameters(static_cast<ZoneGrid>(g));
    const size_t recordBytes = ZoneFeatureRecordBytes(p);
    if (db.records[g].size() % recordBytes != 0) return false;
    const size_t count = db.records[g].size() / recordBytes;
    if (count > 0xFFFF) return false;
    out.push_back(static_cast<uint8_t>(p.cols));
    out.push_back(static_cast<uint8_t>(p.rows));
    PutU16(&out, static_cast<uint32_t>(count));
    out.insert(out.end(), db.records[g].begin(), db.records[g].end());
  }
  for (uint16_t entry : db.ShapeTypePartTable) {
    if (entry > kMaxPartValue) return false;
    out.push_back(static_cast<uint8_t>(entry));
  }
  for (uint32_t entry : db.ShapeTypeFlagTable) {
    if (entry > 255) return false;
    out.push_back(static_cast<uint8_t>(entry));
  }
  if (!WriteContextRows(db.LeftContextList, &out) || !WriteContextRows(db.RightContextList, &out)) return false;
  *bytes = std::move(out);
  return true;
}

bool ParseNotationDatabase(const uint8_t* data, size_t size, NotationDatabase* out) {
  StoreReader reader(data, size);
  NotationDatabase db;
  uint32_t length1 = 0, length2 = 0;
  if (!reader.U32LE(&db.groupCount) || !reader.U32LE(&length1) || length1 > reader.Left()) return false;
  const uint8_t* block1 = data + reader.At();
  reader.Skip(length1);
  if (!reader.U32LE(&db.descriptionCount) || !reader.U32LE(&length2) || length2 > reader.Left()) return false;
  const uint8_t* block2 = data + reader.At();
  reader.Skip(length2);
  if (reader.Left() != kDarknessTableBytes) return false;
  for (int32_t& value : db.NotationDarknessTable) {
    uint32_t v = 0;
    reader.U32LE(&v);
    value = static_cast<int32_t>(v);
    if (value < -1 || value > 100) return false;
  }
  std::vector<bool> starts;
  if (!CheckDescriptions(block2, length2, db.descriptionCount, &starts) ||
      !CheckGroups(block1, length1, db.groupCount, starts))
    return false;
  db.groups.assign(block1, block1 + length1);
  db.descriptions.assign(block2, block2 + length2);
  *out = std::move(db);
  return true;
}

bool SerializeNotationDatabase(const NotationDatabase& db, std::vector<uint8_t>* bytes) {
  if (db.groups.size() > 0xFFFFFFFFu || db.descriptions.size() > 0xFFFFFFFFu) return false;
  std::vector<uint8_t> out;
  out.reserve(16 + db.groups.size() + db.descriptions.size() + kDarknessTableBytes);
  PutU32(&out, db.groupCount);
  PutU32(&out, static_cast<uint32_t>(db.groups.size()));
  out.insert(out.end(), db.groups.begin(), db.groups.end());
  PutU32(&out, db.descriptionCount);
  PutU32(&out, static_cast<uint32_t>(db.descriptions.size()));
  out.insert(out.end(), db.descriptions.begin(), db.descriptions.end());
  for (int32_t value : db.NotationDarknessTable) PutU32(&out, static_cast<uint32_t>(value));
  // Never write what the loader would refuse.
  NotationDatabase check;
  if (!ParseNotationDatabase(out.data(), out.size(), &check)) return false;
  *bytes = std::move(out);
  return true;
}

DatabaseLoad LoadShapeDatabaseFile(const char16_t* path, ShapeDatabase* db) {
  StoreBytes bytes;
  const DatabaseLoad read = ReadWholeFile(path, &bytes);
  if (read != DatabaseLoad::kLoaded) return read;
  if (!ParseShapeDatabase(bytes.data(), bytes.size(), db)) {
    ReportDamaged(path);
    return DatabaseLoad::kDamaged;
  }
  return DatabaseLoad::kLoaded;
}

DatabaseLoad LoadNotationDatabaseFile(const char16_t* path, NotationDatabase* db) {
  StoreBytes bytes;
  const DatabaseLoad read = ReadWholeFile(path, &bytes);
  if (read != DatabaseLoad::kLoaded) return read;
  if (!ParseNotationDatabase(bytes.data(), bytes.size(), db)) {
    ReportDamaged(path);
    return DatabaseLoad::kDamaged;
  }
  return DatabaseLoad::kLoaded;
}

bool SaveShapeDatabaseFile(const ShapeDatabase& db, const char16_t* path) {
  std::vector<uint8_t> bytes;
  if (!SerializeShapeDatabase(db, &bytes)) {
    MessageById(nullptr, kTextDatabaseNotSaved, path);
    return false;
  }
  return WriteWholeFile(bytes, path);
}

bool SaveNotationDatabaseFile(const NotationDatabase& db, const char16_t* path) {
  std::vector<uint8_t> bytes;
  if (!SerializeNotationDatabase(db, &bytes)) {
    MessageById(nullptr, kTextDatabaseNotSaved, path);
    return false;
  }
  return WriteWholeFile(bytes, path);
}

const std::u16string& DeveloperDataFolder() { return DeveloperFolderValue(); }
void SetDeveloperDataFolder(const std::u16string& folder) { DeveloperFolderValue() = folder; }

DatabaseLoad LoadShapeDatabase(ShapeDatabase* db) {
  char16_t path[1024];
  if (!ResourcesPath(kShapeDatabaseName, path)) return DatabaseLoad::kMissing;
  return LoadShapeDatabaseFile(path, db);
}

DatabaseLoad LoadNotationDatabase(NotationDatabase* db) {
  char16_t path[1024];
  if (!ResourcesPath(kNotationDatabaseName, path)) return DatabaseLoad::kMissing;
  return LoadNotationDatabaseFile(path, db);
}

bool SaveShapeDatabase(const ShapeDatabase& db) { return SaveTwice(db, kShapeDatabaseName, &SaveShapeDatabaseFile); }
bool SaveNotationDatabase(const NotationDatabase& db) {
  return SaveTwice(db, kNotationDatabaseName, &SaveNotationDatabaseFile);
}
