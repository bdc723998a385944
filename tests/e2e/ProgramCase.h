// The base of every end-to-end case: a fresh program state before each case
// and the steps and files most cases share.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/e2e/DdeClient.h"
#include "tests/e2e/ProgramUnderTest.h"

// The questions the cases answer: saving a modified score, and restoring
// an automatic backup at start.
constexpr unsigned kSaveQuestion = 10076;
constexpr unsigned kBackupQuestion = 10081;

// The program ends; true when it ended with exit code 0 (a failed
// expectation names the code otherwise).
bool EndsWithExitCodeZero(ProgramUnderTest& program);

// A key going down (or up) as SendInput types it.
INPUT KeyStroke(WORD key, bool up);

class ProgramCase : public ::testing::Test {
 protected:
  void SetUp() override {
    PagesCopied() = false;
    ASSERT_TRUE(ProgramUnderTest::ResetState());
  }

  // Starts the program and waits until its frame is up and answering.
  bool StartQuietly();
  // Starts the program over a seeded backup and restores it on Yes: the
  // program then holds a modified score (nothing else can modify one yet).
  bool StartWithModifiedScore();
  // The same over a backup of one flute part holding the stream part (slot
  // 0, the work stream, empty): a modified score without a file.
  bool StartWithFluteScore(const std::vector<uint8_t>& part);
  // Exit from the File menu; the program must end with exit code 0. While
  // opened pages are read the refusal is answered and Exit asked again. In a
  // case that copied the page fixture (CopyPageTiff) the pages it opened may
  // have been read into a score: the question to save that score is
  // answered No when it comes. Any other box fails the case.
  bool ExitCleanly();
  // Closes the frame and answers No to saving the modified score; the
  // program must end with exit code 0.
  bool CloseDiscardingChanges();
  // The same through File > Exit.
  bool ExitDiscardingChanges();
  // Opens the page fixture (a copy named name) by DDE and waits until the
  // page is read and merged into the score, so the score is modified.
  bool ReadPageByDde(const std::u16string& name);
  // Copies the page fixture as first.tif and second.tif, starts the program
  // and opens the two by DDE in turn, the second once the first is stored
  // (while a file is opened the program takes no other); true when both are
  // in the page index. dde keeps the conversation.
  bool StartAndOpenTwoPages(DdeClient* dde, const std::u16string& first, const std::u16string& second);
  // A conversation with "Korvalinde"/"System".
  bool ConnectDde(DdeClient* client, DWORD timeoutMs = kStartTimeoutMs);
  // Brings the frame to the front, where typed input (SendInput) reaches it;
  // false when it does not come there within a few seconds.
  bool FrameInFront();

  // A path in the harness's own folder of input files (C:\e2e-files).
  static std::u16string InputPath(const std::u16string& name);
  // A copy of a one-page engraved TIFF (300 dpi) under the name given.
  static std::u16string CopyPageTiff(const std::u16string& name);
  // Writes a small score in backup form into the page folder under name
  // ("_BackupFile_" or "_SVBackupFile_").
  static bool SeedBackup(const char16_t* name);
  // Writes the flute score of StartWithFluteScore as "_BackupFile_".
  static bool SeedFluteBackup(const std::vector<uint8_t>& part);
  // Writes the same small score as a score file (".opt") at path.
  static bool WriteSmallScore(const std::u16string& path);

  static bool PagesFileExists(const char16_t* name);
  // The rows of the program's page index whose page name begins with stem
  // (case ignored); -1 when the index cannot be read.
  static int PagesNamed(const std::u16string& stem);
  // The first row of the page index whose name begins with stem; false when
  // there is none or the index cannot be read.
  static bool PageNamed(const std::u16string& stem, struct PageRecord* record);
  // The row of the page index holding the first page named stem; -1 when
  // there is none or the index cannot be read.
  static int RowOfPage(const std::u16string& stem);

  // Save As with the MusicXML type chosen in the dialog, to path; waits for
  // the exported file.
  bool SaveAsMusicXml(const std::u16string& path, DWORD timeoutMs);
  // The same with a name typed as it stands, waiting for the file written.
  bool SaveAsMusicXml(const std::u16string& typed, const std::u16string& written, DWORD timeoutMs);

  ProgramUnderTest program;

 private:
  // Starts the program, answers Yes to restoring the backup, and waits for
  // the frame.
  bool StartRestoringBackup();
  // Whether this case copied the page fixture.
  static bool& PagesCopied();
};

// The pages pane of the frame, and where its read section begins (the top
// of the lower of its two section scroll bars).
HWND PagesPaneOf(HWND frame);
int ReadSectionTop(HWND pane);

// The file dialog's file name box, the number of types it offers (-1 when
// it does not answer), and a type (from 1) chosen as the user would.
int FileNameBox(HWND dialog);
int TypeCount(HWND dialog);
bool ChooseType(HWND dialog, int type);
// Makes, in the harness's memory, a score of one part ("Piano") whose
// stream holds pageMarks page marks, each after a staff boundary; its page
// list holds the first 20 pages, with the data ids of dataIds (the rest
// none) and keys from keyBase up. The page folder is seeded; the score is
// then written with WriteScoreFile.
bool MakePagedScore(int pageMarks, const std::vector<uint16_t>& dataIds, uint32_t keyBase);
// The bytes of a file the program may replace at any moment, read with
// every sharing right; empty when it cannot be read.
std::string SharedFileBytes(const std::u16string& path);
// The file at path begins with these bytes.
bool FileBegins(const std::u16string& path, const std::string& start);
