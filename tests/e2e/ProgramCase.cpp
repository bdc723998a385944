#include "tests/e2e/ProgramCase.h"

#include "ResourceIds.h"

bool ProgramCase::StartQuietly() { return program.Start() && program.WaitForFrame(); }

bool ProgramCase::ExitCleanly() {
  if (!program.PostCommand(IDM_FILE_EXIT)) return false;
  DWORD code = 1;
  if (!program.WaitForExit(&code)) return false;
  EXPECT_EQ(code, 0u) << "exit code";
  return code == 0;
}

bool ProgramCase::ConnectDde(DdeClient* client, DWORD timeoutMs) {
  bool connected = client->Connect("Korvalinde", "System", timeoutMs);
  EXPECT_TRUE(connected) << "no DDE conversation with Korvalinde/System";
  return connected;
}
