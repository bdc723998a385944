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

#include "PageReading.h"
#include "tests/support/TestPaths.h"

namespace {

namespace fs = std::filesystem;

fs::path Narrow(const std::u16string& path) { return fs::path(std::string(path.begin(), path.end())); }

class ReadPathTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { loaded = SetUpReadingPath(KV_PROGRAM_FOLDER); }

  // Reads the page into a new score and exports it to `out`.
  static bool ReadAndExport(const fs::path& tiff, const fs::path& out) {
    const ReadPageResult result =
        ReadPageFile(tiff.string(), Narrow(BuildPath("readpath-store")).string(), out.string());
    return result.read && !result.musicXmlPath.empty();
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
