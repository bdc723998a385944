#include "building/VoiceAssignment.h"

#include <algorithm>

#include "platform/Settings.h"

namespace {

constexpr int kSearchLevels = 16;
constexpr int kSearchCalls = 2048;

bool IsLiveChord(const BarEvent& e) { return e.Live() && (e.flags & kEventChord); }
bool StartsBeam(const BarEvent& e) {
  return (e.flags & kEventBeamedToNext) && !(e.flags & kEventBeamContinues);
}
int Mid(const BarEvent& e) { return (e.lowPos + e.highPos) / 2; }
int PlaceValue(const BarEvent& e) { return (e.boxA + e.boxB) / 2 + ((e.flags & kEventStemBit) ? 1 : 0); }
int StemVoice(const BarEvent& e) { return (e.flags & kEventStemBit) ? 1 : 0; }
int Slots(const BarEvents& bar, int p) { return static_cast<int>(std::min<uint32_t>(bar.counts[p], kEventsPerPosition)); }

// Moves the events from slot k of position p on to a new position after it.
void SplitPosition(BarEvents* bar, int p, int k) {
  for (int q = bar->positions; q > p + 1; --q) {
    bar->counts[q] = bar->counts[q - 1];
    for (int s = 0; s < kEventsPerPosition; ++s) bar->At(q, s) = bar->At(q - 1, s);
  }
  const int n = Slots(*bar, p);
  bar->counts[p + 1] = static_cast<uint32_t>(n - k);
  for (int s = 0; s < kEventsPerPosition; ++s) bar->At(p + 1, s) = s + k < n ? bar->At(p, s + k) : BarEvent{};
  for (int s = k; s < kEventsPerPosition; ++s) bar->At(p, s) = BarEvent{};
  bar->counts[p] = static_cast<uint32_t>(k);
  ++bar->positions;
}

}  // namespace

RhythmReadingOptions CurrentRhythmReadingOptions(bool tablature) {
  RhythmReadingOptions options;
  options.oneVoiceOnly = General().readOneVoiceOnly;
  options.bracketTuplets = Global().bracketTuplets;
  options.correction = Unsaved().readTuplets;
  options.tablature = tablature;
  options.version = ScoreFormatVersion;
  return options;
}

void CopyBarEvents(const BarEvents& from, BarEvents* to) {
  const int used = std::min(from.positions, kBarPositions);
  std::copy(from.events.begin(), from.events.begin() + used * kEventsPerPosition, to->events.begin());
  std::copy(from.counts, from.counts + kBarPositions, to->counts);
  to->positions = from.positions;
}

int MaxVoicesAtPosition(const BarEvents& bar, bool oneVoiceOnly) {
  if (oneVoiceOnly) return 1;
  int most = 1;
  for (int p = 0; p < bar.positions; ++p) {
    int n = 0;
    for (int k = 0; k < Slots(bar, p); ++k) {
      const BarEvent& e = bar.At(p, k);
      if (e.Live() && !(e.flags & kEventNoTime)) ++n;
    }
    most = std::max(most, n);
  }
  return most;
}

int CountVoicesAtPosition(const BarEvents& bar, int position) {
  bool seen[kRhythmVoices] = {};
  int n = 0;
  for (int k = 0; k < Slots(bar, position); ++k) {
    const BarEvent& e = bar.At(position, k);
    if (e.Live() && !seen[e.voice]) {
      seen[e.voice] = true;
      ++n;
    }
  }
  return n;
}

unsigned StemSides(const BarEvent& e, int maxVoices) {
  if (!IsLiveChord(e) || e.code >= 7) return 0;
  const bool down = (e.flags & kEventStemBit) != 0;
  if (e.cross == 0) return down ? kStemSideA : kStemSideB;
  if (maxVoices < 2) return kStemSideA | kStemSideB;
  return e.cross > 0 ? kStemSideA : kStemSideB;
}

bool SameStemSide(const BarEvent& a, const BarEvent& b, int maxVoices) {
  return (StemSides(a, maxVoices) & StemSides(b, maxVoices)) != 0;
}

void LinkBeamPartners(BarEvents* bar) {
  const int maxVoices = MaxVoicesAtPosition(*bar, false);
  for (int p = 0; p < bar->positions; ++p) {
    for (int k = 0; k < Slots(*bar, p); ++k) {
      const BarEvent& e = bar->At(p, k);
      if (!IsLiveChord(e) || !StartsBeam(e)) continue;
      for (int q = p + 1; q < bar->positions; ++q) {
        BarEvent* first = nullptr;
        for (int j = 0; j < Slots(*bar, q) && !first; ++j) {
          if (IsLiveChord(bar->At(q, j))) first = &bar->At(q, j);
        }
        if (!first) continue;
        if (StartsBeam(*first) && SameStemSide(e, *first, maxVoices)) first->flags |= kEventBeamContinues;
        break;
      }
    }
  }
}

