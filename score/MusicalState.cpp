#include "score/MusicalState.h"

#include <algorithm>

#include "score/ScoreItem.h"
#include "score/TempoWords.h"

namespace {

TempoWordReaders g_readers = {ParseTempoWord, ParseMetronomeNumber};

// Where an item stands: compared page first, then system, then bar.
struct Place {
  int page = 0;
  int system = 0;
  int bar = 0;
};
bool IsBefore(const Place& a, const Place& b) {
  if (a.page != b.page) return a.page < b.page;
  if (a.system != b.system) return a.system < b.system;
  return a.bar < b.bar;
}

// One clef, key or time signature found, with its two values.
struct Found {
  bool found = false;
  Place place;
  int first = 0;
  int second = 0;
};

struct TempoEntry {
  uint32_t barTime;
  int number;
  bool percent;
};

struct TempoList {
  TempoEntry entries[kMaxTempoEntries];
  int count = 0;
  void Add(uint32_t barTime, int number, bool percent) {
    for (int i = 0; i < count; ++i) {
      const TempoEntry& e = entries[i];
      if (e.barTime == barTime && e.number == number && e.percent == percent) return;
    }
    if (count < kMaxTempoEntries) entries[count++] = {barTime, number, percent};
  }
};

// What the walk of one part gathers.
struct PartWalk {
  Found clefBefore, clefAfter, keyBefore, keyAfter, timeBefore, timeAfter;
  int pagesBefore = 0;
};

void SetDefaults(PartMusicalState* part) {
  *part = {kClefTreble, kOctaveNone, 0, 0, kDefaultDynamicLevel, kDefaultNoteLength, -1};
}

void Record(Found* before, Found* after, bool isBefore, const Place& place, int first, int second) {
  Found* target = isBefore ? before : after;
  if (!isBefore && after->found) return;  // only the first one at or after counts
  *target = {true, place, first, second};
}

// The text of a text item, at most capacity - 1 characters, NUL-ended.
void ItemText(const uint8_t* item, uint32_t length, char16_t* out, size_t capacity) {
  uint8_t version = ScoreFormatVersion;
  uint32_t start = TextStart(item, version);
  size_t n = 0;
  if (TextIsWide(version)) {
    for (uint32_t at = start; at + 1 < length && n + 1 < capacity; at += 2) {
      char16_t c = static_cast<char16_t>(item[at] | (item[at + 1] << 8));
      if (c == 0) break;
      out[n++] = c;
    }
  } else {
    for (uint32_t at = start; at < length && n + 1 < capacity; ++at) {
      if (item[at] == 0) break;
      out[n++] = item[at];
    }
  }
  out[n] = 0;
}

int ClampLevel(int level) { return std::min(127, std::max(0, level)); }

void ApplyDynamicText(const char16_t* text, PartMusicalState* part) {
  int kind = 0, value = 0;
  if (!g_readers.parseTempoWord || !g_readers.parseTempoWord(text, &kind, &value)) return;
  switch (kind) {
    case kWordDynamicLevel: part->dynamic = ClampLevel(value * 127 / 100); break;
    case kWordDynamicChange: part->dynamic = ClampLevel(part->dynamic + value * 127 / 100); break;
    case kWordAccent: part->dynamic = value < 0 ? 1 : 127; break;
    case kWordNoteLength: part->noteLength = value; break;
    case kWordInstrument: part->program = value; break;
    default: break;
  }
}

void AddTempoText(const char16_t* text, uint32_t barTime, TempoList* tempos) {
  int kind = 0, value = 0, number = 0;
  bool percent = false;
  // A metronome number counts only where the text holds no known word.
  if (g_readers.parseTempoWord && g_readers.parseTempoWord(text, &kind, &value)) {
    if (kind == kWordTempo || kind == kWordTempoChange) {
      number = value;
      percent = kind == kWordTempoChange;
    }
  } else if (g_readers.parseMetronomeNumber) {
    if (!g_readers.parseMetronomeNumber(text, &number)) number = 0;
  }
  if (number > 0) tempos->Add(barTime, number, percent);
}

// Walks one part from its start, never beyond its used length, up to the
// position and on until clef, key and time signature are all known.
void WalkPart(int slot, uint32_t position, PartMusicalState* part, PartWalk* walk, TempoList* tempos) {
  const uint8_t* stream = StreamBytes(ScoreStream, slot);
  uint32_t used = StreamUsedLength(ScoreStream, slot);
  Place place;
  uint32_t barTime = 0;
  int numerator = 4, denominatorCode = kDurationQuarter;
  ItemCursor cursor(stream, used, ScoreFormatVersion);
  while (cursor.Next()) {
    const uint8_t* item = cursor.Item();
    bool before = cursor.Offset() < position;
    if (!before && (walk->clefBefore.found || walk->clefAfter.found) &&
        (walk->keyBefore.found || walk->keyAfter.found) &&
        (walk->timeBefore.found || walk->timeAfter.found)) {
      break;
    }
    switch (KindOf(item)) {
      case kItemBarLine:
        if ((item[0] & 0x80) == 0) {
          ++place.bar;
          barTime += static_cast<uint32_t>(numerator) * ((kTicksPerCrotchet << denominatorCode) >> kDurationQuarter);
        } else if (item[0] == kBarBoundary) {
          ++place.system;
          place.bar = 0;
        } else if (item[0] == kPageMark) {
          ++place.page;
          if (before) ++walk->pagesBefore;
        }
        break;
      case kItemClef:
        Record(&walk->clefBefore, &walk->clefAfter, before, place, ClefCodeOf(item), ClefOctaveShift(item));
        break;
      case kItemKey:
        Record(&walk->keyBefore, &walk->keyAfter, before, place, KeyAccidentalCount(item),
               KeyIsSharps(item) ? 1 : 0);
        break;
      case kItemTime:
        if (TimeIsHidden(item)) break;
        numerator = TimeNumerator(item);
        denominatorCode = TimeDenominatorCode(item);
        Record(&walk->timeBefore, &walk->timeAfter, before, place, numerator, denominatorCode);
        break;
      case kItemText: {
        if (!before) break;
        uint8_t sub = TextSubKindOf(item);
        if (sub == kTextHairpin18) {
          part->dynamic = kCrescendoLevel;
        } else if (sub == kTextHairpin19) {
          part->dynamic = kDiminuendoLevel;
        } else if (sub == kTextDynamic || sub == kTextTempo) {
          char16_t text[256];
          ItemText(item, cursor.Length(), text, 256);
          if (sub == kTextDynamic) {
            ApplyDynamicText(text, part);
          } else if (tempos) {
            AddTempoText(text, barTime, tempos);
          }
        }
        break;
      }
      default:
        break;
    }
  }
}

void ResolveClefAndKey(const PartWalk& walk, PartMusicalState* part) {
  const Found& clef = walk.clefBefore.found ? walk.clefBefore : walk.clefAfter;
  if (clef.found) {
    part->clef = clef.first;
    part->octaveShift = clef.second;
  }
  const Found& key = walk.keyBefore.found ? walk.keyBefore : walk.keyAfter;
  if (key.found) {
    part->keyCount = key.first;
    part->keySharps = key.second;
  }
}

int FinalTempo(TempoList* tempos) {
  TempoEntry* e = tempos->entries;
  for (int pass = 0; pass + 1 < tempos->count; ++pass) {
    for (int i = 0; i + 1 < tempos->count - pass; ++i) {
      if (e[i].barTime > e[i + 1].barTime) std::swap(e[i], e[i + 1]);
    }
  }
  // A change in per cent applies to the tempo before it.
  int tempo = kDefaultTempo;
  for (int i = 0; i < tempos->count; ++i) {
    tempo = e[i].percent ? std::max(1, tempo * e[i].number / 100) : e[i].number;
  }
  return tempo;
}

}  // namespace

