#include "building/BarRhythmSearch.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kMaxDepth = 8;
// Changes combined in one bar besides those a tuplet mark brings. A bar read
// with three wrong values (three stray dots beside four crotchets) is common
// enough on engraved pages; a bar that fits as read is never changed, since
// no arrangement beats no change at no cost.
constexpr int kPlainChanges = 3;
constexpr int kMaxHintRecords = 32;
constexpr int kChangeKinds = 9;

int Slots(const BarEvents& bar, int p) { return static_cast<int>(std::min<uint32_t>(bar.counts[p], kEventsPerPosition)); }
bool IsLiveChord(const BarEvent& e) { return e.Live() && (e.flags & kEventChord); }
bool IsLiveRest(const BarEvent& e) { return e.Live() && !(e.flags & kEventChord); }
bool Beamed(const BarEvent& e) { return (e.flags & (kEventBeamContinues | kEventBeamedToNext)) != 0; }

int LiveTupletMarks(const BarEvents& bar) {
  int n = 0;
  for (int p = 0; p < bar.positions; ++p) {
    for (int k = 0; k < Slots(bar, p); ++k) n += bar.At(p, k).Live() && bar.At(p, k).tupletCount ? 1 : 0;
  }
  return n;
}

void Recompute(BarEvent* e) { e->duration = DurationTicks(e->code, e->dots); }

// The hint's ten numbers: the high and the low half of each payload byte.
bool HintHolds(const uint8_t digits[5], int value, bool high, bool low) {
  for (int i = 0; i < 5; ++i) {
    if (high && (digits[i] >> 4) == value) return true;
    if (low && (digits[i] & 15) == value) return true;
  }
  return false;
}

}  // namespace

// ---- Predicates ------------------------------------------------------------------

BarRhythmRules::BarRhythmRules(const BarEvents& bar, int beats, int unit)
    : bar_(bar), beats_(beats), unit_(unit), maxVoices_(MaxVoicesAtPosition(bar, false)) {}

bool BarRhythmRules::IsSimpleMeter() const { return (unit_ == 5 || unit_ == 6) && beats_ >= 2 && beats_ <= 4; }

bool BarRhythmRules::SameSide(const BarEvent& a, const BarEvent& b) const { return SameStemSide(a, b, maxVoices_); }

bool BarRhythmRules::VoiceInTuplet(int position, int slot) const {
  const BarEvent& e = bar_.At(position, slot);
  for (int p = 0; p <= position; ++p) {
    for (int k = 0; k < Slots(bar_, p); ++k) {
      if (p == position && k == slot) continue;
      const BarEvent& o = bar_.At(p, k);
      if (o.Live() && o.voice == e.voice && o.tupletCount && static_cast<int>(o.tupletEnd) >= position) return true;
    }
  }
  return false;
}

TupletGroup BarRhythmRules::DetectTuplet(int position, int slot, bool searchMode) const {
  const BarEvent& e = bar_.At(position, slot);
  TupletGroup none;
  if (e.dots || !e.Live() || (e.flags & kEventSmallNotes)) return none;
  if ((e.flags & kEventBeamContinues) && !(e.flags & kEventBeamedToNext)) return none;
  const bool chord = (e.flags & kEventChord) != 0;
  if ((!chord && e.code >= 6) || (chord && e.code >= 7)) return none;
  if (position > 0) {
    for (int k = 0; k < Slots(bar_, position - 1); ++k) {
      const BarEvent& o = bar_.At(position - 1, k);
      if (!o.Live() || o.voice != e.voice) continue;
      if (chord && (e.flags & kEventBeamContinues) && e.code < 5 && o.code == e.code && !(o.flags & kEventSmallNotes)) {
        const bool otherSideBeam = IsLiveChord(o) && Beamed(o) && o.code <= 4 &&
                                   ((o.flags & kEventStemBit) != (e.flags & kEventStemBit));
        if (!otherSideBeam) return none;
      }
      if (!chord && IsLiveChord(o) && !(o.flags & kEventBeamContinues) && o.code < 5) return none;
    }
  }
  if (searchMode && VoiceInTuplet(position, slot)) return none;
  TupletGroup group = Group(position, slot, searchMode, false);
  if (!group.found && group.count == -1) group = Group(position, slot, searchMode, true);
  return group;
}

