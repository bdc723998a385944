// The page description's read side: range-checked accessors and note-group
// durations.
#include "Code/Quorm/Mscrptio.h"

#include <cstring>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Findstem.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/findslur.h"

namespace {

const MscriptPage& PageAt(int32_t page) {
  const PageDescription& d = GetPageDescription();
  ENGINE_CHECK_INDEX(page, d.pageCount);
  return d.pages[page];
}

const MscriptSystem& SystemAt(int32_t page, int32_t system) {
  const MscriptPage& p = PageAt(page);
  ENGINE_CHECK_INDEX(system, p.systemCount);
  return p.systems[system];
}

const MscriptStave& StaveAt(int32_t page, int32_t system, int32_t stave) {
  const MscriptSystem& s = SystemAt(page, system);
  ENGINE_CHECK_INDEX(stave, s.staveCount);
  return s.staves[stave];
}

const MscriptTimeSlot& SlotAt(int32_t page, int32_t system, int32_t stave, int32_t slot) {
  const MscriptStave& s = StaveAt(page, system, stave);
  ENGINE_CHECK_INDEX(slot, s.slotCount);
  return s.slots[slot];
}

template <class T>
T ItemAt(const T* items, int32_t count, int32_t i) {
  ENGINE_CHECK_INDEX(i, count);
  return items[i];
}

// The count accessors that take no checked index answer 0 for indexes that
// name nothing rather than reading past a table.
bool HasSystem(int32_t page, int32_t system) {
  const PageDescription& d = GetPageDescription();
  return page >= 0 && page < d.pageCount && system >= 0 && system < d.pages[page].systemCount;
}

MscriptNoteGroup g_slotNotes[kMaxSlotNoteGroups];
int32_t g_slotClefs[kMaxSlotClefs][kClefWords];
int32_t g_slotKeySignatures[kMaxSlotKeySignatures][kKeySignatureWords];

struct BaseFraction {
  int32_t numerator;
  int32_t denominator;
};
constexpr BaseFraction kBaseFractions[14] = {
    {2, 1}, {1, 1}, {1, 2}, {1, 4}, {0, 1}, {2, 1}, {1, 1},
    {1, 2}, {1, 4}, {1, 8}, {1, 16}, {1, 32}, {1, 64}, {0, 1},  // 13: n bars, below
};
constexpr int32_t kMaxDenominator = 32767;

}  // namespace

int32_t GetPageSystemCount(int32_t page) {
  const PageDescription& d = GetPageDescription();
  return page >= 0 && page < d.pageCount ? d.pages[page].systemCount : 0;
}

int32_t GetSystemSlurCount(int32_t page, int32_t system) {
  return HasSystem(page, system) ? GetPageDescription().pages[page].systems[system].slurCount : 0;
}

MscriptSlur GetSystemSlur(int32_t page, int32_t system, int32_t i) {
  const MscriptSystem& s = SystemAt(page, system);
  return ItemAt(s.slurs, s.slurCount, i);
}

int32_t GetSystemStaveCount(int32_t page, int32_t system) {
  return HasSystem(page, system) ? GetPageDescription().pages[page].systems[system].staveCount : 0;
}

const MscriptStave* GetSystemStave(int32_t page, int32_t system, int32_t stave) {
  return &StaveAt(page, system, stave);
}

const MscriptSystem* GetPageSystem(int32_t page, int32_t system) { return &SystemAt(page, system); }

int32_t GetStaveDynamicCount(int32_t page, int32_t system, int32_t stave) {
  return StaveAt(page, system, stave).dynamicCount;
}

MscriptDynamic GetStaveDynamic(int32_t page, int32_t system, int32_t stave, int32_t i) {
  const MscriptStave& s = StaveAt(page, system, stave);
  return ItemAt(s.dynamics, s.dynamicCount, i);
}

int32_t GetStaveRepeatMarkCount(int32_t page, int32_t system, int32_t stave) {
  return StaveAt(page, system, stave).repeatMarkCount;
}

