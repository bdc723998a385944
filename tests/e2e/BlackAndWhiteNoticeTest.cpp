// A black-and-white page opened by DDE brings the notice that recommends
// grey scans, while "Show BWWarning dialog" is on; unticking its "Show this
// next time" box keeps it away from then on, also after a restart.
#include <windows.h>

#include <string>

#include "platform/Settings.h"
#include "resources/ResourceIds.h"
#include "tests/e2e/ProgramCase.h"

namespace {

constexpr char16_t kNoticeCaption[] = u"Black and white page";
constexpr char16_t kNoticeText[] = u"This page has been scanned in black && white (2 shades of gray).";

void SwitchNoticeOn() {
  LoadGlobalSettings();
  Global().showBwWarning = true;
  SaveGlobalSettings();
}

}  // namespace

class BlackAndWhiteNotice : public ProgramCase {
 protected:
  // Sends the page fixture (a black-and-white TIFF) by DDE under name. The
  // program may still be busy with the page before (its reading is
  // scheduled at once), so the request may wait as long as a page takes.
  bool OpenPage(const std::u16string& name) {
    const std::u16string tiff = CopyPageTiff(name + u".tif");
    DdeClient dde;
    if (!ConnectDde(&dde)) return false;
    EXPECT_EQ(dde.Execute(OpenCommand(tiff), kPageOpenTimeoutMs), ExecuteResult::kAccepted);
    return true;
  }
  // Waits for the notice and answers it, unticking its box when asked.
  bool AnswerNotice(bool untick) {
    HWND dialog = program.WaitForDialog(kPageOpenTimeoutMs);
    if (!dialog) return false;
    bool found = false;
    for (const ProgramBox& box : program.Boxes()) {
      if (box.window != dialog) continue;
      found = true;
      EXPECT_EQ(box.caption, kNoticeCaption);
      EXPECT_NE(box.text.find(kNoticeText), std::u16string::npos) << Narrow(box.text);
    }
    EXPECT_TRUE(found);
    EXPECT_TRUE(program.IsDialogBoxChecked(dialog, IDC_SHOW_NEXT_TIME)) << "the box opens ticked";
    if (untick) {
      bool checked = true;
      if (!program.ClickDialogCheckBox(dialog, IDC_SHOW_NEXT_TIME, &checked)) return false;
      EXPECT_FALSE(checked);
    }
    return program.PressDialogButton(dialog, IDOK);
  }
  bool PageArrives(const std::u16string& name) {
    return program.WaitUntil([name] { return PagesNamed(name) == 1; }, "the page in the index", kPageOpenTimeoutMs);
  }
};

TEST_F(BlackAndWhiteNotice, UntickedOnceItStaysAwayAlsoAfterARestart) {
  SwitchNoticeOn();
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(OpenPage(u"bwfirst"));
  ASSERT_TRUE(AnswerNotice(true));
  ASSERT_TRUE(PageArrives(u"bwfirst"));
  // The next page of the same run comes without it.
  ASSERT_TRUE(OpenPage(u"bwsecond"));
  ASSERT_TRUE(PageArrives(u"bwsecond"));
  ASSERT_TRUE(program.StaysQuiet(500));
  ASSERT_TRUE(ExitCleanly());
  LoadGlobalSettings();
  EXPECT_FALSE(Global().showBwWarning) << "\"Show BWWarning dialog\" is stored as False";

  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(OpenPage(u"bwthird"));
  ASSERT_TRUE(PageArrives(u"bwthird"));
  ASSERT_TRUE(program.StaysQuiet(500));
  ASSERT_TRUE(ExitCleanly());
}

TEST_F(BlackAndWhiteNotice, LeftTickedItComesWithEveryBlackAndWhitePage) {
  SwitchNoticeOn();
  ASSERT_TRUE(StartQuietly());
  for (const char16_t* name : {u"bwticked", u"bwtickedagain"}) {
    SCOPED_TRACE(Narrow(name));
    ASSERT_TRUE(OpenPage(name));
    ASSERT_TRUE(AnswerNotice(false));
    ASSERT_TRUE(PageArrives(name));
  }
  ASSERT_TRUE(ExitCleanly());
  LoadGlobalSettings();
  EXPECT_TRUE(Global().showBwWarning);
}

TEST_F(BlackAndWhiteNotice, WithTheSettingOffNoNoticeComes) {
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(OpenPage(u"bwquiet"));
  ASSERT_TRUE(PageArrives(u"bwquiet"));  // any box meanwhile fails the case
  ASSERT_TRUE(program.StaysQuiet(500));
  ASSERT_TRUE(ExitCleanly());
}