// One grouping walk. A result with count -1 asks for the strict retry.
TupletGroup BarRhythmRules::Group(int position, int slot, bool searchMode, bool strict) const {
  const BarEvent& e = bar_.At(position, slot);
  TupletGroup out;
  struct HintRecord {
    const uint8_t* digits;
    int count;
    int position, slot;
  } hints[kMaxHintRecords];
  int hintCount = 0;
  int count = 1, chords = 0, rests = 0;
  bool beamed = false, irregular = false, metRest = false, pendingShorter = false, onlyShorter = false;
  const BarEvent* previous = &e;
  if (e.flags & kEventChord) {
    ++chords;
    if (Beamed(e)) beamed = true;
    if (e.hintState & 1) hints[hintCount++] = {e.hintDigits, count, position, slot};
  } else {
    ++rests;
    metRest = true;
  }
  int last = position;
  for (int p = position + 1; p < bar_.positions; ++p) {
    if (count >= 3 && (e.code >= 5 || !beamed)) break;
    const BarEvent* member = nullptr;
    int memberSlot = -1;
    for (int k = 0; k < Slots(bar_, p) && !member; ++k) {
      const BarEvent& o = bar_.At(p, k);
      if (!o.Live() || o.voice != e.voice || o.dots != e.dots) continue;
      if (IsLiveChord(o) && (o.flags & (kEventSmallNotes | kEventNoTime))) continue;
      const int step = static_cast<int>(o.code) - static_cast<int>(e.code);
      const bool codeFits = strict ? step == 0 : (onlyShorter ? step == -1 : (step >= -1 && step <= 1));
      if (!codeFits) continue;
      const bool oChord = (o.flags & kEventChord) != 0;
      if ((!oChord && o.code >= 6) || (oChord && o.code >= 7)) continue;
      if (previous->flags & kEventChord) {
        if (oChord && Beamed(o) && o.code <= 4 && !SameSide(*previous, o)) continue;
        if (oChord && !(o.flags & kEventBeamContinues) && Beamed(*previous)) continue;
        if (!oChord && metRest) continue;
      }
      member = &o;
      memberSlot = k;
    }
    if (!member) break;
    if (searchMode && VoiceInTuplet(p, memberSlot)) return out;
    const int step = static_cast<int>(member->code) - static_cast<int>(e.code);
    if (member->flags & kEventChord) {
      ++chords;
      if (Beamed(*member)) beamed = true;
      if ((member->hintState & 1) && hintCount < kMaxHintRecords) hints[hintCount++] = {member->hintDigits, count, p, memberSlot};
    } else {
      ++rests;
      metRest = true;
    }
    if (step == 0) {
      ++count;
    } else if (step > 0) {
      count += 2;
      irregular = true;
    } else {
      irregular = true;
      onlyShorter = !pendingShorter;
      if (pendingShorter) ++count;
      pendingShorter = !pendingShorter;
    }
    previous = member;
    last = p;
  }
  const bool namedCount = count == 3 || count == 5 || count == 6 || count == 7 || count == 9 || count == 10;
  int k = 0;
  if (namedCount) {
    for (int h = 0; h < hintCount && k == 0; ++h) {
      for (int m = 1; m <= 2 && k == 0; ++m) {
        if (HintHolds(hints[h].digits, m * count, true, true) || HintHolds(hints[h].digits, 5 * m, true, false) ||
            (count == 3 && HintHolds(hints[h].digits, 5 * m, false, true))) {
          k = m;
        }
      }
    }
    if (k == 0 && irregular) {
      if (!strict) out.count = -1;
      return out;
    }
  } else {
    if (!strict) out.count = -1;
    return out;
  }
  const bool confirmed = k > 0;
  if (!confirmed) {
    k = 1;
    if (chords == 0) return out;
    if (metRest && count > 3) return out;
    if ((e.code >= 5 || !beamed) && count > 3) return out;
    if (e.code >= 6) return out;
    if (rests > 0 && chords * 100 / rests < 40) return out;
  }
  count *= k;
  out.score = std::max(count / 2, 1);
  for (int h = 0; h < hintCount; ++h) {
    const bool names = HintHolds(hints[h].digits, count, true, true) ||
                       (count == 3 && HintHolds(hints[h].digits, 5, true, true));
    if (!names) continue;
    const int wanted = count % 2 == 0 ? count / 2 : count / 2 + 1;
    if (hints[h].count == wanted) {
      out.score = -1;
      out.hintPosition = hints[h].position;
      out.hintSlot = hints[h].slot;
    } else if (out.score > 0 && (count < 5 || hints[h].count == count / 2)) {
      out.score = 0;
      out.hintPosition = hints[h].position;
      out.hintSlot = hints[h].slot;
    }
  }
  out.found = true;
  out.count = count;
  out.normal = e.duration / 8 / k;
  out.total = ScaleDurationForTuplet(count, out.normal * count);
  out.last = last;
  out.weak = !confirmed && (e.code >= 5 || !beamed);
  return out;
}

