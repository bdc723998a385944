#include "playback/PartTrack.h"

#include <algorithm>
#include <cmath>

#include "playback/NoteSounding.h"
#include "playback/PlayItems.h"
#include "playback/PlayWalker.h"
#include "playback/TabNotes.h"
#include "score/PitchSpelling.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"
#include "score/TempoWords.h"

namespace {

constexpr int kVoices = 4;
constexpr int kFermataBeatsPerMinute = 16;
constexpr uint32_t kFermataLead = 32;
constexpr int kHairpinStep = 5;
constexpr int kLoudest = 127;
constexpr int kQuietest = 1;

struct Tuplet {
  uint32_t sounding = 0;
  uint32_t written = 0;  // 0: no tuplet
  uint32_t base = 0;
  uint32_t elapsed = 0;
};

// A chord struck in a voice and held by a tie.
struct HeldChord {
  bool held = false;
  std::vector<int> notes;
  std::vector<int> positions;
  uint32_t ownEnd = 0;  // where it ends when nothing continues it
  int chord = -1;
};

struct Voice {
  uint32_t time = 0;
  bool tie = false;
  uint32_t graceTotal = 0;
  Tuplet tuplet;
  int32_t slur = 0;
  HeldChord held;
};

// Notes struck at a time, for words that change them afterwards.
struct StruckChord {
  uint32_t start;
  uint32_t duration;
  int accent;
};

int ClampLevel(int level) { return std::min(kLoudest, std::max(0, level)); }

class PartTrackWriter {
 public:
  PartTrackWriter(const PartTrackContext& context, const PartSound& sound)
      : c_(context), sound_(sound), walker_(*context.stretch, sound.slot, context.states[sound.slot], context.marks) {}

  MidiBytes Write();

 private:
  PartPlayState& State() { return walker_.State(); }
  uint32_t Now() const { return voices_[currentVoice_].time; }

  void Header();
  void KeySignature(uint32_t time);
  void FillAccidentals();
  void NewBar();
  void Chord(const uint8_t* item);
  void Rest(const uint8_t* item);
  void Mark(const uint8_t* item);
  void Text(const uint8_t* item, uint32_t length);
  void DynamicWord(int kind, int value);
  int NoteNumber(const uint8_t* item, unsigned index, const HeldChord& held);
  uint32_t TupletDuration(Voice* voice, uint32_t written, uint32_t duration);
  void EndHeld(Voice* voice, uint32_t time);
  void CountSlur(Voice* voice, uint32_t written);
  void AddTimeMapRow();

