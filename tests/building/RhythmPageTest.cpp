#include "building/PageRhythmCorrection.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/Settings.h"
#include "tests/score/RhythmFixture.h"

namespace {

StreamBytesList Beamed(uint8_t code, bool start) {
  StreamBytesList item = Chord({code});
  SetChordBeamedToNext(item.data(), true);
  SetChordStartsBeamGroup(item.data(), start);
  return item;
}
StreamBytesList Dotted(uint8_t code) { return Chord({code, 1}); }
// The pair of hidden time signatures that score building writes at a part's
// first record while the rhythm correction option is on.
StreamBytesList HiddenPair() { return {kItemTime, 0x80, kItemTime, 0x80}; }

// A page: the part streams in a stream set of its own and the object boxes,
// one unique row per boxed item in slot order.
struct Page {
  explicit Page(const std::vector<StreamBytesList>& parts) {
    int32_t row = 0;
    for (size_t p = 0; p < parts.size(); ++p) {
      const int slot = static_cast<int>(p) + 1;
      EXPECT_EQ(GrowStream(&set, slot, static_cast<uint32_t>(parts[p].size())), 1);
      std::copy(parts[p].begin(), parts[p].end(), StreamBytes(set, slot));
      set.used[slot] = static_cast<uint32_t>(parts[p].size());
      WalkStream(parts[p].data(), set.used[slot], 5, [&](uint32_t, const uint8_t* item, uint32_t) {
        if (ItemHasBoxRow(item)) {
          for (int c = 0; c < 4; ++c) rows[row][c] = static_cast<int16_t>(row * 4 + c + 1);
          ++row;
        }
        return true;
      });
    }
    boxes.rows = rows;
    boxes.count = row;
    boxes.capacity = 600;
    input.streams = &set;
    input.partCount = static_cast<int>(parts.size()) + 1;
    input.boxes = &boxes;
    input.score.overallKnown = true;
    input.score.overall = TimeSignatureValue{4, 5};
    for (int slot = 1; slot < kPartSlots; ++slot) {
      input.score.known[slot] = true;
      input.score.slot[slot] = TimeSignatureValue{4, 5};
    }
    input.options.version = 5;
  }
  ~Page() { FreeStreamSet(&set); }
  StreamBytesList Part(int slot) const {
    return StreamBytesList(StreamBytes(set, slot), StreamBytes(set, slot) + set.used[slot]);
  }
  int32_t BoxedItems() const {
    int32_t n = 0;
    for (int slot = 1; slot < input.partCount; ++slot) {
      WalkStream(StreamBytes(set, slot), set.used[slot], 5, [&](uint32_t, const uint8_t* item, uint32_t) {
        n += ItemHasBoxRow(item) ? 1 : 0;
        return true;
      });
    }
    return n;
  }

