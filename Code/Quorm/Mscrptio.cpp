// The page description's read side: range-checked accessors and note-group
// durations.
#include "Code/Quorm/Mscrptio.h"

#include <cstring>

#include "Code/Quorm/Engerror.h"

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
  ENGINE_CHECK(group.noteCount >= 1 && group.noteCount <= kGroupNoteSlots);
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
