#include "export/MusicXmlWriter.h"

#include <algorithm>

#include "export/MusicXmlTables.h"
#include "export/NiffWriterError.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

namespace {

// Padding rests are cut down to pieces no shorter than this; both walks of a
// part use it, so the silent walk sees every length the written one writes.
const CBeatCounter kSmallestPad(1, 64);
constexpr int64_t kMostDenominators = 1 << 20;

int64_t Gcd(int64_t a, int64_t b) {
  while (b != 0) {
    const int64_t t = a % b;
    a = b;
    b = t;
  }
  return a < 0 ? -a : a;
}

}  // namespace

int XmlPartPlan::Divisions() const {
  // The smallest d for which 4 d is a multiple of every denominator.
  return static_cast<int>(denominators / Gcd(denominators, 4));
}

bool CXmlTupletFactors::TimeFactor(int voice, CBeatCounter* result) const {
  if (voice < 0 || voice >= kReaderVoices || !active[voice]) return false;
  *result = factor[voice];
  return true;
}

// ---- The walk of a part -----------------------------------------------------------

void CMXMLWriter::StartPart(const XmlPartSetup& setup, bool dry) {
  setup_ = setup;
  dry_ = dry;
  plan_ = XmlPartPlan();
  plan_.systemMeasures.assign(1, 0);
  Begin(SignatureList());
  auto factors = std::make_unique<CXmlTupletFactors>();
  factors_ = factors.get();
  AddHandler(std::move(factors));

  measureOpen_ = false;
  measureNumber_ = 1;
  measuresWritten_ = 0;
  systemIndex_ = 0;
  measuresInSystem_ = 0;
  leftBarline_ = 0;
  newSystem_ = false;
  barHasNotes_ = false;
  extraRestBars_ = 0;
  outTime_ = CBeatCounter();
  consumedTo_ = nullptr;

  firstAttributes_ = false;
  keyChanged_ = timeChanged_ = clefChanged_ = false;
  keyForce_ = timeForce_ = clefForce_ = true;
  timeInBar_ = false;
  clefSeen_ = false;
  fifths_ = 0;
  beats_ = 4;
  beatTypeCode_ = 5;
  timeSymbol_ = false;
  clefCode_ = kClefTreble;
  clefShift_ = 0;

  accidentals_.ResetAccidentals();
  tieMark_ = false;
  std::fill(&ties_[0][0], &ties_[0][0] + kReaderVoices * 32, false);
  ornament_ = 0;
  lastDiatonic_ = 4 * 7;
  for (TupletSlot& slot : tuplets_) slot = TupletSlot();
  for (SlurSlot& slot : slurs_) slot = SlurSlot();
  pedal_ = 0;
  segnoCoda_ = 0;
  wedgePending_ = wedgeOpen_ = false;
  pendingTexts_.clear();
}

void CMXMLWriter::WritePart(const XmlPartSetup& setup, bool dry) {
  StartPart(setup, dry);
  const uint8_t* bytes = StreamBytes(ScoreStream, setup.slot);
  const uint8_t* end = StreamUsedEnd(ScoreStream, setup.slot);
  SetStream(bytes, end, setup.slot);
  lastMusicItem_ = nullptr;
  for (const uint8_t* p = bytes; p && p < end; p = NextItem(p))
    if (KindOf(p) == kItemChord || KindOf(p) == kItemRest) lastMusicItem_ = p;
  ReadStaffStream(0);
  FinishPart();
}

void CMXMLWriter::FinishPart() {
  // Music left in voices that do not close a bar by themselves.
  if (measureOpen_) EndMeasure(kBarSingle);
  PadSystem();
  if (measuresWritten_ == 0) EndMeasure(kBarSingle);
}

// Parts that end a system with fewer measures than the longest part get
// empty measures, so that every part keeps the same bars.
void CMXMLWriter::PadSystem() {
  if (dry_) return;
  const size_t s = static_cast<size_t>(systemIndex_);
  const int wanted = s < setup_.systemMeasures.size() ? setup_.systemMeasures[s] : 0;
  while (measuresInSystem_ < wanted) EndMeasure(kBarSingle);
}

void CMXMLWriter::OnSystemMark() {
  if (measureOpen_) EndMeasure(kBarSingle);
  PadSystem();
  ++systemIndex_;
  measuresInSystem_ = 0;
  if (dry_) plan_.systemMeasures.push_back(0);
  if (measuresWritten_ > 0) newSystem_ = true;
  keyForce_ = timeForce_ = clefForce_ = true;
}

// ---- Measures ------------------------------------------------------------------------

void CMXMLWriter::EnsureMeasure() {
  if (measureOpen_) return;
  out_.OpenElementWithAttribute("measure number", measureNumber_);
  measureOpen_ = true;
  outTime_ = CBeatCounter();
  if (newSystem_) {
    out_.WriteElementWithAttribute("print new-system", "yes", "", "/");
    newSystem_ = false;
  }
  if (leftBarline_ != 0) {
    WriteBarline(leftBarline_, "left");
    leftBarline_ = 0;
  }
}

