#include <gtest/gtest.h>

#include "shell/PartPlaybackValues.h"

TEST(PartPlaybackValues, ResetGivesEveryPartSlotTheStartValue) {
  PartPlaybackValues().fill(0);
  PartPlaybackValues()[12] = 7;
  ResetPartPlaybackValues();
  for (int value : PartPlaybackValues()) EXPECT_EQ(value, 2);
}
