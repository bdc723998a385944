// Times the notehead stage against the engine on synthesised pages: an A4
// page at 300 dpi and one at 600 dpi, ten staves of solid, hollow and whole
// heads on lines, spaces and ledger lines, with stems. Prints the engine's
// time (staff stage and page reading) and the stage's time per page, and the
// records it made. Not a test: run it from a Release build, with
// KV_SOURCE_DIR set to the source tree (the head references and the
// notation templates are read from it).
//
//   notehead_bench
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Quorm.h"
#include "platform/ShellFlags.h"
#include "reading/StaveSpacing.h"
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

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

// Ten staves of heads every three spaces.
void DrawPage(SynthPage& page, int spacing, uint32_t seed) {
  StaffPainter painter(page);
  std::mt19937 random(seed);
  const int margin = page.width() / 12;
  for (int s = 0; s < 10; ++s) {
    SynthStaff staff;
    staff.top = page.height() / 12 + s * (page.height() * 10 / 12) / 10;
    staff.left = margin;
    staff.right = page.width() - margin;
    staff.spacing = spacing;
    staff.thickness = refmaker::LineThicknessFor(spacing);
    painter.AddStaff(staff);
    for (int x = margin + 4 * spacing; x < page.width() - margin - 3 * spacing; x += 3 * spacing) {
      const HeadKind kind = kHeadKinds[random() % 3];
      const int step = static_cast<int>(random() % 15) - 3;
      StampNote(page, painter, s, step, x, kind);
    }
  }
}

// The engine's staves as the reading thread's rows.
std::vector<StaveRow> RowsOfEngine() {
  std::vector<StaveRow> rows;
  for (int32_t s = 0; s < GetStaffCount(); ++s) {
    StaveRow r;
    r.left = static_cast<int16_t>(GetStaffLeftX(s));
    r.right = static_cast<int16_t>(GetStaffRightX(s) - 1);
    r.top = static_cast<int16_t>(StaffLineY(s, 0, r.left));
    r.bottom = static_cast<int16_t>(StaffLineY(s, GetStaffLineCount(s) - 1, r.left));
    r.lineCount = static_cast<int16_t>(GetStaffLineCount(s));
    r.lineThickness = static_cast<int16_t>(std::max(1, (GetStaffLineThickness(s) + 512) >> 10));
    r.midX = static_cast<int16_t>((r.left + r.right) / 2);
    r.midTop = static_cast<int16_t>(StaffLineY(s, 0, r.midX));
    r.rightTop = static_cast<int16_t>(StaffLineY(s, 0, r.right));
    r.group = static_cast<int16_t>(GetStaffSystem(s));
    r.number = static_cast<int16_t>(GetStaffIndexInSystem(s) + 1);
    rows.push_back(r);
  }
  return rows;
}

void TimePage(const char* name, int width, int height, int spacing, int resolution) {
  SynthPage page(width, height);
  DrawPage(page, spacing, 7);
  const Clock::time_point t0 = Clock::now();
  if (StartEngine() != 0 || LoadPageImage(page.bits(), page.width(), page.height(), 0) != kEngineOk ||
      RunStaffStage(1, nullptr, nullptr) != 0 || RecognisePage(1.0f, nullptr, nullptr) != 0) {
    std::printf("%-10s the engine failed\n", name);
    CloseEngine();
    return;
  }
  const Clock::time_point t1 = Clock::now();
  std::vector<StaveRow> rows = RowsOfEngine();
  HeadStagePage head(page, resolution);
  std::vector<NoteRecord> notes(kNoteListCapacity);
  uint32_t count = 0;
  auto stage = [&](const char* what) {
    count = 0;
    const Clock::time_point t2 = Clock::now();
    int groupStart = 0;
    for (int s = 0; s < static_cast<int>(rows.size()) && s < kStaveSlots; ++s) {
      if (s > 0 && rows[s].group != rows[s - 1].group) groupStart = s;
      SetStaveUnits(rows.data(), s, resolution);
      FindNoteheads(head.image, rows.data(), static_cast<int>(rows.size()), s, notes.data(), count,
                    static_cast<int16_t>(rows[s].number - 1), groupStart, head.geometry);
    }
    const Clock::time_point t3 = Clock::now();
    int searched = 0;
    for (uint32_t i = 0; i < count; ++i) searched += notes[i].origin == 6 ? 1 : 0;
    std::printf("%-10s %5dx%-5d staves %2zu  engine %8.1f ms  %-16s %8.1f ms  records %4u (searched %d)\n", name,
                width, height, rows.size(), Ms(t0, t1), what, Ms(t2, t3), count, searched);
  };
  stage("noteheads");
  // The same staves with no notes from the engine: the stage's own search
  // examines every head.
  FreePageDescription();
  ResetPageDescription("bench");
  AddPageDescription("page");
  stage("search alone");
  FreePageBitmap();
  CloseEngine();
}

}  // namespace

int main() {
  NoteheadStageData data;
  if (!data.Loaded()) {
    std::printf("the notation templates could not be read (is KV_SOURCE_DIR set?)\n");
    return 1;
  }
  Flags().abort = 0;
  TimePage("300 dpi", 2480, 3508, 20, 300);
  TimePage("600 dpi", 4960, 7016, 45, 600);
  return 0;
}
