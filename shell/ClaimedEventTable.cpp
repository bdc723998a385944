#include "shell/ClaimedEventTable.h"

#include <cstring>

#include "platform/Messages.h"
#include "shell/ViewSeam.h"

ClaimedEventTable ClaimedEvents;

namespace {

constexpr unsigned kStrClaimedEventsFull = 10208;

bool SameClaim(const ClaimedEvent& e, uint32_t ownerKey, void* window, int32_t parameter,
               ClaimedEventCallback callback) {
  return e.ownerKey == ownerKey && e.window == window && e.parameter == parameter &&
         e.callback == callback;
}

int FindLiveId(uint32_t id) {
  for (int i = 0; i < ClaimedEvents.count; ++i)
    if (ClaimedEvents.entries[i].timerId == id) return i;
  return -1;
}

bool IsReservedId(uint32_t id) { return id == kDragScrollTimerId || id == kReadingTimerId; }

// The next free id: never a fixed timer of the program, never a live entry's.
uint32_t TakeTimerId() {
  for (;;) {
    uint32_t id = ClaimedEvents.nextTimerId;
    ClaimedEvents.nextTimerId = id >= kLastClaimedTimerId ? 1 : id + 1;
    if (id < 1 || id > kLastClaimedTimerId) continue;
    if (!IsReservedId(id) && FindLiveId(id) < 0) return id;
  }
}

void RemoveAt(int index) {
  ClaimedEvent& e = ClaimedEvents.entries[index];
  if (e.ownerKey == 0) StopWindowTimer(e.window, e.timerId);
  for (int i = index + 1; i < ClaimedEvents.count; ++i)
    ClaimedEvents.entries[i - 1] = ClaimedEvents.entries[i];
  --ClaimedEvents.count;
  ClaimedEvents.entries[ClaimedEvents.count] = ClaimedEvent{};
}

bool MatchesDispatch(const ClaimedEvent& e, void* window, int32_t key) {
  if (e.ownerKey != 0) return false;
  bool windowMatches =
      e.window == window || reinterpret_cast<uintptr_t>(e.window) == ClaimedEvents.anyWindow;
  bool keyMatches = e.parameter == key || e.parameter == ClaimedEvents.anyParameter;
  return windowMatches && keyMatches;
}

}  // namespace

int ClaimTimer(uint32_t ownerKey, void* window, int32_t parameter, ClaimedEventCallback callback) {
  if (ClaimedEvents.count >= kClaimedEventSlots) {
    MessageById(nullptr, kStrClaimedEventsFull);
    return 0;
  }
  KillClaimedTimer(ownerKey, window, parameter, callback);
  ClaimedEvent& e = ClaimedEvents.entries[ClaimedEvents.count];
  e = ClaimedEvent{ownerKey, window, parameter, callback, TakeTimerId()};
  if (ownerKey == 0) StartWindowTimer(window, e.timerId, kClaimedTimerPeriodMs);
  ++ClaimedEvents.count;
  return 1;
}

int KillClaimedTimer(uint32_t ownerKey, void* window, int32_t parameter, ClaimedEventCallback callback) {
  for (int i = 0; i < ClaimedEvents.count; ++i) {
    if (SameClaim(ClaimedEvents.entries[i], ownerKey, window, parameter, callback)) {
      RemoveAt(i);
      return 1;
    }
  }
  return 0;
}

bool DispatchClaimedTimers(void* window, int32_t key) {
  // The callbacks may change the table: call from a copy of the matching
  // entries, and only those still live (ids are unique among live entries).
  ClaimedEvent due[kClaimedEventSlots];
  int dueCount = 0;
  for (int i = 0; i < ClaimedEvents.count; ++i)
    if (MatchesDispatch(ClaimedEvents.entries[i], window, key)) due[dueCount++] = ClaimedEvents.entries[i];

  bool called = false;
  for (int k = 0; k < dueCount; ++k) {
    int live = FindLiveId(due[k].timerId);
    if (live < 0 || !SameClaim(ClaimedEvents.entries[live], due[k].ownerKey, due[k].window,
                               due[k].parameter, due[k].callback))
      continue;
    if (due[k].callback) {
      ClaimedEventContext context;
      context.hoverWindow = CurrentHoverWindow();
      due[k].callback(&context, due[k].timerId);
      called = true;
    }
  }
  return called;
}

void ResetClaimedEventTable() {
  ClaimedEvents.count = 0;
  std::memset(ClaimedEvents.entries, 0, sizeof ClaimedEvents.entries);
  ClaimedEvents.anyWindow = kClaimAnyValue;
  ClaimedEvents.anyParameter = static_cast<int32_t>(kClaimAnyValue);
}
