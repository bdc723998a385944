#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/Messages.h"
#include "platform/win32/AppWindows.h"
#include "shell/ViewDrag.h"
#include "shell/win32/ScrollBars.h"
#include "shell/win32/StatusFields.h"
#include "tests/support/BoxRecorder.h"

namespace {

HWND MakeWindow(const wchar_t* cls, HWND parent, int id, DWORD style = 0) {
  return CreateWindowExW(0, cls, L"", style | (parent ? WS_CHILD : WS_OVERLAPPED), 0, 0, 200, 100, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

std::u16string Text(HWND window) {
  wchar_t text[300] = {};
  GetWindowTextW(window, text, 300);
  return reinterpret_cast<const char16_t*>(text);
}

TEST(ErrorBoxAndDrag, TheErrorBoxEndsAPressAndADrag) {
  void* const view = reinterpret_cast<void*>(0x4440);
  BeginViewPress(view, 0, 0, kPressMessageLeft);
  ASSERT_TRUE(DragMove(view, 50, 50));
  ASSERT_TRUE(IsViewDragging());
  BoxRecorder boxes;
  ErrorBox(nullptr, u"Something failed");
  EXPECT_FALSE(IsViewPressed());
  EXPECT_FALSE(IsViewDragging());
  EXPECT_EQ(boxes.Boxes().size(), 1u);
  CancelViewDrag();
}

class StatusFieldsTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = Windows();
    toolbar_ = MakeWindow(L"STATIC", nullptr, 0);
    counters_[0] = MakeWindow(L"STATIC", toolbar_, kScoreCounterPages);
    counters_[1] = MakeWindow(L"STATIC", toolbar_, kScoreCounterCurrent);
    plain_ = MakeWindow(L"STATIC", nullptr, 0);
    Windows().scoreToolbar = toolbar_;
  }
  void TearDown() override {
    DestroyWindow(toolbar_);
    DestroyWindow(plain_);
    Windows() = saved_;
  }
  AppWindows saved_;
  HWND toolbar_ = nullptr, plain_ = nullptr, counters_[2] = {};
};

TEST_F(StatusFieldsTest, TheScoreToolbarCountersTakeFields10And11) {
  SetStatusField(toolbar_, kScoreCounterPages, u"12");
  SetStatusNumber(toolbar_, kScoreCounterCurrent, 3);
  EXPECT_EQ(Text(counters_[0]), u"12");
  EXPECT_EQ(Text(counters_[1]), u"3");
  EXPECT_EQ(Text(toolbar_), u"");
  EXPECT_EQ(GetStatusNumber(toolbar_, kScoreCounterPages), 12);
  SetStatusField(toolbar_, 2, u"own");
  EXPECT_EQ(Text(toolbar_), u"own");
}

TEST_F(StatusFieldsTest, OtherWindowsTakeTheTextThemselvesAndNumbersReadBack) {
  SetStatusNumber(plain_, 0, -42);
  EXPECT_EQ(Text(plain_), u"-42");
  EXPECT_EQ(GetStatusNumber(plain_, 0), -42);
  char16_t text[8];
  GetStatusField(plain_, 0, text, 8);
  EXPECT_EQ(std::u16string(text), u"-42");
}

TEST_F(StatusFieldsTest, WindowValuesBelow10AreIgnored) {
  SetStatusField(reinterpret_cast<HWND>(1), 0, u"x");
  EXPECT_EQ(GetStatusNumber(reinterpret_cast<HWND>(2), 0), 0);
  char16_t text[4] = {u'z', 0};
  GetStatusField(nullptr, 0, text, 4);
  EXPECT_EQ(text[0], 0);
}

TEST(ScrollBarsTest, RangeAndPageFollowTheWindow) {
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED | WS_VSCROLL | WS_HSCROLL, 0, 0, 300, 200, nullptr,
                                nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  RECT client;
  GetClientRect(window, &client);
  SetScrollBarRange(window, SB_VERT, 1000, false);
  SetScrollBarRange(window, SB_HORZ, 2000, false);
  SetScrollBarPosition(window, SB_VERT, 250, false);
  SCROLLINFO info = {sizeof info, SIF_ALL};
  ASSERT_TRUE(GetScrollInfo(window, SB_VERT, &info));
  EXPECT_EQ(info.nMax, 1000);
  EXPECT_EQ(info.nPage, static_cast<UINT>(client.bottom));
  EXPECT_EQ(info.nPos, 250);
  ASSERT_TRUE(GetScrollInfo(window, SB_HORZ, &info));
  EXPECT_EQ(info.nMax, 2000);
  EXPECT_EQ(info.nPage, static_cast<UINT>(client.right));
  DestroyWindow(window);
}

}  // namespace
