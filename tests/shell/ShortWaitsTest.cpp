// The short waits of the interface thread: they last the hundredths of a
// second asked for on the process clock, also across the clock's wrap.
#include <gtest/gtest.h>

#include <cstdint>

#include "shell/ShortWaits.h"

namespace {

uint32_t FakeNow = 0;
int Sleeps = 0;
uint32_t ReadFake() { return FakeNow; }
// Each millisecond slept moves the clock on by a tenth of a hundredth.
unsigned Tenths = 0;
void SleepFake(unsigned milliseconds) {
  ++Sleeps;
  Tenths += milliseconds;
  FakeNow += Tenths / 10;
  Tenths %= 10;
}

class ShortWaitsTest : public testing::Test {
 protected:
  void SetUp() override { SetWaitClock(ReadFake, SleepFake); }
  void TearDown() override { SetWaitClock(nullptr, nullptr); }
};

TEST_F(ShortWaitsTest, AWaitLastsItsHundredths) {
  struct Case {
    const char* name;
    uint32_t start;
    uint32_t count;
  };
  const Case cases[] = {
      {"the click pause", 1000, kViewClickPauseCentiseconds},
      {"across the clock's wrap", 0xFFFFFFFEu, kKeypadFlashCentiseconds},
      {"nothing to wait", 42, 0},
  };
  for (const Case& c : cases) {
    FakeNow = c.start;
    Sleeps = 0;
    Tenths = 0;
    WaitCentiseconds(c.count);
    EXPECT_EQ(FakeNow - c.start, c.count) << c.name;
    EXPECT_EQ(Sleeps, int(10 * c.count)) << c.name;  // a millisecond at a time
  }
}

}  // namespace
