#include <gtest/gtest.h>

#include "platform/native/NativePlatform.h"
#include "shell/KeyCodes.h"

TEST(KeyCodesHeld, ReadsTheModifiersFromTheKeyboard) {
  platform::ResetInputForTest();
  platform::SetKeyDownForTest(0x11, true);
  EXPECT_EQ(TranslateKeyNow('Z'), 602);
  platform::SetKeyDownForTest(0x10, true);
  EXPECT_EQ(TranslateKeyNow(0x70), 433);
  platform::SetKeyDownForTest(0x12, true);
  EXPECT_EQ(TranslateKeyNow('A'), 2113);
  platform::ResetInputForTest();
  EXPECT_EQ(TranslateKeyNow(0x61), '1');
}
