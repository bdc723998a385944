// Chords, rests, ties, beams, slurs and tuplets of the MusicXML writer.
#include <algorithm>
#include <string>

#include "export/MusicXmlTables.h"
#include "export/MusicXmlWriter.h"
#include "export/NiffWriterError.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

namespace {

std::u16string Wide(const char* text) {
  std::u16string wide;
  for (; *text; ++text) wide.push_back(static_cast<unsigned char>(*text));
  return wide;
}

// An element word of the code tables: "name/" is an empty element.
void WriteWord(CXmlOutput& out, const char* word) {
  if (!*word) return;
  std::string name(word);
  if (name.back() == '/')
    out.WriteEmptyElement(word);
  else
    out.WriteTextElement(word, u"");
}

XmlClefSign SignOf(const char* sign) {
  const std::string s(sign);
  if (s == "G") return XmlClefSign::kG;
  if (s == "F") return XmlClefSign::kF;
  if (s == "C") return XmlClefSign::kC;
  return XmlClefSign::kOther;
}

}  // namespace

// ---- Look-aheads over the part's stream ------------------------------------------------

// The item after item when it lies wholly inside the stream, else the end.
const uint8_t* CMXMLWriter::NextItem(const uint8_t* item) const {
  uint32_t length = 0;
  if (!item || item >= StreamEnd()) return StreamEnd();
  if (!ItemLengthWithin(item, static_cast<size_t>(StreamEnd() - item), ScoreFormatVersion, &length))
    return StreamEnd();
  const uint8_t* next = item + length;
  if (next < StreamEnd() &&
      !ItemLengthWithin(next, static_cast<size_t>(StreamEnd() - next), ScoreFormatVersion, &length))
    return StreamEnd();
  return next;
}

// The next chord of the voice goes on with the beam: it is in a beam and does
// not start a group of its own. A bar line ends every beam.
bool CMXMLWriter::NextChordContinuesBeam(const uint8_t* item, int voice) const {
  for (const uint8_t* p = NextItem(item); p < StreamEnd(); p = NextItem(p)) {
    const ItemKind kind = KindOf(p);
    if (kind == kItemBarLine || (kind == kItemRest && RestVoice(p) == voice)) return false;
    if (kind != kItemChord || ChordVoice(p) != voice || ChordIsGrace(p)) continue;
    return ChordBeamedToNext(p) && !ChordStartsBeamGroup(p);
  }
  return false;
}

// A tie starts only toward a partner: the next chord of the voice holds the
// same note (the same string and fret on tablature).
bool CMXMLWriter::NextChordHolds(const uint8_t* item, int voice, uint8_t noteByte, bool tablature) const {
  for (const uint8_t* p = NextItem(item); p < StreamEnd(); p = NextItem(p)) {
    const ItemKind kind = KindOf(p);
    if (kind == kItemRest && RestVoice(p) == voice) return false;
    if (kind != kItemChord || ChordVoice(p) != voice || ChordIsGrace(p)) continue;
    const uint8_t* end = NextItem(p);
    for (unsigned n = 0; n < ChordNoteCount(p) && p + kChordHeaderBytes + n < end; ++n) {
      const uint8_t other = p[kChordHeaderBytes + n];
      if (tablature ? other == noteByte : (other & 31) == (noteByte & 31)) return true;
    }
    return false;
  }
  return false;
}

// ---- Spanning marks --------------------------------------------------------------------------

void CMXMLWriter::OnTuplet(const TupletRecord& tuplet) {
  const int voice = tuplet.mark.voice;
  TupletSlot& slot = tuplets_[voice];
  if (slot.starting || slot.open) return;  // one tuplet at a time in a voice
  const uint8_t* item = tuplet.item;
  const int notes = MarkParameter1(item) & 0x7F;
  const CBeatCounter unit(int64_t{MarkParameter2(item)} + 1, 128);
  slot = TupletSlot();
  slot.starting = true;
  slot.remaining = tuplet.mark.span;
  slot.notesLeft = notes;
  slot.actual = notes;
  // Normal notes: how many of the written unit fill the tuplet's span.
  const CBeatCounter normal = Multiply(tuplet.mark.span, CBeatCounter(unit.denominator, unit.numerator));
  if (normal.denominator == 1 && normal.numerator > 0) {
    slot.normal = normal.numerator;
    if (unit.numerator == 1) slot.normalType = PowerOfTwoTypeWord(static_cast<uint32_t>(unit.denominator));
  }
  // Written lengths sound at span / (notes x unit).
  const CBeatCounter& ratio = tuplet.mark.ratio;
  factors_->active[voice] = true;
  factors_->factor[voice] = Multiply(tuplet.mark.span, CBeatCounter(ratio.denominator, ratio.numerator));
}

