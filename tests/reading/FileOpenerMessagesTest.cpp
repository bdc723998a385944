// What the user is told when an opened file gives no page: one error box that
// names the file and says why, and nothing stored.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "pages/PageTable.h"
#include "pages/SpriteStrings.h"
#include "reading/FileOpener.h"
#include "reading/FileOpenerHooks.h"
#include "reading/FileOpenerStrings.h"
#include "tests/reading/OpenerFixture.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestText.h"
#include "tests/support/TiffBytes.h"

namespace {

int readNext = 0;
void ReadNext() { ++readNext; }
constexpr uint16_t kUncompressed = 1;

// A real TIFF with its second half (the directory behind the pixels) gone.
std::vector<uint8_t> TiffCutInHalf(const std::u16string& path) {
  WriteOpenerTiff(path, {OpenerPage{}});
  std::vector<uint8_t> bytes = ReadBytes(path);
  bytes.resize(bytes.size() / 2);
  return bytes;
}

class FileOpenerMessages : public OpenerTest {
 protected:
  void SetUp() override {
    OpenerTest::SetUp();
    readNext = 0;
    FileOpenerHooks hooks{};
    hooks.readNextPendingPage = ReadNext;
    SetFileOpenerHooks(hooks);
  }
};

TEST_F(FileOpenerMessages, AFileThatGivesNoPageIsNamedWithTheReason) {
  struct Case {
    const char* what;
    std::u16string name;
    std::vector<uint8_t> bytes;
    bool write;
    unsigned headline;
    unsigned reason;
  };
  const std::u16string cut = scratch_.File(u"cut source.tif");
  const std::string text = "Allegro, first movement\n";
  const Case cases[] = {
      {"empty", u"empty.tif", {}, true, kStrTiffDidNotOpen, kStrFileEmpty},
      {"text", u"notes.tif", std::vector<uint8_t>(text.begin(), text.end()), true, kStrTiffDidNotOpen,
       kStrNotATiff},
      {"missing", u"gone.tif", {}, false, kStrFileDidNotOpen, kStrFileMissing},
      {"cut in half", u"half.tif", TiffCutInHalf(cut), true, kStrTiffDidNotOpen, kStrTiffCutShort},
      {"pixels cut off", u"short.tif", ClaimingTiff(64, 48, kUncompressed, 100), true, kStrTiffDidNotOpen,
       kStrTiffReadProblem},
      {"PNG", u"page.png", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, true, kStrFileDidNotOpen,
       kStrNotAnOpenedType},
      {"PDF", u"score.pdf", {'%', 'P', 'D', 'F', '-', '1', '.', '4'}, true, kStrFileDidNotOpen,
       kStrPdfNotAvailable},
      {"empty, no extension", u"scan", {}, true, kStrFileDidNotOpen, kStrFileEmpty},
      {"text, no extension", u"readme", std::vector<uint8_t>(text.begin(), text.end()), true, kStrFileDidNotOpen,
       kStrNotAnOpenedType},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::u16string path = scratch_.File(c.name);
    if (c.write) WriteFileBytes(path, c.bytes);
    BoxRecorder boxes;
    ASSERT_TRUE(QueueFileToOpen(path.c_str(), u""));
    OpenFileByType();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_TRUE(SaysInOrder(boxes.Boxes()[0].text, {UiText(c.headline), path, UiText(c.reason)}))
        << U8(boxes.Boxes()[0].text);
    EXPECT_EQ(pageTable.pageCount, 0u);
    EXPECT_EQ(readNext, 0);
    EXPECT_EQ(OpenFiles.count, 0);
  }
}

TEST_F(FileOpenerMessages, TheFilesOfOneReasonAreToldInOneBox) {
  std::vector<std::u16string> missing;
  for (char16_t n = u'a'; n < u'a' + 12; ++n) {
    missing.push_back(scratch_.File(std::u16string(u"missing ") + n + u".tif"));
    ASSERT_TRUE(QueueFileToOpen(missing.back().c_str(), u""));
  }
  const std::u16string image = scratch_.File(u"page.png");
  WriteFileBytes(image, {0x89, 'P', 'N', 'G'});
  ASSERT_TRUE(QueueFileToOpen(image.c_str(), u""));
  BoxRecorder boxes;
  OpenFileByType();
  ASSERT_EQ(boxes.Boxes().size(), 2u);
  const std::u16string& many = boxes.Boxes()[0].text;
  EXPECT_TRUE(SaysInOrder(many, {UiText(kStrFilesDidNotOpen), missing[0], missing[9], UiText(kStrAndMore),
                                 UiText(kStrFileMissing)}))
      << U8(many);
  EXPECT_EQ(many.find(missing[10]), std::u16string::npos) << "ten files are named";
  EXPECT_TRUE(SaysInOrder(boxes.Boxes()[1].text, {UiText(kStrFileDidNotOpen), image, UiText(kStrNotAnOpenedType)}));
}

// The pixels-cut case above must fail for its pixels, not for want of a
// readable directory: whole, the file opens as one 64 x 48 page.
TEST_F(FileOpenerMessages, TheCutPixelsFixtureWholeOpens) {
  FileOpenerHooks hooks{};
  hooks.askPageResolution = [](const char16_t*, uint32_t suggested) { return suggested; };
  SetFileOpenerHooks(hooks);
  const std::u16string path = scratch_.File(u"short.tif");
  WriteFileBytes(path, ClaimingTiff(64, 48, kUncompressed, 64 * 48));
  BoxRecorder boxes;
  ASSERT_TRUE(QueueFileToOpen(path.c_str(), u""));
  OpenFileByType();
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_EQ(pageTable.pageCount, 1u);
}

TEST_F(FileOpenerMessages, APdfFileGoesToTheLoaderOnceOneIsInstalled) {
  EXPECT_FALSE(PdfPagesAvailable());
  FileOpenerHooks hooks{};
  hooks.openPdf = [](const char16_t*) { return 1; };
  SetFileOpenerHooks(hooks);
  EXPECT_TRUE(PdfPagesAvailable());
  const std::u16string path = scratch_.File(u"score.pdf");
  WriteFileBytes(path, {'%', 'P', 'D', 'F'});
  BoxRecorder boxes;
  ASSERT_TRUE(QueueFileToOpen(path.c_str(), u""));
  OpenFileByType();
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_EQ(readNext, 1);
}

}  // namespace
