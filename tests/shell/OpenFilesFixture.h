// The fixture of the tests that hand files to the program's open queue: a
// scratch folder for the files, the queue empty before and after each test.
#pragma once

#include <gtest/gtest.h>

#include "reading/FileOpener.h"
#include "tests/support/ScratchFolder.h"

class OpenFilesFixture : public testing::Test {
 protected:
  void SetUp() override { OpenFiles.count = 0; }
  void TearDown() override { OpenFiles.count = 0; }
  ScratchFolder folder;
};
