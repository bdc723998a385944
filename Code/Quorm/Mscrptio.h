// Reading the page description. Every accessor checks its page, system,
// stave, slot and item indexes against the counts; a bad index is a failed
// internal check. Records come out as copies (systems, staves and time slots
// as addresses). The count accessors of a page's systems and a system's
// staves and slurs do not check their indexes.
#pragma once

#include <cstdint>

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
