// The notehead stage after the engine has read a synthesised 300-dpi page:
// every head of every class, on lines, in spaces and on ledger lines, comes
// into the note list once, from the engine or, where the engine has no note,
// from the stage's own search.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Quorm.h"
#include "platform/ShellFlags.h"
#include "reading/StaveSpacing.h"
#include "stages/NoteRecords.h"
#include "stages/NoteheadStep.h"
#include "tests/Code/Quorm/HeadArt.h"
#include "tests/Code/Quorm/PageSynth.h"
#include "tests/stages/HeadStagePage.h"
#include "tools/refmaker/RefMaker.h"

// The page description's build side (Code/Quorm/Mscript.h, whose note-type
// names would clash with the note kinds of the records).
void FreePageDescription();
void ResetPageDescription(const char* title);
int32_t AddPageDescription(const char* imageName);

namespace {

constexpr int kSpacing = 20;
constexpr int kTop = 200;

uint32_t KindOf(HeadKind kind) {
  return kind == HeadKind::kBlack ? kNoteCrotchet : kind == HeadKind::kHalf ? kNoteMinim : kNoteSemibreve;
}

// With searchAlone the engine's notes are dropped from its page description
// before the stage runs: the stage's own search must find every head.
class NoteheadStageAfterTheEngine : public ::testing::TestWithParam<bool> {};

TEST_P(NoteheadStageAfterTheEngine, EveryHeadOnceOnLinesSpacesAndLedgers) {
  const bool searchAlone = GetParam();
  NoteheadStageData data;
  ASSERT_TRUE(data.Loaded());
  Flags().abort = 0;

  SynthPage page(1500, 600);
  StaffPainter painter(page);
  SynthStaff staff;
  staff.top = kTop;
  staff.left = 60;
  staff.right = 1440;
  staff.spacing = kSpacing;
  staff.thickness = refmaker::LineThicknessFor(kSpacing);
  painter.AddStaff(staff);
  // Painter steps: 0 top line, 8 bottom line; -2 and 10 the first ledgers.
  const struct {
    HeadKind kind;
    int painterStep;
  } wanted[] = {
      {HeadKind::kBlack, 4}, {HeadKind::kBlack, 3},  {HeadKind::kBlack, -2}, {HeadKind::kBlack, 10},
      {HeadKind::kHalf, 6},  {HeadKind::kHalf, 5},   {HeadKind::kHalf, -2},  {HeadKind::kHalf, 11},
      {HeadKind::kWhole, 2}, {HeadKind::kWhole, 7}, {HeadKind::kWhole, 10}, {HeadKind::kWhole, -3},
  };
  std::vector<PaintedHead> heads;
  int x = 150;
  for (const auto& w : wanted) {
    heads.push_back(StampNote(page, painter, 0, w.painterStep, x, w.kind));
    x += 100;
  }

  ASSERT_EQ(StartEngine(), 0);
  ASSERT_EQ(LoadPageImage(page.bits(), page.width(), page.height(), 0), kEngineOk);
  ASSERT_EQ(RunStaffStage(1, nullptr, nullptr), 0);
  ASSERT_EQ(RecognisePage(1.0f, nullptr, nullptr), 0);

  StaveRow row;
  row.left = static_cast<int16_t>(staff.left);
  row.right = static_cast<int16_t>(staff.right - 1);
  row.top = kTop;
  row.bottom = kTop + 4 * kSpacing;
  row.lineCount = 5;
  row.lineThickness = static_cast<int16_t>(staff.thickness);
  row.midX = static_cast<int16_t>((staff.left + staff.right) / 2);
  row.midTop = kTop;
  row.rightTop = kTop;
  row.number = 1;
  HeadStagePage stage(page, 300);
  std::vector<NoteRecord> notes(kNoteListCapacity);
  uint32_t count = 0;
  if (searchAlone) {
    FreePageDescription();
    ResetPageDescription("title");
    AddPageDescription("page.tif");
  }
  const int result = FindNoteheads(stage.image, &row, 1, 0, notes.data(), count, 0, 0, stage.geometry);
  FreePageBitmap();
  CloseEngine();
  ASSERT_EQ(result, 1);

  std::ostringstream found;
  for (uint32_t i = 0; i < count; ++i)
    found << " [" << notes[i].left << ".." << notes[i].right << " step " << notes[i].step << " kind "
          << notes[i].kind << " origin " << notes[i].origin << " q " << notes[i].quality << "]";
  for (size_t i = 0; i < heads.size(); ++i) {
    const PaintedHead& h = heads[i];
    const int step = 20 - wanted[i].painterStep;
    const int centre = (h.left + h.right) / 2;
    int n = 0;
    for (uint32_t k = 0; k < count; ++k) {
      const NoteRecord& r = notes[k];
      if (r.quality < kRejectedQuality && r.left <= centre && r.right >= centre && r.step == step &&
          (r.kind == KindOf(h.kind) || (h.kind == HeadKind::kBlack && r.kind < kNoteCrotchet)))
        ++n;
    }
    EXPECT_EQ(n, 1) << NameOfKind(h.kind) << " at painter step " << wanted[i].painterStep << "; found:" << found.str();
  }
  EXPECT_LE(count, heads.size()) << found.str();
  for (uint32_t k = 0; k < count; ++k)
    EXPECT_EQ(notes[k].origin, searchAlone ? kSearchOrigin : kEngineOrigin) << found.str();
}

INSTANTIATE_TEST_SUITE_P(EngineOrSearch, NoteheadStageAfterTheEngine, ::testing::Values(false, true));

}  // namespace
