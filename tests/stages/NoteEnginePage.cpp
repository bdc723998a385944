#include "tests/stages/NoteEnginePage.h"

#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Mscript.h"
#include "tests/Code/Quorm/StaffFixture.h"

NoteEnginePage::NoteEnginePage() {
  FreeNoteheads();
  FreeFixedSymbols();
  LoadHandPage(1200, 1600, 20);
}

NoteEnginePage::~NoteEnginePage() {
  FreeHandPage();
  FreeNoteheads();
  FreeFixedSymbols();
}

int NoteEnginePage::AddStave(int32_t system, int32_t top, int32_t spacing, int32_t lines) {
  StaveRow row;
  row.left = 50;
  row.right = 1150;
  row.top = static_cast<int16_t>(top);
  row.bottom = static_cast<int16_t>(top + spacing * (lines - 1));
  row.lineCount = static_cast<int16_t>(lines);
  row.lineThickness = 2;
  row.midX = 600;
  row.midTop = row.top;
  row.rightTop = row.top;
  row.kind = static_cast<int16_t>(lines <= 3 ? 2 : 0);
  row.group = static_cast<int16_t>(system);
  int number = 1;
  for (const StaveRow& r : rows)
    if (r.group == system) ++number;
  row.number = static_cast<int16_t>(number);
  rows.push_back(row);
  spacing_.push_back(spacing);
  return static_cast<int>(rows.size()) - 1;
}

void NoteEnginePage::Describe() {
  ClearStaffTable();
  for (size_t i = 0; i < rows.size(); ++i) {
    const bool joined = i + 1 < rows.size() && rows[i + 1].group == rows[i].group;
    AddHandStaff({rows[i].group, rows[i].top, spacing_[i], rows[i].left, rows[i].right, rows[i].lineCount,
                  joined ? 1 : 0});
  }
  ResetPageDescription("title");
  AddPageDescription("page.tif");
}

int32_t NoteEnginePage::StepY(int row, int32_t step) const {
  return (StaffStepY(row, step, 600) + 512) >> 10;
}

void NoteEnginePage::AddSlot(int row, std::initializer_list<HandGroup> groups) {
  AddTimeSlot(row);
  std::vector<MscriptNoteGroup> bodies;
  for (const HandGroup& hg : groups) {
    MscriptNoteGroup g{};
    for (const HandNote& hn : hg.notes) {
      MscriptNote& n = g.notes[g.noteCount++];
      const int32_t y = StepY(row, hn.step);
      n.type = hn.type;
      n.step = hn.step;
      n.pageX = hn.x;
      n.pageY = y;
      n.accidental = hn.accidental;
      n.accidentalRefs[1] = n.accidentalRefs[2] = -1;
      if (hn.type <= kNoteGrace) {
        FoundNotehead h{};
        h.leftX = hn.x - hn.width / 2;
        h.rightX = hn.x + hn.width / 2;
        h.centreY = y;
        h.staff = row;
        h.step = hn.step;
        h.rawCost = hn.cost;
        h.small = hn.small ? 1 : 0;
        n.object = AddFoundNotehead(h);
      } else {
        n.object = AddFixedSymbol(hn.x - 6, y - 15, hn.x + 6, y + 15, 43, 0, 0);
      }
      if (hn.accidental != 0) {
        n.accidentalRefs[0] = 1;
        n.accidentalRefs[1] = AddFixedSymbol(hn.x - 30, y - 20, hn.x - 18, y + 20, kSharpType, 0, 0);
      }
    }
    g.stemObject = hg.stemX >= 0 ? 1 : -1;
    g.stemX = hg.stemX;
    g.stemEnd = hg.stemX >= 0 ? ToScriptY(hg.stemEndY, hg.stemX, row) : 0;
    g.stemDirection = hg.up ? 0 : 1;
    g.dots = hg.dots;
    g.flagCount = hg.flags;
    g.leftBeams = hg.leftBeams;
    g.rightBeams = hg.rightBeams;
    bodies.push_back(g);
  }
  AddNoteGroupEvents(row, bodies.data(), static_cast<int32_t>(bodies.size()));
}