void CMXMLWriter::OnSlurMark(const uint8_t* item) {
  const SlurMarkValue mark = SlurMarkFields(item);
  for (SlurSlot& slot : slurs_) {
    if (slot.starting || slot.open) continue;
    slot = SlurSlot();
    slot.starting = true;
    slot.voice = mark.voice;
    slot.remaining = mark.time;
    return;
  }
}

void CMXMLWriter::OnMarkKind10(uint8_t value) { pedal_ = PedalState(value); }

void CMXMLWriter::OnMarkKind12(uint8_t value) {
  if (value > 4) {
    ReportProblem(ReadProblem::kUnreadableItem);
    return;
  }
  ornament_ = OrnamentCode(value);
}

// What the note of a voice starts and stops; counts the note into the open
// tuplet and slurs of its voice.
CMXMLWriter::SpanMarks CMXMLWriter::TakeSpanMarks(int voice, const CBeatCounter& sounding, bool grace) {
  SpanMarks marks;
  if (grace) return marks;
  TupletSlot& tuplet = tuplets_[voice];
  if (tuplet.starting) {
    tuplet.starting = false;
    tuplet.open = true;
    marks.tupletStart = true;
  }
  if (tuplet.open) {
    marks.inTuplet = true;
    tuplet.remaining = Subtract(tuplet.remaining, sounding);
    if (--tuplet.notesLeft <= 0 || !Greater(tuplet.remaining, CBeatCounter())) {
      tuplet.open = false;
      marks.tupletStop = true;
    }
  }
  for (int s = 0; s < 10; ++s) {
    SlurSlot& slur = slurs_[s];
    if (slur.voice != voice) continue;
    if (slur.starting) {
      slur.starting = false;
      slur.open = true;
      slur.lastDuration = sounding;
      marks.slurStarts.push_back(s + 1);
      continue;
    }
    if (!slur.open) continue;
    // The span runs from the start of the first note to the start of the last.
    slur.remaining = Subtract(slur.remaining, slur.lastDuration);
    slur.lastDuration = sounding;
    if (!Greater(slur.remaining, CBeatCounter())) {
      slur.open = false;
      marks.slurStops.push_back(s + 1);
    }
  }
  return marks;
}

// Slurs whose span runs beyond the part's last chord or rest end there; one
// that would only start on it is left out.
void CMXMLWriter::EndSlursAtLastNote(const uint8_t* item, SpanMarks& marks) {
  if (item != lastMusicItem_) return;
  for (int s = 0; s < 10; ++s) {
    SlurSlot& slur = slurs_[s];
    slur.starting = false;
    if (!slur.open) continue;
    slur.open = false;
    auto started = std::find(marks.slurStarts.begin(), marks.slurStarts.end(), s + 1);
    if (started != marks.slurStarts.end())
      marks.slurStarts.erase(started);
    else
      marks.slurStops.push_back(s + 1);
  }
}

void CMXMLWriter::WriteTimeModification(int voice, bool inTuplet) {
  const TupletSlot& tuplet = tuplets_[voice];
  if (!inTuplet || tuplet.normal == 0) return;
  out_.OpenElement("time-modification");
  out_.WriteIntElement("actual-notes", tuplet.actual);
  out_.WriteIntElement("normal-notes", tuplet.normal);
  if (*tuplet.normalType) out_.WriteTextElement("normal-type", Wide(tuplet.normalType));
  out_.CloseElement("time-modification");
}

