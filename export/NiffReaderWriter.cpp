#include "export/NiffReaderWriter.h"

#include <functional>
#include <utility>

#include "export/ExportLayout.h"
#include "export/LookAheadReaders.h"
#include "export/NiffSteps.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

// ---- Placement ------------------------------------------------------------------------

void NiffPlacement::Clear() {
  systemOrigin[0] = systemOrigin[1] = 0;
  staveOffset[0] = staveOffset[1] = 0;
}

void NiffPlacement::SetPageSize(int32_t width, int32_t height) {
  pageSize[0] = width;
  pageSize[1] = height;
}

void NiffPlacement::SetStaveSize(int32_t width, int32_t height) {
  staveSize[0] = width;
  staveSize[1] = height;
}

void NiffPlacement::SetSystemOrigin(int32_t x, int32_t y) {
  systemOrigin[0] = x;
  systemOrigin[1] = y;
}

void NiffPlacement::SetStaveOffset(int32_t x, int32_t y) {
  staveOffset[0] = x - systemOrigin[0];
  staveOffset[1] = y - systemOrigin[1];
}

void NiffPlacement::GetStaveSize(bool small, int32_t* width, int32_t* height) const {
  *width = staveSize[0];
  *height = small ? (2 * staveSize[1]) / 3 : staveSize[1];
}

int NiffStaffStep(const DecodedNote& note, bool tablature, uint32_t lineCount) {
  if (tablature && note.tabString != 255) return 2 * note.tabString;
  const int step = note.staffPosition;
  switch (lineCount) {
    case 1: return step - 4;
    case 2: return (step - 1) / 2;
    case 3: return (step + 2) / 2;
    default: return step;
  }
}

namespace {

// Counts the chords ahead that a hairpin takes as its nodes: the first
// chord, then each one that starts at a later time, up to limit nodes or up
// to the first chord that reaches (when reaches is given).
class CKVReaderHairpinNodes : public CKVReader {
 public:
  CKVReaderHairpinNodes(int limit, std::function<bool(const uint8_t*)> reaches)
      : limit_(limit), reaches_(std::move(reaches)) {}
  void OnStem(const ChordRecord& chord) override {
    CKVReader::OnStem(chord);
    if (chord.fields.grace) return;
    if (count == 0 || (!chord.fields.noAdvance && chord.item != first)) {
      if (count == 0) first = chord.item;
      ++count;
      if (count == limit_ || (reaches_ && reaches_(chord.item))) {
        reached = true;
        Stop();
      }
    }
  }
  int count = 0;
  bool reached = false;
  const uint8_t* first = nullptr;

 private:
  int limit_;
  std::function<bool(const uint8_t*)> reaches_;
};

struct BarlineShape {
  bool repeatBefore;
  bool repeatAfter;
  bool firstThick;
  bool lastThick;
  int lines;
};

BarlineShape BarlineShapeOf(uint8_t style) {
  switch (style) {
    case kBarStartRepeat: return {false, true, true, false, 2};
    case kBarEndRepeat: return {true, false, false, true, 2};
    case kBarEndStartRepeat: return {true, true, true, true, 2};
    case kBarDoubleRead:
    case kBarDouble:
    case kBarDoubleRead8: return {false, false, false, false, 2};
    case kBarFinal: return {false, false, false, true, 2};
    case kBarNone: return {false, false, false, false, 0};
    default: return {false, false, false, false, 1};
  }
}

}  // namespace

// ---- Staves -------------------------------------------------------------------------------

void CKVReaderWriter::WriteStave(const uint8_t* start, const uint8_t* end, int staff, const SignatureList& signatures,
                                 const CBeatCounter& systemStart) {
  Begin(signatures);
  SetStream(start, end, staff);
  systemStart_ = systemStart;
  ReadStaffStream(0);
  Finish();
}

void CKVReaderWriter::WriteEmptyStave(int staff, const SignatureList& signatures, const CBeatCounter& systemStart,
                                      int bars) {
  Begin(signatures);
  SetStream(nullptr, nullptr, staff);
  systemStart_ = systemStart;
  for (int bar = 0; bar < bars; ++bar) {
    OnPreReadNewBlock();
    OnEndOfBar(kBarSingle);
  }
  Finish();
}

