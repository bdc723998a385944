#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/Folders.h"
#include "platform/Platform.h"
#include "shell/ShellServices.h"
#include "shell/WorkFolders.h"
#include "tests/support/ScratchFolder.h"

namespace {

int undoClears = 0;

class WorkFoldersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = DataFolder();
    SetDataFolder(scratch_.Path().c_str());
    ASSERT_TRUE(platform::MakeDirectory(Pages(u"").c_str()));
    undoClears = 0;
    ShellServices services{};
    services.clearScoreUndo = [] { ++undoClears; };
    SetShellServices(services);
  }
  void TearDown() override {
    ResetShellServices();
    SetDataFolder(saved_.c_str());
  }
  std::u16string Pages(const std::u16string& name) {
    return scratch_.File(kPageStoreFolderName) + (name.empty() ? u"" : u"/" + name);
  }
  void Folder(const std::u16string& name) { ASSERT_TRUE(platform::MakeDirectory(Pages(name).c_str())); }
  void File(const std::u16string& name) {
    std::FILE* file = platform::OpenStream(Pages(name).c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("x", file);
    std::fclose(file);
  }
  // A file or a folder.
  bool Exists(const std::u16string& name) {
    platform::FindRecord record;
    platform::FindHandle found = platform::FindFirst(Pages(name).c_str(), &record);
    if (found == platform::kNoFind) return false;
    platform::FindClose(found);
    return true;
  }

  ScratchFolder scratch_;
  std::u16string saved_;
};

TEST_F(WorkFoldersTest, CleaningRemovesTheWorkingCopiesOnly) {
  Folder(u"TDir0000");
  File(u"TDir0000/Data0005");
  Folder(u"TDir0001");
  Folder(u"ScanData");
  File(u"ScanData/part");
  File(u"Transfer");
  Folder(u"Dir0000");
  File(u"Dir0000/Scan0005");
  File(u"!Index");
  CleanWorkFolders();
  for (const char16_t* gone : {u"TDir0000", u"TDir0001", u"ScanData", u"Transfer"}) EXPECT_FALSE(Exists(gone));
  for (const char16_t* kept : {u"Dir0000/Scan0005", u"!Index"}) EXPECT_TRUE(Exists(kept));
  EXPECT_EQ(undoClears, 1);
}

TEST_F(WorkFoldersTest, TemporaryPdfPagesGoTheirFolderStays) {
  Folder(u"PDF");
  File(u"PDF/page1.bmp");
  File(u"PDF/page2.bmp");
  DeleteTemporaryPdfPages();
  EXPECT_FALSE(Exists(u"PDF/page1.bmp"));
  EXPECT_FALSE(Exists(u"PDF/page2.bmp"));
  EXPECT_TRUE(Exists(u"PDF"));
}

}  // namespace
