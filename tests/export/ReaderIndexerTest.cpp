#include "tests/export/ReaderDoubles.h"

#include "export/NiffWriterError.h"
#include "export/ReaderIndexer.h"

namespace {

StreamBytesList Whole() { return Notes(kDurationWhole, {12}); }
StreamBytesList Crotchets(int n) {
  StreamBytesList all;
  for (int i = 0; i < n; ++i) {
    StreamBytesList one = Notes(kDurationQuarter, {12});
    all.insert(all.end(), one.begin(), one.end());
  }
  return all;
}

StreamBytesList StavePlace(uint16_t x, uint16_t y) {
  return {MakeTextFirstByte(kTextStaffStart), 4, 0, uint8_t(x), uint8_t(x >> 8), uint8_t(y), uint8_t(y >> 8)};
}

std::string Signatures(const SignatureList& list) {
  std::string text;
  for (const FileExporting::CTimeSig& s : list) text += Fraction(s) + " ";
  return text;
}

TEST_F(ReaderTest, SystemLengthsFollowTheirSignatures) {
  SetPart(0, {});
  SetPart(1, JoinItems({TimeItem(3, 5), Crotchets(3), Bar(), Crotchets(3), Bar(), Crotchets(3), Bar(),
                        TimeItem(2, 5), Crotchets(2), Bar(), SystemMark(), Crotchets(2), Bar(), SystemMark()}));
  CKVReaderIndexer index;
  index.BuildIndex();
  ASSERT_EQ(index.Records().size(), 2u);
  const SystemRecord& first = index.Records()[0];
  EXPECT_EQ(first.bars, 4);
  EXPECT_EQ(Fraction(first.time), "11/4");
  EXPECT_EQ(Signatures(first.signatures), "3/4 0/1 0/1 2/4 ");
  EXPECT_EQ(first.signature.numerator, 3);
  const SystemRecord& second = index.Records()[1];
  EXPECT_EQ(Fraction(second.start), "11/4");
  EXPECT_EQ(Fraction(second.time), "1/2");
  EXPECT_EQ(second.signature.numerator, 2);
  EXPECT_EQ(index.TotalBars(), 5);
  EXPECT_EQ(Fraction(index.RecordTime(1, 1)), "1/2");
}

TEST_F(ReaderTest, TheLastSignatureOfABarIsKept) {
  SetPart(0, {});
  SetPart(1, JoinItems({TimeItem(3, 5), TimeItem(6, 4), Crotchets(3), Bar(), SystemMark()}));
  CKVReaderIndexer index;
  index.BuildIndex();
  ASSERT_EQ(index.Records().size(), 1u);
  EXPECT_EQ(Signatures(index.Records()[0].signatures), "6/8 ");
  EXPECT_EQ(Fraction(index.Records()[0].time), "3/4");
}

TEST_F(ReaderTest, APartWithoutMusicHasNoRecords) {
  SetPart(0, {});
  SetPart(1, JoinItems({StavePlace(40, 90), Bar(), EndMark()}));
  CKVReaderIndexer index;
  index.BuildIndex();
  EXPECT_TRUE(index.Records().empty());
  EXPECT_EQ(index.PageCount(), 1);
  EXPECT_THROW(index.RecordTime(0, 1), CNiffWriterError);
  EXPECT_THROW(index.FirstRecordWithTime(0), CNiffWriterError);
}

TEST_F(ReaderTest, MusicAfterTheLastSystemMarkFormsALastSystem) {
  struct Case {
    const char* name;
    StreamBytesList tail;  // after "whole, bar, system mark"
    int bars;
    const char* time;
  };
  const Case cases[] = {
      {"closed bar and end mark", JoinItems({Whole(), Bar(), EndMark()}), 1, "1/1"},
      {"closed bar, no end mark", JoinItems({Whole(), Bar()}), 1, "1/1"},
      {"open bar, no end mark", JoinItems({Whole(), Bar(), Crotchets(2)}), 2, "2/1"},
      {"a rest alone", Rest(kDurationHalf), 1, "1/1"},
      {"stave place, then music up to a damaged item",
       JoinItems({StavePlace(40, 90), Crotchets(4), Bar(), {uint8_t(kItemChord | 3 << 3)}}), 1, "1/1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetPart(0, {});
    SetPart(1, JoinItems({Whole(), Bar(), SystemMark(), c.tail}));
    CKVReaderIndexer index;
    index.BuildIndex();
    ASSERT_EQ(index.Records().size(), 2u);
    const SystemRecord* last = index.FindRecord(1, 1);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->bars, c.bars);
    EXPECT_EQ(Fraction(last->time), c.time);
    EXPECT_EQ(Fraction(last->start), "1/1");
    EXPECT_EQ(last->firstItem, StreamBytes(ScoreStream, 1) + Whole().size() + 2);
    EXPECT_EQ(index.TotalBars(), 1 + c.bars);
    EXPECT_EQ(index.SystemsOnPage(0), 2);
  }
}

TEST_F(ReaderTest, NoLastSystemWithoutChordsOrRestsBeforeTheEnd) {
  const StreamBytesList tails[] = {
      {},
      PageMarkItem(),
      JoinItems({StavePlace(40, 90), ClefItem(kClefBass), Bar()}),
      JoinItems({EndMark(), Whole(), Bar()}),  // past the end mark
  };
  for (const StreamBytesList& tail : tails) {
    SCOPED_TRACE(testing::PrintToString(tail));
    SetPart(0, {});
    SetPart(1, JoinItems({Whole(), Bar(), SystemMark(), tail}));
    CKVReaderIndexer index;
    index.BuildIndex();
    EXPECT_EQ(index.Records().size(), 1u);
  }
}

TEST_F(ReaderTest, APartWithoutAnySystemMarkIsOneSystem) {
  SetPart(0, {});
  SetPart(1, JoinItems({Whole(), Bar(), Whole()}));
  CKVReaderIndexer index;
  index.BuildIndex();
  ASSERT_EQ(index.Records().size(), 1u);
  EXPECT_EQ(index.Records()[0].bars, 2);
  EXPECT_EQ(index.Records()[0].firstItem, StreamBytes(ScoreStream, 1));
  EXPECT_EQ(index.FirstRecordWithTime(0).part, 1);
}

TEST_F(ReaderTest, PartsThatCloseTheirLastSystemGetTheOpenLastSystemEmpty) {
  SetPart(0, {});
  SetPart(1, JoinItems({Whole(), Bar(), SystemMark(), Whole(), Bar(), Whole(), Bar()}));
  SetPart(2, JoinItems({StavePlace(40, 90), Whole(), Bar(), SystemMark(), EndMark()}));
  SetPart(3, JoinItems({Whole(), Bar(), SystemMark(), Crotchets(4)}));
  CKVReaderIndexer index;
  index.BuildIndex();
  for (int part = 1; part <= 3; ++part) ASSERT_NE(index.FindRecord(1, part), nullptr) << part;
  const SystemRecord* empty = index.FindRecord(1, 2);
  EXPECT_EQ(empty->bars, 0);
  EXPECT_FALSE(empty->time.IsNonZero());
  EXPECT_EQ(Fraction(empty->start), "1/1");
  EXPECT_EQ(empty->page, 0);
  EXPECT_EQ(empty->stavePosition[0], 40);
  EXPECT_EQ(index.FindRecord(1, 1)->bars, 2);
  EXPECT_EQ(Fraction(index.FindRecord(1, 3)->time), "2/1");
  EXPECT_EQ(index.TotalBars(), 3);
  EXPECT_EQ(index.SystemsOnPage(0), 2);
}

TEST_F(ReaderTest, ALastSystemAfterAPageMarkLiesOnTheNextPage) {
  SetPart(0, {});
  SetPart(1, JoinItems({Whole(), Bar(), SystemMark(), PageMarkItem(), Whole(), Bar(), EndMark()}));
  SetPart(2, JoinItems({Whole(), Bar(), SystemMark(), PageMarkItem()}));
  CKVReaderIndexer index;
  index.BuildIndex();
  const SystemRecord* last = index.FindRecord(1, 1);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->page, 1);
  EXPECT_EQ(last->firstItem, StreamBytes(ScoreStream, 1) + Whole().size() + 3);
  ASSERT_NE(index.FindRecord(1, 2), nullptr);
  EXPECT_EQ(index.FindRecord(1, 2)->page, 1);
  EXPECT_EQ(index.PageCount(), 2);
  EXPECT_EQ(index.SystemsOnPage(1), 1);
}