void CKVReaderWriter::WriteHeading(const uint8_t* start, const uint8_t* end, const SignatureList& signatures) {
  heading_ = true;
  Begin(signatures);
  SetStream(start, end, 0);
  ReadStaffStream(0);
  FlushTexts();
  FlushLyrics();
  heading_ = false;
}

void CKVReaderWriter::Finish() {
  FlushTexts();
  FlushLyrics();
  symbols_->Purge();
  symbols_->CloseAll();
}

// ---- Reader operations -------------------------------------------------------------------------

void CKVReaderWriter::Begin(const SignatureList& signatures) {
  CKVReader::Begin(signatures);
  auto symbols = std::make_unique<CNiffSymbolManager>(true);
  symbols_ = symbols.get();
  AddHandler(std::move(symbols));
  tieFlag_ = false;
  ornament_ = pedal_ = 0;
  timeWritten_ = false;
  measureOpen_ = false;
  slicePending_ = true;
  pendingTexts_.clear();
  lyrics_.Clear();
}

void CKVReaderWriter::OnEndOfBar(uint8_t barStyle) {
  FlushTexts();
  FlushLyrics();
  if (!heading_) OpenMeasure();  // a bar without any event still is a measure
  CKVReader::OnEndOfBar(barStyle);
  timeWritten_ = false;
  if (heading_) return;
  BarlineStep(barStyle);
  measureOpen_ = false;
  slicePending_ = true;  // the next bar's first event stands at its start
}

void CKVReaderWriter::OnLeadingBarLine(uint8_t barStyle) {
  if (heading_) return;
  OpenMeasure();
  BarlineStep(barStyle);
}

// Each measure starts with its measure time slice, written before the
// measure's first chunk.
void CKVReaderWriter::OpenMeasure() {
  if (measureOpen_) return;
  measureOpen_ = true;
  NiffStep(NIFFIOChunkTmsl(1, NiffRational(Add(systemStart_, clock.barStart))));
}

void CKVReaderWriter::BarlineStep(uint8_t barStyle) {
  const BarlineShape shape = BarlineShapeOf(barStyle);
  if (shape.repeatBefore) NiffStep(NIFFIOChunkRept(10, 0));
  for (int line = 0; line < shape.lines; ++line) {
    const bool thick = line == 0 ? shape.firstThick : shape.lastThick;
    NiffStep(NIFFIOChunkBarl(thick ? 2 : 1, 1, 1));
  }
  if (shape.repeatAfter) NiffStep(NIFFIOChunkRept(10, 0));
}

bool CKVReaderWriter::TiePartnerFound(const ChordRecord& chord, int note) {
  bool found = false;
  CKVReaderTie reader(std::make_unique<CNiffTieSearch>(chord.fields.voice, NoteKeyOf(chord, note), &found));
  reader.AssignState(*this);
  reader.SetStream(chord.item, StreamEnd(), staff);
  reader.ReadStaffStream(0);
  return found;
}

constexpr int kMaxHairpinNodes = 255;  // the node count is a byte

// The hairpin at the current item spans to the chord where its drawn end
// lies: the first chord of the stave whose box reaches that end (the end
// lies before or inside it; the painter draws a hairpin's end from a chord's
// x, which lies inside the chord's box), or to the stave's last chord when
// none does. Without its place in a layout it spans the next two
// chords, and is left out when the stave has fewer. 0: no hairpin.
int CKVReaderWriter::HairpinNodeCount() {
  const uint8_t* base = StreamBytes(ScoreStream, staff);
  const auto offsetOf = [base](const uint8_t* item) { return static_cast<uint32_t>(item - base); };
  int32_t left = 0;
  int32_t end = 0;
  const bool placed = positions_ && base && CurrentItem() >= base &&
                      positions_->ItemExtent(staff, offsetOf(CurrentItem()), &left, &end);
  std::function<bool(const uint8_t*)> reaches;
  if (placed) {
    reaches = [this, offsetOf, end](const uint8_t* chord) {
      int32_t chordLeft = 0;
      int32_t chordRight = 0;
      return positions_->ItemExtent(staff, offsetOf(chord), &chordLeft, &chordRight) && chordRight >= end;
    };
  }
  CKVReaderHairpinNodes reader(placed ? kMaxHairpinNodes : 2, reaches);
  reader.AssignState(*this);
  reader.SetStream(CurrentItem(), StreamEnd(), staff);
  reader.ReadStaffStream(0);
  if (placed) return reader.count;
  return reader.reached ? reader.count : 0;
}

