// The articulation step on hand-made symbol lists over drawn staves: key
// signatures and time signatures voted across the group, crossed common
// time, empty bars, inserted clefs.
#include <gtest/gtest.h>

#include <vector>

#include "stages/ArticulationStep.h"
#include "stages/SymbolRecords.h"
#include "tests/stages/SymbolArt.h"

namespace {

constexpr int kSpace = 20;

class ArticulationTest : public ::testing::Test {
 protected:
  // Staves of one group, lines 100 px apart from top to top + 80.
  void Staves(int n) {
    for (int k = 0; k < n; ++k) scene_.AddStave(40 + 140 * k, 30, 1100);
  }
  SymbolRecord& Add(int stave, int type, int left, int right, uint32_t count = 0, int stepTop = 4, int quality = 0) {
    SymbolRecord r{};
    r.type = static_cast<int16_t>(type);
    r.stave = static_cast<int16_t>(stave);
    r.left = static_cast<int16_t>(left);
    r.right = static_cast<int16_t>(right);
    r.count = count;
    r.stepTop = static_cast<int16_t>(stepTop);
    r.stepBottom = static_cast<int16_t>(stepTop + 8 > 15 ? 15 : stepTop + 8);
    r.quality = static_cast<int16_t>(quality);
    r.space = kSpace;
    symbols_.push_back(r);
    return symbols_.back();
  }
  // Clefs at the start of every stave.
  void Clefs() {
    for (size_t k = 0; k < scene_.rows.size(); ++k) Add(static_cast<int>(k), k == 0 ? 2 : 8, 40, 70);
  }
  void Run(const ShapeDatabase& db, bool transposing = false) {
    ArticulationPage page;
    page.keepUncontradictedKeys = transposing;
    page.ink = scene_.page.Ink();
    page.rows = scene_.rows.data();
    page.rowCount = static_cast<int>(scene_.rows.size());
    page.firstRow = 0;
    page.geometry = &scene_.geometry;
    uint32_t symbolCount = static_cast<uint32_t>(symbols_.size());
    uint32_t noteCount = static_cast<uint32_t>(notes_.size());
    symbols_.resize(kSymbolListCapacity);
    notes_.resize(notes_.size() + 8);
    ReadArticulation(page, symbols_.data(), symbolCount, notes_.data(), noteCount, db);
    symbols_.resize(symbolCount);
    notes_.resize(noteCount);
  }
  void Run() { Run(ShippedShapeDatabase()); }
  std::vector<const SymbolRecord*> Of(int stave, int type) const {
    std::vector<const SymbolRecord*> out;
    for (const SymbolRecord& s : symbols_)
      if (s.stave == stave && s.type == type) out.push_back(&s);
    return out;
  }
  NoteRecord& Note(int stave, int left) {
    NoteRecord n{};
    n.stave = static_cast<int16_t>(stave);
    n.left = static_cast<int16_t>(left);
    n.right = static_cast<int16_t>(left + 24);
    n.top = 120;
    n.bottom = 140;
    n.kind = kNoteCrotchet;
    n.origin = 100;
    notes_.push_back(n);
    return notes_.back();
  }

