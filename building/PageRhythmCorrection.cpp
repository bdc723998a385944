#include "building/PageRhythmCorrection.h"

#include <algorithm>
#include <array>
#include <vector>

#include <mutex>

#include "building/BarRhythmSearch.h"
#include "building/TupletCompletion.h"
#include "pages/PageData.h"
#include "pages/PageTable.h"
#include "platform/Settings.h"
#include "platform/ShellFlags.h"
#include "score/BarRhythmCheck.h"
#include "score/TupletDurations.h"

const MetreCandidate kMetreCandidateTable[kMetreCandidates] = {
    {1, 6}, {2, 6}, {3, 6}, {4, 6},                   // 1/2 .. 4/2
    {1, 4}, {2, 4}, {3, 4}, {4, 4}, {6, 4}, {9, 4}, {11, 4},  // 1/8 .. 11/8 (no 12/8)
    {1, 5}, {2, 5}, {3, 5}, {4, 5},                   // 1/4 .. 4/4
};

namespace {

constexpr int kMeasuredSections = 13;
constexpr int kMeasuredBars = 64;
constexpr int kIndexedSections = 14;
constexpr int kHistogramCodes = 8;

// A bar closes at a bar line (codes 0..15) or at the section's end (0x80).
bool ClosesBar(const uint8_t* item) { return KindOf(item) == kItemBarLine && item[0] <= kBarBoundary; }

bool IsMeasuredSignature(const uint8_t* item) {
  return KindOf(item) == kItemTime && !(item[1] & 0x88);
}

struct PartSections {
  int count = 0;
  uint32_t offset[kIndexedSections + 1] = {};
  int32_t box[kIndexedSections + 1] = {};
};

// One bar of one part, found by section and bar number.
struct BarPlace {
  bool present = false;
  uint32_t start = 0, end = 0;  // [start, end): the opening bar line up to the closing item
  int endCode = -1;             // the closing bar line's code; -1 for the section's end
  int32_t firstBox = -1;
  TimeSignatureValue signature;
  bool signatureKnown = false;
};

struct Measured {
  int32_t length = -1;  // the voices' common length, -1 none
  int endCode = -1;
  bool present = false;
};

class PagePass {
 public:
  explicit PagePass(PageRhythmInput* input) : in_(*input), search_(input->options) {}
  void Run();

 private:
  BarRhythmSearch& SearchFor(int part) {
    RhythmReadingOptions options = in_.options;
    options.tablature = part >= 0 && part < kPartSlots && in_.tablature[part];
    search_.SetOptions(options);
    return search_;
  }
  const uint8_t* Stream(int slot) const { return StreamBytes(*in_.streams, slot); }
  uint32_t Used(int slot) const { return StreamUsedLength(*in_.streams, slot); }
  void IndexSections();
  bool SectionSignature(int section, TimeSignatureValue* out) const;
  BarPlace LocateBar(int part, int section, int bar) const;
  Measured MeasureBar(int part, const BarPlace& place, bool withBoxes, const TimeSignatureValue* forced,
                      int histogram[kHistogramCodes]);
  int32_t MostShared(const std::vector<int32_t>& lengths, int* count) const;
  void MeasureAll();
  void Decide();
  // The metres a bar's time signatures establish, as the page is walked.
  struct Running {
    TimeSignatureValue current, inForce;
    bool currentKnown = false, inForceKnown = false;
  };
  void SettleBar(int section, int bar, int32_t length, const TimeSignatureValue* chosen, int& window,
                 Running& running);
  void CorrectPart(int part);
  void CompleteTuplets();

