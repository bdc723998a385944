// Building the music object connection graph from the objects that the
// finders have accepted.
#pragma once

#include <cstdint>

// Gives the graph the release function of every object kind the engine
// makes: stems, noteheads, beams, slurs, bar lines, ledger lines and the
// fixed-size symbols. The text item kinds are the text finder's to give.
void InstallGraphReleaseFunctions();
