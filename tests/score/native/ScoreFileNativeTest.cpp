// Saves onto a read-only folder and a full disc, and the versions of the
// outside programs found through their registry entries and program files.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Registry.h"
#include "platform/RegistryText.h"
#include "platform/native/NativePlatform.h"
#include "tests/score/ScoreFileFixture.h"

namespace scorefile_test {
namespace {

// After a failed save of a modified score: the old file, the modified score
// and one message naming the path.
void ExpectOldFileAndModifiedScore(const HookLog* log, const BoxRecorder* boxes, const std::u16string& path,
                                   const Bytes& old) {
  EXPECT_EQ(ReadBytes(path), old);
  EXPECT_EQ(log->saved, 0);
  EXPECT_TRUE(log->savedCalls.empty());
  EXPECT_TRUE(log->recentFiles.empty());
  EXPECT_TRUE(log->titles.empty());
  EXPECT_FALSE(Exists(path + u".kvsave"));
  ASSERT_EQ(boxes->Boxes().size(), 1u);
  EXPECT_NE(boxes->Boxes()[0].text.find(path), std::u16string::npos);
}

TEST_F(ScoreFileTest, SaveIntoAReadOnlyFolderKeepsTheOldFile) {
  const std::u16string folder = scratch_.File(u"locked");
  ASSERT_TRUE(platform::MakeDirectory(folder.c_str()));
  const std::u16string path = folder + u"/score.opt";
  const Bytes old = {'o', 'l', 'd', ' ', 's', 'c', 'o', 'r', 'e'};
  ASSERT_TRUE(WriteBytes(path, old));
  ASSERT_EQ(chmod(U8(folder).c_str(), 0555), 0);
  if (access(U8(folder).c_str(), W_OK) == 0) {
    chmod(U8(folder).c_str(), 0755);
    GTEST_SKIP() << "running as a user who may write into read-only folders";
  }
  log_.saved = 0;
  EXPECT_EQ(WriteScoreFile(path.c_str(), 0, kTargetScore, 0, 0, 0), 0);
  chmod(U8(folder).c_str(), 0755);
  ExpectOldFileAndModifiedScore(&log_, &boxes_, path, old);
}

TEST_F(ScoreFileTest, SaveOntoAFullDiscKeepsTheOldFile) {
  const Bytes old = {'o', 'l', 'd'};
  ASSERT_TRUE(WriteBytes(ScorePath(), old));
  // Files cannot grow beyond 200 bytes: writes past that fail as on a full disc.
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit small = saved;
  small.rlim_cur = 200;
  void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  log_.saved = 0;
  const int written = WriteScoreFile(ScorePath().c_str(), 0, kTargetScore, 0, 0, 0);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(written, 0);
  ExpectOldFileAndModifiedScore(&log_, &boxes_, ScorePath(), old);
}

// An installed outside program: its registry entry and a program file with a
// fixed version block of the given major version.
void InstallOutsideProgram(const std::u16string& folder, const char16_t* subkey, const char16_t* fileName,
                           uint16_t major) {
  using namespace platform::reg;
  Key key = 0;
  const std::u16string keyPath = std::u16string(u"SOFTWARE\\Cadenzor Software\\") + subkey + u"\\ApplicationPath";
  ASSERT_EQ(CreateKey(kLocalMachine, keyPath.c_str(), kAccessAll, &key, nullptr), kOk);
  ASSERT_EQ(WriteText(key, nullptr, folder.c_str()), kOk);
  CloseKey(key);
  Bytes program = {'M', 'Z', 0, 0};
  PutU32(&program, 0xFEEF04BD);
  PutU32(&program, 0x00010000);
  PutU32(&program, uint32_t(major) << 16 | 5);
  PutU32(&program, 0);
  ASSERT_TRUE(WriteBytes(folder + u"/" + fileName, program));
}

TEST_F(ScoreFileTest, OutsideProgramsGetTheVersionTheyRead) {
  platform::ResetRegistryForTest();
  InstallOutsideProgram(scratch_.Path(), u"R8", u"R8.exe", 2);
  InstallOutsideProgram(scratch_.Path(), u"Cadenzor 4", u"cadenzor.exe", 4);
  ForgetOutsidePrograms();
  const std::u16string transfer = PagePath(kTransferFileName);

  // R8 2.x reads version 3: the tablature clef becomes a treble clef.
  ASSERT_EQ(WriteTransferFile(kTargetR8), 1);
  EXPECT_TRUE(SameBytes(ReadBytes(transfer), ExpectedFixtureFile(3).Serialize()));
  ASSERT_EQ(WriteTransferFile(kTargetCadenzor), 1);
  EXPECT_TRUE(SameBytes(ReadBytes(transfer), ExpectedFixtureFile(4).Serialize()));
  EXPECT_TRUE(log_.recentFiles.empty());

  platform::ResetRegistryForTest();
  ForgetOutsidePrograms();
}

}  // namespace
}  // namespace scorefile_test