int BarRhythmRules::SuggestBeamValue(int position, int slot, int* weight) const {
  const BarEvent& e = bar_.At(position, slot);
  int tally[16] = {};
  int same = 1;
  auto vote = [&](const BarEvent& o) {
    if (o.code == e.code) {
      ++same;
    } else {
      ++tally[o.code & 15];
    }
  };
  auto onSide = [&](const BarEvent& o) {
    return IsLiveChord(o) && (o.flags & kEventStemBit) == (e.flags & kEventStemBit);
  };
  if (e.flags & kEventBeamContinues) {
    for (int p = position - 1; p >= 0; --p) {
      const BarEvent* o = nullptr;
      for (int k = 0; k < Slots(bar_, p) && !o; ++k) {
        if (onSide(bar_.At(p, k)) && (bar_.At(p, k).flags & kEventBeamedToNext)) o = &bar_.At(p, k);
      }
      if (!o) break;
      vote(*o);
      if (!(o->flags & kEventBeamContinues)) break;
    }
  }
  if (e.flags & kEventBeamedToNext) {
    for (int p = position + 1; p < bar_.positions; ++p) {
      const BarEvent* o = nullptr;
      for (int k = 0; k < Slots(bar_, p) && !o; ++k) {
        if (onSide(bar_.At(p, k)) && (bar_.At(p, k).flags & kEventBeamContinues)) o = &bar_.At(p, k);
      }
      if (!o) break;
      vote(*o);
    }
  }
  int largestOther = 0;
  for (int c = 0; c < 16; ++c) largestOther = std::max(largestOther, tally[c]);
  *weight = Beamed(e) ? 2 : 4;
  int suggestion = -1;
  if (largestOther == 0 && same == 1) {
    suggestion = 5;
  } else {
    for (int d = 1; d <= 3 && suggestion < 0; ++d) {
      if (static_cast<int>(e.code) - d >= 0 && tally[e.code - d]) suggestion = static_cast<int>(e.code) - d;
    }
    for (int d = 1; d <= 3; ++d) {
      const int c = static_cast<int>(e.code) + d;
      if (c > 5) break;
      if (tally[c]) {
        if (suggestion < 0 || d < static_cast<int>(e.code) - suggestion) suggestion = c;
        break;
      }
    }
  }
  if (suggestion < 0) return -1;
  const bool applies = same <= largestOther || (same < 3 && largestOther == 0);
  return applies ? suggestion : -1;
}

