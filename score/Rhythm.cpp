#include "score/Rhythm.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kMaxTupletPower = 8;  // counts up to 256 have their own power of two

}  // namespace

int32_t NoteValueTicks(unsigned code, unsigned dots) {
  code &= 15;
  const int32_t base = int32_t{8} << code;
  int32_t ticks = base;
  for (unsigned dot = 1; dot <= (dots & 3); ++dot) ticks += base >> dot;
  return ticks;
}

int32_t DurationTicks(unsigned code, unsigned dots) {
  if ((code & 15) == kOneTickDurationCode) return 1;
  return NoteValueTicks(code, dots);
}

int32_t BarLengthTicks(int beats, int unitCode) {
  if (beats < 0 || unitCode < 0 || unitCode > 7) return 0;
  return (beats << unitCode) << 3;
}

int32_t ScaleDurationForTuplet(int count, int32_t duration) {
  if (count < 2) return duration;
  int k = 1;
  while (k < kMaxTupletPower && (1 << k) < count) ++k;
  const int64_t d = duration;
  if ((1 << k) == count) return static_cast<int32_t>(d * 3 / 2);
  return static_cast<int32_t>(d * (int64_t{1} << (k - 1)) / count);
}

void MakeTupletMark(uint8_t mark[5], int count, uint32_t plainTotal, uint8_t voice, bool bracket) {
  count = std::max(1, std::min(count, 127));
  const uint32_t one = std::max<uint32_t>(1, std::min<uint32_t>(plainTotal / count, 256));
  const int64_t sounding = ScaleDurationForTuplet(count, static_cast<int32_t>(std::min<uint32_t>(plainTotal, INT32_MAX)));
  mark[0] = kTupletMarkByte;
  mark[2] = 0;
  SetMarkSpan(mark, static_cast<uint32_t>(std::min<int64_t>(std::max<int64_t>(sounding, 0), kMarkSpanMask)));
  SetMarkVoice(mark, voice & 3);
  mark[3] = static_cast<uint8_t>(count | (bracket ? 0x80 : 0));
  mark[4] = static_cast<uint8_t>(one - 1);
}

void TupletProgress::Start(int32_t soundingTicks, int32_t writtenTicks) {
  if (soundingTicks <= 0 || writtenTicks <= 0) {
    written = 0;
    return;
  }
  sounding = soundingTicks;
  written = writtenTicks;
  progress = 0;
}

int32_t TupletProgress::Scale(int32_t value) {
  if (!Open()) return value;
  progress += value;
  if (progress > written) {
    written = 0;
    return value;
  }
  // The doubled quotient, made even before halving: halves round up.
  const int64_t doubled = int64_t{value} * sounding * 2 / written;
  if (progress == written) written = 0;
  return static_cast<int32_t>((doubled + 1) / 2);
}

void AlignVoiceTimes(VoiceAlignment* alignment, VoiceTotals* totals, const int32_t chordLongest[kRhythmVoices],
                     const int32_t restLongest[kRhythmVoices], int32_t* starts) {
  if (totals->AllZero()) std::fill(alignment->inUse, alignment->inUse + kRhythmVoices, false);
  int32_t latest = 0;
  for (int v = 0; v < kRhythmVoices; ++v) {
    if (chordLongest[v] > 0 && alignment->inUse[v]) latest = std::max(latest, totals->t[v]);
  }
  if (latest == 0) {
    for (int v = 0; v < kRhythmVoices; ++v) latest = std::max(latest, totals->t[v]);
  }
  for (int v = 0; v < kRhythmVoices; ++v) {
    if (chordLongest[v] > 0) totals->t[v] = latest;
  }
  for (int v = 0; v < kRhythmVoices; ++v) {
    if (chordLongest[v] > 0 || restLongest[v] > 0) alignment->inUse[v] = true;
    if (starts) starts[v] = totals->t[v];
  }
}

void PadVoicesToBarLength(VoiceTotals* totals, int32_t barLength) {
  if (totals->t[0] != barLength) return;
  for (int v = 1; v < kRhythmVoices; ++v) {
    if (totals->t[v] > barLength) return;
  }
  for (int v = 1; v < kRhythmVoices; ++v) {
    if (totals->t[v] > 0) totals->t[v] = barLength;
  }
}

int32_t CommonVoiceLength(const VoiceTotals& totals, int32_t expected) {
  int32_t common = expected;
  bool any = false;
  for (int v = 0; v < kRhythmVoices; ++v) {
    if (totals.t[v] == 0) continue;
    any = true;
    if (common == -1) {
      common = totals.t[v];
    } else if (totals.t[v] != common) {
      return -1;
    }
  }
  return any ? common : 0;
}