MscriptRepeatMark GetStaveRepeatMark(int32_t page, int32_t system, int32_t stave, int32_t i) {
  const MscriptStave& s = StaveAt(page, system, stave);
  return ItemAt(s.repeatMarks, s.repeatMarkCount, i);
}

int32_t GetStavePedalOrnamentCount(int32_t page, int32_t system, int32_t stave) {
  return StaveAt(page, system, stave).pedalOrnamentCount;
}

MscriptPedalOrnament GetStavePedalOrnament(int32_t page, int32_t system, int32_t stave, int32_t i) {
  const MscriptStave& s = StaveAt(page, system, stave);
  return ItemAt(s.pedalOrnaments, s.pedalOrnamentCount, i);
}

int32_t GetStaveTimeSlotCount(int32_t page, int32_t system, int32_t stave) {
  return StaveAt(page, system, stave).slotCount;
}

const MscriptTimeSlot* GetTimeSlot(int32_t page, int32_t system, int32_t stave, int32_t slot) {
  return &SlotAt(page, system, stave, slot);
}

const MscriptNoteGroup* GetTimeSlotNotes(int32_t page, int32_t system, int32_t stave, int32_t slot,
                                         int32_t* count) {
  ENGINE_CHECK_POINTER(count);
  const MscriptTimeSlot& s = SlotAt(page, system, stave, slot);
  int32_t n = 0;
  for (int32_t e = 0; e < s.eventCount && n < kMaxSlotNoteGroups; ++e)
    if (s.events[e].kind == kEventNoteGroup) g_slotNotes[n++] = s.events[e].group;
  *count = n;
  return g_slotNotes;
}

const int32_t (*GetTimeSlotClefs(int32_t page, int32_t system, int32_t stave, int32_t slot,
                                 int32_t* count))[kClefWords] {
  ENGINE_CHECK_POINTER(count);
  const MscriptTimeSlot& s = SlotAt(page, system, stave, slot);
  int32_t n = 0;
  for (int32_t e = 0; e < s.eventCount && n < kMaxSlotClefs; ++e)
    if (s.events[e].kind == kEventClef) std::memcpy(g_slotClefs[n++], s.events[e].words, sizeof g_slotClefs[0]);
  *count = n;
  return g_slotClefs;
}

const int32_t (*GetTimeSlotKeySignatures(int32_t page, int32_t system, int32_t stave, int32_t slot,
                                         int32_t* count))[kKeySignatureWords] {
  ENGINE_CHECK_POINTER(count);
  const MscriptTimeSlot& s = SlotAt(page, system, stave, slot);
  int32_t n = 0;
  for (int32_t e = 0; e < s.eventCount && n < kMaxSlotKeySignatures; ++e)
    if (s.events[e].kind == kEventKeySignature)
      std::memcpy(g_slotKeySignatures[n++], s.events[e].words, sizeof g_slotKeySignatures[0]);
  *count = n;
  return g_slotKeySignatures;
}

void GetTimeSlotTimeSignature(int32_t page, int32_t system, int32_t stave, int32_t slot,
                              int32_t out[kTimeSignatureWords], int32_t* found) {
  ENGINE_CHECK(out != nullptr && found != nullptr);
  const MscriptTimeSlot& s = SlotAt(page, system, stave, slot);
  std::memset(out, 0, kTimeSignatureWords * sizeof(int32_t));
  *found = 0;
  for (int32_t e = 0; e < s.eventCount; ++e) {
    if (s.events[e].kind != kEventTimeSignature) continue;
    std::memcpy(out, s.events[e].words, kTimeSignatureWords * sizeof(int32_t));
    *found = 1;
    return;
  }
}