  StaveScene scene_{1200, 600, kSpace};
  std::vector<SymbolRecord> symbols_;
  std::vector<NoteRecord> notes_;
};

TEST_F(ArticulationTest, AKeySignatureOnOneStaveIsCopiedAcrossTheGroup) {
  Staves(2);
  Clefs();
  Add(0, kSymbolSharpKey, 90, 140, 3, 0);
  Run();
  for (int stave : {0, 1}) {
    const auto keys = Of(stave, kSymbolSharpKey);
    ASSERT_EQ(keys.size(), 1u) << stave;
    EXPECT_EQ(keys[0]->count, 3u);
    EXPECT_EQ(keys[0]->left, 90);
    EXPECT_EQ(keys[0]->right, 140);
    EXPECT_TRUE(Of(stave, kSymbolFlatKey).empty()) << "no marker of a missing key after the clef";
  }
}

TEST_F(ArticulationTest, DisagreeingKeyCountsTakeTheMajority) {
  const struct {
    std::vector<uint32_t> counts;
    uint32_t winner;
  } cases[] = {{{3, 3, 2}, 3}, {{2, 4, 4}, 4}, {{2, 3}, 3}};  // on a tie the later count
  for (const auto& c : cases) {
    ArticulationTest::SetUp();
    scene_.rows.clear();
    symbols_.clear();
    Staves(static_cast<int>(c.counts.size()));
    Clefs();
    for (size_t k = 0; k < c.counts.size(); ++k) Add(static_cast<int>(k), kSymbolSharpKey, 90 + 3 * static_cast<int>(k), 140, c.counts[k], 0);
    Run();
    for (size_t k = 0; k < c.counts.size(); ++k) {
      const auto keys = Of(static_cast<int>(k), kSymbolSharpKey);
      ASSERT_EQ(keys.size(), 1u);
      EXPECT_EQ(keys[0]->count, c.winner) << "stave " << k;
    }
  }
}

// With "Transposing scores" on, a stave whose key has at least as many
// accidentals as the vote keeps its own, and the engine's heads under a voted
// key stay; searched heads there go either way.
TEST_F(ArticulationTest, TransposingScoresKeepTheirOwnKeys) {
  const struct {
    std::vector<uint32_t> counts;
    bool transposing;
    uint32_t lastStaveCount;  // the last stave's key after the step
    int engineHeads, searchedHeads;
  } cases[] = {{{2, 2, 4}, false, 2, 1, 1},  // narrowed to two: the heads lie past it
               {{2, 2, 4}, true, 4, 1, 1},   // its own four stay, nothing changed
               {{4, 4, 2}, false, 4, 0, 0},  // widened to four over the heads
               {{4, 4, 2}, true, 4, 1, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.transposing ? "transposing, " : "") + "last stave " + std::to_string(c.counts.back()));
    ArticulationTest::SetUp();
    scene_.rows.clear();
    symbols_.clear();
    notes_.clear();
    Staves(3);
    Clefs();
    // Keys after a bar line in the middle of the staves, 12 px an accidental.
    for (size_t k = 0; k < c.counts.size(); ++k) {
      Add(static_cast<int>(k), kSymbolBarline, 580, 582, 0, 4, -10);
      Add(static_cast<int>(k), kSymbolSharpKey, 600, 610 + 12 * static_cast<int>(c.counts[k]), c.counts[k], 0);
    }
    Note(2, 640).origin = 100;  // under a key of four, clear of a key of two
    Note(2, 640).origin = 0;
    Run(ShippedShapeDatabase(), c.transposing);
    const auto keys = Of(2, kSymbolSharpKey);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0]->count, c.lastStaveCount);
    int engineHeads = 0, searchedHeads = 0;
    for (const NoteRecord& n : notes_)
      if (n.stave == 2 && n.quality < kRejectedQuality) ++(n.origin >= 100 ? engineHeads : searchedHeads);
    EXPECT_EQ(engineHeads, c.engineHeads);
    EXPECT_EQ(searchedHeads, c.searchedHeads);
  }
}

TEST_F(ArticulationTest, EmptyBarsOfThreeSpacesGetAOneBarRest) {
  Staves(1);
  Clefs();
  Add(0, kSymbolSharpKey, 90, 120, 1, 0);
  Add(0, kSymbolBarline, 300, 302);  // 300 .. 400: empty, 5 spaces
  Add(0, kSymbolBarline, 400, 402);  // 400 .. 450: 2.5 spaces, too narrow
  Add(0, kSymbolBarline, 450, 452);  // 450 .. 600: a note inside
  Add(0, kSymbolBarline, 600, 602);
  Note(0, 500);
  Run();
  const auto rests = Of(0, kSymbolMultiBarRest);
  std::vector<int> middles;
  for (const SymbolRecord* r : rests) {
    EXPECT_EQ(r->count, 1u);
    EXPECT_EQ(r->right - r->left, 10);
    EXPECT_EQ(r->stepTop, 6);
    EXPECT_EQ(r->stepBottom, 10);
    EXPECT_EQ(r->quality, -5);
    middles.push_back((r->left + r->right) / 2);
  }
  // The bar from the key to the first bar line and the empty bar.
  EXPECT_EQ(middles, (std::vector<int>{(120 + 300) / 2, (302 + 400) / 2}));
}

TEST_F(ArticulationTest, CommonTimeCrossedByABarLineBecomesCutTime) {
  Staves(1);
  Clefs();
  Add(0, kSymbolCommonTime, 150, 175, 0, 6);
  Add(0, kSymbolBarline, 161, 163);
  Add(0, kSymbolBarline, 400, 402);
  Run();
  EXPECT_EQ(Of(0, kSymbolCommonTime).size(), 0u);
  EXPECT_EQ(Of(0, kSymbolCutTime).size(), 1u);
  const auto bars = Of(0, kSymbolBarline);
  ASSERT_EQ(bars.size(), 1u);
  EXPECT_EQ(bars[0]->left, 400);
}

