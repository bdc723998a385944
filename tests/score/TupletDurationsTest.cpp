#include "score/TupletDurations.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Chord(uint8_t code, uint8_t voice, uint8_t dots = 0) {
  return {0x0C, static_cast<uint8_t>((code << 2) | (dots << 6)), 0, 0, static_cast<uint8_t>(voice << 3), 14};
}
Bytes Rest(uint8_t code, uint8_t voice, uint8_t dots = 0) {
  return {static_cast<uint8_t>((code << 4) | 5), static_cast<uint8_t>(dots | (voice << 6))};
}
Bytes Bracket(uint8_t count, uint8_t first = kBracketTupletByte) { return {first, count, 0, 3, 2}; }

Bytes Join(std::initializer_list<Bytes> items) {
  Bytes out;
  for (const Bytes& item : items) out.insert(out.end(), item.begin(), item.end());
  return out;
}

// Runs the pass over a heap block of exactly the stream's size.
Bytes Fill(const Bytes& stream, uint32_t start = 0, uint32_t end = UINT32_MAX) {
  std::unique_ptr<uint8_t[]> block(new uint8_t[stream.size()]);
  std::copy(stream.begin(), stream.end(), block.get());
  FillTupletDurations(block.get(), start, std::min<uint32_t>(end, static_cast<uint32_t>(stream.size())), 5);
  return Bytes(block.get(), block.get() + stream.size());
}

Bytes Head(const Bytes& stream, size_t n = 5) { return Bytes(stream.begin(), stream.begin() + n); }

TEST(FillTupletDurations, SumsTheNotesAfterTheFirstChord) {
  // Three quavers of voice 1 with count value 1: the second and third count.
  Bytes out = Fill(Join({Bracket(1), Chord(4, 1), Chord(4, 1), Chord(4, 1)}));
  EXPECT_EQ(Head(out), (Bytes{142, 32, 64, 3, 2}));
}

TEST(FillTupletDurations, TheFarBracketIsFilledLikeTheNear) {
  Bytes out = Fill(Join({Bracket(1, kBracketTupletFarByte), Chord(4, 1), Chord(4, 1), Chord(4, 1)}));
  EXPECT_EQ(Head(out), (Bytes{246, 32, 64, 3, 2}));
}

TEST(FillTupletDurations, ABracketNeverClosedBecomesHidden) {
  Bytes out = Fill(Join({Bytes{142, 255, 255, 3, 2}, Chord(4, 0), Chord(4, 0)}));
  EXPECT_EQ(Head(out), (Bytes{254, 0, 0, 3, 2}));
}

TEST(FillTupletDurations, AnUnfinishedTupletIsSetToZero) {
  Bytes stream = Join({Bracket(3), Chord(4, 2), Chord(4, 2), Chord(4, 2)});
  Bytes out = Fill(stream);
  EXPECT_EQ(Head(out), (Bytes{142, 0, 0, 3, 2}));
  EXPECT_EQ(Bytes(out.begin() + 5, out.end()), Bytes(stream.begin() + 5, stream.end()));
}

TEST(FillTupletDurations, OnlyTheTupletsVoiceAddsDurations) {
  // Voice 2 fixes the tuplet; a voice-0 chord counts as a chord but adds no
  // time; the rest of voice 2 adds, the rest of voice 3 does not.
  Bytes out = Fill(Join({Bracket(1), Chord(4, 2), Rest(3, 2), Rest(5, 3), Chord(5, 0), Chord(4, 2, 1)}));
  // 8 (semiquaver rest) + 24 (dotted quaver) = 32, voice 2.
  EXPECT_EQ(Head(out), (Bytes{142, 32, 0x80, 3, 2}));
}

TEST(FillTupletDurations, RestsBeforeTheFirstChordAddNothing) {
  Bytes out = Fill(Join({Bracket(1), Rest(5, 0), Chord(4, 0), Chord(4, 0), Chord(4, 0)}));
  EXPECT_EQ(Head(out), (Bytes{142, 32, 0, 3, 2}));
}

TEST(FillTupletDurations, ANoteOfNoTimeWaitsForOneThatHasSome) {
  // The second chord belongs to another voice: the count is reached with a
  // total of 0, so the walk goes on to the next chord of the tuplet's voice.
  Bytes out = Fill(Join({Bracket(0), Chord(4, 1), Chord(4, 0), Chord(6, 1)}));
  EXPECT_EQ(Head(out), (Bytes{142, 64, 64, 3, 2}));
}

