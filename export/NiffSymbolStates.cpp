#include "export/NiffSymbolStates.h"

#include <algorithm>

#include "export/NiffSteps.h"
#include "export/NiffWriterError.h"

void CNiffSymbolEventHandler::Fail() { throw CNiffWriterError(); }

// ---- Base state ------------------------------------------------------------------

CNiffSymbolState::CNiffSymbolState(int32_t id, int expectedNodes) : id_(id), expected_(expectedNodes) {
  CheckOrThrow(expectedNodes > 0);
}

// A copy reads for itself: it keeps no attached handler.
CNiffSymbolState::CNiffSymbolState(const CNiffSymbolState& other)
    : CNiffEventTarget(other), id_(other.id_), expected_(other.expected_), written_(other.written_) {}

void CNiffSymbolState::WriteIdTags() {
  NiffStep(NIFFIOTag12(static_cast<uint16_t>(id_)));
  if (written_ == 0) NiffStep(NIFFIOTag1C(static_cast<uint16_t>(expected_)));
}

bool CNiffSymbolState::Advance() {
  if (IsComplete() || written_ >= expected_) handler_->Fail();
  handler_->OnEvent();
  ++written_;
  return IsComplete();
}

// ---- Beam ----------------------------------------------------------------------------

CNiffSymbolStateBeam::CNiffSymbolStateBeam(int32_t id, int stems, int voice)
    : CNiffSymbolState(id, stems), voice_(voice) {
  CheckOrThrow(stems >= 2);
}

std::unique_ptr<CNiffSymbolState> CNiffSymbolStateBeam::Clone() const {
  return std::make_unique<CNiffSymbolStateBeam>(*this);
}

int CNiffSymbolStateBeam::OnOutputStem(const CNiffEventOnOutputStem& event) {
  if (event.chord.fields.grace || IsComplete()) return 1;
  const int left = NodesWritten();
  NiffStep(NIFFIOChunkBeam(static_cast<uint8_t>(left), static_cast<uint8_t>(ExpectedNodes() - left - 1)));
  WriteIdTags();
  Advance();
  return 1;
}

// ---- Tie --------------------------------------------------------------------------------

NiffNoteKey NoteKeyOf(const ChordRecord& chord, int note) {
  NiffNoteKey key;
  key.first = chord.notes[note].first;
  key.tabString = chord.tablature ? chord.notes[note].tabString : 255;
  return key;
}

bool SameNote(const NiffNoteKey& a, const NiffNoteKey& b) {
  return a.first == b.first && a.tabString == b.tabString;
}

CNiffSymbolStateTie::CNiffSymbolStateTie(int32_t id, const ChordRecord& chord, int note)
    : CNiffSymbolState(id, 2),
      voice_(chord.fields.voice),
      key_(NoteKeyOf(chord, note)),
      ownChord_(chord.item),
      ownNote_(note) {}

std::unique_ptr<CNiffSymbolState> CNiffSymbolStateTie::Clone() const {
  return std::make_unique<CNiffSymbolStateTie>(*this);
}

int CNiffSymbolStateTie::OnReadStem(const CNiffEventOnReadStem& event) {
  if (event.chord.item == ownChord_ || event.chord.fields.grace || nextChord_) return 1;
  nextChord_ = event.chord.item;
  return 1;
}

int CNiffSymbolStateTie::OnReadNotehead(const CNiffEventOnReadNotehead& event) {
  if (!nextChord_ || event.chord.item != nextChord_ || matchedNote_ >= 0) return 1;
  if (SameNote(NoteKeyOf(event.chord, event.noteIndex), key_)) {
    matchedNote_ = event.noteIndex;
    Handler().SetDone();
  }
  return 1;
}

int CNiffSymbolStateTie::OnOutputNotehead(const CNiffEventOnOutputNotehead& event) {
  const bool own = NodesWritten() == 0 && event.chord.item == ownChord_ && event.noteIndex == ownNote_;
  const bool partner = NodesWritten() == 1 && nextChord_ && event.chord.item == nextChord_ &&
                       event.noteIndex == matchedNote_;
  if (!own && !partner) return 1;
  CheckOrThrow(own || matchedNote_ >= 0);
  NiffStep(NIFFIOChunkTie());
  if (own) NiffStep(NIFFIOTag2C(2));
  WriteIdTags();
  Advance();
  return 1;
}

int CNiffTieSearch::OnReadStem(const CNiffEventOnReadStem& event) {
  if (!VoiceMatches(event.chord.fields.voice) || event.chord.fields.grace) return 1;
  if (nextChord_) return 0;  // the next chord passed without the note
  nextChord_ = event.chord.item;
  return 1;
}

int CNiffTieSearch::OnReadNotehead(const CNiffEventOnReadNotehead& event) {
  if (!nextChord_ || event.chord.item != nextChord_) return 1;
  if (!SameNote(NoteKeyOf(event.chord, event.noteIndex), key_)) return 1;
  if (found_) *found_ = true;
  return 0;
}

