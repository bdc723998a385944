// Engraved one-stave fixture pages read by the engine with the shipped
// reference sets, and their notes as the music benchmark scores them.
#pragma once

#include <string>
#include <vector>

#include "benchmarks/MusicNotes.h"

// Loads tests/Code/Quorm/fixtures/<name> and runs the staff stage and the
// page's recognition (test failures on the way; check HasFatalFailure).
void RecogniseEngravedFixture(const std::string& name);

// The notes of every system of the page description, in order, from a page
// of one-stave systems (systems is the count the page must have).
std::vector<refmaker::ScoredNote> NotesOfOneStaveSystems(int systems);

// " step:duration" per note, for readable comparisons.
std::string DescribeNotes(const std::vector<refmaker::ScoredNote>& notes);

// Recognises the fixture and expects the notes of its one-stave systems to
// be the expected ones, in order. The engine keeps the page for further
// checks (check HasFatalFailure first).
void ExpectFixtureNotes(const std::string& name, int systems, const std::vector<refmaker::ScoredNote>& expected);
