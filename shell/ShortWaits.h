// Short waits of the user-interface thread, counted on the process clock in
// hundredths of a second: the pause before the score view acts on a mouse
// button, and the moment a keypad key shows pressed.
#pragma once

#include <cstdint>

constexpr uint32_t kViewClickPauseCentiseconds = 5;
constexpr uint32_t kKeypadFlashCentiseconds = 5;

// Returns once `count` hundredths of a second have passed on the clock,
// sleeping a millisecond between readings.
void WaitCentiseconds(uint32_t count);

// The clock and the sleep of the waits (tests); null puts back the
// process clock and the real sleep.
using WaitClock = uint32_t (*)();
using WaitSleep = void (*)(unsigned milliseconds);
void SetWaitClock(WaitClock clock, WaitSleep sleep);
