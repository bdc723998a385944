// Position attributes of placed texts: stored offsets scaled by the stave size.
#include <gtest/gtest.h>

#include <string>

#include "export/MusicXmlWriter.h"
#include "score/ScoreFile.h"

namespace {

struct PositionCase {
  uint8_t staveSize;
  int x, y;
  const char* expected;
};

TEST(MusicXmlPosition, ScalesTheStoredOffsetsByTheStaveSize) {
  const ScorePageSizes saved = ScorePageSize;
  const PositionCase cases[] = {
      {40, 8, -12, "relative-y=\"-35\" relative-x=\"10\""},
      {50, 0, 0, "relative-y=\"-20\" relative-x=\"0\""},
      {40, -127, 127, "relative-y=\"139\" relative-x=\"-159\""},
      {80, 3, 1, "relative-y=\"-19\" relative-x=\"2\""},
      // A score without a stave size places nothing rather than dividing by zero.
      {0, 5, 5, ""},
  };
  for (const PositionCase& c : cases) {
    ScorePageSize.staveSpacing = c.staveSize;
    EXPECT_EQ(FormatRelativePosition(c.x, c.y), c.expected) << int(c.staveSize) << " " << c.x << " " << c.y;
  }
  ScorePageSize = saved;
}

}  // namespace
