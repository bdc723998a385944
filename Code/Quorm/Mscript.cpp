// Building the page description from the staff table and the finders'
// results, and the conversions into script units.
#include "Code/Quorm/Mscript.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Mscrptio.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/options.h"

namespace {

constexpr int32_t kFirstSlots = 100;
constexpr int32_t kFirstEvents = 2;
constexpr int32_t kFirstSlurs = 20;
constexpr int32_t kNoSystemResult = 65;

PageDescription g_description;

void CopyText(char* out, size_t room, const char* text) {
  std::memset(out, 0, room);
  if (text != nullptr) std::strncpy(out, text, room - 1);
}

// Grows a counted array by one element and returns the new element, zeroed.
template <class T>
T& AppendOne(T*& array, int32_t& count) {
  if (array == nullptr)
    EngineAllocZeroedChecked(array, sizeof(T));
  else
    EngineResizeArrayChecked(array, count, count + 1);
  return array[count++];
}

MscriptPage& LastPage() {
  ENGINE_CHECK(g_description.pageCount > 0);
  return g_description.pages[g_description.pageCount - 1];
}

// The stave record of an engine staff on the last page.
MscriptStave& StaveOfStaff(int32_t staff) {
  MscriptPage& page = LastPage();
  const int32_t system = GetStaffSystem(staff);
  ENGINE_CHECK_INDEX(system, page.systemCount);
  MscriptSystem& s = page.systems[system];
  const int32_t index = GetStaffIndexInSystem(staff);
  ENGINE_CHECK_INDEX(index, s.staveCount);
  return s.staves[index];
}

MscriptTimeSlot& LastSlot(int32_t staff) {
  MscriptStave& stave = StaveOfStaff(staff);
  ENGINE_CHECK(stave.slotCount > 0);
  return stave.slots[stave.slotCount - 1];
}

MscriptEvent& AppendEvent(MscriptTimeSlot& slot) {
  if (slot.eventCount == slot.eventCapacity) GrowEngineArrayChecked(slot.events, slot.eventCapacity, kFirstEvents);
  MscriptEvent& e = slot.events[slot.eventCount++];
  std::memset(&e, 0, sizeof e);
  return e;
}

void SortNotes(MscriptNoteGroup& group) {
  ENGINE_CHECK(group.noteCount >= 1 && group.noteCount <= kMaxGroupNotes);
  std::stable_sort(group.notes, group.notes + group.noteCount,
                   [](const MscriptNote& a, const MscriptNote& b) { return a.place < b.place; });
}

// 16 x distance / staff space, rounded, in the staff's own space.
int32_t Sixteenths(int32_t distance, int32_t staffSpace1024) {
  ENGINE_CHECK(staffSpace1024 > 0);
  ENGINE_CHECK(std::abs(distance) < kScriptLengthLimit);
  return static_cast<int32_t>(DivRound64(static_cast<int64_t>(distance) * 16 * 1024, staffSpace1024));
}

void SetSystemRecord(MscriptSystem& system, int32_t index) {
  int32_t c[8];
  GetSystemCorners(index, c);  // (y, x): top-left, bottom-left, top-right, bottom-right
  system.leftX = c[1];
  system.topY = c[0];
  system.height = c[2] - c[0];
  system.width = c[5] - c[1];
  system.staveCount = GetSystemStaffCount(index);
  EngineAllocZeroedChecked(system.staves, system.staveCount * sizeof(MscriptStave));
}

void SetStaveRecord(MscriptStave& stave, const MscriptSystem& system, int32_t systemIndex, int32_t i) {
  const int32_t staff = GetStaffOfSystem(systemIndex, i);
  int32_t c[8];
  GetStaffCorners(systemIndex, i, c);
  stave.joined = GetStaffJoinedBelow(staff);
  stave.word2 = -1;
  stave.leftX = c[1];
  stave.systemTop = system.topY;
  stave.systemHeight = system.height;
  stave.height = ScriptLength(c[2] - c[0]);
}

// A stave keeps its join only when the next one has none; the last has none.
void TidySystemJoins(MscriptSystem& system) {
  for (int32_t i = 0; i + 1 < system.staveCount; ++i)
    if (system.staves[i + 1].joined != 0) system.staves[i].joined = 0;
  if (system.staveCount > 0) system.staves[system.staveCount - 1].joined = 0;
}

// Over the leading systems shaped like the first, each stave position takes
// the join that more than half of them have.
void MakeJoinsUniform(MscriptPage& page) {
  if (page.systemCount == 0) return;
  const int32_t staves = page.systems[0].staveCount;
  int32_t run = 0;
  while (run < page.systemCount && page.systems[run].staveCount == staves) ++run;
  for (int32_t i = 0; i < staves; ++i) {
    int32_t joined = 0;
    for (int32_t s = 0; s < run; ++s) joined += page.systems[s].staves[i].joined != 0;
    const int32_t flag = 2 * joined > run ? 1 : 0;
    for (int32_t s = 0; s < run; ++s) page.systems[s].staves[i].joined = flag;
  }
}

void FreeStave(MscriptStave& stave) {
  for (int32_t t = 0; t < stave.slotCount; ++t) EngineFree(stave.slots[t].events);
  EngineFree(stave.slots);
  for (int32_t l = 0; l < stave.textLineCount; ++l) EngineFree(stave.textLines[l].words);
  EngineFree(stave.textLines);
  EngineFree(stave.textItems);
  EngineFree(stave.dynamics);
  EngineFree(stave.repeatMarks);
  EngineFree(stave.pedalOrnaments);
}

void FreePage(MscriptPage& page) {
  if (page.systems != nullptr) {
    for (int32_t s = 0; s < page.systemCount; ++s) {
      MscriptSystem& system = page.systems[s];
      if (system.staves != nullptr)
        for (int32_t i = 0; i < system.staveCount; ++i) FreeStave(system.staves[i]);
      EngineFree(system.staves);
      EngineFree(system.slurs);
    }
  }
  EngineFree(page.systems);
}

MscriptMark MakeMark(int32_t staff, int32_t code, EngineBox box) {
  MscriptMark m{};
  const int32_t cx = (box.x0 + box.x1) / 2;
  const int32_t cy = (box.y0 + box.y1) / 2;
  m.code = code;
  m.place = ToScriptY(cy, cx, staff);
  m.centreX = ToScriptX(cx, staff);
  m.leftX = ToScriptX(box.x0, staff);
  m.rightX = ToScriptX(box.x1, staff);
  m.box = box;
  for (int32_t& w : m.unused) w = -1;
  return m;
}

void AddSignEvent(int32_t staff, int32_t kind, const int32_t* record, int32_t words, bool placeAndX) {
  ENGINE_CHECK_POINTER(record);
  int32_t body[kTimeSignatureWords] = {};
  std::memcpy(body, record, words * sizeof(int32_t));
  if (placeAndX) {
    body[1] = ToScriptY(record[1], record[2], staff);
    body[2] = ToScriptX(record[2], staff);
  } else {
    body[1] = ToScriptX(record[1], staff);
    body[2] = ToScriptX(record[2], staff);
  }
  AddTimeSlotEvent(staff, kind, body, words);
}

}  // namespace