void CKVReaderWriter::OnNotehead(const ChordRecord& chord, int note) {
  // A tie is written only to a partner found on this stave.
  if (tieFlag_ && !heading_ && chord.item && TiePartnerFound(chord, note)) symbols_->OpenTie(chord, note);
  CKVReader::OnNotehead(chord, note);
}

void CKVReaderWriter::OnHairpin(CNiffDescription& hairpin) {
  auto* description = dynamic_cast<CNiffDescriptionHairpin*>(&hairpin);
  if (!description || heading_ || !CurrentItem()) return;
  const int nodes = HairpinNodeCount();
  if (nodes > 0) symbols_->OpenHairpin(description->Type(), nodes);
}

void CKVReaderWriter::OnClef(uint8_t shape, uint8_t staffStep, uint8_t octave) {
  CKVReader::OnClef(shape, staffStep, octave);
  if (heading_) return;
  OpenMeasure();
  NiffStep(NIFFIOChunkClef(shape, staffStep, octave));
}

void CKVReaderWriter::OnKeySignature(uint8_t value) {
  CKVReader::OnKeySignature(value);
  if (heading_ || (value & kKeyNotInForce)) return;
  OpenMeasure();
  NiffStep(NIFFIOChunkKeys(value));
}

void CKVReaderWriter::OnTimeSignature(const FileExporting::CTimeSig& signature, bool flag) {
  CKVReader::OnTimeSignature(signature, flag);
  if (heading_ || timeWritten_) return;
  timeWritten_ = true;
  OpenMeasure();
  uint16_t top = 0;
  uint16_t bottom = 0;
  signature.ToShortPair(&top, &bottom);
  NiffStep(NIFFIOChunkTime(static_cast<uint8_t>(top), static_cast<uint8_t>(bottom)));
  if (flag) NiffStep(NIFFIOTag13());
}

void CKVReaderWriter::OnChord(const ChordRecord& chord) {
  CKVReader::OnChord(chord);
  tieFlag_ = false;
  ornament_ = pedal_ = 0;
  FlushLyrics();
}

void CKVReaderWriter::OnStem(const ChordRecord& chord) {
  CKVReader::OnStem(chord);
  if (heading_) return;
  for (int bit = 0; bit < 12; ++bit)
    if (chord.articulations & (1u << bit)) NiffStep(NIFFIOChunkArtc(static_cast<uint16_t>(bit + 1)));
}

void CKVReaderWriter::OnRest(const RestRecord& rest) {
  CKVReader::OnRest(rest);
  FlushLyrics();
}

void CKVReaderWriter::OutputDescription(CNiffDescription& description) {
  auto* text = dynamic_cast<CNiffDescriptionText*>(&description);
  if (!text || !text->HasContent()) return;
  if (heading_ || text->IsAbsolute()) {
    text->WriteNiffAnchored(strings_, true);
  } else if (text->IsLyric()) {
    auto lyric = std::shared_ptr<CNiffDescriptionTextLyric>(
        static_cast<CNiffDescriptionTextLyric*>(text->Clone().release()));
    lyrics_.Add(lyric, text->Y());
  } else if (dynamic_cast<CNiffDescriptionTextLabel*>(text)) {
    // The count over a rest of several bars follows its rest.
    OpenSlice();
    text->WriteNiff(strings_);
  } else {
    pendingTexts_.push_back(text->Clone());
  }
}

void CKVReaderWriter::FlushTexts() {
  if (pendingTexts_.empty()) return;
  if (!heading_) OpenSlice();
  std::vector<std::unique_ptr<CNiffDescriptionText>> texts;
  texts.swap(pendingTexts_);
  for (const auto& text : texts) text->WriteNiffAnchored(strings_, heading_);
}

