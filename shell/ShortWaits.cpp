#include "shell/ShortWaits.h"

#include <chrono>
#include <thread>

#include "platform/Messages.h"

namespace {

WaitClock Clock = nullptr;
WaitSleep Sleep = nullptr;

void RealSleep(unsigned milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

}  // namespace

void WaitCentiseconds(uint32_t count) {
  const WaitClock now = Clock ? Clock : GetCentiseconds;
  const WaitSleep sleep = Sleep ? Sleep : RealSleep;
  const uint32_t start = now();
  // Unsigned differences: right across the clock's wrap as well.
  while (now() - start < count) sleep(1);
}

void SetWaitClock(WaitClock clock, WaitSleep sleep) {
  Clock = clock;
  Sleep = sleep;
}
