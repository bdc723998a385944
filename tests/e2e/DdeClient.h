// A DDEML client of the harness: one conversation with a service and topic,
// executes sent as ANSI text as other programs send them.
#pragma once

#include <windows.h>
#include <ddeml.h>

#include <string>

enum class ExecuteResult {
  kAccepted,   // DDE_FACK
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
  bool Connected() const { return conversation_ != nullptr; }

 private:
  DWORD instance_ = 0;
  HCONV conversation_ = nullptr;
};

// The open command the program takes: [open("path")].
std::string OpenCommand(const std::u16string& path);