VoiceAssigner::VoiceAssigner() = default;
VoiceAssigner::~VoiceAssigner() = default;

void VoiceAssigner::AssignPass(const BarEvents& in, BarEvents* work, bool split) const {
  CopyBarEvents(in, work);
  if (split) {
    for (int p = 0; p < work->positions && work->positions < kBarPositions; ++p) {
      bool liveBefore = false;
      for (int k = 0; k < Slots(*work, p); ++k) {
        const BarEvent& e = work->At(p, k);
        if (liveBefore && IsLiveChord(e) && (e.flags & kEventNewPosition)) {
          SplitPosition(work, p, k);
          break;
        }
        if (e.Live()) liveBefore = true;
      }
    }
  }
  const auto isVoicedChord = [](const BarEvent& e) {
    return IsLiveChord(e) && (e.flags & kEventShortChord) && !(e.flags & kEventNoTime);
  };
  for (int p = 0; p < work->positions; ++p) {
    const int n = Slots(*work, p);
    for (int k = 0; k < n; ++k) {
      BarEvent& e = work->At(p, k);
      if (!e.Live()) continue;
      if (maxVoices_ < 2 || e.code == kOneTickDurationCode) {
        e.voice = 0;
      } else if (IsLiveChord(e) && (e.flags & kEventNoTime)) {
        e.voice = static_cast<uint16_t>(StemVoice(e));
      } else if (isVoicedChord(e)) {
        e.voice = static_cast<uint16_t>(e.cross > 0 ? 1 : e.cross < 0 ? 0 : StemVoice(e));
        for (int j = 0; j < n; ++j) {
          BarEvent& o = work->At(p, j);
          if (j == k || !isVoicedChord(o) || StemVoice(o) != StemVoice(e)) continue;
          if (e.cross > o.cross) {
            if (o.voice == e.voice) {
              e.voice = static_cast<uint16_t>(e.voice + 2);
              break;
            }
          } else if (e.cross == o.cross) {
            if (Mid(o) > Mid(e) || (Mid(o) == Mid(e) && j < k)) {
              e.voice = static_cast<uint16_t>(e.voice + 2);
              break;
            }
            if (o.voice < 2) o.voice = static_cast<uint16_t>(o.voice + 2);
          } else if (o.voice == e.voice && o.voice < 2) {
            o.voice = static_cast<uint16_t>(o.voice + 2);
          }
        }
        e.voice = std::min<uint16_t>(e.voice, 3);
      } else {
        int voice = 0;
        for (int j = 0; j < n; ++j) {
          const BarEvent& o = work->At(p, j);
          if (j == k || !o.Live() || (o.flags & kEventNoTime)) continue;
          const bool above = PlaceValue(o) < PlaceValue(e) || (PlaceValue(o) == PlaceValue(e) && j < k);
          const bool stemUpChord = !(e.flags & kEventChord) && (o.flags & kEventChord) &&
                                   (o.flags & kEventShortChord) && !(o.flags & kEventStemBit);
          if (above || stemUpChord) voice = std::min(voice + 1, 3);
        }
        e.voice = static_cast<uint16_t>(voice);
      }
    }
    // A chord of an inner voice and a rest of the chord's own stem voice
    // change places.
    for (int k = 0; k < n; ++k) {
      BarEvent& c = work->At(p, k);
      if (!IsLiveChord(c) || c.voice < 2 || c.code > 6) continue;
      for (int j = 0; j < n; ++j) {
        BarEvent& r = work->At(p, j);
        if (!r.Live() || (r.flags & kEventChord) || r.voice > 1 || r.voice != StemVoice(c)) continue;
        std::swap(c.voice, r.voice);
        break;
      }
    }
    if (maxVoices_ >= 2) {
      for (int k = 0; k < n; ++k) {
        BarEvent& r = work->At(p, k);
        if (!r.Live() || (r.flags & kEventChord)) continue;
        bool shared = false;
        bool used[kRhythmVoices] = {};
        for (int j = 0; j < n; ++j) {
          const BarEvent& o = work->At(p, j);
          if (j == k || !o.Live()) continue;
          used[std::min<int>(o.voice, 3)] = true;
          if (o.voice == r.voice) shared = true;
        }
        if (!shared) continue;
        for (int v = 0; v < kRhythmVoices; ++v) {
          if (!used[v]) {
            r.voice = static_cast<uint16_t>(v);
            break;
          }
        }
      }
      for (int k = 0; k < n; ++k) {
        for (int j = k + 1; j < n; ++j) {
          BarEvent& a = work->At(p, k);
          BarEvent& b = work->At(p, j);
          if (!isVoicedChord(a) || !isVoicedChord(b) || a.cross != b.cross || StemVoice(a) == StemVoice(b)) continue;
          BarEvent& down = StemVoice(a) ? a : b;
          BarEvent& up = StemVoice(a) ? b : a;
          if (down.voice < up.voice) std::swap(down.voice, up.voice);
        }
      }
    }
    for (int k = 0; k < n; ++k) {
      BarEvent& e = work->At(p, k);
      if (e.Live() && e.voice >= 2) e.voice = static_cast<uint16_t>(e.voice - 2);
    }
  }
}

