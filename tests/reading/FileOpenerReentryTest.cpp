#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reading/FileOpener.h"
#include "reading/FileOpenerHooks.h"
#include "tests/reading/OpenerFixture.h"

namespace {

std::vector<std::u16string> opened;
std::u16string latePath;

// Opening the first PDF lets a request through that queues another path and
// asks for the queue to be opened, as a message handled inside a box would.
int OpenPdfAndRequestMore(const char16_t* path) {
  opened.push_back(path);
  if (opened.size() == 1) {
    EXPECT_TRUE(QueueFileToOpen(latePath.c_str(), u""));
    OpenFileByType();
    EXPECT_EQ(OpenFiles.count, 2);  // the nested request changed nothing
  }
  return 0;
}

class FileOpenerReentry : public OpenerTest {
 protected:
  void SetUp() override {
    OpenerTest::SetUp();
    opened.clear();
    FileOpenerHooks hooks = {};
    hooks.openPdf = OpenPdfAndRequestMore;
    SetFileOpenerHooks(hooks);
  }
  void TearDown() override {
    ResetFileOpenerHooks();
    OpenFiles.count = 0;
    OpenerTest::TearDown();
  }
};

TEST_F(FileOpenerReentry, PathsQueuedDuringADrainAreOpenedByThatDrain) {
  const std::u16string first = scratch_.File(u"a.pdf");
  latePath = scratch_.File(u"late.pdf");
  WriteFileBytes(first, {'%', 'P', 'D', 'F'});
  WriteFileBytes(latePath, {'%', 'P', 'D', 'F'});
  ASSERT_TRUE(QueueFileToOpen(first.c_str(), u""));
  OpenFileByType();
  EXPECT_EQ(opened, (std::vector<std::u16string>{first, latePath}));
  EXPECT_EQ(OpenFiles.count, 0);
  EXPECT_FALSE(OpenFiles.busy);
}

}  // namespace