  StreamSet set{};
  int16_t rows[600][4] = {};
  ObjectBoxList boxes;
  PageRhythmInput input;
};

// Bars of 4/4 as read, each with one typical error, and as they should be.
StreamBytesList ReadPart() {
  return JoinItems({ClefItem(kClefTreble), Dotted(kDurationHalf), Minim(), Line(),           // a dot too many
                    Crotchet(), Crotchet(), Crotchet(), Crotchet(), Line(),                   // correct
                    Minim(), Crotchet(), Line(),                                              // a dot missing
                    Crotchet(), Beamed(kDurationEighth, true), Beamed(kDurationEighth, false),
                    Beamed(kDurationEighth, false), Minim(), Line(kBarFinal), Boundary()});  // an unmarked triplet
}
StreamBytesList CorrectedPart() {
  StreamBytesList triplet = TupletMark(32, 3, 16);
  triplet[3] |= 0x80;
  return JoinItems({ClefItem(kClefTreble), Minim(), Minim(), Line(), Crotchet(), Crotchet(), Crotchet(), Crotchet(),
                    Line(), Dotted(kDurationHalf), Crotchet(), Line(), Crotchet(), triplet,
                    Beamed(kDurationEighth, true), Beamed(kDurationEighth, false), Beamed(kDurationEighth, false),
                    Minim(), Line(kBarFinal), Boundary()});
}

TEST(RhythmPage, EachBarsTypicalErrorIsCorrectedAndCorrectBarsStay) {
  Page page({ReadPart(), ReadPart()});
  page.input.options.correction = true;
  const int16_t finalLineRow = page.rows[page.boxes.count - 1][0];
  EXPECT_EQ(CorrectBarRhythms(&page.input), 1);
  EXPECT_EQ(page.Part(1), CorrectedPart());
  EXPECT_EQ(page.Part(2), CorrectedPart());
  // One row more per part for the triplet's mark; the rows stay with their items.
  EXPECT_EQ(page.boxes.count, page.BoxedItems());
  EXPECT_EQ(page.rows[page.boxes.count - 1][0], finalLineRow);
}

TEST(RhythmPage, APageReadTwiceGivesTheSameBytesAndBoxes) {
  Page first({ReadPart(), JoinItems({HiddenPair(), ReadPart()})});
  Page second({ReadPart(), JoinItems({HiddenPair(), ReadPart()})});
  first.input.options.correction = second.input.options.correction = true;
  CorrectBarRhythms(&first.input);
  CorrectBarRhythms(&second.input);
  for (int slot = 1; slot <= 2; ++slot) EXPECT_EQ(first.Part(slot), second.Part(slot));
  ASSERT_EQ(first.boxes.count, second.boxes.count);
  EXPECT_EQ(0, std::memcmp(first.rows, second.rows, sizeof first.rows));
}

TEST(RhythmPage, WithTheOptionOffOnlyTupletsAreCompleted) {
  StreamBytesList bracket = {kBracketTupletByte, 1, 0, 3, 0};
  const StreamBytesList part =
      JoinItems({Minim(), Crotchet(), Line(), bracket, Quaver(), Quaver(), Quaver(), Line(), Boundary()});
  Page page({part});
  EXPECT_EQ(CorrectBarRhythms(&page.input), 1);
  // The bracket now carries its notes' length (the second and third quaver,
  // 32/128) and is hidden; the short first bar is left alone.
  const StreamBytesList done = JoinItems({Minim(), Crotchet(), Line(), StreamBytesList{kHiddenMarkByte, 32, 0, 3, 0},
                                          Quaver(), Quaver(), Quaver(), Line(), Boundary()});
  EXPECT_EQ(page.Part(1), done);
}

TEST(RhythmPage, APageInThreeFourGetsItsHiddenSignatureRewritten) {
  const StreamBytesList bars = JoinItems({Crotchet(), Crotchet(), Crotchet(), Line(), Crotchet(), Crotchet(),
                                          Crotchet(), Line(), Crotchet(), Crotchet(), Crotchet(), Line(kBarFinal)});
  Page page({JoinItems({HiddenPair(), ClefItem(kClefTreble), bars, Boundary()}),
             JoinItems({HiddenPair(), ClefItem(kClefBass), bars, Boundary()})});
  page.input.options.correction = true;
  CorrectBarRhythms(&page.input);
  // 3/4 shown in the marking colour at the first bar; the second item of the
  // pair stays hidden and the bars keep their notes.
  const StreamBytesList threeFour = {uint8_t(3 << 3 | kItemTime), 0x45};
  EXPECT_EQ(page.Part(1), JoinItems({threeFour, {kItemTime, 0x80}, ClefItem(kClefTreble), bars, Boundary()}));
  EXPECT_EQ(page.Part(2), JoinItems({threeFour, {kItemTime, 0x80}, ClefItem(kClefBass), bars, Boundary()}));
}

// Bars of the part, each closed by a single bar line.
StreamBytesList Bar(std::initializer_list<StreamBytesList> items) {
  StreamBytesList out;
  for (const StreamBytesList& i : items) out.insert(out.end(), i.begin(), i.end());
  const StreamBytesList line = Line();
  out.insert(out.end(), line.begin(), line.end());
  return out;
}

// A shown but unmeasured 2/4 makes 2/4 the running metre while 2/2 stays in
// force. Bars of a semibreve then differ from the running metre but have
// the length of the one in force: their hidden signature becomes that 2/2,
// shown and unmeasured, and the change window opens.
TEST(RhythmPage, ABarBackToTheLengthInForceGetsTheMetreInForceShownUnmeasured) {
  const StreamBytesList shownTwoFour = {uint8_t(2 << 3 | kItemTime), 0x0D};
  const StreamBytesList whole = Chord({kDurationWhole});
  auto part = [&](const StreamBytesList& pair) {
    return JoinItems({Bar({shownTwoFour, Crotchet(), Crotchet()}), Bar({Crotchet(), Crotchet()}),
                      Bar({Crotchet(), Crotchet()}), Bar({pair, whole}), Bar({whole}), Bar({whole}), Boundary()});
  };
  Page page({part(HiddenPair()), part(HiddenPair())});
  page.input.score.overall = TimeSignatureValue{2, 6};
  page.input.options.correction = true;
  CorrectBarRhythms(&page.input);
  const StreamBytesList twoTwoShown = {uint8_t(2 << 3 | kItemTime), 6 | 0x08};
  const StreamBytesList expected = part(JoinItems({twoTwoShown, {kItemTime, 0x80}}));
  EXPECT_EQ(page.Part(1), expected);
  EXPECT_EQ(page.Part(2), expected);
}

TEST(RhythmPage, BarsThatFitTheMetreInForceChangeNoSignature) {
  const StreamBytesList part = JoinItems({HiddenPair(), Minim(), Minim(), Line(), Crotchet(), Crotchet(), Minim(),
                                          Line(kBarFinal), Boundary()});
  Page page({part});
  page.input.options.correction = true;
  CorrectBarRhythms(&page.input);
  EXPECT_EQ(page.Part(1), part);
}

TEST(RhythmPage, AnEmptyBarIsCorrectedWithTheBarAfterIt) {
  Page page({JoinItems({Minim(), Minim(), Line(), Line(kBarDouble), Dotted(kDurationHalf), Minim(), Line(kBarFinal),
                        Boundary()})});
  page.input.options.correction = true;
  CorrectBarRhythms(&page.input);
  EXPECT_EQ(page.Part(1), JoinItems({Minim(), Minim(), Line(), Line(kBarDouble), Minim(), Minim(), Line(kBarFinal),
                                     Boundary()}));
  EXPECT_EQ(page.boxes.count, page.BoxedItems());
}

TEST(RhythmPage, FewerThanTwoPartSlotsLeaveThePageAlone) {
  Page page({JoinItems({StreamBytesList{kBracketTupletByte, 1, 0, 3, 0}, Quaver(), Quaver(), Quaver()})});
  page.input.partCount = 1;
  const StreamBytesList before = page.Part(1);
  CorrectBarRhythms(&page.input);
  EXPECT_EQ(page.Part(1), before);
}

// The reading's context: the score as it was when the reading began (3/4),
// not the score as it is now (4/4), gives the metre of the page's first bar.
TEST(RhythmPage, TheReadingContextMeasuresWithTheScoreAsItWasWhenTheReadingBegan) {
  ResetScoreStreams();
  const StreamBytesList now = JoinItems({TimeItem(4, 5), Crotchet(), Line(), Boundary(), EndMark()});
  ASSERT_EQ(GrowScoreStream(1, static_cast<uint32_t>(now.size())), 1);
  std::copy(now.begin(), now.end(), StreamBytes(ScoreStream, 1));
  ScoreStream.used[1] = static_cast<uint32_t>(now.size());
  PartCount = 2;

  BuildContext context;
  context.snapshot.streams[1] = JoinItems({TimeItem(3, 5), Minim(), Crotchet(), Line(), Boundary(), EndMark()});
  context.snapshot.partCount = 2;
  context.snapshot.rhythmCorrection = true;
  context.version = 5;
  const StreamBytesList read = JoinItems({Crotchet(), Crotchet(), Crotchet(), Line(), Dotted(kDurationHalf),
                                          Crotchet(), Line(kBarFinal), Boundary()});
  Page page({read});
  context.streams = &page.set;
  context.ReadingPartCount = 2;
  auto data = std::make_unique<PageData>();
  for (int r = 0; r < page.boxes.count; ++r) std::copy(page.rows[r], page.rows[r] + 4, data->boxes[r]);
  data->boxCount = static_cast<int16_t>(page.boxes.count);
  context.page = data.get();
  EXPECT_EQ(CorrectBarRhythms(context), 1);
  EXPECT_EQ(page.Part(1), JoinItems({Crotchet(), Crotchet(), Crotchet(), Line(), Minim(), Crotchet(), Line(kBarFinal),
                                     Boundary()}));
  EXPECT_EQ(data->boxCount, page.boxes.count);

  // The stave-group pass's bar step: two stem sides in one column become
  // two voices; the rows stay.
  StreamBytesList down = Chord({kDurationHalf, 0, 0, true});
  SetChordStemDown(down.data(), true);
  Page group({JoinItems({Line(), Minim(), down})});
  context.streams = &group.set;
  EXPECT_EQ(AssignBarVoicesStep(context, 1, 0, 0, 2, 5), 1);
  EXPECT_EQ(ChordVoice(group.Part(1).data() + 1 + 6), 1);
  EXPECT_EQ(data->boxCount, page.boxes.count);
  ResetScoreStreams();
  PartCount = 0;
}

// The reading thread takes a part's tablature flag from the reading's own
// part records, never from the score's (which the interface thread owns and
// which a page's new slots reach only when it is merged): on a tablature
// part the two stem sides stay in one voice.
TEST(RhythmPage, TheBarVoiceStepReadsTheTablatureFlagOfTheReadingsPartRecords) {
  for (const bool tablature : {false, true}) {
    SCOPED_TRACE(tablature ? "a tablature part" : "a stave part");
    ResetPartRecords();
    PartTablatureFlags[1] = PartTablature{static_cast<int16_t>(tablature ? 0 : 1), 6};  // the score says otherwise
    BuildContext context;
    context.version = 5;
    context.ReadingPartCount = 2;
    context.parts[1].tablature = PartTablature{static_cast<int16_t>(tablature ? 1 : 0), 6};
    StreamBytesList down = Chord({kDurationHalf, 0, 0, true});
    SetChordStemDown(down.data(), true);
    Page group({JoinItems({Line(), Minim(), down})});
    context.streams = &group.set;
    EXPECT_EQ(AssignBarVoicesStep(context, 1, 0, -1, 2, 5), 1);
    EXPECT_EQ(ChordVoice(group.Part(1).data() + 1 + 6), tablature ? 0 : 1);
  }
  ResetPartRecords();
}

// "Read in one voice only", as the Preferences store it, reaches the bar
// voice step of the reading: the two stem sides of one column make two
// voices with it off and stay in one voice with it on.
TEST(RhythmPage, TheBarVoiceStepFollowsReadInOneVoiceOnly) {
  const bool saved = General().readOneVoiceOnly;
  for (const bool oneVoice : {false, true}) {
    SCOPED_TRACE(oneVoice ? "one voice only" : "voices by stem side");
    General().readOneVoiceOnly = oneVoice;
    BuildContext context;
    context.version = 5;
    context.ReadingPartCount = 2;
    StreamBytesList down = Chord({kDurationHalf, 0, 0, true});
    SetChordStemDown(down.data(), true);
    Page group({JoinItems({Line(), Minim(), down})});
    context.streams = &group.set;
    EXPECT_EQ(AssignBarVoicesStep(context, 1, 0, -1, 2, 5), 1);
    EXPECT_EQ(ChordVoice(group.Part(1).data() + 1), 0);
    EXPECT_EQ(ChordVoice(group.Part(1).data() + 1 + 6), oneVoice ? 0 : 1);
  }
  General().readOneVoiceOnly = saved;
}

}  // namespace
