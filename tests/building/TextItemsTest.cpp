// The text items of score building, byte for byte in format versions 5
// and 2: staff texts with their offsets, chord symbols and grids, page texts.
#include "building/TextItems.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/Messages.h"
#include "score/ChordSymbols.h"
#include "score/ScoreItem.h"
#include "tests/building/WordFixture.h"

namespace {

using wordtest::WordPage;

class TextItemsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pageData_ = std::make_unique<PageData>();
    pageData_->boxCount = 0;
    streams_ = StreamSet{};
    row_.top = 600;
    row_.bottom = 680;  // middle 640
  }
  void TearDown() override {
    for (Handle& block : streams_.block) FreeHandle(&block);
  }
  BuildContext& Context(uint8_t version) {
    BuildContext& c = page_.Context();
    c.page = pageData_.get();
    c.streams = &streams_;
    c.version = version;
    return c;
  }
  std::vector<uint8_t> Bytes(int slot) {
    const uint8_t* p = static_cast<const uint8_t*>(streams_.block[slot]);
    return p ? std::vector<uint8_t>(p, p + streams_.used[slot]) : std::vector<uint8_t>{};
  }

  WordPage page_;
  std::unique_ptr<PageData> pageData_;
  StreamSet streams_;
  StaveRow row_;
};

// A lyric 5 mm left of its note and 12 mm below the stave's middle.
TEST_F(TextItemsTest, LyricItemInBothVersions) {
  struct Case {
    uint8_t version;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {5, {0x0F, 6, 0, 133, 140, 'l', 0, 'a', 0}},
      {2, {0x0F, 4, 133, 140, 'l', 'a'}},
  };
  for (const Case& c : cases) {
    SetUp();
    const uint32_t id = page_.AddText(u"la", {941, 750, 980, 782});
    BuildContext& context = Context(c.version);
    ASSERT_EQ(WriteLinkedTextItem(context, 1, kAttachTextLine, id, 1000, row_), 1);
    EXPECT_EQ(Bytes(1), c.bytes);
    EXPECT_EQ(page_.Kind(id), kTextConsumed);
    ASSERT_EQ(pageData_->boxCount, 1);
    EXPECT_EQ(pageData_->boxes[0][0], 941);
    EXPECT_EQ(pageData_->boxes[0][1], 980);
    EXPECT_EQ(pageData_->boxes[0][2], 750);
    EXPECT_EQ(pageData_->boxes[0][3], 782);
    // A consumed record is written only once.
    EXPECT_EQ(WriteLinkedTextItem(context, 1, kAttachTextLine, id, 1000, row_), 0);
    TearDown();
  }
}

TEST_F(TextItemsTest, OffsetsAreClippedSignMagnitudes) {
  const uint32_t far = page_.AddText(u"x", {3362, 640, 3370, 640});   // 200 mm right
  const uint32_t back = page_.AddText(u"y", {-1362, 640, 0, 640});    // 200 mm left
  BuildContext& context = Context(5);
  ASSERT_TRUE(WriteLinkedTextItem(context, 1, 24, far, 1000, row_));
  ASSERT_TRUE(WriteLinkedTextItem(context, 1, 24, back, 1000, row_));
  const std::vector<uint8_t> b = Bytes(1);
  ASSERT_EQ(b.size(), 14u);
  EXPECT_EQ(b[0], 0x07);
  EXPECT_EQ(b[3], 127);
  EXPECT_EQ(b[4], 0);
  EXPECT_EQ(b[10], 255);
}

TEST_F(TextItemsTest, NavigationTextsAndTheirStyle) {
  const uint32_t ending = page_.AddWord(u"1.", {1000, 560, 1040, 600});
  page_.Word(ending).anchor = 0x0105;
  const uint32_t segno = page_.AddText(u"D.S.", {1000, 560, 1040, 600});
  BuildContext& context = Context(5);
  ASSERT_EQ(WriteLinkedTextItem(context, 2, kAttachEnding, ending, 1000, row_), 1);
  ASSERT_EQ(WriteLinkedTextItem(context, 2, kAttachSegno, segno, 1000, row_), 1);
  const std::vector<uint8_t> expected = {0x67, 7, 0, 0, 3, 5, '1', 0, '.', 0,
                                         0x57, 10, 0, 0, 3, 'D', 0, '.', 0, 'S', 0, '.', 0};
  EXPECT_EQ(Bytes(2), expected);
  EXPECT_TRUE(IsStreamWellFormed(Bytes(2).data(), static_cast<uint32_t>(Bytes(2).size()), 5));
  EXPECT_EQ(WriteLinkedTextItem(context, 2, 99, segno, 1000, row_), 0);  // no item for that code
}

TEST_F(TextItemsTest, ChordSymbolItems) {
  struct Case {
    std::u16string text;
    int root, kind, bass;
  } cases[] = {
      {u"G/B", 10, 0, 16}, {u"Cm7b5", 0, 19, 0}, {u"F#m7", 8, 18, 8},
      {u"Bbsus", 15, 6, 15}, {u"xyz", 0, 0, 0},  // no root: all zero
  };
  for (uint8_t version : {uint8_t(2), uint8_t(5)}) {
    for (const Case& c : cases) {
      SetUp();
      const uint32_t id = page_.AddText(c.text, {1000, 560, 1040, 600});
      BuildContext& context = Context(version);
      ASSERT_EQ(WriteLinkedTextItem(context, 1, kAttachChordSymbol, id, 1000, row_), 1);
      const std::vector<uint8_t> b = Bytes(1);
      ASSERT_EQ(b.size(), TextHeaderBytes(version) + 7u);
      EXPECT_TRUE(IsChordSymbolItem(b.data(), version));
      EXPECT_EQ(IsChordSymbolShown(b.data(), version), 1);
      EXPECT_EQ(IsChordDiagramShown(b.data(), version), 0);
      EXPECT_EQ(GetChordSymbolRoot(b.data(), version), c.root);
      EXPECT_EQ(GetChordSymbolQuality(b.data(), version), c.kind);
      EXPECT_EQ(GetChordSymbolBass(b.data(), version), c.bass);
      EXPECT_EQ(page_.Kind(id), kTextConsumed);
      TearDown();
    }
  }
}

