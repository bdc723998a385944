#include <gtest/gtest.h>

#include "platform/ShellFlags.h"

TEST(ShellFlags, StartCleared) {
  EXPECT_EQ(Flags().abort.load(), 0u);
  EXPECT_EQ(Flags().startupAbort.load(), 0u);
}