int BarRhythmRules::SuggestShorterValue(int position, int slot, int* weight) const {
  const BarEvent& e = bar_.At(position, slot);
  if (e.dots || e.code == 0 || e.code == kOneTickDurationCode) return -1;
  auto sameSide = [&](const BarEvent& o) {
    return IsLiveChord(o) && (o.flags & kEventStemBit) == (e.flags & kEventStemBit);
  };
  if (IsSimpleMeter() && position > 0) {
    for (int k = 0; k < Slots(bar_, position - 1); ++k) {
      const BarEvent& o = bar_.At(position - 1, k);
      if (!sameSide(o) || o.dots != 1) continue;
      const int plain = o.duration * 2 / 3;
      if (plain >= e.duration / 2 - 1 && plain <= e.duration - 2) {
        *weight = std::abs(plain - e.duration / 2) <= 1 ? 2 : 3;
        return e.code - 1;
      }
    }
  }
  *weight = 3;
  if ((e.flags & kEventBeamContinues) && position > 0) {
    for (int k = 0; k < Slots(bar_, position - 1); ++k) {
      const BarEvent& o = bar_.At(position - 1, k);
      if (sameSide(o) && !o.dots && Beamed(o) && o.code < e.code) return o.code;
    }
  }
  if ((e.flags & kEventBeamedToNext) && position + 1 < bar_.positions) {
    for (int k = 0; k < Slots(bar_, position + 1); ++k) {
      const BarEvent& o = bar_.At(position + 1, k);
      if (sameSide(o) && !o.dots && (o.flags & kEventBeamContinues) && o.code < e.code) return o.code;
    }
  }
  return -1;
}

bool BarRhythmRules::SuggestDot(int position, int slot, int* weight) const {
  const BarEvent& e = bar_.At(position, slot);
  if (!IsSimpleMeter() || e.dots || Beamed(e)) return false;
  // The last chord of its voice, whose chords fall short of the bar by half
  // the chord: a dot missed there, with no shorter note after it to show the
  // dotted rhythm. Rests are left out: one read from a stain after the
  // chord would hide the dot, and the search deletes it only after the dot.
  bool later = false;
  int32_t voiceTotal = 0;
  for (int p = 0; p < bar_.positions; ++p) {
    for (int k = 0; k < Slots(bar_, p); ++k) {
      const BarEvent& o = bar_.At(p, k);
      if (!IsLiveChord(o) || o.voice != e.voice || (o.flags & kEventNoTime)) continue;
      voiceTotal += o.duration;
      later = later || p > position;
    }
  }
  if (!later) {
    if (!IsLiveChord(e) || voiceTotal + e.duration / 2 != BarLengthTicks(beats_, unit_)) return false;
    *weight = 3;
    return true;
  }
  if (position + 1 >= bar_.positions) return false;
  for (int k = 0; k < Slots(bar_, position + 1); ++k) {
    const BarEvent& o = bar_.At(position + 1, k);
    if (!IsLiveChord(o) || o.dots || (o.flags & kEventStemBit) != (e.flags & kEventStemBit)) continue;
    if (o.duration <= e.duration / 2 + 1) {
      *weight = std::abs(o.duration - e.duration / 2) <= 1 ? 2 : 3;
      return true;
    }
  }
  return false;
}