  PageRhythmInput& in_;
  BarRhythmSearch search_;
  std::array<PartSections, kPartSlots> sections_;
  int32_t length_[kMeasuredSections][kMeasuredBars];
  int agreement_[kMeasuredSections][kMeasuredBars] = {};
  int endCode_[kMeasuredSections][kMeasuredBars];
  int histogram_[kMeasuredSections][kMeasuredBars][kHistogramCodes] = {};
};

// Each section's first box row. The rows follow the order in which the
// stave groups were written: section by section, part by part within one.
void PagePass::IndexSections() {
  int32_t boxedIn[kPartSlots][kIndexedSections] = {};
  for (int part = 1; part < in_.partCount; ++part) {
    PartSections& sections = sections_[static_cast<size_t>(part)];
    std::fill(std::begin(sections.box), std::end(sections.box), -1);
    const uint8_t* stream = Stream(part);
    if (!stream) continue;
    bool open = false;
    WalkStream(stream, Used(part), in_.options.version, [&](uint32_t at, const uint8_t* item, uint32_t) {
      if (!open) {
        if (sections.count >= kIndexedSections) return false;
        sections.offset[sections.count] = at;
        ++sections.count;
        open = true;
      }
      if (ItemHasBoxRow(item)) ++boxedIn[part][sections.count - 1];
      if (item[0] == kBarBoundary) open = false;
      return true;
    });
    sections.offset[sections.count] = Used(part);
  }
  int32_t row = 0;
  for (int s = 0; s < kIndexedSections; ++s) {
    for (int part = 1; part < in_.partCount; ++part) {
      PartSections& sections = sections_[static_cast<size_t>(part)];
      if (s >= sections.count) continue;
      sections.box[s] = row;
      row += boxedIn[part][s];
    }
  }
}

bool PagePass::SectionSignature(int section, TimeSignatureValue* out) const {
  const TimeSignatureIndex index(*in_.streams, in_.partCount, in_.options.version);
  return index.Find(section, out);
}

BarPlace PagePass::LocateBar(int part, int section, int bar) const {
  BarPlace place;
  const PartSections& sections = sections_[static_cast<size_t>(part)];
  if (section >= sections.count) return place;
  const uint8_t* stream = Stream(part);
  place.signatureKnown = SectionSignature(section, &place.signature);
  if (!place.signatureKnown && in_.score.overallKnown) {
    place.signature = in_.score.overall;
    place.signatureKnown = true;
  }
  const uint32_t end = sections.offset[section + 1];
  uint32_t barStart = sections.offset[section];
  int32_t boxes = sections.box[section];
  int32_t barBox = boxes;
  int index = 0;
  for (uint32_t at = sections.offset[section]; at < end;) {
    uint32_t length = 0;
    if (!ItemLengthWithin(stream + at, end - at, in_.options.version, &length)) return place;
    const uint8_t* item = stream + at;
    if (IsMeasuredSignature(item)) {
      place.signature.beats = TimeNumerator(item);
      place.signature.unit = TimeDenominatorCode(item);
      place.signatureKnown = true;
    }
    if (ClosesBar(item)) {
      if (index == bar) {
        place.present = true;
        place.start = barStart;
        place.end = at;
        place.endCode = item[0] == kBarBoundary ? -1 : BarCode(item);
        place.firstBox = barBox;
        return place;
      }
      if (item[0] == kBarBoundary) return place;
      ++index;
      barStart = at;
      barBox = boxes;
    }
    if (ItemHasBoxRow(item)) ++boxes;
    at += length;
  }
  return place;
}

Measured PagePass::MeasureBar(int part, const BarPlace& place, bool withBoxes, const TimeSignatureValue* forced,
                              int histogram[kHistogramCodes]) {
  Measured out;
  if (!place.present) return out;
  out.present = true;
  out.endCode = place.endCode;
  BarEvents events;
  BuildBarEvents(Stream(part), place.start, place.end, &events, withBoxes ? in_.boxes : nullptr,
                 withBoxes ? place.firstBox : -1, in_.options.version);
  TimeSignatureValue signature = forced ? *forced : place.signature;
  const bool known = forced || place.signatureKnown;
  VoiceTotals totals;
  if (!known || signature.beats < 1) {
    SumVoiceDurations(events, &totals);
  } else {
    SearchFor(part).SolveGroupedBarRhythm(&events, signature.beats, signature.unit, true, &totals, nullptr);
  }
  if (histogram) {
    for (int p = 0; p < events.positions; ++p) {
      for (uint32_t k = 0; k < events.counts[p] && k < kEventsPerPosition; ++k) {
        const BarEvent& e = events.At(p, static_cast<int>(k));
        if (!e.Live() || (e.flags & kEventNoTime) || e.code >= kHistogramCodes) continue;
        const bool chord = (e.flags & kEventChord) != 0;
        if (chord && (e.flags & kEventBeamContinues) && e.code < 5) continue;
        if (chord && (e.flags & kEventBeamedToNext) && e.code < 5) {
          // A beam group counts once, as the value its whole length needs.
          int64_t total = e.duration;
          int64_t waitingRests = 0;
          for (int q = p + 1; q < events.positions; ++q) {
            const BarEvent* next = nullptr;
            for (uint32_t j = 0; j < events.counts[q] && j < kEventsPerPosition; ++j) {
              const BarEvent& o = events.At(q, static_cast<int>(j));
              if (!o.Live() || o.voice != e.voice) continue;
              if ((o.flags & kEventChord) && (o.flags & kEventBeamContinues) && o.code < 5 &&
                  (o.flags & kEventStemBit) == (e.flags & kEventStemBit)) {
                if (!next) next = &o;
              } else if (!(o.flags & kEventChord) && o.code < 5) {
                waitingRests += o.duration;
              }
            }
            if (next) {
              total += next->duration + waitingRests;
              waitingRests = 0;
            } else if (waitingRests == 0) {
              break;
            }
          }
          int c = 0;
          while (c < 7 && NoteValueTicks(static_cast<unsigned>(c), 0) < total) ++c;
          ++histogram[c];
          continue;
        }
        ++histogram[e.code];
      }
    }
  }
  const int32_t common = CommonVoiceLength(totals, -1);
  if (common != -1) out.length = common;
  return out;
}

int32_t PagePass::MostShared(const std::vector<int32_t>& lengths, int* count) const {
  int32_t best = 0;
  *count = 0;
  for (size_t i = 0; i < lengths.size(); ++i) {
    bool candidate = false;
    for (const MetreCandidate& m : kMetreCandidateTable) candidate |= BarLengthTicks(m.beats, m.unit) == lengths[i];
    if (!candidate) continue;
    const int n = static_cast<int>(std::count(lengths.begin(), lengths.end(), lengths[i]));
    if (n > *count) {
      *count = n;
      best = lengths[i];
    }
  }
  return best;
}

void PagePass::MeasureAll() {
  for (int s = 0; s < kMeasuredSections; ++s) {
    bool anySection = false;
    for (int b = 0; b < kMeasuredBars; ++b) {
      std::vector<int32_t> lengths;
      bool anyBar = false;
      for (int part = 1; part < in_.partCount; ++part) {
        if (s < sections_[static_cast<size_t>(part)].count) anySection = true;
        const BarPlace place = LocateBar(part, s, b);
        if (!place.present) continue;
        anyBar = true;
        const Measured m = MeasureBar(part, place, false, nullptr, histogram_[s][b]);
        if (endCode_[s][b] == -2) endCode_[s][b] = m.endCode;
        if (m.length != -1) lengths.push_back(m.length);
      }
      if (!anyBar) break;
      length_[s][b] = MostShared(lengths, &agreement_[s][b]);
    }
    if (!anySection) break;
  }
}

// Walks the bar's time signatures in every part. A visible one establishes
// its metre (and, unless it is one this pass wrote, the metre in force);
// with `chosen` given, a hidden one is rewritten: while the change window is
// open as the chosen metre, shown but not measured; otherwise, in a bar
// without a visible signature, as the chosen metre in the marking colour
// when its bar length differs from the metre in force, else as the metre in
// force, shown but not measured, opening the window (the first hidden one
// of the part's bar only). A part whose first
// visible signature already has the bar's length is left as it is.
void PagePass::SettleBar(int section, int bar, int32_t length, const TimeSignatureValue* chosen, int& window,
                         Running& running) {
  const bool windowOpen = window > 0;
  bool opens = false;
  bool established = false;
  bool measured = false;
  TimeSignatureValue barMetre;
  for (int part = 1; part < in_.partCount; ++part) {
    const BarPlace place = LocateBar(part, section, bar);
    if (!place.present) continue;
    uint8_t* stream = StreamBytes(*in_.streams, part);
    std::vector<uint8_t*> items;
    WalkStream(stream + place.start, place.end - place.start, in_.options.version,
               [&](uint32_t, const uint8_t* item, uint32_t) {
                 if (KindOf(item) == kItemTime) items.push_back(const_cast<uint8_t*>(item));
                 return true;
               });
    bool anyVisible = false;
    uint8_t* firstVisible = nullptr;
    for (uint8_t* item : items)
      if (!TimeIsHidden(item)) {
        anyVisible = true;
        if (!firstVisible) firstVisible = item;
      }
    const bool done = firstVisible && BarLengthTicks(TimeNumerator(firstVisible), TimeDenominatorCode(firstVisible)) ==
                                          length;
    bool wrote = false;
    for (uint8_t* item : items) {
      if (!TimeIsHidden(item)) {
        barMetre = TimeSignatureValue{TimeNumerator(item), TimeDenominatorCode(item)};
        established = true;
        measured = (item[1] & 0x08) == 0;
        if (measured) {
          running.inForce = barMetre;
          running.inForceKnown = true;
        }
        continue;
      }
      if (!chosen || done || wrote) continue;  // the first hidden one only
      TimeSignatureValue written = *chosen;
      uint8_t second = 0;
      if (windowOpen) {
        second = 0x08;  // shown on screen; not measured as the metre in force
      } else if (anyVisible) {
        continue;
      } else if (!running.inForceKnown || chosen->Length() != running.inForce.Length()) {
        second = 0x40;  // shown in the marking colour
        if ((chosen->beats == 2 || chosen->beats == 4) && chosen->unit == 5) second |= 0x20;
      } else {
        written = running.inForce;
        second = 0x08;
        opens = true;
      }
      item[0] = static_cast<uint8_t>(written.beats << 3 | kItemTime);
      item[1] = static_cast<uint8_t>((written.unit & 7) | second);
      wrote = true;
      barMetre = written;
      established = true;
      measured = (second & 0x08) == 0;
    }
  }
  if (opens) window = 1;
  if (established) {
    running.current = barMetre;
    running.currentKnown = true;
    if (window == 0 && measured) {
      running.inForce = barMetre;
      running.inForceKnown = true;
    }
  }
}

void PagePass::Decide() {
  int window = 0;
  bool firstBar = true;
  Running running;
  running.currentKnown = running.inForceKnown = in_.score.overallKnown;
  if (in_.score.overallKnown) running.current = running.inForce = in_.score.overall;
  for (int s = 0; s < kMeasuredSections; ++s) {
    for (int b = 0; b < kMeasuredBars; ++b) {
      if (length_[s][b] == -1) break;
      const TimeSignatureValue current = running.current;
      const bool currentKnown = running.currentKnown;
      // The bar after this one: the next of the section, else the next
      // section's first.
      int32_t next = -1;
      if (b + 1 < kMeasuredBars && length_[s][b + 1] != -1) {
        next = length_[s][b + 1];
      } else if (s + 1 < kMeasuredSections) {
        next = length_[s + 1][0];
      }
      const bool special = endCode_[s][b] != 0 && endCode_[s][b] != -1 && endCode_[s][b] != -2;
      int32_t& length = length_[s][b];
      if (length > 0 && ((next > 0 && next != length) || next == -1)) {
        if (special || firstBar || window > 0) {
          window = 2;
        } else {
          length = 0;
        }
      }
      if (special) window = 2;
      const int32_t currentLength = currentKnown ? current.Length() : 0;
      if (length > 0 && currentLength > 0 && length != currentLength) {
        std::vector<int32_t> lengths;
        for (int part = 1; part < in_.partCount; ++part) {
          const Measured m = MeasureBar(part, LocateBar(part, s, b), true, &current, nullptr);
          if (m.length != -1) lengths.push_back(m.length);
        }
        int count = 0;
        const int32_t shared = MostShared(lengths, &count);
        if (shared == currentLength && count >= agreement_[s][b]) {
          length = currentLength;
          agreement_[s][b] = count;
        }
      }
      const MetreCandidate* chosen = nullptr;
      if (length > 0 && length != currentLength && (window > 0 || next == length)) {
        for (const MetreCandidate& m : kMetreCandidateTable) {
          if (BarLengthTicks(m.beats, m.unit) != length) continue;
          if (!chosen || histogram_[s][b][m.unit] >= histogram_[s][b][chosen->unit]) chosen = &m;
        }
      }
      TimeSignatureValue value;
      if (chosen) {
        value.beats = chosen->beats;
        value.unit = chosen->unit;
      }
      SettleBar(s, b, length, chosen ? &value : nullptr, window, running);
      firstBar = false;
      if (window > 0) --window;
    }
  }
}

void PagePass::CorrectPart(int part) {
  const PartSections& sections = sections_[static_cast<size_t>(part)];
  if (sections.count == 0 || sections.box[0] < 0) return;
  TimeSignatureValue signature;
  bool known = in_.score.known[part];
  if (known) {
    signature = in_.score.slot[part];
  } else if (in_.score.overallKnown) {
    signature = in_.score.overall;
    known = true;
  }
  const uint8_t version = in_.options.version;
  int section = 0;
  uint32_t barStart = 0;
  int32_t boxes = sections.box[0];
  int32_t barBox = boxes;
  int boxedInBar = 0;
  std::vector<uint8_t> buffer;
  for (uint32_t at = 0; at < Used(part);) {
    const uint8_t* stream = Stream(part);
    uint32_t length = 0;
    if (!ItemLengthWithin(stream + at, Used(part) - at, version, &length)) return;
    const uint8_t* item = stream + at;
    if (KindOf(item) == kItemTime && !TimeIsHidden(item)) {
      signature.beats = TimeNumerator(item);
      signature.unit = TimeDenominatorCode(item);
      known = true;
    }
    if (ClosesBar(item) && boxedInBar > 1) {
      buffer.assign(stream + barStart, stream + at);
      const int32_t countBefore = in_.boxes ? in_.boxes->count : 0;
      const uint32_t newEnd = SearchFor(part).SolveBar(&buffer, 0, static_cast<uint32_t>(buffer.size()), in_.boxes,
                                                       in_.boxes ? barBox : -1, known ? signature.beats : 0,
                                                       known ? signature.unit : 0);
      if (!SpliceStreamRange(in_.streams, part, barStart, at, buffer.data(), newEnd)) return;
      const int32_t shift = (in_.boxes ? in_.boxes->count : 0) - countBefore;
      at = barStart + newEnd;
      boxes += shift;
      // Every later section's first row moves with the rows of this bar.
      for (int other = 1; other < in_.partCount; ++other) {
        PartSections& later = sections_[static_cast<size_t>(other)];
        for (int s = 0; s < later.count; ++s) {
          if (later.box[s] > barBox) later.box[s] += shift;
        }
      }
      stream = Stream(part);
      item = stream + at;
      barStart = at;
      barBox = boxes;
      boxedInBar = 0;
    }
    if (item[0] == kBarBoundary) {
      ++section;
      if (section >= sections.count) return;
      TimeSignatureValue value;
      if (SectionSignature(section, &value)) {
        signature = value;
        known = true;
      }
      at += 1;
      barStart = at;
      boxes = sections.box[section];
      barBox = boxes;
      boxedInBar = 0;
      continue;
    }
    if (ItemHasBoxRow(item)) {
      ++boxes;
      ++boxedInBar;
    }
    at += length;
  }
}

void PagePass::CompleteTuplets() {
  for (int slot = 1; slot < std::min(in_.partCount, kPartSlots); ++slot) {
    CompleteStreamTuplets(StreamBytes(*in_.streams, slot), Used(slot), in_.tablature[slot], in_.options.version);
  }
}

void PagePass::Run() {
  for (auto& row : length_) std::fill(std::begin(row), std::end(row), -1);
  for (auto& row : endCode_) std::fill(std::begin(row), std::end(row), -2);
  if (in_.options.correction) {
    IndexSections();
    MeasureAll();
    Decide();
    for (int part = 1; part < in_.partCount; ++part) CorrectPart(part);
  }
  CompleteTuplets();
}

}  // namespace

