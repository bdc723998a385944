// An engraved page opened by DDE is read into the score and saved as
// MusicXML through Save As, as a user would. The file is written below the
// build tree ("e2e-exports/read-page.xml"), where the outside checks of the
// ctest entry e2e_export_outside_check (xmllint against the MusicXML 1.0
// DTD, MuseScore 3 reading it back) take it after this case. The page is a
// melody: the file holds at least one part with a bar and a pitched note.
#include <windows.h>

#include <string>

#include "pages/PageTable.h"
#include "tests/e2e/ProgramCase.h"
#include "tests/support/TestPaths.h"

namespace {

constexpr DWORD kExportTimeoutMs = 30000;

// The text of a file written by the program (empty when it cannot be read).
std::string FileText(const std::u16string& path) {
  HANDLE file = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
  CloseHandle(file);
  return text;
}

}  // namespace

TEST_F(ProgramCase, AnEngravedPageIsReadIntoTheScoreAndSavedAsMusicXml) {
  const std::u16string exports = BuildPath("e2e-exports");
  CreateDirectoryW(W(exports), nullptr);
  const std::u16string exported = exports + u"\\read-page.xml";
  DeleteFileW(W(exported));  // a file of an earlier run proves nothing

  ASSERT_TRUE(StartQuietly());
  // The stages write the page's clef and bars at least: the read page is
  // merged into the score (state read) and the score has pages to save.
  ASSERT_TRUE(ReadPageByDde(u"readexport"));
  PageRecord record;
  ASSERT_TRUE(PageNamed(u"readexport", &record));
  EXPECT_EQ(record.flags & kPageHasProblem, 0u) << "the staves of the engraved page are found";

  ASSERT_TRUE(SaveAsMusicXml(exported, kExportTimeoutMs));
  ASSERT_TRUE(program.StaysQuiet(500)) << "the export showed a box";
  // Exit asks about the score made by reading; No discards it.
  ASSERT_TRUE(ExitDiscardingChanges());
  const std::string text = FileText(exported);
  EXPECT_NE(text.find("<score-partwise"), std::string::npos);
  const size_t part = text.find("<part id=");
  ASSERT_NE(part, std::string::npos) << "the score read from the page has no part";
  EXPECT_NE(text.find("<measure", part), std::string::npos) << "the part has no bar";
  EXPECT_NE(text.find("<pitch>", part), std::string::npos) << "no note of the melody was read";
  EXPECT_NE(text.rfind("</score-partwise>"), std::string::npos) << "the file is cut short";
}