bool BarRhythmRules::IsStrayChord(int position, int slot, int* weight) const {
  const BarEvent& e = bar_.At(position, slot);
  if (bar_.positions < 4 || e.highPos < e.lowPos || e.highPos - e.lowPos > 1) return false;
  bool otherSideHere = false;
  for (int k = 0; k < Slots(bar_, position); ++k) {
    const BarEvent& o = bar_.At(position, k);
    if (k == slot || !IsLiveChord(o)) continue;
    if (o.lowPos != e.lowPos || o.highPos != e.highPos) return false;
  }
  for (int p = 0; p < bar_.positions; ++p) {
    for (int k = 0; k < Slots(bar_, p); ++k) {
      const BarEvent& o = bar_.At(p, k);
      if ((p == position && k == slot) || !IsLiveChord(o) || o.code > 6) continue;
      if (SameSide(e, o)) return false;
      if (p == position) otherSideHere = true;
    }
  }
  *weight = otherSideHere ? 2 : 4;
  const bool down = (e.flags & kEventStemBit) != 0;
  for (int p = std::max(0, position - 1); p <= std::min(bar_.positions - 1, position + 1); ++p) {
    for (int k = 0; k < Slots(bar_, p); ++k) {
      const BarEvent& o = bar_.At(p, k);
      if ((p == position && k == slot) || !IsLiveChord(o) || o.lowPos > o.highPos) continue;
      if ((o.flags & kEventStemBit) == (e.flags & kEventStemBit)) continue;
      if (down ? e.highPos >= o.lowPos : e.lowPos <= o.highPos) *weight = -1;
    }
  }
  return true;
}

void ValidateTupletMarks(BarEvents* bar, int beats, int unit, int depth) {
  const int marks = LiveTupletMarks(*bar);
  for (int p = 0; p < bar->positions; ++p) {
    for (int k = 0; k < Slots(*bar, p); ++k) {
      BarEvent& e = bar->At(p, k);
      if (!e.Live() || !e.tupletCount) continue;
      const TupletGroup group = BarRhythmRules(*bar, beats, unit).DetectTuplet(p, k, false);
      const bool stays = group.found && !(group.weak && depth > marks) && group.count == e.tupletCount &&
                         group.normal == e.tupletNormal + 1 && static_cast<uint32_t>(group.total) == e.tupletTotal;
      if (stays) {
        e.tupletEnd = static_cast<uint32_t>(group.last);
      } else {
        e.tupletCount = 0;
      }
    }
  }
}

// ---- The search ------------------------------------------------------------------

BarRhythmSearch::BarRhythmSearch(const RhythmReadingOptions& options) : options_(options) {}
BarRhythmSearch::~BarRhythmSearch() = default;

bool BarRhythmSearch::Better(const VoiceTotals& candidate, int cost, int score) const {
  VoiceTotals t = candidate;
  auto dev = [&](const VoiceTotals& x) -> int64_t {
    if (barLength_ == kUnknownBarLength) return VoiceLengthSpread(x, kUnknownBarLength);
    int64_t most = 0;
    for (int v = 0; v < kRhythmVoices; ++v) {
      if (x.t[v] != 0) most = std::max<int64_t>(most, std::llabs(int64_t{barLength_} - x.t[v]));
    }
    return most;
  };
  if (barLength_ != kUnknownBarLength) PadVoicesToBarLength(&t, barLength_);
  const int64_t d = dev(t), db = dev(best_.totals);
  if (score != best_.score && d == db) return score > best_.score;
  const int64_t a = d + 2 * int64_t{cost}, b = db + 2 * int64_t{best_.cost};
  if (a != b) return a < b;
  if (score != best_.score) return score > best_.score;
  int64_t sum = 0, bestSum = 0;
  for (int v = 0; v < kRhythmVoices; ++v) {
    sum += t.t[v];
    bestSum += best_.totals.t[v];
  }
  return sum > bestSum;
}