void GetTimeSlotBarline(int32_t page, int32_t system, int32_t stave, int32_t slot, int32_t out[kBarlineWords],
                        int32_t* found) {
  ENGINE_CHECK(out != nullptr && found != nullptr);
  const MscriptTimeSlot& s = SlotAt(page, system, stave, slot);
  std::memset(out, 0, kBarlineWords * sizeof(int32_t));
  *found = 0;
  if (s.eventCount == 0) return;
  const MscriptEvent& last = s.events[s.eventCount - 1];
  if (last.kind != kEventBarline || last.words[kBarlineWords - 1] != 0) return;
  std::memcpy(out, last.words, kBarlineWords * sizeof(int32_t));
  *found = 1;
}

int32_t GetStaveTextLineCount(int32_t page, int32_t system, int32_t stave) {
  return StaveAt(page, system, stave).textLineCount;
}

MscriptTextLine GetStaveTextLine(int32_t page, int32_t system, int32_t stave, int32_t i) {
  const MscriptStave& s = StaveAt(page, system, stave);
  return ItemAt(s.textLines, s.textLineCount, i);
}

int32_t GetTextLineWordCount(int32_t page, int32_t system, int32_t stave, int32_t line) {
  return GetStaveTextLine(page, system, stave, line).wordCount;
}

MscriptWord GetTextLineWord(int32_t page, int32_t system, int32_t stave, int32_t line, int32_t w) {
  const MscriptTextLine l = GetStaveTextLine(page, system, stave, line);
  return ItemAt(l.words, l.wordCount, w);
}

int32_t GetStaveTextItemCount(int32_t page, int32_t system, int32_t stave) {
  return StaveAt(page, system, stave).textItemCount;
}

MscriptTextItem GetStaveTextItem(int32_t page, int32_t system, int32_t stave, int32_t i) {
  const MscriptStave& s = StaveAt(page, system, stave);
  return ItemAt(s.textItems, s.textItemCount, i);
}

PackedFraction GetNoteGroupDuration(const MscriptNoteGroup& group) {
  ENGINE_CHECK(group.noteCount >= 1 && group.noteCount <= kMaxGroupNotes);
  // The group's type: its last note that is not a grace note, else the first.
  int32_t type = group.notes[0].type;
  for (int32_t k = group.noteCount - 1; k >= 0; --k) {
    if (group.notes[k].type != kNoteGrace) {
      type = group.notes[k].type;
      break;
    }
  }
  ENGINE_CHECK(type >= 0 && type <= kMultiBarRest);
  int32_t n = kBaseFractions[type].numerator;
  int32_t d = kBaseFractions[type].denominator;
  if (type == kMultiBarRest) {
    ENGINE_CHECK(group.barCount >= 0 && group.barCount <= kMaxDenominator);
    n = group.barCount;
  }

  const int32_t first = group.notes[0].type;
  int32_t k = 0;
  if (first == kNoteMinim || first == kNoteSolid) {
    if (group.beamGroupSize > 1) {
      if (first == kNoteMinim) {
        n = 1;
        d = 4;
      }
      k = group.leftBeams > group.rightBeams ? group.leftBeams : group.rightBeams;
    } else if (first == kNoteSolid) {
      k = group.flagCount > 0 ? group.flagCount : 0;
    }
  }
  // Room is left for three dots (x 8).
  for (int32_t i = 0; i < k && d * 2 * 8 <= kMaxDenominator; ++i) d *= 2;

  switch (group.dots) {
    case 1: n *= 3; d *= 2; break;
    case 2: n *= 7; d *= 4; break;
    case 3: n *= 15; d *= 8; break;
    default: break;
  }
  if (n > kMaxDenominator) {  // long multi-bar rests: keep the value exact where it can be
    const int32_t g = Gcd(n, d);
    n /= g;
    d /= g;
  }
  ENGINE_CHECK(n >= 0 && n <= kMaxDenominator && d >= 1 && d <= kMaxDenominator);
  return MakeFraction(n, d);
}

