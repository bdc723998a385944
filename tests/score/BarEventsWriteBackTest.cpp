#include <gtest/gtest.h>

#include <random>

#include "score/BarEvents.h"
#include "tests/score/RhythmFixture.h"

namespace {

// A bar with its object boxes: one row per boxed item, each row unique.
struct BoxedBar {
  std::vector<uint8_t> bytes;
  int16_t rows[600][4] = {};
  int32_t count = 0;
  ObjectBoxList List() {
    ObjectBoxList list;
    list.rows = rows;
    list.count = count;
    list.capacity = 600;
    return list;
  }
  void Add(const StreamBytesList& item) {
    bytes.insert(bytes.end(), item.begin(), item.end());
    if (!ItemHasBoxRow(item.data())) return;
    for (int c = 0; c < 4; ++c) rows[count][c] = static_cast<int16_t>(count * 4 + c + 1);
    ++count;
  }
};

StreamBytesList HintItem(uint8_t version, uint8_t seed) {
  StreamBytesList item = {127, 5};
  if (version >= 3) item.push_back(0);
  for (int i = 0; i < 5; ++i) item.push_back(static_cast<uint8_t>(seed + i * 17));
  return item;
}

StreamBytesList LyricItem(uint8_t version) {
  if (version >= 3) return TextItem(kTextLyric, "la");
  return {uint8_t(kItemText | kTextLyric << 3), 4, 0, 0, 'l', 'a'};
}

// A random bar as score building writes it: a bar line, then columns of one
// to four chords and rests, with tuplet marks and number hints directly in
// front of the events they belong to, lyrics and slur marks after them.
BoxedBar RandomBar(std::mt19937* random, uint8_t version, int columns) {
  auto pick = [&](int n) { return static_cast<int>((*random)() % static_cast<unsigned>(n)); };
  BoxedBar bar;
  bar.Add(Line());
  struct Placed {
    bool stemDown;
    bool start;
  };
  std::vector<std::vector<Placed>> placed;
  uint8_t lastVoice = 0;
  bool any = false;
  for (int c = 0; c < columns; ++c) {
    placed.emplace_back();
    const int size = 1 + pick(4);
    for (int k = 0; k < size; ++k) {
      const uint8_t voice = static_cast<uint8_t>(pick(4));
      if (k == 0 && pick(6) == 0) {
        bar.Add(TupletMark(static_cast<uint32_t>(1 + pick(200)), static_cast<uint8_t>(2 + pick(9)),
                           static_cast<uint8_t>(1 + pick(64)), voice));
      }
      if (pick(3) > 0) {
        if (k == 0 && pick(6) == 0) bar.Add(HintItem(version, static_cast<uint8_t>(pick(256))));
        StreamBytesList chord = Chord({static_cast<uint8_t>(pick(9)), static_cast<uint8_t>(pick(4)), voice, k > 0});
        chord[2] = static_cast<uint8_t>(pick(3) << 3 | pick(2) << 2);
        chord[3] = static_cast<uint8_t>(pick(2) << 7);
        const bool down = pick(2) == 1;
        SetChordStemDown(chord.data(), down);
        if (pick(8) == 0) chord[4] |= 0x04;
        bool start = false;
        if (ChordDurationCode(chord.data()) <= 4 && pick(2)) {
          SetChordBeamedToNext(chord.data(), true);
          // A beam starts only where the nearest earlier chord of its side
          // does not start one itself.
          bool earlierStart = false;
          for (int p = c - 1; p >= 0; --p) {
            auto it = std::find_if(placed[p].begin(), placed[p].end(),
                                   [&](const Placed& x) { return x.stemDown == down; });
            if (it != placed[p].end()) {
              earlierStart = it->start;
              break;
            }
          }
          start = !earlierStart && pick(2);
          SetChordStartsBeamGroup(chord.data(), start);
        }
        placed.back().push_back({down, start});
        bar.Add(chord);
      } else {
        StreamBytesList rest = Rest(static_cast<uint8_t>(pick(8)), voice, static_cast<uint8_t>(pick(4)), k > 0);
        if (pick(5) == 0) rest[1] |= 0x20;
        if (k == 0 && pick(10) == 0) rest = BarRest(voice);
        bar.Add(rest);
      }
      lastVoice = voice;
      any = true;
      if (pick(5) == 0) bar.Add(LyricItem(version));
      if (any && pick(6) == 0) {
        StreamBytesList slur = {uint8_t(kItemMark | kMarkSlur << 3), 1, 0, 2, 3};
        SetMarkVoice(slur.data(), lastVoice);
        bar.Add(slur);
      }
    }
  }
  return bar;
}

TEST(BarEventsWriteBack, UnchangedEventsGiveTheSameBytesAndBoxes) {
  std::mt19937 random(19);
  for (uint8_t version : {uint8_t{2}, uint8_t{5}}) {
    for (int trial = 0; trial < 60; ++trial) {
      BoxedBar bar = RandomBar(&random, version, 1 + trial % 24);
      const std::vector<uint8_t> before = bar.bytes;
      const BoxedBar rowsBefore = bar;
      ObjectBoxList list = bar.List();
      BarEvents events;
      const uint32_t end = static_cast<uint32_t>(bar.bytes.size());
      BuildBarEvents(bar.bytes.data(), 0, end, &events, &list, 0, version);
      EXPECT_EQ(WriteBackBarEvents(&bar.bytes, 0, end, events, &list, 0, false, version), end);
      ASSERT_EQ(bar.bytes, before) << "version " << int(version) << " trial " << trial;
      ASSERT_EQ(list.count, rowsBefore.count);
      EXPECT_EQ(0, std::memcmp(bar.rows, rowsBefore.rows, sizeof bar.rows));
    }
  }
}

TEST(BarEventsWriteBack, ADeletedEventTakesItsItemAndBoxRowAlong) {
  BoxedBar bar;
  for (const StreamBytesList& item : {Line(), Crotchet(), Minim(1), Crotchet()}) bar.Add(item);
  ObjectBoxList list = bar.List();
  BarEvents events;
  BuildBarEvents(bar.bytes.data(), 0, static_cast<uint32_t>(bar.bytes.size()), &events, &list, 0);
  events.At(1, 0).voice = kDeletedVoice;
  const int16_t lastRow = bar.rows[3][0];
  const uint32_t end = WriteBackBarEvents(&bar.bytes, 0, static_cast<uint32_t>(bar.bytes.size()), events, &list, 0,
                                          false);
  EXPECT_EQ(bar.bytes, JoinItems({Line(), Crotchet(), Crotchet()}));
  EXPECT_EQ(end, bar.bytes.size());
  EXPECT_EQ(list.count, 3);
  EXPECT_EQ(bar.rows[2][0], lastRow);  // the later rows moved up by one
}

TEST(BarEventsWriteBack, ATupletMarkMovesToTheEventThatCarriesIt) {
  BoxedBar bar;
  for (const StreamBytesList& item : {Line(), TupletMark(32, 3, 16, 1), Quaver(1), Quaver(1), Quaver(1), Quaver(1)})
    bar.Add(item);
  ObjectBoxList list = bar.List();
  BarEvents events;
  BuildBarEvents(bar.bytes.data(), 0, static_cast<uint32_t>(bar.bytes.size()), &events, &list, 0);
  std::swap(events.At(0, 0).tupletCount, events.At(1, 0).tupletCount);
  events.At(1, 0).tupletBox = {};
  for (int p = 0; p < 4; ++p) events.At(p, 0).voice = 2;
  WriteBackBarEvents(&bar.bytes, 0, static_cast<uint32_t>(bar.bytes.size()), events, &list, 0, false);
  EXPECT_EQ(bar.bytes, JoinItems({Line(), Quaver(2), TupletMark(32, 3, 16, 2), Quaver(2), Quaver(2), Quaver(2)}));
  // The new mark's row: the following chord's box, flattened to its top.
  ASSERT_EQ(list.count, 6);
  EXPECT_EQ(bar.rows[2][0], bar.rows[3][0]);
  EXPECT_EQ(bar.rows[2][3], bar.rows[2][2]);
}

// Random bars whose tuplets move to other events and some of whose events
// are deleted: every item that stays, and its box row, is found where the
// rewrite says it went.
TEST(BarEventsWriteBack, TheRewriteTellsWhereEveryItemThatStaysWent) {
  std::mt19937 random(23);
  int moves = 0;  // items found at another place than before
  for (uint8_t version : {uint8_t{2}, uint8_t{5}}) {
    for (int trial = 0; trial < 60; ++trial) {
      SCOPED_TRACE(testing::Message() << "version " << int(version) << " trial " << trial);
      BoxedBar bar = RandomBar(&random, version, 1 + trial % 24);
      const BoxedBar before = bar;
      ObjectBoxList list = bar.List();
      BarEvents events;
      const uint32_t end = static_cast<uint32_t>(bar.bytes.size());
      BuildBarEvents(bar.bytes.data(), 0, end, &events, &list, 0, version);
      std::vector<bool> deleted;  // per event, in stream order
      for (int p = 0; p < events.positions; ++p) {
        if (p + 1 < events.positions && random() % 3 == 0)
          std::swap(events.At(p, 0).tupletCount, events.At(p + 1, 0).tupletCount);
        if (random() % 7 == 0) events.At(p, 0).voice = kDeletedVoice;
        for (uint32_t k = 0; k < events.counts[p]; ++k) deleted.push_back(!events.At(p, k).Live());
      }
      StreamRewrite rewrite;
      const uint32_t newEnd = WriteBackBarEvents(&bar.bytes, 0, end, events, &list, 0, false, version, &rewrite);
      EXPECT_EQ(PlaceAfterRewrite(rewrite.bytes, end, HeldPlace::kItem), newEnd);
      size_t event = 0;
      int32_t row = 0;
      uint32_t length = 0;
      for (uint32_t at = 0; at < end; at += length) {
        ASSERT_TRUE(ItemLengthWithin(before.bytes.data() + at, end - at, version, &length));
        const uint8_t* item = before.bytes.data() + at;
        const int32_t itemRow = ItemHasBoxRow(item) ? row++ : -1;
        const bool isEvent = KindOf(item) == kItemRest || (KindOf(item) == kItemChord && ChordNoteCount(item) > 0);
        const bool remade = item[0] == 127 || (KindOf(item) == kItemMark && MarkSubKind(item) == kMarkTuplet);
        if (remade || (isEvent && deleted[event++])) continue;
        const int64_t to = PlaceAfterRewrite(rewrite.bytes, at, HeldPlace::kItem);
        ASSERT_LE(to + length, newEnd);
        if (to != at) ++moves;
        const uint8_t* moved = bar.bytes.data() + to;
        EXPECT_EQ(KindOf(moved), KindOf(item));
        EXPECT_EQ(ItemLength(moved, version), length);
        if (KindOf(item) == kItemMark) EXPECT_EQ(MarkSpan(moved), MarkSpan(item));
        if (!isEvent && KindOf(item) != kItemMark) EXPECT_TRUE(std::equal(item, item + length, moved));
        if (itemRow < 0) continue;
        const int64_t toRow = PlaceAfterRewrite(rewrite.rows, itemRow, HeldPlace::kItem);
        ASSERT_LT(toRow, list.count);
        EXPECT_EQ(0, std::memcmp(bar.rows[toRow], before.rows[itemRow], sizeof bar.rows[0]));
      }
    }
  }
  EXPECT_GT(moves, 100);
}

TEST(BarEventsWriteBack, ABarOfMoreThan256PositionsKeepsItsItemsPastTheBuiltOnes) {
  BoxedBar bar;
  bar.Add(Line());
  for (int i = 0; i < 300; ++i) {
    if (i == 280) bar.Add(TupletMark(32, 3, 16));
    bar.Add(Chord({kDuration128th}));
  }
  ObjectBoxList list = bar.List();
  BarEvents events;
  BuildBarEvents(bar.bytes.data(), 0, static_cast<uint32_t>(bar.bytes.size()), &events, &list, 0);
  ASSERT_EQ(events.positions, kBarPositions);
  for (int p = 0; p < kBarPositions; ++p) events.At(p, 0).voice = 1;
  const int16_t tupletRow = bar.rows[1 + 280][0];
  WriteBackBarEvents(&bar.bytes, 0, static_cast<uint32_t>(bar.bytes.size()), events, &list, 0, false);
  BoxedBar expected;
  expected.Add(Line());
  for (int i = 0; i < 300; ++i) {
    if (i == 280) expected.Add(TupletMark(32, 3, 16));
    expected.Add(Chord({kDuration128th, 0, uint8_t(i < kBarPositions ? 1 : 0)}));
  }
  EXPECT_EQ(bar.bytes, expected.bytes);
  EXPECT_EQ(list.count, expected.count);
  EXPECT_EQ(bar.rows[1 + 280][0], tupletRow);
}

TEST(BarEventsWriteBack, NumberHintsOfBothLayoutsAreRead) {
  for (uint8_t version : {uint8_t{2}, uint8_t{5}}) {
    const StreamBytesList bytes = JoinItems({HintItem(version, 40), Crotchet(), Crotchet()});
    BarEvents events;
    BuildBarEvents(bytes.data(), 0, static_cast<uint32_t>(bytes.size()), &events, nullptr, 0, -1, version);
    EXPECT_EQ(events.At(0, 0).hintState, 3u) << int(version);
    EXPECT_EQ(events.At(0, 0).hintDigits[0], 40);
    EXPECT_EQ(events.At(0, 0).hintDigits[4], 40 + 4 * 17);
    EXPECT_EQ(events.At(1, 0).hintState, 2u);
  }
}

TEST(BarEventsWriteBack, BoxListEdges) {
  int16_t rows[3][4] = {{1, 1, 1, 1}, {2, 2, 2, 2}, {3, 3, 3, 3}};
  ObjectBoxList list;
  list.rows = rows;
  list.count = 3;
  list.capacity = 3;
  InsertObjectBoxRow(&list, 1, {9, 9, 9, 9});  // full: the last row is dropped
  EXPECT_EQ(list.count, 3);
  EXPECT_EQ(rows[1][0], 9);
  EXPECT_EQ(rows[2][0], 2);
  InsertObjectBoxRow(&list, 5, {7, 7, 7, 7});  // past the list: nothing
  RemoveObjectBoxRow(&list, 3);
  EXPECT_EQ(list.count, 3);
  EXPECT_EQ(ObjectBoxRow(list, 3).left, 0);
  RemoveObjectBoxRow(&list, 0);
  EXPECT_EQ(list.count, 2);
  EXPECT_EQ(rows[0][0], 9);
}

TEST(BarEventsWriteBack, SplicingGrowsTheStreamFirst) {
  StreamSet set{};
  ASSERT_EQ(GrowStream(&set, 1, 4), 1);
  const uint32_t capacity = StreamCapacity(set, 1);
  std::vector<uint8_t> start(capacity, 0x10);  // full: every byte in use
  std::copy(start.begin(), start.end(), StreamBytes(set, 1));
  set.used[1] = capacity;
  const std::vector<uint8_t> longer(100, 0x20);
  ASSERT_TRUE(SpliceStreamRange(&set, 1, 2, 4, longer.data(), 100));
  EXPECT_EQ(set.used[1], capacity + 98);
  EXPECT_GE(StreamCapacity(set, 1), set.used[1]);
  EXPECT_EQ(StreamBytes(set, 1)[2], 0x20);
  EXPECT_EQ(StreamBytes(set, 1)[102], 0x10);
  EXPECT_EQ(StreamBytes(set, 1)[set.used[1] - 1], 0x10);
  EXPECT_FALSE(SpliceStreamRange(&set, 1, 5, set.used[1] + 1, longer.data(), 1));
  FreeStreamSet(&set);
}

}  // namespace
