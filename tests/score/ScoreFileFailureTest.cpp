// Saves that fail leave the old file and the modified score; opening asks to
// save first and goes on only when the score is saved.
#include "score/ScoreFileFormat.h"
#include "tests/score/ScoreFileFixture.h"

namespace scorefile_test {
namespace {

std::u16string NotSavedText(const std::u16string& path) {
  std::u16string text = UiString(11622);
  text.replace(text.find(u"%s"), 2, path);
  return text;
}

TEST_F(ScoreFileTest, SaveWhereNoFileCanBeCreatedFailsAndChangesNothing) {
  const std::u16string path = scratch_.File(u"missing") + u"/score.opt";
  log_.saved = 0;
  EXPECT_EQ(WriteScoreFile(path.c_str(), 0, kTargetScore, 0, 0, 0), 0);
  EXPECT_EQ(log_.saved, 0);
  EXPECT_TRUE(log_.savedCalls.empty());
  EXPECT_TRUE(log_.recentFiles.empty());
  EXPECT_TRUE(log_.titles.empty());
  EXPECT_TRUE(log_.markedKeys.empty());
  EXPECT_EQ(CurrentScore.path[0], 0);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text, NotSavedText(path));
}

TEST_F(ScoreFileTest, TheOldFileStaysUntilTheNewOneIsWhole) {
  const Bytes old = {'o', 'l', 'd'};
  ASSERT_TRUE(WriteBytes(ScorePath(), old));
  // The rhythm check abandons the save: nothing is written.
  log_.rhythmAnswer = 0;
  log_.saved = 0;
  EXPECT_EQ(WriteScoreFile(ScorePath().c_str(), 0, kTargetScore, 0, 0, 0), 0);
  EXPECT_EQ(ReadBytes(ScorePath()), old);
  EXPECT_TRUE(boxes_.Boxes().empty());
  // Internal writes are not checked.
  EXPECT_EQ(WriteScoreFile(ScorePath().c_str(), 1, kTargetScore, 1, 1, 0), 1);
  EXPECT_EQ(log_.saved, 0);

  // A stream in memory that does not walk is not written over a good file.
  log_.rhythmAnswer = 1;
  ASSERT_TRUE(WriteBytes(ScorePath(), old));
  SetScoreStream(1, {0x09, 0x00, 0xFC, 0x18});
  EXPECT_EQ(WriteScoreFile(ScorePath().c_str(), 0, kTargetScore, 0, 0, 0), 0);
  EXPECT_EQ(ReadBytes(ScorePath()), old);
  EXPECT_EQ(log_.saved, 0);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text, NotSavedText(ScorePath()));
}

TEST_F(ScoreFileTest, OpeningIsRefusedWhilePagesAreRead) {
  ASSERT_EQ(WriteScoreFile(ScorePath().c_str(), 0, kTargetScore, 0, 0, 0), 1);
  log_.readingPages = 1;
  const ScoreState before = ScoreState::Take();
  EXPECT_EQ(ReadScoreFile(ScorePath().c_str(), 0, 0), 0);
  ScoreState::Take().ExpectSame(before);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text, UiString(11541));
  // An undo snapshot is not an opening.
  ASSERT_EQ(WriteScoreFile(ScorePath().c_str(), 1, kTargetScore, 1, 1, 0), 1);
  EXPECT_EQ(ReadScoreFile(ScorePath().c_str(), 1, 1), 1);
}

