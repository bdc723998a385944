// Deciding each solid head's stem and value from its narrowed candidates
// (a head the engine found keeps the value the engine read from its flags
// and beams): a head with two real stems splits into two notes, the heads of
// a chord agree on one value, and heads on another note's stem or whose stem
// crosses another note are dropped or marked.
#pragma once

#include <cstdint>

#include "stages/NoteValueStep.h"

void AssignNoteValues(NoteValueWork& work);
void VoteChordValues(NoteValueWork& work);
// finalForm: the second run, after the clashing heads were pruned.
void DropHeadsOnStems(NoteValueWork& work, bool finalForm);
void FlipSqueezedStems(NoteValueWork& work);
void MarkCrossingStems(NoteValueWork& work);

// 1 when a live note of kind at most 5 - kindShift (beamed ones only when
// asked) has its flag zone meeting the box, else 0.
int FlagZoneInBox(const NoteRecord* notes, uint32_t count, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                  int kindShift, bool beamedOnly);
