// Bar calculations: the last music step of a page. Every staff is cut into
// bars at its bar lines (matched across the staves of each system); the
// notes, chords and rests of each bar are collected from the object graph
// with their beams, flags, dots, accidentals, marks and tuplets, the clefs,
// key and time signatures before them are read, and all of it goes into the
// page description as one time slot per bar.
#pragma once

#include <cstdint>

// Caps of one bar; what lies beyond them is dropped.
constexpr int32_t kMaxBarHeads = 1000;
constexpr int32_t kMaxBarStems = 200;
constexpr int32_t kMaxBarBeams = 500;
constexpr int32_t kMaxBarEvents = 100;
constexpr int32_t kMaxBarStrokes = 4;
constexpr int32_t kMaxBarSigns = 100;  // clefs before a bar's first event
constexpr int32_t kMaxSystemStaves = 65;

// Page x of the final bar line of a staff whose bars end without one.
constexpr int32_t kNoBarLineX = -999;

// Needs the page description with its page added (systems and staves).
void BuildBarEvents();
// The module's free function: every work table.
void FreeBarcalcs();
// 1 when (x, y) lies where the bars of some staff take their objects from:
// between the staff's ends, from half a space past the neighbouring staves
// of its system (10 spaces above a system's first staff and below its
// last). Only a numeral there is tried as a tuplet number. Needs the staff
// table and systems of the page.
int32_t IsInBarReach(int32_t x, int32_t y);

// The head-mark bit of a group-100 mark code in a note group's mark flags;
// -1 for any other code.
int32_t HeadMarkFlagBit(int32_t code);
// Head kind (note type) of a notehead model: 0 solid, 1 minim, 2 semibreve,
// 3 breve, 4 grace; -1 for any other model.
int32_t NoteTypeOfHeadModel(int32_t model);
// Rest note type of a rest symbol type (undotted or dotted forms); -1 for a
// type that is no rest.
int32_t NoteTypeOfRestType(int32_t type);
// The tuplet scale of a numeral over notes lasting sum in all: 1 and the
// scale in *num / *den (3:2 for 2 over one unit, 2:3 for 3 over three, 4:5
// for 5 over five, 4:6 for 6 over three), else 0.
int32_t TupletRatio(int32_t numeral, int32_t sumNumerator, int32_t* num, int32_t* den);
