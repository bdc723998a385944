#include <gtest/gtest.h>

#include "platform/native/NativePlatform.h"
#include "shell/ClaimedEventTable.h"
#include "shell/ViewDrag.h"
#include "shell/native/ViewSeamLog.h"

namespace {

void* const kView = reinterpret_cast<void*>(0x7A50);
uint32_t now = 0;

void Tick(const ClaimedEventContext*, uint32_t) {}

TEST(ViewSeamCalls, WindowTimersFollowTheClaimsOfOwnerKeyZero) {
  ResetClaimedEventTable();
  ClaimedEvents.nextTimerId = 1;
  ViewSeamCalls().clear();
  ASSERT_EQ(ClaimTimer(0, kView, -1, Tick), 1);
  ASSERT_EQ(ClaimTimer(5, kView, -1, Tick), 1);  // waits only: no window timer
  ASSERT_EQ(ClaimTimer(0, kView, -1, Tick), 1);  // replaced: old timer stopped
  ASSERT_EQ(KillClaimedTimer(5, kView, -1, Tick), 1);
  ASSERT_EQ(KillClaimedTimer(0, kView, -1, Tick), 1);
  const std::vector<ViewSeamCall>& calls = ViewSeamCalls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].call, ViewCall::StartTimer);
  EXPECT_EQ(calls[0].id, 1u);
  EXPECT_EQ(calls[0].periodMs, kClaimedTimerPeriodMs);
  EXPECT_EQ(calls[1].call, ViewCall::StopTimer);
  EXPECT_EQ(calls[1].id, 1u);
  EXPECT_EQ(calls[2].call, ViewCall::StartTimer);
  EXPECT_EQ(calls[2].id, 3u);
  EXPECT_EQ(calls[3].call, ViewCall::StopTimer);
  EXPECT_EQ(calls[3].id, 3u);
  ResetClaimedEventTable();
}

TEST(ViewSeamCalls, TheCallbackContextCarriesTheHoverWindow) {
  static void* seen = nullptr;
  ResetClaimedEventTable();
  SetHoverWindowForTest(reinterpret_cast<void*>(0x7A60));
  ASSERT_EQ(ClaimTimer(0, kView, -1,
                       [](const ClaimedEventContext* context, uint32_t) {
                         EXPECT_EQ(context->zero, 0u);
                         seen = context->hoverWindow;
                       }),
            1);
  EXPECT_TRUE(DispatchClaimedTimers(kView, kTimerMessageKey));
  EXPECT_EQ(seen, reinterpret_cast<void*>(0x7A60));
  SetHoverWindowForTest(nullptr);
  ResetClaimedEventTable();
}

TEST(ViewSeamCalls, AnAltPressStartsItsDragWithTheAltCode) {
  static uint32_t code = 0;
  ViewDragHooks hooks;
  hooks.startViewDrag = [](void*, int, int, uint32_t c) { code = c; };
  SetViewDragHooks(hooks);
  platform::SetKeyDownForTest(0x12, true);
  BeginViewPress(kView, 0, 0, kPressMessageNonClient);
  ASSERT_TRUE(DragMove(kView, 9, 0));
  platform::ResetInputForTest();
  CancelViewDrag();
  EXPECT_EQ(code, kDragStartWithAltEvent);
}

TEST(ViewSeamCalls, ADragRunsTheAutoScrollTimerAndHoldsTheMouse) {
  SetDragClock([] { return now; });
  ViewSeamCalls().clear();
  BeginViewPress(kView, 0, 0, kPressMessageLeft);
  ASSERT_TRUE(DragMove(kView, 9, 0));
  CancelViewDrag();
  SetDragClock(nullptr);
  const std::vector<ViewSeamCall>& calls = ViewSeamCalls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].call, ViewCall::StartTimer);
  EXPECT_EQ(calls[0].id, kDragScrollTimerId);
  EXPECT_EQ(calls[0].periodMs, kDragScrollPeriodMs);
  EXPECT_EQ(calls[1].call, ViewCall::Capture);
  EXPECT_EQ(calls[2].call, ViewCall::StopTimer);
  EXPECT_EQ(calls[2].id, kDragScrollTimerId);
  EXPECT_EQ(calls[3].call, ViewCall::Release);
}

}  // namespace
