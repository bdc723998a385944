#include "tests/export/ReaderDoubles.h"

#include "export/LookAheadReaders.h"
#include "export/NiffWriterError.h"
#include "export/ReaderStrings.h"

namespace {

// Stands in for a writer's tuplet state: it closes after three stems and
// tells the handler attached to it of each node and of its closing.
struct FakeTupletState {
  int stemsLeft = 0;
  CNiffReadAheadHandler* watcher = nullptr;
};

class FakeCounter : public CNiffReadAheadHandler {
 public:
  void AttachTo(CNiffSymbolState* state) override {
    ASSERT_NE(state, nullptr);
    reinterpret_cast<FakeTupletState*>(state)->watcher = this;
  }
  bool IsDone() const override { return done; }
  int Count() const override { return count; }
  int count = 0;
  bool done = false;
};

class FakeTupletOpener : public CNiffEventHandler {
 public:
  std::unique_ptr<CNiffEventHandler> Clone() const override {
    auto copy = std::make_unique<FakeTupletOpener>();
    copy->state_.stemsLeft = state_.stemsLeft;
    return copy;
  }
  void OnEvent(const CNiffEvent& event) override {
    if (state_.stemsLeft == 0 || !dynamic_cast<const CNiffEventOnReadStem*>(&event)) return;
    auto* counter = static_cast<FakeCounter*>(state_.watcher);
    if (counter) ++counter->count;
    if (--state_.stemsLeft == 0 && counter) counter->done = true;
  }
  CNiffSymbolState* OpenTuplet(const TupletRecord&) override {
    state_.stemsLeft = 3;
    return reinterpret_cast<CNiffSymbolState*>(&state_);
  }

 private:
  FakeTupletState state_;
};

// Answers 0 (enough) at the first stem after the tied chord's own.
class FakeTie : public CNiffTieWatcher {
 public:
  explicit FakeTie(std::vector<std::string>* offers, bool fail) : offers_(offers), fail_(fail) {}
  int Offer(const CNiffEvent& event) override {
    if (fail_) throw CNiffWriterError();
    if (dynamic_cast<const CNiffEventOnReadStem*>(&event)) {
      offers_->push_back("stem");
      return 0;
    }
    offers_->push_back(dynamic_cast<const CNiffEventOnReadNotehead*>(&event) ? "head" : "block");
    return 1;
  }

 private:
  std::vector<std::string>* offers_;
  bool fail_;
};

class CountingObjects : public FakeObjects {
 public:
  std::unique_ptr<CNiffReadAheadHandler> CreateNodeCounter() override { return std::make_unique<FakeCounter>(); }
  std::unique_ptr<CNiffTieWatcher> CreateTieState(int, int) override {
    return std::make_unique<FakeTie>(&offers, failTie);
  }
  std::vector<std::string> offers;
  bool failTie = false;
};

class LookAheadTest : public ReaderTest {
 protected:
  void SetUp() override {
    ReaderTest::SetUp();
    SetExportObjectFactory(&counting_);
  }
  const uint8_t* Start(const StreamBytesList& part) {
    SetPart(0, {});
    SetPart(1, part);
    asker_.Begin(SignatureList());
    asker_.SetStream(StreamBytes(ScoreStream, 1), 1);
    return StreamBytes(ScoreStream, 1);
  }
  CountingObjects counting_;
  CKVReader asker_;
};

StreamBytesList Eighths(int n) {
  StreamBytesList all;
  for (int i = 0; i < n; ++i) {
    StreamBytesList one = Notes(kDurationEighth, {uint8_t(12 + i)});
    all.insert(all.end(), one.begin(), one.end());
  }
  return all;
}

TEST_F(LookAheadTest, ATupletCountsTheNodesOfTheStateItOpened) {
  const uint8_t* mark = Start(JoinItems({Tuplet(3, 15, 32), Eighths(5), Bar(), SystemMark()}));
  asker_.AddHandler(std::make_unique<FakeTupletOpener>());
  EXPECT_EQ(TupletNodeCount(mark, 1, asker_), 3);
}

TEST_F(LookAheadTest, ATupletThatNeverClosesCountsWhatItSaw) {
  const uint8_t* mark = Start(JoinItems({Tuplet(3, 15, 32), Eighths(2)}));
  asker_.AddHandler(std::make_unique<FakeTupletOpener>());
  EXPECT_EQ(TupletNodeCount(mark, 1, asker_), 2);
}

TEST_F(LookAheadTest, TheTieStateIsFedUntilItHasEnough) {
  const uint8_t* chord = Start(JoinItems({Eighths(3), Bar(), SystemMark()}));
  EXPECT_EQ(TieLookAhead(chord, 1, 1, 12, asker_), 1);
  EXPECT_EQ(counting_.offers, (std::vector<std::string>{"block", "head", "block", "stem"}));
  counting_.failTie = true;
  EXPECT_THROW(TieLookAhead(chord, 1, 1, 12, asker_), CNiffWriterError);
}

// A reader that asks for the look-ahead values, as the NIFF writer does.
class AskingReader : public RecordingReader {
 public:
  int ChordFlags() override { return 1; }
  void OnChord(const ChordRecord& chord) override {
    groups.push_back(chord.beam.inBeam ? chord.beamGroupSize : -1);
    ties.push_back(chord.noteCount > 0 ? chord.notes[0].tie : -1);
    RecordingReader::OnChord(chord);
  }
  std::vector<int> groups;
  std::vector<int> ties;
};

StreamBytesList Beam(bool start, bool inBeam) {
  StreamBytesList item = Notes(kDurationEighth, {12});
  SetChordBeamedToNext(item.data(), inBeam);
  SetChordStartsBeamGroup(item.data(), start);
  return item;
}

TEST_F(LookAheadTest, ChordRecordsCarryTheLookAheadValuesWhenAsked) {
  AskingReader reader;
  Read(JoinItems({Beam(true, true), Beam(false, true), Beam(false, true), Beam(true, true), Beam(false, false),
                  Bar(), SystemMark()}),
       reader);
  // The beam bit marks every chord of a group; a group of one loses its beam.
  EXPECT_EQ(reader.groups, (std::vector<int>{3, 0, 0, -1, -1}));
  EXPECT_EQ(reader.ties, (std::vector<int>{1, 1, 1, 1, 1}));
}

TEST_F(LookAheadTest, TheStringsReaderTakesTheTextsThatArePresent) {
  class TextObjects : public FakeObjects {
   public:
    std::unique_ptr<CNiffDescription> CreateTextDescription(uint8_t subKind) override {
      class Described : public FakeDescription {
       public:
        using FakeDescription::FakeDescription;
        void Fill(const uint8_t* item, int) override { text = ItemText(item, ScoreFormatVersion, 64); }
        const std::u16string* Text() const override { return text.empty() ? nullptr : &text; }
        std::u16string text;
      };
      return std::make_unique<Described>("text");
    }
  } objects;
  SetExportObjectFactory(&objects);
  Start(JoinItems({TextItem(kTextStaff, "Song"), TextItem(kTextLyric, ""), TextItem(kTextLyric, "la"), SystemMark()}));
  CKVReaderStrings strings;
  strings.Begin(SignatureList());
  strings.SetStream(StreamBytes(ScoreStream, 1), 1);
  strings.ReadStaffStream(0);
  EXPECT_EQ(strings.texts, (std::vector<std::u16string>{u"Song", u"la"}));
}

}  // namespace

