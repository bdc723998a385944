// The engine's page description read for its texts: every stave's sung
// words, then its free texts, in page order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Code/Quorm/Mscript.h"
#include "Code/Quorm/Mscrptio.h"
#include "stages/EngineText.h"
#include "tests/Code/Quorm/StaffFixture.h"

namespace {

TEST(EngineTextPieces, SungWordsThenFreeTextsOfEachStave) {
  LoadHandPage(1200, 900, 20);
  AddHandStaff({0, 100, 20, 50, 1150, 5, 0});
  AddHandStaff({1, 500, 20, 50, 1150, 5, 0});
  ResetPageDescription("song");
  AddPageDescription("song.tif");
  AddStaveTextItem(0, EngineBox{300, 20, 600, 60}, 40, "Song of the Morning");
  AddStaveTextLine(0, 2, EngineBox{100, 200, 400, 230}, 30);
  AddTextLineWord(0, 10, EngineBox{100, 200, 160, 230}, "sing", 1);
  AddTextLineWord(0, 12, EngineBox{200, 200, 260, 230}, "ing", 0);
  AddStaveTextItem(1, EngineBox{80, 440, 200, 470}, 30, "Andante");

  std::vector<EngineTextPiece> pieces(8);
  char texts[8][kEngineTextBytes];
  const int n = CollectEngineTextPieces(pieces.data(), texts, 8);
  ASSERT_EQ(n, 4);
  const struct {
    const char* text;
    bool sung;
    int32_t x0;
  } expected[] = {{"sing-", true, 100}, {"ing", true, 200}, {"Song of the Morning", false, 300}, {"Andante", false, 80}};
  for (int i = 0; i < n; ++i) {
    EXPECT_STREQ(pieces[i].text, expected[i].text);
    EXPECT_EQ(pieces[i].sungLine, expected[i].sung);
    EXPECT_EQ(pieces[i].box.x0, expected[i].x0);
  }
  // A smaller room takes the first pieces only.
  EXPECT_EQ(CollectEngineTextPieces(pieces.data(), texts, 2), 2);
  FreePageDescription();
  FreeHandPage();
  // No description: nothing.
  EXPECT_EQ(CollectEngineTextPieces(pieces.data(), texts, 8), 0);
}

}  // namespace
