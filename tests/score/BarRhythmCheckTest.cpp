#include "score/BarRhythmCheck.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/Settings.h"
#include "score/PageMarks.h"
#include "score/ScoreFile.h"
#include "score/ScoreFileHooks.h"
#include "tests/score/RhythmFixture.h"
#include "tests/score/ScoreFileFixture.h"

namespace {

struct AskLog {
  int answer = 1;
  int asked = 0;
  std::u16string pages;
  int waits = 0;
};
AskLog* askLog = nullptr;

class BarRhythmCheckTest : public ScoreStreamTest {
 protected:
  void SetUp() override {
    ScoreStreamTest::SetUp();
    saved_ = Global();
    askLog = &log_;
    RhythmCheckHooks hooks;
    hooks.askRhythmWarning = [](const char16_t* pages) {
      ++askLog->asked;
      askLog->pages = pages;
      return askLog->answer;
    };
    hooks.showWaitCursor = [](bool wait) { askLog->waits += wait ? 1 : 0; };
    SetRhythmCheckHooks(hooks);
  }
  void TearDown() override {
    ResetRhythmCheckHooks();
    askLog = nullptr;
    Global() = saved_;
    ScorePages = ScorePageList{};
    ScoreStreamTest::TearDown();
  }

  // The score's page starts from its page marks.
  void CountPages() {
    CountPageMarks();
    ScorePages.current = 1;
  }
  BarRhythmReport Walk(RhythmWalkMode mode, int page = 1) {
    CountPages();
    BarRhythmReport report;
    WalkBarRhythms(CurrentRhythmScoreView(), mode, page, &report);
    return report;
  }

