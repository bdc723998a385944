#include "platform/Messages.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "platform/HandleTestControls.h"
#include "platform/Platform.h"
#include "platform/ShellFlags.h"
#include "tests/support/BoxRecorder.h"

namespace {

const std::u16string kCaption = u"Message from Velmorant Korvalinde";

TEST(Messages, MessageByIdShowsTheTextWithTheInformationIcon) {
  BoxRecorder boxes;
  EXPECT_EQ(MessageById(nullptr, 10221), platform::kAnswerOk);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, u"Can't open registry");
  EXPECT_EQ(boxes.Boxes()[0].caption, kCaption);
  EXPECT_EQ(boxes.Boxes()[0].style & 0xF0u, platform::kBoxIconInformation);
}

TEST(Messages, ErrorBoxReturnsTheAnswer) {
  BoxRecorder boxes;
  boxes.QueueAnswer(platform::kAnswerCancel);
  EXPECT_EQ(ErrorBox(nullptr, u"Something failed"), platform::kAnswerCancel);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, u"Something failed");
  EXPECT_EQ(boxes.Boxes()[0].caption, kCaption);
  EXPECT_EQ(boxes.Boxes()[0].style & 0xF0u, platform::kBoxIconError);
}

TEST(Messages, LoadUiStringReturnsOneAndEmptyForAnUnknownId) {
  char16_t buffer[64] = {u'x'};
  EXPECT_EQ(LoadUiString(10233, buffer, 64), 1);
  EXPECT_EQ(std::u16string(buffer), u"File could not be opened");
  EXPECT_EQ(LoadUiString(10233, buffer, 5), 1);
  EXPECT_EQ(std::u16string(buffer), u"File");
  EXPECT_EQ(LoadUiString(3, buffer, 64), 1);  // 3 has no string
  EXPECT_EQ(std::u16string(buffer), u"");
}

// Allocations fail and the free-memory figure is fixed while one lives.
class ShortOfMemory {
 public:
  explicit ShortOfMemory(uint64_t freeBytes) {
    SetFreeMemoryForTest(freeBytes);
    FailAllocationsForTest(true);
  }
  ~ShortOfMemory() {
    FailAllocationsForTest(false);
    ClearFreeMemoryForTest();
  }
};

TEST(Handles, CheckedAllocationWithoutCallerTextShowsNothing) {
  BoxRecorder boxes;
  ShortOfMemory shortage(1000);
  Handle handle = &boxes;
  EXPECT_EQ(AllocHandleChecked(&handle, 100, 0, 1), 0);
  EXPECT_EQ(handle, nullptr);
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(Handles, CheckedAllocationReportsTheShortfall) {
  struct Case {
    size_t n;
    int exitFlag;
    const char16_t* text;
  } cases[] = {
      {3048, 0, u"File could not be loaded - Need 2k more."},
      {2023, 0, u"File could not be loaded - Need 1023bytes more."},
      {1024 + 1000, 0, u"File could not be loaded - Need 1k more."},
      // An allocation may fail with memory to spare: at least one byte.
      {10, 0, u"File could not be loaded - Need 1bytes more."},
      {3048, 1, u"File could not be loaded - Need 2k more. - Korvalinde will now exit."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n);
    BoxRecorder boxes;
    ShortOfMemory shortage(1000);
    Handle handle = nullptr;
    EXPECT_EQ(AllocHandleChecked(&handle, c.n, 10234, c.exitFlag), 0);
    EXPECT_EQ(handle, nullptr);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, c.text);
    EXPECT_EQ(boxes.Boxes()[0].caption, kCaption);
    EXPECT_EQ(boxes.Boxes()[0].style & 0xF0u, platform::kBoxIconError);
  }
}

TEST(Handles, AllocateTakeAndFree) {
  BoxRecorder boxes;
  Handle a = nullptr;
  ASSERT_EQ(AllocHandleChecked(&a, 16, 10234, 1), 1);
  EXPECT_EQ(HandleSize(a), 16u);
  std::memset(a, 7, 16);
  Handle b = nullptr;
  TakeHandle(&a, &b);
  EXPECT_EQ(a, nullptr);
  EXPECT_EQ(HandleSize(b), 16u);
  Handle kept = b;
  TakeHandle(&a, &b);  // from a null handle: nothing changes
  EXPECT_EQ(b, kept);
  FreeHandle(&b);
  EXPECT_EQ(b, nullptr);
  EXPECT_EQ(HandleSize(b), 0u);
  FreeHandle(&b);  // freeing a null handle is harmless
  EXPECT_TRUE(boxes.Boxes().empty());
}

