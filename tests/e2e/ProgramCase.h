// The base of every end-to-end case: a fresh program state before each case
// and the steps most cases share.
#pragma once

#include <gtest/gtest.h>

#include "tests/e2e/DdeClient.h"
#include "tests/e2e/ProgramUnderTest.h"

class ProgramCase : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ProgramUnderTest::ResetState()); }

  // Starts the program and waits until its frame is up and answering.
  bool StartQuietly();
  // Exit from the File menu; the program must end with exit code 0.
  bool ExitCleanly();
  // A conversation with "Korvalinde"/"System".
  bool ConnectDde(DdeClient* client, DWORD timeoutMs = kStartTimeoutMs);

  ProgramUnderTest program;
};
