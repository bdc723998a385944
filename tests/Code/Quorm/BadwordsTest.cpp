// Reading a word again: from a reading that took the whole word for one
// character, and the checks of its path table.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "Code/Quorm/Badwords.h"
#include "Code/Quorm/Candlist.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Ocrmisc.h"
#include "Code/Quorm/Readline.h"
#include "tests/Code/Quorm/TextLineArt.h"
#include "tests/Code/Quorm/TextReferences.h"

namespace {

class Badwords : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EngineDataBuilt());
    ASSERT_TRUE(StartTextReading(folder, {"alphabet_serif", "capitals_serif"}, "sing\n"));
  }
  void TearDown() override { StopTextReading(); }
  // Reads the line as ReadTextLine does but keeps its runs, pieces, lists
  // and position model for the re-reader; returns the piece count.
  int32_t ReadLine(const char* name) {
    TextLineImage line;
    EXPECT_TRUE(LoadTextLine(name, &line));
    block = BitmapBlockOf(line);
    LineReading result{};
    PrepareTextLine(block.data());
    ReadLineWords(&result, 1);
    int32_t count = 0;
    GetLinePieces(&count);
    return count;
  }
  EngineDataFolder folder;
  std::vector<uint32_t> block;
};

TEST_F(Badwords, ReadsAWordTakenForOneCharacter) {
  // A touching pair taken for one character is read as its two letters.
  const int32_t pieces = ReadLine("tt_serif");
  ASSERT_GE(pieces, 2);
  SegmentReading reading{};
  reading.count = 1;
  reading.cuts[0] = 0;
  reading.cuts[1] = static_cast<int16_t>(pieces);
  std::strcpy(reading.text, "m");
  KBestPaths paths;
  paths.Reserve(kRereadPaths, kMaxSegmentCharacters);
  RereadWord(&paths, &reading, RereaderWidthCost, RereaderOverlapCost, RereaderGapCost, 1024, 1);
  EXPECT_STREQ(reading.text, "tt");
  EXPECT_EQ(reading.count, 2);
  EXPECT_EQ(reading.cuts[0], 0);
  EXPECT_EQ(reading.cuts[2], pieces);
}

TEST_F(Badwords, PathTableTooSmallIsAFailedCheck) {
  const int32_t pieces = ReadLine("lyric_serif");
  SegmentReading reading{};
  reading.count = 1;
  reading.cuts[1] = static_cast<int16_t>(std::min(pieces, 3));
  KBestPaths paths;
  paths.Reserve(79, kMaxSegmentCharacters);
  EXPECT_THROW(RereadWord(&paths, &reading, RereaderWidthCost, RereaderOverlapCost, RereaderGapCost, 1024, 1), EngineFailure);
}

}  // namespace