int32_t VoiceLengthSpread(const VoiceTotals& totals, int32_t barLength) {
  int64_t spread = 0;
  if (barLength != kUnknownBarLength) {
    for (int v = 0; v < kRhythmVoices; ++v) {
      if (totals.t[v] != 0) spread += std::llabs(int64_t{barLength} - totals.t[v]);
    }
  } else {
    for (int v = 0; v < kRhythmVoices; ++v) {
      if (totals.t[v] == 0) continue;
      int64_t sum = 0;
      for (int w = 0; w < kRhythmVoices; ++w) {
        if (w != v && totals.t[w] != 0) sum += std::llabs(int64_t{totals.t[v]} - totals.t[w]);
      }
      spread = std::max(spread, sum);
    }
  }
  return static_cast<int32_t>(std::min<int64_t>(spread, INT32_MAX));
}

bool BarVoicesExact(const VoiceTotals& times, int32_t barLength) {
  if (times.t[0] != barLength) return false;
  for (int v = 1; v < kRhythmVoices; ++v) {
    if (times.t[v] != 0 && times.t[v] != barLength) return false;
  }
  return true;
}

bool VoiceIsFaulty(const VoiceTotals& times, int v, int32_t barLength, bool tupletSeen, bool countEmpty) {
  auto counted = [&](int32_t t) {
    if (t >= kVoiceTimeAsBar) return barLength;
    if (t == 0 && !countEmpty) return barLength;
    return t;
  };
  const int32_t t = counted(times.t[v]);
  const int32_t tolerance = tupletSeen ? 16 : 8;
  const int64_t d = int64_t{barLength} - t;
  if (std::llabs(d) < tolerance) return false;
  if (v > 0) {
    if (std::abs(t) < tolerance) return false;
    const int64_t d0 = int64_t{barLength} - counted(times.t[0]);
    if (d > 0 && std::llabs(d0) < tolerance) return false;
  }
  return t != 0;
}

VoiceDifference DescribeVoiceDifference(int32_t voiceTime, int32_t barLength) {
  VoiceDifference out;
  int64_t d = int64_t{barLength} - voiceTime;
  out.tooLong = d < 0;
  d = std::llabs(d);
  out.ticks = static_cast<int32_t>(std::min<int64_t>(d, INT32_MAX));
  for (int e = 8; e >= 0; --e) {
    const int64_t value = int64_t{8} << e;
    out.counts[e] = static_cast<int>(d / value);
    d -= out.counts[e] * value;
  }
  out.dots = d >= 7 ? 3 : d == 6 ? 2 : d >= 4 ? 1 : 0;
  return out;
}

// ---- Time signatures ----------------------------------------------------------

namespace {

bool IsVisibleTimeSignature(const uint8_t* item) { return KindOf(item) == kItemTime && !TimeIsHidden(item); }

TimeSignatureValue SignatureOf(const uint8_t* item) {
  TimeSignatureValue value;
  value.beats = TimeNumerator(item);
  value.unit = TimeDenominatorCode(item);
  return value;
}

}  // namespace

TimeSignatureIndex::TimeSignatureIndex(const StreamSet& streams, int partCount, uint8_t version)
    : partCount_(std::min(partCount, kPartSlots)) {
  for (int slot = 1; slot < partCount_; ++slot) {
    Part part;
    const uint8_t* stream = StreamBytes(streams, slot);
    const uint32_t used = StreamUsedLength(streams, slot);
    int sections = 0;
    bool kindZeroSeen = false;
    if (stream) {
      WalkStream(stream, used, version, [&](uint32_t, const uint8_t* item, uint32_t) {
        part.hasItems = true;
        if (KindOf(item) == kItemBarLine) {
          kindZeroSeen = true;
          if (item[0] == kBarBoundary) ++sections;
        } else if (IsVisibleTimeSignature(item)) {
          if (!kindZeroSeen && !part.signatureFirst) {
            part.signatureFirst = true;
            part.first = SignatureOf(item);
          }
          part.entries.push_back({sections, SignatureOf(item)});
        }
        return true;
      });
    }
    parts_.push_back(std::move(part));
  }
}

bool TimeSignatureIndex::Find(int sections, TimeSignatureValue* out) const {
  if (partCount_ < 2) return false;
  if (sections <= 0) {
    for (const Part& part : parts_) {
      if (!part.hasItems) continue;
      if (!part.signatureFirst) return false;
      *out = part.first;
      return true;
    }
    return false;
  }
  int best = -1;
  TimeSignatureValue found;
  for (const Part& part : parts_) {
    // The entries are in stream order, so the last one before the k-th
    // boundary is the part's answer.
    const Entry* last = nullptr;
    for (const Entry& entry : part.entries) {
      if (entry.sections >= sections) break;
      last = &entry;
    }
    if (last && last->sections >= best) {
      best = last->sections;
      found = last->value;
    }
  }
  if (best < 0) return false;
  *out = found;
  return true;
}

bool FindTimeSignature(const StreamSet& streams, int partCount, int sections, int* outBeats, int* outUnit,
                       int32_t* outLength, uint8_t version) {
  TimeSignatureValue value;
  if (!TimeSignatureIndex(streams, partCount, version).Find(sections, &value)) return false;
  if (outBeats) *outBeats = value.beats;
  if (outUnit) *outUnit = value.unit;
  if (outLength) *outLength = value.Length();
  return true;
}

