// The score file written at each version, byte for byte as the down-conversion
// table says, and read back.
#include "tests/score/ScoreFileFixture.h"

namespace scorefile_test {
namespace {

void ExpectReadBack(Column column, uint8_t versionAfterRead) {
  EXPECT_EQ(ScoreFormatVersion, versionAfterRead);
  EXPECT_EQ(PartCount, 3);
  EXPECT_EQ(ScoreStreamBytes(0), Stream(Slot0Items(), column));
  EXPECT_EQ(ScoreStreamBytes(1), Stream(Slot1Items(), column));
  EXPECT_EQ(ScoreStreamBytes(2), Stream(Slot2Items(), column));
  for (int slot = 3; slot < kPartSlots; ++slot) EXPECT_EQ(ScoreStreamBytes(slot), FixtureMarks()) << slot;
  EXPECT_EQ(std::u16string(PartNameTable[0]), u"Score");
  EXPECT_EQ(std::u16string(PartNameTable[1]), u"Guitar");
  EXPECT_EQ(PartFields[0][0], 1);
  EXPECT_EQ(PartFields[0][2], 3);
  EXPECT_EQ(PartFlag[0], 1);
  EXPECT_EQ(PartFields[1][0], 31);
  EXPECT_EQ(PartFields[1][2], 17);
  EXPECT_EQ(PartTablatureFlags[1].flag, 1);
  EXPECT_EQ(PartTablatureFlags[1].kind, 6u);
  EXPECT_EQ(PartTablatureFlags[0].kind, 5u);
  EXPECT_EQ(PartTablatureFlags[2].kind, column == kV5 || column == kV4 ? 1u : 5u);
  EXPECT_EQ(std::u16string(PartNameTable[2]), u"Drums");
  EXPECT_EQ(PartSmallStave[1], 1);
  EXPECT_EQ(PartTablatureFlags[0].flag, 0);
  EXPECT_EQ(ScorePageSize.width, 2480u);
  EXPECT_EQ(ScorePageSize.height, 3508u);
  EXPECT_EQ(ScorePageSize.staveSpacing, 42);
  EXPECT_EQ(ScorePageSize.staveWidth, 1900);
  EXPECT_EQ(ScorePages.count, 2);
  EXPECT_EQ(ScorePages.current, 1);
  EXPECT_EQ(ScorePages.rows[0].dataId, kId1);
  EXPECT_EQ(ScorePages.rows[0].field, 7);
  EXPECT_EQ(ScorePages.rows[0].key, kKey1);
  EXPECT_EQ(ScorePages.rows[1].dataId, kId2);
  EXPECT_EQ(ScorePages.rows[1].key, kKey2);
  EXPECT_EQ(ScorePages.second[0], 0xA1u);
  EXPECT_EQ(ScorePages.second[1], 0xA2u);
}

TEST_F(ScoreFileTest, WritesEachVersionAsTheTableSaysAndReadsItBack) {
  struct Case {
    int chosenVersion;
    uint8_t written;
    Column readColumn;
  } cases[] = {{0, 5, kV5}, {5, 5, kV5}, {4, 4, kV4}, {3, 3, kV3Read}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosenVersion);
    LoadFixtureScore();
    log_.saved = 0;
    ASSERT_EQ(WriteScoreFile(ScorePath().c_str(), 0, kTargetScore, 0, 0, c.chosenVersion), 1);
    EXPECT_TRUE(SameBytes(ReadBytes(ScorePath()), ExpectedFixtureFile(c.written).Serialize()));
    EXPECT_EQ(log_.saved, 1);
    EXPECT_EQ(ScoreFormatVersion, 5) << "writing never changes the score";

    ResetScoreContent();
    ASSERT_EQ(ReadScoreFile(ScorePath().c_str(), 0, 0), 1);
    ExpectReadBack(c.readColumn, 5);
  }
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(ScoreFileTest, SaveUpdatesTheScoreAndItsPagesOnlyAfterWriting) {
  log_.saved = 0;
  ASSERT_EQ(WriteScoreFile(ScorePath().c_str(), 0, kTargetScore, 0, 0, 0), 1);
  EXPECT_EQ(log_.recentFiles, std::vector<std::u16string>{ScorePath()});
  EXPECT_EQ(std::u16string(CurrentScore.path), ScorePath());
  EXPECT_EQ(std::u16string(CurrentScore.title), u"score");
  EXPECT_EQ(log_.titles, std::vector<std::u16string>{u"score"});
  // The pages name the score by its file, which the pages pane opens again.
  EXPECT_EQ(log_.pageNames, std::vector<std::u16string>{ScorePath()});
  EXPECT_EQ(log_.markedKeys, (std::vector<uint32_t>{kKey1, kKey2}));
  EXPECT_EQ(log_.pageIndexWrites, 1);
  // No file is left beside the score.
  EXPECT_FALSE(Exists(ScorePath() + u".kvsave"));
}

TEST_F(ScoreFileTest, OutsideProgramsGetTheirVersionAndOnlyThePagesAreMarked) {
  ForgetOutsidePrograms();  // neither program installed: the current version
  for (int target : {kTargetCadenzor, kTargetR8}) {
    SCOPED_TRACE(target);
    log_ = HookLog{};
    log_.saved = 0;
    ASSERT_EQ(WriteScoreFile(ScorePath().c_str(), 0, target, 0, 0, 1), 1);
    EXPECT_TRUE(SameBytes(ReadBytes(ScorePath()), ExpectedFixtureFile(5).Serialize()));
    EXPECT_EQ(log_.saved, 1);
    EXPECT_EQ(log_.markedKeys, (std::vector<uint32_t>{kKey1, kKey2}));
    EXPECT_TRUE(log_.recentFiles.empty());
    EXPECT_TRUE(log_.titles.empty());
  }
  EXPECT_EQ(CurrentScore.path[0], 0);
}

TEST_F(ScoreFileTest, UndoSnapshotRestoresStreamsAndPartsOnly) {
  const std::u16string snapshot = scratch_.File(u"Undo0000");
  ASSERT_EQ(WriteScoreFile(snapshot.c_str(), 1, kTargetScore, 1, 1, 0), 1);
  TestScoreFile expected = ExpectedFixtureFile(5);
  expected.backup = true;
  expected.withPageData = false;
  Bytes written = ReadBytes(snapshot);
  Bytes wanted = expected.Serialize();
  ASSERT_EQ(written.size(), wanted.size());
  const size_t stampAt = 7 + 26 + 1;
  std::copy(written.begin() + stampAt, written.begin() + stampAt + 13, wanted.begin() + stampAt);
  EXPECT_TRUE(SameBytes(written, wanted));
  EXPECT_TRUE(log_.savedCalls.empty()) << "an internal write does no bookkeeping";

  // The score changes, then the snapshot is restored.
  SetScoreStream(1, {0x09, 0x00, 0x90});
  SetPartName(1, u"Flute");
  log_.saved = 0;
  ASSERT_EQ(ReadScoreFile(snapshot.c_str(), 1, 1), 1);
  ExpectReadBack(kV5, 5);
  EXPECT_EQ(log_.saved, 0) << "a snapshot leaves the saved state";
  EXPECT_TRUE(log_.savedCalls.empty());
  EXPECT_TRUE(log_.recentFiles.empty());
  EXPECT_TRUE(log_.titles.empty());
  EXPECT_EQ(log_.editorResets, 1);
  EXPECT_TRUE(boxes_.Boxes().empty()) << "no question before restoring a snapshot";
}

TEST_F(ScoreFileTest, AutomaticBackupCarriesThePagesData) {
  const std::u16string backup = PagePath(kBackupFileName);
  ASSERT_EQ(WriteScoreFile(backup.c_str(), 1, kTargetScore, 1, 0, 0), 1);
  platform::RemoveFile(PagePath(u"TDir0000/Data0005").c_str());

  ASSERT_EQ(ReadScoreFile(backup.c_str(), 0, 1), 1);
  ExpectReadBack(kV5, 5);
  EXPECT_EQ(ReadBytes(PagePath(u"TDir0000/Data0005")), PageOneData());
  // The page whose data file was missing gets the placeholder back.
  EXPECT_EQ(ReadBytes(PagePath(u"TDir0001/Data0028")), Placeholder());
  EXPECT_TRUE(log_.recentFiles.empty()) << "a backup is no recent file";
  EXPECT_EQ(log_.pageNames, std::vector<std::u16string>{UiString(11533)});
  EXPECT_EQ(log_.saved, 1);
}

TEST_F(ScoreFileTest, OpeningTakesTitleAndPathAndTidiesThePages) {
  ASSERT_EQ(WriteScoreFile(scratch_.File(u"Sonata 12.opt").c_str(), 0, kTargetScore, 0, 0, 0), 1);
  log_ = HookLog{};
  log_.pageRecords[kKey1] = {kId1, 7};
  ASSERT_EQ(ReadScoreFile(scratch_.File(u"Sonata 12.opt").c_str(), 0, 0), 1);
  EXPECT_EQ(std::u16string(CurrentScore.title), u"Sonata");
  EXPECT_EQ(std::u16string(CurrentScore.path), scratch_.File(u"Sonata 12.opt"));
  EXPECT_EQ(log_.recentFiles, std::vector<std::u16string>{scratch_.File(u"Sonata 12.opt")});
  EXPECT_EQ(log_.titles, std::vector<std::u16string>{u"Sonata"});
  EXPECT_EQ(log_.tidyCalls, 1);
  EXPECT_EQ(log_.pageIndexWrites, 1);
  EXPECT_EQ(log_.shownReads, 1);
  // A page without a local record keeps the file's row.
  EXPECT_EQ(ScorePages.rows[1].dataId, kId2);
  EXPECT_EQ(ScorePages.rows[1].key, kKey2);
}

TEST_F(ScoreFileTest, APageWithALocalRecordTakesTheRecordsIdAndTheOtherKeepsItsOwn) {
  ASSERT_EQ(WriteScoreFile(ScorePath().c_str(), 0, kTargetScore, 0, 0, 0), 1);
  platform::RemoveFile(PagePath(u"TDir0000/Data0005").c_str());
  // On this machine the first page's key belongs to the page with id 77; the
  // second page is not known.
  log_.pageRecords.clear();
  log_.pageRecords[kKey1] = {77, 3};
  ASSERT_EQ(ReadScoreFile(ScorePath().c_str(), 0, 0), 1);
  EXPECT_EQ(ReadBytes(PagePath(u"TDir0002/Data004d")), PageOneData());
  EXPECT_FALSE(Exists(PagePath(u"TDir0000/Data0005")));
  EXPECT_EQ(ReadBytes(PagePath(u"TDir0001/Data0028")), Placeholder());
  EXPECT_EQ(ScorePages.rows[0].dataId, 77);
  EXPECT_EQ(ScorePages.rows[0].field, 3);
  EXPECT_EQ(ScorePages.rows[1].dataId, kId2);
  EXPECT_EQ(ScorePages.rows[1].field, 9);
  EXPECT_EQ(ScorePages.rows[1].key, kKey2);
}

TEST_F(ScoreFileTest, VersionTwoFileKeepsItsEightBitTextsAndIsSavedAsVersionTwo) {
  TestScoreFile file;
  file.version = 2;
  const Bytes text = {0x07, 7, 1, 2, 'd', 'o', 'l', 'c', 'e'};  // 8-bit text from byte 4
  file.parts.push_back({0, u"Violin", u"Vln.", Join({{0x09, 0x00}, text, {0x55, 0x40}, {0x90}}), -1});
  file.parts.push_back({1 << 23, u"Guitare", u"", {0x80, 0x90}, -1});
  file.marks = {0x80, 0x90};
  file.keys = {kKey1};
  file.second = {7};
  file.rows.push_back({8, kId1, 7, kKey1, {1, 2, 3}, {}, -1});
  ASSERT_TRUE(WriteBytes(ScorePath(), file.Serialize()));

  ASSERT_EQ(ReadScoreFile(ScorePath().c_str(), 0, 0), 1);
  EXPECT_EQ(ScoreFormatVersion, 2);
  EXPECT_EQ(ScoreStreamBytes(0), file.parts[0].stream);
  EXPECT_EQ(std::u16string(PartNameTable[1]), u"Guitare");
  EXPECT_FALSE(Global().printGuitarTabRhythm) << "a tablature part switches the tab rhythm off";

  // Saved again, whatever version is chosen, it stays version 2.
  const std::u16string again = scratch_.File(u"again.opt");
  ASSERT_EQ(WriteScoreFile(again.c_str(), 0, kTargetScore, 0, 0, 4), 1);
  TestScoreFile expected = file;
  expected.parts[0].listName = LookupPartInstrumentName(0);
  expected.parts[1].listName = LookupPartInstrumentName(1);
  expected.parts[1].descriptor = 1 << 17;  // tablature kind 0: the flag stays, and the rhythm is off
  expected.parts[1].descriptor |= 1 << 23;
  expected.rows[0].data = {1, 2, 3};
  EXPECT_TRUE(SameBytes(ReadBytes(again), expected.Serialize()));
}

TEST_F(ScoreFileTest, OldFilesHaveVoicesTwoAndThreeReadAsVoiceZero) {
  TestScoreFile file = ExpectedFixtureFile(3);
  ASSERT_TRUE(WriteBytes(ScorePath(), file.Serialize()));
  // As a score file: voices 2 and 3 become 0.
  ASSERT_EQ(ReadScoreFile(ScorePath().c_str(), 0, 0), 1);
  EXPECT_EQ(ScoreStreamBytes(1), Stream(Slot1Items(), kV3Read));
  // As an undo snapshot they stay.
  file.backup = true;
  file.withPageData = false;
  ASSERT_TRUE(WriteBytes(ScorePath(), file.Serialize()));
  ASSERT_EQ(ReadScoreFile(ScorePath().c_str(), 1, 1), 1);
  EXPECT_EQ(ScoreStreamBytes(1), Stream(Slot1Items(), kV3));
  EXPECT_EQ(ScoreFormatVersion, 3) << "a snapshot keeps its version";
}

TEST_F(ScoreFileTest, OnePartScoreCarriesTheSkeletonOfSlotOne) {
  PartCount = 1;
  ASSERT_EQ(WriteScoreFile(ScorePath().c_str(), 0, kTargetScore, 0, 0, 0), 1);
  TestScoreFile expected = ExpectedFixtureFile(5);
  expected.parts.resize(1);
  EXPECT_TRUE(SameBytes(ReadBytes(ScorePath()), expected.Serialize()));
  ASSERT_EQ(ReadScoreFile(ScorePath().c_str(), 0, 0), 1);
  EXPECT_EQ(PartCount, 1);
  EXPECT_EQ(ScoreStreamBytes(1), FixtureMarks());
  EXPECT_EQ(ScorePages.count, 2);
}

// A descriptor holds what its version knows: an older file's tablature kind
// or flag that its version cannot hold is read as that version's writer
// stores it, so that the score is saved again as it was read.
TEST_F(ScoreFileTest, OldFilesHaveTheirPartRecordsReadAsTheirVersionHoldsThem) {
  struct Case {
    uint8_t version;
    uint32_t kind;
    bool tablature;
    uint32_t readKind;
    int16_t readFlag;
  } cases[] = {
      {4, 1, false, 1, 0}, {3, 1, false, 5, 0}, {3, 3, true, 5, 1}, {3, 6, true, 6, 1},
      {2, 6, true, 5, 0},  {2, 1, false, 5, 0}, {2, 0, true, 0, 1}, {1, 4, true, 5, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "version " << int(c.version) << ", kind " << c.kind);
    TestScoreFile file;
    file.version = c.version;
    file.parts.push_back({c.kind << 18 | (c.tablature ? 1u << 23 : 0u), u"Part", u"", {0x80, 0x90}, -1});
    file.marks = {0x80, 0x90};
    file.keys = {kKey1};
    file.second = {7};
    file.rows.push_back({8, kId1, 7, kKey1, {1, 2, 3}, {}, -1});
    for (bool snapshot : {false, true}) {
      file.backup = snapshot;
      file.withPageData = !snapshot;
      ASSERT_TRUE(WriteBytes(ScorePath(), file.Serialize()));
      ASSERT_EQ(ReadScoreFile(ScorePath().c_str(), snapshot, snapshot), 1);
      EXPECT_EQ(PartTablatureFlags[0].kind, c.readKind);
      EXPECT_EQ(PartTablatureFlags[0].flag, c.readFlag);
      // Written in the version it was read as, it reads back the same.
      const std::u16string again = scratch_.File(u"again");
      ASSERT_EQ(WriteScoreFile(again.c_str(), 1, kTargetScore, snapshot, snapshot, 0), 1);
      ResetPartRecords();
      ASSERT_EQ(ReadScoreFile(again.c_str(), snapshot, snapshot), 1);
      EXPECT_EQ(PartTablatureFlags[0].kind, c.readKind);
      EXPECT_EQ(PartTablatureFlags[0].flag, c.readFlag);
    }
  }
}

// Slots that are not parts keep the marks of the first part, which the score
// is saved with; a file whose own marks say otherwise reads as it is saved.
TEST_F(ScoreFileTest, MarksThatDifferFromTheFirstPartsAreReadAsTheScoreIsSaved) {
  const Bytes part = {0x09, 0x00, 0x80, 0x88, 0x48, 0x80, 0x90};  // one page mark: two pages
  const Bytes fileMarks[] = {{0x80, 0x88, 0x80, 0x88, 0x80, 0x90}, {0x80, 0x90}, {}};
  for (const Bytes& marks : fileMarks) {
    SCOPED_TRACE(testing::PrintToString(marks));
    TestScoreFile file;
    file.parts.push_back({0, u"Score", u"", {0x80, 0x88, 0x80, 0x90}, -1});
    file.parts.push_back({0, u"Flute", u"", part, -1});
    file.marks = marks;
    file.keys = {kKey1, kKey2};
    file.second = {1, 2};
    file.rows.push_back({8, kId1, 7, kKey1, {1}, {}, -1});
    file.rows.push_back({8, kId2, 9, kKey2, {2}, {}, -1});
    ASSERT_TRUE(WriteBytes(ScorePath(), file.Serialize()));
    ASSERT_EQ(ReadScoreFile(ScorePath().c_str(), 0, 0), 1);
    for (int slot = 2; slot < kPartSlots; ++slot) EXPECT_EQ(ScoreStreamBytes(slot), FixtureMarks()) << slot;
    EXPECT_EQ(ScorePages.count, 2);

    const std::u16string again = scratch_.File(u"again.opt");
    ASSERT_EQ(WriteScoreFile(again.c_str(), 1, kTargetScore, 0, 0, 0), 1);
    ResetScoreContent();
    ASSERT_EQ(ReadScoreFile(again.c_str(), 0, 0), 1);
    for (int slot = 2; slot < kPartSlots; ++slot) EXPECT_EQ(ScoreStreamBytes(slot), FixtureMarks()) << slot;
    EXPECT_EQ(ScorePages.count, 2);
    EXPECT_EQ(ScorePages.rows[1].key, kKey2);
  }
}

}  // namespace
}  // namespace scorefile_test