  AskLog log_;
  GlobalSettings saved_;
};

TEST_F(BarRhythmCheckTest, CountsOfOneBar) {
  const StreamBytesList semibreve = Chord({kDurationWhole});
  struct Case {
    const char* name;
    StreamBytesList bar;
    int checked, faulty;
  } cases[] = {
      {"four crotchets", JoinItems({TimeItem(4, 5), Crotchet(), Crotchet(), Crotchet(), Crotchet()}), 1, 0},
      {"three crotchets", JoinItems({TimeItem(4, 5), Crotchet(), Crotchet(), Crotchet()}), 1, 1},
      {"five crotchets", JoinItems({TimeItem(4, 5), Crotchet(), Crotchet(), Crotchet(), Crotchet(), Crotchet()}), 1, 1},
      {"a triplet, a minim and a crotchet", JoinItems({TimeItem(4, 5), QuaverTriplet(), Minim(), Crotchet()}), 1, 0},
      {"a semibreve triplet spanning 256/128 in 4/2",
       JoinItems({TimeItem(4, 6), TupletMark(256, 3, 128), semibreve, semibreve, semibreve}), 1, 0},
      {"no time signature: 4/4", JoinItems({Minim(), Minim()}), 1, 0},
      {"voice 1 short beside a full voice 0",
       JoinItems({TimeItem(4, 5), Crotchet(), Chord({kDurationHalf, 0, 1, true}), Crotchet(), Crotchet(), Crotchet()}),
       1, 0},
      {"voice 1 a whole bar beside voice 0",
       JoinItems({TimeItem(4, 5), Crotchet(), Chord({kDurationWhole, 0, 1, true}), Crotchet(), Crotchet(), Crotchet()}),
       1, 0},
      {"voice 1 longer than the bar",
       JoinItems({TimeItem(4, 5), Crotchet(), Chord({kDurationHalf, 0, 1, true}), Crotchet(), Crotchet(),
                  Chord({kDurationHalf, 0, 1, true}), Crotchet(), Minim(1)}),
       1, 1},
      {"a bar rest in 6/8", JoinItems({TimeItem(6, 4), BarRest()}), 1, 0},
      {"a dotted minim and a quaver rest in 6/8 are short",
       JoinItems({TimeItem(6, 4), Chord({kDurationHalf, 1}), Rest(kDurationEighth)}), 1, 1},
      {"a grace note takes no time",
       JoinItems({TimeItem(2, 5), Chord({kDurationEighth, 0, 0, false, true}), Minim()}), 1, 0},
      {"a one-tick chord stands for the bar", JoinItems({TimeItem(3, 5), Chord({kOneTickDurationCode})}), 1, 0},
      {"a bar without chords or rests", JoinItems({TimeItem(4, 5), ClefItem(kClefTreble)}), 0, 0},
      {"a hidden signature is not applied", JoinItems({TimeItem(3, 5, true), Crotchet(), Crotchet(), Crotchet()}), 1, 1},
  };
  for (const Case& c : cases) {
    SetPart(1, JoinItems({c.bar, Line(), Boundary()}));
    const BarRhythmReport report = Walk(RhythmWalkMode::kCount);
    EXPECT_EQ(report.barsChecked, c.checked) << c.name;
    EXPECT_EQ(report.faultyBars, c.faulty) << c.name;
  }
}

TEST_F(BarRhythmCheckTest, BarsThatAreNotChecked) {
  // Closed by the band bar line (code 9).
  SetPart(1, JoinItems({Crotchet(), Line(kBarBand), Boundary()}));
  EXPECT_EQ(Walk(RhythmWalkMode::kCount).barsChecked, 0);
  // An opening repeat before the notes closes an empty bar; the bar after it is checked.
  SetPart(1, JoinItems({Line(kBarStartRepeat), Crotchet(), Line(), Boundary()}));
  BarRhythmReport report = Walk(RhythmWalkMode::kCount);
  EXPECT_EQ(report.barsChecked, 1);
  EXPECT_EQ(report.faultyBars, 1);
  // A staff without a bar line of its own runs on into the next staff.
  SetPart(1, JoinItems({Minim(), Boundary(), Minim(), Line(), Boundary()}));
  report = Walk(RhythmWalkMode::kCount);
  EXPECT_EQ(report.barsChecked, 1);
  EXPECT_EQ(report.faultyBars, 0);
  // After an empty staff the next bar is not checked.
  SetPart(1, JoinItems({Minim(), Minim(), Line(), Boundary(), Boundary(), Crotchet(), Line(), Boundary()}));
  report = Walk(RhythmWalkMode::kCount);
  EXPECT_EQ(report.barsChecked, 1);
  EXPECT_EQ(report.faultyBars, 0);
}

TEST_F(BarRhythmCheckTest, APartWithoutASignatureChangeTakesTheScoresSignature) {
  // Both open in 3/4; part 2 changes to 2/4 on its second staff, and part 1,
  // without a signature of its own there, follows from the staff after it.
  SetPart(1, JoinItems({TimeItem(3, 5), Minim(), Crotchet(), Line(), Boundary(), Minim(), Crotchet(), Line(), Boundary(), Minim(),
                        Line(), Boundary()}));
  SetPart(2, JoinItems({TimeItem(3, 5), Minim(), Crotchet(), Line(), Boundary(), TimeItem(2, 5), Minim(), Line(),
                        Boundary(), Minim(), Line(), Boundary()}));
  const BarRhythmReport report = Walk(RhythmWalkMode::kCount);
  EXPECT_EQ(report.barsChecked, 6);
  // Part 1's bar on the second staff is counted in the 3/4 in force when
  // the staff began (part 2's 2/4 stands within that staff).
  EXPECT_EQ(report.faultyBars, 0);
  EXPECT_TRUE(report.timeSignatureSeen);
}

TEST_F(BarRhythmCheckTest, ANewPageTakesItsSignatureFromAPartThatHasOne) {
  // Part 2 starts page 2 in 3/4; part 1 has no signature of its own there.
  SetPart(1, JoinItems({TimeItem(4, 5), Minim(), Minim(), Line(), Boundary(), PageMarkItem(), Minim(), Crotchet(),
                        Line(), Boundary(), EndMark()}));
  SetPart(2, JoinItems({TimeItem(4, 5), Minim(), Minim(), Line(), Boundary(), PageMarkItem(), TimeItem(3, 5), Minim(),
                        Crotchet(), Line(), Boundary(), EndMark()}));
  BarRhythmReport whole = Walk(RhythmWalkMode::kWarning);
  EXPECT_EQ(whole.barsChecked, 4);
  EXPECT_EQ(whole.faultyBars, 0);
  BarRhythmReport page = Walk(RhythmWalkMode::kCount, 2);
  EXPECT_EQ(page.barsChecked, 2);
  EXPECT_EQ(page.faultyBars, 0);

  // A page whose first staff is empty in part 1: the bar after it is not checked.
  SetPart(1, JoinItems({TimeItem(4, 5), Minim(), Minim(), Line(), Boundary(), PageMarkItem(), Boundary(), Minim(),
                        Line(), Boundary(), EndMark()}));
  whole = Walk(RhythmWalkMode::kWarning);
  EXPECT_EQ(whole.barsChecked, 3);
  EXPECT_EQ(whole.faultyBars, 0);
}

StreamBytesList PageOf(bool faulty) {
  return JoinItems({Crotchet(), Crotchet(), Crotchet(), faulty ? StreamBytesList{} : Crotchet(), Line(), Boundary()});
}

TEST_F(BarRhythmCheckTest, CountModeCountsOnePage) {
  SetPart(1, JoinItems({TimeItem(4, 5), PageOf(false), PageOf(false), PageMarkItem(), PageOf(true), PageOf(false),
                        PageMarkItem(), PageOf(true), EndMark()}));
  BarRhythmReport one = Walk(RhythmWalkMode::kCount, 1);
  EXPECT_EQ(one.barsChecked, 2);
  EXPECT_EQ(one.faultyBars, 0);
  EXPECT_TRUE(one.timeSignatureSeen);
  BarRhythmReport two = Walk(RhythmWalkMode::kCount, 2);
  EXPECT_EQ(ScorePages.count, 3);
  EXPECT_EQ(two.barsChecked, 2);
  EXPECT_EQ(two.faultyBars, 1);
  EXPECT_TRUE(two.timeSignatureSeen);  // the signature in force at the page's start
  ASSERT_EQ(two.pageCount, 1);
  EXPECT_EQ(two.pages[0], 2);
  EXPECT_EQ(Walk(RhythmWalkMode::kCount, 3).faultyBars, 1);
  EXPECT_EQ(Walk(RhythmWalkMode::kCount, 4).barsChecked, 0);
  EXPECT_EQ(Walk(RhythmWalkMode::kWarning).faultyBars, 2);
}

TEST_F(BarRhythmCheckTest, TheWarningListsSixPagesAndMore) {
  StreamBytesList stream = TimeItem(4, 5);
  for (int page = 1; page <= 8; ++page) {
    // Page 8 first in the part's order does not matter: the text is sorted.
    stream = JoinItems({stream, PageOf(page % 2 == 0), PageOf(true), PageMarkItem()});
  }
  stream = JoinItems({stream, EndMark()});
  SetPart(1, stream);
  SetPart(2, stream);
  CountPages();
  log_.answer = 0;
  int32_t checked = -1;
  EXPECT_EQ(CheckBarRhythms(0, &checked, nullptr, nullptr, -1), 0);
  EXPECT_EQ(log_.asked, 1);
  EXPECT_EQ(log_.waits, 1);
  EXPECT_EQ(log_.pages, u"1, 2, 3, 4, 5, 6 and more...");
  EXPECT_EQ(checked, 32);
  log_.answer = 1;
  EXPECT_EQ(CheckBarRhythms(0, nullptr, nullptr, nullptr, -1), 1);

  // Gated off: no walk, no question.
  Global().showBtWarning = false;
  EXPECT_EQ(CheckBarRhythms(0, nullptr, nullptr, nullptr, -1), 1);
  EXPECT_EQ(log_.asked, 2);
}

TEST_F(BarRhythmCheckTest, TheWarningNamesFewPagesAndAsksNothingForACorrectScore) {
  SetPart(1, JoinItems({TimeItem(4, 5), PageOf(false), PageMarkItem(), PageOf(true), PageMarkItem(), PageOf(false),
                        PageMarkItem(), PageOf(true), EndMark()}));
  CountPages();
  EXPECT_EQ(CheckBarRhythms(0, nullptr, nullptr, nullptr, -1), 1);
  EXPECT_EQ(log_.pages, u"2, 4");
  SetPart(1, JoinItems({TimeItem(4, 5), PageOf(false), PageMarkItem(), PageOf(false), EndMark()}));
  CountPages();
  log_.asked = 0;
  EXPECT_EQ(CheckBarRhythms(0, nullptr, nullptr, nullptr, -1), 1);
  EXPECT_EQ(log_.asked, 0);
}

TEST_F(BarRhythmCheckTest, TheWalkStopsAtTwentyFaultyPages) {
  StreamBytesList stream = TimeItem(4, 5);
  for (int page = 1; page <= kMaxScorePages; ++page) stream = JoinItems({stream, PageOf(true), PageMarkItem()});
  SetPart(1, JoinItems({stream, EndMark()}));
  SetPart(2, JoinItems({stream, EndMark()}));
  const BarRhythmReport report = Walk(RhythmWalkMode::kWarning);
  EXPECT_EQ(report.pageCount, kMaxFaultyPages);
  EXPECT_EQ(report.faultyBars, kMaxFaultyPages);  // part 2 is never walked
}

TEST_F(BarRhythmCheckTest, CountModeGatedOffSaysNothingWasChecked) {
  SetPart(1, JoinItems({TimeItem(4, 5), PageOf(true)}));
  CountPages();
  Global().showAccuracyWarning = false;
  Global().showBtWarning = true;
  int32_t checked = 99, faulty = 99;
  bool seen = true;
  EXPECT_EQ(CheckBarRhythms(0, &checked, &faulty, &seen, 1), 1);
  EXPECT_EQ(checked, 0);
  EXPECT_EQ(faulty, 0);
  EXPECT_FALSE(seen);
  EXPECT_EQ(log_.asked, 0);

  // On, with faulty bars: the counts, and still no question.
  Global().showAccuracyWarning = true;
  Global().showBtWarning = false;
  EXPECT_EQ(CheckBarRhythms(0, &checked, &faulty, &seen, 1), 1);
  EXPECT_EQ(checked, 1);
  EXPECT_EQ(faulty, 1);
  EXPECT_TRUE(seen);
  EXPECT_EQ(log_.asked, 0);
}

TEST_F(BarRhythmCheckTest, MarkingKeepsWhatThePainterDraws) {
  // Page 1 correct; page 2: a short bar, a bar cut by the staff's end, then
  // its completion on the next staff, beside a staff-start item.
  const StreamBytesList staffStart = {MakeTextFirstByte(kTextStaffStart), 4, 0, 10, 0, 20, 0};
  SetPart(1, JoinItems({TimeItem(4, 5), PageOf(false), PageMarkItem(), staffStart, Crotchet(), Line(), Minim(),
                        Boundary(), staffStart, Minim(), Line(), Boundary(), EndMark()}));
  CountPages();
  ScorePages.current = 2;
  std::vector<BarRhythmMark> marks;
  EXPECT_EQ(CheckBarRhythms(1, nullptr, nullptr, nullptr, -1, &marks), 1);
  ASSERT_EQ(marks.size(), 3u);
  const uint32_t page2 = PageStarts[1][1];
  EXPECT_TRUE(marks[0].checked);
  EXPECT_TRUE(marks[0].faulty);
  EXPECT_EQ(marks[0].offset, page2 + 7 + 6);
  EXPECT_EQ(marks[0].staffStart, page2);
  EXPECT_EQ(marks[0].previousBarLine, kNoOffset);
  EXPECT_EQ(marks[0].times.t[0], 256);
  EXPECT_EQ(marks[0].beats, 4);
  EXPECT_FALSE(marks[1].ownBarLine);
  EXPECT_FALSE(marks[1].checked);
  EXPECT_EQ(marks[1].previousBarLine, marks[0].offset);
  EXPECT_TRUE(marks[2].checked);
  EXPECT_FALSE(marks[2].faulty);
  EXPECT_EQ(marks[2].times.t[0], 1024);

  // "Show bad timing" off: no marks.
  Global().showBadTiming = false;
  EXPECT_EQ(CheckBarRhythms(1, nullptr, nullptr, nullptr, 2, &marks), 1);
  EXPECT_TRUE(marks.empty());
}

TEST_F(BarRhythmCheckTest, DamagedMarksAndStreamsAreWalkedSafely) {
  StreamBytesList zeroCount = TupletMark(32, 3, 16);
  zeroCount[3] = 0;
  StreamBytesList zeroTotal = TupletMark(0, 3, 16);
  SetPart(1, JoinItems({TimeItem(4, 5), zeroCount, Crotchet(), zeroTotal, Crotchet(), Crotchet(), Crotchet(), Line(),
                        Boundary(), StreamBytesList{0x0C, 0x14}}));  // a chord cut short at the end
  const BarRhythmReport report = Walk(RhythmWalkMode::kWarning);
  EXPECT_EQ(report.barsChecked, 1);
  EXPECT_EQ(report.faultyBars, 0);
}

}  // namespace