namespace {

// Stands in for a writer's slur state: it ends at the second stem after it
// opened, and its measure handler keeps the time of that stem.
struct FakeSlurState {
  int stemsLeft = 0;
  CNiffReadAheadHandler* watcher = nullptr;
};

class FakeMeasure : public CNiffReadAheadHandler {
 public:
  void AttachTo(CNiffSymbolState* state) override { reinterpret_cast<FakeSlurState*>(state)->watcher = this; }
  bool IsDone() const override { return done; }
  CBeatCounter StoredTime() const override { return time; }
  bool done = false;
  CBeatCounter time;
};

class FakeSlurOpener : public CNiffEventHandler {
 public:
  std::unique_ptr<CNiffEventHandler> Clone() const override { return std::make_unique<FakeSlurOpener>(); }
  void OnEvent(const CNiffEvent& event) override {
    auto* stem = dynamic_cast<const CNiffEventOnReadStem*>(&event);
    if (!stem || state_.stemsLeft == 0) return;
    if (--state_.stemsLeft == 0 && state_.watcher) {
      auto* measure = static_cast<FakeMeasure*>(state_.watcher);
      measure->done = true;
      measure->time = stem->time;
    }
  }
  CNiffSymbolState* OpenSlur(const SlurRecord& slur) override {
    opened = slur;
    state_.stemsLeft = 2;
    return reinterpret_cast<CNiffSymbolState*>(&state_);
  }
  SlurRecord opened;

 private:
  FakeSlurState state_;
};

class MeasuringObjects : public CountingObjects {
 public:
  std::unique_ptr<CNiffReadAheadHandler> CreateSymbolMeasure() override { return std::make_unique<FakeMeasure>(); }
};

TEST_F(LookAheadTest, ASlurEndsWhereItsStateCloses) {
  MeasuringObjects objects;
  SetExportObjectFactory(&objects);
  StreamBytesList slur = {uint8_t(kItemMark | kMarkSlur << 3 | kMarkBit7), 0, 0, 0, 0};
  SetMarkSpan(slur.data(), 16);
  const uint8_t* mark = Start(JoinItems({slur, Notes(kDurationQuarter, {12}), Notes(kDurationHalf, {13}),
                                         Notes(kDurationQuarter, {14}), Bar(), SystemMark()}));
  asker_.AddHandler(std::make_unique<FakeSlurOpener>());
  // The second stem after the mark stands at a quarter.
  EXPECT_EQ(Fraction(SlurEnd(mark, 1, asker_)), "1/4");
  // Without a measure handler the end cannot be found: a clean refusal.
  SetExportObjectFactory(&counting_);
  EXPECT_THROW(SlurEnd(mark, 1, asker_), CNiffWriterError);
}

}  // namespace