std::string Bytes(Handle h) { return h ? std::string(static_cast<const char*>(h), HandleSize(h)) : "<null>"; }

TEST(Handles, ResizeAtOpensAndClosesGaps) {
  struct Case {
    size_t offset;
    long n;
    int result;
    std::string bytes;
  } cases[] = {
      {6, 3, 1, std::string("abcdef\0\0\0", 9)},  // at the end: appended
      {2, 2, 1, std::string("ab\0\0cdef", 8)},
      {0, 1, 1, std::string("\0abcdef", 7)},
      {4, -2, 1, "abef"},  // removes the bytes just before the offset
      {6, -6, 1, ""},
      {6, -1, 1, "abcde"},
      {3, 0, 1, "abcdef"},
      {7, 1, 0, "abcdef"},   // past the end
      {7, -1, 0, "abcdef"},
      {2, -3, 0, "abcdef"},  // more bytes than lie before the offset
      {0, -1, 0, "abcdef"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.offset << " " << c.n);
    Handle h = nullptr;
    ASSERT_EQ(AllocHandle(&h, 6), 1);
    std::memcpy(h, "abcdef", 6);
    EXPECT_EQ(ResizeHandleAt(&h, c.offset, c.n), c.result);
    EXPECT_EQ(Bytes(h), c.bytes);
    FreeHandle(&h);
  }
}

TEST(Handles, ResizeAtOfANullHandle) {
  Handle h = nullptr;
  EXPECT_EQ(ResizeHandleAt(&h, 1, 4), 0);
  EXPECT_EQ(h, nullptr);
  EXPECT_EQ(ResizeHandleAt(&h, 0, -1), 0);
  EXPECT_EQ(ResizeHandleAt(&h, 0, 4), 1);
  EXPECT_EQ(HandleSize(h), 4u);
  FreeHandle(&h);
}

TEST(Handles, FailedResizeKeepsTheOldBlock) {
  Handle h = nullptr;
  ASSERT_EQ(AllocHandle(&h, 4), 1);
  std::memcpy(h, "wxyz", 4);
  Handle before = h;
  {
    ShortOfMemory shortage(0);
    EXPECT_EQ(ResizeHandleAt(&h, 2, 1000), 0);
    EXPECT_EQ(h, before);
    EXPECT_EQ(Bytes(h), "wxyz");
    EXPECT_EQ(ResizeHandleAt(&h, 4, -2), 1);  // shrinking still works
    EXPECT_EQ(Bytes(h), "wx");
    Handle other = &shortage;
    EXPECT_EQ(AllocHandle(&other, 8), 0);
    EXPECT_EQ(other, nullptr);
  }
  FreeHandle(&h);
}

TEST(Handles, HeapIsValid) { EXPECT_TRUE(IsHeapValid()); }

class Abort : public ::testing::Test {
 protected:
  void TearDown() override {
    Flags().abort = 0;
    Flags().secondStop = 0;
    Flags().backgroundReading = 0;
  }
};

TEST_F(Abort, StopsOnEveryCallOnceTheFlagIsSet) {
  EXPECT_EQ(PollUserAbort(1), 1);
  Flags().abort = 1;
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(PollUserAbort(1), 0);
    EXPECT_EQ(PollUserAbort(0), 0);
  }
  Flags().abort = 0;
  EXPECT_EQ(PollUserAbort(1), 1);
}

TEST_F(Abort, CheckZeroClearsTheSecondStopFlag) {
  Flags().secondStop = 1;
  EXPECT_EQ(PollUserAbort(1), 1);
  EXPECT_EQ(Flags().secondStop.load(), 1u);
  EXPECT_EQ(PollUserAbort(0), 1);
  EXPECT_EQ(Flags().secondStop.load(), 0u);
}

TEST(Clock, CountsHundredthsForward) {
  uint32_t before = GetCentiseconds();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_GE(GetCentiseconds() - before, 2u);
}

}  // namespace