// Every root, kind and bass: the display text written into an item reads
// back as the same triple.
TEST(ChordSymbolBytes, FormattedSymbolsRoundTripThroughTheItem) {
  for (int root = 0; root < kChordRoots; ++root)
    for (int kind = 0; kind < kChordKinds; ++kind)
      for (int bass = 0; bass < kChordRoots; ++bass) {
        char16_t text[kChordSymbolTextUnits];
        FormatChordSymbol(root, kind, bass, text, kChordSymbolTextUnits);
        uint8_t item[10] = {0x77, 7, 0, 0, 0, 2, 0, 0, 0, 0};
        ChordSymbolBytes(text, &item[8], &item[9]);
        ASSERT_EQ(GetChordSymbolRoot(item, 5), root) << root << " " << kind << " " << bass;
        ASSERT_EQ(GetChordSymbolQuality(item, 5), kind);
        ASSERT_EQ(GetChordSymbolBass(item, 5), bass);
      }
}

TEST_F(TextItemsTest, ChordGrids) {
  BuildContext& context = Context(5);
  ChordGridRecord none{};
  none.baseFret = 255;
  none.left = 1000;
  none.bottom = 560;
  ASSERT_TRUE(WriteChordGridItem(context, 1, none, 1000, row_));
  const std::vector<uint8_t> empty = {0x77, 7, 0, 0, 7, 0, 0, 0, 0, 0};
  EXPECT_EQ(Bytes(1), empty);

  ChordGridRecord grid{};
  grid.baseFret = 3;
  const uint8_t strings[6] = {0, 1, 2, 3, 4, 7};
  std::copy(strings, strings + 6, grid.strings);
  grid.name[0] = u'C';
  grid.left = 1000;
  grid.bottom = 560;
  ASSERT_TRUE(WriteChordGridItem(context, 2, grid, 1000, row_));
  std::vector<uint8_t> b = Bytes(2);
  uint8_t fields[kChordDiagramFieldCount];
  ASSERT_EQ(GetChordDiagramFields(b.data(), fields, 5), 1);
  EXPECT_EQ(fields[0], 3);
  for (int s = 0; s < 6; ++s) EXPECT_EQ(fields[1 + s], strings[s]);
  EXPECT_EQ(IsChordDiagramShown(b.data(), 5), 1);
  EXPECT_EQ(IsChordSymbolShown(b.data(), 5), 1);
  EXPECT_EQ(GetChordSymbolRoot(b.data(), 5), 0);

  // Values beyond their fields are masked, never spilled into a neighbour.
  ChordGridRecord wide = grid;
  wide.baseFret = 19;  // 4 bits: 3
  wide.strings[0] = 9; // 3 bits: 1
  wide.name[0] = 0;
  ASSERT_TRUE(WriteChordGridItem(context, 3, wide, 1000, row_));
  b = Bytes(3);
  ASSERT_EQ(GetChordDiagramFields(b.data(), fields, 5), 1);
  EXPECT_EQ(fields[0], 3);
  EXPECT_EQ(fields[1], 1);
  EXPECT_EQ(fields[2], 1);
  EXPECT_EQ(IsChordSymbolShown(b.data(), 5), 0);
}

TEST_F(TextItemsTest, PageTexts) {
  const uint32_t title = page_.AddText(u"Song", {300, 500, 500, 600}, kTextKindTitle);
  const uint32_t lyric = page_.AddText(u"la", {300, 700, 340, 730}, kTextKindLyricWord);
  const uint32_t gone = page_.AddText(u"old", {300, 700, 340, 730}, kTextConsumed);
  const uint32_t composer = page_.AddWord(u"Cafe Composer", {1900, 400, 2330, 450}, kTextKindComposer);
  BuildContext& context = Context(5);
  ASSERT_TRUE(WritePageTextItems(context));
  std::vector<uint8_t> b = Bytes(0);
  const std::vector<uint8_t> first = {0x2F, 12, 0, 127, 0, 254, 0, 'S', 0, 'o', 0, 'n', 0, 'g', 0};
  ASSERT_GT(b.size(), first.size());
  EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.begin() + first.size()), first);
  EXPECT_EQ(b[first.size()], 0x37);
  EXPECT_TRUE(IsStreamWellFormed(b.data(), static_cast<uint32_t>(b.size()), 5));
  EXPECT_EQ(page_.Kind(title), kTextConsumed);
  EXPECT_EQ(page_.Kind(composer), kTextConsumed);
  EXPECT_EQ(page_.Kind(lyric), kTextKindLyricWord);
  EXPECT_EQ(page_.Kind(gone), kTextConsumed);
  EXPECT_EQ(pageData_->boxCount, 2);

  // Version 2: one-byte length taken from the converted bytes.
  TearDown();
  SetUp();
  page_.AddText(u"Caf\u00E9", {300, 500, 500, 600}, kTextKindSubtitle);
  BuildContext& old = Context(2);
  ASSERT_TRUE(WritePageTextItems(old));
  b = Bytes(0);
  ASSERT_EQ(b.size(), 10u);
  EXPECT_EQ(b[0], 0xCF);
  EXPECT_EQ(b[1], 8);
  EXPECT_EQ(b[6], 'C');
}

}  // namespace