void BarRhythmSearch::Evaluate(const BarEvents& work, int cost, int changes, int depth) {
  BarEvents& eval = *eval_;
  CopyBarEvents(work, &eval);
  bool reassign = changes > 0;
  for (int p = 0; p < eval.positions && !reassign; ++p) {
    for (int k = 0; k < Slots(eval, p); ++k) {
      const BarEvent& e = eval.At(p, k);
      if (e.Live() && (e.flags & kEventSmallNotes) && !(e.flags & kEventNoTime)) reassign = true;
    }
  }
  if (reassign) {
    voices_.AssignVoices(&eval, beats_, unit_, options_);
    ValidateTupletMarks(&eval, beats_, unit_, depth + 1);
  }
  VoiceTotals totals;
  int maxEvents = 0;
  SumVoiceDurations(eval, &totals, &maxEvents);
  if (totals.AllZero()) return;
  int score = maxEvents - changes;
  for (int p = 0; p < eval.positions; ++p) {
    bool small = false, plain = false;
    for (int k = 0; k < Slots(eval, p); ++k) {
      const BarEvent& e = eval.At(p, k);
      if (!e.Live()) continue;
      if ((e.flags & kEventSmallNotes) && !(e.flags & kEventNoTime)) small = true;
      if (!(e.flags & kEventSmallNotes)) plain = true;
    }
    if (small && plain) ++score;
  }
  if (!Better(totals, cost, score)) return;
  CopyBarEvents(eval, best_.events.get());
  best_.totals = totals;
  if (barLength_ != kUnknownBarLength) PadVoicesToBarLength(&best_.totals, barLength_);
  best_.cost = cost;
  best_.score = score;
}