// ---- Units ----

int32_t ScriptLength(int32_t pixels) {
  ENGINE_CHECK(std::abs(static_cast<int64_t>(pixels)) < kScriptLengthLimit);
  const int32_t s = GetPageStaffSpace();
  ENGINE_CHECK(s > 0);
  return 2 * DivRound(pixels * 8 * 1024, s);
}

int32_t ToScriptX(int32_t x, int32_t staff) {
  const int32_t d = std::max(0, x) - GetStaffLeftX(staff);
  return ScriptLength(std::max(0, d));
}

int32_t ToScriptY(int32_t y, int32_t x, int32_t staff) {
  y = std::max(0, y);
  x = std::max(0, x);
  const int32_t s = GetStaffSpace(staff);
  if (y < StaffMiddleY(staff, x)) return Sixteenths(y - StaffTopLineY(staff, x), s);
  return Sixteenths(y - StaffBottomLineY(staff, x), s) + 16 * (GetStaffLineCount(staff) - 1);
}

// ---- Skew ----

EnginePoint ApplySkew(int32_t y, int32_t x, int32_t slope, int32_t offsetA, int32_t offsetB) {
  const int64_t dy = (static_cast<int64_t>(offsetA) - static_cast<int64_t>(x) * slope + 512) >> 10;
  const int64_t dx = (static_cast<int64_t>(y) * slope + offsetB + 512) >> 10;
  const int64_t ny = y + dy;
  const int64_t nx = x + dx;
  ENGINE_CHECK(ny >= 0 && nx >= 0 && ny <= INT32_MAX && nx <= INT32_MAX);
  return EnginePoint{static_cast<int32_t>(ny), static_cast<int32_t>(nx)};
}

