#include "tests/export/ReaderDoubles.h"

#include "export/LookAheadReaders.h"
#include "export/NiffWriterError.h"

namespace {

using Log = std::vector<std::string>;

// A chord that stands in the column of the chord before it (another voice).
StreamBytesList Sharing(StreamBytesList chord) {
  chord[1] |= 1;
  return chord;
}

TEST_F(ReaderTest, NotesRestsAndBarsInExactTime) {
  RecordingReader reader;
  Log log = Read(JoinItems({ClefItem(kClefTreble), TimeItem(4, 5), Notes(kDurationQuarter, {12, 16}),
                            Rest(kDurationEighth), Notes(kDurationEighth, {14}, 0, 1), Bar(),
                            Notes(kDurationHalf, {12}), Bar(kBarFinal), SystemMark()}),
                 reader);
  EXPECT_EQ(log, (Log{"clef 1", "time 4/4", "chord v0 2 notes at 0/1", "rest 1/8 at 1/4", "chord v0 1 notes at 3/8",
                      "bar 0", "pad 1/16 at 9/16", "pad 1/8 at 5/8", "pad 1/4 at 3/4",
                      "chord v0 1 notes at 0/1", "bar 7", "pad 1/4 at 1/2", "pad 1/4 at 3/4", "system"}));
  EXPECT_TRUE(reader.Problems().empty());
}

TEST_F(ReaderTest, AnEmptyBarGetsOneWholeBarRest) {
  RecordingReader reader;
  Log log = Read(JoinItems({Bar(), Bar(), SystemMark()}), reader, {FileExporting::CTimeSig(3, 4)});
  EXPECT_EQ(log, (Log{"bar 0", "pad 3/4 at 0/1", "bar 0", "pad 3/4 at 0/1", "system"}));
  EXPECT_EQ(reader.clock.barNumber, 3);
  EXPECT_EQ(Fraction(reader.clock.barStart), "3/2");
}

TEST_F(ReaderTest, VoicesRunSideBySide) {
  RecordingReader reader;
  Log log = Read(JoinItems({Notes(kDurationHalf, {16}, 0), Sharing(Notes(kDurationQuarter, {9}, 1)),
                            Notes(kDurationQuarter, {8}, 1), Notes(kDurationHalf, {17}, 0),
                            Sharing(Notes(kDurationHalf, {9}, 1)), Bar(), SystemMark()}),
                 reader);
  EXPECT_EQ(log, (Log{"chord v0 1 notes at 0/1", "chord v1 1 notes at 0/1", "chord v1 1 notes at 1/4",
                      "chord v0 1 notes at 1/2", "chord v1 1 notes at 1/2", "bar 0", "system"}));
}

TEST_F(ReaderTest, ALeadingRepeatOpensTheSystemAndALaterOneEndsABar) {
  RecordingReader reader;
  Log log = Read(JoinItems({Bar(kBarStartRepeat), Rest(kDurationWhole), Bar(kBarStartRepeat),
                            Rest(kDurationWhole), Bar(), SystemMark()}),
                 reader);
  EXPECT_EQ(log, (Log{"leading 2", "rest 1/1 at 0/1", "bar 2", "rest 1/1 at 0/1", "bar 0", "system"}));
}

TEST_F(ReaderTest, TheSystemMarkClosesALastBarWithoutABarLine) {
  RecordingReader reader;
  Log log = Read(JoinItems({Notes(kDurationHalf, {12}), SystemMark(), Notes(kDurationHalf, {12}), Bar(),
                            SystemMark()}),
                 reader);
  // The base reader reads one system per walk.
  EXPECT_EQ(log, (Log{"chord v0 1 notes at 0/1", "bar 0", "pad 1/4 at 1/2", "pad 1/4 at 3/4", "system"}));
}

TEST_F(ReaderTest, VoicesTwoAndThreeAloneDoNotCloseTheBar) {
  RecordingReader reader;
  Log log = Read(JoinItems({Notes(kDurationHalf, {12}, 2), Sharing(Notes(kDurationHalf, {14}, 3)), SystemMark()}),
                 reader);
  EXPECT_EQ(log, (Log{"chord v2 1 notes at 0/1", "chord v3 1 notes at 0/1", "system"}));
}

TEST_F(ReaderTest, HiddenSignaturesAndKeysNotInForceAreNotReported) {
  RecordingReader reader;
  Log log = Read(JoinItems({KeyItem(3), KeyItem(0, true), TimeItem(3, 5, true), TimeItem(2, 6), SystemMark()}),
                 reader);
  EXPECT_EQ(log, (Log{"key 3", "time 2/2", "system"}));
}

TEST_F(ReaderTest, AStreamWithoutItsEndMarkStillClosesItsLastBar) {
  RecordingReader reader;
  Log log = Read(JoinItems({Notes(kDurationQuarter, {12}), Notes(kDurationQuarter, {13})}), reader);
  EXPECT_EQ(log, (Log{"chord v0 1 notes at 0/1", "chord v0 1 notes at 1/4", "bar 0", "pad 1/4 at 1/2",
                      "pad 1/4 at 3/4"}));
  EXPECT_TRUE(reader.IsStopped());
  RecordingReader marked;
  EXPECT_EQ(Read(JoinItems({Notes(kDurationQuarter, {12}), Notes(kDurationQuarter, {13}), EndMark()}), marked), log);
}

TEST_F(ReaderTest, TheWalkStopsAtTheUsedLengthAndAtADamagedItem) {
  // The chord claims three notes but the stream ends after one.
  StreamBytesList cut = JoinItems({Notes(kDurationHalf, {12}), Notes(kDurationQuarter, {12, 13, 14})});
  cut.resize(cut.size() - 2);
  RecordingReader reader;
  Log log = Read(cut, reader);
  EXPECT_EQ(log, (Log{"chord v0 1 notes at 0/1", "bar 0", "pad 1/4 at 1/2", "pad 1/4 at 3/4"}));
  ASSERT_EQ(reader.Problems().size(), 1u);
  EXPECT_EQ(reader.Problems()[0].problem, ReadProblem::kDamagedStream);
}

TEST_F(ReaderTest, AnOverfullBarIsReadWholeAndReportedOnce) {
  RecordingReader reader;
  Log log = Read(JoinItems({Notes(kDurationHalf, {12}), Notes(kDurationHalf, {13}), Notes(kDurationQuarter, {14}),
                            Rest(kDurationQuarter), Bar(), Notes(kDurationWhole, {12}), Bar(), SystemMark()}),
                 reader);
  EXPECT_EQ(log, (Log{"chord v0 1 notes at 0/1", "chord v0 1 notes at 1/2", "chord v0 1 notes at 1/1",
                      "rest 1/4 at 5/4", "bar 0", "chord v0 1 notes at 0/1", "bar 0", "system"}));
  ASSERT_EQ(reader.Problems().size(), 1u);
  EXPECT_EQ(reader.Problems()[0].problem, ReadProblem::kOverfullBar);
  EXPECT_EQ(reader.Problems()[0].bar, 1);
  EXPECT_EQ(reader.Problems()[0].staff, 1);
}

TEST_F(ReaderTest, AnUnreadableChordIsSteppedOverAndReported) {
  StreamBytesList bad = Notes(kDurationQuarter, {12});
  bad[1] = uint8_t(12 << 2);  // no note value has code 12
  RecordingReader reader;
  Log log = Read(JoinItems({Notes(kDurationHalf, {12}), bad, Notes(kDurationHalf, {12}), Bar(), SystemMark()}),
                 reader);
  EXPECT_EQ(log, (Log{"chord v0 1 notes at 0/1", "chord v0 1 notes at 1/2", "bar 0", "system"}));
  ASSERT_EQ(reader.Problems().size(), 1u);
  EXPECT_EQ(reader.Problems()[0].problem, ReadProblem::kUnreadableItem);
}

TEST_F(ReaderTest, SkippedItemsMakeNoCallsAtAll) {
  int events = 0;
  RecordingReader reader;
  SetPart(0, {});
  SetPart(1, JoinItems({ClefItem(kClefBass), KeyItem(2), Notes(kDurationWhole, {12}), Bar(), SystemMark()}));
  reader.Begin(SignatureList());
  reader.AddHandler(std::make_unique<FactorHandler>(3, CBeatCounter(1, 1), &events));
  reader.SetStream(StreamBytes(ScoreStream, 1), 1);
  reader.ReadStaffStream(2);
  EXPECT_EQ(reader.log, (Log{"chord v0 1 notes at 0/1", "bar 0", "system"}));
  // New blocks for the chord, the bar line and the system mark; a stem, a
  // notehead and an end of bar.
  EXPECT_EQ(events, 6);
}

TEST_F(ReaderTest, AnOpenTupletScalesItsVoice) {
  int events = 0;
  RecordingReader reader;
  SetPart(0, {});
  SetPart(1, JoinItems({Notes(kDurationEighth, {12}), Sharing(Notes(kDurationQuarter, {15}, 1)),
                        Notes(kDurationEighth, {13}), Notes(kDurationEighth, {14}), Bar(), SystemMark()}));
  reader.Begin(SignatureList());
  reader.AddHandler(std::make_unique<FactorHandler>(0, CBeatCounter(2, 3), &events));
  reader.SetStream(StreamBytes(ScoreStream, 1), 1);
  reader.ReadStaffStream(0);
  EXPECT_EQ(reader.log, (Log{"chord v0 1 notes at 0/1", "chord v1 1 notes at 0/1", "chord v0 1 notes at 1/12",
                             "chord v0 1 notes at 1/6", "bar 0", "pad 1/4 at 1/4", "pad 1/4 at 1/2",
                             "pad 1/4 at 3/4", "system"}));
}

TEST_F(ReaderTest, TupletMarksAreExactAndUnreadableOnesDropped) {
  RecordingReader reader;
  Log log = Read(JoinItems({Tuplet(3, 15, 32), Tuplet(0, 15, 32), Tuplet(3, 2, 0), Tuplet(3, 2, 32), SystemMark()}),
                 reader);
  EXPECT_EQ(log, (Log{"tuplet 3/8", "tuplet 9/128", "system"}));
}

TEST_F(ReaderTest, TextsBecomeDescriptionsThroughTheInstalledObjects) {
  std::vector<uint8_t> chord = {kChordSymbolFirstByte, 7, 0, 0, 0, 0, 0, 0, 0, 0};
  SetChordSymbolFields(chord.data(), 1, 13, 18, 13);
  std::vector<uint8_t> both = chord;
  const uint8_t diagram[kChordDiagramFieldCount] = {1, 0, 0, 0, 0, 0, 7};
  SetChordDiagramFields(both.data(), 1, diagram);
  std::vector<uint8_t> unknown = chord;
  SetChordSymbolFields(unknown.data(), 1, 13, 50, 13);
  std::vector<uint8_t> staffStart = {MakeTextFirstByte(kTextStaffStart), 4, 0, 0x10, 0, 0x20, 0};
  std::vector<uint8_t> hairpin = {MakeTextFirstByte(kTextHairpin19), 4, 0, 0, 0, 0, 0};
  std::vector<uint8_t> coda = TextItem(kTextCoda, "Coda");
  RecordingReader reader;
  Log log = Read(JoinItems({TextItem(kTextLyric, "la"), TextItem(kTextTempo, "Allegro"), chord, both, staffStart,
                            hairpin, coda, unknown, SystemMark()}),
                 reader);
  EXPECT_EQ(log, (Log{"text1", "text23", "chord", "chord", "grid", "stave 16,32", "hairpin1", "chord", "system"}));
  ASSERT_EQ(reader.Problems().size(), 1u);
  EXPECT_EQ(reader.Problems()[0].problem, ReadProblem::kUnknownChordSuffix);

  SetExportObjectFactory(nullptr);  // without the objects, texts are passed over
  RecordingReader bare;
  EXPECT_EQ(Read(JoinItems({TextItem(kTextLyric, "la"), staffStart, SystemMark()}), bare),
            (Log{"stave 16,32", "system"}));
}

TEST_F(ReaderTest, AMultiBarRestCarriesItsLabel) {
  StreamBytesList multi(2, 0);
  SetMultiBarRest(multi.data(), 4, 0);
  RecordingReader reader;
  Log log = Read(JoinItems({multi, Bar(), SystemMark()}), reader, {FileExporting::CTimeSig(3, 4)});
  EXPECT_EQ(log, (Log{"rest 3/4 at 0/1", "bars4", "bar 0", "system"}));
}

TEST_F(ReaderTest, CopiesCloneTheirHandlers) {
  int events = 0;
  RecordingReader reader;
  reader.AddHandler(std::make_unique<FactorHandler>(0, CBeatCounter(2, 3), &events));
  CKVReader copy(reader);
  EXPECT_EQ(copy.HandlerCount(), 1u);
  EXPECT_EQ(Fraction(copy.TimeFactor(-1)), "2/3");
  EXPECT_EQ(Fraction(copy.TimeFactor(1)), "1/1");
}

TEST_F(ReaderTest, AStaffOutsideThePartsIsRefused) {
  SetPart(1, JoinItems({SystemMark()}));
  CKVReader reader;
  EXPECT_THROW(reader.SetStream(StreamBytes(ScoreStream, 1), 2), CNiffWriterError);
  EXPECT_THROW(reader.SetStream(StreamBytes(ScoreStream, 1), -1), CNiffWriterError);
}

// ---- Look-aheads -------------------------------------------------------------------

StreamBytesList Beamed(uint8_t voice, bool start, bool inBeam) {
  StreamBytesList item = Notes(kDurationEighth, {12}, voice);
  SetChordBeamedToNext(item.data(), inBeam);
  SetChordStartsBeamGroup(item.data(), start);
  return item;
}

TEST_F(ReaderTest, BeamGroupsCountTheirVoiceUpToTheGroupEnd) {
  SetPart(0, {});
  SetPart(1, JoinItems({Beamed(0, true, true), Beamed(1, false, false), Beamed(0, false, true),
                        Beamed(0, false, true), Beamed(0, false, false), Beamed(0, true, true),
                        Beamed(0, false, true), Bar(), Beamed(0, false, true), SystemMark()}));
  CKVReader asker;
  asker.Begin(SignatureList());
  asker.SetStream(StreamBytes(ScoreStream, 1), 1);
  const uint8_t* first = StreamBytes(ScoreStream, 1);
  EXPECT_EQ(BeamGroupSize(first, 1, 0, asker), 3);
  const uint8_t* second = first + 5 * 6;
  EXPECT_EQ(BeamGroupSize(second, 1, 0, asker), 2);  // cut off by the bar line
}

TEST_F(ReaderTest, NextNoteDurationOfAGraceChordIsZero) {
  StreamBytesList grace = Notes(kDurationEighth, {12});
  grace[4] |= 0x04;
  SetPart(0, {});
  SetPart(1, JoinItems({Tuplet(3, 15, 32), grace, Notes(kDurationHalf, {12}), SystemMark()}));
  CKVReader asker;
  asker.Begin(SignatureList());
  asker.SetStream(StreamBytes(ScoreStream, 1), 1);
  const uint8_t* mark = StreamBytes(ScoreStream, 1);
  EXPECT_EQ(Fraction(NextNoteDuration(mark, 1, asker)), "0/1");
  EXPECT_EQ(Fraction(NextNoteDuration(mark + 5 + 6, 1, asker)), "1/2");
  // A count needs the NIFF writer's node counter: a clean refusal without it.
  EXPECT_THROW(TupletNodeCount(mark, 1, asker), CNiffWriterError);
}

}  // namespace
