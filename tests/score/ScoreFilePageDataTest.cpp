// A score file carries its pages' data: opened where no page record of its
// pages exists, it keeps every page's row and data, and a second save writes
// them again.
#include <functional>
#include <map>

#include "platform/TextUtils.h"
#include "tests/score/ScoreFileFixture.h"

namespace scorefile_test {
namespace {

class ScorePageDataTest : public ScoreFileTest {
 protected:
  // Saves the fixture score, then empties the working folder and forgets
  // every page record, as on a machine that never saw the pages.
  Bytes SaveAndMoveAway() {
    EXPECT_EQ(WriteScoreFile(ScorePath().c_str(), 0, kTargetScore, 0, 0, 0), 1);
    platform::RemoveFile(PagePath(u"TDir0000/Data0005").c_str());
    log_.pageRecords.clear();
    return ReadBytes(ScorePath());
  }
};

TEST_F(ScorePageDataTest, OpenedWithoutPageRecordsAndSavedAgainKeepsEveryPage) {
  const Bytes first = SaveAndMoveAway();
  ASSERT_EQ(ReadScoreFile(ScorePath().c_str(), 0, 0), 1);
  EXPECT_EQ(ScorePages.rows[0].dataId, kId1);
  EXPECT_EQ(ScorePages.rows[0].field, 7);
  EXPECT_EQ(ScorePages.rows[0].key, kKey1);
  EXPECT_EQ(ScorePages.rows[1].dataId, kId2);
  EXPECT_EQ(ScorePages.rows[1].key, kKey2);
  EXPECT_EQ(ReadBytes(PagePath(u"TDir0000/Data0005")), PageOneData());
  EXPECT_EQ(ReadBytes(PagePath(u"TDir0001/Data0028")), Placeholder());
  EXPECT_TRUE(boxes_.Boxes().empty());

  const std::u16string again = scratch_.File(u"again.opt");
  ASSERT_EQ(WriteScoreFile(again.c_str(), 0, kTargetScore, 0, 0, 0), 1);
  EXPECT_TRUE(SameBytes(ReadBytes(again), first));
}

TEST_F(ScorePageDataTest, APageWhoseIdIsTakenHereGetsASpareOne) {
  struct Case {
    const char* what;
    std::map<uint32_t, std::pair<uint16_t, uint16_t>> records;  // the page records here
    uint16_t firstId, secondId;                                 // the ids in the file
    uint16_t expectFirst, expectSecond;
  } cases[] = {
      {"no record here", {}, kId1, kId2, kId1, kId2},
      // Another page of this machine keeps id 5: the page moves to the
      // smallest id that no record and no row of the file holds.
      {"id held by another page's record", {{0x33333333, {kId1, 1}}}, kId1, kId2, 0, kId2},
      {"ids 0 and 1 held as well", {{0x33333333, {0, 1}}, {0x44444444, {1, 1}}}, 1, 0, 2, 3},
      {"two pages of the file share an id", {}, kId2, kId2, kId2, 0},
      // The first page's key is known here under the second page's id.
      {"a later page's id held by the first page's record", {{kKey1, {kId2, 4}}}, kId1, kId2, kId2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LoadFixtureScore();
    SaveAndMoveAway();
    for (const char16_t* name : {u"TDir0000/Data0000", u"TDir0000/Data0002", u"TDir0000/Data0003",
                                 u"TDir0001/Data0028"})
      platform::RemoveFile(PagePath(name).c_str());
    TestScoreFile file = ExpectedFixtureFile(5);
    file.rows[0].dataId = c.firstId;
    file.rows[1].dataId = c.secondId;
    ASSERT_TRUE(WriteBytes(ScorePath(), file.Serialize()));
    log_.pageRecords = c.records;
    ASSERT_EQ(ReadScoreFile(ScorePath().c_str(), 0, 0), 1);
    EXPECT_EQ(ScorePages.rows[0].dataId, c.expectFirst);
    EXPECT_EQ(ScorePages.rows[1].dataId, c.expectSecond);
    char16_t path[64];
    FormatWide(path, 64, u"TDir%04x/Data%04x", c.expectSecond / 32, c.expectSecond);
    EXPECT_EQ(ReadBytes(PagePath(path)), Placeholder());
    if (c.expectFirst != c.expectSecond) {
      FormatWide(path, 64, u"TDir%04x/Data%04x", c.expectFirst / 32, c.expectFirst);
      EXPECT_EQ(ReadBytes(PagePath(path)), PageOneData()) << "the first page's data is not overwritten";
    }
  }
}

TEST_F(ScorePageDataTest, AnUndoSnapshotKeepsTheRowsAsTheyWere) {
  SaveAndMoveAway();
  ASSERT_EQ(ReadScoreFile(ScorePath().c_str(), 0, 0), 1);
  const std::u16string snapshot = PagePath(u"Undo0001");
  ASSERT_EQ(WriteScoreFile(snapshot.c_str(), 1, kTargetScore, 1, 1, 0), 1);
  // A page record made since then holds the first page's id.
  log_.pageRecords[0x55555555] = {kId1, 1};
  ASSERT_EQ(ReadScoreFile(snapshot.c_str(), 1, 1), 1);
  EXPECT_EQ(ScorePages.rows[0].dataId, kId1);
  EXPECT_EQ(ScorePages.rows[1].dataId, kId2);
  EXPECT_EQ(ReadBytes(PagePath(u"TDir0000/Data0005")), PageOneData());
}

// What the reader accepts although the file is not as the writer makes it.
TEST_F(ScorePageDataTest, ReadsFilesThatDifferOnlyWhereNothingIsLost) {
  struct Case {
    const char* what;
    std::function<void(TestScoreFile*)> change;
    std::function<void(Bytes*)> append;
    bool countMessage;
  } cases[] = {
      {"page count above the page marks", [](TestScoreFile* f) { f->storedCount = 3; }, nullptr, true},
      {"page count below the page marks", [](TestScoreFile* f) { f->storedCount = 1; }, nullptr, true},
      {"page count 0", [](TestScoreFile* f) { f->storedCount = 0; }, nullptr, true},
      {"a row beyond the page marks", [](TestScoreFile* f) {
         f->rows.push_back({8, 9, 1, 0x99999999, {4, 5, 6}, {}, -1});
       }, nullptr, true},
      {"trailing bytes", nullptr, [](Bytes* b) { b->insert(b->end(), {0, 1, 2, 3, 4}); }, false},
      {"name of 400 characters", [](TestScoreFile* f) { f->parts[0].name = std::u16string(400, u'x'); }, nullptr,
       false},
      {"instrument-list name of 1000 characters",
       [](TestScoreFile* f) { f->parts[1].listName = std::u16string(1000, u'y'); }, nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LoadFixtureScore();
    TestScoreFile file = ExpectedFixtureFile(5);
    if (c.change) c.change(&file);
    Bytes bytes = file.Serialize();
    if (c.append) c.append(&bytes);
    ASSERT_TRUE(WriteBytes(ScorePath(), bytes));
    platform::RemoveFile(PagePath(u"TDir0000/Data0005").c_str());
    boxes_.Clear();
    ASSERT_EQ(ReadScoreFile(ScorePath().c_str(), 0, 0), 1);
    EXPECT_EQ(ScorePages.count, 2);
    EXPECT_EQ(ScoreStreamBytes(1), Stream(Slot1Items(), kV5));
    EXPECT_EQ(ReadBytes(PagePath(u"TDir0000/Data0005")), PageOneData()) << "every page row is read";
    EXPECT_EQ(ScorePages.rows[1].key, kKey2);
    if (c.countMessage) {
      ASSERT_EQ(boxes_.Boxes().size(), 1u);
      EXPECT_EQ(boxes_.Boxes()[0].text, UiString(11623));
    } else {
      EXPECT_TRUE(boxes_.Boxes().empty());
    }
  }
}

TEST_F(ScorePageDataTest, ALongNameIsCutToThePartNameRow) {
  TestScoreFile file = ExpectedFixtureFile(5);
  file.parts[0].name = std::u16string(400, u'x');
  ASSERT_TRUE(WriteBytes(ScorePath(), file.Serialize()));
  ASSERT_EQ(ReadScoreFile(ScorePath().c_str(), 0, 0), 1);
  EXPECT_EQ(std::u16string(PartNameTable[0]), std::u16string(kPartNameUnits - 1, u'x'));
  EXPECT_EQ(std::u16string(PartNameTable[1]), u"Guitar");
}

TEST_F(ScorePageDataTest, TwentyFivePageMarksShowTheWarningOnceAndGiveTwentyPages) {
  Bytes stream;
  for (int page = 0; page < 25; ++page) Append(&stream, {0x80, 0x88});
  stream.push_back(0x90);
  TestScoreFile file;
  file.parts.push_back({0, u"Piano", u"", stream, -1});
  file.parts.push_back({0, u"Violin", u"", stream, -1});
  file.marks = stream;
  file.keys.assign(20, kNoPageKey);
  file.second.assign(20, kNoPageKey);
  for (int page = 0; page < 20; ++page) file.rows.push_back({8, kNoPageDataId, 0, kNoPageKey, Placeholder(), {}, -1});
  // The file counts 20 pages, as it keeps them, or all 25.
  for (int stored : {20, 25}) {
    SCOPED_TRACE(stored);
    file.storedCount = stored;
    ASSERT_TRUE(WriteBytes(ScorePath(), file.Serialize()));
    boxes_.Clear();
    ASSERT_EQ(ReadScoreFile(ScorePath().c_str(), 0, 0), 1);
    EXPECT_EQ(ScorePages.count, 20);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, UiString(10178));
  }
}

// The page store and the shell each install their own members; neither
// undoes the other's.
TEST(ScoreFileHooks, EachInstallKeepsTheMembersItDoesNotGive) {
  ScoreFileHooks pageStore{};
  pageStore.tidyPageRecords = [] {};
  pageStore.findPageRecord = [](uint32_t, uint16_t* id, uint16_t* field) {
    *id = 9;
    *field = 1;
    return true;
  };
  SetScoreFileHooks(pageStore);
  ScoreFileHooks shell{};
  shell.isReadingPages = [] { return 1; };
  SetScoreFileHooks(shell);
  const ScoreFileHooks& hooks = CurrentScoreFileHooks();
  uint16_t id = 0, field = 0;
  EXPECT_TRUE(hooks.findPageRecord(5, &id, &field));
  EXPECT_EQ(id, 9);
  EXPECT_EQ(hooks.tidyPageRecords, pageStore.tidyPageRecords);
  EXPECT_EQ(hooks.isReadingPages(), 1);
  ResetScoreFileHooks();
  EXPECT_FALSE(CurrentScoreFileHooks().findPageRecord(5, &id, &field));
  EXPECT_EQ(CurrentScoreFileHooks().isReadingPages(), 0);
}

}  // namespace
}  // namespace scorefile_test
