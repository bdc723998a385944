// Building the music object connection graph from the objects that the
// finders have accepted: a node per object, joints between objects that
// belong together (labels and cost from the joint tests) and conflicts
// between objects that cannot both be real (label -1 at both ends, cost -1).
#pragma once

#include <cstdint>

#include "Code/Quorm/Geometry.h"

// Gives the graph the release function of every object kind the engine
// makes: stems, noteheads, beams, slurs, bar lines, ledger lines, the text
// finder's lyric words and text-block items, and the fixed-size symbols.
void InstallGraphReleaseFunctions();

// Nodes of the line-like objects that still have their anchor points, their
// joints, and the conflicts between them. Every page is linked, however many
// objects it holds.
void BuildObjectGraph();
// Joints of the fixed-size symbols (dots, note-attached marks, accidentals,
// bar-line dots, flags, rests) to the line-like objects and to each other,
// and the conflicts of text with the symbols it covers.
void ConnectFixedSymbols();
// Key signatures from runs of sharps or flats on a staff: each run (in x
// order, at most seven) becomes one key signature that takes over the
// accidentals' conflicts; an accidental that may belong to a note stays as
// the key's alternative.
void MergeFixedSymbolGroups();

// The conflicts of a text item (kind 29 or 30, with its box) with the heads
// and slurs under it, and with the symbols that text must not cover.
// BuildObjectGraph and ConnectFixedSymbols call them for every text item
// that has a graph node.
void LinkTextConflictsWithHeadsAndSlurs(int32_t kind, int32_t reference, const EngineBox& box);
void LinkTextConflictsWithSymbols(int32_t kind, int32_t reference, const EngineBox& box);
