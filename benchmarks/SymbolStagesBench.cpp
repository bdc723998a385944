// The symbol stages on synthesised staves: the time of the big-symbol,
// articulation and appendage steps per page, and the big symbols' precision
// and recall against the symbols drawn; then the appendage step alone on
// staves of heads with accidentals and dots. Not a test: run it from a Release
// build. The staves are drawn with the Emmentaler glyph renderings of the
// engine tests at staff spaces 20 (about 300 dpi) and 37 (about 600 dpi).
//
//   KV_SOURCE_DIR=<source tree> symbol_stages_bench [staves per page]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "stages/AppendageStep.h"
#include "stages/ArticulationStep.h"
#include "stages/BigSymbolStep.h"
#include "tests/stages/SymbolArt.h"

namespace {

struct Truth {
  int stave, type, x;
};

double Seconds(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// One stave: clef, key, time, then bars of rests and bar lines, and a double
// and a final bar line; the drawn symbols go to truth.
void DrawStave(StaveScene& scene, int s, int space, std::vector<Truth>& truth) {
  ArtPage& page = scene.page;
  const StaveRow& row = scene.rows[s];
  auto stamp = [&](const char* name, int x, int step) {
    return StampGlyph(page, SymbolGlyph(name, space), x, scene.StepY(s, step));
  };
  int x = row.left + space;
  ArtBox b = stamp(s % 2 ? "clef-F" : "clef-G", x, s % 2 ? 6 : 10);
  truth.push_back({s, s % 2 ? 8 : 2, b.left});
  x = b.right + space / 2;
  const int sharps[3] = {s % 2 ? 6 : 4, s % 2 ? 9 : 7, s % 2 ? 5 : 3};
  const int keyLeft = x;
  for (int k = 0; k < 3; ++k) x = stamp("sharp", x, sharps[k]).right + space / 5;
  truth.push_back({s, 17, keyLeft});
  x += space / 2;
  b = stamp("time-3", x, 8);
  truth.push_back({s, 35, b.left});
  stamp("time-4", x, 12);
  truth.push_back({s, 36, b.left});
  x = b.right + space;
  const char* rests[] = {"rest-quarter", "rest-half", "rest-8", "rest-whole", "rest-16"};
  const int restTypes[] = {69, 70, 68, 71, 67};
  const int restSteps[] = {8, 8, 8, 6, 8};
  const int top = scene.StepY(s, 4) - 1, bottom = scene.StepY(s, 12) + 1;
  const int thin = std::max(2, space / 10);
  for (int bar = 0; x < row.right - 6 * space; ++bar) {
    for (int k = 0; k < 3 && x < row.right - 6 * space; ++k) {
      const int r = (bar * 3 + k) % 5;
      b = stamp(rests[r], x, restSteps[r]);
      truth.push_back({s, restTypes[r], b.left});
      x = b.right + space;
    }
    page.FillRect(x, top, x + thin - 1, bottom);
    truth.push_back({s, 48, x});
    x += 2 * space;
  }
  const int end = row.right;
  page.FillRect(end - 4 * thin - space / 2, top, end - 3 * thin - space / 2, bottom);
  page.FillRect(end - space / 2 + 1, top, end, bottom);
  truth.push_back({s, 55, end - 4 * thin - space / 2});
}

void RunPage(int space, int staves) {
  const int width = 60 * space, height = (staves * 9 + 4) * space;
  StaveScene scene(width, height, space);
  std::vector<Truth> truth;
  for (int s = 0; s < staves; ++s) {
    scene.AddStave((4 + 9 * s) * space, space, width - space);
    DrawStave(scene, s, space, truth);
  }
  SymbolPage page;
  page.bits = scene.page.Bits();
  page.strideWords = static_cast<uint32_t>(scene.page.strideWords);
  page.width = width;
  page.height = height;
  page.rows = scene.rows.data();
  page.rowCount = staves;
  page.geometry = &scene.geometry;
  scene.geometry.resolution = space * 15;
  std::vector<SymbolRecord> symbols(kSymbolListCapacity);
  std::vector<NoteRecord> notes(kNoteListCapacity);
  uint32_t symbolCount = 0, noteCount = 0;
  const ShapeDatabase& db = ShippedShapeDatabase();

  auto t0 = std::chrono::steady_clock::now();
  for (int s = 0; s < staves; ++s)
    ReadBigSymbols(page, s, static_cast<int16_t>(s), symbols.data(), symbolCount, db, BigSymbolChecks{});
  const double big = Seconds(t0);
  t0 = std::chrono::steady_clock::now();
  ArticulationPage art;
  art.ink = scene.page.Ink();
  art.rows = scene.rows.data();
  art.rowCount = staves;
  art.geometry = &scene.geometry;
  ReadArticulation(art, symbols.data(), symbolCount, notes.data(), noteCount, db);
  const double articulation = Seconds(t0);
  t0 = std::chrono::steady_clock::now();
  AppendagePage app;
  app.image = app.copy = scene.page.Bits();
  app.strideWords = page.strideWords;
  app.width = width;
  app.height = height;
  app.rows = scene.rows.data();
  app.rowCount = staves;
  app.geometry = &scene.geometry;
  ReadAppenditures(app, notes.data(), noteCount, symbols.data(), symbolCount, db);
  const double appendages = Seconds(t0);

  // Matched: a live record of the type on the stave within a space of the
  // drawn symbol's left edge. Markers of no key and one-bar rests the
  // articulation step adds are not drawn symbols and are left out.
  int found = 0, live = 0;
  int drawnOf[128] = {}, foundOf[128] = {}, extraOf[128] = {};
  std::vector<bool> used(symbolCount, false);
  for (const Truth& t : truth) {
    ++drawnOf[t.type & 127];
    for (uint32_t i = 0; i < symbolCount; ++i) {
      const SymbolRecord& r = symbols[i];
      if (used[i] || r.quality >= 6 || r.stave != t.stave || r.type != t.type || std::abs(r.left - t.x) > space)
        continue;
      used[i] = true;
      ++found;
      ++foundOf[t.type & 127];
      break;
    }
  }
  for (uint32_t i = 0; i < symbolCount; ++i) {
    const SymbolRecord& r = symbols[i];
    if (r.quality >= 6 || (r.type == 16 && r.count == 8) || r.type == 73) continue;
    ++live;
    if (!used[i]) ++extraOf[r.type & 127];
  }
  for (int t = 0; t < 128; ++t)
    if (drawnOf[t] || extraOf[t])
      std::printf("  type %3d: drawn %3d, found %3d, extra %3d\n", t, drawnOf[t], foundOf[t], extraOf[t]);
  std::printf("space %2d, %d staves: big symbols %.3f s, articulation %.3f s, appendages %.3f s; "
              "recall %.2f (%d of %zu), precision %.2f (%d records)\n",
              space, staves, big, articulation, appendages, truth.empty() ? 0.0 : double(found) / truth.size(), found,
              truth.size(), live ? double(found) / live : 0.0, live);
}

// The appendage step alone: staves of crotchet heads, each with or without
// a sharp, flat, natural or double sharp before it and a dot after it (the
// heads are given as the engine would list them). Prints the step's time and
// what it found of the drawn accidentals and dots.
void RunAppendagePage(int space, int staves) {
  const int width = 60 * space, height = (staves * 9 + 4) * space;
  StaveScene scene(width, height, space);
  ArtPage copy(width, height);  // the working copy: the glyphs without the lines
  std::vector<NoteRecord> notes(kNoteListCapacity);
  std::vector<SymbolRecord> symbols(kSymbolListCapacity);
  uint32_t noteCount = 0, symbolCount = 0;
  struct Drawn {
    int accidental, dots;
  };
  std::vector<Drawn> drawn;
  const char* glyphs[] = {nullptr, "natural", "sharp", "flat", "double-sharp"};
  const int kinds[] = {0, 128, 129, 130, 131};
  const std::string head = "head-black-" + std::to_string(space);
  int k = 0;
  for (int s = 0; s < staves; ++s) {
    scene.AddStave((4 + 9 * s) * space, space, width - space);
    for (int x = scene.rows[s].left + 3 * space; x < scene.rows[s].right - 4 * space; x += 4 * space, ++k) {
      const int step = 14 + k % 7;  // record steps: 20 is the top line
      const int y = scene.StepY(s, 24 - step);
      const int a = k % 5;
      const int dots = (k / 5) % 2;
      if (glyphs[a]) {
        StampGlyph(scene.page, SymbolGlyph(glyphs[a], space), x, y);
        StampGlyph(copy, SymbolGlyph(glyphs[a], space), x, y);
      }
      const int hx = x + 8 * space / 5;
      const ArtBox box = StampGlyph(scene.page, FixtureGlyph(head), hx, y);
      StampGlyph(copy, FixtureGlyph(head), hx, y);
      if (dots) {
        const int dotY = scene.StepY(s, 24 - (step % 2 == 0 ? step + 1 : step));  // a head on a line: the space above
        StampGlyph(scene.page, SymbolGlyph("dot", space), box.right + space / 2, dotY);
        StampGlyph(copy, SymbolGlyph("dot", space), box.right + space / 2, dotY);
      }
      NoteRecord& n = notes[noteCount++];
      n.left = static_cast<int16_t>(box.left);
      n.right = static_cast<int16_t>(box.right);
      n.top = static_cast<int16_t>(box.top);
      n.bottom = static_cast<int16_t>(box.bottom);
      n.step = static_cast<int16_t>(step);
      n.kind = kNoteCrotchet;
      n.origin = 100;
      n.space = static_cast<int16_t>(space);
      n.stave = static_cast<int16_t>(s);
      n.staveTopY = static_cast<int16_t>(scene.rows[s].top);
      drawn.push_back({kinds[a], dots});
    }
  }
  scene.geometry.resolution = space * 15;
  AppendagePage app;
  app.image = scene.page.Bits();
  app.copy = copy.Bits();
  app.strideWords = static_cast<uint32_t>(scene.page.strideWords);
  app.width = width;
  app.height = height;
  app.rows = scene.rows.data();
  app.rowCount = staves;
  app.geometry = &scene.geometry;
  const auto t0 = std::chrono::steady_clock::now();
  ReadAppenditures(app, notes.data(), noteCount, symbols.data(), symbolCount, ShippedShapeDatabase());
  const double seconds = Seconds(t0);

  int drawnOf[5] = {}, foundOf[5] = {}, extra = 0, dotsDrawn = 0, dotsFound = 0, dotsExtra = 0;
  for (size_t i = 0; i < drawn.size() && i < noteCount; ++i) {
    const NoteRecord& n = notes[i];
    const int a = static_cast<int>(std::find(kinds, kinds + 5, drawn[i].accidental) - kinds);
    ++drawnOf[a];
    bool right = a == 0;
    for (int p = 0; p < n.appenditureCount && p < kMaxAppenditures; ++p) {
      const int kind = n.appenditures[p].kind;
      if (kind < 128 || kind > 134) continue;
      if (kind == drawn[i].accidental && !right) right = true;
      else ++extra;
    }
    if (right) ++foundOf[a];
    dotsDrawn += drawn[i].dots;
    dotsFound += std::min<int>(n.dots, drawn[i].dots);
    dotsExtra += std::max<int>(0, n.dots - drawn[i].dots);
  }
  std::printf("space %2d, %d staves, %u heads: appendages %.3f s; accidentals found (natural, sharp, flat, double "
              "sharp) %d/%d %d/%d %d/%d %d/%d, extra %d; heads without one left bare %d/%d; dots %d/%d, extra %d\n",
              space, staves, noteCount, seconds, foundOf[1], drawnOf[1], foundOf[2], drawnOf[2], foundOf[3], drawnOf[3],
              foundOf[4], drawnOf[4], extra, foundOf[0], drawnOf[0], dotsFound, dotsDrawn, dotsExtra);
}

}  // namespace

int main(int argc, char** argv) {
  const int staves = argc > 1 ? std::max(1, std::atoi(argv[1])) : 4;
  for (int space : {20, 37}) RunPage(space, staves);
  for (int space : {20, 37}) RunAppendagePage(space, staves);
  return 0;
}
