// The view metrics measured from real windows: the MDI client until the
// score views exist, the maximised document, the score view that the view
// number selects.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/Settings.h"
#include "platform/win32/AppWindows.h"
#include "shell/ClientMetrics.h"
#include "shell/win32/ClientMetricsWindow.h"
#include "shell/win32/FrameWindow.h"
#include "tests/shell/win32/FrameUnderTest.h"

namespace {

constexpr wchar_t kClassName[] = L"KvFrameForMetrics";
constexpr wchar_t kChildClassName[] = L"KvMetricsDocument";

SIZE ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

class ClientMetricsTest : public FrameFixture {
 protected:
  void SetUp() override {
    savedMetrics_ = ViewMetrics();
    ViewMetrics() = ClientMetrics{};
    OpenFrame(kClassName, nullptr);
  }
  void TearDown() override {
    CloseFrame();
    RestoreWindowsAndSettings();
    ViewMetrics() = savedMetrics_;
  }

  // A child of the MDI client of the given client size, standing in for a score view.
  HWND View(int width, int height) {
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, WS_CHILD, FALSE, 0);
    return CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, r.right - r.left, r.bottom - r.top, Windows().mdiClient,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  void Disturb() {
    for (double& scale : ViewMetrics().viewScale) scale = 2.5;
    ViewMetrics().width = ViewMetrics().height = -7;
  }
  void ExpectMeasured(SIZE size) {
    const ClientMetrics& m = ViewMetrics();
    EXPECT_EQ(m.width, size.cx);
    EXPECT_EQ(m.height, size.cy);
    for (double scale : m.viewScale) EXPECT_EQ(scale, 1.0);
    EXPECT_EQ(m.viewEdge, 27);
    EXPECT_EQ(m.pixelsPerInch, 90);
  }

  ClientMetrics savedMetrics_;
};

TEST_F(ClientMetricsTest, TheFrameMeasuresItsMdiClientWhenCreatedAndResized) {
  ExpectMeasured(ClientSize(Windows().mdiClient));
  SIZE before = ClientSize(Windows().mdiClient);
  ASSERT_TRUE(SetWindowPos(frame_, nullptr, 0, 0, 900, 700, SWP_NOZORDER | SWP_NOACTIVATE));
  SIZE after = ClientSize(Windows().mdiClient);
  ASSERT_NE(after.cx, before.cx);
  SCOPED_TRACE("the MDI client's new size, not the old one");
  ExpectMeasured(after);
}

TEST_F(ClientMetricsTest, TheViewNumberChoosesTheScoreView) {
  HWND first = View(300, 200);
  HWND second = View(520, 410);
  ASSERT_TRUE(first && second);
  Windows().scoreViews[0] = first;
  Windows().scoreViews[1] = second;
  struct Case {
    int viewNumber;
    SIZE size;
  };
  for (const Case& c : {Case{0, {300, 200}}, Case{10, {300, 200}}, Case{11, {520, 410}}, Case{20, {520, 410}}}) {
    SCOPED_TRACE(c.viewNumber);
    Windows().viewNumber = c.viewNumber;
    Disturb();
    EXPECT_EQ(InitClientMetrics(), 0);
    ExpectMeasured(c.size);
  }
}

// A view slot that holds no window yet (a mark below 10, or a window that
// is gone) is not measured: the MDI client stands in.
TEST_F(ClientMetricsTest, AViewThatDoesNotExistLeavesTheMdiClient) {
  HWND gone = View(300, 200);
  DestroyWindow(gone);
  for (HWND slot : {HWND(nullptr), ViewMark(kScoreViewMark), gone}) {
    Windows().scoreViews[0] = slot;
    Disturb();
    InitClientMetrics();
    ExpectMeasured(ClientSize(Windows().mdiClient));
  }
}

TEST_F(ClientMetricsTest, AMaximisedDocumentIsMeasuredInsteadOfTheMdiClient) {
  WNDCLASSW c{};
  c.lpfnWndProc = DefMDIChildProcW;
  c.hInstance = GetModuleHandleW(nullptr);
  c.lpszClassName = kChildClassName;
  RegisterClassW(&c);
  HWND child = CreateMDIWindowW(kChildClassName, L"document", WS_MAXIMIZE, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, Windows().mdiClient, GetModuleHandleW(nullptr), 0);
  ASSERT_NE(child, nullptr);
  ASSERT_TRUE(IsZoomed(child));
  Disturb();
  InitClientMetrics();
  ExpectMeasured(ClientSize(child));
  ShowWindow(child, SW_RESTORE);
  MoveWindow(child, 10, 10, 150, 120, TRUE);
  Disturb();
  InitClientMetrics();
  SCOPED_TRACE("a document that is not maximised is not the view area");
  ExpectMeasured(ClientSize(Windows().mdiClient));
}

TEST_F(ClientMetricsTest, NoWindowsGiveAnEmptyArea) {
  Windows().mdiClient = nullptr;
  Windows().scoreViews[0] = Windows().scoreViews[1] = nullptr;
  Disturb();
  EXPECT_EQ(ClientMetricsWindow(), nullptr);
  InitClientMetrics();
  ExpectMeasured(SIZE{0, 0});
}

}  // namespace
