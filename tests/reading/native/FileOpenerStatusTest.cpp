#include <gtest/gtest.h>

#include "pages/PageTable.h"
#include "platform/native/NativePlatform.h"
#include "reading/FileOpener.h"
#include "reading/FileOpenerStrings.h"
#include "tests/reading/OpenerFixture.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/TestText.h"

namespace {

TEST_F(OpenerTest, TheResolutionQuestionShowsItsStatusText) {
  std::u16string path = scratch_.File(u"none.tif");
  OpenerPage page;
  page.withResolution = false;
  WriteOpenerTiff(path, {page});
  platform::ClearRecordedForTest();
  BoxRecorder boxes;
  EXPECT_EQ(OpenTiffFile(path.c_str(), u".tif"), 0);
  EXPECT_EQ(platform::RecordedStatusFields()[2], UiText(kStrSelectResolution));
  EXPECT_EQ(pageTable.pageCount, 0u);
}

}  // namespace
