// A page opened by DDE is read on the reading thread: no box appears, the
// frame answers all the while, and the engraved page's systems are read into
// the score, so the page is a read page without a problem mark; once the
// reading has ended the program exits, the score made by reading discarded.
#include <windows.h>

#include <string>

#include "pages/PageTable.h"
#include "tests/e2e/ProgramCase.h"

TEST_F(ProgramCase, PageOpenedByDdeIsReadIntoTheScore) {
  const std::u16string tiff = CopyPageTiff(u"ddereading.tif");
  ASSERT_TRUE(StartQuietly());
  DdeClient dde;
  ASSERT_TRUE(ConnectDde(&dde));
  ASSERT_EQ(dde.Execute(OpenCommand(tiff)), ExecuteResult::kAccepted);
  ASSERT_TRUE(program.WaitUntil([] { return PagesNamed(u"ddereading") == 1; }, "the page in the index",
                                kPageOpenTimeoutMs));
  // While the page is read (staves, engine, stages) the frame keeps answering.
  int unanswered = 0;
  for (int i = 0; i < 20; ++i) {
    if (!program.FrameAnswers(2000)) ++unanswered;
    Sleep(100);
  }
  EXPECT_EQ(unanswered, 0) << "the frame stopped answering while the page was read";
  PageRecord record;
  ASSERT_TRUE(program.WaitUntil([&] { return PageNamed(u"ddereading", &record) && record.state == kPageRead; },
                                "the read page merged into the score", kPageOpenTimeoutMs));
  EXPECT_EQ(record.flags & kPageHasProblem, 0u) << "the staves of the engraved page are found";
  ASSERT_TRUE(program.StaysQuiet(500));
  ASSERT_TRUE(ExitDiscardingChanges());
}
