#include <gtest/gtest.h>

#include "score/ScoreStreams.h"
#include "shell/PartPlaybackValues.h"

TEST(PartPlaybackValues, ResetGivesEveryPartSlotTheStartValue) {
  static_assert(kPlaybackPartSlots == kPartSlots, "one value per part slot");
  PartPlaybackValues().fill(0);
  PartPlaybackValues()[12] = 7;
  ResetPartPlaybackValues();
  for (int value : PartPlaybackValues()) EXPECT_EQ(value, 2);
}