int CNiffTieSearch::OnReadRest(const CNiffEventOnReadRest& event) {
  // A rest of the voice before the next chord ends the tie.
  if (event.rest.item && VoiceMatches(event.rest.fields.voice) && !nextChord_) return 0;
  return 1;
}

// ---- Slur -------------------------------------------------------------------------------

CNiffSymbolStateSlur::CNiffSymbolStateSlur(int32_t id, const SlurRecord& record)
    : CNiffSymbolState(id, 2), voice_(record.voice) {
  span_ = record.item ? SlurMarkFields(record.item).time : CBeatCounter();
}

std::unique_ptr<CNiffSymbolState> CNiffSymbolStateSlur::Clone() const {
  return std::make_unique<CNiffSymbolStateSlur>(*this);
}

int CNiffSymbolStateSlur::OnReadStem(const CNiffEventOnReadStem& event) {
  const ChordFields& chord = event.chord.fields;
  if (chord.grace || endFound_) return 1;
  if (!started_) {
    started_ = true;
    armed_ = true;
    elapsed_ = chord.duration;
    return 1;
  }
  if (chord.noAdvance) return 1;
  const bool reached = !Less(elapsed_, span_);
  elapsed_ = Add(elapsed_, chord.duration);
  if (reached || !Less(elapsed_, span_)) {
    endFound_ = true;
    armed_ = true;
    Handler().OnMeasure(elapsed_);
    Handler().SetDone();
  }
  return 1;
}

int CNiffSymbolStateSlur::OnReadRest(const CNiffEventOnReadRest& event) {
  if (started_ && !endFound_ && event.rest.item) elapsed_ = Add(elapsed_, event.rest.fields.duration);
  return 1;
}

int CNiffSymbolStateSlur::OnOutputStem(const CNiffEventOnOutputStem&) {
  if (!armed_) return 1;
  armed_ = false;
  NiffStep(NIFFIOChunkSlur());
  if (NodesWritten() == 0) NiffStep(NIFFIOTag2C(1));
  WriteIdTags();
  Advance();
  return 1;
}

// ---- Hairpin -----------------------------------------------------------------------------

std::unique_ptr<CNiffSymbolState> CNiffSymbolStateHairpin::Clone() const {
  return std::make_unique<CNiffSymbolStateHairpin>(*this);
}

int CNiffSymbolStateHairpin::OnOutputStem(const CNiffEventOnOutputStem& event) {
  const ChordFields& chord = event.chord.fields;
  if (chord.grace || IsComplete()) return 1;
  if (firstChord_ && (chord.noAdvance || event.chord.item == firstChord_)) return 1;
  NiffStep(NIFFIOChunkHrpn(static_cast<uint8_t>(type_)));
  if (!firstChord_) NiffStep(NIFFIOTag2C(1));
  WriteIdTags();
  if (!firstChord_) firstChord_ = event.chord.item;
  Advance();
  return 1;
}

// ---- Tuplet --------------------------------------------------------------------------------

CNiffSymbolStateTuplet::CNiffSymbolStateTuplet(int32_t id, const TupletRecord& record)
    : CNiffSymbolState(id, record.nodeCount > 0 ? record.nodeCount : 255),
      voice_(record.mark.voice),
      counting_(record.nodeCount <= 0),
      ratio_(record.mark.ratio),
      span_(record.mark.span),
      bracket_(record.mark.bracketShape) {
  CheckOrThrow(ratio_.IsNonZero() && span_.IsNonZero(), 1, kNiffErrorTupletRefused);
}

std::unique_ptr<CNiffSymbolState> CNiffSymbolStateTuplet::Clone() const {
  return std::make_unique<CNiffSymbolStateTuplet>(*this);
}

bool CNiffSymbolStateTuplet::IsComplete() const {
  return counting_ ? timeDone_ : NodesWritten() >= ExpectedNodes();
}

bool CNiffSymbolStateTuplet::TimeFactor(int voice, CBeatCounter* factor) const {
  if (voice != voice_) return false;
  // Sounding over written: span / ratio.
  *factor = CBeatCounter(int64_t{span_.numerator} * ratio_.denominator, int64_t{span_.denominator} * ratio_.numerator);
  return true;
}

void CNiffSymbolStateTuplet::AddTime(const CBeatCounter& written) {
  if (timeDone_) return;
  CBeatCounter factor;
  TimeFactor(voice_, &factor);
  elapsed_ = Add(elapsed_, Multiply(written, factor));
  if (!Less(elapsed_, span_)) {
    timeDone_ = true;
    Handler().SetDone();
  }
}

