#include "reading/NoteGroupAdapter.h"

#include <algorithm>

#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Mscript.h"
#include "Code/Quorm/Mscrptio.h"
#include "Code/Quorm/Quorm.h"

constexpr int32_t I(int32_t v) { return v; }
static_assert(I(kEngineBreveHead) == I(kNoteBreve) && I(kEngineSolidHead) == I(kNoteSolid) &&
                  I(kEngineGraceHead) == I(kNoteGrace),
              "head codes");
static_assert(I(kEngineBreveRest) == I(kBreveRest) && I(kEngineLastShortRest) == I(kHDSQuaverRest) &&
                  I(kEngineMultiBarRest) == I(kMultiBarRest) && I(kEngineInvisibleRest) == I(kInvisibleRest),
              "rest codes");
static_assert(kEngineGroupNotes == kMaxGroupNotes && kEngineNoBox == kNoBoxWord, "group size and box word");

namespace {

bool HasBox(const EngineBox& b) { return b.x0 != kNoBoxWord; }

// Page y of a place (sixteenths of the staff's space below its top line, as
// the engine writes places: measured from the bottom line below the middle).
int32_t PlaceY(int32_t place, int32_t x, int32_t staff) {
  const int64_t space = GetStaffSpace(staff);  // x1024
  const int32_t lines = GetStaffLineCount(staff);
  const int32_t bottomPlace = 16 * (lines - 1);
  int64_t base;
  int64_t rest;
  if (2 * place < bottomPlace) {
    base = StaffTopLineY(staff, x);
    rest = place;
  } else {
    base = StaffBottomLineY(staff, x);
    rest = place - bottomPlace;
  }
  return static_cast<int32_t>(base + (rest * space + (rest >= 0 ? 8192 : -8192)) / (16 * 1024));
}

// +1 when y lies nearer the next stave of the system than its own, -1 for
// the stave above, else 0.
int32_t StaveOffsetOf(int32_t system, int32_t stave, int32_t staff, int32_t x, int32_t y) {
  const int32_t staves = GetSystemStaveCount(0, system);
  if (stave + 1 < staves) {
    const int32_t next = GetStaffOfSystem(system, stave + 1);
    if (2 * y > StaffBottomLineY(staff, x) + StaffTopLineY(next, x)) return 1;
  }
  if (stave > 0) {
    const int32_t previous = GetStaffOfSystem(system, stave - 1);
    if (2 * y < StaffBottomLineY(previous, x) + StaffTopLineY(staff, x)) return -1;
  }
  return 0;
}

void Widen(EngineBox& box, const EngineBox& by, bool& first) {
  if (first) {
    box = by;
    first = false;
    return;
  }
  box.x0 = std::min(box.x0, by.x0);
  box.y0 = std::min(box.y0, by.y0);
  box.x1 = std::max(box.x1, by.x1);
  box.y1 = std::max(box.y1, by.y1);
}

}  // namespace

int32_t EngineStepNotePosition(int32_t engineStep, int32_t lineCount) {
  // Five lines: the engine's steps run -4 (top line) to 4; other staffs count
  // from 0 at the top line. Short staves keep a line every four positions.
  if (lineCount == 5) return 15 + engineStep;
  if (lineCount >= 1 && lineCount <= 3) return 11 + 2 * engineStep;
  return 11 + engineStep;
}

int32_t EngineSystemCount() { return GetPageSystemCount(0); }

int32_t EngineSystemStaveCount(int32_t system) {
  return system >= 0 && system < GetPageSystemCount(0) ? GetSystemStaveCount(0, system) : 0;
}

int32_t EngineStaveSlotCount(int32_t system, int32_t stave) {
  if (stave < 0 || stave >= EngineSystemStaveCount(system)) return 0;
  return GetStaveTimeSlotCount(0, system, stave);
}

int32_t EngineSlotEventCount(int32_t system, int32_t stave, int32_t slot) {
  int32_t n = 0;
  GetTimeSlotNotes(0, system, stave, slot, &n);
  return n;
}

void ReadEngineSlotEvent(int32_t system, int32_t stave, int32_t slot, int32_t index, EngineEventView* out) {
  int32_t n = 0;
  const MscriptNoteGroup* groups = GetTimeSlotNotes(0, system, stave, slot, &n);
  ENGINE_CHECK_INDEX(index, n);
  ReadEngineNoteGroup(system, stave, groups[index], out);
}

void ReadEngineSlotEvents(int32_t system, int32_t stave, int32_t slot, std::vector<EngineEventView>* out) {
  int32_t n = 0;
  const MscriptNoteGroup* groups = GetTimeSlotNotes(0, system, stave, slot, &n);
  out->resize(static_cast<size_t>(std::max(n, 0)));
  for (int32_t i = 0; i < n; ++i) ReadEngineNoteGroup(system, stave, groups[i], &(*out)[static_cast<size_t>(i)]);
}

