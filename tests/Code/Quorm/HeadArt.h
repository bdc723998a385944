// Drawing helpers for the notehead tests: Emmentaler noteheads rendered by
// tools/render_glyphs.py (fixtures/glyphs/), stamped onto synthesised staves,
// and the head references the tests build from the same glyphs with the
// reference maker.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/Code/Quorm/EngineDataFolder.h"
#include "tests/Code/Quorm/PageSynth.h"
#include "tools/refmaker/RefMaker.h"

// The head kinds of the fixtures and the model each is found as.
enum class HeadKind { kBlack, kHalf, kWhole, kSmall };
constexpr HeadKind kHeadKinds[] = {HeadKind::kBlack, HeadKind::kHalf, HeadKind::kWhole, HeadKind::kSmall};
int ModelOfKind(HeadKind kind);
const char* NameOfKind(HeadKind kind);

// The staff spaces the references are made at (the glyphs are rendered at
// these and at 60 pixels).
const std::vector<int>& GlyphStaffSpaces();
// The fixture glyph of a kind at a rendered staff space (a failed assertion
// of the running test when it cannot be read).
const refmaker::GlyphImage& HeadGlyph(HeadKind kind, int staffSpace);

// A head stamped on the page: the columns of its ink (right excluded), its
// centre row, and the engine's staff step.
struct PaintedHead {
  int left;
  int right;
  double row;
  int step;
  HeadKind kind;
};
// Stamps the glyph of the kind with its left side at column x and its centre
// on the painter's step (0 = top line, as StaffPainter counts) of the staff.
PaintedHead StampHead(SynthPage& page, const StaffPainter& painter, int staff, int painterStep, int x, HeadKind kind);
// A stem of the line thickness x 1.2 from the head's centre, up on its right
// side or down on its left, 3.5 staff spaces long.
void DrawStemFor(SynthPage& page, const PaintedHead& head, double staffSpace, bool up);

// A note as the notehead stage's pages draw it: the head stamped as
// StampHead does, a stem (none on a whole head; up from the middle line
// down, as DrawStemFor) and the ledger lines out to the head, three pixels
// thick and a third of a space wider than the head on each side.
PaintedHead StampNote(SynthPage& page, const StaffPainter& painter, int staff, int painterStep, int x, HeadKind kind);

// The reference set the tests read with: one reference per head kind and
// place, from the glyphs at every rendered staff space.
const std::vector<NoteheadReference>& TestHeadReferences();
// The music symbol reference file ("Learned\fssOLD") the tests read with,
// made from the symbol glyph fixtures at their rendered staff spaces.
std::vector<uint8_t> TestSymbolReferenceFile();

// An engine folder whose "Learned\nhOLD" holds the given references (the
// test references by default). While it lives StartEngine and
// LoadMusicReferences read them.
class HeadReferenceFolder {
 public:
  HeadReferenceFolder();
  explicit HeadReferenceFolder(const std::vector<NoteheadReference>& references);

 private:
  EngineDataFolder folder_;
};

// Runs the staff stage on the page, loads the references and runs the steps
// of page reading up to the noteheads (scale, object points, ledger lines,
// bar lines, noteheads). false (with a test failure) when the staff stage or
// the loading fails.
bool FindHeadsOn(const SynthPage& page);
// The same after a staff stage that has run already.
bool FindHeadsAfterStaffStage();
