// The DDE server: service "Korvalinde", topics "System" ([open("path")] and
// [print(...)]) and "Activate". The callback only queues paths and posts
// kDdeServerMessage to the frame; the frame procedure hands that message to
// OnDdeServerMessage, which opens the queue when the program is not busy.
#pragma once

#include <windows.h>
#include <ddeml.h>

// Posted to the frame by the DDE callback. WM_APP .. WM_APP+13 are taken.
constexpr UINT kDdeServerMessage = WM_APP + 14;
// wParam of kDdeServerMessage.
enum DdeServerRequest : WPARAM {
  kDdeRequestOpen = 0,      // paths were queued
  kDdeRequestPrint = 1,     // tell the user how to print
  kDdeRequestActivate = 2,  // bring the frame forward
};

struct DdeServerState {
  DWORD instance = 0;   // 0: no DDE server
  bool running = false; // start-up finished: queued paths are opened at once
};
extern DdeServerState DdeServer;

// Start-up step 1: clears the running flag, initialises DDEML and registers
// the service. False (instance 0) when DDE is not available; start-up goes on.
bool StartDdeServer();
// Shut-down: DdeUninitialize when an instance exists.
void StopDdeServer();

HDDEDATA CALLBACK DdeServerCallback(UINT type, UINT format, HCONV conversation, HSZ topic,
                                    HSZ item, HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2);

// The frame procedure's handler of kDdeServerMessage; returns 0.
LRESULT OnDdeServerMessage(HWND frame, WPARAM request, LPARAM unused);
