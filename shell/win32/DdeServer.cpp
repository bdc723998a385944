#include "shell/win32/DdeServer.h"

#include <cstring>

#include "platform/Messages.h"
#include "platform/Platform.h"
#include "platform/win32/AppWindows.h"
#include "reading/FileOpener.h"
#include "shell/DdeCommands.h"

DdeServerState DdeServer;

namespace {

constexpr char kServiceName[] = "Korvalinde";
constexpr char kSystemTopic[] = "System";
constexpr char kActivateTopic[] = "Activate";
constexpr unsigned kStrHowToPrint = 10172;
constexpr DWORD kTopicBytes = 64;

HSZ serviceName = nullptr;

enum class Topic { Other, System, Activate };

Topic TopicOf(HSZ topic) {
  char name[kTopicBytes] = {};
  DWORD n = DdeQueryStringA(DdeServer.instance, topic, name, kTopicBytes, CP_WINANSI);
  if (n == 0 || n >= kTopicBytes) return Topic::Other;
  if (std::strcmp(name, kSystemTopic) == 0) return Topic::System;
  if (std::strcmp(name, kActivateTopic) == 0) return Topic::Activate;
  return Topic::Other;
}

// The command text as wide text; false when it cannot be read or is too long.
bool ReadCommand(HDDEDATA data, char16_t* out, size_t capacity, size_t* length) {
  DWORD size = DdeGetData(data, nullptr, 0, 0);
  if (size == 0 || size > kDdeCommandBytes) return false;
  char bytes[kDdeCommandBytes + 1] = {};
  if (DdeGetData(data, reinterpret_cast<LPBYTE>(bytes), size, 0) != size) return false;
  int n = static_cast<int>(strnlen(bytes, size));
  if (n == 0) {
    *length = 0;
    return true;
  }
  int units = platform::MultiByteToWide(platform::kAnsiCodePage, bytes, n, out, static_cast<int>(capacity) - 1);
  if (units <= 0) return false;
  out[units] = 0;
  *length = static_cast<size_t>(units);
  return true;
}

void PostToFrame(DdeServerRequest request) {
  HWND frame = Windows().frame;
  if (frame && IsWindow(frame)) PostMessageW(frame, kDdeServerMessage, request, 0);
}

HDDEDATA Execute(HSZ topic, HDDEDATA data) {
  Topic which = TopicOf(topic);
  if (which == Topic::Other) return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
  char16_t text[kDdeCommandBytes + 1];
  size_t length = 0;
  if (!ReadCommand(data, text, kDdeCommandBytes + 1, &length))
    return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);

  DdeCommand command = which == Topic::System ? QueueSystemCommand(text, length)
                                              : ParseActivateCommand(text, length);
  switch (command) {
    case DdeCommand::Open: PostToFrame(kDdeRequestOpen); break;
    case DdeCommand::Print: PostToFrame(kDdeRequestPrint); break;
    case DdeCommand::Activate: PostToFrame(kDdeRequestActivate); break;
    case DdeCommand::Refused: return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
  }
  return reinterpret_cast<HDDEDATA>(DDE_FACK);
}

void BringForward(HWND frame) {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  if (GetWindowPlacement(frame, &placement) && placement.showCmd == SW_SHOWMINIMIZED)
    ShowWindow(frame, SW_RESTORE);
  SetForegroundWindow(frame);
}

}  // namespace

bool StartDdeServer() {
  DdeServer.running = false;
  DWORD instance = 0;
  UINT flags = APPCLASS_STANDARD | CBF_FAIL_SELFCONNECTIONS | CBF_FAIL_ADVISES | CBF_FAIL_REQUESTS |
               CBF_SKIP_ALLNOTIFICATIONS;
  if (DdeInitializeA(&instance, DdeServerCallback, flags, 0) != DMLERR_NO_ERROR) {
    DdeServer.instance = 0;
    return false;
  }
  DdeServer.instance = instance;
  serviceName = DdeCreateStringHandleA(instance, kServiceName, CP_WINANSI);
  if (serviceName) DdeNameService(instance, serviceName, nullptr, DNS_REGISTER);
  return true;
}

void StopDdeServer() {
  if (!DdeServer.instance) return;
  if (serviceName) {
    DdeNameService(DdeServer.instance, serviceName, nullptr, DNS_UNREGISTER);
    DdeFreeStringHandle(DdeServer.instance, serviceName);
    serviceName = nullptr;
  }
  DdeUninitialize(DdeServer.instance);
  DdeServer.instance = 0;
  DdeServer.running = false;
}

HDDEDATA CALLBACK DdeServerCallback(UINT type, UINT, HCONV, HSZ topic, HSZ, HDDEDATA data, ULONG_PTR,
                                    ULONG_PTR) {
  switch (type) {
    case XTYP_CONNECT:
      return reinterpret_cast<HDDEDATA>(static_cast<INT_PTR>(TopicOf(topic) != Topic::Other));
    case XTYP_EXECUTE:
      return Execute(topic, data);
    default:
      return nullptr;
  }
}

LRESULT OnDdeServerMessage(HWND frame, WPARAM request, LPARAM) {
  switch (request) {
    case kDdeRequestOpen:
      // Before start-up ends, start-up opens the queue; while a drain runs
      // (a box of it lets this message through) that drain takes the paths.
      if (!DdeServer.running || OpenFiles.busy || OpenFiles.count < 1) break;
      BringForward(frame);
      OpenFileByType();
      break;
    case kDdeRequestPrint:
      MessageById(nullptr, kStrHowToPrint);
      break;
    case kDdeRequestActivate:
      SetForegroundWindow(frame);
      break;
    default:
      break;
  }
  return 0;
}
