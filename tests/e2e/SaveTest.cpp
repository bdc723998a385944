// Saving the score: Save and the close question's Yes write the score file,
// also right after an export, which never stands in for a save.
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

constexpr int kScoreFileTypes = 3;
constexpr DWORD kWriteTimeoutMs = 20000;

const std::string kScoreFileMagic("Vadoruvi\0", 9);

// One part of one bar in 4/4, a score that both exports take.
StreamBytesList OneFullBar() {
  const StreamBytesList quarter = ChordItem({Note(17)});
  return JoinItems({ClefItem(kClefTreble), KeyItem(0), TimeItem(4, 5), quarter, quarter, quarter, quarter, BarItem(),
                    {kEndOfScore}});
}

class SaveCase : public ProgramCase {
 protected:
  // The program holding the restored backup: modified, without a file.
  bool StartWithExportableScore() {
    return StartWithFluteScore(OneFullBar());
  }
  // Save As with the MusicXML type chosen in the dialog, to path; waits for
  // the exported file.
  bool ExportMusicXml(const std::u16string& path) { return SaveAsMusicXml(path, kWriteTimeoutMs); }
  // Input files of an earlier case would bring the dialog's overwrite question.
  static std::u16string FreshInput(const std::u16string& name) {
    std::u16string path = InputPath(name);
    DeleteFileW(W(path));
    return path;
  }

  // The dialog that Save opens for a score without a file: it offers the
  // score file's types only; the path is typed and confirmed.
  bool NameTheScoreFile(const std::u16string& path) {
    HWND dialog = program.WaitForDialog();
    if (!dialog) return false;
    EXPECT_EQ(TypeCount(dialog), kScoreFileTypes) << "Save offers no export";
    return program.SetDialogText(dialog, FileNameBox(dialog), path) && program.PressDialogButton(dialog, IDOK);
  }
};

}  // namespace

TEST_F(SaveCase, ExportThenCloseWithYesWritesTheScoreFileAndCloses) {
  const std::u16string exported = FreshInput(u"exported.xml");
  const std::u16string kept = FreshInput(u"kept.opt");
  ASSERT_TRUE(StartWithExportableScore());
  ASSERT_TRUE(ExportMusicXml(exported));
  ASSERT_TRUE(program.PostToFrame(WM_CLOSE));
  ASSERT_TRUE(program.AnswerBox({kSaveQuestion, IDYES})) << "an export leaves the score unsaved";
  ASSERT_TRUE(NameTheScoreFile(kept));
  ASSERT_TRUE(EndsWithExitCodeZero(program));
  EXPECT_TRUE(FileBegins(kept, kScoreFileMagic)) << "the score file is written";
}

TEST_F(SaveCase, ExportThenSaveWritesTheScoreFile) {
  const std::u16string exported = FreshInput(u"exported.xml");
  const std::u16string kept = FreshInput(u"kept.opt");
  ASSERT_TRUE(StartWithExportableScore());
  ASSERT_TRUE(ExportMusicXml(exported));
  ASSERT_TRUE(DeleteFileW(W(exported)));
  ASSERT_TRUE(program.PostCommand(IDM_FILE_SAVE));
  ASSERT_TRUE(NameTheScoreFile(kept));
  ASSERT_TRUE(program.WaitUntil([&] { return FileBegins(kept, kScoreFileMagic); }, "the score file", kWriteTimeoutMs));
  // The score now has its file: Save writes it again without asking, and
  // nothing is exported.
  ASSERT_TRUE(DeleteFileW(W(kept)));
  ASSERT_TRUE(program.PostCommand(IDM_FILE_SAVE));
  ASSERT_TRUE(program.WaitUntil([&] { return FileBegins(kept, kScoreFileMagic); }, "the score file again",
                                kWriteTimeoutMs));
  ASSERT_TRUE(program.StaysQuiet(300));
  EXPECT_FALSE(Exists(exported)) << "Save exported again";
  ASSERT_TRUE(ExitCleanly()) << "the saved score closes without a question";
}

TEST_F(SaveCase, SaveAsMusicXmlGivesATypedNameWithoutExtensionItsOwn) {
  const std::u16string typed = FreshInput(u"typed without extension");
  const std::u16string written = FreshInput(u"typed without extension.xml");
  ASSERT_TRUE(StartWithExportableScore());
  ASSERT_TRUE(SaveAsMusicXml(typed, written, kWriteTimeoutMs));
  EXPECT_FALSE(Exists(typed)) << "nothing is written under the bare name";
  ASSERT_TRUE(CloseDiscardingChanges());
}