// ---- Code names ----
namespace {

constexpr MscriptCodeName kTextEncodingRows[] = {{0, "ASCII"}, {1, "ISO88591"}, {2, "UTF8"}};
constexpr MscriptCodeName kAccidentalRows[] = {
    {0, "None"},       {1, "Sharp"},      {2, "Flat"},         {3, "Natural"},
    {4, "DoubleSharp"}, {5, "DoubleFlat"}, {6, "NaturalSharp"}, {7, "NaturalFlat"},
};
constexpr MscriptCodeName kNoteTypeRows[] = {
    {kNoteBreve, "Breve"},           {kNoteSBreve, "SBreve"},         {kNoteMinim, "Minim"},
    {kNoteSolid, "Solid"},           {kNoteGrace, "Grace"},           {kBreveRest, "BreveRest"},
    {kSBreveRest, "SBreveRest"},     {kMinimRest, "MinimRest"},       {kCrotchetRest, "CrotchetRest"},
    {kQuaverRest, "QuaverRest"},     {kSQuaverRest, "SQuaverRest"},   {kDSQuaverRest, "DSQuaverRest"},
    {kHDSQuaverRest, "HDSQuaverRest"}, {kMultiBarRest, "MultiBarRest"}, {kInvisibleRest, "InvisibleRest"},
};
// In this order: the octave clefs before bass and alto.
constexpr MscriptCodeName kClefRows[] = {
    {0, "Treble"}, {3, "TrebleUp8"}, {4, "TrebleDown8"}, {5, "BassUp8"}, {6, "BassDown8"}, {1, "Bass"}, {2, "Alto"},
};
constexpr MscriptCodeName kBarlineRows[] = {
    {0, "Single"}, {1, "Double"}, {2, "Leftrepeat"}, {3, "Rightrepeat"}, {4, "Backtobackrepeat"}, {5, "ThinThick"},
};
constexpr MscriptCodeName kDynamicRows[] = {
    {0, "Hairpindim"}, {1, "Hairpincres"}, {2, "Dyn_pppp"}, {3, "Dyn_ppp"},  {4, "Dyn_pp"},
    {5, "Dyn_p"},      {6, "Dyn_mp"},      {7, "Dyn_mf"},   {8, "Dyn_f"},    {9, "Dyn_ff"},
    {10, "Dyn_fff"},   {11, "Dyn_ffff"},   {12, "Dyn_fp"},  {13, "Dyn_sf"},  {14, "Dyn_fz"},
    {15, "Dyn_sfz"},   {16, "Dyn_sffz"},   {17, "Dyn_sfp"}, {18, "Dyn_sfpp"},
};
constexpr MscriptCodeName kRepeatMarkRows[] = {
    {0, "Coda"}, {1, "Segno"}, {2, "Ending1"}, {3, "Ending2"}, {4, "Ending3"}, {5, "Ending4"},
};
constexpr MscriptCodeName kPedalOrnamentRows[] = {
    {0, "PedalEngage"},          {1, "PedalRelease"},         {2, "PedalVariable"},
    {3, "OrnamentTrill"},        {4, "OrnamentUpperMordent"}, {5, "OrnamentLowerMordent"},
    {6, "OrnamentTurn"},         {7, "OrnamentInvertedTurn"},
};

template <size_t N>
constexpr MscriptCodeTable TableOf(const MscriptCodeName (&rows)[N]) {
  return MscriptCodeTable{rows, static_cast<int32_t>(N)};
}

}  // namespace

const MscriptCodeTable kTextEncodingNames = TableOf(kTextEncodingRows);
const MscriptCodeTable kAccidentalNames = TableOf(kAccidentalRows);
const MscriptCodeTable kNoteTypeNames = TableOf(kNoteTypeRows);
const MscriptCodeTable kClefNames = TableOf(kClefRows);
const MscriptCodeTable kBarlineNames = TableOf(kBarlineRows);
const MscriptCodeTable kDynamicNames = TableOf(kDynamicRows);
const MscriptCodeTable kRepeatMarkNames = TableOf(kRepeatMarkRows);
const MscriptCodeTable kPedalOrnamentNames = TableOf(kPedalOrnamentRows);

