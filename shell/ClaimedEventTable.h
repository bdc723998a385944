// One table of short periodic callbacks for the views, the editor and
// playback. An entry with owner key 0 runs a 10 ms window timer; the window's
// WM_TIMER handler asks the table to call the callbacks that match it. Other
// entries only wait to be matched by DispatchClaimedTimers.
#pragma once

#include <cstdint>

constexpr int kClaimedEventSlots = 128;
constexpr uint32_t kClaimedTimerPeriodMs = 10;
constexpr uint32_t kLastClaimedTimerId = 0x10000;
// Window timers that are not the table's; it never hands these ids out.
constexpr uint32_t kDragScrollTimerId = 1000;   // auto-scroll of a view drag
constexpr uint32_t kReadingTimerId = 32779;     // the frame's next-page timer
// The key window procedures dispatch with on WM_TIMER.
constexpr int32_t kTimerMessageKey = -1;
// The value of a window or parameter that matches any at dispatch.
constexpr uintptr_t kClaimAnyValue = 99;

// What every callback gets: a zero and the window that last had the mouse.
struct ClaimedEventContext {
  uint32_t zero = 0;
  void* hoverWindow = nullptr;
};
using ClaimedEventCallback = void (*)(const ClaimedEventContext* context, uint32_t timerId);

struct ClaimedEvent {
  uint32_t ownerKey;
  void* window;
  int32_t parameter;
  ClaimedEventCallback callback;
  uint32_t timerId;
};

struct ClaimedEventTable {
  int32_t count = 0;
  ClaimedEvent entries[kClaimedEventSlots] = {};
  uint32_t nextTimerId = 1;
  uintptr_t anyWindow = kClaimAnyValue;
  int32_t anyParameter = static_cast<int32_t>(kClaimAnyValue);
};
extern ClaimedEventTable ClaimedEvents;

// 1 when claimed (an entry with the same four values is replaced, with a new
// timer id); 0 when the table is full (string 10208 is shown).
int ClaimTimer(uint32_t ownerKey, void* window, int32_t parameter, ClaimedEventCallback callback);
// 1 when an entry with all four values equal was removed, else 0.
int KillClaimedTimer(uint32_t ownerKey, void* window, int32_t parameter, ClaimedEventCallback callback);
// Calls every matching window-timer entry; true when a callback was called.
// Callbacks may claim or kill entries, their own included.
bool DispatchClaimedTimers(void* window, int32_t key);
// Empties the table and sets the wildcards.
void ResetClaimedEventTable();
