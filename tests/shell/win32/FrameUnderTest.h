// A real frame window run by the frame procedure, for the tests of its
// messages: registered under a class name of the test's own.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/Settings.h"
#include "platform/win32/AppWindows.h"
#include "shell/win32/FrameWindow.h"

inline HWND CreateFrameUnderTest(const wchar_t* className, HMENU menu) {
  WNDCLASSW c{};
  c.lpfnWndProc = Event_Dispatcher;
  c.hInstance = GetModuleHandleW(nullptr);
  c.lpszClassName = className;
  RegisterClassW(&c);
  return CreateWindowExW(0, className, L"frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 640, 480, nullptr, menu,
                         GetModuleHandleW(nullptr), nullptr);
}

// A fixture round a frame under test. OpenFrame keeps the program's windows
// and global settings, starts from a fresh frame state and makes the frame;
// CloseFrame destroys it and drains the messages it leaves;
// RestoreWindowsAndSettings puts back what OpenFrame kept.
class FrameFixture : public ::testing::Test {
 protected:
  void OpenFrame(const wchar_t* className, HMENU menu) {
    savedWindows_ = Windows();
    savedGlobal_ = Global();
    Frame() = FrameState();
    frame_ = CreateFrameUnderTest(className, menu);
    ASSERT_NE(frame_, nullptr);
    Windows().frame = frame_;
  }
  void CloseFrame() {
    if (IsWindow(frame_)) DestroyWindow(frame_);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  void RestoreWindowsAndSettings() {
    Windows() = savedWindows_;
    Global() = savedGlobal_;
  }

  HWND frame_ = nullptr;
  AppWindows savedWindows_;
  GlobalSettings savedGlobal_;
};