TEST_F(ReaderTest, AnOpenLastSystemDoesNotHideAPartMissingAnEarlierOne) {
  SetPart(0, {});
  SetPart(1, JoinItems({Whole(), Bar(), SystemMark(), Whole(), Bar(), SystemMark(), Whole()}));
  SetPart(2, JoinItems({Whole(), Bar(), SystemMark()}));
  CKVReaderIndexer index;
  EXPECT_THROW(index.BuildIndex(), CNiffWriterError);
}

TEST_F(ReaderTest, SystemsAreAlignedAcrossParts) {
  SetPart(0, {});
  // Part 2 is empty in the first system; part 1 holds the stave position.
  SetPart(1, JoinItems({{MakeTextFirstByte(kTextStaffStart), 4, 0, 40, 0, 90, 1}, Whole(), Bar(), Whole(), Bar(),
                        SystemMark(), Whole(), Bar(), SystemMark()}));
  SetPart(2, JoinItems({SystemMark(), Whole(), Bar(), SystemMark()}));
  CKVReaderIndexer index;
  index.BuildIndex();
  const SystemRecord* empty = index.FindRecord(0, 2);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->bars, 0);
  EXPECT_FALSE(empty->time.IsNonZero());
  EXPECT_EQ(Signatures(empty->signatures), "0/1 0/1 ");  // merged from part 1
  const SystemRecord* second = index.FindRecord(1, 2);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(Fraction(second->start), "2/1");
  const SystemRecord& reference = index.FirstRecordWithTime(0);
  EXPECT_EQ(reference.part, 1);
  EXPECT_EQ(reference.stavePosition[0], 40);
  EXPECT_EQ(reference.stavePosition[1], 90 + 256);
  EXPECT_EQ(index.TotalBars(), 3);
}

