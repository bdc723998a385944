#include "tests/e2e/DdeClient.h"

#include <dde.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr char kWindowClass[] = "KvE2eDdeClient";
constexpr WORD kAckBit = 0x8000;  // DDEACK's fAck
constexpr DWORD kInitiateTimeoutMs = 2000;
constexpr DWORD kTerminateTimeoutMs = 2000;

void RegisterWindowClass() {
  static const bool registered = [] {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClass;
    return RegisterClassA(&windowClass) != 0;
  }();
  (void)registered;
}

}  // namespace

DdeClient::DdeClient() {
  RegisterWindowClass();
  // ANSI, so that the server takes the executes as ANSI text.
  window_ = CreateWindowExA(0, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr),
                            nullptr);
  if (!window_) return;
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DdeClient::WindowProcedure));
}

DdeClient::~DdeClient() {
  Disconnect();
  if (window_) DestroyWindow(window_);
}

LRESULT CALLBACK DdeClient::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<DdeClient*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  HWND from = reinterpret_cast<HWND>(wParam);
  if (self && message == WM_DDE_ACK && self->initiating_) {
    // A server's answer to the initiate, sent: the first one is kept.
    GlobalDeleteAtom(LOWORD(lParam));
    GlobalDeleteAtom(HIWORD(lParam));
    if (!self->server_) {
      self->server_ = from;
    } else {
      PostMessageA(from, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window), 0);
    }
    return 0;
  }
  if (self && message == WM_DDE_ACK) {
    self->OnAck(from, lParam);
    return 0;
  }
  if (self && message == WM_DDE_TERMINATE) {
    if (from == self->server_) {
      // The server ends the conversation (its program is closing): it waits
      // for the answer; or it answers ours.
      if (!self->terminating_) PostMessageA(from, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window), 0);
      self->server_ = nullptr;
    }
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void DdeClient::OnAck(HWND from, LPARAM lParam) {
  UINT_PTR status = 0;
  UINT_PTR command = 0;
  UnpackDDElParam(WM_DDE_ACK, lParam, &status, &command);
  FreeDDElParam(WM_DDE_ACK, lParam);
  if (from != server_ || !pendingCommand_ || reinterpret_cast<HGLOBAL>(command) != pendingCommand_) return;
  answered_ = true;
  acknowledged_ = (status & kAckBit) != 0;
  GlobalFree(pendingCommand_);
  pendingCommand_ = nullptr;
}

template <typename Done>
bool DdeClient::WaitFor(Done done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) return true;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(timeoutMs - elapsed, 20), QS_ALLINPUT);
  }
}

bool DdeClient::Connect(const char* service, const char* topic, DWORD timeoutMs) {
  Disconnect();
  if (!window_) return false;
  const ATOM serviceAtom = GlobalAddAtomA(service);
  const ATOM topicAtom = GlobalAddAtomA(topic);
  const DWORD start = GetTickCount();
  for (;;) {
    // Sent to every top-level window; while it is under way the harness
    // takes the messages sent to it, the servers' answers among them.
    initiating_ = true;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_DDE_INITIATE, reinterpret_cast<WPARAM>(window_),
                        MAKELPARAM(serviceAtom, topicAtom), SMTO_ABORTIFHUNG, kInitiateTimeoutMs, &ignored);
    initiating_ = false;
    if (server_ || GetTickCount() - start > timeoutMs) break;
    WaitFor([] { return false; }, 20);
  }
  GlobalDeleteAtom(serviceAtom);
  GlobalDeleteAtom(topicAtom);
  return server_ != nullptr;
}

ExecuteResult DdeClient::Execute(const std::string& command, DWORD timeoutMs) {
  if (!server_) return ExecuteResult::kFailed;
  HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, command.size() + 1);
  if (!text) return ExecuteResult::kFailed;
  std::memcpy(GlobalLock(text), command.c_str(), command.size() + 1);
  GlobalUnlock(text);
  pendingCommand_ = text;
  answered_ = false;
  acknowledged_ = false;
  if (!PostMessageA(server_, WM_DDE_EXECUTE, reinterpret_cast<WPARAM>(window_), reinterpret_cast<LPARAM>(text))) {
    GlobalFree(text);
    pendingCommand_ = nullptr;
    return ExecuteResult::kFailed;
  }
  // A command with no answer stays with the server: its late answer is
  // not taken for the next command's.
  const bool answered = WaitFor([this] { return answered_ || !server_; }, timeoutMs) && answered_;
  pendingCommand_ = nullptr;
  if (!answered) return ExecuteResult::kFailed;
  return acknowledged_ ? ExecuteResult::kAccepted : ExecuteResult::kRefused;
}

void DdeClient::Disconnect() {
  if (server_ && PostMessageA(server_, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window_), 0)) {
    terminating_ = true;
    WaitFor([this] { return server_ == nullptr; }, kTerminateTimeoutMs);
    terminating_ = false;
  }
  server_ = nullptr;
}

std::string OpenCommand(const std::u16string& path) {
  std::string ansi;
  for (char16_t c : path) ansi.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return "[open(\"" + ansi + "\")]";
}