int CNiffSymbolStateTuplet::OnReadStem(const CNiffEventOnReadStem& event) {
  const ChordFields& chord = event.chord.fields;
  if (chord.grace || timeDone_) return 1;
  if (counting_) Handler().OnEvent();
  if (!chord.noAdvance) AddTime(chord.duration);
  return 1;
}

int CNiffSymbolStateTuplet::OnReadRest(const CNiffEventOnReadRest& event) {
  if (event.rest.item && !event.rest.fields.noAdvance) AddTime(event.rest.fields.duration);
  return 1;
}

int CNiffSymbolStateTuplet::OnOutputStem(const CNiffEventOnOutputStem& event) {
  if (counting_ || event.chord.fields.grace || NodesWritten() >= ExpectedNodes()) return 1;
  NiffStep(NIFFIOChunkTupl());
  if (NodesWritten() == 0) NiffStep(NIFFIOTag2D(NiffRational(ratio_), NiffRational(span_), bracket_));
  WriteIdTags();
  Advance();
  return 1;
}

// ---- Manager --------------------------------------------------------------------------------

CNiffSymbolManager::CNiffSymbolManager(const CNiffSymbolManager& other) : CNiffEventHandler(other), writing_(false) {
  std::copy(std::begin(other.nextId_), std::end(other.nextId_), nextId_);
  for (const auto& state : other.open_) open_.push_back(state->Clone());
}

std::unique_ptr<CNiffEventHandler> CNiffSymbolManager::Clone() const {
  return std::make_unique<CNiffSymbolManager>(*this);
}

void CNiffSymbolManager::OnEvent(const CNiffEvent& event) {
  if (dynamic_cast<const CNiffEventPreReadNewBlock*>(&event)) Purge();
  const int voice = event.Voice();
  // States opened while the event is handed on wait for the next one.
  const size_t count = open_.size();
  for (size_t i = 0; i < count && i < open_.size(); ++i) {
    CNiffSymbolState& state = *open_[i];
    if (voice < 0 || state.MatchesVoice(voice)) event.Handle(state);
  }
}

bool CNiffSymbolManager::TimeFactor(int voice, CBeatCounter* factor) const {
  for (const auto& state : open_)
    if (state->TimeFactor(voice, factor)) return true;
  return false;
}

CNiffSymbolState* CNiffSymbolManager::Add(std::unique_ptr<CNiffSymbolState> state) {
  open_.push_back(std::move(state));
  return open_.back().get();
}

CNiffSymbolState* CNiffSymbolManager::OpenTuplet(const TupletRecord& record) {
  // A second tuplet of a voice would scale its notes twice.
  for (const auto& state : open_)
    if (state->Kind() == kNiffSymbolTuplet && state->Voice() == record.mark.voice) return nullptr;
  return Add(std::make_unique<CNiffSymbolStateTuplet>(NextId(kNiffSymbolTuplet), record));
}

CNiffSymbolState* CNiffSymbolManager::OpenSlur(const SlurRecord& record) {
  if (!record.item) return nullptr;
  if (writing_ && record.end.numerator < 0) return nullptr;
  return Add(std::make_unique<CNiffSymbolStateSlur>(NextId(kNiffSymbolSlur), record));
}

CNiffSymbolState* CNiffSymbolManager::OpenBeam(int stems, int voice) {
  return Add(std::make_unique<CNiffSymbolStateBeam>(NextId(kNiffSymbolBeam), stems, voice));
}

CNiffSymbolState* CNiffSymbolManager::OpenTie(const ChordRecord& chord, int note) {
  return Add(std::make_unique<CNiffSymbolStateTie>(NextId(kNiffSymbolTie), chord, note));
}

CNiffSymbolState* CNiffSymbolManager::OpenHairpin(int type, int nodes) {
  return Add(std::make_unique<CNiffSymbolStateHairpin>(NextId(kNiffSymbolHairpin), type, nodes));
}

bool CNiffSymbolManager::HasOpenBeam(int voice) const {
  for (const auto& state : open_)
    if (state->Kind() == kNiffSymbolBeam && state->Voice() == voice && !state->IsComplete()) return true;
  return false;
}

void CNiffSymbolManager::Purge() {
  for (auto it = open_.begin(); it != open_.end();) {
    if ((*it)->IsFinished()) {
      if (writing_) CheckOrThrow((*it)->IsComplete());
      it = open_.erase(it);
    } else {
      ++it;
    }
  }
}

void CNiffSymbolManager::CloseAll() {
  for (const auto& state : open_)
    if (writing_) CheckOrThrow(state->NodesWritten() >= state->ExpectedNodes());
  open_.clear();
}

// ---- Look-ahead handlers ------------------------------------------------------------------------

void CNiffNodeCounter::AttachTo(CNiffSymbolState* state) {
  if (state) state->AttachHandler(this);
}

void CNiffSymbolMeasure::AttachTo(CNiffSymbolState* state) {
  if (state) state->AttachHandler(this);
}