int32_t EngineStaveTopLineY(int32_t system, int32_t stave, int32_t x) {
  return StaffLineY(GetStaffOfSystem(system, stave), 0, x);
}

int32_t EngineStaveSpace(int32_t system, int32_t stave) { return RoundQ10(GetStaffSpace(GetStaffOfSystem(system, stave))); }

int32_t EngineCostConfidence(int32_t cost) { return CostToConfidence(cost); }

void ReadEngineNoteGroup(int32_t system, int32_t stave, const MscriptNoteGroup& group, EngineEventView* out) {
  *out = EngineEventView();
  const int32_t staff = GetStaffOfSystem(system, stave);
  const int32_t lines = GetStaffLineCount(staff);
  out->dots = group.dots;
  out->noteCount = std::clamp(group.noteCount, 0, kMaxGroupNotes);
  out->flagCount = std::max(0, group.flagCount);
  out->leftBeams = std::max(0, group.leftBeams);
  out->rightBeams = std::max(0, group.rightBeams);
  out->hasStem = group.stemObject >= 0 && group.stemX >= 0 ? 1 : 0;
  out->stemUp = group.stemDirection == 0 ? 1 : 0;
  out->stemX = group.stemX;

  bool first = true;
  int32_t headsTop = 0;
  int32_t headsBottom = 0;
  bool anyHead = false;
  for (int32_t i = 0; i < out->noteCount; ++i) {
    const MscriptNote& m = group.notes[i];
    EngineNoteView& n = out->notes[i];
    n.type = m.type;
    n.centreX = m.pageX;
    n.centreY = m.pageY;
    n.notePosition = EngineStepNotePosition(m.step, lines);
    n.step = NotePositionStep(n.notePosition, lines);
    n.staveOffset = StaveOffsetOf(system, stave, staff, m.pageX, m.pageY);
    n.objectIndex = m.object;
    if (m.object >= 0 && m.type >= kNoteBreve && m.type <= kNoteGrace) n.objectKind = kObjectNotehead;
    else if (m.object >= 0 && m.type >= kBreveRest && m.type < kInvisibleRest) n.objectKind = GetFixedSymbolType(m.object);
    n.accidental = m.accidental;
    for (int k = 0; k < 3; ++k) n.accidentalRefs[k] = m.accidentalRefs[k];
    if (n.objectKind != 0) {
      n.box = GetFoundObjectBox(n.objectKind, n.objectIndex);
      n.cost = GetFoundObjectCost(n.objectKind, n.objectIndex);
      n.small = GetFoundObjectSmall(n.objectKind, n.objectIndex);
    }
    if (m.accidentalRefs[0] == 1 || m.accidentalRefs[0] == 2) {
      n.accidentalBox = GetAccidentalRefsBox(m.accidentalRefs);
      n.accidentalCost = GetAccidentalRefsCost(m.accidentalRefs);
    }
    const EngineBox& box = n.box;
    if (HasBox(box)) {
      Widen(out->box, box, first);
      if (m.type <= kNoteGrace) {
        headsTop = anyHead ? std::min(headsTop, box.y0) : box.y0;
        headsBottom = anyHead ? std::max(headsBottom, box.y1) : box.y1;
        anyHead = true;
      }
    }
    if (out->hasStem) {
      const bool stemRight = 2 * out->stemX >= (HasBox(box) ? box.x0 + box.x1 : 2 * m.pageX);
      n.usualStemSide = (out->stemUp != 0) == stemRight ? 1 : 0;
    }
  }
  const int32_t notesRight = first ? 0 : out->box.x1;
  out->upperRight = out->lowerRight = notesRight;
  if (out->hasStem) {
    const int32_t stemRight = out->stemX + 1;
    if (first || out->stemUp) out->upperRight = stemRight;
    if (first || !out->stemUp) out->lowerRight = stemRight;
    const int32_t end = PlaceY(group.stemEnd, out->stemX, staff);
    if (out->stemUp) {
      out->stemTopY = end;
      out->stemBottomY = anyHead ? headsBottom : end;
    } else {
      out->stemTopY = anyHead ? headsTop : end;
      out->stemBottomY = end;
    }
    Widen(out->box, EngineBox{out->stemX, out->stemTopY, out->stemX + 1, out->stemBottomY}, first);
  }
}

int32_t ScriptXToPageX(int32_t scriptX, int32_t staff) {
  const int64_t space = GetPageStaffSpace();  // x1024
  return GetStaffLeftX(staff) + static_cast<int32_t>((static_cast<int64_t>(scriptX) * space + 8192) / (16 * 1024));
}
