// Streams with random damage: every walk stays inside the used length and
// ends cleanly, or refuses with the export's own error.
#include "tests/export/ReaderDoubles.h"

#include "export/LookAheadReaders.h"
#include "export/NiffWriterError.h"
#include "export/ReaderIndexer.h"

namespace {

class AskingRecorder : public RecordingReader {
 public:
  int ChordFlags() override { return 1; }
};

StreamBytesList SampleScore() {
  StreamBytesList beamStart = Notes(kDurationEighth, {12, 16});
  SetChordBeamedToNext(beamStart.data(), true);
  SetChordStartsBeamGroup(beamStart.data(), true);
  StreamBytesList beamEnd = Notes(kDurationEighth, {13});
  SetChordBeamedToNext(beamEnd.data(), true);
  StreamBytesList slur = {uint8_t(kItemMark | kMarkSlur << 3 | kMarkBit7), 16, 0, 0, 0};
  StreamBytesList chord = {kChordSymbolFirstByte, 7, 0, 0, 0, 0, 0, 0, 0, 0};
  SetChordSymbolFields(chord.data(), 1, 3, 12, 3);
  return JoinItems({PageMarkItem(), ClefItem(kClefTreble), KeyItem(-2), TimeItem(3, 5), TextItem(kTextLyric, "la"),
                    Tuplet(3, 15, 32), beamStart, beamEnd, Notes(kDurationEighth, {14}), slur,
                    Notes(kDurationQuarter, {15}, 1), Rest(kDurationQuarter), chord, Bar(),
                    Notes(kDurationHalf, {9, 12, 14}), Bar(kBarFinal), SystemMark(), EndMark()});
}

TEST_F(ReaderTest, DamagedStreamsAreReadWithinTheirBounds) {
  const StreamBytesList sample = SampleScore();
  uint32_t seed = 12345;
  auto next = [&seed]() {
    seed = seed * 1103515245u + 12345u;
    return seed >> 16;
  };
  int refused = 0;
  for (int round = 0; round < 400; ++round) {
    StreamBytesList damaged = sample;
    const int changes = 1 + int(next() % 4);
    for (int c = 0; c < changes; ++c) damaged[next() % damaged.size()] = uint8_t(next());
    if (round % 3 == 0) damaged.resize(next() % damaged.size());  // cut anywhere, end mark lost
    try {
      AskingRecorder reader;
      Read(damaged, reader);
      SetPart(2, damaged);
      CKVReaderIndexer index;
      index.BuildIndex();
      for (int page = 0; page < index.PageCount(); ++page) index.PageStart(page);
    } catch (const CNiffWriterError&) {
      ++refused;
    }
  }
  // Most damage is read through; what cannot be is refused, never crashed on.
  EXPECT_LT(refused, 400);
}

}  // namespace
