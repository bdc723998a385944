#include "export/KVReader.h"

#include <algorithm>

#include "export/BarPadder.h"
#include "export/ExportPayloads.h"
#include "export/ItemDecoders.h"
#include "export/LookAheadReaders.h"
#include "export/NiffWriterError.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

namespace {

CExportObjectFactory* installedFactory = nullptr;

// Text sub-kinds that become a description of their own.
bool HasOwnDescription(uint8_t subKind) {
  switch (subKind) {
    case kTextStaff: case kTextLyric: case kTextRehearsal: case kTextTitle: case kTextComposer:
    case kTextLyricist: case kTextCopyright: case kTextGeneral: case kTextPageNumber:
    case kTextDynamic: case kTextTechnique: case kTextTempo: case kTextSubtitle:
      return true;
    default:
      return false;
  }
}

}  // namespace

CExportObjectFactory* ExportObjects() { return installedFactory; }
CExportObjectFactory* SetExportObjectFactory(CExportObjectFactory* factory) {
  CExportObjectFactory* old = installedFactory;
  installedFactory = factory;
  return old;
}

CBeatCounter StepClock(ReaderTimeState& clock, int voice, bool flag) {
  clock.MoveTime(voice, flag);
  if (voice == -1) CheckOrThrow(Equal(clock.voices[0].position, clock.voices[1].position));
  return clock.voices[voice < 0 || voice >= kReaderVoices ? 0 : voice].position;
}

// ---- Construction and copying ------------------------------------------------

CKVReader::CKVReader() { clock.Reset(); }

CKVReader::CKVReader(const CKVReader& other)
    : clock(other.clock),
      streamStart(other.streamStart),
      current(other.current),
      stopped(other.stopped),
      barStarted(other.barStarted),
      staff(other.staff),
      barOverfull(other.barOverfull),
      itemsSeen(other.itemsSeen),
      streamEnd(other.streamEnd),
      problems(other.problems) {
  CopyHandlers(other);
}

CKVReader& CKVReader::operator=(const CKVReader& other) {
  if (this == &other) return *this;
  clock = other.clock;
  streamStart = other.streamStart;
  current = other.current;
  stopped = other.stopped;
  barStarted = other.barStarted;
  staff = other.staff;
  barOverfull = other.barOverfull;
  itemsSeen = other.itemsSeen;
  streamEnd = other.streamEnd;
  problems = other.problems;
  CopyHandlers(other);
  return *this;
}

CKVReader::~CKVReader() = default;

void CKVReader::CopyHandlers(const CKVReader& from) {
  std::list<std::unique_ptr<CNiffEventHandler>> copies;
  for (const auto& handler : from.handlers) copies.push_back(handler->Clone());
  handlers.swap(copies);
  std::copy(std::begin(from.handlerWords), std::end(from.handlerWords), handlerWords);
}

void CKVReader::AssignState(const CKVReader& from) {
  CopyHandlers(from);
  clock = from.clock;
  barOverfull = from.barOverfull;
  itemsSeen = from.itemsSeen;
  barStarted = from.barStarted;
  staff = from.staff;
}

// ---- Stream -----------------------------------------------------------------------

void CKVReader::SetStream(const uint8_t* start, int slot) {
  CheckOrThrow(slot >= 0 && slot < PartCount && slot < kPartSlots);
  const uint8_t* bytes = StreamBytes(ScoreStream, slot);
  const uint8_t* end = StreamUsedEnd(ScoreStream, slot);
  CheckOrThrow(start == end || (start && bytes && start >= bytes && start < end));
  SetStream(start, end, slot);
}

void CKVReader::SetStream(const uint8_t* start, const uint8_t* end, int slot) {
  CheckOrThrow(slot >= 0 && slot < kPartSlots && start <= end);
  streamStart = current = start;
  streamEnd = end;
  staff = slot;
}