namespace scorefile_test {
namespace {

TEST_F(ScoreFileTest, ASaveOfFaultyBarsAsksAndNoAbandonsIt) {
  ScoreFileHooks hooks{};
  hooks.checkBarRhythms = CheckBarRhythmsBeforeSave;
  SetScoreFileHooks(hooks);
  static int answer = 0;
  static int asked = 0;
  RhythmCheckHooks rhythm;
  rhythm.askRhythmWarning = [](const char16_t*) {
    ++asked;
    return answer;
  };
  SetRhythmCheckHooks(rhythm);
  const bool oldGate = Global().showBtWarning;
  Global().showBtWarning = true;
  PartCount = 2;
  SetScoreStream(1, JoinItems({TimeItem(4, 5), Crotchet(), Crotchet(), Crotchet(), Line(), Boundary(), EndMark()}));
  CountPageMarks();

  const Bytes old = {'o', 'l', 'd'};
  ASSERT_TRUE(WriteBytes(ScorePath(), old));
  EXPECT_EQ(WriteScoreFile(ScorePath().c_str(), 0, kTargetScore, 0, 0, 0), 0);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(ReadBytes(ScorePath()), old);

  answer = 1;
  EXPECT_EQ(WriteScoreFile(ScorePath().c_str(), 0, kTargetScore, 0, 0, 0), 1);
  EXPECT_EQ(asked, 2);
  EXPECT_NE(ReadBytes(ScorePath()), old);

  // An internal save (backup, undo) is never checked.
  EXPECT_EQ(WriteScoreFile(ScorePath().c_str(), 1, kTargetScore, 1, 0, 0), 1);
  EXPECT_EQ(asked, 2);
  ResetRhythmCheckHooks();
  Global().showBtWarning = oldGate;
}

}  // namespace
}  // namespace scorefile_test
