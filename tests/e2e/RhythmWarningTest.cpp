// Saving a score whose bars do not add up to the time signature: the
// "Rhythm warning" question names the pages, No abandons the save, Yes
// saves, and an unticked "Show this next time" keeps it away afterwards.
#include <windows.h>
#include <dlgs.h>

#include <cstring>
#include <string>
#include <vector>

#include "ResourceIds.h"
#include "platform/Folders.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"
#include "tests/e2e/ProgramCase.h"
#include "tests/score/ScoreStreamFixture.h"

namespace {

constexpr unsigned kRhythmWarningText = 12301;
constexpr DWORD kWriteTimeoutMs = 20000;

std::u16string ControlText(HWND dialog, int control) {
  wchar_t text[256] = {};
  DWORD_PTR got = 0;
  HWND item = GetDlgItem(dialog, control);
  if (!item || !SendMessageTimeoutW(item, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                                    kAnswerTimeoutMs, &got)) {
    return u"?";
  }
  return std::u16string(reinterpret_cast<const char16_t*>(text));
}

// One part whose only bar holds three crotchets in 4/4.
StreamBytesList ShortBar() {
  const StreamBytesList quarter = ChordItem({Note(17)});
  return JoinItems({ClefItem(kClefTreble), KeyItem(0), TimeItem(4, 5), quarter, quarter, quarter, BarItem(),
                    {kBarBoundary}, {kEndOfScore}});
}

class RhythmWarningCase : public ProgramCase {
 protected:
  bool StartWithShortBar() {
    return StartWithFluteScore(ShortBar());
  }
  // Save for a score without a file: its dialog, the path typed and confirmed.
  bool SaveAs(const std::u16string& path) {
    if (!program.PostCommand(IDM_FILE_SAVE)) return false;
    HWND dialog = program.WaitForDialog();
    if (!dialog) return false;
    const int nameBox = GetDlgItem(dialog, cmb13) ? cmb13 : edt1;
    return program.SetDialogText(dialog, nameBox, path) && program.PressDialogButton(dialog, IDOK);
  }
};

}  // namespace

TEST_F(RhythmWarningCase, ASaveOfAShortBarAsksAndNoAbandonsIt) {
  const std::u16string path = InputPath(u"short-bar.opt");
  DeleteFileW(W(path));
  ASSERT_TRUE(StartWithShortBar());

  ASSERT_TRUE(SaveAs(path));
  HWND question = program.WaitForBox(kRhythmWarningText);
  ASSERT_TRUE(question);
  EXPECT_EQ(ControlText(question, IDC_RHYTHM_PAGES), u"1");
  EXPECT_TRUE(program.IsDialogBoxChecked(question, IDC_RHYTHM_SHOW_NEXT_TIME));
  ASSERT_TRUE(program.AnswerBox({kRhythmWarningText, IDC_RHYTHM_NO}));
  ASSERT_TRUE(program.StaysQuiet(500));
  EXPECT_FALSE(Exists(path)) << "No abandons the save";

  // Yes saves; the box unticked first keeps the question away afterwards.
  ASSERT_TRUE(SaveAs(path));
  question = program.WaitForBox(kRhythmWarningText);
  ASSERT_TRUE(question);
  bool checked = true;
  ASSERT_TRUE(program.ClickDialogCheckBox(question, IDC_RHYTHM_SHOW_NEXT_TIME, &checked));
  EXPECT_FALSE(checked);
  ASSERT_TRUE(program.AnswerBox({kRhythmWarningText, IDC_RHYTHM_YES}));
  ASSERT_TRUE(program.WaitUntil([&] { return Exists(path); }, "the saved score file", kWriteTimeoutMs));

  ASSERT_TRUE(DeleteFileW(W(path)));
  ASSERT_TRUE(program.PostCommand(IDM_FILE_SAVE));
  ASSERT_TRUE(program.WaitUntil([&] { return Exists(path); }, "the score saved again without a question",
                                kWriteTimeoutMs));
  ASSERT_TRUE(ExitCleanly());
}