EnginePoint RemoveSkew(int32_t y, int32_t x, int32_t slope, int32_t offsetA, int32_t offsetB) {
  const int64_t dy = (static_cast<int64_t>(offsetA) - static_cast<int64_t>(x) * slope + 512) >> 10;
  const int64_t dx = (static_cast<int64_t>(y) * slope + offsetB + 512) >> 10;
  const int64_t ny = std::max<int64_t>(0, y - dy);
  const int64_t nx = std::max<int64_t>(0, x - dx);
  return EnginePoint{static_cast<int32_t>(std::min<int64_t>(ny, INT32_MAX)),
                     static_cast<int32_t>(std::min<int64_t>(nx, INT32_MAX))};
}

// ---- Build side ----

void ResetPageDescription(const char* title) {
  ENGINE_CHECK(g_description.pages == nullptr);
  g_description = PageDescription{};
  g_description.word120 = 120;
  g_description.word64 = 64;
  CopyText(g_description.title, sizeof g_description.title, title);
  EngineAllocZeroedChecked(g_description.pages, sizeof(MscriptPage));
  g_description.resetFlag = 1;
}

int32_t AddPageDescription(const char* imageName) {
  ENGINE_CHECK(g_description.pages != nullptr);
  if (g_description.pageCount > 0)
    EngineResizeArrayChecked(g_description.pages, g_description.pageCount, g_description.pageCount + 1);
  MscriptPage& page = g_description.pages[g_description.pageCount++];
  page = MscriptPage{};
  CopyText(page.imageName, sizeof page.imageName, imageName);
  page.imageWidth = GetPageImageWidth();
  page.imageHeight = GetPageImageHeight();
  page.staffSpace = GetPageStaffSpace();
  page.scale[0] = GetPageStaffSpace();
  page.scale[1] = GetLargestStaffSpace();
  page.scale[2] = GetPageSkew();
  if (page.staffSpace > 0 && page.imageHeight < kScriptLengthLimit && page.imageWidth < kScriptLengthLimit) {
    page.sizeY = ScriptLength(page.imageHeight);
    page.sizeX = ScriptLength(page.imageWidth);
  }

  page.systemCount = GetStaffCount() > 0 ? GetSystemCount() : 0;
  if (page.systemCount > 0) EngineAllocZeroedChecked(page.systems, page.systemCount * sizeof(MscriptSystem));
  for (int32_t s = 0; s < page.systemCount; ++s) {
    MscriptSystem& system = page.systems[s];
    SetSystemRecord(system, s);
    for (int32_t i = 0; i < system.staveCount; ++i) SetStaveRecord(system.staves[i], system, s, i);
  }
  if (const int32_t option = GetPageDescriptionOption()) return option;
  for (int32_t s = 0; s < page.systemCount; ++s) TidySystemJoins(page.systems[s]);
  MakeJoinsUniform(page);
  return page.systemCount > 0 ? page.systems[0].staveCount : kNoSystemResult;
}

void AddTimeSlot(int32_t staff) {
  MscriptStave& stave = StaveOfStaff(staff);
  if (stave.slotCount == stave.slotCapacity) GrowEngineArrayChecked(stave.slots, stave.slotCapacity, kFirstSlots);
  stave.slots[stave.slotCount++] = MscriptTimeSlot{};
}