TEST_F(ReaderTest, APartMissingASystemIsRefused) {
  SetPart(0, {});
  SetPart(1, JoinItems({Whole(), Bar(), SystemMark(), Whole(), Bar(), SystemMark()}));
  SetPart(2, JoinItems({Whole(), Bar(), SystemMark()}));
  CKVReaderIndexer index;
  EXPECT_THROW(index.BuildIndex(), CNiffWriterError);
}

TEST_F(ReaderTest, PageStartsComeFromThePageLevelSlotWhateverThePartsHold) {
  // The page-level slot has two pages; the part has three.
  const StreamBytesList title = TextItem(kTextTitle, "Song");
  const StreamBytesList composer = TextItem(kTextComposer, "Anon");
  SetPart(0, JoinItems({PageMarkItem(), title, PageMarkItem(), composer}));
  SetPart(1, JoinItems({PageMarkItem(), Whole(), Bar(), SystemMark(), PageMarkItem(), Whole(), Bar(), SystemMark(),
                        Whole(), Bar(), SystemMark(), PageMarkItem(), Whole(), Bar(), SystemMark()}));
  CKVReaderIndexer index;
  index.BuildIndex();
  const uint8_t* slot0 = StreamBytes(ScoreStream, 0);
  ASSERT_EQ(index.PageCount(), 3);
  EXPECT_EQ(index.PageStart(0), slot0 + 1);
  EXPECT_EQ(index.PageStart(1), slot0 + 2 + title.size());
  EXPECT_EQ(index.PageStart(2), slot0 + ScoreStream.used[0]);  // no heading items
  EXPECT_THROW(index.PageStart(-1), CNiffWriterError);
  EXPECT_EQ(index.SystemsOnPage(0), 1);
  EXPECT_EQ(index.SystemsOnPage(1), 2);
  EXPECT_EQ(index.SystemsOnPage(2), 1);
  // A page mark right after a system mark: the next system starts after it.
  const uint8_t* part1 = StreamBytes(ScoreStream, 1);
  const SystemRecord* secondSystem = index.FindRecord(1, 1);
  ASSERT_NE(secondSystem, nullptr);
  EXPECT_EQ(secondSystem->firstItem, part1 + 1 + Whole().size() + 2 + 1);
  EXPECT_EQ(secondSystem->page, 1);
}

}  // namespace
