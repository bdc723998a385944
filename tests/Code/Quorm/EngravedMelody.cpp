#include "tests/Code/Quorm/EngravedMelody.h"

#include <gtest/gtest.h>

#include <string>

#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/EngravedPage.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

void LoadMelodyStaves() {
  EngravedPage engraved;
  const std::string path = U8(SourcePath("tests/Code/Quorm/fixtures/melody.tif"));
  ASSERT_TRUE(LoadEngravedPage(path, &engraved)) << path;
  FreeEngine();
  ASSERT_EQ(LoadPageImage(engraved.bits.data(), engraved.width, engraved.height, 0), kEngineOk);
  ASSERT_EQ(RunStaffStage(1, nullptr, nullptr), 0);
  ASSERT_EQ(GetStaffCount(), 4);
}
