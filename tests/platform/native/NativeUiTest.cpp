// The user's Esc, status texts and beeps through the native seam's controls.
#include <gtest/gtest.h>

#include <string>

#include "platform/Messages.h"
#include "platform/Platform.h"
#include "platform/ShellFlags.h"
#include "platform/native/NativePlatform.h"

namespace {

class UserAbort : public ::testing::Test {
 protected:
  void TearDown() override {
    platform::ResetInputForTest();
    Flags().abort = 0;
    Flags().backgroundReading = 0;
  }
  // Polls until it stops or until the key has been checked a few times over.
  int PollForAWhile() {
    uint32_t until = GetCentiseconds() + 4;
    while (static_cast<int32_t>(GetCentiseconds() - until) < 0) {
      if (PollUserAbort(1) == 0) return 0;
    }
    return PollUserAbort(1);
  }
};

TEST_F(UserAbort, EscWithFocusStops) {
  platform::SetKeyDownForTest(platform::kKeyEscape, true);
  platform::SetFocusForTest(true);
  EXPECT_EQ(PollForAWhile(), 0);
  EXPECT_EQ(Flags().abort.load(), 1u);
  platform::SetKeyDownForTest(platform::kKeyEscape, false);
  EXPECT_EQ(PollUserAbort(1), 0);  // the flag holds after the key is up
}

TEST_F(UserAbort, EscWithoutFocusIsNotSeen) {
  platform::SetKeyDownForTest(platform::kKeyEscape, true);
  EXPECT_TRUE(::IsKeyDown(platform::kKeyEscape));
  EXPECT_FALSE(IsEscapePressed());
  EXPECT_EQ(PollForAWhile(), 1);
}

TEST_F(UserAbort, EscIsIgnoredWhileReadingInTheBackground) {
  platform::SetKeyDownForTest(platform::kKeyEscape, true);
  platform::SetFocusForTest(true);
  Flags().backgroundReading = 1;
  EXPECT_EQ(PollForAWhile(), 1);
  EXPECT_EQ(Flags().abort.load(), 0u);
  Flags().abort = 1;  // the pages pane's stop command
  EXPECT_EQ(PollUserAbort(1), 0);
}

TEST_F(UserAbort, CheckZeroDoesNotLookAtTheKeyboard) {
  platform::SetKeyDownForTest(platform::kKeyEscape, true);
  platform::SetFocusForTest(true);
  uint32_t until = GetCentiseconds() + 3;
  while (static_cast<int32_t>(GetCentiseconds() - until) < 0) ASSERT_EQ(PollUserAbort(0), 1);
  EXPECT_EQ(Flags().abort.load(), 0u);
}

TEST(StatusTexts, ByIdAndClearTime) {
  platform::ClearRecordedForTest();
  SetStatusTextById(10233);
  EXPECT_EQ(platform::RecordedStatusFields(), (std::map<int, std::u16string>{{2, u"File could not be opened"}}));
  ShowStatusClearTime(10229);
  EXPECT_EQ(platform::RecordedStatusFields(),
            (std::map<int, std::u16string>{{0, u"--m --s"}, {2, u"Cannot open "}}));
}

TEST(Beep, IsCounted) {
  int before = platform::RecordedBeepCount();
  DefaultBeep();
  EXPECT_EQ(platform::RecordedBeepCount(), before + 1);
}

}  // namespace
