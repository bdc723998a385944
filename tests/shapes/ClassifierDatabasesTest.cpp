#include "shapes/ClassifierDatabases.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/FileLayer.h"
#include "platform/Folders.h"
#include "shapes/NotationGroups.h"
#include "shapes/RunDescription.h"
#include "shapes/ZoneFeatureRecordHeader.h"
#include "tests/shapes/ShapeBitmaps.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TempText.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestText.h"

namespace {

void PutU32(std::vector<uint8_t>* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void SetU32(std::vector<uint8_t>* out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*out)[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Damaged copies of a good file, each named: one a change made to the good
// bytes, and every cut short of the end.
struct DamagedCopies {
  struct Copy {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  explicit DamagedCopies(const std::vector<uint8_t>& good) : good(good) {}
  template <class Change>
  void With(const char* name, Change change) {
    std::vector<uint8_t> b = good;
    change(&b);
    copies.push_back({name, b});
  }
  void EveryCut() {
    for (size_t cut = 0; cut < good.size(); ++cut)
      copies.push_back({"truncated", std::vector<uint8_t>(good.begin(), good.begin() + cut)});
  }
  const std::vector<uint8_t>& good;
  std::vector<Copy> copies;
};

// Sample groups of eight records made from small drawn symbols.
void AddGroups(ShapeDatabase* db, ZoneGrid grid, int groups, int firstType) {
  const ZoneGridParameters& p = GridParameters(grid);
  std::vector<uint8_t>& block = db->records[static_cast<int>(grid)];
  for (int g = 0; g < groups; ++g) {
    TestBitmap symbol(20 + g, 30 + 2 * g);
    symbol.Fill(g % 5, 0, 6 + g % 5, symbol.height);
    symbol.Fill(0, g % 7 + 4, symbol.width, g % 7 + 9);
    for (int r = 0; r < 8; ++r) {
      std::vector<uint8_t> record(ZoneFeatureRecordBytes(p), 0);
      ASSERT_TRUE(ComputeZoneFeatures(symbol.bits.data(), 0, r, symbol.width, symbol.height - r, symbol.stride, p,
                                      record.data() + kZoneHeaderBytes - 2));
      SetZoneHeaderType(record.data(), firstType + g);
      record[1] = static_cast<uint8_t>(0x40 * (g % 4) + 3);
      SetZoneHeaderMatchTuning(record.data(), g % 3, g % 2 == 1, g % 4);
      SetZoneHeaderContextRow(record.data(), g + 1);
      block.insert(block.end(), record.begin(), record.end());
    }
  }
}

ShapeDatabase SampleShapeDatabase() {
  ShapeDatabase db;
  AddGroups(&db, ZoneGrid::k8x8, 3, 16);
  AddGroups(&db, ZoneGrid::k8x16, 4, 2);
  for (int t = 0; t < kTypeCodes; ++t) {
    db.ShapeTypePartTable[t] = static_cast<uint16_t>(t % 4);
    db.ShapeTypeFlagTable[t] = static_cast<uint32_t>(t % 2);
  }
  // Full rows: all 32 entries used, none ending the row early.
  for (int r = 0; r < 3; ++r) {
    ContextRow row;
    for (int e = 0; e < kContextRowEntries; ++e)
      row[e] = {static_cast<uint16_t>(1 + (r * 32 + e) % 255), static_cast<uint16_t>(e * 7 % 256),
                static_cast<uint16_t>(255 - e)};
    db.LeftContextList.push_back(row);
    if (r < 2) db.RightContextList.push_back(row);
  }
  return db;
}

void ExpectSameShapeDatabase(const ShapeDatabase& a, const ShapeDatabase& b) {
  for (ZoneGrid grid : {ZoneGrid::k8x8, ZoneGrid::k8x16}) EXPECT_EQ(a.records[static_cast<int>(grid)], b.records[static_cast<int>(grid)]);
  EXPECT_EQ(a.ShapeTypePartTable, b.ShapeTypePartTable);
  EXPECT_EQ(a.ShapeTypeFlagTable, b.ShapeTypeFlagTable);
  EXPECT_EQ(a.LeftContextList, b.LeftContextList);
  EXPECT_EQ(a.RightContextList, b.RightContextList);
}

// A notation database of two groups over three run descriptions.
NotationDatabase SampleNotationDatabase() {
  NotationDatabase db;
  std::vector<uint32_t> offsets;
  for (int i = 0; i < 3; ++i) {
    std::vector<uint8_t> grid(64);
    for (int k = 0; k < 64; ++k) grid[k] = static_cast<uint8_t>((k * (i + 3)) % 16);
    std::vector<uint8_t> d(ShapeRunDescriptionMaxBytes(8, 8));
    BuildShapeRunDescription(grid.data(), 8, 8, i == 1 ? 40 : -1, d.data());
    offsets.push_back(static_cast<uint32_t>(db.descriptions.size()));
    db.descriptions.insert(db.descriptions.end(), d.begin(), d.begin() + (d[0] | d[1] << 8));
  }
  db.descriptionCount = 3;
  auto group = [&](uint8_t typf, uint8_t type, bool refined, std::vector<uint32_t> members) {
    std::vector<uint8_t> g = {0, 0, typf, type, kChunkHeader, static_cast<uint8_t>(kChunkHeaderLength), type, 0x10, 0, 0, 0, 0, 0x20, 3, 0, 0};
    if (refined) {
      uint8_t part[kChunkPartLength];
      WritePartChunk({1, 8, 40, 2, 5, 7}, part);
      g.insert(g.end(), part, part + sizeof part);
      g.insert(g.end(), {kChunkThresholds, static_cast<uint8_t>(kChunkThresholdsLength), 30, 0, 60, 0, 0, 0});
      g.insert(g.end(), {kChunkConfusions, 8, 2, 5, 1, 9, 2, 0});
    }
    g.insert(g.end(), {kChunkEnd, static_cast<uint8_t>(kChunkEndLength), 0, 0});
    PutU32(&g, static_cast<uint32_t>(members.size()));
    for (uint32_t m : members) PutU32(&g, offsets[m]);
    g[0] = static_cast<uint8_t>(g.size());
    g[1] = static_cast<uint8_t>(g.size() >> 8);
    db.groups.insert(db.groups.end(), g.begin(), g.end());
    ++db.groupCount;
  };
  group(4, 1, false, {0, 1});
  group(4, 200, true, {2});
  db.NotationDarknessTable[1] = 40;
  db.NotationDarknessTable[200] = 0;
  return db;
}

void ExpectSameNotationDatabase(const NotationDatabase& a, const NotationDatabase& b) {
  EXPECT_EQ(a.groups, b.groups);
  EXPECT_EQ(a.groupCount, b.groupCount);
  EXPECT_EQ(a.descriptions, b.descriptions);
  EXPECT_EQ(a.descriptionCount, b.descriptionCount);
  EXPECT_EQ(a.NotationDarknessTable, b.NotationDarknessTable);
}

class ClassifierDatabasesTest : public testing::Test {
 protected:
  void SetUp() override {
    savedResources_ = ResourceFolder();
    savedDeveloper_ = DeveloperDataFolder();
    ASSERT_EQ(FileMakeDir(scratch_.File(u"Resources").c_str()), nullptr);
    ASSERT_EQ(FileMakeDir(scratch_.File(u"training").c_str()), nullptr);
    SetResourceFolder(scratch_.Path().c_str());
    SetDeveloperDataFolder(scratch_.File(u"training"));
  }
  void TearDown() override {
    SetResourceFolder(savedResources_.c_str());
    SetDeveloperDataFolder(savedDeveloper_);
  }
  // The platform's separator, as the scratch folder writes it.
  char16_t Separator() const { return scratch_.File(u"x")[scratch_.Path().size()]; }
  std::u16string Resource(const char16_t* name) const { return scratch_.File(u"Resources") + Separator() + name; }
  std::u16string Training(const char16_t* name) const { return scratch_.File(u"training") + Separator() + name; }

  ScratchFolder scratch_;
  std::u16string savedResources_, savedDeveloper_;
};

TEST_F(ClassifierDatabasesTest, ShapeDatabaseSavesAndLoadsBack) {
  const ShapeDatabase db = SampleShapeDatabase();
  ASSERT_TRUE(SaveShapeDatabase(db));
  const std::vector<uint8_t> saved = ReadBytes(Resource(kShapeDatabaseName));
  EXPECT_EQ(saved, ReadBytes(Training(kShapeDatabaseName)));
  // Two sections, 8 x 8 first: 3 groups of 40-byte records, 4 of 72-byte ones.
  const size_t expected = 1 + (4 + 24 * 40) + (4 + 32 * 72) + 512 + (1 + 3 * 96) + (1 + 2 * 96);
  ASSERT_EQ(saved.size(), expected);
  EXPECT_EQ(std::vector<uint8_t>(saved.begin(), saved.begin() + 5), (std::vector<uint8_t>{2, 8, 8, 24, 0}));
  ShapeDatabase loaded;
  ASSERT_EQ(LoadShapeDatabase(&loaded), DatabaseLoad::kLoaded);
  ExpectSameShapeDatabase(db, loaded);
  EXPECT_EQ(loaded.RecordCount(ZoneGrid::k8x16), 32u);
  EXPECT_EQ(loaded.RecordCount(ZoneGrid::k16x16), 0u);
  EXPECT_EQ(ZoneHeaderContextRow(loaded.Record(ZoneGrid::k8x16, 8)), 2);
}

TEST_F(ClassifierDatabasesTest, EmptyDatabasesKeepTheirSections) {
  ShapeDatabase shapes;
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(SerializeShapeDatabase(shapes, &bytes));
  EXPECT_EQ(bytes.size(), 1u + 4 + 4 + 512 + 1 + 1);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 9), (std::vector<uint8_t>{2, 8, 8, 0, 0, 8, 16, 0, 0}));
  NotationDatabase notation;
  ASSERT_TRUE(SerializeNotationDatabase(notation, &bytes));
  EXPECT_EQ(bytes.size(), 16u + 1024);
  NotationDatabase loaded;
  ASSERT_TRUE(ParseNotationDatabase(bytes.data(), bytes.size(), &loaded));
  for (int32_t value : loaded.NotationDarknessTable) EXPECT_EQ(value, -1);
}

TEST_F(ClassifierDatabasesTest, LoaderTakesAnyGridInAnyOrder) {
  // Sections 16 x 32 (one record), then 8 x 8 (none), then 8 x 16 (none).
  std::vector<uint8_t> bytes = {3, 16, 32, 1, 0};
  for (int i = 0; i < 264; ++i) bytes.push_back(static_cast<uint8_t>(i));
  bytes.insert(bytes.end(), {8, 8, 0, 0, 8, 16, 0, 0});
  bytes.resize(bytes.size() + 512 + 2, 0);
  ShapeDatabase db;
  ASSERT_TRUE(ParseShapeDatabase(bytes.data(), bytes.size(), &db));
  EXPECT_EQ(db.RecordCount(ZoneGrid::k16x32), 1u);
  EXPECT_EQ(db.Record(ZoneGrid::k16x32, 0)[263], 7);
}

TEST_F(ClassifierDatabasesTest, DamagedShapeFilesAreRefused) {
  std::vector<uint8_t> good;
  ASSERT_TRUE(SerializeShapeDatabase(SampleShapeDatabase(), &good));
  const size_t tables = 1 + (4 + 24 * 40) + (4 + 32 * 72);
  DamagedCopies cases(good);
  cases.With("200 left context rows", [&](std::vector<uint8_t>* b) { (*b)[tables + 512] = 200; });
  cases.With("129 right context rows", [&](std::vector<uint8_t>* b) { (*b)[tables + 512 + 1 + 3 * 96] = 129; });
  cases.With("an unknown grid", [&](std::vector<uint8_t>* b) { (*b)[1] = 9; });
  cases.With("a duplicate section", [&](std::vector<uint8_t>* b) { (*b)[1 + 4 + 24 * 40 + 1] = 8; });
  cases.With("a record count past the end", [&](std::vector<uint8_t>* b) { (*b)[4] = 0xFF; });
  cases.With("a part value of 4", [&](std::vector<uint8_t>* b) { (*b)[tables + 17] = 4; });
  cases.With("more sections than there are", [&](std::vector<uint8_t>* b) { (*b)[0] = 3; });
  cases.With("a byte after the end", [&](std::vector<uint8_t>* b) { b->push_back(0); });
  cases.EveryCut();
  const ShapeDatabase before = SampleShapeDatabase();
  for (const DamagedCopies::Copy& c : cases.copies) {
    ShapeDatabase db = before;
    EXPECT_FALSE(ParseShapeDatabase(c.bytes.data(), c.bytes.size(), &db)) << c.name << " " << c.bytes.size();
    ExpectSameShapeDatabase(before, db);
  }
}

TEST_F(ClassifierDatabasesTest, NotationDatabaseSavesAndLoadsBack) {
  const NotationDatabase db = SampleNotationDatabase();
  ASSERT_TRUE(SaveNotationDatabase(db));
  EXPECT_EQ(ReadBytes(Resource(kNotationDatabaseName)), ReadBytes(Training(kNotationDatabaseName)));
  NotationDatabase loaded;
  ASSERT_EQ(LoadNotationDatabase(&loaded), DatabaseLoad::kLoaded);
  ExpectSameNotationDatabase(db, loaded);
  // The part record of the second group reads back as written.
  const size_t second = loaded.groups[0] | loaded.groups[1] << 8;
  RunPartRecord part{};
  ASSERT_TRUE(ReadPartChunk(loaded.groups.data() + second + 16, kChunkPartLength, &part));
  EXPECT_EQ(part.direction, 1);
  EXPECT_EQ(part.lowPosition, 8);
  EXPECT_EQ(part.highPosition, 40);
  EXPECT_EQ(part.firstLine, 2);
  EXPECT_EQ(part.lastLine, 5);
  EXPECT_EQ(part.id, 7);
}

TEST_F(ClassifierDatabasesTest, DamagedNotationFilesAreRefused) {
  const NotationDatabase sample = SampleNotationDatabase();
  std::vector<uint8_t> good;
  ASSERT_TRUE(SerializeNotationDatabase(sample, &good));
  const size_t l1 = sample.groups.size();
  const size_t block1 = 8, block2 = 16 + l1;
  const size_t second = block1 + (sample.groups[0] | sample.groups[1] << 8);
  const size_t firstOffset = block1 + 20 + 4;  // the first group's first description offset
  DamagedCopies cases(good);
  cases.With("chunk length 0", [&](std::vector<uint8_t>* b) { (*b)[block1 + 5] = 0; });
  cases.With("end chunk length 0", [&](std::vector<uint8_t>* b) { (*b)[block1 + 17] = 0; });
  cases.With("an unknown chunk", [&](std::vector<uint8_t>* b) { (*b)[second + 16] = 7; });
  cases.With("a part record of direction 2", [&](std::vector<uint8_t>* b) { (*b)[second + 18] = 2; });
  cases.With("125 confusion pairs", [&](std::vector<uint8_t>* b) { (*b)[second + 34] = 125; });
  cases.With("no header chunk", [&](std::vector<uint8_t>* b) {
    (*b)[block1 + 4] = kChunkFlag;
    (*b)[block1 + 5] = static_cast<uint8_t>(kChunkFlagLength);
    (*b)[block1 + 8] = kChunkThresholds;
    (*b)[block1 + 9] = static_cast<uint8_t>(kChunkThresholdsLength);
  });
  cases.With("an offset past block 2", [&](std::vector<uint8_t>* b) {
    SetU32(b, firstOffset, static_cast<uint32_t>(sample.descriptions.size()));
  });
  cases.With("an offset inside a description", [&](std::vector<uint8_t>* b) { SetU32(b, firstOffset, 4); });
  cases.With("a group count too high", [&](std::vector<uint8_t>* b) { SetU32(b, 0, 3); });
  cases.With("a description count too low", [&](std::vector<uint8_t>* b) { SetU32(b, block2 - 8, 2); });
  cases.With("L1 past the end", [&](std::vector<uint8_t>* b) { SetU32(b, 4, static_cast<uint32_t>(b->size())); });
  cases.With("L2 past the end", [&](std::vector<uint8_t>* b) { SetU32(b, block2 - 4, 0xFFFFFFF0u); });
  cases.With("a run line shorter than 4", [&](std::vector<uint8_t>* b) { (*b)[block2 + 8] = 2; });
  cases.With("a run line of part of a run", [&](std::vector<uint8_t>* b) { (*b)[block2 + 8] = 6; });
  cases.With("a grid of 0 columns", [&](std::vector<uint8_t>* b) { (*b)[block2 + 4] = 0; });
  cases.With("a darkness of 101", [&](std::vector<uint8_t>* b) { SetU32(b, b->size() - 4, 101); });
  cases.With("a byte after the end", [&](std::vector<uint8_t>* b) { b->push_back(0); });
  cases.EveryCut();
  for (const DamagedCopies::Copy& c : cases.copies) {
    NotationDatabase db = sample;
    EXPECT_FALSE(ParseNotationDatabase(c.bytes.data(), c.bytes.size(), &db)) << c.name << " " << c.bytes.size();
    ExpectSameNotationDatabase(sample, db);
  }
}

TEST_F(ClassifierDatabasesTest, DamagedOrMissingFilesAreReportedByPath) {
  std::vector<uint8_t> good;
  ASSERT_TRUE(SerializeShapeDatabase(SampleShapeDatabase(), &good));
  good.resize(good.size() - 1);
  WriteTestFile(Resource(kShapeDatabaseName), good);
  BoxRecorder boxes;
  ShapeDatabase db;
  EXPECT_EQ(LoadShapeDatabase(&db), DatabaseLoad::kDamaged);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  char16_t path[1024];
  ASSERT_TRUE(MakeResourcesSubPath(path, kShapeDatabaseName));
  EXPECT_NE(boxes.Boxes()[0].text.find(path), std::u16string::npos) << U8(boxes.Boxes()[0].text);
  EXPECT_NE(boxes.Boxes()[0].text.find(u"damaged"), std::u16string::npos);
  boxes.Clear();
  NotationDatabase notation;
  EXPECT_EQ(LoadNotationDatabase(&notation), DatabaseLoad::kMissing);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_NE(boxes.Boxes()[0].text.find(UiText(10229)), std::u16string::npos);
}

TEST_F(ClassifierDatabasesTest, DatabasesThatDoNotFitAreNotSaved) {
  struct Case {
    const char* name;
    void (*change)(ShapeDatabase*);
  };
  const Case cases[] = {
      {"65536 records", [](ShapeDatabase* db) { db->records[0].resize(65536u * 40); }},
      {"a part value of 4", [](ShapeDatabase* db) { db->ShapeTypePartTable[9] = 4; }},
      {"a flag value of 256", [](ShapeDatabase* db) { db->ShapeTypeFlagTable[9] = 256; }},
      {"129 context rows", [](ShapeDatabase* db) { db->RightContextList.resize(129); }},
      {"a bonus of 256", [](ShapeDatabase* db) { db->LeftContextList[0][3].bonus = 256; }},
      {"part of a record", [](ShapeDatabase* db) { db->records[1].push_back(0); }},
  };
  const ShapeDatabase good = SampleShapeDatabase();
  ASSERT_TRUE(SaveShapeDatabase(good));
  const std::vector<uint8_t> before = ReadBytes(Resource(kShapeDatabaseName));
  for (const Case& c : cases) {
    ShapeDatabase db = good;
    c.change(&db);
    BoxRecorder boxes;
    EXPECT_FALSE(SaveShapeDatabase(db)) << c.name;
    ASSERT_EQ(boxes.Boxes().size(), 1u) << c.name;
    EXPECT_NE(boxes.Boxes()[0].text.find(u"could not be saved"), std::u16string::npos) << c.name;
    EXPECT_EQ(ReadBytes(Resource(kShapeDatabaseName)), before) << c.name;
  }
  // 65535 records still fit.
  ShapeDatabase large;
  large.records[0].resize(65535u * 40);
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(SerializeShapeDatabase(large, &bytes));
  // A notation database whose groups point nowhere is not saved either.
  NotationDatabase notation = SampleNotationDatabase();
  notation.descriptions.resize(notation.descriptions.size() - 1);
  BoxRecorder boxes;
  EXPECT_FALSE(SaveNotationDatabase(notation));
  EXPECT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_FALSE(FileExists(Resource(kNotationDatabaseName).c_str()));
}

TEST_F(ClassifierDatabasesTest, FailedWriteFailsTheSaveAndKeepsTheFile) {
  const ShapeDatabase db = SampleShapeDatabase();
  ASSERT_TRUE(SaveShapeDatabase(db));
  const std::vector<uint8_t> before = ReadBytes(Resource(kShapeDatabaseName));
  // The second copy cannot be made: the save fails after the first.
  SetDeveloperDataFolder(scratch_.File(u"missing"));
  BoxRecorder boxes;
  EXPECT_FALSE(SaveShapeDatabase(db));
  EXPECT_EQ(boxes.Boxes().size(), 1u);
  // A target that is a folder cannot be replaced: nothing is lost beside it.
  ASSERT_EQ(FileMakeDir(scratch_.File(u"folder").c_str()), nullptr);
  boxes.Clear();
  EXPECT_FALSE(SaveShapeDatabaseFile(db, scratch_.File(u"folder").c_str()));
  EXPECT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(ReadBytes(Resource(kShapeDatabaseName)), before);
}

TEST(PartRecordTest, OneLayoutForWriterAndReader) {
  struct Case {
    const char* name;
    std::vector<uint8_t> chunk;
    bool valid;
  };
  const Case cases[] = {
      {"rows", {kChunkPart, 8, 0, 0, 64, 0, 7, 1}, true},
      {"columns", {kChunkPart, 8, 1, 16, 16, 3, 3, 255}, true},
      {"direction 2", {kChunkPart, 8, 2, 0, 64, 0, 7, 1}, false},
      {"positions reversed", {kChunkPart, 8, 0, 9, 8, 0, 7, 1}, false},
      {"lines reversed", {kChunkPart, 8, 0, 0, 64, 5, 4, 1}, false},
      {"wrong length", {kChunkPart, 7, 0, 0, 64, 0, 7, 1}, false},
      {"cut short", {kChunkPart, 8, 0, 0, 64, 0, 7}, false},
  };
  for (const Case& c : cases) {
    RunPartRecord part{};
    ASSERT_EQ(ReadPartChunk(c.chunk.data(), c.chunk.size(), &part), c.valid) << c.name;
    if (!c.valid) continue;
    uint8_t written[kChunkPartLength];
    WritePartChunk(part, written);
    EXPECT_TRUE(std::equal(written, written + kChunkPartLength, c.chunk.begin())) << c.name;
  }
}

}  // namespace
