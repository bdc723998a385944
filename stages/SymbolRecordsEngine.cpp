#include "stages/SymbolRecordsEngine.h"

#include <algorithm>

#include "Code/Quorm/Barcalcs.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Mscrptio.h"
#include "Code/Quorm/Quorm.h"

static_assert(kEngineBreveRest == kBreveRest && kEngineSemiquaverRest == kSQuaverRest &&
                  kEngineDemisemiquaverRest == kDSQuaverRest && kEngineHemidemisemiquaverRest == kHDSQuaverRest &&
                  kEngineMultiBarRest == kMultiBarRest,
              "the engine's rest types");

namespace {

// Page x of a bar line's x in script units (sixteenths of the page's staff
// space from the staff's left end).
int32_t BarlinePageX(int32_t script, int32_t staff) {
  const int64_t space = GetPageStaffSpace();  // x1024
  return GetStaffLeftX(staff) + static_cast<int32_t>((script * space + 8192) / 16384);
}

}  // namespace

bool EngineObjectBox(const FoundObjectRef& object, int32_t box[4], int32_t* confidence) {
  const EngineBox b = GetFoundObjectBox(object.kind, object.index);
  if (b.x0 == kNoBoxWord) return false;
  box[0] = b.x0;
  box[1] = b.y0;
  box[2] = b.x1;
  box[3] = b.y1;
  *confidence = CostToConfidence(GetFoundObjectCost(object.kind, object.index));
  return true;
}

bool EngineStaveExists(int32_t system, int32_t staveInSystem) {
  if (system < 0 || staveInSystem < 0) return false;
  if (GetPageDescription().pageCount < 1) return false;
  if (system >= GetPageSystemCount(0) || staveInSystem >= GetSystemStaveCount(0, system)) return false;
  const int32_t staff = GetStaffOfSystem(system, staveInSystem);
  return staff >= 0 && staff < GetStaffCount() && GetStaffSystem(staff) == system;
}

int32_t EngineStaffOf(int32_t system, int32_t staveInSystem) { return GetStaffOfSystem(system, staveInSystem); }

int32_t EngineSlotCount(int32_t page, int32_t system, int32_t staveInSystem) {
  return GetStaveTimeSlotCount(page, system, staveInSystem);
}

int EngineSlotClefs(int32_t page, int32_t system, int32_t staveInSystem, int32_t slot, EngineClef* out, int capacity) {
  int32_t n = 0;
  const int32_t(*clefs)[kClefWords] = GetTimeSlotClefs(page, system, staveInSystem, slot, &n);
  n = std::min(n, capacity);
  for (int32_t i = 0; i < n; ++i) out[i] = EngineClef{clefs[i][0], {clefs[i][3], clefs[i][4]}};
  return n;
}

bool EngineSlotTimeSignature(int32_t page, int32_t system, int32_t staveInSystem, int32_t slot, EngineTime* out) {
  int32_t words[kTimeSignatureWords];
  int32_t found = 0;
  GetTimeSlotTimeSignature(page, system, staveInSystem, slot, words, &found);
  if (!found) return false;
  *out = EngineTime{words[0], words[3], words[4], {words[5], words[6]}};
  return true;
}

bool EngineKeyChangeBetween(int32_t system, int32_t staveInSystem, int32_t fromX, int32_t toX, int32_t* centreX,
                            int32_t* key) {
  if (!EngineStaveExists(system, staveInSystem)) return false;
  const int32_t staff = GetStaffOfSystem(system, staveInSystem);
  const int32_t slots = GetStaveTimeSlotCount(0, system, staveInSystem);
  for (int32_t slot = 1; slot < slots; ++slot) {
    int32_t n = 0;
    const int32_t(*keys)[kKeySignatureWords] = GetTimeSlotKeySignatures(0, system, staveInSystem, slot, &n);
    for (int32_t k = 0; k < n; ++k) {
      const int32_t x = BarlinePageX(keys[k][2], staff);
      if (x <= fromX || x >= toX) continue;
      if (centreX) *centreX = x;
      if (key) *key = keys[k][0];
      return true;
    }
  }
  return false;
}

bool EngineSlotBarline(int32_t page, int32_t system, int32_t staveInSystem, int32_t slot, EngineBarline* out) {
  int32_t words[kBarlineWords];
  int32_t found = 0;
  GetTimeSlotBarline(page, system, staveInSystem, slot, words, &found);
  if (!found || words[1] == kNoBarLineX || words[2] == kNoBarLineX) return false;
  const int32_t staff = GetStaffOfSystem(system, staveInSystem);
  out->kind = words[0];
  out->left = BarlinePageX(std::min(words[1], words[2]), staff);
  out->right = BarlinePageX(std::max(words[1], words[2]), staff);
  return true;
}

int EngineSlotRests(int32_t page, int32_t system, int32_t staveInSystem, int32_t slot, EngineRest* out, int capacity) {
  int32_t groups = 0;
  const MscriptNoteGroup* notes = GetTimeSlotNotes(page, system, staveInSystem, slot, &groups);
  int n = 0;
  for (int32_t g = 0; g < groups; ++g) {
    const MscriptNoteGroup& group = notes[g];
    const int32_t noteCount = std::clamp(group.noteCount, 0, kMaxGroupNotes);
    for (int32_t k = 0; k < noteCount && n < capacity; ++k) {
      const MscriptNote& note = group.notes[k];
      if (note.type < kBreveRest || note.type > kMultiBarRest) continue;
      // A rest's found object is its fixed-size symbol.
      if (note.object < 0 || note.object >= GetFixedSymbolCount()) continue;
      const FixedSymbol symbol = GetFixedSymbol(note.object);
      if (symbol.deleted) continue;
      out[n++] = EngineRest{note.type, group.dots, group.barCount, {symbol.type, note.object}};
    }
  }
  return n;
}
