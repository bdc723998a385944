// Chord building: inside the stave-group pass, when the leftmost remaining
// record of a stave is a note record, the chord item that starts with it is
// built: the note records that sound at the same moment on the same stem are
// gathered, and duration, dots, marks, voice, stem and beam state and one
// byte per notehead are written, with the marks and texts of its members
// around it (tuplets, ornaments, digit hints, slurs and ties).
#pragma once

#include <cstdint>

#include "building/BuildContext.h"
#include "building/StaveGroupPass.h"

// The x of a note's stem side.
int32_t NoteStemX(const NoteRecord* notes, int index, int32_t fineUnit, int32_t stemOffsetScale = 4);
// Horizontal test of two heads; vertical test of two stems.
int ChordHeadsClose(const NoteRecord* notes, int i, int j, float halfSpace);
int ChordStemsOverlap(const NoteRecord* notes, int i, int j, float halfSpace);
// Whether candidate c joins the chord of first member i: 0 no (the chord
// ends), 1 or 2 (defer it; 1 when it lies to the right of i).
int ChordJoinDecision(const NoteRecord* notes, int noteCount, const SymbolRecord* symbols, int symbolCount, int i,
                      int c, int32_t fineUnit, int mode, int32_t stemOffsetScale = 4);
// The accidental 1..7 of the note's first accidental sub-item, 0 none.
int ChordAccidental(const NoteRecord* notes, int index);
// Sorts note bytes [first, last] of an item: modes 0 and 2 by staff position,
// 1 by string. With a selection table (the editor's per-note flags, entry k
// for note byte 5 + k, the chord's k-th note), its entries move with the
// bytes; the reading thread passes none.
void SortChordEntries(uint8_t* item, int first, int last, int mode, uint32_t* selection = nullptr);

// The largest number of note bytes a chord item holds.
constexpr int kChordNoteLimit = static_cast<int>(kMaxChordNotes);

// Builds the chord that starts with note record first (and the chords that
// follow it at once after a deferral). False when a stream had no room.
bool BuildChordsFrom(BuildContext& context, PartPass& part, int first, int firstRow, int endRow);
// Closes every curve still open in a part at the end of the system: its mark
// becomes a hidden mark.
void CloseOpenCurves(BuildContext& context, PartPass& part);
