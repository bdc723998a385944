#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "pages/PageTable.h"

#include "building/BuildContext.h"
#include "building/PartSlots.h"
#include "building/ScoreBuildingStages.h"
#include "platform/HandleTestControls.h"
#include "platform/Settings.h"
#include "tests/support/BoxRecorder.h"
#include "reading/StaveSpacing.h"

namespace {

struct Stave {
  int group;
  int lines;
  int kind;    // 0 ordinary, 1 tablature, 2 few-line
  int height;  // bottom - top
};

std::vector<StaveRow> Rows(std::initializer_list<Stave> staves) {
  std::vector<StaveRow> rows;
  int y = 100;
  for (const Stave& s : staves) {
    StaveRow row;
    row.left = 50;
    row.right = 2000;
    row.top = static_cast<int16_t>(y);
    row.bottom = static_cast<int16_t>(y + s.height);
    row.lineCount = static_cast<int16_t>(s.lines);
    row.group = static_cast<int16_t>(s.group);
    row.kind = static_cast<int16_t>(s.kind);
    rows.push_back(row);
    y += s.height + 60;
  }
  return rows;
}

std::vector<int> Numbers(const std::vector<StaveRow>& rows) {
  std::vector<int> numbers;
  for (const StaveRow& row : rows) numbers.push_back(row.number);
  return numbers;
}

class PartSlotsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPartRecords();
    int32_t* least = MinStaveHeightByLines();
    for (int lines = 0; lines <= kMaxStaveLines; ++lines) least[lines] = 0;
    least[5] = 40;  // a five-line stave lower than 40 pixels is small
  }
  void TearDown() override {
    ResetPartRecords();
    for (int lines = 0; lines <= kMaxStaveLines; ++lines) MinStaveHeightByLines()[lines] = 0;
  }
  int Assign(std::vector<StaveRow>& rows) {
    return AssignStavesToParts(context, nullptr, 0, nullptr, 0, rows.data(), static_cast<int>(rows.size()));
  }
  BuildContext context;
};