TEST(FillTupletDurations, MultiBarRestsAndLongTotalsUseFourteenBits) {
  // A multi-bar rest of 3 bars = 384 ticks, a breve (256) and a quaver (16).
  Bytes multiRest = {0x3D, 0x40};  // 3 bars, voice 1
  Bytes out = Fill(Join({Bracket(1), Chord(5, 1), multiRest, Chord(8, 1), Chord(4, 1)}));
  EXPECT_EQ(Head(out), (Bytes{142, (656 & 0xFF), 0x40 | (656 >> 8), 3, 2}));
  // Beyond 14 bits the total wraps within its field; the voice stays.
  Bytes long_ = {0xFD, 0x7F};  // 1023 bars, voice 1
  out = Fill(Join({Bracket(1), Chord(5, 1), long_, Chord(4, 1), Chord(4, 1)}));
  const uint32_t total = 1023u * 128 + 16 + 16;
  EXPECT_EQ(Head(out), (Bytes{142, uint8_t(total & 0xFF), uint8_t(0x40 | ((total >> 8) & 63)), 3, 2}));
}

TEST(FillTupletDurations, TupletNumberItemsAddNothing) {
  Bytes out = Fill(Join({Bracket(1), Chord(4, 0), Bytes{0x86, 48, 0, 3, 2}, Chord(4, 0), Chord(4, 0)}));
  EXPECT_EQ(Head(out), (Bytes{142, 32, 0, 3, 2}));
}

TEST(FillTupletDurations, EachBracketIsFilledOnItsOwn) {
  Bytes out = Fill(Join({Bracket(1), Chord(4, 0), Bracket(1), Chord(4, 0), Chord(4, 0), Chord(4, 0)}));
  EXPECT_EQ(Head(out), (Bytes{142, 32, 0, 3, 2}));
  EXPECT_EQ(Bytes(out.begin() + 11, out.begin() + 16), (Bytes{142, 32, 0, 3, 2}));
}

TEST(FillTupletDurations, StaysWithinTheGivenRange) {
  Bytes stream = Join({Chord(4, 0), Bracket(1), Chord(4, 0), Chord(4, 0), Chord(4, 0), Bracket(1)});
  // The range ends before the third chord: the first bracket is unfinished;
  // the bracket past the end is not touched.
  Bytes out = Fill(stream, 6, 6 + 5 + 12);
  EXPECT_EQ(Bytes(out.begin() + 6, out.begin() + 11), (Bytes{142, 0, 0, 3, 2}));
  EXPECT_EQ(Bytes(out.end() - 5, out.end()), Bracket(1));
  EXPECT_EQ(Head(out, 6), Chord(4, 0));
}

TEST(FillTupletDurations, AMalformedTailEndsTheWalkWithoutReadingPastIt) {
  // The last item claims three notes where one byte remains.
  Bytes stream = Join({Bracket(1), Chord(4, 0), Chord(4, 0), Bytes{0x1C, 0x10}});
  Bytes out = Fill(stream);
  EXPECT_EQ(Head(out), (Bytes{142, 0, 0, 3, 2}));
  Bytes cutBracket = Join({Chord(4, 0), Bytes{142, 255, 255}});
  EXPECT_EQ(Fill(cutBracket), cutBracket);
}

TEST(FillTupletDurations, WorksOnAStreamSetSlot) {
  StreamSet set = {};
  Bytes stream = Join({Bracket(1), Chord(4, 1), Chord(4, 1), Chord(4, 1)});
  ASSERT_EQ(GrowStream(&set, 7, static_cast<uint32_t>(stream.size())), 1);
  std::copy(stream.begin(), stream.end(), StreamBytes(set, 7));
  set.used[7] = static_cast<uint32_t>(stream.size());
  FillTupletDurations(&set, 7, 5);
  EXPECT_EQ(Bytes(StreamBytes(set, 7), StreamBytes(set, 7) + 5), (Bytes{142, 32, 64, 3, 2}));
  FillTupletDurations(&set, 8, 5);  // no block: nothing to do
  FreeStreamSet(&set);
}

}  // namespace
