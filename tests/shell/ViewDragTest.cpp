#include <gtest/gtest.h>

#include <vector>

#include "shell/ViewDrag.h"
#include "shell/ViewSeam.h"
#include "tests/shell/DrawableTestWindow.h"

namespace {

void* const kView = reinterpret_cast<void*>(0x6A50);
void* const kOtherView = reinterpret_cast<void*>(0x6A60);
constexpr unsigned kRightPress = 0x0204;

uint32_t now = 0;
uint32_t Clock() { return now; }

struct DragStart {
  void* window;
  int x, minusY;
  uint32_t code;
};
std::vector<DragStart> starts;
std::vector<const char*> events;

void WhileDragging() { events.push_back("move"); }
void AtEnd() { events.push_back("end"); }

class ViewDrags : public testing::Test {
 protected:
  void SetUp() override {
    now = 1000;
    SetDragClock(Clock);
    starts.clear();
    events.clear();
    ViewDragHooks hooks;
    hooks.startViewDrag = [](void* w, int x, int minusY, uint32_t code) { starts.push_back({w, x, minusY, code}); };
    hooks.clearViewHover = [] { events.push_back("hover"); };
    hooks.endScoreDrag = [] { events.push_back("score"); };
    SetViewDragHooks(hooks);
  }
  void TearDown() override {
    CancelViewDrag();
    SetDragCallbacks(nullptr, nullptr);
    SetDragClock(nullptr);
  }
};

TEST_F(ViewDrags, ASmallMoveSoonAfterThePressDoesNotStartADrag) {
  struct Case {
    int dx, dy;
    uint32_t after;  // centiseconds after the press
    bool starts;
  };
  const Case cases[] = {
      {3, 3, 19, false}, {-3, -3, 0, false}, {0, 0, 19, false},  // near and early
      {3, 3, 20, true},  {0, 0, 25, true},                        // late
      {4, 0, 0, true},   {0, -4, 0, true},   {10, 2, 5, true},    // far
  };
  for (const Case& c : cases) {
    CancelViewDrag();
    now = 1000;
    BeginViewPress(kView, 100, 50, kPressMessageLeft);
    now += c.after;
    EXPECT_EQ(DragMove(kView, 100 + c.dx, 50 + c.dy), c.starts) << c.dx << "," << c.dy << " after " << c.after;
    EXPECT_EQ(IsViewDragging(), c.starts);
    EXPECT_TRUE(IsViewPressed());
  }
}

TEST_F(ViewDrags, TheDragStartGetsThePressPointWithYNegated) {
  BeginViewPress(kView, 120, 80, kPressMessageLeft);
  ASSERT_TRUE(DragMove(kView, 130, 80));
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].window, kView);
  EXPECT_EQ(starts[0].x, 120);
  EXPECT_EQ(starts[0].minusY, -80);
  EXPECT_EQ(starts[0].code, kDragStartEvent);
  // Later moves are no new start.
  EXPECT_FALSE(DragMove(kView, 140, 80));
}

TEST_F(ViewDrags, APressOfAnotherButtonStartsWithoutTheLeftButtonFlag) {
  BeginViewPress(kView, 10, 10, kRightPress);
  ASSERT_TRUE(DragMove(kView, 30, 30));
  ASSERT_FALSE(starts.empty());
  EXPECT_EQ(starts[0].code, 0u);
}

TEST_F(ViewDrags, AMoveInAnotherWindowEndsThePress) {
  BeginViewPress(kView, 10, 10, kPressMessageLeft);
  EXPECT_FALSE(DragMove(kOtherView, 50, 50));
  EXPECT_FALSE(IsViewPressed());
  EXPECT_FALSE(DragMove(kView, 50, 50));
  EXPECT_TRUE(starts.empty());
}

TEST_F(ViewDrags, AViewThatHasNotTakenTheDragSeesItsStartAgain) {
  BeginViewPress(kView, 10, 10, kPressMessageLeft);
  ASSERT_TRUE(DragMove(kView, 20, 20));
  EXPECT_FALSE(DragMove(kView, 30, 30));
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(starts[1].x, 10);
}

TEST_F(ViewDrags, WhileDraggingMovesAndRepaintsRunTheDragCallback) {
  void* const view = DrawableTestWindow();
  SetDragCallbacks(WhileDragging, AtEnd);
  BeginViewPress(view, 10, 10, kPressMessageLeft);
  ASSERT_TRUE(DragMove(view, 20, 20));
  EXPECT_FALSE(DragMove(view, 30, 30));
  RepaintViewDrag(view);
  RepaintViewDrag(kOtherView);
  EXPECT_EQ(events, (std::vector<const char*>{"move", "move"}));
}

TEST_F(ViewDrags, CancellingADragRunsTheEndCallbackAndClearsBoth) {
  void* const view = DrawableTestWindow();
  SetDragCallbacks(WhileDragging, AtEnd);
  BeginViewPress(view, 10, 10, kPressMessageLeft);
  ASSERT_TRUE(DragMove(view, 20, 20));
  CancelViewDrag();
  EXPECT_EQ(events, (std::vector<const char*>{"end", "hover"}));
  EXPECT_FALSE(IsViewDragging());
  EXPECT_FALSE(IsViewPressed());
  EXPECT_EQ(ViewDrag.whileDragging, nullptr);
  EXPECT_EQ(ViewDrag.atEnd, nullptr);
}

TEST_F(ViewDrags, CancellingAPressWithoutDragEndsTheScoreDrag) {
  SetDragCallbacks(WhileDragging, AtEnd);
  BeginViewPress(kView, 10, 10, kPressMessageLeft);
  CancelViewDrag();
  EXPECT_EQ(events, (std::vector<const char*>{"hover", "score"}));
  EXPECT_FALSE(IsViewPressed());
}

}  // namespace