int32_t IsMscriptCode(const MscriptCodeTable& table, int32_t code) {
  ENGINE_CHECK_POINTER(table.rows);
  for (int32_t i = 0; i < table.count; ++i)
    if (table.rows[i].code == code) return 1;
  return 0;
}

const char* GetMscriptCodeName(const MscriptCodeTable& table, int32_t code) {
  ENGINE_CHECK_POINTER(table.rows);
  for (int32_t i = 0; i < table.count; ++i)
    if (table.rows[i].code == code) return table.rows[i].name;
  EngineAssertFail(__FILE__, __LINE__);
}

int32_t FindMscriptCode(const MscriptCodeTable& table, const char* name) {
  ENGINE_CHECK_POINTER(table.rows);
  ENGINE_CHECK_POINTER(name);
  for (int32_t i = 0; i < table.count; ++i)
    if (std::strcmp(table.rows[i].name, name) == 0) return table.rows[i].code;
  return -1;
}

// ---- Boxes and costs of found objects ----
namespace {

constexpr EngineBox kNoBox{kNoBoxWord, kNoBoxWord, kNoBoxWord, kNoBoxWord};

bool IsFixedSymbolKind(int32_t kind) { return kind >= kMinFixedSymbolType && kind <= kMaxFixedSymbolType; }

EngineBox SymbolBox(int32_t index) {
  const FixedSymbol symbol = GetFixedSymbol(index);
  return EngineBox{symbol.x0, symbol.y0, symbol.x1, symbol.y1};
}

// The accidental references' count, checked with every index it names.
int32_t CheckedRefCount(const int32_t refs[3]) {
  ENGINE_CHECK_POINTER(refs);
  ENGINE_CHECK(refs[0] == 1 || refs[0] == 2);
  for (int32_t k = 1; k <= refs[0]; ++k) ENGINE_CHECK_INDEX(refs[k], GetFixedSymbolCount());
  return refs[0];
}

}  // namespace

EngineBox GetAccidentalRefsBox(const int32_t refs[3]) {
  const int32_t count = CheckedRefCount(refs);
  if (!IsLiveAccidental(refs[1])) return kNoBox;
  EngineBox box = SymbolBox(refs[1]);
  if (count == 2) box = UnionBox(box, SymbolBox(refs[2]));
  return box;
}

int32_t GetAccidentalRefsCost(const int32_t refs[3]) {
  const int32_t count = CheckedRefCount(refs);
  if (!IsLiveAccidental(refs[1])) return 0;
  int64_t sum = 0;
  for (int32_t k = 1; k <= count; ++k) sum += GetFixedSymbol(refs[k]).cost;
  return static_cast<int32_t>(sum / count);
}

EngineBox GetFoundObjectBox(int32_t kind, int32_t index) {
  if (IsFixedSymbolKind(kind)) return SymbolBox(index);
  if (kind != kObjectNotehead) return kNoBox;
  const FoundNotehead head = GetFoundNotehead(index);
  const int32_t column = head.leftX + (head.rightX - head.leftX) / 2;
  const int32_t centre = StaffStepY(head.staff, head.step, column);  // x1024
  const int32_t half = GetStaffSpace(head.staff) / 2;                 // x1024
  return EngineBox{head.leftX, RoundQ10(centre - half), head.rightX, RoundQ10(centre + half)};
}

int32_t GetFoundObjectCost(int32_t kind, int32_t index) {
  if (IsFixedSymbolKind(kind)) return GetFixedSymbol(index).cost;
  switch (kind) {
    case kObjectVerticalLine: return GetVerticalLineCost(index);
    case kObjectNotehead: return GetNoteheadCost(index);
    case kObjectBeam: return GetBeamCost(index);
    case kObjectSlur: return GetSlurCost(index);
    default: return 0;
  }
}

int32_t GetFoundObjectSmall(int32_t kind, int32_t index) {
  return kind == kObjectNotehead ? GetNoteheadSmall(index) : 0;
}
