// What the symbol import reads of the engine's page description (page 0),
// in plain form. Kept apart from the work records so that the page
// description's own names never meet theirs in one translation unit.
#pragma once

#include <cstdint>

#include "reading/NoteGroupAdapter.h"

// A found object of the engine: (kind, index) as GetFoundObjectBox takes it.
struct FoundObjectRef {
  int32_t kind;
  int32_t index;
};

// The box (page pixels) and recognition confidence (per cent) of a found
// object; false when the object has no box.
bool EngineObjectBox(const FoundObjectRef& object, int32_t box[4], int32_t* confidence);

// The description holds this system and stave, and the engine's staff table
// its staff.
bool EngineStaveExists(int32_t system, int32_t staveInSystem);
int32_t EngineStaffOf(int32_t system, int32_t staveInSystem);
int32_t EngineSlotCount(int32_t page, int32_t system, int32_t staveInSystem);

struct EngineClef {
  int32_t code;  // 0 treble .. 6 bass down an octave, -1 none
  FoundObjectRef object;
};
// The slot's clefs, at most capacity; their number.
int EngineSlotClefs(int32_t page, int32_t system, int32_t staveInSystem, int32_t slot, EngineClef* out, int capacity);

struct EngineTime {
  int32_t shownAsSymbol, numerator, denominator;
  FoundObjectRef object;
};
bool EngineSlotTimeSignature(int32_t page, int32_t system, int32_t staveInSystem, int32_t slot, EngineTime* out);

// The slot's closing bar line in page x; the closing mark of a staff whose
// bars end without a drawn bar line is none.
struct EngineBarline {
  int32_t kind;  // 0 single, 1 double, 2 left repeat, 3 right repeat, 4 back-to-back, 5 thin-thick
  int32_t left, right;
};
bool EngineSlotBarline(int32_t page, int32_t system, int32_t staveInSystem, int32_t slot, EngineBarline* out);

// A key signature the description keeps in a time slot after the stave's
// first (a key change inside the system) whose page x lies in (fromX, toX);
// its centre x and key (sharps > 0, flats < 0) when asked for.
bool EngineKeyChangeBetween(int32_t system, int32_t staveInSystem, int32_t fromX, int32_t toX,
                            int32_t* centreX = nullptr, int32_t* key = nullptr);

// The rests of the slot's note groups, at most capacity; their number.
constexpr int32_t kEngineSemiquaverRest = 10;
constexpr int32_t kEngineDemisemiquaverRest = 11;
constexpr int32_t kEngineHemidemisemiquaverRest = 12;
struct EngineRest {
  int32_t type;  // kEngineBreveRest .. kEngineMultiBarRest
  int32_t dots;  // of its note group
  int32_t bars;  // of a multi-bar rest
  FoundObjectRef object;
};
int EngineSlotRests(int32_t page, int32_t system, int32_t staveInSystem, int32_t slot, EngineRest* out, int capacity);