void CKVReader::ReadStaffStream(int skip) {
  current = streamStart;
  for (int i = 0; i < skip && current < streamEnd; ++i) {
    uint32_t length = 0;
    if (!ItemLengthWithin(current, streamEnd - current, ScoreFormatVersion, &length)) {
      current = streamEnd;
      break;
    }
    current += length;
  }
  while (!stopped) {
    uint32_t length = 0;
    if (current >= streamEnd) {
      EndOfStream();
      break;
    }
    if (!ItemLengthWithin(current, streamEnd - current, ScoreFormatVersion, &length)) {
      ReportProblem(ReadProblem::kDamagedStream);
      EndOfStream();
      break;
    }
    OnPreReadNewBlock();
    if (stopped) break;
    if (KindOf(current) != kItemBarLine) itemsSeen = 1;
    DispatchItem(current);
    if (stopped) break;
    current += length;
  }
}

// The end mark and the end of the used length both end the walk; a last bar
// with music and no bar line of its own is closed first.
void CKVReader::EndOfStream() {
  if (!stopped && clock.BarHasContent(itemsSeen != 0) && IgnoresBarLength() == 0) CloseOpenBar();
  Stop();
}

void CKVReader::DispatchItem(const uint8_t* item) {
  switch (KindOf(item)) {
    case kItemBarLine:
      ReadStructure(item);
      break;
    case kItemClef: {
      if (ClefCodeOf(item) > kClefTablature || ClefOctaveShift(item) > kOctaveUpTwo) {
        ReportProblem(ReadProblem::kUnreadableItem);
        break;
      }
      ClefFields clef = DecodeClef(item, PartLineCount(staff));
      OnClef(clef.shape, clef.staffStep, clef.octave);
      break;
    }
    case kItemKey:
      if (!KeyIsNotPlayed(item)) OnKeySignature(KeyValue(item));
      break;
    case kItemTime: {
      TimeSignatureFields time = DecodeTimeSignature(item);
      if (!time.hidden) OnTimeSignature(time.signature, time.screenOnly);
      break;
    }
    case kItemChord:
      ReadChordItem(item);
      break;
    case kItemRest:
      ReadRestItem(item);
      break;
    case kItemMark:
      ReadMark(item);
      break;
    case kItemText:
      ReadText(item);
      break;
  }
}

void CKVReader::ReadStructure(const uint8_t* item) {
  StructureItem structure = DecodeStructure(item);
  switch (structure.kind) {
    case StructureKind::kBarLine:
      if (structure.barStyle == kBarStartRepeat && !barStarted) {
        OnLeadingBarLine(structure.barStyle);
        barStarted = 1;
      } else {
        OnEndOfBar(structure.barStyle);
      }
      break;
    case StructureKind::kSystemMark:
      if (clock.BarHasContent(itemsSeen != 0) && IgnoresBarLength() == 0) CloseOpenBar();
      OnSystemMark();
      itemsSeen = 0;
      barStarted = 0;
      break;
    case StructureKind::kPageMark:
      OnPageMark();
      break;
    case StructureKind::kEndMark:
      EndOfStream();
      break;
    case StructureKind::kUnknown:
      break;
  }
}

// ---- Chords and rests -----------------------------------------------------------------