void CountBarsBetween(const uint8_t* stream, uint32_t start, uint32_t offset, uint32_t used, uint8_t version,
                      int* bars, int* staves) {
  *bars = 0;
  *staves = 0;
  if (!stream || offset < start) return;
  for (uint32_t at = start; at < used && at <= offset;) {
    uint32_t length = 0;
    if (!ItemLengthWithin(stream + at, used - at, version, &length)) return;
    const uint8_t* item = stream + at;
    if (item[0] == kBarBoundary) {
      ++*staves;
      *bars = 0;
    } else if (IsBarLine(item)) {
      ++*bars;
    }
    at += length;
  }
}

bool FindPartWithSameBarOnPage(const StreamSet& streams, int partCount, const uint32_t* pageStarts, int part,
                               uint32_t offset, TimeSignatureValue* out, uint8_t version) {
  if (part < 1 || part >= std::min(partCount, kPartSlots)) return false;
  const uint8_t* own = StreamBytes(streams, part);
  if (!own) return false;
  // The bar that begins at offset: the items before it are counted.
  int bars = 0, staves = 0;
  const uint32_t ownUsed = StreamUsedLength(streams, part);
  const uint32_t ownStart = std::min(pageStarts[part], ownUsed);
  WalkStream(own + ownStart, ownUsed - ownStart, version, [&](uint32_t at, const uint8_t* item, uint32_t) {
    if (ownStart + at >= offset) return false;
    if (item[0] == kBarBoundary) {
      ++staves;
      bars = 0;
    } else if (IsBarLine(item)) {
      ++bars;
    }
    return true;
  });
  for (int other = 1; other < std::min(partCount, kPartSlots); ++other) {
    if (other == part) continue;
    const uint8_t* stream = StreamBytes(streams, other);
    const uint32_t used = StreamUsedLength(streams, other);
    const uint32_t start = pageStarts[other];
    if (!stream || start >= used) continue;
    int atBars = 0, atStaves = 0;
    bool content = false, found = false;
    TimeSignatureValue value;
    WalkStream(stream + start, used - start, version, [&](uint32_t, const uint8_t* item, uint32_t) {
      const bool inBar = atStaves == staves && atBars == bars;
      if (item[0] == kBarBoundary) {
        if (inBar) return false;
        ++atStaves;
        atBars = 0;
      } else if (IsBarLine(item)) {
        if (inBar) return false;
        ++atBars;
      } else if (inBar) {
        if (KindOf(item) == kItemChord || KindOf(item) == kItemRest) content = true;
        if (IsVisibleTimeSignature(item)) {
          found = true;
          value = SignatureOf(item);
        }
      }
      return atStaves <= staves;
    });
    if (content && found) {
      *out = value;
      return true;
    }
  }
  return false;
}

bool FindPartWithSameBar(const StreamSet& streams, int partCount, int part, uint32_t position, int* otherPart,
                         uint32_t* otherOffset, uint8_t version) {
  const int parts = std::min(partCount, kPartSlots);
  if (part < 1 || part >= parts) return false;
  const uint8_t* own = StreamBytes(streams, part);
  if (!own) return false;
  // The section of position: the bar boundaries before it.
  int section = 0;
  WalkStream(own, StreamUsedLength(streams, part), version, [&](uint32_t at, const uint8_t* item, uint32_t) {
    if (at >= position) return false;
    if (item[0] == kBarBoundary) ++section;
    return true;
  });
  for (int other = 1; other < parts; ++other) {
    if (other == part) continue;
    const uint8_t* stream = StreamBytes(streams, other);
    if (!stream) continue;
    int at = 0;
    uint32_t begin = 0;
    bool content = false;
    WalkStream(stream, StreamUsedLength(streams, other), version, [&](uint32_t offset, const uint8_t* item, uint32_t length) {
      if (item[0] == kBarBoundary) {
        if (at == section) return false;
        ++at;
        begin = offset + length;
      } else if (at == section && (KindOf(item) == kItemChord || KindOf(item) == kItemRest)) {
        content = true;
        return false;
      }
      return true;
    });
    if (content) {
      if (otherPart) *otherPart = other;
      if (otherOffset) *otherOffset = begin;
      return true;
    }
  }
  return false;
}

bool FormatTupletNumber(int count, int32_t sounding, int32_t written, char16_t* out, int capacity) {
  if (!out || capacity <= 0) return false;
  out[0] = 0;
  if (count < 2) return false;
  auto put = [&](int at, int64_t value) {
    char digits[24];
    int n = 0;
    if (value < 0) value = 0;
    do {
      digits[n++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value > 0 && n < 20);
    while (n > 0 && at < capacity - 1) out[at++] = static_cast<char16_t>(digits[--n]);
    out[at] = 0;
    return at;
  };
  int at = put(0, count);
  if (written <= 0 || sounding == ScaleDurationForTuplet(count, written)) return true;
  if (at < capacity - 1) out[at++] = u':';
  put(at, int64_t{count} * sounding / written);
  return true;
}
