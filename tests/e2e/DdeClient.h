// A DDE client of the harness: one conversation with a service and topic,
// executes sent as ANSI text as other programs send them.
//
// It speaks the DDE messages itself, on a hidden window of the calling
// thread, and handles every message of that thread while it waits for an
// answer. A synchronous DDEML transaction handles none but its own replies,
// so a program that sent the harness a message meanwhile (as its DDE server
// does while it starts) and the harness would both wait for the time-out.
#pragma once

#include <windows.h>

#include <string>

enum class ExecuteResult {
  kAccepted,   // a positive acknowledgement
  kRefused,    // the server answered, but did not process the command
  kFailed,     // no answer (time-out, no conversation)
};

class DdeClient {
 public:
  DdeClient();
  ~DdeClient();
  DdeClient(const DdeClient&) = delete;
  DdeClient& operator=(const DdeClient&) = delete;

  // Tries to connect until the service answers or the time-out passes.
  bool Connect(const char* service, const char* topic, DWORD timeoutMs);
  ExecuteResult Execute(const std::string& command, DWORD timeoutMs = 10000);
  void Disconnect();
  bool Connected() const { return server_ != nullptr; }

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnAck(HWND from, LPARAM lParam);
  // Handles the thread's messages until done() or the time-out.
  template <typename Done>
  bool WaitFor(Done done, DWORD timeoutMs);

  HWND window_ = nullptr;
  HWND server_ = nullptr;
  bool initiating_ = false;
  bool terminating_ = false;
  HGLOBAL pendingCommand_ = nullptr;
  bool answered_ = false;
  bool acknowledged_ = false;
};

// The open command the program takes: [open("path")].
std::string OpenCommand(const std::u16string& path);