bool CKVReader::BuildChordRecord(const uint8_t* item, ChordRecord* record) {
  record->item = item;
  record->staff = staff;
  try {
    record->fields = DecodeChord(item);
  } catch (const CNiffWriterError&) {
    ReportProblem(ReadProblem::kUnreadableItem);
    return false;
  }
  const bool lookAhead = ChordFlags() != 0;
  if (!record->fields.grace) {
    record->beam = BeamFlags(item);
    if (lookAhead && record->beam.startsGroup) {
      record->beamGroupSize = BeamGroupSize(item, staff, record->fields.voice, *this);
      if (record->beamGroupSize < 2) record->beam = BeamFlagPair{};
    }
  }
  record->articulations = ArticulationBits(item);
  record->tablature = PartTablatureFlags[staff].flag != 0;
  const int count = ChordNoteCount(item);
  if (!record->tablature) {
    record->noteCount = DecodeStandardNotes(item, record->notes, kMaxChordNotes);
  } else {
    const bool bass = PartLineCount(staff) == 4;
    int kept = 0;
    for (int i = 0; i < count; ++i) {
      DecodedNote note{};
      note.fret = NoteFret(item, i);
      note.tabString = NoteString(item, i);
      note.first = note.fret;
      try {
        TabPitchValue pitch = TabPitch(note.fret, note.tabString, bass, false);
        note.staffPosition = pitch.staffPosition;
        note.accidental = pitch.accidental;
      } catch (const CNiffWriterError&) {
        ReportProblem(ReadProblem::kTabNoteUnplaced);
        continue;
      }
      record->notes[kept++] = note;
    }
    record->noteCount = kept;
  }
  if (lookAhead && ExportObjects()) {
    for (int i = 0; i < record->noteCount; ++i) {
      const DecodedNote& note = record->notes[i];
      record->notes[i].tie =
          TieLookAhead(item, staff, ChordFlags(), record->tablature ? note.tabString : note.first, *this);
    }
  }
  return true;
}

CBeatCounter CKVReader::StartTimeOf(int voice, bool noAdvance) const {
  ReaderTimeState probe = clock;
  if (noAdvance) {
    probe.StartVoice(voice);
    return probe.voices[voice < 0 || voice >= kReaderVoices ? 0 : voice].position;
  }
  return StepClock(probe, voice, true);
}

bool CKVReader::Overflows(int voice, bool noAdvance, const CBeatCounter& d) {
  if (IgnoresBarLength() != 0) return false;
  ReaderTimeState probe = clock;
  probe.timeCursor = StartTimeOf(voice, noAdvance);
  const CBeatCounter scaled = Multiply(d, TimeFactor(voice));
  return probe.WouldOverflow(scaled);
}

void CKVReader::ReadChordItem(const uint8_t* item) {
  ChordRecord record;
  if (!BuildChordRecord(item, &record)) return;
  const CBeatCounter duration = record.fields.grace ? CBeatCounter() : record.fields.duration;
  if (Overflows(record.fields.voice, record.fields.noAdvance, duration)) {
    // Read all the same: the bar comes out longer than its signature.
    barOverfull = 1;
    ReportProblem(ReadProblem::kOverfullBar);
  }
  OnChord(record);
}

void CKVReader::ReadRestItem(const uint8_t* item) {
  RestRecord record;
  record.item = item;
  record.fields = DecodeRest(item, clock.timeSignature);
  if (Overflows(record.fields.voice, record.fields.noAdvance, record.fields.duration)) {
    barOverfull = 1;
    ReportProblem(ReadProblem::kOverfullBar);
  }
  OnRest(record);
}

void CKVReader::OnChord(const ChordRecord& chord) {
  OnStem(chord);
  for (int i = 0; i < chord.noteCount; ++i) OnNotehead(chord, i);
}

void CKVReader::OnStem(const ChordRecord& chord) {
  Redispatch(CNiffEventOnReadStem(chord, StartTimeOf(chord.fields.voice, chord.fields.noAdvance)));
  if (!chord.fields.noAdvance)
    MoveTimePosition(chord.fields.voice, true);
  else
    clock.StartVoice(chord.fields.voice);
  OutputStem(chord);
}

void CKVReader::OnNotehead(const ChordRecord& chord, int note) {
  const DecodedNote& entry = chord.notes[note];
  DispatchEvent(CNiffEventOnReadNotehead(chord, note, chord.tablature ? entry.fret : entry.first));
  OutputNotehead(chord, note);
}

void CKVReader::OnRest(const RestRecord& rest) {
  DispatchEvent(CNiffEventOnReadRest(rest));
  if (!rest.fields.noAdvance)
    MoveTimePosition(rest.fields.voice, true);
  else
    clock.StartVoice(rest.fields.voice);
  OutputRest(rest);
  if (rest.fields.multiBar && rest.fields.bars > 1 && ExportObjects()) {
    std::unique_ptr<CNiffDescription> label = ExportObjects()->CreateMultiBarLabel(rest.fields.bars, DescriptionOption());
    if (label) OutputDescription(*label);
  }
}

