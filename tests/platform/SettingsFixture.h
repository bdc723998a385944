// Settings tests start and end as a first run: the registry cleaned, the
// settings and the start-up stop at their defaults, and My Documents a
// scratch folder while the test runs.
#pragma once

#include <gtest/gtest.h>

#include "platform/Settings.h"
#include "platform/ShellFlags.h"
#include "tests/platform/RegistryTestSupport.h"
#include "tests/support/ScratchFolder.h"

class FreshSettingsTest : public testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    regtest::CleanRegistry();
    General() = GeneralSettings();
    Global() = GlobalSettings();
    Flags().startupAbort = 0;
  }
  ScratchFolder documents_;
  regtest::DocumentsFolderAt documentsAt_{documents_.Path()};
};