TEST_F(ScoreFileTest, SaveFirstGoesOnOnlyWhenTheScoreIsSaved) {
  const std::u16string other = scratch_.File(u"other.opt");
  ASSERT_EQ(WriteScoreFile(other.c_str(), 0, kTargetScore, 0, 0, 0), 1);
  struct Case {
    int answer;
    bool saveCommandSaves;
    int read;
    int saveCommands;
  } cases[] = {
      {platform::kAnswerCancel, true, 0, 0},
      {platform::kAnswerYes, false, 0, 1},  // the save was cancelled or failed
      {platform::kAnswerYes, true, 1, 1},
      {platform::kAnswerNo, false, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer * 10 + c.saveCommandSaves);
    LoadFixtureScore();
    SetScoreStream(1, {0x09, 0x00, 0x90});
    log_.saved = 0;
    log_.saveCommands = 0;
    log_.saveCommandSaves = c.saveCommandSaves;
    boxes_.Clear();
    boxes_.QueueAnswer(c.answer);
    const ScoreState before = ScoreState::Take();
    EXPECT_EQ(ReadScoreFile(other.c_str(), 0, 0), c.read);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, UiString(10077));
    EXPECT_EQ(boxes_.Boxes()[0].caption, UiString(10075));
    EXPECT_EQ(boxes_.Boxes()[0].style & 0xF, unsigned(platform::kBoxYesNoCancel));
    EXPECT_EQ(log_.saveCommands, c.saveCommands);
    if (c.read) EXPECT_EQ(ScoreStreamBytes(1), Stream(Slot1Items(), kV5));
    else ScoreState::Take().ExpectSame(before);
  }
}

TEST(ScoreFileVersionTest, SaveVersionForOutsidePrograms) {
  struct Case {
    int target;
    uint8_t memory;
    double cadenzor, r8;
    uint8_t version;
  } cases[] = {
      {kTargetScore, 5, 0, 0, 5},     {kTargetScore, 2, 0, 0, 2},     {kTargetCadenzor, 5, 0, 0, 5},
      {kTargetCadenzor, 5, 2, 0, 5},  {kTargetCadenzor, 5, 3, 0, 3},  {kTargetCadenzor, 5, 4, 0, 4},
      {kTargetCadenzor, 5, 6, 0, 5},  {kTargetCadenzor, 1, 6, 0, 1},  {kTargetR8, 5, 0, 0, 5},
      {kTargetR8, 5, 0, 1, 5},        {kTargetR8, 5, 0, 2, 3},        {kTargetR8, 5, 0, 2.5, 3},
      {kTargetR8, 5, 0, 3, 3},        {kTargetR8, 5, 0, 4, 4},        {kTargetR8, 5, 0, 7, 5},
      {kTargetR8, 5, 4, 0, 5},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ChooseSaveVersionFor(c.target, c.memory, c.cadenzor, c.r8), c.version)
        << c.target << " " << int(c.memory) << " " << c.cadenzor << " " << c.r8;
}

TEST(ScoreFileVersionTest, WriteVersionNeverMisplacesTexts) {
  struct Case {
    int internal, target, noPageData, chosen;
    uint8_t memory, version;
  } cases[] = {
      {0, kTargetScore, 0, 0, 5, 5}, {0, kTargetScore, 0, 4, 5, 4}, {0, kTargetScore, 0, 3, 5, 3},
      {1, kTargetScore, 1, 3, 5, 5}, {0, kTargetScore, 1, 4, 5, 5}, {0, kTargetScore, 0, 4, 2, 2},
      {0, kTargetScore, 0, 1, 5, 3}, {0, kTargetScore, 0, 9, 4, 5}, {1, kTargetScore, 1, 0, 1, 1},
      {0, kTargetScore, 0, 5, 3, 5},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ChooseWriteVersion(c.internal, c.target, c.noPageData, c.chosen, c.memory), c.version)
        << c.internal << c.target << c.noPageData << c.chosen << int(c.memory);
}

TEST(ScoreFileNameTest, BaseFileName) {
  struct Case {
    const char16_t* path;
    const char16_t* base;
  } cases[] = {
      {u"C:\\Music\\Sonata.opt", u"Sonata"}, {u"/tmp/a.tiff", u"a"},        {u"name.abcde", u"name.abcde"},
      {u"x.y.opt", u"x.y"},                  {u"noextension", u"noextension"}, {u"dir.d\\file", u"file"},
      {u"C:score.opt", u"score"},            {u"", u""},
  };
  for (const Case& c : cases) {
    char16_t base[260];
    GetBaseFileName(base, c.path);
    EXPECT_EQ(std::u16string(base), c.base) << U8(c.path);
  }
  char16_t small[4];
  GetBaseFileName(small, u"longname.opt");
  EXPECT_EQ(std::u16string(small), u"lon");
}

}  // namespace
}  // namespace scorefile_test
