#include "tests/e2e/DdeClient.h"

namespace {

HDDEDATA CALLBACK ClientCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

// Lets the harness's own DDE windows take their messages while it waits.
void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace

DdeClient::DdeClient() {
  if (DdeInitializeA(&instance_, ClientCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) instance_ = 0;
}

DdeClient::~DdeClient() {
  Disconnect();
  if (instance_) DdeUninitialize(instance_);
}

bool DdeClient::Connect(const char* service, const char* topic, DWORD timeoutMs) {
  if (!instance_) return false;
  Disconnect();
  HSZ serviceName = DdeCreateStringHandleA(instance_, service, CP_WINANSI);
  HSZ topicName = DdeCreateStringHandleA(instance_, topic, CP_WINANSI);
  DWORD start = GetTickCount();
  while (!conversation_ && GetTickCount() - start <= timeoutMs) {
    conversation_ = DdeConnect(instance_, serviceName, topicName, nullptr);
    if (!conversation_) {
      PumpMessages();
      Sleep(20);
    }
  }
  DdeFreeStringHandle(instance_, serviceName);
  DdeFreeStringHandle(instance_, topicName);
  return conversation_ != nullptr;
}

ExecuteResult DdeClient::Execute(const std::string& command, DWORD timeoutMs) {
  if (!conversation_) return ExecuteResult::kFailed;
  DWORD result = 0;
  HDDEDATA answer = DdeClientTransaction(reinterpret_cast<BYTE*>(const_cast<char*>(command.c_str())),
                                         static_cast<DWORD>(command.size() + 1), conversation_, nullptr, 0,
                                         XTYP_EXECUTE, timeoutMs, &result);
  if (answer) return ExecuteResult::kAccepted;
  return DdeGetLastError(instance_) == DMLERR_NOTPROCESSED ? ExecuteResult::kRefused : ExecuteResult::kFailed;
}

void DdeClient::Disconnect() {
  if (conversation_) DdeDisconnect(conversation_);
  conversation_ = nullptr;
}

std::string OpenCommand(const std::u16string& path) {
  std::string ansi;
  for (char16_t c : path) ansi.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return "[open(\"" + ansi + "\")]";
}