bool BarRhythmSearch::TryChange(int kind, BarEvents* work, const BarEvents& node, int position, int slot,
                                int startPosition, int startSlot, int* cost, int* changes) const {
  BarEvent& e = work->At(position, slot);
  const bool chord = (e.flags & kEventChord) != 0;
  if (!chord && kind > 3) return false;
  const BarRhythmRules rules(node, beats_, unit_);
  int weight = 0;
  auto fromStart = [&](auto&& visit) {
    for (int p = startPosition; p < work->positions; ++p) {
      for (int k = p == startPosition ? startSlot : 0; k < Slots(*work, p); ++k) visit(work->At(p, k));
    }
  };
  switch (kind) {
    case 1: {
      if (e.tupletCount) return false;
      TupletGroup group = rules.DetectTuplet(position, slot, true);
      int dropped = 0;
      if (!group.found && chord && e.code <= 4 && Beamed(e)) {
        // Dots read beside the heads of a beamed group hide its tuplet (a
        // dotted note among the equal notes of a tuplet is a misreading):
        // the group is tried again with the dots of the voice's beamed notes
        // dropped, each dropped dot costing what its own change would.
        BarEvents& plain = *undotted_;
        CopyBarEvents(node, &plain);
        int dotted = 0;
        for (int p = position; p < plain.positions; ++p) {
          for (int k = 0; k < Slots(plain, p); ++k) {
            BarEvent& o = plain.At(p, k);
            if (!IsLiveChord(o) || o.voice != e.voice || !o.dots || o.code > 4 || !Beamed(o)) continue;
            o.dots = 0;
            Recompute(&o);
            ++dotted;
          }
        }
        if (dotted == 0) return false;
        group = BarRhythmRules(plain, beats_, unit_).DetectTuplet(position, slot, true);
        if (!group.found) return false;
        for (int p = position; p <= group.last; ++p) {
          for (int k = 0; k < Slots(*work, p); ++k) {
            BarEvent& o = work->At(p, k);
            if (!IsLiveChord(o) || o.voice != e.voice || !o.dots || o.code > 4 || !Beamed(o)) continue;
            dropped += o.dots;
            o.dots = 0;
            Recompute(&o);
          }
        }
      }
      if (!group.found) return false;
      *cost += 2 * dropped;
      e.tupletCount = static_cast<uint8_t>(std::min(group.count, 127));
      e.tupletTotal = static_cast<uint32_t>(group.total) & kMarkSpanMask;
      e.tupletNormal = static_cast<uint8_t>(std::max(group.normal - 1, 0));
      e.tupletEnd = static_cast<uint32_t>(group.last);
      e.tupletHigh = options_.bracketTuplets ? 1 : 0;
      e.tupletBox = {};
      if (group.hintPosition >= 0) work->At(group.hintPosition, group.hintSlot).hintState &= ~2u;
      *cost += group.score;
      return true;
    }
    case 2:
      if (e.dots == 0 || e.code >= 8) return false;
      --e.dots;
      Recompute(&e);
      *cost += 2;
      return true;
    case 3:
      if (chord) {
        if ((e.flags & (kEventCue | kEventTextAttached)) || noDelete_ || e.code < 7) return false;
        if (e.code != 8 && barLength_ == kUnknownBarLength) return false;
        e.voice = kDeletedVoice;
        *cost += 2;
        ++*changes;
        return true;
      } else {
        bool applied = false;
        if (e.flags & kEventHiddenRest) {
          fromStart([&](BarEvent& o) {
            if (IsLiveRest(o) && (o.flags & kEventHiddenRest)) {
              o.voice = kDeletedVoice;
              --*cost;
              ++*changes;
              applied = true;
            }
          });
        }
        if (!noDelete_ && e.Live()) {
          bool chordOfVoice = false;
          for (int k = 0; k < Slots(*work, position); ++k) {
            const BarEvent& o = work->At(position, k);
            if (k != slot && IsLiveChord(o) && o.voice == e.voice) chordOfVoice = true;
          }
          const bool deletable = e.code >= 6 || chordOfVoice ||
                                 ((e.code == 4 || e.code == 5) && !(e.flags & kEventCue));
          if (deletable) {
            *cost += 2 + (e.code < 6 ? 4 : 0);
            ++*changes;
            e.voice = kDeletedVoice;
            applied = true;
          }
        }
        return applied;
      }
    case 4: {
      if (e.code > 4) return false;
      const int code = rules.SuggestBeamValue(position, slot, &weight);
      if (code < 0 || std::abs(code - static_cast<int>(e.code)) != 1) return false;
      e.code = static_cast<uint16_t>(code);
      Recompute(&e);
      *cost += weight;
      return true;
    }
    case 5: {
      const int code = rules.SuggestShorterValue(position, slot, &weight);
      if (code < 0) return false;
      e.code = static_cast<uint16_t>(code);
      Recompute(&e);
      *cost += weight;
      return true;
    }
    case 6:
      if (!rules.SuggestDot(position, slot, &weight)) return false;
      e.dots = 1;
      Recompute(&e);
      *cost += weight;
      return true;
    case 7:
      if (noDelete_ || (e.flags & (kEventCue | kEventTextAttached)) || barLength_ == kUnknownBarLength) return false;
      if (!rules.IsStrayChord(position, slot, &weight)) return false;
      e.voice = kDeletedVoice;
      *cost += weight;
      ++*changes;
      return true;
    case 8: {
      if (!(e.flags & kEventSmallNotes) || !(e.flags & kEventNoTime)) return false;
      for (int k = 0; k < Slots(*work, position); ++k) {
        const BarEvent& o = work->At(position, k);
        if (k != slot && IsLiveChord(o) && !(o.flags & kEventSmallNotes) &&
            (o.flags & kEventStemBit) == (e.flags & kEventStemBit) && o.code <= 5) {
          return false;
        }
      }
      fromStart([&](BarEvent& o) {
        if (o.Live() && (o.flags & kEventSmallNotes) && (o.flags & kEventNoTime)) {
          o.flags &= ~kEventNoTime;
          --*cost;
        }
      });
      return true;
    }
    case 9:
      // Two dots read where there is one or none: the first of these is
      // the dot change, the second drops both.
      if (e.dots < 2 || e.code >= 8) return false;
      *cost += 2 * e.dots;
      e.dots = 0;
      Recompute(&e);
      return true;
    default:
      return false;
  }
}

