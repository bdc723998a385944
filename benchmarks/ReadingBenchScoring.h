// Symbol-level scoring of the reading stages: what the stages left in a stave
// group's lists, written as one label per symbol, against the known symbols
// of the page (a truth list beside an engraved page, or what the synthesiser
// drew). Labels of a stave are matched as multisets, category by category;
// nothing is matched across staves.
//
// Labels: clef-G clef-F clef-C (clef-T<type> for other clef types),
// key-sharp-N key-flat-N (one label for the whole signature), time-D for a
// time-signature digit, time-C, time-cut, bar, rest-1 rest-2 rest-4 rest-8
// rest-16 rest-32 rest-64 rest-breve rest-bars, acc-sharp acc-flat
// acc-natural acc-double-sharp acc-double-flat, dot (one per dot), slur (one
// per curve, ties included, counted at its first note). The category is the
// part before the first '-'.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "reading/RecognitionRecords.h"

// Labels per page stave (top to bottom, 0-based).
using StaveLabels = std::vector<std::vector<std::string>>;

// Adds the labels of one stave group's lists (symbols and notes as the
// stages leave them for score building) to found; a record's stave is its
// number within the group from firstStave. Rejected and hidden records are
// left out.
void LabelGroupRecords(const SymbolRecord* symbols, int symbolCount, const NoteRecord* notes, int noteCount,
                       int firstStave, int groupStaves, StaveLabels* found);

// Reads a truth list: one line per stave, "SYSTEM STAVE LABEL..." (1-based
// system and stave within it; LABEL*N repeats a label N times; '#' starts a
// comment). Staves are numbered down the page in file order. false with a
// message when a line cannot be read.
bool ReadTruthList(const std::string& path, StaveLabels* truth, std::string* error);

struct CategoryTally {
  int truth = 0;
  int found = 0;
  int matched = 0;
};
using Tally = std::map<std::string, CategoryTally>;

std::string CategoryOf(const std::string& label);
// Adds the multiset match of found against truth, stave by stave.
void ScoreLabels(const StaveLabels& truth, const StaveLabels& found, Tally* tally);
// One line per category and a total: truth, found, matched, precision,
// recall (a dash where there is nothing to divide by).
void PrintTally(const char* title, const Tally& tally);