ScoreSignatureSnapshot SnapshotScoreSignatures(const StreamSet& score, int partCount, uint8_t version) {
  ScoreSignatureSnapshot snapshot;
  partCount = std::min(partCount, kPartSlots);
  const TimeSignatureIndex index(score, partCount, version);
  auto boundaries = [&](int slot) {
    int n = 0;
    const uint8_t* stream = StreamBytes(score, slot);
    if (!stream) return 0;
    WalkStream(stream, StreamUsedLength(score, slot), version, [&](uint32_t, const uint8_t* item, uint32_t) {
      if (item[0] == kBarBoundary) ++n;
      return true;
    });
    return n;
  };
  if (partCount >= 2) snapshot.overallKnown = index.Find(boundaries(1), &snapshot.overall);
  for (int slot = 1; slot < partCount; ++slot) snapshot.known[slot] = index.Find(boundaries(slot), &snapshot.slot[slot]);
  return snapshot;
}

int CorrectBarRhythms(PageRhythmInput* input) {
  if (!input || !input->streams) return 1;
  input->partCount = std::min(input->partCount, kPartSlots);
  if (input->partCount < 2) return 1;
  PagePass pass(input);
  pass.Run();
  return 1;
}

ScoreSignatureSnapshot SnapshotScoreSignatures(const ScoreSnapshot& score) {
  // The copy's bytes in streams of their own, as the time signature index
  // reads them.
  StreamSet copy{};
  for (int slot = 0; slot < kPartSlots; ++slot) {
    const std::vector<uint8_t>& bytes = score.streams[slot];
    if (bytes.empty() || !GrowStream(&copy, slot, static_cast<uint32_t>(bytes.size()))) continue;
    std::copy(bytes.begin(), bytes.end(), StreamBytes(copy, slot));
    copy.used[slot] = static_cast<uint32_t>(bytes.size());
  }
  const ScoreSignatureSnapshot snapshot = SnapshotScoreSignatures(copy, score.partCount, score.version);
  FreeStreamSet(&copy);
  return snapshot;
}

