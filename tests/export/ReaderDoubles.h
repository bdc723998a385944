// Test doubles of what the NIFF writer and the descriptions give the stream
// reader, a reader that records what it is told, and helpers that build
// small part streams.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "export/KVReader.h"
#include "export/ReaderServices.h"
#include "tests/score/ScoreStreamFixture.h"

inline std::string Fraction(const CBeatCounter& c) {
  return std::to_string(c.numerator) + "/" + std::to_string(c.denominator);
}

// A description that remembers the item it was filled from.
class FakeDescription : public CNiffDescription {
 public:
  explicit FakeDescription(std::string kind) : kind(std::move(kind)) {}
  void Fill(const uint8_t* item, int option) override { filled = item; }
  std::string kind;
  const uint8_t* filled = nullptr;
};

// A handler that scales the notes of one voice while it is in the list.
class FactorHandler : public CNiffEventHandler {
 public:
  FactorHandler(int voice, CBeatCounter factor, int* events) : voice_(voice), factor_(factor), events_(events) {}
  std::unique_ptr<CNiffEventHandler> Clone() const override { return std::make_unique<FactorHandler>(*this); }
  void OnEvent(const CNiffEvent&) override { ++*events_; }
  bool TimeFactor(int voice, CBeatCounter* factor) const override {
    if (voice != voice_) return false;
    *factor = factor_;
    return true;
  }

 private:
  int voice_;
  CBeatCounter factor_;
  int* events_;
};

class FakeObjects : public CExportObjectFactory {
 public:
  std::unique_ptr<CNiffDescription> CreateTextDescription(uint8_t subKind) override {
    return std::make_unique<FakeDescription>("text" + std::to_string(subKind));
  }
  std::unique_ptr<CNiffDescription> CreateGuitarChord() override { return std::make_unique<FakeDescription>("chord"); }
  std::unique_ptr<CNiffDescription> CreateGuitarGrid() override { return std::make_unique<FakeDescription>("grid"); }
  std::unique_ptr<CNiffDescription> CreateHairpin(HairpinType type) override {
    return std::make_unique<FakeDescription>("hairpin" + std::to_string(int(type)));
  }
  std::unique_ptr<CNiffDescription> CreateMultiBarLabel(uint32_t bars, int) override {
    return std::make_unique<FakeDescription>("bars" + std::to_string(bars));
  }
  std::unique_ptr<CNiffReadAheadHandler> CreateNodeCounter() override { return nullptr; }
  std::unique_ptr<CNiffReadAheadHandler> CreateSymbolMeasure() override { return nullptr; }
  std::unique_ptr<CNiffTieWatcher> CreateTieState(int, int) override { return nullptr; }
};

// Records each call as one line.
class RecordingReader : public CKVReader {
 public:
  std::vector<std::string> log;
  void OnEndOfBar(uint8_t style) override {
    log.push_back("bar " + std::to_string(style));
    CKVReader::OnEndOfBar(style);
  }
  void OnLeadingBarLine(uint8_t style) override { log.push_back("leading " + std::to_string(style)); }
  void OnClef(uint8_t shape, uint8_t step, uint8_t octave) override {
    log.push_back("clef " + std::to_string(shape));
    CKVReader::OnClef(shape, step, octave);
  }
  void OnKeySignature(uint8_t value) override {
    log.push_back("key " + std::to_string(value));
    CKVReader::OnKeySignature(value);
  }
  void OnTimeSignature(const FileExporting::CTimeSig& s, bool flag) override {
    log.push_back("time " + std::to_string(s.numerator) + "/" + std::to_string(s.denominator));
    CKVReader::OnTimeSignature(s, flag);
  }
  void OnTuplet(const TupletRecord& t) override { log.push_back("tuplet " + Fraction(t.mark.ratio)); }
  void OnSystemMark() override {
    log.push_back("system");
    CKVReader::OnSystemMark();
  }
  void OutputStem(const ChordRecord& chord) override {
    CKVReader::OutputStem(chord);
    log.push_back("chord v" + std::to_string(chord.fields.voice) + " " + std::to_string(chord.noteCount) +
                  " notes at " + Fraction(clock.voices[chord.fields.voice].position));
  }
  void OutputRest(const RestRecord& rest) override {
    CKVReader::OutputRest(rest);
    int v = rest.fields.voice < 0 ? 0 : rest.fields.voice;
    log.push_back(std::string(rest.item ? "rest " : "pad ") + Fraction(rest.fields.duration) + " at " +
                  Fraction(clock.voices[v].position));
  }
  void OutputDescription(CNiffDescription& d) override { log.push_back(static_cast<FakeDescription&>(d).kind); }
  void OnHairpin(CNiffDescription& d) override { log.push_back(static_cast<FakeDescription&>(d).kind); }
  void OnTwoValueText(uint16_t a, uint16_t b) override {
    log.push_back("stave " + std::to_string(a) + "," + std::to_string(b));
  }
};

