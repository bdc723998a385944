// Times the slur, tie and hairpin stage on synthesised pages (300 and 600
// dpi: five systems of two staves, slurs above every stave and hairpins
// below it) and scores what it found against what was drawn: slurs by
// their two ends, hairpins by their first line.
//
//   curve_bench [number of repeats, default 3]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "pages/PageData.h"
#include "platform/Settings.h"
#include "reading/ReadingThread.h"
#include "reading/StaveGeometry.h"
#include "stages/SlursTiesHairpins.h"
#include "tests/Code/Quorm/CurveArt.h"
#include "tests/Code/Quorm/PageSynth.h"

namespace {

struct Truth {
  int x0, x1;
};

struct Tally {
  int drawn = 0, found = 0, right = 0;
  void Print(const char* what) const {
    const double precision = found ? double(right) / found : 1.0;
    const double recall = drawn ? double(right) / drawn : 1.0;
    std::printf("  %-9s drawn %3d found %3d right %3d  precision %.3f recall %.3f\n", what, drawn, found, right,
                precision, recall);
  }
};

void RunPage(int dpi, int repeats) {
  const int spacing = dpi / 15;
  const int width = dpi * 33 / 4, height = dpi * 11;
  SynthPage synth(width, height);
  StaffPainter painter(synth);
  std::unique_ptr<PageData> page = std::make_unique<PageData>();
  page->width = static_cast<uint32_t>(width);
  page->height = static_cast<uint32_t>(height);
  page->resolution = dpi;
  StaveRow rows[kMaxPageStaves];
  std::vector<Truth> slurs, hairpins;
  std::vector<std::vector<NoteRecord>> notesOfGroup(5);
  const int left = dpi / 2, right = width - dpi / 2;
  int count = 0;
  for (int g = 0; g < 5; ++g) {
    for (int k = 0; k < 2; ++k, ++count) {
      const int top = dpi + g * (dpi * 2) + k * (spacing * 10);
      SynthStaff staff;
      staff.top = top;
      staff.left = left;
      staff.right = right;
      staff.spacing = spacing;
      staff.thickness = std::max(2, dpi / 150);
      painter.AddStaff(staff);
      StaveRow& row = rows[count];
      row = StaveRow{};
      row.left = static_cast<int16_t>(left);
      row.right = static_cast<int16_t>(right - 1);
      row.top = row.midTop = row.rightTop = static_cast<int16_t>(top);
      row.bottom = static_cast<int16_t>(top + 4 * spacing);
      row.lineCount = 5;
      row.lineThickness = static_cast<int16_t>(staff.thickness);
      row.group = static_cast<int16_t>(g);
      row.number = static_cast<int16_t>(k + 1);
      // Slurs above the upper stave of a system, hairpins below the lower.
      const int w = (right - left) / 4;
      for (int j = 0; k == 0 && j < 3; ++j) {
        const int x0 = left + spacing * 4 + j * (w + spacing * 3);
        DrawSlur(synth, SynthSlur{double(x0), top - 1.5 * spacing, double(x0 + w), top - 1.5 * spacing,
                                  -spacing * 1.2, dpi / 200.0, dpi / 75.0});
        slurs.push_back({x0, x0 + w});
      }
      for (int j = 0; k == 1 && j < 4; ++j) {
        const int x0 = left + spacing * 6 + j * (spacing * 20);
        const int x1 = x0 + spacing * 8;
        if (j % 2 == 0)
          DrawWedge(synth, row.bottom + 3.0 * spacing, x0, x1, spacing * 0.7, dpi / 150.0);
        else
          DrawWedge(synth, row.bottom + 3.0 * spacing, x1, x0, spacing * 0.7, dpi / 150.0);
        hairpins.push_back({x0, x1});
        NoteRecord note{};
        note.left = static_cast<int16_t>(x0 - spacing / 2);
        note.right = static_cast<int16_t>(x0 + spacing / 2);
        note.top = static_cast<int16_t>(top + spacing);
        note.bottom = static_cast<int16_t>(top + 2 * spacing);
        note.kind = kNoteCrotchet;
        note.stave = static_cast<int16_t>(k);
        note.space = static_cast<int16_t>(spacing);
        notesOfGroup[g].push_back(note);
      }
    }
  }

  uint32_t curveTotal = 0;
  uint32_t lineTotal = 0;
  Tally slurTally, hairpinTally;
  slurTally.drawn = static_cast<int>(slurs.size());
  hairpinTally.drawn = static_cast<int>(hairpins.size());
  double seconds = 0;
  for (int r = 0; r < repeats; ++r) {
    slurTally.found = slurTally.right = hairpinTally.found = hairpinTally.right = 0;
    for (int g = 0; g < 5; ++g) {
      ReadingWorkLists lists;
      if (!AllocateWorkLists(&lists)) return;
      for (const NoteRecord& n : notesOfGroup[g]) lists.notes[lists.noteCount++] = n;
      StageContext context;
      context.page = page.get();
      context.image = reinterpret_cast<uint8_t*>(synth.bits());
      context.strideWords = static_cast<uint32_t>(synth.wordsPerRow());
      context.rows = rows;
      context.staveCount = count;
      context.lists = &lists;
      context.firstStave = 2 * g;
      const auto t0 = std::chrono::steady_clock::now();
      FindSlursTiesHairpins(context);
      seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
      const CurveItem* curves = reinterpret_cast<const CurveItem*>(lists.curvesA);
      const LineItem* lines = reinterpret_cast<const LineItem*>(lists.curvesB);
      for (uint32_t i = 0; i < lists.curveACount; ++i) {
        ++slurTally.found;
        for (const Truth& t : slurs)
          if (std::abs(curves[i].x0 - t.x0) < 2 * spacing && std::abs(curves[i].x1 - t.x1) < 2 * spacing) {
            ++slurTally.right;
            break;
          }
      }
      for (uint32_t i = 0; i < lists.curveBCount; ++i) {
        if (lines[i].halfOpening == 0) continue;
        ++hairpinTally.found;
        for (const Truth& t : hairpins)
          if (std::abs(lines[i].x0 - t.x0) < 2 * spacing && std::abs(lines[i].x1 - t.x1) < 2 * spacing) {
            ++hairpinTally.right;
            break;
          }
      }
      curveTotal += lists.curveACount;
      lineTotal += lists.curveBCount;
      FreeWorkLists(&lists);
    }
  }
  std::printf("%d dpi page %dx%d, %d staves: %.1f ms per page (%d runs), %u curves and %u lines a run\n", dpi, width,
              height, count, 1000.0 * seconds / repeats, repeats, curveTotal / repeats, lineTotal / repeats);
  slurTally.Print("slurs");
  hairpinTally.Print("hairpins");
}

}  // namespace

int main(int argc, char** argv) {
  const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  General().readSlursHairpinsAndTies = true;
  StaveLookup().readingActive = true;  // the stave lines traced as while a page is read
  RunPage(300, repeats);
  RunPage(600, repeats);
  return 0;
}