  const PartTrackContext& c_;
  const PartSound& sound_;
  PlayWalker walker_;
  MidiTrack track_;
  Voice voices_[kVoices];
  int currentVoice_ = 0;
  bool firstNote_ = false;
  int16_t accidentals_[32] = {};
  int hairpinStep_ = 0;
  int hairpinTarget_ = 0;
  int chordsInBar_ = 0;
  std::vector<StruckChord> chords_;
};

MidiBytes PartTrackWriter::Write() {
  Header();
  NewBar();
  const uint8_t* item = nullptr;
  uint32_t length = 0;
  for (WalkStep step; (step = walker_.Next(&item, &length)) != WalkStep::kEnd;) {
    if (step == WalkStep::kBar) {
      if (walker_.BarFinished()) AddTimeMapRow();
      NewBar();
      continue;
    }
    switch (KindOf(item)) {
      case kItemClef: FillAccidentals(); break;
      case kItemKey:
        if (!KeyIsNotPlayed(item)) {
          KeySignature(Now());
          FillAccidentals();
        }
        break;
      case kItemChord: Chord(item); break;
      case kItemRest: Rest(item); break;
      case kItemMark: Mark(item); break;
      case kItemText: Text(item, length); break;
      default: break;
    }
  }
  for (Voice& v : voices_) EndHeld(&v, v.held.ownEnd);
  return track_.Chunk(1);
}

void PartTrackWriter::Header() {
  // A name that fills its slot has no end of its own.
  const char16_t* slotName = PartNameTable[sound_.slot];
  std::u16string part(slotName, std::find(slotName, slotName + kPartNameUnits, u'\0'));
  track_.Meta(0, 0x03, AnsiTextBytes(part));
  uint8_t control = static_cast<uint8_t>(0xB0 | sound_.channel);
  track_.Raw(0, {control, 0x0A, 0x3D});
  track_.Raw(0, {control, 0x00, 0x00});
  track_.Raw(0, {control, 0x20, 0x00});
  track_.Program(0, sound_.channel, sound_.program - 1);
  KeySignature(0);
  if (!sound_.drum && State().program >= 0) track_.Program(0, sound_.channel, State().program);
}

void PartTrackWriter::KeySignature(uint32_t time) {
  int count = std::min(7, State().keyCount);
  int key = State().keySharps ? count : -count;
  track_.Meta(time, 0x59, {static_cast<uint8_t>(static_cast<int8_t>(key)), 0});
}

void PartTrackWriter::FillAccidentals() {
  KeySignatureSteps(accidentals_, State().keySharps, State().keyCount, State().clef);
}

// Every voice starts the bar at the bar's start on the part's timeline.
void PartTrackWriter::NewBar() {
  for (Voice& v : voices_) {
    v.time = walker_.BarStart();
    v.graceTotal = 0;
  }
  chordsInBar_ = 0;
  FillAccidentals();
}

void PartTrackWriter::AddTimeMapRow() {
  std::vector<MidiTimeMapRow>* rows = c_.timeMap;
  if (!rows || rows->size() >= kMaxTimeMapRows) return;
  const FinishedBar& bar = walker_.LastBar();
  double tempo = c_.tempos->At(bar.start);
  double seconds = bar.beats * (60.0 / tempo) * std::pow(2.0, bar.denominatorCode - 5);
  double previous = rows->empty() ? 0.0 : rows->back().seconds;
  const PlayPlace& place = walker_.Place();
  rows->push_back({previous + seconds, static_cast<uint32_t>(place.bar), place.system, place.page});
}

int PartTrackWriter::NoteNumber(const uint8_t* item, unsigned index, const HeldChord& held) {
  int position = NotePosition(item, index);
  int note;
  if (sound_.drum) {
    note = position >= 1 ? sound_.drumMap[position] : -1;
  } else if (sound_.tablature) {
    note = TabNoteNumber(NoteFret(item, index), NoteString(item, index), sound_.fourStrings);
  } else {
    uint8_t accidental = NoteAccidentalOf(item, index);
    uint8_t placement = ChordPlacementOf(item);
    int neighbour = placement == kPlacementAbove ? sound_.slot - 1 : placement == kPlacementBelow ? sound_.slot + 1 : 0;
    if (neighbour >= 1 && neighbour < kPartSlots && (placement == kPlacementAbove || placement == kPlacementBelow)) {
      // Drawn on the stave of the next part: that part's clef, this part's key.
      const PartPlayState& other = c_.states[neighbour];
      int16_t steps[32] = {};
      KeySignatureSteps(steps, State().keySharps, State().keyCount, other.clef);
      note = PitchFromPosition(position, other.clef, other.octaveShift) + AccidentalStep(accidental, steps[position]);
    } else {
      // A note tied over from the last chord keeps its pitch unless it is
      // written with an accidental of its own.
      auto same = std::find(held.positions.begin(), held.positions.end(), position);
      if (held.held && accidental == kAccidentalNone && same != held.positions.end()) {
        return held.notes[same - held.positions.begin()];
      }
      int step = AccidentalStep(accidental, accidentals_[position]);
      if (accidental != kAccidentalNone) accidentals_[position] = static_cast<int16_t>(step);
      note = PitchFromPosition(position, State().clef, State().octaveShift) + step;
    }
    note += sound_.transposition;
  }
  return note >= 0 && note <= 127 ? note : -1;
}

uint32_t PartTrackWriter::TupletDuration(Voice* voice, uint32_t written, uint32_t duration) {
  Tuplet& t = voice->tuplet;
  if (t.written == 0) return duration;
  t.elapsed += written;
  if (t.elapsed > t.written) {
    t.written = 0;
    return duration;
  }
  uint64_t scaled = (2ull * t.sounding * t.elapsed + t.written) / (2ull * t.written);  // halves up
  uint32_t end = t.base + static_cast<uint32_t>(scaled);
  return end > voice->time ? end - voice->time : 0;
}

void PartTrackWriter::EndHeld(Voice* voice, uint32_t time) {
  HeldChord& held = voice->held;
  if (!held.held) return;
  for (int note : held.notes) track_.NoteOff(time, sound_.channel, note, held.chord);
  held = HeldChord{};
}

void PartTrackWriter::CountSlur(Voice* voice, uint32_t written) {
  if (voice->slur <= 0) return;
  if (firstNote_) {
    firstNote_ = false;
  } else {
    voice->slur -= static_cast<int32_t>(written);
  }
}

void PartTrackWriter::Chord(const uint8_t* item) {
  Voice& voice = voices_[ChordVoice(item)];
  currentVoice_ = ChordVoice(item);
  if (chordsInBar_ >= kMaxChordsPerBar) return;
  ++chordsInBar_;
  const bool grace = ChordIsGrace(item);
  const uint32_t written = static_cast<uint32_t>(NoteValueTicks(ChordDurationCode(item), ChordDots(item)));
  uint32_t duration = grace ? written / 2 : TupletDuration(&voice, written, written);

  std::vector<int> notes, positions;
  for (unsigned i = 0; i < ChordNoteCount(item); ++i) {
    int note = NoteNumber(item, i, voice.held);
    if (note < 0) continue;
    notes.push_back(note);
    positions.push_back(NotePosition(item, i));
  }

  const uint32_t graceBefore = voice.graceTotal;
  const uint32_t start = voice.time + graceBefore;
  const uint32_t end = grace ? start + duration : voice.time + duration;
  const int length = static_cast<int>(duration) - (grace ? 0 : static_cast<int>(graceBefore));
  int gap = NoteGapTicks(length, ChordArticulation(item), ChordMarkFlags(item), voice.slur > 0);
  int sounding = length - gap;
  sounding += sounding * State().noteLength / 100 - sounding;
  // However long the grace notes before it, a note ends after it began.
  const uint32_t off = start + static_cast<uint32_t>(std::max(1, sounding));

  if (hairpinStep_ != 0) {
    State().dynamic = ClampLevel(State().dynamic + hairpinStep_);
    if ((hairpinStep_ > 0 && State().dynamic >= hairpinTarget_) || (hairpinStep_ < 0 && State().dynamic <= hairpinTarget_)) {
      State().dynamic = hairpinTarget_;
      hairpinStep_ = 0;
    }
  }
  const int accent = AccentIncrement(ChordMarkFlags(item));
  const int velocity = std::min(kLoudest, std::max(kQuietest, State().dynamic + accent));

  bool continues = voice.held.held && voice.held.notes == notes;
  if (voice.held.held && !continues) EndHeld(&voice, start);
  int chord = static_cast<int>(chords_.size());
  if (continues) {
    chord = voice.held.chord;
  } else {
    chords_.push_back({start, duration, accent});
    for (int note : notes) track_.NoteOn(start, sound_.channel, note, velocity, chord);
  }
  if (voice.tie && !notes.empty()) {
    voice.held.held = true;
    voice.held.notes = notes;
    voice.held.positions = positions;
    voice.held.ownEnd = off;
    voice.held.chord = chord;
  } else if (continues) {
    voice.held.ownEnd = off;
    EndHeld(&voice, off);
  } else {
    for (int note : notes) track_.NoteOff(off, sound_.channel, note, chord);
  }
  voice.tie = false;

  if (ChordArticulation(item) == kArticulationFermata && end > start) {
    uint32_t slow = end > kFermataLead && end - kFermataLead > start ? end - kFermataLead : start;
    track_.Tempo(slow, TempoMicroseconds(kFermataBeatsPerMinute));
    track_.Tempo(end, TempoMicroseconds(c_.tempos->At(end)));
  }

  if (grace) {
    voice.graceTotal += duration;
  } else {
    voice.time += duration;
    voice.graceTotal = 0;
  }
  CountSlur(&voice, written);
}

void PartTrackWriter::Rest(const uint8_t* item) {
  Voice& voice = voices_[RestVoice(item)];
  currentVoice_ = RestVoice(item);
  EndHeld(&voice, voice.held.ownEnd);
  uint32_t bar = BarTicks(State());
  uint32_t written;
  if (IsMultiBarRest(item)) {
    written = bar * std::max<uint32_t>(1, MultiBarRestBars(item));
  } else if (RestDurationCode(item) == kDurationWhole) {
    written = bar;
  } else {
    written = static_cast<uint32_t>(NoteValueTicks(RestDurationCode(item), RestDots(item)));
  }
  voice.time += TupletDuration(&voice, written, written);
  voice.graceTotal = 0;
  CountSlur(&voice, written);
}

void PartTrackWriter::Mark(const uint8_t* item) {
  Voice& voice = voices_[MarkVoice(item)];
  const uint32_t span = MarkSpan(item) * 8;
  switch (MarkSubKind(item)) {
    case kMarkTuplet:
      voice.tuplet = {static_cast<uint32_t>(TupletSoundingTicks(item)), static_cast<uint32_t>(TupletWrittenTicks(item)),
                      voice.time, 0};
      break;
    case kMarkSlur:
      voice.slur = static_cast<int32_t>(span);
      firstNote_ = true;
      break;
    case kMarkTie:
      voice.tie = true;
      break;
    default:
      break;
  }
}

void PartTrackWriter::Text(const uint8_t* item, uint32_t length) {
  uint8_t sub = TextSubKindOf(item);
  if (sub == kTextHairpin18 || sub == kTextHairpin19) {
    hairpinStep_ = sub == kTextHairpin18 ? kHairpinStep : -kHairpinStep;
    hairpinTarget_ = sub == kTextHairpin18 ? kCrescendoLevel : kDiminuendoLevel;
    return;
  }
  bool marker = sub == kTextStaff || sub == kTextRehearsal || sub == kTextDynamic || sub == kTextTechnique;
  if (!marker && sub != kTextLyric) return;
  std::u16string text = ItemTextOf(item, length);
  if (!text.empty() && *c_.textsLeft > 0) {
    --*c_.textsLeft;
    track_.Meta(Now(), sub == kTextLyric ? 0x05 : 0x06, AnsiTextBytes(text), MidiEventKind::kText);
  }
  int kind = 0, value = 0;
  if (sub == kTextDynamic && ParseTempoWord(text.c_str(), &kind, &value)) DynamicWord(kind, value);
}

void PartTrackWriter::DynamicWord(int kind, int value) {
  const uint32_t now = Now();
  auto restrike = [&]() {
    for (MidiEvent& e : track_.Events()) {
      if (e.kind != MidiEventKind::kNoteOn || e.time != now || e.chord < 0) continue;
      int velocity = State().dynamic + chords_[e.chord].accent;
      e.bytes[2] = static_cast<uint8_t>(std::min(kLoudest, std::max(kQuietest, velocity)));
    }
  };
  switch (kind) {
    case kWordDynamicLevel:
      State().dynamic = ClampLevel(value * 127 / 100);
      restrike();
      break;
    case kWordDynamicChange:
      State().dynamic = ClampLevel(State().dynamic + value * 127 / 100);
      restrike();
      break;
    case kWordAccent:
      hairpinStep_ = value * 127 / 100;
      hairpinTarget_ = value < 0 ? kQuietest : kLoudest;
      State().dynamic = ClampLevel(State().dynamic + hairpinStep_);
      break;
    case kWordNoteLength:
      State().noteLength = value;
      for (MidiEvent& e : track_.Events()) {
        if (e.kind != MidiEventKind::kNoteOff || e.chord < 0 || chords_[e.chord].start != now) continue;
        uint32_t duration = chords_[e.chord].duration;
        e.time = now + std::max<uint32_t>(1, static_cast<uint32_t>(uint64_t(duration) * std::max(0, value) / 100));
      }
      break;
    case kWordInstrument:
      if (sound_.drum) break;
      State().program = value;
      track_.Program(now, sound_.channel, value >= 0 ? value : sound_.program - 1);
      break;
    default:
      break;
  }
}

}  // namespace

MidiBytes WritePartTrack(const PartTrackContext& context, const PartSound& sound) {
  PartTrackWriter writer(context, sound);
  return writer.Write();
}
