// A page opened by DDE is read on the reading thread: no box appears, the
// frame answers all the while, and a page from which the stages wrote no
// items goes back to the pending pages, unticked, so it is not read again.
#include <windows.h>

#include <string>

#include "pages/PageTable.h"
#include "tests/e2e/ProgramCase.h"

TEST_F(ProgramCase, PageOpenedByDdeIsReadAndReturnsToPending) {
  const std::u16string tiff = CopyPageTiff(u"ddereading.tif");
  ASSERT_TRUE(StartQuietly());
  DdeClient dde;
  ASSERT_TRUE(ConnectDde(&dde));
  ASSERT_EQ(dde.Execute(OpenCommand(tiff)), ExecuteResult::kAccepted);
  ASSERT_TRUE(program.WaitUntil([] { return PagesNamed(u"ddereading") == 1; }, "the page in the index",
                                kPageOpenTimeoutMs));
  // The page was ticked for reading when it was stored; reading unticks it.
  int unanswered = 0;
  PageRecord record;
  ASSERT_TRUE(program.WaitUntil(
      [&] {
        if (!program.FrameAnswers(2000)) ++unanswered;
        return PageNamed(u"ddereading", &record) && !(record.flags & kPageSelected);
      },
      "the page read and unticked", 120000));
  EXPECT_EQ(unanswered, 0) << "the frame stopped answering while the page was read";
  EXPECT_EQ(record.state, kPageNotRead);
  EXPECT_EQ(record.flags & kPageHasProblem, 0u) << "the staves of the engraved page are found";
  ASSERT_TRUE(program.StaysQuiet(1000));
  ASSERT_TRUE(ExitCleanly());
}