int BarRhythmSearch::SearchBarRhythm(const BarEvents& node, int cost, int changes, int startPosition, int startSlot,
                                     int depth) {
  if (++calls_ > kSearchCalls) return 0;
  if (depth > std::min(kMaxDepth, kPlainChanges + LiveTupletMarks(node))) return 0;
  BarEvents& work = works_[static_cast<size_t>(depth)];
  CopyBarEvents(node, &work);
  bool evaluated = false;
  for (int kind = 1; kind <= kChangeKinds; ++kind) {
    for (int p = startPosition; p < node.positions; ++p) {
      for (int k = p == startPosition ? startSlot : 0; k < Slots(node, p); ++k) {
        if (!node.At(p, k).Live()) continue;
        int newCost = cost, newChanges = changes;
        if (TryChange(kind, &work, node, p, k, startPosition, startSlot, &newCost, &newChanges)) {
          ValidateTupletMarks(&work, beats_, unit_, depth + 1);
          SearchBarRhythm(work, newCost, newChanges, p, k + 1, depth + 1);
          CopyBarEvents(node, &work);
        }
        if (calls_ > kSearchCalls) break;
      }
    }
    if (!evaluated) {
      Evaluate(work, cost, changes, depth);
      evaluated = true;
    }
  }
  return 1;
}

void BarRhythmSearch::Run(BarEvents* events, bool noDelete) {
  noDelete_ = noDelete;
  if (!best_.events) best_.events = std::make_unique<BarEvents>();
  if (!eval_) eval_ = std::make_unique<BarEvents>();
  if (!undotted_) undotted_ = std::make_unique<BarEvents>();
  if (works_.empty()) works_.resize(kMaxDepth + 2);
  LinkBeamPartners(events);
  voices_.AssignVoices(events, beats_, unit_, options_);
  int maxEvents = 0;
  SumVoiceDurations(*events, &best_.totals, &maxEvents);
  if (barLength_ != kUnknownBarLength) PadVoicesToBarLength(&best_.totals, barLength_);
  CopyBarEvents(*events, best_.events.get());
  best_.cost = 0;
  best_.score = maxEvents;
  calls_ = 0;
  SearchBarRhythm(*events, 0, 0, 0, 0, 0);
}

uint32_t BarRhythmSearch::SolveBar(std::vector<uint8_t>* bytes, uint32_t start, uint32_t end, ObjectBoxList* boxes,
                                   int32_t firstItemIndex, int beats, int unit) {
  BarEvents events;
  BuildBarEvents(bytes->data(), start, end, &events, boxes, firstItemIndex, options_.version);
  beats_ = beats;
  unit_ = unit;
  barLength_ = beats > 0 && unit > 0 ? BarLengthTicks(beats, unit) : kUnknownBarLength;
  if (barLength_ == kUnknownBarLength) {
    LinkBeamPartners(&events);
    voices_.AssignVoices(&events, beats_, unit_, options_);
  } else {
    Run(&events, false);
    if (CommonVoiceLength(best_.totals, barLength_) != -1) CopyBarEvents(*best_.events, &events);
  }
  return WriteBackBarEvents(bytes, start, end, events, boxes, firstItemIndex, true, options_.version);
}

void BarRhythmSearch::SolveGroupedBarRhythm(BarEvents* events, int beats, int unit, bool noDelete,
                                            VoiceTotals* outTotals, int32_t* outScore) {
  beats_ = beats;
  unit_ = unit;
  barLength_ = beats > 0 && unit > 0 ? BarLengthTicks(beats, unit) : kUnknownBarLength;
  Run(events, noDelete);
  if (outTotals) *outTotals = best_.totals;
  if (outScore) *outScore = best_.score;
}

uint32_t SolveBarRhythm(std::vector<uint8_t>* bytes, uint32_t start, uint32_t end, ObjectBoxList* boxes,
                        int32_t firstItemIndex, int beats, int unit, const RhythmReadingOptions& options) {
  BarRhythmSearch search(options);
  return search.SolveBar(bytes, start, end, boxes, firstItemIndex, beats, unit);
}