namespace {

RhythmReadingOptions ContextOptions(const BuildContext& context, int part) {
  RhythmReadingOptions options = CurrentRhythmReadingOptions(IsTablatureSlot(context, part));
  options.correction = context.snapshot.rhythmCorrection;
  options.bracketTuplets = context.snapshot.bracketTuplets;
  options.version = context.version;
  return options;
}

}  // namespace

int CorrectBarRhythms(BuildContext& context) {
  ObjectBoxList boxes = ContextObjectBoxes(context);
  PageRhythmInput input;
  input.streams = context.streams;
  input.partCount = context.ReadingPartCount;
  input.boxes = context.page ? &boxes : nullptr;
  input.score = SnapshotScoreSignatures(context.snapshot);
  input.options = ContextOptions(context, 0);
  for (int slot = 0; slot < kPartSlots; ++slot) input.tablature[slot] = IsTablatureSlot(context, slot);
  CorrectBarRhythms(&input);
  if (context.page) context.page->boxCount = static_cast<int16_t>(boxes.count);
  return 1;
}

int CorrectBarRhythmsStage(StageContext& stage) {
  BuildContext& context = ReadingBuildContext();
  BindStageContext(context, stage);
  return CorrectBarRhythms(context);
}

int AssignBarVoicesStep(BuildContext& context, int slot, uint32_t barStart, int barBox, int numerator, int code,
                        StreamRewrite* rewrite) {
  if (rewrite) *rewrite = StreamRewrite{};
  if (!context.streams || slot < 0 || slot >= kPartSlots) return 1;
  ObjectBoxList boxes = ContextObjectBoxes(context);
  uint32_t newEnd = 0;
  const bool done = AssignGroupVoices(context.streams, slot, barStart, StreamUsedLength(*context.streams, slot),
                                      context.page ? &boxes : nullptr, context.page ? barBox : -1, numerator, code,
                                      ContextOptions(context, slot), &newEnd, rewrite);
  if (context.page) context.page->boxCount = static_cast<int16_t>(boxes.count);
  return done ? 1 : 0;
}

bool PageRhythmIsInaccurate(int32_t barsChecked, int32_t faultyBars, bool timeSignatureSeen, bool correctionOn) {
  constexpr int64_t kInaccuratePercent = 30;
  if (!timeSignatureSeen && !correctionOn) return false;
  if (barsChecked <= 0) return false;
  return int64_t{faultyBars} * 100 / barsChecked >= kInaccuratePercent;
}

int MarkInaccuratePage() {
  if (!Global().showAccuracyWarning) return 1;
  ReadingState& state = Reading();
  // A page that was not merged has no score page to count.
  if (!state.pageHasItems || Flags().abort) return 0;
  int32_t checked = 0, faulty = 0;
  bool seen = false;
  if (!CheckBarRhythms(0, &checked, &faulty, &seen, static_cast<int>(state.scorePosition))) return 0;
  if (!PageRhythmIsInaccurate(checked, faulty, seen, Unsaved().readTuplets)) return 0;
  std::lock_guard<std::mutex> lock(PageTableLock());
  if (state.pageIndex < 0 || static_cast<uint32_t>(state.pageIndex) >= pageTable.pageCount) return 0;
  pageTable.rows[state.pageIndex].flags |= kPageManyErrors;
  return 1;
}