void CKVReaderWriter::FlushLyrics() {
  if (lyrics_.Count() == 0) return;
  auto lyrics = lyrics_;
  lyrics_.Clear();
  lyrics.Visit([this](const CKVLyricList<std::shared_ptr<CNiffDescriptionTextLyric>>::Entry& entry) {
    entry.lyric->SetVerse(entry.line);
    if (heading_)
      entry.lyric->WriteNiffAnchored(strings_, true);
    else
      entry.lyric->WriteNiffChunk(strings_);
  });
}

void CKVReaderWriter::OutputStem(const ChordRecord& chord) {
  CKVReader::OutputStem(chord);
  if (heading_) return;
  OpenSlice();
  FlushTexts();
  NiffStep(NIFFIOChunkStem());
  if (chord.fields.voice >= 0) NiffStep(NIFFIOTag2F(static_cast<uint16_t>(chord.fields.voice)));
  NiffStep(NIFFIOTag16(0, chord.fields.stemUp ? 2 : 1, 0));
  if (chord.fields.grace)
    NiffStep(NIFFIOTag0E(RIFFIORational{0, 1}));
  else if (chord.fields.small)
    NiffStep(NIFFIOTag26());
  DispatchEvent(CNiffEventOnOutputStem(chord));
}

void CKVReaderWriter::OutputRest(const RestRecord& rest) {
  CKVReader::OutputRest(rest);
  if (heading_) return;
  OpenSlice();
  FlushTexts();
  NiffStep(NIFFIOChunkRest(rest.fields.niffShape, 0, NiffRational(rest.fields.duration)));
  if (rest.fields.voice >= 0) NiffStep(NIFFIOTag2F(static_cast<uint16_t>(rest.fields.voice)));
  for (int dot = 0; dot < rest.fields.dots; ++dot) NiffStep(NIFFIOChunkAugd());
  DispatchEvent(CNiffEventOnOutputRest(rest));
}

void CKVReaderWriter::OutputNotehead(const ChordRecord& chord, int note) {
  if (heading_) return;
  const DecodedNote& entry = chord.notes[note];
  const int step = NiffStaffStep(entry, chord.tablature, PartLineCount(staff));
  NiffStep(NIFFIOChunkNote(chord.fields.niffShape, static_cast<uint8_t>(step), NiffRational(chord.fields.duration)));
  if (chord.fields.grace)
    NiffStep(NIFFIOTag0E(RIFFIORational{0, 1}));
  else if (chord.fields.small)
    NiffStep(NIFFIOTag26());
  if (chord.tablature && entry.tabString != 255) {
    NiffStep(NIFFIOChunkGttb(entry.tabString, entry.fret));
  } else if (entry.accidental.secondary != 0) {
    // A natural followed by the other sign.
    NiffStep(NIFFIOChunkAcdl(3));
    NiffStep(NIFFIOChunkAcdl(entry.accidental.secondary));
  } else if (entry.accidental.primary != 0) {
    NiffStep(NIFFIOChunkAcdl(entry.accidental.primary));
  }
  for (int dot = 0; dot < chord.fields.dots; ++dot) NiffStep(NIFFIOChunkAugd());
  DispatchEvent(CNiffEventOnOutputNotehead(chord, note));
}

// The event time slice is written before the first chunk at its time, so
// that a time the walk only passes through (the bar's end) writes none.
void CKVReaderWriter::SetTime(const CBeatCounter& time) {
  CKVReader::SetTime(time);
  slicePending_ = true;
}

void CKVReaderWriter::OpenSlice() {
  OpenMeasure();
  if (!slicePending_) return;
  slicePending_ = false;
  NiffStep(NIFFIOChunkTmsl(2, NiffRational(clock.timeCursor)));
}

void CKVReaderWriter::Redispatch(const CNiffEvent& event) {
  if (auto* stem = dynamic_cast<const CNiffEventOnReadStem*>(&event)) {
    const ChordRecord& chord = stem->chord;
    if (!heading_ && chord.beam.startsGroup && chord.beamGroupSize >= 2 && !symbols_->HasOpenBeam(chord.fields.voice))
      symbols_->OpenBeam(chord.beamGroupSize, chord.fields.voice);
  }
  DispatchEvent(event);
}
