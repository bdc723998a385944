#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/FileLayer.h"
#include "platform/Folders.h"
#include "platform/Platform.h"
#include "score/ScoreFile.h"
#include "shell/BackupFiles.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestText.h"
#include "tests/score/ScoreFileFixture.h"

namespace {

TEST(BackupAnswer, PlanForEveryCase) {
  struct Case {
    bool backup, sv;
    int answer;
    bool restore, deleteBackup, deleteSv;
  };
  const int yes = platform::kAnswerYes, no = platform::kAnswerNo;
  Case cases[] = {
      {false, false, yes, false, false, false},  // nothing to offer
      {true, false, yes, true, false, false},
      {true, false, no, false, true, false},
      {false, true, yes, true, false, false},    // the offered file is the one restored
      {false, true, no, false, false, true},
      {true, true, yes, true, false, false},     // one answer for both files
      {true, true, no, false, true, true},
  };
  for (const Case& c : cases) {
    BackupAnswerPlan plan = PlanBackupAnswer({c.backup, c.sv}, c.answer);
    EXPECT_EQ(plan.restore, c.restore) << c.backup << c.sv << c.answer;
    EXPECT_EQ(plan.deleteBackup, c.deleteBackup) << c.backup << c.sv << c.answer;
    EXPECT_EQ(plan.deleteSvBackup, c.deleteSv) << c.backup << c.sv << c.answer;
  }
}

TEST(BackupAnswer, ShutdownKeepsABackupChosenButNotRestored) {
  EXPECT_TRUE(ShutdownRemovesBackups({false, false}));
  EXPECT_TRUE(ShutdownRemovesBackups({true, true}));
  EXPECT_FALSE(ShutdownRemovesBackups({true, false}));
}

class BackupFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = DataFolder();
    SetDataFolder(scratch_.Path().c_str());
    ASSERT_TRUE(platform::MakeDirectory(scratch_.File(kPageStoreFolderName).c_str()));
    Backups() = BackupSession();
  }
  void TearDown() override {
    Backups() = BackupSession();
    SetDataFolder(saved_.c_str());
  }
  std::u16string PagePath(const char16_t* name) {
    char16_t path[300];
    EXPECT_TRUE(MakeMusicPagesPath(path, name));
    return path;
  }
  void Seed(const char16_t* name, const char* bytes) {
    std::FILE* file = platform::OpenStream(PagePath(name).c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs(bytes, file);
    std::fclose(file);
  }
  bool Exists(const char16_t* name) { return FileExists(PagePath(name).c_str()); }

  ScratchFolder scratch_;
  std::u16string saved_;
};

TEST_F(BackupFilesTest, NoBackupAsksNothing) {
  BoxRecorder boxes;
  OfferBackup();
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_FALSE(Backups().restoreChosen);
}

TEST_F(BackupFilesTest, NoDeletesBothAfterOneQuestion) {
  Seed(kBackupFileName, "x");
  Seed(kSvBackupFileName, "y");
  BoxRecorder boxes;
  boxes.QueueAnswer(platform::kAnswerNo);
  OfferBackup();
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, UiText(10081));
  EXPECT_FALSE(Exists(kBackupFileName));
  EXPECT_FALSE(Exists(kSvBackupFileName));
}

TEST_F(BackupFilesTest, YesKeepsBothUntilRestoredEvenAtExit) {
  Seed(kSvBackupFileName, "y");
  BoxRecorder boxes;
  boxes.QueueAnswer(platform::kAnswerYes);
  OfferBackup();
  EXPECT_TRUE(Backups().restoreChosen);
  EXPECT_TRUE(Exists(kSvBackupFileName));
  RemoveBackupsAtExit();  // start-up ended before the restore
  EXPECT_TRUE(Exists(kSvBackupFileName));
}

TEST_F(BackupFilesTest, UnreadableBackupIsReportedAndKept) {
  Seed(kBackupFileName, "not a score file");
  Backups().restoreChosen = true;
  BoxRecorder boxes;
  EXPECT_EQ(RestoreBackup(), 0);
  EXPECT_FALSE(boxes.Boxes().empty());
  RemoveBackupsAtExit();
  EXPECT_TRUE(Exists(kBackupFileName));
}

TEST_F(BackupFilesTest, NormalExitRemovesTheAutomaticBackup) {
  Seed(kBackupFileName, "x");
  RemoveBackupsAtExit();
  EXPECT_FALSE(Exists(kBackupFileName));
}

// The score file fixture: a score with pages and the score file's hooks.
class RestoreBackupTest : public scorefile_test::ScoreFileTest {
 protected:
  void SetUp() override {
    ScoreFileTest::SetUp();
    Backups() = BackupSession();
    Backups().restoreChosen = true;
  }
  void TearDown() override {
    Backups() = BackupSession();
    ScoreFileTest::TearDown();
  }
};

TEST_F(RestoreBackupTest, TheOnlyBackupOfferedIsTheOneRestored) {
  const std::u16string sv = PagePath(kSvBackupFileName);
  ASSERT_EQ(WriteScoreFile(sv.c_str(), 1, kTargetScore, 1, 0, 0), 1);
  ResetScoreContent();
  EXPECT_EQ(RestoreBackup(), 1);
  EXPECT_TRUE(boxes_.Boxes().empty());
  EXPECT_EQ(std::u16string(CurrentScore.title), u"Backup");
  EXPECT_EQ(PartCount, 3);
  EXPECT_EQ(log_.saved, 0) << "a restored backup counts as modified";
  RemoveBackupsAtExit();
  EXPECT_FALSE(FileExists(sv.c_str()));
}

}  // namespace