void CKVReader::OutputStem(const ChordRecord& chord) {
  GiveDuration(chord.fields.voice, chord.fields.grace ? CBeatCounter() : chord.fields.duration);
}

// A rest that pads a bar is measured in real time already.
void CKVReader::OutputRest(const RestRecord& rest) {
  GiveDuration(rest.fields.voice, rest.fields.duration, rest.item != nullptr);
}

void CKVReader::GiveDuration(int voice, const CBeatCounter& duration, bool scale) {
  const CBeatCounter scaled = scale ? Multiply(duration, TimeFactor(voice)) : duration;
  if (voice < 0 || voice >= kReaderVoices) {
    for (int v = 0; v < kReaderVoices; ++v) clock.AddPending(v, scaled);
    clock.currentVoice = -1;
  } else {
    clock.AddPending(voice, scaled);
    clock.currentVoice = voice;
  }
  barStarted = 1;
}

void CKVReader::MoveTimePosition(int voice, bool flag) {
  CBeatCounter position = StepClock(clock, voice, flag);
  if (Compare(position, clock.timeCursor) != 0) SetTime(position);
}

// ---- Bars ----------------------------------------------------------------------------------

void CKVReader::Begin(const SignatureList& signatures) {
  ClearHandlers();
  clock.Reset();
  clock.LoadSchedule(signatures);
  stopped = 0;
  barStarted = 0;
  itemsSeen = 0;
  barOverfull = 0;
}

void CKVReader::OnPreReadNewBlock() { DispatchEvent(CNiffEventPreReadNewBlock()); }

void CKVReader::OnEndOfBar(uint8_t barStyle) {
  barOverfull = 0;
  DispatchEvent(CNiffEventOnEndOfBar(barStyle));
  MoveTimePosition(-1, false);
  CBarPadderNiff padder(*this);
  PadBar(padder, CBeatCounter(1, 128));
  MoveTimePosition(-1, false);
  clock.NextBar();
}

void CKVReader::PadBar(CBarPadder& padder, const CBeatCounter& unit) { PadBarWith(clock, padder, unit); }

void CKVReader::ReportProblem(ReadProblem problem) {
  for (const ReadProblemEntry& e : problems)
    if (e.staff == staff && e.bar == clock.barNumber && e.problem == problem) return;
  problems.push_back(ReadProblemEntry{staff, clock.barNumber, problem, current});
}

// ---- Handlers ---------------------------------------------------------------------------------

void CKVReader::AddHandler(std::unique_ptr<CNiffEventHandler> handler) { handlers.push_back(std::move(handler)); }

void CKVReader::ClearHandlers() {
  handlers.clear();
  std::fill(std::begin(handlerWords), std::end(handlerWords), 0);
}

void CKVReader::DispatchEvent(const CNiffEvent& event) {
  if (stopped) return;
  for (const auto& handler : handlers) handler->OnEvent(event);
}

CNiffSymbolState* CKVReader::HandlersCall1(const TupletRecord& tuplet) {
  for (const auto& handler : handlers)
    if (CNiffSymbolState* state = handler->OpenTuplet(tuplet)) return state;
  return nullptr;
}

CNiffSymbolState* CKVReader::HandlersCall2(const SlurRecord& slur) {
  for (const auto& handler : handlers)
    if (CNiffSymbolState* state = handler->OpenSlur(slur)) return state;
  return nullptr;
}

CBeatCounter CKVReader::TimeFactor(int voice) const {
  const int v = voice < 0 ? 0 : voice;
  CBeatCounter factor(1, 1);
  for (const auto& handler : handlers)
    if (handler->TimeFactor(v, &factor)) return factor;
  return CBeatCounter(1, 1);
}

// ---- Marks -------------------------------------------------------------------------------------