// Items.
inline StreamBytesList Notes(uint8_t code, std::initializer_list<uint8_t> notes, uint8_t voice = 0,
                             uint8_t dots = 0) {
  StreamBytesList item = ChordItem(notes, voice);
  SetChordDuration(item.data(), code, dots);
  return item;
}
inline StreamBytesList Rest(uint8_t code, uint8_t voice = 0) {
  StreamBytesList item(2, 0);
  SetRest(item.data(), code, 0, voice);
  return item;
}
inline StreamBytesList Bar(uint8_t style = kBarSingle) { return {MakeBarLine(style)}; }
inline StreamBytesList SystemMark() { return {kBarBoundary}; }
inline StreamBytesList PageMarkItem() { return {kPageMark}; }
inline StreamBytesList EndMark() { return {kEndOfScore}; }
inline StreamBytesList MarkItem(uint8_t subKind, uint32_t span = 0, uint8_t voice = 0, uint8_t value = 0) {
  StreamBytesList item = {uint8_t(kMarkBit7 | subKind << 3 | kItemMark), 0, 0, value, 0};
  SetMarkSpan(item.data(), span);
  SetMarkVoice(item.data(), voice);
  return item;
}
inline StreamBytesList TieMark() { return MarkItem(kMarkTie); }
// span in 1/128 notes from the first note's start to the last note's start
inline StreamBytesList SlurMark(uint32_t span, uint8_t voice = 0) { return MarkItem(kMarkSlur, span, voice); }
inline StreamBytesList ChordSymbol(uint8_t root, uint8_t quality, uint8_t bass) {
  StreamBytesList item(3 + kChordSymbolPayload, 0);
  item[0] = kChordSymbolFirstByte;
  SetTextPayloadLength(item.data(), kChordSymbolPayload, kCurrentScoreFormatVersion);
  SetChordSymbolFields(item.data(), 1, root, quality, bass, kCurrentScoreFormatVersion);
  return item;
}
inline StreamBytesList Tuplet(uint8_t notes, uint8_t unitMinusOne, uint32_t span, uint8_t voice = 0) {
  StreamBytesList item = {kTupletMarkByte, 0, 0, notes, unitMinusOne};
  SetMarkSpan(item.data(), span);
  SetMarkVoice(item.data(), voice);
  return item;
}

// A stream test whose export objects come from an Objects factory while it
// runs.
template <typename Objects>
class ExportObjectsTest : public ScoreStreamTest {
 protected:
  void SetUp() override {
    ScoreStreamTest::SetUp();
    previous_ = SetExportObjectFactory(&objects_);
  }
  void TearDown() override {
    SetExportObjectFactory(previous_);
    ScoreStreamTest::TearDown();
  }
  Objects objects_;

 private:
  CExportObjectFactory* previous_ = nullptr;
};

class ReaderTest : public ExportObjectsTest<FakeObjects> {
 protected:
  // Walks part 1 from its start with the given schedule; the log.
  std::vector<std::string> Read(const StreamBytesList& part, RecordingReader& reader,
                                SignatureList schedule = SignatureList()) {
    SetPart(0, {});
    SetPart(1, part);
    reader.Begin(schedule);
    reader.SetStream(StreamBytes(ScoreStream, 1), 1);
    reader.ReadStaffStream(0);
    return reader.log;
  }
};