// Pages read one after another into one score: the part count and the slot
// each stave lands in.
TEST_F(PartSlotsTest, StavesOfEachSystemLandInSlotsOfTheirSort) {
  struct Page {
    std::vector<StaveRow> rows;
    int parts;
    std::vector<int> numbers;
  };
  struct Case {
    const char* name;
    std::vector<Page> pages;
  };
  const std::vector<Case> cases = {
      {"three staves, first page", {{Rows({{0, 5, 0, 48}, {0, 5, 0, 48}, {0, 5, 0, 48}}), 4, {1, 2, 3}}}},
      {"a smaller second page keeps the slots",
       {{Rows({{0, 5, 0, 48}, {0, 5, 0, 48}, {0, 5, 0, 48}}), 4, {1, 2, 3}},
        {Rows({{0, 5, 0, 48}, {0, 5, 0, 48}, {1, 5, 0, 48}, {1, 5, 0, 48}}), 4, {1, 2, 1, 2}}}},
      {"tablature under a stave; a later system omits the stave",
       {{Rows({{0, 5, 0, 48}, {0, 6, 1, 60}, {1, 6, 1, 60}}), 3, {1, 2, 2}}}},
      {"a small stave finds the small slot",
       {{Rows({{0, 5, 0, 48}, {0, 5, 0, 30}, {0, 5, 0, 48}, {1, 5, 0, 30}, {1, 5, 0, 48}}), 4, {1, 2, 3, 2, 3}}}},
      {"a second page with a larger system opens slots",
       {{Rows({{0, 5, 0, 48}}), 2, {1}},
        {Rows({{0, 5, 0, 48}, {0, 5, 0, 48}, {0, 6, 1, 60}}), 4, {1, 2, 3}}}},
      {"no staves", {{Rows({}), 0, {}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetPartRecords();
    context = BuildContext{};
    int scorePages = 0;
    for (Page page : c.pages) {
      // The reading's snapshot: the pages the score holds before this one.
      context.snapshot.pageCount = scorePages++;
      EXPECT_EQ(Assign(page.rows), 0);
      EXPECT_EQ(context.ReadingPartCount, page.parts);
      EXPECT_EQ(Numbers(page.rows), page.numbers);
    }
  }
}

// A new score takes the slots its first page needs, whatever the score read
// before it had; its later pages keep them.
TEST_F(PartSlotsTest, TheFirstPageOfAScoreOpensOnlyTheSlotsItNeeds) {
  auto chorale = Rows({{0, 5, 0, 48}, {0, 5, 0, 48}, {0, 5, 0, 48}, {0, 5, 0, 48}});
  Assign(chorale);
  ASSERT_EQ(context.ReadingPartCount, 5);
  // The next reading starts with the count the last one left.
  context.snapshot.pageCount = 0;
  auto melody = Rows({{0, 5, 0, 48}, {1, 5, 0, 48}});
  Assign(melody);
  EXPECT_EQ(context.ReadingPartCount, 2);
  EXPECT_EQ(Numbers(melody), (std::vector<int>{1, 1}));
  EXPECT_EQ(context.parts[1].tablature.kind, 5u);
  context.snapshot.pageCount = 1;
  auto tablature = Rows({{0, 6, 1, 60}});
  Assign(tablature);
  EXPECT_EQ(context.ReadingPartCount, 2);  // the slot the score has

  // The stage leaves the score alone; the merge gives the score the first
  // page's count, and only raises it on a later page.
  const int32_t parts = PartCount;
  for (int scorePages : {0, 1}) {
    SCOPED_TRACE(scorePages);
    PartCount = 5;
    ReadingBuildContext() = BuildContext{};
    ReadingBuildContext().snapshot.pageCount = scorePages;
    ReadingBuildContext().ReadingPartCount = scorePages ? 5 : 0;
    auto rows = Rows({{0, 5, 0, 48}});
    StageContext stage;
    stage.rows = rows.data();
    stage.staveCount = 1;
    EXPECT_EQ(AssignStavesToPartsStage(stage), 1);
    EXPECT_EQ(PartCount, 5);
    ApplyReadPagePartSlots();
    EXPECT_EQ(PartCount, scorePages ? 5 : 2);
  }
  PartCount = parts;
  ReadingBuildContext() = BuildContext{};
}

// The reading describes the slots in its own records; the score's part
// records take them only when the page is merged.
TEST_F(PartSlotsTest, NewSlotsAreDescribedFromTheModelSystem) {
  auto rows = Rows({{0, 5, 0, 48}, {1, 5, 0, 48}, {1, 5, 0, 30}, {1, 6, 1, 60}});
  Assign(rows);
  ASSERT_EQ(context.ReadingPartCount, 4);
  EXPECT_EQ(Numbers(rows), (std::vector<int>{1, 1, 2, 3}));
  EXPECT_EQ(PartNameTable[0][0], 0);
  EXPECT_EQ(PartTablatureFlags[3].flag, 0);
  ApplyPagePartSlots(context);
  for (const bool score : {false, true}) {
    SCOPED_TRACE(score ? "the score's records" : "the reading's records");
    const auto name = [&](int slot) { return std::u16string(score ? PartNameTable[slot] : context.parts[slot].name); };
    const auto flag = [&](int slot) { return score ? PartFlag[slot] : context.parts[slot].flag; };
    const auto small = [&](int slot) { return score ? PartSmallStave[slot] : context.parts[slot].smallStave; };
    const auto tab = [&](int slot) { return score ? PartTablatureFlags[slot] : context.parts[slot].tablature; };
    EXPECT_EQ(name(0), u"Base");
    EXPECT_EQ(flag(0), 1);
    EXPECT_EQ(flag(1), 0);
    EXPECT_EQ(tab(1).kind, 5u);
    EXPECT_EQ(small(2), 1);
    EXPECT_EQ(tab(3).flag, 1);
    EXPECT_EQ(tab(3).kind, 6u);
  }
  EXPECT_EQ(PartCount, 4);
}

// What the merge writes: the first page of a score its whole count and every
// slot it described; a later page only the slots the score does not have by
// then (a part the user added meanwhile keeps its record).
TEST_F(PartSlotsTest, TheMergeWritesOnlyTheSlotsThePageOpened) {
  struct Case {
    const char* name;
    int scorePages, partsAtStart, partsAtMerge, pageParts;
    int written;  // the first slot the merge describes
    int parts;    // the score's part count after the merge
  };
  const Case cases[] = {
      {"first page of a score", 0, 5, 5, 3, 0, 3},
      {"a later page opens two slots", 1, 2, 2, 4, 2, 4},
      {"a later page opens none", 1, 4, 4, 3, 4, 4},
      {"a part added while the page was read", 1, 2, 3, 4, 3, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetPartRecords();
    for (int slot = 0; slot < kPartSlots; ++slot) PartSmallStave[slot] = 7;  // no description writes 7
    PartCount = c.partsAtStart;
    context = BuildContext{};
    context.snapshot.pageCount = c.scorePages;
    context.ReadingPartCount = c.partsAtStart;
    std::vector<StaveRow> rows;
    for (int s = 1; s < c.pageParts; ++s) rows.push_back(Rows({{0, 5, 0, 48}})[0]);
    Assign(rows);
    PartCount = c.partsAtMerge;
    ApplyPagePartSlots(context);
    EXPECT_EQ(PartCount, c.parts);
    for (int slot = 0; slot < kPartSlots; ++slot)
      EXPECT_EQ(PartSmallStave[slot], slot >= c.written && slot < c.parts ? 0 : 7) << slot;
  }
  PartCount = 0;
}

TEST_F(PartSlotsTest, StavesPastTheTwelfthOfASystemAreLeftUnread) {
  for (int staves : {12, 13, 14}) {
    SCOPED_TRACE(staves);
    ResetPartRecords();
    context = BuildContext{};
    std::vector<StaveRow> rows;
    for (int s = 0; s < staves; ++s) rows.push_back(Rows({{0, 5, 0, 48}})[0]);
    EXPECT_EQ(Assign(rows), staves - 12);
    EXPECT_EQ(context.ReadingPartCount, kPartSlots);
    for (int s = 0; s < staves; ++s) EXPECT_EQ(rows[s].number, s < 12 ? s + 1 : kUnreadStaveNumber);
  }
}

TEST_F(PartSlotsTest, TheStageMarksAPageWithAnOverlongSystemAndKeepsThePartCountForTheMerge) {
  for (int staves : {4, 13}) {
    SCOPED_TRACE(staves);
    ResetPartRecords();
    pageTable = PageTable{};
    pageTable.pageCount = 1;
    PageProblems().count = 0;
    Reading().pageIndex = 0;
    const int32_t parts = PartCount;
    PartCount = 0;
    ReadingBuildContext() = BuildContext{};
    std::vector<StaveRow> rows;
    for (int s = 0; s < staves; ++s) rows.push_back(Rows({{0, 5, 0, 48}})[0]);
    StageContext stage;
    stage.rows = rows.data();
    stage.staveCount = staves;
    EXPECT_EQ(AssignStavesToPartsStage(stage), 1);
    EXPECT_EQ(PartCount, 0);
    EXPECT_EQ(ReadingBuildContext().ReadingPartCount, std::min(staves, 12) + 1);
    ApplyReadPagePartSlots();
    EXPECT_EQ(PartCount, std::min(staves, 12) + 1);
    const bool cut = staves > 12;
    EXPECT_EQ((pageTable.rows[0].flags & kPageHasProblem) != 0, cut);
    EXPECT_EQ((pageTable.rows[0].flags & kPageProblemCodeMask) >> kPageProblemCodeShift,
              cut ? kProblemTooManyStaves : 0u);
    EXPECT_EQ(PageProblems().count, cut ? 1 : 0);
    PartCount = parts;
    PageProblems().count = 0;
    ReadingBuildContext() = BuildContext{};
  }
}

TEST_F(PartSlotsTest, PrePassKindsAreGivenAfterTheReset) {
  CharRecord chars[1] = {};
  chars[0].kind = 9;
  uint32_t charCount = 1, wordCount = 0;
  BuildContext& context = ReadingBuildContext();
  context = BuildContext{};
  context.textItems.prePassKinds = [](BuildContext& c) {
    EXPECT_EQ(c.lists.chars[0].kind, 0);  // reset first
    c.lists.chars[0].kind = 13;
  };
  ReadingWorkLists lists;
  lists.characters = reinterpret_cast<uint8_t*>(chars);
  auto rows = Rows({{0, 5, 0, 48}});
  StageContext stage;
  stage.rows = rows.data();
  stage.staveCount = 1;
  stage.lists = &lists;
  lists.charCount = charCount;
  lists.wordCount = wordCount;
  const int32_t parts = PartCount;
  EXPECT_EQ(AssignStavesToPartsStage(stage), 1);
  EXPECT_EQ(chars[0].kind, 13);
  PartCount = parts;
  context = BuildContext{};
}

TEST_F(PartSlotsTest, TextMeaningsAreResetOnlyOnAPageWithStaves) {
  CharRecord chars[2] = {};
  WordRecord words[2] = {};
  chars[0].kind = 9;
  chars[1].kind = kTextConsumed;
  words[0].kind = 13;
  words[1].kind = kTextConsumed;
  std::vector<StaveRow> none;
  AssignStavesToParts(context, chars, 2, words, 2, none.data(), 0);
  EXPECT_EQ(chars[0].kind, 9);
  EXPECT_EQ(words[0].kind, 13);
  auto rows = Rows({{0, 5, 0, 48}});
  AssignStavesToParts(context, chars, 2, words, 2, rows.data(), 1);
  EXPECT_EQ(chars[0].kind, 0);
  EXPECT_EQ(chars[1].kind, kTextConsumed);
  EXPECT_EQ(words[0].kind, 0);
  EXPECT_EQ(words[1].kind, kTextConsumed);
}

TEST(FindcharsStage, ABufferThatCannotBeHadSaysSoAndTurnsTextReadingOff) {
  const uint32_t option = ReadTextOption();
  BoxRecorder boxes;
  auto rows = Rows({{0, 5, 0, 48}});
  StageContext stage;
  stage.rows = rows.data();
  stage.staveCount = 1;
  // With memory the page gets a fresh, empty buffer of its size.
  ReadTextOption() = 1;
  PageCharacters().count = 5;
  EXPECT_EQ(FindcharsStage(stage), 1);
  EXPECT_EQ(HandleSize(PageCharacters().block), kPageCharacterBufferBytes);
  EXPECT_EQ(PageCharacters().count, 0u);
  EXPECT_TRUE(boxes.Boxes().empty());
  // Without: the message, text reading off, and the page goes on.
  FailAllocationsForTest(true);
  EXPECT_EQ(FindcharsStage(stage), 1);
  FailAllocationsForTest(false);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_TRUE(SaysInOrder(boxes.Boxes()[0].text, {u"insufficient memory available to read the text on this page"}));
  EXPECT_EQ(ReadTextOption(), 0u);
  // Text stays off for the next page: nothing is allocated, nothing shown,
  // and the engine's text is not taken into the page's lists.
  ReadingWorkLists lists;
  CharRecord chars[1] = {};
  lists.characters = reinterpret_cast<uint8_t*>(chars);
  lists.charCount = 7;
  stage.lists = &lists;
  EXPECT_EQ(FindCharsAndEngineTextStage(stage), 1);
  EXPECT_EQ(PageCharacters().block, nullptr);
  EXPECT_EQ(lists.charCount, 7u);
  EXPECT_EQ(boxes.Boxes().size(), 1u);
  ReadTextOption() = option;
}

}  // namespace
