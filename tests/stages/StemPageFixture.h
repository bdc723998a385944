// A synthetic 300-dpi page for the note-value tests: five-line staves of
// spacing 20 (stave unit 3), solid heads, stems, beams and flags drawn with
// the page synthesiser, and the note records the notehead step would make
// for them.
#pragma once

#include <cmath>
#include <vector>

#include "reading/RecognitionRecords.h"
#include "reading/StaveSpacing.h"
#include "stages/NoteValueStep.h"
#include "tests/Code/Quorm/PageSynth.h"

class StemPage {
 public:
  static constexpr int kSpacing = 20;
  static constexpr int kUnit = 3;

  explicit StemPage(int width = 1400, int height = 1000)
      : page_(width, height), notes_(kNoteListCapacity), symbols_(kSymbolListCapacity) {}

  // A stave of the group (number within the group from 0) with its top line at y.
  int Staff(int top, int group = 0, int left = 60, int right = 1340) {
    StaveRow& r = rows_[staveCount_];
    r.left = static_cast<int16_t>(left);
    r.right = static_cast<int16_t>(right);
    r.top = static_cast<int16_t>(top);
    r.bottom = static_cast<int16_t>(top + 4 * kSpacing);
    r.lineCount = 5;
    r.lineThickness = 2;
    r.group = static_cast<int16_t>(group);
    int number = 1;
    for (int s = 0; s < staveCount_; ++s)
      if (rows_[s].group == group) ++number;
    r.number = static_cast<int16_t>(number);
    for (int k = 0; k < 5; ++k) page_.FillRect(top + k * kSpacing - 1, left, top + k * kSpacing + 1, right);
    return staveCount_++;
  }

  // Centre y of a step (lines 12..20, top line 20) on a stave.
  int StepY(int stave, int step) const { return rows_[stave].top + (20 - step) * kSpacing / 2; }

  // A solid head centred on the step at column cx (box 24 x 18); its index.
  int Head(int stave, int step, int cx, uint32_t kind = kNoteCrotchet, bool draw = true) {
    const int cy = StepY(stave, step);
    if (draw) page_.FillEllipse(cy, cx, 9, 12);
    NoteRecord& n = notes_[noteCount_];
    n = NoteRecord{};
    n.left = static_cast<int16_t>(cx - 12);
    n.right = static_cast<int16_t>(cx + 12);
    n.top = static_cast<int16_t>(cy - 9);
    n.bottom = static_cast<int16_t>(cy + 9);
    n.step = static_cast<int16_t>(step);
    n.kind = kind;
    n.stave = static_cast<int16_t>(rows_[stave].number - 1);
    n.confidence = 80;
    n.origin = 6;
    n.space = kSpacing;
    return static_cast<int>(noteCount_++);
  }

  // The stem of candidate c (0 up-left, 1 up-right, 2 down-left, 3
  // down-right), length pixels from the head's centre; gives the note the
  // candidate the engine would report. Returns the x of the stem's far end.
  int Stem(int note, int c, int length, bool draw = true) {
    NoteRecord& n = notes_[note];
    const int cy = (n.top + n.bottom) / 2;
    const int x = (c == 0 || c == 2) ? n.left + 1 : n.right - 1;
    if (draw) {
      if (c < 2)
        page_.FillRect(cy - length, x - 1, cy + 1, x + 2);
      else
        page_.FillRect(cy, x - 1, cy + length + 1, x + 2);
    }
    const int len = length / kSpacing;
    n.stemLength[c] = static_cast<int16_t>(len);
    n.stemOffset[c] = static_cast<int16_t>((4 * kUnit + 1) | ((len + 1) << 8));
    return x;
  }

  // A band of the thickness whose top runs from (x0, y0) to (x1, y1).
  void Beam(int x0, double y0, int x1, double y1, int thickness) { DrawBeam(page_, x0, y0, x1 + 2, y1, thickness); }

  // A flag hanging from (x, y) to the right, falling (down true) or rising
  // 1.5 pixels per column over width columns.
  void Flag(int x, int y, bool down, int width = 26, int thickness = 13) {
    for (int dx = 0; dx < width; ++dx) {
      const int yy = y + static_cast<int>((down ? 1.5 : -1.5) * dx);
      if (down)
        page_.FillRect(yy, x + dx, yy + thickness, x + dx + 1);
      else
        page_.FillRect(yy - thickness, x + dx, yy, x + dx + 1);
    }
  }

  NoteValueWork Work() {
    geometry_.image = Image();
    geometry_.resolution = 300;
    NoteValueWork w;
    w.image = Image();
    w.geometry = &geometry_;
    w.rows = rows_;
    w.staveCount = staveCount_;
    w.firstStave = 0;
    w.notes = notes_.data();
    w.noteCount = &noteCount_;
    w.symbols = symbols_.data();
    w.symbolCount = &symbolCount_;
    return w;
  }

  PageImage Image() {
    PageImage image;
    image.rows = reinterpret_cast<uint8_t*>(page_.bits());
    image.width = page_.width();
    image.height = page_.height();
    image.rowBytes = static_cast<size_t>(page_.wordsPerRow()) * 4;
    image.bitsPerPixel = 1;
    return image;
  }

  SynthPage& page() { return page_; }
  NoteRecord& note(int i) { return notes_[i]; }
  uint32_t noteCount() const { return noteCount_; }
  SymbolRecord* symbols() { return symbols_.data(); }
  uint32_t& symbolCount() { return symbolCount_; }
  StaveRow* rows() { return rows_; }
  int staveCount() const { return staveCount_; }

 private:
  SynthPage page_;
  StaveRow rows_[kMaxPageStaves] = {};
  int staveCount_ = 0;
  std::vector<NoteRecord> notes_;
  uint32_t noteCount_ = 0;
  std::vector<SymbolRecord> symbols_;
  uint32_t symbolCount_ = 0;
  StavePage geometry_;
};

// Zero-filled stem side records beside a fixture's notes, for the passes
// that run after the scans.
struct StemArrays {
  std::vector<StemRecord> arrays[4];
  StemArrays() {
    for (auto& a : arrays) a.assign(kNoteListCapacity, StemRecord{});
  }
  void Attach(NoteValueWork& work) {
    for (int c = 0; c < 4; ++c) work.stems[c] = arrays[c].data();
  }
  StemRecord& at(int c, int i) { return arrays[c][i]; }
};
