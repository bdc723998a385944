// The page rhythm pass on synthetic pages: parts of 4/4 bars in one or two
// voices, beamed quavers, triplets and rests, with one typical reading error
// in every other bar (a dot too many or missing, a value one step off, a
// triplet without its mark). Prints the time per page and the slowest bar.
//
//   rhythm_bench [pages] [seed]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "building/BarRhythmSearch.h"
#include "building/PageRhythmCorrection.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ChordItem(uint8_t code, uint8_t dots, uint8_t voice, bool down, bool join, int beam) {
  Bytes item = {uint8_t(kItemChord | 1 << 3), 0, 0, 0, 0, uint8_t(4 + voice * 6)};
  SetChordDuration(item.data(), code, dots);
  if (join) item[1] |= 1;
  SetChordVoice(item.data(), voice);
  SetChordStemDown(item.data(), down);
  if (beam) {
    SetChordBeamedToNext(item.data(), true);
    SetChordStartsBeamGroup(item.data(), beam == 1);
  }
  return item;
}

void Append(Bytes* to, const Bytes& item) { to->insert(to->end(), item.begin(), item.end()); }

// A second voice sounding with every chord of the first, stems down.
bool secondVoice = false;
Bytes* clean = nullptr;  // the same music without the error
// A triplet's first chords carry marks (the first voice's lost when misread).
void AppendChord(Bytes* to, uint8_t code, uint8_t dots, bool bad, int beam, uint8_t wrongCode, uint8_t wrongDots,
                 bool triplet = false) {
  Bytes mark = {kTupletMarkByte, 32, 0, 0x83, 15};
  if (triplet && !bad) Append(to, mark);
  if (triplet) Append(clean, mark);
  Append(to, ChordItem(bad ? wrongCode : code, bad ? wrongDots : dots, 0, false, false, beam));
  Append(clean, ChordItem(code, dots, 0, false, false, beam));
  if (secondVoice) {
    mark[2] = 1 << 6;
    if (triplet) {
      Append(to, mark);
      Append(clean, mark);
    }
    Append(to, ChordItem(code, dots, 1, true, true, beam));
    Append(clean, ChordItem(code, dots, 1, true, true, beam));
  }
}

// Crotchet beats: crotchets, pairs of beamed quavers, a beamed triplet of
// quavers (marked), a minim, a dotted minim; error: the first voice misread.
void Voice(std::mt19937* random, Bytes* bar, bool error) {
  int beats = 4;
  int errorAt = error ? static_cast<int>((*random)() % 4) : -1;
  while (beats > 0) {
    const int kind = static_cast<int>((*random)() % 5);
    const bool bad = errorAt-- == 0;
    if (kind == 0 || beats < 2) {
      AppendChord(bar, 5, 0, bad, 0, 5, 1);
      beats -= 1;
    } else if (kind == 1) {
      AppendChord(bar, 4, 0, false, 1, 4, 0);
      AppendChord(bar, 4, 0, bad, 2, 3, 0);
      beats -= 1;
    } else if (kind == 2) {
      for (int n = 0; n < 3; ++n) AppendChord(bar, 4, 0, bad && n == 0, n == 0 ? 1 : 2, 4, 0, n == 0);
      beats -= 1;
    } else if (kind == 3 && beats >= 3) {
      AppendChord(bar, 6, 1, bad, 0, 6, 0);
      beats -= 3;
    } else {
      AppendChord(bar, 6, 0, bad, 0, 6, 1);
      beats -= 2;
    }
  }
}

