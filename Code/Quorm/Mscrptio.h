// Reading the page description. Every accessor checks its page, system,
// stave, slot and item indexes against the counts; a bad index is a failed
// internal check. Records come out as copies (systems, staves and time slots
// as addresses). The count accessors of a page's systems and a system's
// staves and slurs do not check their indexes.
#pragma once

#include <cstdint>

#include "Code/Quorm/Geometry.h"
#include "Code/Quorm/Mscript.h"

constexpr int32_t kMaxSlotNoteGroups = 100;
constexpr int32_t kMaxSlotClefs = 20;
constexpr int32_t kMaxSlotKeySignatures = 20;

int32_t GetPageSystemCount(int32_t page);
int32_t GetSystemSlurCount(int32_t page, int32_t system);
MscriptSlur GetSystemSlur(int32_t page, int32_t system, int32_t i);
int32_t GetSystemStaveCount(int32_t page, int32_t system);
const MscriptStave* GetSystemStave(int32_t page, int32_t system, int32_t stave);
const MscriptSystem* GetPageSystem(int32_t page, int32_t system);

int32_t GetStaveDynamicCount(int32_t page, int32_t system, int32_t stave);
MscriptDynamic GetStaveDynamic(int32_t page, int32_t system, int32_t stave, int32_t i);
int32_t GetStaveRepeatMarkCount(int32_t page, int32_t system, int32_t stave);
MscriptRepeatMark GetStaveRepeatMark(int32_t page, int32_t system, int32_t stave, int32_t i);
int32_t GetStavePedalOrnamentCount(int32_t page, int32_t system, int32_t stave);
MscriptPedalOrnament GetStavePedalOrnament(int32_t page, int32_t system, int32_t stave, int32_t i);
int32_t GetStaveTimeSlotCount(int32_t page, int32_t system, int32_t stave);
const MscriptTimeSlot* GetTimeSlot(int32_t page, int32_t system, int32_t stave, int32_t slot);

// Fixed arrays (100, 20, 20 entries) overwritten by the next call of the same
// accessor; a slot with more events of the kind gives the first ones.
const MscriptNoteGroup* GetTimeSlotNotes(int32_t page, int32_t system, int32_t stave, int32_t slot,
                                         int32_t* count);
const int32_t (*GetTimeSlotClefs(int32_t page, int32_t system, int32_t stave, int32_t slot,
                                 int32_t* count))[kClefWords];
const int32_t (*GetTimeSlotKeySignatures(int32_t page, int32_t system, int32_t stave, int32_t slot,
                                         int32_t* count))[kKeySignatureWords];
// The slot's first time signature (found 1), else zeros (found 0).
void GetTimeSlotTimeSignature(int32_t page, int32_t system, int32_t stave, int32_t slot,
                              int32_t out[kTimeSignatureWords], int32_t* found);
// The slot's last event when it is a bar line whose last word is 0.
void GetTimeSlotBarline(int32_t page, int32_t system, int32_t stave, int32_t slot, int32_t out[kBarlineWords],
                        int32_t* found);

int32_t GetStaveTextLineCount(int32_t page, int32_t system, int32_t stave);
MscriptTextLine GetStaveTextLine(int32_t page, int32_t system, int32_t stave, int32_t i);
int32_t GetTextLineWordCount(int32_t page, int32_t system, int32_t stave, int32_t line);
MscriptWord GetTextLineWord(int32_t page, int32_t system, int32_t stave, int32_t line, int32_t w);
int32_t GetStaveTextItemCount(int32_t page, int32_t system, int32_t stave);
MscriptTextItem GetStaveTextItem(int32_t page, int32_t system, int32_t stave, int32_t i);

// A note group's duration as a packed fraction (numerator low 16 bits,
// denominator high 16 bits).
PackedFraction GetNoteGroupDuration(const MscriptNoteGroup& group);

// ---- Code names: one table per code field of the description ----
struct MscriptCodeName {
  int32_t code;
  const char* name;
};
struct MscriptCodeTable {
  const MscriptCodeName* rows;
  int32_t count;
};
extern const MscriptCodeTable kTextEncodingNames;   // 0 "ASCII" .. 2 "UTF8"
extern const MscriptCodeTable kAccidentalNames;     // 0 "None" .. 7 "NaturalFlat"
extern const MscriptCodeTable kNoteTypeNames;       // MscriptNoteType: 0 "Breve" .. 14 "InvisibleRest"
extern const MscriptCodeTable kClefNames;           // 0 "Treble" .. 6 "BassDown8"
extern const MscriptCodeTable kBarlineNames;        // 0 "Single" .. 5 "ThinThick"
extern const MscriptCodeTable kDynamicNames;        // 0 "Hairpindim", 1 "Hairpincres", 2 "Dyn_pppp" .. 18 "Dyn_sfpp"
extern const MscriptCodeTable kRepeatMarkNames;     // 0 "Coda" .. 5 "Ending4"
extern const MscriptCodeTable kPedalOrnamentNames;  // 0 "PedalEngage" .. 7 "OrnamentInvertedTurn"
// 1 when the table holds the code.
int32_t IsMscriptCode(const MscriptCodeTable& table, int32_t code);
// The name of a code; a code that the table does not hold is a failed check.
const char* GetMscriptCodeName(const MscriptCodeTable& table, int32_t code);
// The code of a name; -1 when the table has no such name.
int32_t FindMscriptCode(const MscriptCodeTable& table, const char* name);

// ---- Boxes and costs of found objects ----
// The box word of a found object that has none.
constexpr int32_t kNoBoxWord = static_cast<int32_t>(0x80000000u);
// A note's accidental references: count, then one or two fixed-size symbol
// indexes (the count must be 1 or 2 and each index must name a symbol; a
// failed check otherwise). The union box of the symbols named; kNoBoxWord in
// all four words when the first is no live accidental.
EngineBox GetAccidentalRefsBox(const int32_t refs[3]);
// The mean cost of the one or two symbols named; 0 when the first is no live
// accidental. Checked as GetAccidentalRefsBox.
int32_t GetAccidentalRefsCost(const int32_t refs[3]);
// A fixed-size symbol's box (kind: its symbol type), or for a notehead its
// column range and its staff step's row plus and minus half a staff space;
// kNoBoxWord in all four words for other kinds. The index is checked
// against the kind's table.
EngineBox GetFoundObjectBox(int32_t kind, int32_t index);
// The cost of a fixed-size symbol, vertical line (1), notehead (2, the
// normalised cost), beam (3) or slur (5); 0 for other kinds. The index is
// checked against the kind's table.
int32_t GetFoundObjectCost(int32_t kind, int32_t index);
// 1 for a notehead found by a small-head (cue-size) model, 0 for any other
// found object. The index is checked against the notehead table.
int32_t GetFoundObjectSmall(int32_t kind, int32_t index);
