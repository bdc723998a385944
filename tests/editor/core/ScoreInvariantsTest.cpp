// The checker on the fixture scores as laid out, and on scores broken one
// rule at a time.
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "EditorFixture.h"
#include "score/PageMarks.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

namespace {

class ScoreInvariantsTest : public EditorFixture {};

uint8_t* SlotBytes(int slot) { return StreamBytes(ScoreStream, slot); }

// The offset of the nth item of a kind in a slot (whole first byte when
// firstByte is not 0).
uint32_t OffsetOf(int slot, int kind, int nth = 0, int firstByte = -1) {
  uint32_t found = UINT32_MAX;
  WalkStream(SlotBytes(slot), ScoreStream.used[slot], ScoreFormatVersion, [&](uint32_t offset, const uint8_t* item, uint32_t) {
    if (KindOf(item) != kind || (firstByte >= 0 && item[0] != firstByte)) return true;
    if (nth-- > 0) return true;
    found = offset;
    return false;
  });
  return found;
}

TEST_F(ScoreInvariantsTest, BothFixtureScoresAreSound) {
  Load(kFormat5Score, 5);
  EXPECT_GT(view().index.count, 20);
  ExpectSound();
  Load(kFormat5Score, 5, 2);
  ExpectSound();
  Load(kFormat2Score, 2);
  ExpectSound();
}

TEST_F(ScoreInvariantsTest, TheScoreWritesReadsBackAndExports) {
  for (uint8_t version : {uint8_t(2), uint8_t(5)}) {
    Load(version == 5 ? kFormat5Score : kFormat2Score, version);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kv-editor-check";
    std::filesystem::create_directories(folder);
    ScoreCheckOptions options;
    options.page = &viewPage;
    options.scratchFolder = folder.u16string();
    const std::vector<ScoreFault> faults = CheckScore(view(), options);
    EXPECT_TRUE(faults.empty()) << DescribeFaults(faults);
    if (!getenv("KV_KEEP")) std::filesystem::remove_all(folder);
  }
}

struct BreakCase {
  const char* name;
  ScoreRule rule;
  std::function<void(ScoreInvariantsTest&)> breakIt;
};

TEST_F(ScoreInvariantsTest, EachBrokenRuleIsFound) {
  const BreakCase cases[] = {
      {"too many parts", ScoreRule::kPartCount, [](ScoreInvariantsTest&) { PartCount = 14; }},
      {"no parts", ScoreRule::kPartCount, [](ScoreInvariantsTest&) { PartCount = 0; }},
      {"a part without a stream", ScoreRule::kStreamTiles, [](ScoreInvariantsTest&) { ScoreStream.used[2] = 0; }},
      {"a cut last item", ScoreRule::kStreamTiles,
       [](ScoreInvariantsTest&) {
         // The end mark becomes a chord header claiming bytes past the stream.
         SlotBytes(1)[ScoreStream.used[1] - 1] = kItemChord | 1 << 3;
       }},
      {"no end mark", ScoreRule::kStreamEnd, [](ScoreInvariantsTest&) { --ScoreStream.used[1]; }},
      {"two end marks", ScoreRule::kStreamEnd,
       [](ScoreInvariantsTest&) { SlotBytes(1)[OffsetOf(1, kItemBarLine, 0, MakeBarLine(kBarSingle))] = kEndOfScore; }},
      {"a page mark too few", ScoreRule::kPageMarks,
       [](ScoreInvariantsTest&) { SlotBytes(2)[OffsetOf(2, kItemBarLine, 0, kPageMark)] = MakeBarLine(kBarSingle); }},
      {"a system mark too many", ScoreRule::kSystemMarks,
       [](ScoreInvariantsTest&) { SlotBytes(2)[OffsetOf(2, kItemBarLine, 0, MakeBarLine(kBarSingle))] = kBarBoundary; }},
      {"a page start off", ScoreRule::kPageStarts, [](ScoreInvariantsTest&) { PageStarts[1][1] += 2; }},
      {"a page count off", ScoreRule::kPageStarts, [](ScoreInvariantsTest&) { ScorePages.count = 3; }},
      {"a row inside an item", ScoreRule::kIndexRows,
       [](ScoreInvariantsTest& t) { t.view().index.rows[t.FindRow(kItemChord, 1)].offset += 1; }},
      {"a row of another page", ScoreRule::kIndexRows,
       [](ScoreInvariantsTest& t) { t.view().index.rows[t.FindRow(kItemChord, 1)].offset = PageStarts[1][1]; }},
      {"a row of no part", ScoreRule::kIndexRows, [](ScoreInvariantsTest& t) { t.view().index.rows[0].part = 7; }},
      {"a box too few", ScoreRule::kObjectBoxes, [](ScoreInvariantsTest&) { --viewPage.boxCount; }},
      {"a selected row past the index", ScoreRule::kSelection,
       [](ScoreInvariantsTest& t) { t.view().selection.selectedRow = t.view().index.count; }},
      {"a hover row past the index", ScoreRule::kSelection,
       [](ScoreInvariantsTest& t) { t.view().selection.hoverRow = t.view().index.count + 3; }},
      {"a listed row past the index", ScoreRule::kSelection,
       [](ScoreInvariantsTest& t) {
         t.view().selection.multiRows[0] = 1;
         t.view().selection.multiRows[1] = static_cast<uint16_t>(t.view().index.count);
         t.view().selection.multiCount = 2;
       }},
      {"a row listed twice", ScoreRule::kSelection,
       [](ScoreInvariantsTest& t) {
         t.view().selection.multiRows[0] = 2;
         t.view().selection.multiRows[1] = 2;
         t.view().selection.multiCount = 2;
       }},
      {"two notes at one position", ScoreRule::kChordNotes,
       [](ScoreInvariantsTest&) {
         const uint32_t at = OffsetOf(1, kItemChord, 1);  // the chord 14 18
         SlotBytes(1)[at + kChordHeaderBytes + 1] = static_cast<uint8_t>(14 | kAccidentalSharp << 5);
       }},
      {"two notes on one string", ScoreRule::kChordNotes,
       [](ScoreInvariantsTest&) {
         const uint32_t at = OffsetOf(2, kItemChord, 0);  // frets 3/1 and 5/2
         SlotBytes(2)[at + kChordHeaderBytes + 1] = static_cast<uint8_t>(5 | 1 << 5);
       }},
      {"a chord without notes", ScoreRule::kChordNotes,
       [](ScoreInvariantsTest&) {
         // The one-note chord becomes a notes-less chord and a one-byte key
         // signature, so that the stream still tiles.
         const uint32_t at = OffsetOf(1, kItemChord, 0);
         SlotBytes(1)[at] = kItemChord;
         SlotBytes(1)[at + 5] = MakeKeySignature(0, true, false);
       }},
      {"a tuplet of one note", ScoreRule::kMarkSpans,
       [](ScoreInvariantsTest&) { SlotBytes(1)[OffsetOf(1, kItemMark, 0, kTupletMarkByte) + 3] = 1; }},
      {"a slur of no span", ScoreRule::kMarkSpans,
       [](ScoreInvariantsTest&) {
         const uint32_t at = OffsetOf(1, kItemMark, 0);
         SlotBytes(1)[at + 1] = 0;
         SlotBytes(1)[at + 2] &= 0xC0;
       }},
  };
  for (const BreakCase& c : cases) {
    SCOPED_TRACE(c.name);
    Load(kFormat5Score, 5);
    ASSERT_TRUE(Check().empty()) << DescribeFaults(Check());
    c.breakIt(*this);
    const std::vector<ScoreFault> faults = Check();
    EXPECT_TRUE(HasFault(faults, c.rule)) << DescribeFaults(faults);
    // Put the part count back before the score is freed.
    PartCount = 3;
  }
}

}  // namespace
