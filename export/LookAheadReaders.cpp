#include "export/LookAheadReaders.h"

#include "export/NiffWriterError.h"

namespace {

template <class Reader>
void RunFrom(Reader& reader, const uint8_t* item, int staff, const CKVReader& asker) {
  reader.AssignState(asker);
  reader.SetStream(item, asker.StreamEnd(), staff);
  reader.ReadStaffStream(0);
}

}  // namespace

// ---- Beam group ---------------------------------------------------------------------

void CKVReaderBeam::OnEndOfBar(uint8_t barStyle) {
  CKVReader::OnEndOfBar(barStyle);
  Stop();
}

void CKVReaderBeam::OnStem(const ChordRecord& chord) {
  CKVReader::OnStem(chord);
  const int voice = chord.fields.voice < 0 ? 0 : chord.fields.voice;
  if (voice != targetVoice || chord.fields.grace) return;
  const BeamFlagPair beam = BeamFlags(chord.item);
  if (!beam.inBeam || (count > 0 && beam.startsGroup)) {
    Stop();
    return;
  }
  ++count;
}

int BeamGroupSize(const uint8_t* item, int staff, int voice, const CKVReader& asker) {
  CKVReaderBeam reader(voice);
  RunFrom(reader, item, staff, asker);
  return reader.count;
}

// ---- Next note ---------------------------------------------------------------------------

void CKVReaderNextNote::OnStem(const ChordRecord& chord) {
  CKVReader::OnStem(chord);
  duration = chord.fields.grace ? CBeatCounter() : chord.fields.duration;
  voice = chord.fields.voice;
  Stop();
}

CBeatCounter NextNoteDuration(const uint8_t* item, int staff, const CKVReader& asker) {
  CKVReaderNextNote reader;
  RunFrom(reader, item, staff, asker);
  return reader.duration;
}

// ---- Tuplet and slur --------------------------------------------------------------------

void CKVReaderReadAhead::DispatchEvent(const CNiffEvent& event) {
  CKVReader::DispatchEvent(event);
  if (attached_ && counter_ && counter_->IsDone()) Stop();
}

void CKVReaderReadAhead::AttachCounter(CNiffSymbolState* state) {
  if (attached_ || !counter_) return;
  attached_ = true;
  counter_->AttachTo(state);
}

CNiffSymbolState* CKVReaderTuplet::HandlersCall1(const TupletRecord& tuplet) {
  CNiffSymbolState* state = CKVReader::HandlersCall1(tuplet);
  AttachCounter(state);
  return state;
}

CNiffSymbolState* CKVReaderSlur::HandlersCall2(const SlurRecord& slur) {
  CNiffSymbolState* state = CKVReader::HandlersCall2(slur);
  AttachCounter(state);
  return state;
}

int TupletNodeCount(const uint8_t* item, int staff, const CKVReader& asker) {
  CExportObjectFactory* objects = ExportObjects();
  CheckOrThrow(objects != nullptr);
  CKVReaderTuplet reader(objects->CreateNodeCounter());
  CheckOrThrow(reader.GetCounter() != nullptr);
  RunFrom(reader, item, staff, asker);
  return reader.GetCounter()->Count() & 0xFF;
}

CBeatCounter SlurEnd(const uint8_t* item, int staff, const CKVReader& asker) {
  CExportObjectFactory* objects = ExportObjects();
  CheckOrThrow(objects != nullptr);
  CKVReaderSlur reader(objects->CreateSymbolMeasure());
  CheckOrThrow(reader.GetCounter() != nullptr);
  RunFrom(reader, item, staff, asker);
  return reader.GetCounter()->StoredTime();
}

// ---- Tie ------------------------------------------------------------------------------------

void CKVReaderTie::Offer(const CNiffEvent& event) {
  if (stopped || !state_) return;
  if (state_->Offer(event) == 0) Stop();
}

void CKVReaderTie::OnPreReadNewBlock() {
  CKVReader::OnPreReadNewBlock();
  Offer(CNiffEventPreReadNewBlock());
}

void CKVReaderTie::OnNotehead(const ChordRecord& chord, int note) {
  CKVReader::OnNotehead(chord, note);
  const DecodedNote& entry = chord.notes[note];
  Offer(CNiffEventOnReadNotehead(chord, note, chord.tablature ? entry.tabString : entry.first));
}

void CKVReaderTie::OnStem(const ChordRecord& chord) {
  CKVReader::OnStem(chord);
  if (!stemSeen_) {
    stemSeen_ = true;
    return;
  }
  Offer(CNiffEventOnReadStem(chord, clock.voices[chord.fields.voice].position));
}

void CKVReaderTie::OnRest(const RestRecord& rest) {
  CKVReader::OnRest(rest);
  Offer(CNiffEventOnReadRest(rest));
}

int TieLookAhead(const uint8_t* item, int staff, int value, int position, const CKVReader& asker) {
  CExportObjectFactory* objects = ExportObjects();
  if (!objects) return 1;
  std::unique_ptr<CNiffTieWatcher> state = objects->CreateTieState(value, position);
  if (!state) return 1;
  CKVReaderTie reader(std::move(state));
  RunFrom(reader, item, staff, asker);
  return 1;
}
