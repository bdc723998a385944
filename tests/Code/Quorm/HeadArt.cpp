#include "tests/Code/Quorm/HeadArt.h"

#include <cmath>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findledg.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Muslref.h"
#include "Code/Quorm/findbarl.h"
#include "tests/Code/Quorm/StaffStageHelpers.h"
#include "tests/support/TestPaths.h"

int ModelOfKind(HeadKind kind) {
  switch (kind) {
    case HeadKind::kBlack: return 0;
    case HeadKind::kHalf: return 1;
    case HeadKind::kWhole: return 2;
    case HeadKind::kSmall: return 4;
  }
  return -1;
}

const char* NameOfKind(HeadKind kind) {
  switch (kind) {
    case HeadKind::kBlack: return "black";
    case HeadKind::kHalf: return "half";
    case HeadKind::kWhole: return "whole";
    case HeadKind::kSmall: return "small";
  }
  return "?";
}

const std::vector<int>& GlyphStaffSpaces() { return refmaker::HeadReferenceStaffSpaces(); }

const refmaker::GlyphImage& HeadGlyph(HeadKind kind, int staffSpace) {
  static std::map<std::pair<int, int>, refmaker::GlyphImage> cache;
  const auto key = std::make_pair(static_cast<int>(kind), staffSpace);
  auto found = cache.find(key);
  if (found != cache.end()) return found->second;
  refmaker::GlyphImage image;
  std::string error;
  const std::u16string folder = SourcePath("tests/Code/Quorm/fixtures/glyphs");
  if (!refmaker::ReadGlyphImage(refmaker::HeadGlyphFile(folder, NameOfKind(kind), staffSpace), &image, &error))
    ADD_FAILURE() << error;
  return cache[key] = image;
}

PaintedHead StampHead(SynthPage& page, const StaffPainter& painter, int staff, int painterStep, int x, HeadKind kind) {
  const int s = static_cast<int>(std::lround(painter.staff(staff).spacing));
  const refmaker::GlyphImage& glyph = HeadGlyph(kind, s);
  const double row = painter.StepY(staff, painterStep, x + glyph.width / 2.0);
  const int centre = static_cast<int>(std::lround(row));
  const int top = centre - glyph.originRow;
  for (int y = 0; y < glyph.height; ++y)
    for (int c = 0; c < glyph.width; ++c)
      if (glyph.Ink(y, c)) page.Set(top + y, x + c);
  return PaintedHead{x, x + glyph.width, row, painterStep - 4, kind};
}

void DrawStemFor(SynthPage& page, const PaintedHead& head, double staffSpace, bool up) {
  const int width = std::max(1, static_cast<int>(std::lround(staffSpace * 0.12)));
  const int length = static_cast<int>(std::lround(3.5 * staffSpace));
  const int centre = static_cast<int>(std::lround(head.row));
  if (up)
    page.FillRect(centre - length, head.right - width, centre, head.right);
  else
    page.FillRect(centre, head.left, centre + length, head.left + width);
}

PaintedHead StampNote(SynthPage& page, const StaffPainter& painter, int staff, int painterStep, int x, HeadKind kind) {
  const int spacing = static_cast<int>(std::lround(painter.staff(staff).spacing));
  const PaintedHead h = StampHead(page, painter, staff, painterStep, x, kind);
  if (kind != HeadKind::kWhole) DrawStemFor(page, h, spacing, painterStep >= 4);
  for (int ledger = -2; ledger >= painterStep; ledger -= 2) {
    const int y = static_cast<int>(painter.StepY(staff, ledger, x));
    page.FillRect(y - 1, h.left - spacing / 3, y + 1, h.right + spacing / 3);
  }
  for (int ledger = 10; ledger <= painterStep; ledger += 2) {
    const int y = static_cast<int>(painter.StepY(staff, ledger, x));
    page.FillRect(y - 1, h.left - spacing / 3, y + 1, h.right + spacing / 3);
  }
  return h;
}

const std::vector<NoteheadReference>& TestHeadReferences() {
  static std::vector<NoteheadReference> references;
  if (!references.empty()) return references;
  InitialiseIntMath();
  InitialiseEdgeFeatureTables();
  std::vector<refmaker::HeadGlyphs> glyphs;
  std::string error;
  if (!refmaker::LoadHeadGlyphs(SourcePath("tests/Code/Quorm/fixtures/glyphs"), &glyphs, &error))
    ADD_FAILURE() << error;
  references = refmaker::MakeHeadReferences(glyphs, refmaker::HeadReferenceOptions());
  return references;
}

HeadReferenceFolder::HeadReferenceFolder() : HeadReferenceFolder(TestHeadReferences()) {}

HeadReferenceFolder::HeadReferenceFolder(const std::vector<NoteheadReference>& references) {
  folder_.Write(u"Learned\\nhOLD", refmaker::NoteheadReferenceFileBytes(references));
}

bool FindHeadsOn(const SynthPage& page) {
  const int staged = RunStaffStageOn(page);
  EXPECT_EQ(staged, 0) << LastStaffFinderCode();
  if (staged != 0) return false;
  return FindHeadsAfterStaffStage();
}

bool FindHeadsAfterStaffStage() {
  InitialiseIntMath();
  InitialiseEdgeFeatureTables();
  EngineCode loaded = LoadMusicReferences();
  EXPECT_EQ(loaded, kEngineOk) << loaded;
  if (loaded != kEngineOk) return false;
  MeasurePageSkew();
  InitialiseObjectPoints();
  DetectLedgerLines();
  FindBarLines();
  DetectNoteheads();
  return true;
}

std::vector<uint8_t> TestSymbolReferenceFile() {
  InitialiseIntMath();  // the features are the engine's own
  InitialiseEdgeFeatureTables();
  std::vector<refmaker::SymbolGlyphs> glyphs;
  std::string error;
  if (!refmaker::LoadSymbolGlyphs(SourcePath("tests/Code/Quorm/fixtures/glyphs"),
                                  refmaker::SymbolReferenceStaffSpaces(), &glyphs, &error))
    ADD_FAILURE() << error;
  return refmaker::MusicReferenceFileBytes(
      refmaker::MakeSymbolReferences(glyphs, refmaker::SymbolReferenceOptions()));
}