void CMXMLWriter::WriteSpanNotations(const SpanMarks& spans, int voice, bool tieStop, bool tieStart, bool& open) {
  const std::string tupletNumber = " number=\"" + std::to_string(voice + 1) + "\"/";
  auto openOnce = [&] {
    if (!open) out_.OpenElement("notations");
    open = true;
  };
  for (int n : spans.slurStops) {
    openOnce();
    out_.WriteElementWithAttribute("slur type", "stop", "", (" number=\"" + std::to_string(n) + "\"/").c_str());
  }
  for (int n : spans.slurStarts) {
    openOnce();
    out_.WriteElementWithAttribute("slur type", "start", "", (" number=\"" + std::to_string(n) + "\"/").c_str());
  }
  if (tieStop) {
    openOnce();
    out_.WriteElementWithAttribute("tied type", "stop", "", "/");
  }
  if (tieStart) {
    openOnce();
    out_.WriteElementWithAttribute("tied type", "start", "", "/");
  }
  if (spans.tupletStart) {
    openOnce();
    out_.WriteElementWithAttribute("tuplet type", "start", "", tupletNumber.c_str());
  }
  if (spans.tupletStop) {
    openOnce();
    out_.WriteElementWithAttribute("tuplet type", "stop", "", tupletNumber.c_str());
  }
}

// ---- Chords ----------------------------------------------------------------------------------

void CMXMLWriter::OnChord(const ChordRecord& chord) {
  CKVReader::OnStem(chord);
  WriteChord(chord);
}

void CMXMLWriter::WritePitch(const ChordRecord& chord, int index, bool* pitched, int* step, int* octave) {
  const DecodedNote& note = chord.notes[index];
  int diatonic = lastDiatonic_;
  bool placed;
  if (chord.tablature) {
    placed = WrittenPitchOfPosition(note.staffPosition + kBottomStaveLinePosition, XmlClefSign::kF, 4, 0, 5, &diatonic);
  } else {
    const XmlClef clef = ClefWords(clefCode_, clefShift_);
    placed = WrittenPitchOfPosition(note.first, SignOf(clef.sign), clef.line, clef.octaveChange,
                                    static_cast<int>(setup_.lineCount), &diatonic);
  }
  if (!placed) {
    ReportProblem(ReadProblem::kUnreadableItem);
    diatonic = lastDiatonic_;
  }
  lastDiatonic_ = diatonic;
  *step = diatonic % 7;
  *octave = diatonic / 7;
  *pitched = chord.fields.notehead == 0 && !IsPercussionClef(static_cast<uint8_t>(clefCode_)) && !setup_.drum;
}

void CMXMLWriter::WriteChord(const ChordRecord& chord) {
  const ChordFields& f = chord.fields;
  const int voice = f.voice < 0 || f.voice >= kReaderVoices ? 0 : f.voice;
  const CBeatCounter start = clock.voices[voice].position;
  const CBeatCounter sounding = f.grace ? CBeatCounter() : Multiply(f.duration, TimeFactor(voice));
  barHasNotes_ = true;

  PrepareForMusic();
  // Directions stand at their note's time: the cursor moves first.
  MoveOutputTo(start);
  WritePendingDirections();
  WriteAttachedTexts(chord.item);

  SpanMarks spans = TakeSpanMarks(voice, sounding, f.grace);
  EndSlursAtLastNote(chord.item, spans);
  SpanMarks further;  // the notes after the first take only the time change
  further.inTuplet = spans.inTuplet;
  if (chord.noteCount == 0) ReportProblem(ReadProblem::kTabNoteUnplaced);
  for (int i = 0; i < chord.noteCount; ++i) {
    const DecodedNote& note = chord.notes[i];
    const int position = note.first & 31;
    bool tieStop = !f.grace && ties_[voice][position];
    bool tieStart = !f.grace && tieMark_ &&
                    NextChordHolds(chord.item, voice, chord.tablature ? static_cast<uint8_t>(note.tabString << 5 | note.fret)
                                                                      : note.first,
                                   chord.tablature);
    if (!f.grace) ties_[voice][position] = tieStart;
    WriteChordNote(chord, i, i == 0 ? spans : further, tieStop, tieStart);
  }
  outTime_ = Add(start, sounding);
  tieMark_ = false;
  ornament_ = 0;
  if (!tuplets_[voice].open && !tuplets_[voice].starting) factors_->active[voice] = false;
}