void AddTimeSlotEvent(int32_t staff, int32_t kind, const int32_t* body, int32_t words) {
  ENGINE_CHECK(kind >= kEventNoteGroup && kind <= kEventBarline);
  ENGINE_CHECK_POINTER(body);
  ENGINE_CHECK(words >= 0 && words <= kEventBodyWords);
  MscriptEvent& e = AppendEvent(LastSlot(staff));
  e.kind = kind;
  std::memcpy(e.words, body, words * sizeof(int32_t));
  if (kind == kEventNoteGroup) SortNotes(e.group);
}

void AddClefEvent(int32_t staff, const int32_t* record) {
  AddSignEvent(staff, kEventClef, record, kClefWords, true);
}

void AddKeySignatureEvent(int32_t staff, const int32_t* record) {
  AddSignEvent(staff, kEventKeySignature, record, kKeySignatureWords, true);
}

void AddTimeSignatureEvent(int32_t staff, const int32_t* record) {
  AddSignEvent(staff, kEventTimeSignature, record, kTimeSignatureWords, true);
}

void AddBarlineEvent(int32_t staff, const int32_t* record) {
  AddSignEvent(staff, kEventBarline, record, kBarlineWords, false);
}

void AddNoteGroupEvents(int32_t staff, const MscriptNoteGroup* bodies, int32_t n) {
  ENGINE_CHECK(n >= 0);
  for (int32_t g = 0; g < n; ++g) {
    MscriptNoteGroup group = bodies[g];
    ENGINE_CHECK(group.noteCount >= 1 && group.noteCount <= kMaxGroupNotes);
    for (int32_t k = 0; k < group.noteCount; ++k) group.notes[k].x = ToScriptX(group.notes[k].pageX, staff);
    SortNotes(group);
    group.x = group.notes[0].x;
    for (int32_t k = 1; k < group.noteCount; ++k) group.x = std::min(group.x, group.notes[k].x);
    group.topPlace = group.notes[0].place;
    group.bottomPlace = group.notes[group.noteCount - 1].place;
    AddTimeSlotEvent(staff, kEventNoteGroup, reinterpret_cast<const int32_t*>(&group), kEventBodyWords);
  }
}

namespace {

// Script units (two staff spaces) a kept key change stands left of the
// first notes of its bar.
constexpr int32_t kKeyChangeClearance = 32;

// The key of the last key signature in the stave's slots before `slot`; 0
// (no accidentals) when there is none.
int32_t KeyInForce(const MscriptStave& stave, int32_t slot) {
  for (int32_t t = slot - 1; t >= 0; --t) {
    const MscriptTimeSlot& s = stave.slots[t];
    for (int32_t e = s.eventCount - 1; e >= 0; --e)
      if (s.events[e].kind == kEventKeySignature) return s.events[e].words[0];
  }
  return 0;
}

}  // namespace