int32_t VoiceAssigner::Spread(const BarEvents& events) const {
  VoiceTotals totals;
  SumVoiceDurations(events, &totals);
  if (barLength_ != kUnknownBarLength) PadVoicesToBarLength(&totals, barLength_);
  return VoiceLengthSpread(totals, barLength_);
}

void VoiceAssigner::AssignVoices(BarEvents* bar, int beats, int unit, const RhythmReadingOptions& options) {
  beats_ = beats;
  unit_ = unit;
  barLength_ = beats > 0 && unit > 0 ? BarLengthTicks(beats, unit) : kUnknownBarLength;
  maxVoices_ = options.tablature ? 1 : MaxVoicesAtPosition(*bar, options.oneVoiceOnly);
  if (!best_) best_ = std::make_unique<BarEvents>();
  if (!input_) input_ = std::make_unique<BarEvents>();
  if (!work_) work_ = std::make_unique<BarEvents>();
  BarEvents& input = *input_;
  BarEvents& work = *work_;
  CopyBarEvents(*bar, &input);
  for (int pass = 0; pass < 2; ++pass) {
    AssignPass(input, &work, pass == 0);
    if (pass == 0) CopyBarEvents(work, bar);
    if (maxVoices_ < 2) return;
    CopyBarEvents(work, best_.get());
    bestSpread_ = Spread(work);
    int maxEvents = 0;
    VoiceTotals totals;
    SumVoiceDurations(work, &totals, &maxEvents);
    bestTie_ = maxEvents;
    calls_ = 0;
    if (bestSpread_ != 0 || (beats_ > 0 && unit_ > 0)) {
      if (levels_.empty()) levels_.resize(kSearchLevels);
      SearchVoiceSplits(work, 0, 0);
    }
    if (bestSpread_ == 0) {
      CopyBarEvents(*best_, bar);
      return;
    }
  }
}