void CKVReader::ReadMark(const uint8_t* item) {
  try {
    switch (MarkSubKind(item)) {
      case kMarkTuplet:
        OnTupletMark(item);
        break;
      case kMarkSlur:
        OnSlurMark(item);
        break;
      case kMarkTie:
        OnMarkKind2();
        break;
      case kMarkPedal:
        OnMarkKind10(MarkParameter1(item));
        break;
      case kMarkOrnament:
        OnMarkKind12(MarkParameter1(item));
        break;
      default:
        break;
    }
  } catch (const CNiffWriterError& error) {
    if (error.Code() != kNiffErrorMarkUnreadable) throw;
  }
}

void CKVReader::OnTupletMark(const uint8_t* item) {
  try {
    TupletRecord record;
    record.item = item;
    record.staff = staff;
    record.mark = TupletMarkFields(item);
    if (ChordFlags() != 0) {
      record.nodeCount = TupletNodeCount(item, staff, *this);
      record.valid = record.nodeCount != 0;
    }
    if (record.valid) OnTuplet(record);
  } catch (const CNiffWriterError& error) {
    if (error.Code() != kNiffErrorTupletRefused) throw;
  }
}

SlurRecord CKVReader::BuildSlurRecord(const uint8_t* item, bool withNext, bool withEnd) {
  SlurRecord record;
  record.item = item;
  record.staff = staff;
  SlurMarkValue mark = SlurMarkFields(item);
  record.voice = mark.voice;
  record.start = withNext ? Add(mark.time, NextNoteDuration(item, staff, *this)) : mark.time;
  record.end = withEnd ? SlurEnd(item, staff, *this) : mark.time;
  return record;
}

void CKVReader::OnSlurMark(const uint8_t* item) {
  const bool lookAhead = ChordFlags() != 0;
  OnSlur(BuildSlurRecord(item, lookAhead, lookAhead));
}

// ---- Texts -------------------------------------------------------------------------------------

void CKVReader::ReadText(const uint8_t* item) {
  const uint8_t subKind = TextSubKindOf(item);
  const uint8_t version = ScoreFormatVersion;
  CExportObjectFactory* objects = ExportObjects();
  if (HasOwnDescription(subKind)) {
    if (!objects) return;
    std::unique_ptr<CNiffDescription> description = objects->CreateTextDescription(subKind);
    if (!description) return;
    description->Fill(item, DescriptionOption());
    OutputDescription(*description);
    return;
  }
  switch (subKind) {
    case kTextChordSymbol:
      if (IsChordSymbolShown(item, version)) {
        ChordSymbolCodeSet codes = ChordSymbolCodes(item, version);
        std::string name;
        if (!ChordNameText(codes.root, codes.quality, codes.bass, &name))
          ReportProblem(ReadProblem::kUnknownChordSuffix);
        OnGuitarChordText(item);
      }
      if (IsChordDiagramShown(item, version)) OnGuitarGridText(item);
      break;
    case kTextStaffStart: {
      if (TextPayloadLength(item, version) < 4) break;
      TwoValuesField values = TwoValues(item, version);
      OnTwoValueText(values.first, values.second);
      break;
    }
    case kTextHairpin18:
    case kTextHairpin19: {
      if (!objects) return;
      std::unique_ptr<CNiffDescription> hairpin =
          objects->CreateHairpin(subKind == kTextHairpin18 ? kHairpinCrescendo : kHairpinDiminuendo);
      if (!hairpin) return;
      hairpin->Fill(item, DescriptionOption());
      OnHairpin(*hairpin);
      break;
    }
    default:
      break;
  }
}

void CKVReader::OnGuitarChordText(const uint8_t* item) {
  if (!ExportObjects()) return;
  std::unique_ptr<CNiffDescription> chord = ExportObjects()->CreateGuitarChord();
  if (!chord) return;
  chord->Fill(item, DescriptionOption());
  OutputDescription(*chord);
}

void CKVReader::OnGuitarGridText(const uint8_t* item) {
  if (!ExportObjects()) return;
  std::unique_ptr<CNiffDescription> grid = ExportObjects()->CreateGuitarGrid();
  if (!grid) return;
  grid->Fill(item, DescriptionOption());
  OutputDescription(*grid);
}