TEST_F(ArticulationTest, MissingClefsAreInsertedOnlyWithTheSampleToMakeThem) {
  Staves(2);
  Note(0, 60);  // under the clef to come
  Run(ShapeDatabase{});  // no samples: nothing inserted, nothing lost
  EXPECT_TRUE(Of(0, 15).empty());
  EXPECT_TRUE(Of(1, 15).empty());
  EXPECT_EQ(notes_.size(), 1u);

  Run();
  for (int stave : {0, 1}) {
    const auto clefs = Of(stave, 15);
    ASSERT_EQ(clefs.size(), 1u) << stave;
    EXPECT_EQ(clefs[0]->quality, 5);
    EXPECT_EQ(clefs[0]->stepTop, 4);
    EXPECT_EQ(clefs[0]->stepBottom, 12);
    EXPECT_EQ(clefs[0]->left, 30 + kSpace);
  }
  EXPECT_EQ(notes_.size(), 0u);  // the note under the inserted clef
}

TEST_F(ArticulationTest, StemsOnBarLines) {
  Staves(1);
  Clefs();
  Add(0, kSymbolBarline, 400, 402);
  Add(0, 54, 600, 612);  // a double bar line that is partly a stem
  NoteRecord& onBar = Note(0, 380);  // stem up on the right at 401
  onBar.origin = 6;
  onBar.quality = 2;
  onBar.stemLength[1] = 3;
  onBar.stemOffset[1] = 3;
  NoteRecord& engine = Note(0, 700);  // an engine head is settled
  engine.stemLength[1] = 3;
  NoteRecord& beside = Note(0, 580);  // its stem in the double bar's left stroke
  beside.origin = 6;
  beside.quality = 2;
  beside.stemLength[1] = 3;
  beside.stemOffset[1] = 3;  // x 601
  Run();
  ASSERT_EQ(notes_.size(), 2u);
  EXPECT_EQ(notes_[0].left, 700);
  EXPECT_EQ(notes_[1].left, 580);
  const auto singles = Of(0, kSymbolBarline);
  ASSERT_EQ(singles.size(), 2u);
  EXPECT_EQ(singles[1]->left, 605 + 2);  // cut back clear of the note's head
  EXPECT_EQ(singles[1]->right, 612);
  EXPECT_TRUE(Of(0, 54).empty());
}

TEST_F(ArticulationTest, ALoneTimeSignatureInAGroupIsDropped) {
  Staves(4);
  Clefs();
  Add(0, 36, 200, 220, 0, 4, -70);
  Run();
  for (int stave = 0; stave < 4; ++stave) EXPECT_TRUE(Of(stave, 36).empty()) << stave;
}

// A rejected digit on a stave (a lone one the pairing marked down) is no
// time signature there: the stave still receives the group's.
TEST_F(ArticulationTest, ARejectedDigitDoesNotStandForTheTimeSignature) {
  for (int rejectedType : {35, 37}) {  // the same digit, or another
    SCOPED_TRACE(rejectedType);
    ArticulationTest::SetUp();
    scene_.rows.clear();
    symbols_.clear();
    Staves(2);
    Clefs();
    Add(0, 35, 200, 230, 0, 4, -67);
    Add(0, 36, 200, 230, 0, 8, -67);
    Add(1, 36, 200, 230, 0, 8, -67);
    Add(1, rejectedType, 201, 231, 0, 4, 12);
    Run();
    int live = 0;
    for (const SymbolRecord* r : Of(1, 35)) live += r->quality < kRejectedQuality && r->stepTop == 4;
    EXPECT_EQ(live, 1) << "the upper 3 of stave 0 reaches stave 1";
  }
}

TEST_F(ArticulationTest, ATimeSignatureOnMostStavesReachesTheRest) {
  Staves(3);
  Clefs();
  Add(0, 36, 200, 220, 0, 4, -70);
  Add(1, 36, 202, 222, 0, 4, -70);
  Add(2, 35, 201, 221, 0, 4, -70);  // another digit there: changed
  Run();
  for (int stave = 0; stave < 3; ++stave) EXPECT_EQ(Of(stave, 36).size(), 1u) << stave;
}

}  // namespace