void VoiceAssigner::SearchVoiceSplits(const BarEvents& events, int start, int level) {
  if (levels_.empty() || start >= events.positions || level >= kSearchLevels) return;
  if (++calls_ > kSearchCalls / std::max(level / 4, 1)) return;
  BarEvents& scratch = levels_[level];
  CopyBarEvents(events, &scratch);
  // The next region: a beam group on its own positions, or, at the bar's
  // end, the last lone chord or rest.
  int regionStart = -1, regionEnd = -1;
  unsigned open = 0;
  bool closing = false, crowded = false, sideB = false, found = false;
  int p = start;
  for (; p < events.positions && !found; ++p) {
    int live = 0;
    for (int k = 0; k < Slots(events, p); ++k) live += events.At(p, k).Live() ? 1 : 0;
    if (live == 0) continue;
    if (open == 0) {
      const BarEvent* beamStart = nullptr;
      for (int k = 0; k < Slots(events, p) && !beamStart; ++k) {
        const BarEvent& e = events.At(p, k);
        if (IsLiveChord(e) && StartsBeam(e)) beamStart = &e;
      }
      if (beamStart) {
        regionStart = regionEnd = p;
        open = StemSides(*beamStart, maxVoices_);
        if (open == 0) open = (beamStart->flags & kEventStemBit) ? kStemSideA : kStemSideB;
        closing = false;
        crowded = live > 1;
        sideB = (open & kStemSideB) != 0;
      } else {
        regionStart = regionEnd = p;
        crowded = live > 1;
        sideB = false;
        for (int k = 0; k < Slots(events, p); ++k) {
          if (StemSides(events.At(p, k), maxVoices_) & kStemSideB) sideB = true;
        }
      }
      continue;
    }
    // A side is open: the beam group runs on while its sides receive chords.
    unsigned received = 0, closed = 0;
    bool loneRest = live == 1;
    for (int k = 0; k < Slots(events, p); ++k) {
      const BarEvent& e = events.At(p, k);
      if (!e.Live()) continue;
      if (e.flags & kEventChord) loneRest = false;
      const unsigned sides = StemSides(e, maxVoices_);
      received |= sides;
      if (sides & kStemSideB) sideB = true;
      if (IsLiveChord(e) && e.code <= 6 && !(e.flags & kEventBeamContinues)) closed |= sides;
    }
    if (closed) closing = true;
    open &= ~closed;
    bool ends = open == 0 || loneRest;
    if (!ends && (open & ~received)) {
      if (live == 1 && closing) {
        ends = true;
      } else {
        open = 0;
        regionStart = -1;
        continue;
      }
    }
    if (ends) {
      if (!crowded) {
        found = true;
      } else {
        open = 0;
        regionStart = -1;
        --p;  // this position may start the next region
      }
      continue;
    }
    regionEnd = p;
    if (live > 1) crowded = true;
  }
  if (!found) {
    if (regionStart < 0 || crowded) return;
    regionEnd = std::max(regionEnd, regionStart);
  }
  SearchVoiceSplits(events, regionEnd + 1, level + 1);
  for (int voice = 0; voice < 2; ++voice) {
    CopyBarEvents(events, &scratch);
    bool changed = false;
    for (int q = regionStart; q <= regionEnd; ++q) {
      if (CountVoicesAtPosition(scratch, q) >= 2) continue;
      for (int k = 0; k < Slots(scratch, q); ++k) {
        BarEvent& e = scratch.At(q, k);
        if (e.Live() && e.voice != voice) {
          e.voice = static_cast<uint16_t>(voice);
          changed = true;
        }
      }
    }
    if (!changed) continue;
    for (int q = 0; q < scratch.positions; ++q) {
      for (int k = 0; k < Slots(scratch, q); ++k) {
        BarEvent& e = scratch.At(q, k);
        if (e.Live() && !(e.flags & kEventChord) && (e.flags & kEventHiddenRest)) e.voice = static_cast<uint16_t>(voice);
      }
    }
    const int32_t spread = Spread(scratch);
    const int tie = (sideB ? 1 : 0) - voice;
    if (spread < bestSpread_ || (spread == bestSpread_ && tie > bestTie_)) {
      CopyBarEvents(scratch, best_.get());
      bestSpread_ = spread;
      bestTie_ = tie;
    }
    SearchVoiceSplits(scratch, regionEnd + 1, level + 1);
  }
}

bool AssignGroupVoices(StreamSet* set, int slot, uint32_t start, uint32_t end, ObjectBoxList* boxes,
                       int32_t firstItemIndex, int beats, int unit, const RhythmReadingOptions& options,
                       uint32_t* newEnd, StreamRewrite* rewrite) {
  *newEnd = end;
  if (rewrite) *rewrite = StreamRewrite{};
  const uint32_t used = StreamUsedLength(*set, slot);
  const uint8_t* stream = StreamBytes(*set, slot);
  if (!stream || start >= end || end > used) return true;
  BarEvents events;
  BuildBarEvents(stream, start, end, &events, boxes, firstItemIndex, options.version);
  VoiceAssigner assigner;
  assigner.AssignVoices(&events, beats, unit, options);
  // Room for every tuplet and hint item the bar might gain, before any box
  // row moves.
  int eventCount = 0;
  for (int p = 0; p < events.positions; ++p) eventCount += Slots(events, p);
  if (!GrowStream(set, slot, static_cast<uint32_t>(eventCount) * 13)) return false;
  std::vector<uint8_t> bar(StreamBytes(*set, slot) + start, StreamBytes(*set, slot) + end);
  StreamRewrite moves;
  const uint32_t length = WriteBackBarEvents(&bar, 0, static_cast<uint32_t>(bar.size()), events, boxes,
                                             firstItemIndex, !options.correction, options.version, &moves);
  if (!SpliceStreamRange(set, slot, start, end, bar.data(), length)) return false;
  *newEnd = start + length;
  if (rewrite) {
    MoveRunRewrite(&moves.bytes, start);
    *rewrite = std::move(moves);
  }
  return true;
}