// Bars of a stream set whose voices all fill 4/4, and bars in all.
void CountFittingBars(const StreamSet& set, int parts, int* fitting, int* bars) {
  for (int part = 1; part <= parts; ++part) {
    const uint8_t* stream = StreamBytes(set, part);
    uint32_t barStart = 0;
    for (uint32_t at = 0; at < set.used[part]; at += ItemLength(stream + at, ScoreFormatVersion)) {
      if (KindOf(stream + at) != kItemBarLine || stream[at] == kBarBoundary) continue;
      BarEvents events;
      BuildBarEvents(stream, barStart, at, &events, nullptr, 0, -1, ScoreFormatVersion);
      VoiceTotals totals;
      SumVoiceDurations(events, &totals);
      ++*bars;
      if (CommonVoiceLength(totals, 1024) == 1024) ++*fitting;
      barStart = at;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int pages = argc > 1 ? std::atoi(argv[1]) : 20;
  std::mt19937 random(argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 7u);
  constexpr int kParts = 4, kSystems = 4, kBarsPerSystem = 5;
  double total = 0, slowestPage = 0, slowestBar = 0;
  int fittingBefore = 0, fittingAfter = 0, bars = 0, unused = 0, exact = 0;
  for (int page = 0; page < pages; ++page) {
    StreamSet set{};
    static int16_t rows[kMaxLoadedBoxes + 16][4];
    int32_t boxed = 0;
    std::vector<Bytes> parts(kParts + 1), cleanParts(kParts + 1);
    for (int system = 0; system < kSystems; ++system) {
      for (int part = 1; part <= kParts; ++part) {
        Bytes& stream = parts[part];
        clean = &cleanParts[part];
        for (int bar = 0; bar < kBarsPerSystem; ++bar) {
          secondVoice = part % 2 == 0;
          Voice(&random, &stream, (bar + part) % 2 == 0);
          stream.push_back(MakeBarLine(kBarSingle));
          clean->push_back(MakeBarLine(kBarSingle));
        }
        stream.push_back(kBarBoundary);
        clean->push_back(kBarBoundary);
      }
    }
    for (int part = 1; part <= kParts; ++part) {
      GrowStream(&set, part, static_cast<uint32_t>(parts[part].size()));
      std::copy(parts[part].begin(), parts[part].end(), StreamBytes(set, part));
      set.used[part] = static_cast<uint32_t>(parts[part].size());
      WalkStream(parts[part].data(), set.used[part], ScoreFormatVersion, [&](uint32_t, const uint8_t* item, uint32_t) {
        if (ItemHasBoxRow(item)) ++boxed;
        return true;
      });
    }
    ObjectBoxList boxes;
    boxes.rows = rows;
    boxes.count = std::min(boxed, kMaxLoadedBoxes);
    boxes.capacity = kMaxLoadedBoxes;
    PageRhythmInput input;
    input.streams = &set;
    input.partCount = kParts + 1;
    input.boxes = &boxes;
    input.score.overallKnown = true;
    input.score.overall = TimeSignatureValue{4, 5};
    input.options.correction = true;
    CountFittingBars(set, kParts, &fittingBefore, &bars);
    const auto start = std::chrono::steady_clock::now();
    CorrectBarRhythms(&input);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    total += seconds;
    CountFittingBars(set, kParts, &fittingAfter, &unused);
    for (int part = 1; part <= kParts; ++part) {
      // Bars read back exactly as the music was written.
      const Bytes after(StreamBytes(set, part), StreamBytes(set, part) + set.used[part]);
      auto barsOf = [](const Bytes& stream) {
        std::vector<Bytes> out(1);
        for (uint32_t at = 0; at < stream.size(); at += ItemLength(stream.data() + at, ScoreFormatVersion)) {
          const uint8_t* item = stream.data() + at;
          out.back().insert(out.back().end(), item, item + ItemLength(item, ScoreFormatVersion));
          if (KindOf(item) == kItemBarLine) out.emplace_back();
        }
        return out;
      };
      const std::vector<Bytes> a = barsOf(after), b = barsOf(cleanParts[part]);
      for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) exact += a[i] == b[i] ? 1 : 0;
    }
    slowestPage = std::max(slowestPage, seconds);
    // The slowest single bar of the page, corrected again on its own.
    const uint8_t* stream = StreamBytes(set, 2);
    uint32_t barStart = 0;
    for (uint32_t at = 0; at < set.used[2]; at += ItemLength(stream + at, ScoreFormatVersion)) {
      if (KindOf(stream + at) != kItemBarLine) continue;
      std::vector<uint8_t> bar(stream + barStart, stream + at);
      const auto barTime = std::chrono::steady_clock::now();
      SolveBarRhythm(&bar, 0, static_cast<uint32_t>(bar.size()), nullptr, -1, 4, 5, input.options);
      slowestBar = std::max(slowestBar,
                            std::chrono::duration<double>(std::chrono::steady_clock::now() - barTime).count());
      barStart = at;
    }
    FreeStreamSet(&set);
  }
  std::printf("rhythm pass: %d pages of %d parts x %d bars, %.4f s per page (slowest %.4f s), slowest bar %.4f s\n",
              pages, kParts, kSystems * kBarsPerSystem, total / std::max(pages, 1), slowestPage, slowestBar);
  std::printf("bars that fill their metre: %d of %d as read, %d after the pass; %d as written\n", fittingBefore,
              bars, fittingAfter, exact - pages * kParts * (kSystems + 1));
  return 0;
}
