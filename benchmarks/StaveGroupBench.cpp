// Times the stave-group pass of score building on a synthetic page: ten
// systems of four staves, each stave with 24 bars of four crotchet chords of
// three heads, a clef, a key and a time signature. Prints the time of the
// whole page and per system. Not a test: run it from a Release build.
//
//   stave_group_bench [rounds]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "building/BuildContext.h"
#include "building/StaveGroupPass.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSystems = 10;
constexpr int kStaves = 4;
constexpr int kBars = 24;

struct SystemRecords {
  std::vector<SymbolRecord> symbols;
  std::vector<NoteRecord> notes;
};

SymbolRecord Symbol(int type, int left, int stave, uint32_t count = 0) {
  SymbolRecord s;
  std::memset(&s, 0, sizeof s);
  s.type = static_cast<int16_t>(type);
  s.left = static_cast<int16_t>(left);
  s.right = static_cast<int16_t>(left + 12);
  s.stepTop = 4;
  s.stepBottom = 12;
  s.stave = static_cast<int16_t>(stave);
  s.count = count;
  return s;
}

SystemRecords MakeSystem() {
  SystemRecords r;
  for (int stave = 0; stave < kStaves; ++stave) {
    r.symbols.push_back(Symbol(kSymbolTrebleClef, 110, stave));
    r.symbols.push_back(Symbol(kSymbolSharpKey, 140, stave, 2));
    r.symbols.push_back(Symbol(kSymbolCommonTime, 170, stave));
    for (int bar = 0; bar < kBars; ++bar) {
      const int barLeft = 200 + bar * 90;
      for (int beat = 0; beat < 4; ++beat)
        for (int head = 0; head < 3; ++head) {
          NoteRecord n;
          std::memset(&n, 0, sizeof n);
          n.kind = kNoteCrotchet;
          n.left = static_cast<int16_t>(barLeft + 10 + beat * 20);
          n.right = static_cast<int16_t>(n.left + 14);
          n.step = static_cast<int16_t>(14 + 2 * head + (beat & 1));
          n.top = static_cast<int16_t>(300 - n.step * 6);
          n.bottom = static_cast<int16_t>(n.top + 12);
          n.stave = static_cast<int16_t>(stave);
          r.notes.push_back(n);
        }
      r.symbols.push_back(Symbol(kSymbolBarline, barLeft + 88, stave));
    }
  }
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const SystemRecords model = MakeSystem();
  std::vector<StaveRow> rows;
  for (int system = 0; system < kSystems; ++system)
    for (int stave = 0; stave < kStaves; ++stave) {
      StaveRow row;
      row.left = 100;
      row.right = 2400;
      row.top = static_cast<int16_t>(200 + (system * kStaves + stave) * 80);
      row.bottom = static_cast<int16_t>(row.top + 48);
      row.lineCount = 5;
      row.group = static_cast<int16_t>(system);
      row.number = static_cast<int16_t>(stave + 1);
      rows.push_back(row);
    }
  auto page = std::make_unique<PageData>();
  page->resolution = 300;
  double best = 1e30;
  size_t bytes = 0;
  for (int round = 0; round < rounds; ++round) {
    StreamSet streams{};
    BuildContext context;
    context.page = page.get();
    page->boxCount = 0;
    context.streams = &streams;
    context.ReadingPartCount = kStaves + 1;
    context.lists.rows = rows.data();
    context.lists.staveCount = static_cast<int>(rows.size());
    double total = 0;
    for (int system = 0; system < kSystems; ++system) {
      SystemRecords records = model;
      uint32_t symbolCount = static_cast<uint32_t>(records.symbols.size());
      uint32_t noteCount = static_cast<uint32_t>(records.notes.size());
      context.lists.symbols = records.symbols.data();
      context.lists.symbolCount = &symbolCount;
      context.lists.notes = records.notes.data();
      context.lists.noteCount = &noteCount;
      const auto t0 = Clock::now();
      if (!InterpretStaveSymbols(context, system * kStaves, (system + 1) * kStaves)) {
        std::printf("the pass failed\n");
        return 1;
      }
      total += std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    }
    best = std::min(best, total);
    bytes = 0;
    for (int slot = 0; slot < kPartSlots; ++slot) bytes += StreamUsedLength(streams, slot);
    FreeStreamSet(&streams);
  }
  std::printf("stave-group pass: %d systems x %d staves, %zu notes a system, %zu stream bytes\n", kSystems, kStaves,
              model.notes.size(), bytes);
  std::printf("  page %.2f ms, system %.3f ms (best of %d)\n", best, best / kSystems, rounds);
  return 0;
}