TempoWordReaders SetTempoWordReaders(const TempoWordReaders& readers) {
  TempoWordReaders old = g_readers;
  g_readers = readers;
  return old;
}

int FindMusicalStateAt(const uint32_t* positions, MusicalState* state) {
  state->numerator = 4;
  state->denominatorCode = kDurationQuarter;
  state->tempo = kDefaultTempo;
  for (PartMusicalState& part : state->part) SetDefaults(&part);

  TempoList tempos;
  Found timeBefore, timeAfter;
  int pages = 0;
  int parts = std::min<int>(PartCount, kPartSlots);
  for (int slot = 1; slot < parts; ++slot) {
    PartWalk walk;
    PartMusicalState* part = &state->part[slot];
    WalkPart(slot, positions ? positions[slot] : 0, part, &walk, &tempos);
    ResolveClefAndKey(walk, part);
    pages = std::max(pages, walk.pagesBefore);
    if (walk.timeBefore.found && (!timeBefore.found || IsBefore(timeBefore.place, walk.timeBefore.place))) {
      timeBefore = walk.timeBefore;
    }
    if (walk.timeAfter.found && (!timeAfter.found || IsBefore(walk.timeAfter.place, timeAfter.place))) {
      timeAfter = walk.timeAfter;
    }
  }
  const Found& time = timeBefore.found ? timeBefore : timeAfter;
  if (time.found) {
    state->numerator = time.first;
    state->denominatorCode = time.second;
  }
  state->tempo = FinalTempo(&tempos);
  return 1 + pages;
}

void FindPartStateAt(int slot, uint32_t position, PartMusicalState* state) {
  SetDefaults(state);
  if (slot < 0 || slot >= kPartSlots) return;
  PartWalk walk;
  WalkPart(slot, position, state, &walk, nullptr);
  ResolveClefAndKey(walk, state);
}

void KeySignatureSteps(int16_t steps[32], int sharps, int count, int clefCode) {
  // Position i carries the letter (i + offset + 4) mod 7, letter 0 being C.
  static const int kLetterOffset[8] = {2, 0, 5, 3, 1, 6, 4, 2};
  // Letters in the order a key signature adds them.
  static const int kSharpOrder[7] = {3, 0, 4, 1, 5, 2, 6};  // F C G D A E B
  static const int kFlatOrder[7] = {6, 2, 5, 1, 4, 0, 3};   // B E A D G C F
  for (int i = 1; i < 32; ++i) steps[i] = 0;
  if (clefCode < 0 || clefCode > kClefBass) return;
  count = std::min(7, std::max(0, count));
  const int* order = sharps ? kSharpOrder : kFlatOrder;
  for (int i = 1; i < 32; ++i) {
    int letter = (i + kLetterOffset[clefCode] + 4) % 7;
    for (int k = 0; k < count; ++k) {
      if (order[k] == letter) steps[i] = static_cast<int16_t>(sharps ? 1 : -1);
    }
  }
}