void FinishTimeSlot(int32_t staff) {
  MscriptStave& stave = StaveOfStaff(staff);
  ENGINE_CHECK(stave.slotCount > 0);
  MscriptTimeSlot& slot = stave.slots[stave.slotCount - 1];
  if (stave.slotCount > 1) {
    const MscriptTimeSlot& previous = stave.slots[stave.slotCount - 2];
    ENGINE_CHECK(previous.eventCount > 0 && previous.events[previous.eventCount - 1].kind == kEventBarline);
    const MscriptEvent& bar = previous.events[previous.eventCount - 1];
    bool hasGroup = false;
    bool hasClef = false;
    int32_t firstGroupX = INT32_MAX;
    for (int32_t e = 0; e < slot.eventCount; ++e) {
      hasGroup = hasGroup || slot.events[e].kind == kEventNoteGroup;
      hasClef = hasClef || slot.events[e].kind == kEventClef;
      if (slot.events[e].kind == kEventNoteGroup) firstGroupX = std::min(firstGroupX, slot.events[e].group.x);
    }
    if (bar.words[kBarlineWords - 1] == 0 && hasGroup && !hasClef) {
      // Removed in place, the others keeping their order: the slot's own bar
      // line is already its last event, and the next slot checks for it.
      // A key change is kept: a key other than the one in force on the stave
      // that stands clear of the bar's first notes (an accidental read as a
      // key sits right against its note, a repeated key changes nothing).
      const int32_t inForce = KeyInForce(stave, stave.slotCount - 1);
      int32_t kept = 0;
      for (int32_t e = 0; e < slot.eventCount; ++e) {
        const MscriptEvent& ev = slot.events[e];
        const bool keyChange = ev.kind == kEventKeySignature && ev.words[0] != inForce &&
                               ev.words[2] <= firstGroupX - kKeyChangeClearance;
        if (ev.kind != kEventKeySignature || keyChange) slot.events[kept++] = ev;
      }
      slot.eventCount = kept;
    }
  }

  // Beam groups renumbered densely in order of first appearance.
  int32_t seen[kMaxBeamGroups];
  int32_t distinct = 0;
  for (int32_t e = 0; e < slot.eventCount; ++e) {
    MscriptEvent& ev = slot.events[e];
    if (ev.kind != kEventNoteGroup) continue;
    const int32_t id = ev.group.beamGroup;
    int32_t index = 0;
    while (index < distinct && seen[index] != id) ++index;
    if (index == distinct) {
      ENGINE_CHECK(distinct < kMaxBeamGroups);
      seen[distinct++] = id;
    }
    ev.group.beamGroup = index;
  }
  for (int32_t b = 0; b < distinct; ++b) {
    MscriptNoteGroup* first = nullptr;
    MscriptNoteGroup* last = nullptr;
    int32_t members = 0;
    for (int32_t e = 0; e < slot.eventCount; ++e) {
      MscriptEvent& ev = slot.events[e];
      if (ev.kind != kEventNoteGroup || ev.group.beamGroup != b) continue;
      ++members;
      ev.group.leftBeams = std::max(1, ev.group.leftBeams);
      ev.group.rightBeams = std::max(1, ev.group.rightBeams);
      if (first == nullptr) first = &ev.group;
      last = &ev.group;
    }
    if (members == 0) continue;
    first->leftBeams = 0;
    last->rightBeams = 0;
  }
}

void AddSystemSlur(int32_t system, EnginePoint left, EnginePoint right, int32_t curvature) {
  MscriptPage& page = LastPage();
  ENGINE_CHECK_INDEX(system, page.systemCount);
  MscriptSystem& s = page.systems[system];
  ENGINE_CHECK(s.staveCount > 0);
  const int32_t staff = GetStaffOfSystem(system, 0);
  MscriptSlur slur{};
  slur.leftY = ToScriptY(left.y, left.x, staff);
  slur.leftX = ToScriptX(left.x, staff);
  slur.rightY = ToScriptY(right.y, right.x, staff);
  slur.rightX = ToScriptX(right.x, staff);
  if (slur.rightX - slur.leftX <= 8) return;
  const int32_t limit = (std::abs(slur.rightX - slur.leftX) + std::abs(slur.rightY - slur.leftY) + 1) / 2;
  int32_t c = ScriptLength(curvature);
  c = std::max(-limit, std::min(limit, c));
  slur.curvature = c;
  slur.pageEnds = EngineBox{left.y, left.x, right.y, right.x};
  slur.pageCurvature = curvature;
  slur.links[0] = slur.links[4] = slur.links[8] = slur.links[9] = -1;
  slur.links[10] = 0;
  if (s.slurCount == s.slurCapacity) GrowEngineArrayChecked(s.slurs, s.slurCapacity, kFirstSlurs);
  s.slurs[s.slurCount++] = slur;
}

void AddStaveTextLine(int32_t staff, int32_t value, EngineBox box, int32_t textHeight) {
  MscriptStave& stave = StaveOfStaff(staff);
  MscriptTextLine& line = AppendOne(stave.textLines, stave.textLineCount);
  line.place = ToScriptY(box.y0, box.x0, staff);
  line.textHeight = Sixteenths(textHeight, GetStaffSpace(staff));
  line.value = value;
  line.box = box;
}

