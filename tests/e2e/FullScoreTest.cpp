// A page opened into a score that has its 20 pages is not read: it waits in
// the page store, and the status bar says why.
#include <windows.h>

#include <string>

#include "pages/PageTable.h"
#include "score/ScoreFile.h"
#include "tests/e2e/ProgramCase.h"

namespace {

constexpr unsigned kScoreFullText = 10025;

// One part on 20 pages, each page one empty staff.
bool WriteFullScore(const std::u16string& path) {
  if (!MakePagedScore(kMaxScorePages - 1, {}, 0x5C0E0000u)) return false;
  const bool written = WriteScoreFile(path.c_str(), 1, kTargetScore, 0, 0, 0) == 1;
  EXPECT_TRUE(written) << "cannot write " << Narrow(path);
  return written;
}

}  // namespace

TEST_F(ProgramCase, APageForAFullScoreWaitsAndTheStatusBarSaysWhy) {
  const std::u16string score = InputPath(u"fullscore.opt");
  ASSERT_TRUE(WriteFullScore(score));
  const std::u16string tiff = CopyPageTiff(u"onetoomany.tif");
  ASSERT_TRUE(StartQuietly());
  DdeClient dde;
  ASSERT_TRUE(ConnectDde(&dde));
  ASSERT_EQ(dde.Execute(OpenCommand(score)), ExecuteResult::kAccepted);
  ASSERT_EQ(dde.Execute(OpenCommand(tiff)), ExecuteResult::kAccepted);
  const std::u16string full = ProgramText(kScoreFullText);
  const bool told = program.WaitUntil([&] { return program.StatusText(2) == full; }, "the full score in the status bar",
                                      kPageOpenTimeoutMs);
  ASSERT_TRUE(told) << "the status bar shows \"" << Narrow(program.StatusText(2)) << "\"";
  ASSERT_TRUE(program.StaysQuiet(1000)) << "the refusal asks nothing";
  PageRecord record{};
  ASSERT_TRUE(PageNamed(u"onetoomany", &record));
  EXPECT_EQ(record.state, kPageNotRead) << "the page waits in the store for room in the score";
  ASSERT_TRUE(ExitCleanly());
}
