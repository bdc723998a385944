// Small engraved pages read through the whole reading path as the program
// reads them: the page opened from its TIFF into a page store, read on the
// reading thread with the recognition stages and score building, merged into
// a new score and exported as MusicXML. The exports are written below the
// build tree ("readpath/NAME.musicxml"), where check_read_pages.py compares
// each, note by note, with the score the page was engraved from (the ctest
// entry readpath_notes_check, which needs this one first).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "building/ScoreBuildingStages.h"
#include "export/ExportEntries.h"
#include "pages/PageTable.h"
#include "platform/Folders.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "platform/ShellFlags.h"
#include "reading/FileOpener.h"
#include "reading/ReadPageHandOver.h"
#include "reading/ReadingThread.h"
#include "score/ScoreFile.h"
#include "score/ScoreStreams.h"
#include "shapes/ClassifierStartup.h"
#include "stages/RecognitionStages.h"
#include "tests/reading/ScriptedReading.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestPaths.h"

namespace {

namespace fs = std::filesystem;

fs::path Narrow(const std::u16string& path) { return fs::path(std::string(path.begin(), path.end())); }

class ReadPathTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SetResourceFolder(u"" KV_PROGRAM_FOLDER "/");
    loaded = BuildShapeDatabase();
    Unsaved().readTuplets = true;  // rhythm correction on, as the benchmark reads
    InstallRecognitionStages();
    InstallScoreBuildingStages();
  }
  static void TearDownTestSuite() {
    FreeShapeDatabases();
    SetReadingHost(nullptr);
  }

  // Reads the page into a new score and exports it to `out`.
  bool ReadAndExport(const fs::path& tiff, const fs::path& out) {
    ScratchFolder store;
    SetDataFolder(store.Path().c_str());
    char16_t pages[600];
    MakeMusicPagesPath(pages, 600, u"");
    platform::MakeDirectory(pages);
    pageTable = PageTable{};
    pageTable.currentPage = -1;
    ResetScoreContent();
    ResetPartRecords();
    CurrentScore = ScoreDocument{};
    Flags().abort = 0;
    const std::string page = tiff.string();
    if (OpenTiffFile(std::u16string(page.begin(), page.end()).c_str(), u".tif") != 1 || pageTable.pageCount < 1)
      return false;
    const int row = static_cast<int>(pageTable.pageCount) - 1;
    pageTable.rows[row].flags |= kPageSelected;
    QuietReadingHost host;
    SetReadingHost(&host);
    if (!StartReading(row)) return false;
    JoinReadingThread();
    bool done = false;
    for (unsigned message : host.posted) done = done || message == kReadPageDoneMessage;
    if (done) AddReadPageToScore();
    ReadingActive() = 0;
    SetReadingHost(nullptr);
    const std::string path = out.string();
    return done && ScorePages.count > 0 && ExportMusicXml(std::u16string(path.begin(), path.end()).c_str());
  }

  static bool loaded;
};
bool ReadPathTest::loaded = false;

TEST_F(ReadPathTest, EveryFixturePageIsReadAndExported) {
  ASSERT_TRUE(loaded) << "the classifier databases of " KV_PROGRAM_FOLDER "/Resources did not load";
  const fs::path fixtures = Narrow(SourcePath("tests/readpath/fixtures"));
  const fs::path exports = Narrow(BuildPath("readpath"));
  fs::create_directories(exports);
  int pages = 0;
  for (const auto& entry : fs::directory_iterator(fixtures)) {
    if (entry.path().extension() != ".tif") continue;
    const fs::path out = exports / (entry.path().stem().string() + ".musicxml");
    fs::remove(out);
    EXPECT_TRUE(ReadAndExport(entry.path(), out)) << entry.path().filename();
    ++pages;
  }
  EXPECT_GT(pages, 0);
}

}  // namespace