void CMXMLWriter::WriteChordNote(const ChordRecord& chord, int index, const SpanMarks& spans, bool tieStop,
                                 bool tieStart) {
  const ChordFields& f = chord.fields;
  const DecodedNote& note = chord.notes[index];
  const int voice = f.voice < 0 || f.voice >= kReaderVoices ? 0 : f.voice;
  bool pitched;
  int step, octave;
  WritePitch(chord, index, &pitched, &step, &octave);
  const int code = AccidentalFromPair(note.accidental);
  // Cue notes take no ties.
  const bool cue = f.small && !f.grace;
  if (cue) tieStop = tieStart = false;

  out_.OpenElement("note");
  if (f.grace) out_.WriteEmptyElement("grace/");
  if (cue) out_.WriteEmptyElement("cue/");
  if (index > 0) out_.WriteEmptyElement("chord/");
  if (pitched) {
    const int alter = chord.tablature ? AccidentalWord(code).alter : accidentals_.AlterationForNote(step, octave, code);
    out_.OpenElement("pitch");
    out_.WriteCharElement("step", StepLetter(step));
    if (alter != 0) out_.WriteIntElement("alter", alter);
    out_.WriteIntElement("octave", octave);
    out_.CloseElement("pitch");
    if (!chord.tablature) accidentals_.AfterTies(step, octave, tieStart, tieStop);
  } else {
    out_.OpenElement("unpitched");
    out_.WriteCharElement("display-step", StepLetter(step));
    out_.WriteIntElement("display-octave", octave);
    out_.CloseElement("unpitched");
  }
  if (!f.grace) out_.WriteIntElement("duration", Div(Multiply(f.duration, TimeFactor(voice))));
  if (tieStop) out_.WriteElementWithAttribute("tie type", "stop", "", "/");
  if (tieStart) out_.WriteElementWithAttribute("tie type", "start", "", "/");
  const int position = note.first & 31;
  if (setup_.drum && setup_.drumInstrument[position] > 0) {
    const std::string id = "P" + std::to_string(setup_.slot) + "-I" + std::to_string(setup_.drumInstrument[position]);
    out_.WriteElementWithAttribute("instrument id", id.c_str(), "", "/");
  }
  out_.WriteIntElement("voice", voice + 1);
  const char* type = NoteTypeWord(f.durationCode);
  if (*type) out_.WriteTextElement("type", Wide(type));
  for (int d = 0; d < f.dots; ++d) out_.WriteEmptyElement("dot/");
  if (pitched && !chord.tablature && code != 0 && f.notehead == 0) {
    const char* word = AccidentalWord(code).word;
    if (*word) out_.WriteTextElement("accidental", Wide(word));
  }
  if (!f.grace) WriteTimeModification(voice, spans.inTuplet);
  out_.WriteTextElement("stem", f.stemUp ? u"up" : u"down");
  // Head kinds: 0 the ordinary head, 1 a cross, 2 and 3 no head at all.
  static const char16_t* const kHeadWords[] = {u"", u"x", u"none", u"none"};
  if (f.notehead > 0 && f.notehead < 4) out_.WriteTextElement("notehead", kHeadWords[f.notehead]);
  WriteBeams(chord);

  bool open = false;
  auto openOnce = [&] {
    if (!open) out_.OpenElement("notations");
    open = true;
  };
  if (ornament_ != 0 && *OrnamentWord(ornament_)) {
    openOnce();
    out_.OpenElement("ornaments");
    WriteWord(out_, OrnamentWord(ornament_));
    out_.CloseElement("ornaments");
  }
  const ArticulationGroup groups[] = {ArticulationGroup::kArticulations, ArticulationGroup::kTechnical};
  const char* groupNames[] = {"articulations", "technical"};
  for (int g = 0; g < 2; ++g) {
    bool groupOpen = false;
    for (int k = 0; k < 12; ++k) {
      if (!(chord.articulations & (1u << k))) continue;
      const XmlArticulation mark = ArticulationWord(k + 1);
      if (mark.group != groups[g] || !*mark.word) continue;
      openOnce();
      if (!groupOpen) out_.OpenElement(groupNames[g]);
      groupOpen = true;
      WriteWord(out_, mark.word);
    }
    if (g == 1 && chord.tablature) {
      openOnce();
      if (!groupOpen) out_.OpenElement(groupNames[g]);
      groupOpen = true;
      out_.WriteIntElement("string", setup_.lineCount - note.tabString);
      out_.WriteIntElement("fret", note.fret);
    }
    if (groupOpen) out_.CloseElement(groupNames[g]);
  }
  for (int k = 0; k < 12; ++k) {
    if (!(chord.articulations & (1u << k))) continue;
    const XmlArticulation mark = ArticulationWord(k + 1);
    if (mark.group != ArticulationGroup::kNotations || !*mark.word) continue;
    openOnce();
    WriteWord(out_, mark.word);
  }
  if (!f.grace || !spans.slurStops.empty()) WriteSpanNotations(spans, voice, tieStop, tieStart, open);
  if (open) out_.CloseElement("notations");
  if (index == 0) WriteLyrics(chord.item);
  out_.CloseElement("note");
}