void CMXMLWriter::PrepareForMusic() {
  EnsureMeasure();
  FlushAttributes();
}

void CMXMLWriter::EndMeasure(uint8_t barStyle) {
  PrepareForMusic();
  WritePendingDirections();
  for (const uint8_t* text : pendingTexts_) WriteText(text);
  pendingTexts_.clear();

  if (wedgeOpen_ && !MusicFollows()) WriteWedgeStop();

  MoveTimePosition(-1, false);
  CBeatCounter furthest = Less(clock.timeCursor, CBeatCounter()) ? CBeatCounter() : clock.timeCursor;
  MoveOutputTo(furthest);
  CBarPadderXML padder(*this);
  PadBarWith(clock, padder, kSmallestPad);

  WriteBarline(barStyle == kBarStartRepeat ? 0 : barStyle, "right");
  out_.CloseElement("measure");
  measureOpen_ = false;
  ++measureNumber_;
  ++measuresWritten_;
  ++measuresInSystem_;
  if (dry_) ++plan_.systemMeasures.back();
  leftBarline_ = barStyle == kBarStartRepeat ? kBarStartRepeat : barStyle == kBarEndStartRepeat ? 12 : 0;

  clock.NextBar();
  clock.barNumber = measureNumber_;
  accidentals_.EndOfBar();
  timeInBar_ = false;
  barHasNotes_ = false;
  barOverfull = 0;
}

void CMXMLWriter::WriteBarline(int code, const char* location) {
  // Code 12: the forward repeat that follows a double repeat, without a style.
  const char* style = code == 12 ? "" : BarStyleWord(static_cast<uint8_t>(code));
  const char* repeat = code == 12 ? "forward" : RepeatDirectionWord(static_cast<uint8_t>(code));
  if (!*style && !*repeat) return;
  out_.OpenElementWithAttribute("barline location", location);
  if (*style) out_.WriteTextElement("bar-style", std::u16string(style, style + std::char_traits<char>::length(style)));
  if (*repeat) out_.WriteElementWithAttribute("repeat direction", repeat, "", "/");
  out_.CloseElement("barline");
}

void CMXMLWriter::OnEndOfBar(uint8_t barStyle) {
  EndMeasure(extraRestBars_ > 0 ? uint8_t{kBarSingle} : barStyle);
  // The further bars of a rest of several bars, each a measure of its own.
  while (extraRestBars_ > 0) {
    --extraRestBars_;
    PrepareForMusic();
    const CBeatCounter bar(clock.timeSignature.numerator, clock.timeSignature.denominator);
    WritePaddingRest(bar, extraRestVoice_, true);
    clock.AddPending(extraRestVoice_, bar);
    EndMeasure(extraRestBars_ > 0 ? uint8_t{kBarSingle} : barStyle);
  }
}

void CMXMLWriter::OnLeadingBarLine(uint8_t barStyle) {
  if (measureOpen_)
    WriteBarline(barStyle, "left");
  else
    leftBarline_ = barStyle;
}

// ---- Time in the measure ------------------------------------------------------------------

int CMXMLWriter::Div(const CBeatCounter& duration) {
  if (dry_) {
    CBeatCounter reduced(duration.numerator, duration.denominator);
    const int64_t d = reduced.denominator;
    plan_.denominators = plan_.denominators / Gcd(plan_.denominators, d) * d;
    CheckOrThrow(plan_.denominators <= kMostDenominators);
    return 0;
  }
  return ToDivisions(duration, setup_.divisions);
}

void CMXMLWriter::MoveOutputTo(const CBeatCounter& time) {
  const int order = Compare(outTime_, time);
  if (order == 0) return;
  const CBeatCounter gap = order == 2 ? Subtract(outTime_, time) : Subtract(time, outTime_);
  const char* element = order == 2 ? "backup" : "forward";
  out_.OpenElement(element);
  out_.WriteIntElement("duration", Div(gap));
  out_.CloseElement(element);
  outTime_ = time;
}

void CMXMLWriter::WritePaddingRest(const CBeatCounter& duration, int voice, bool wholeBar) {
  out_.OpenElement("note");
  out_.WriteEmptyElement("rest/");
  out_.WriteIntElement("duration", Div(duration));
  if (voice >= 0) out_.WriteIntElement("voice", voice + 1);
  const char* type = wholeBar ? "whole" : duration.numerator == 1 ? PowerOfTwoTypeWord(duration.denominator) : "";
  if (*type) out_.WriteTextElement("type", std::u16string(type, type + std::char_traits<char>::length(type)));
  out_.CloseElement("note");
  outTime_ = Add(outTime_, duration);
}

int CBarPadderXML::PadRest(ReaderTimeState& bar, const CBeatCounter& duration, int voice) {
  writer_.WritePaddingRest(duration, voice, false);
  bar.AddPending(voice, duration);
  bar.Advance(voice);
  return 1;
}

int CBarPadderXML::PadBarRest(ReaderTimeState& bar, const CBeatCounter& duration, int voice) {
  writer_.WritePaddingRest(duration, voice, true);
  bar.AddPending(voice, duration);
  bar.Advance(voice);
  return 1;
}

