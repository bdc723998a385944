#include "tests/Code/Quorm/BadPages.h"

#include <gtest/gtest.h>

#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/CurveArt.h"
#include "tests/Code/Quorm/StaffStageHelpers.h"

void ExpectBadPagesReadToTheEnd(const std::vector<BadPage>& pages) {
  for (const BadPage& bad : pages) {
    SCOPED_TRACE(bad.what);
    SynthPage page(800, 600);
    bad.draw(page);
    EXPECT_EQ(ReadSynthPage(page), 0);
    EXPECT_EQ(LastEngineFailure(), nullptr);
  }
}

void ExpectHintedPageReadToTheEnd(const SynthPage& page, int spacing) {
  StaffHints hints;
  hints.Add(40, 960, 200, {0, spacing, 2 * spacing, 3 * spacing, 4 * spacing}, 1);
  RunHintedStageOn(page, hints);
  EXPECT_EQ(RecognisePage(1.0f, nullptr, nullptr), 0);
  EXPECT_EQ(LastEngineFailure(), nullptr);
}