void CMXMLWriter::WriteBeams(const ChordRecord& chord) {
  const ChordFields& f = chord.fields;
  if (f.grace || !(chord.beam.inBeam || chord.beam.startsGroup)) return;
  const int levels = 5 - f.durationCode;
  if (levels <= 0) return;
  const bool continues = NextChordContinuesBeam(chord.item, f.voice);
  const char* value;
  if (chord.beam.startsGroup) {
    if (!continues) return;  // a group of one chord is no beam
    value = "begin";
  } else {
    value = continues ? "continue" : "end";
  }
  for (int level = 1; level <= levels; ++level)
    out_.WriteTextElement(("beam number=\"" + std::to_string(level) + "\"").c_str(), Wide(value), "beam");
}

// ---- Rests -----------------------------------------------------------------------------------

void CMXMLWriter::OnRest(const RestRecord& rest) {
  if (!rest.item) {
    CKVReader::OnRest(rest);
    return;
  }
  RestRecord placed = rest;
  if (!WholeBarRestFits(placed)) return;
  CKVReader::OnRest(placed);
  WriteRest(placed);
}

// A rest of a whole bar stands only where its bar is still silent: after
// music of the voice it would only lengthen the bar, so it is left out.
// One placed at its voice's own time (and a one-bar rest whose voice still
// sounds, which then takes that place) asks its own voice: it fits while
// that voice has not moved on in the bar. Rests of several bars are always
// kept, so that every bar they stand for gets its measure.
bool CMXMLWriter::WholeBarRestFits(RestRecord& rest) const {
  RestValues& f = rest.fields;
  if (!f.wholeBar || (f.multiBar && f.bars > 1)) return true;
  const bool voiceValid = f.voice >= 0 && f.voice < kReaderVoices;
  const bool ownTime = voiceValid && (f.multiBar ? Greater(clock.voices[f.voice].pending, CBeatCounter()) : f.noAdvance);
  if (!ownTime) return Equal(clock.EndOf(clock.currentVoice), CBeatCounter());
  f.noAdvance = true;
  return Equal(clock.voices[f.voice].position, CBeatCounter());
}

void CMXMLWriter::WriteRest(const RestRecord& rest) {
  const RestValues& f = rest.fields;
  const int voice = f.voice < 0 || f.voice >= kReaderVoices ? 0 : f.voice;
  const CBeatCounter start = clock.voices[voice].position;
  const CBeatCounter sounding = f.wholeBar ? f.duration : Multiply(f.duration, TimeFactor(voice));
  barHasNotes_ = true;

  PrepareForMusic();
  MoveOutputTo(start);
  WritePendingDirections();
  WriteAttachedTexts(rest.item);
  SpanMarks spans = f.wholeBar ? SpanMarks() : TakeSpanMarks(voice, sounding, false);
  EndSlursAtLastNote(rest.item, spans);

  out_.OpenElement("note");
  out_.WriteEmptyElement("rest/");
  out_.WriteIntElement("duration", Div(sounding));
  out_.WriteIntElement("voice", voice + 1);
  const char* type = f.wholeBar ? "whole" : NoteTypeWord(f.durationCode);
  if (*type) out_.WriteTextElement("type", Wide(type));
  for (int d = 0; !f.wholeBar && d < f.dots; ++d) out_.WriteEmptyElement("dot/");
  if (!f.wholeBar) WriteTimeModification(voice, spans.inTuplet);
  bool open = false;
  if (!f.multiBar && RestHasFermata(rest.item)) {
    out_.OpenElement("notations");
    open = true;
    out_.WriteEmptyElement("fermata/");
  }
  WriteSpanNotations(spans, voice, false, false, open);
  if (open) out_.CloseElement("notations");
  WriteLyrics(rest.item);
  out_.CloseElement("note");
  outTime_ = Add(start, sounding);
  if (!tuplets_[voice].open && !tuplets_[voice].starting) factors_->active[voice] = false;

  if (f.multiBar && f.bars > 1) {
    extraRestBars_ = f.bars - 1;
    extraRestVoice_ = voice;
  }
}