// ---- Attributes ----------------------------------------------------------------------------

void CMXMLWriter::OnClef(uint8_t shape, uint8_t staffStep, uint8_t octave) {
  CKVReader::OnClef(shape, staffStep, octave);
  const uint8_t* item = CurrentItem();
  const int code = ClefCodeOf(item);
  const int shift = ClefOctaveShift(item);
  const XmlClef now = ClefWords(clefCode_, clefShift_);
  const XmlClef next = ClefWords(code, shift);
  const bool same = clefSeen_ && std::string(now.sign) == next.sign && now.line == next.line &&
                    now.octaveChange == next.octaveChange;
  clefCode_ = code;
  clefShift_ = shift;
  clefSeen_ = true;
  if (same && !clefForce_) return;
  clefChanged_ = true;
  clefForce_ = false;
}

void CMXMLWriter::OnKeySignature(uint8_t value) {
  CKVReader::OnKeySignature(value);
  const uint8_t* item = CurrentItem();
  const int count = KeyAccidentalCount(item);
  const int fifths = KeyIsSharps(item) ? count : -count;
  accidentals_.SetKey(fifths);
  if (fifths == fifths_ && !keyForce_) return;
  fifths_ = fifths;
  keyChanged_ = true;
  keyForce_ = false;
}

void CMXMLWriter::OnTimeSignature(const FileExporting::CTimeSig& signature, bool flag) {
  CKVReader::OnTimeSignature(signature, flag);
  const uint8_t* item = CurrentItem();
  if (timeInBar_ || signature.numerator <= 0) return;
  timeInBar_ = true;
  clock.timeSignature = signature;
  // A bar of this signature may be filled by a rest of its whole length.
  if (dry_) Div(CBeatCounter(signature.numerator, signature.denominator));
  const int beats = TimeNumerator(item);
  const int code = TimeDenominatorCode(item);
  const bool symbol = TimeIsSymbol(item);
  if (beats == beats_ && code == beatTypeCode_ && symbol == timeSymbol_ && !timeForce_) return;
  beats_ = beats;
  beatTypeCode_ = code;
  timeSymbol_ = symbol;
  timeChanged_ = true;
  timeForce_ = false;
}

void CMXMLWriter::FlushAttributes() {
  const bool first = !firstAttributes_;
  // Music before the part's first clef is written under a treble clef.
  if (first && !clefSeen_) clefChanged_ = true;
  if (!first && !keyChanged_ && !timeChanged_ && !clefChanged_) return;
  out_.OpenElement("attributes");
  if (first) out_.WriteIntElement("divisions", setup_.divisions);
  if (keyChanged_) {
    out_.OpenElement("key");
    out_.WriteIntElement("fifths", fifths_);
    out_.CloseElement("key");
  }
  if (timeChanged_) {
    if (timeSymbol_ && beats_ == 4 && beatTypeCode_ == 5)
      out_.OpenElementWithAttribute("time symbol", "common");
    else if (timeSymbol_ && beats_ == 2 && beatTypeCode_ == 6)
      out_.OpenElementWithAttribute("time symbol", "cut");
    else
      out_.OpenElement("time");
    out_.WriteIntElement("beats", beats_);
    out_.WriteIntElement("beat-type", BeatTypeOfCode(beatTypeCode_));
    out_.CloseElement("time");
  }
  if (clefChanged_) {
    const XmlClef clef = ClefWords(clefCode_, clefShift_);
    out_.OpenElement("clef");
    out_.WriteTextElement("sign", std::u16string(clef.sign, clef.sign + std::char_traits<char>::length(clef.sign)));
    if (clef.line != 0) out_.WriteIntElement("line", clef.line);
    if (clef.octaveChange != 0) out_.WriteIntElement("clef-octave-change", clef.octaveChange);
    out_.CloseElement("clef");
  }
  if (first) WriteStaffDetails();
  out_.CloseElement("attributes");
  firstAttributes_ = true;
  keyChanged_ = timeChanged_ = clefChanged_ = false;
}

void CMXMLWriter::WriteStaffDetails() {
  if (setup_.lineCount != 5 || setup_.small) {
    out_.OpenElement("staff-details");
    if (setup_.small) out_.WriteTextElement("staff-type", u"editorial");
    if (setup_.lineCount != 5) {
      out_.WriteIntElement("staff-lines", setup_.lineCount);
      for (int line = 1; setup_.tablature && line <= setup_.lineCount; ++line) {
        StaffTuning tuning;
        if (!TablatureTuning(setup_.lineCount, line, &tuning)) continue;
        out_.OpenElementWithAttribute("staff-tuning line", line);
        out_.WriteCharElement("tuning-step", tuning.step);
        out_.WriteIntElement("tuning-octave", tuning.octave);
        out_.CloseElement("staff-tuning");
      }
    }
    out_.CloseElement("staff-details");
  }
  if (setup_.transposition != 0) {
    out_.OpenElement("transpose");
    out_.WriteIntElement("chromatic", setup_.transposition);
    out_.CloseElement("transpose");
  }
}