void AddTextLineWord(int32_t staff, int32_t value, EngineBox box, const char* text, int32_t hyphenated) {
  MscriptStave& stave = StaveOfStaff(staff);
  ENGINE_CHECK(stave.textLineCount > 0);
  MscriptTextLine& line = stave.textLines[stave.textLineCount - 1];
  MscriptWord& word = AppendOne(line.words, line.wordCount);
  word.value = value;
  word.leftX = ToScriptX(box.x0, staff);
  word.rightX = ToScriptX(box.x1, staff);
  word.box = box;
  CopyText(word.text, sizeof word.text, text);
  if (hyphenated != 0 && std::strlen(word.text) <= 30) std::strcat(word.text, "-");
  word.thirdX = ToScriptX((box.x0 + box.x1) / 2, staff);
}

void AddStaveTextItem(int32_t staff, EngineBox box, int32_t textHeight, const char* text) {
  MscriptStave& stave = StaveOfStaff(staff);
  MscriptTextItem& item = AppendOne(stave.textItems, stave.textItemCount);
  item.place = ToScriptY(box.y1, box.x0, staff);
  item.x = ToScriptX(box.x0, staff);
  item.x2 = item.x;
  item.textHeight = Sixteenths(textHeight, GetStaffSpace(staff));
  item.box = box;
  item.value1 = 5;
  item.value2 = 0;
  CopyText(item.text, 101, text);
}

void AddStaveDynamic(int32_t staff, int32_t code, EngineBox box) {
  ENGINE_CHECK(IsMscriptCode(kDynamicNames, code));
  MscriptStave& stave = StaveOfStaff(staff);
  AppendOne(stave.dynamics, stave.dynamicCount) = MakeMark(staff, code, box);
}

void AddStaveRepeatMark(int32_t staff, int32_t code, EngineBox box) {
  ENGINE_CHECK(IsMscriptCode(kRepeatMarkNames, code));
  MscriptStave& stave = StaveOfStaff(staff);
  AppendOne(stave.repeatMarks, stave.repeatMarkCount) = MakeMark(staff, code, box);
}

void AddStavePedalOrnament(int32_t staff, int32_t code, EngineBox box) {
  ENGINE_CHECK(IsMscriptCode(kPedalOrnamentNames, code));
  MscriptStave& stave = StaveOfStaff(staff);
  MscriptPedalOrnament& p = AppendOne(stave.pedalOrnaments, stave.pedalOrnamentCount);
  const MscriptMark m = MakeMark(staff, code, box);
  p.code = code;
  p.place = m.place;
  p.centreX = m.centreX;
  p.box = box;
  p.unused[0] = p.unused[1] = -1;
}

void FreePageDescription() {
  if (g_description.pages != nullptr) {
    for (int32_t p = 0; p < g_description.pageCount; ++p) FreePage(g_description.pages[p]);
    EngineFree(g_description.pages);
  }
  g_description = PageDescription{};
}

// ---- Note-group tests ----

int32_t IsRestGroup(const MscriptNoteGroup& group) {
  return group.noteCount > 0 && group.notes[0].type >= kBreveRest && group.notes[0].type <= kMultiBarRest;
}

int32_t IsGraceGroup(const MscriptNoteGroup& group) {
  const int32_t n = std::min(group.noteCount, kMaxGroupNotes);
  for (int32_t k = 0; k < n; ++k)
    if (group.notes[k].type != kNoteGrace) return 0;
  return 1;
}

int32_t GroupExtremePlace(const MscriptNoteGroup& group) {
  ENGINE_CHECK(group.noteCount >= 1 && group.noteCount <= kMaxGroupNotes);
  int32_t least = group.notes[0].place;
  int32_t greatest = least;
  for (int32_t k = 1; k < group.noteCount; ++k) {
    least = std::min(least, group.notes[k].place);
    greatest = std::max(greatest, group.notes[k].place);
  }
  return group.stemDirection == 0 ? least : greatest;
}

const PageDescription& GetPageDescription() { return g_description; }
