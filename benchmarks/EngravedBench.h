// What the engine benchmarks over the engraved test pages share: an engine
// folder with the references the reference maker makes from the glyph
// fixtures, and the walk over the pages.
#pragma once

#include <cstdint>
#include <string>

// Builds the engine's integer and feature tables, writes the references
// (heads and/or symbols; the other set empty) into engineFolder's "Learned"
// and makes it the engine folder. false (said on stdout) when that fails.
bool PrepareReferenceEngine(const std::string& pagesFolder, const std::string& engineFolder, bool heads,
                            bool symbols);

// Loads the engraved pages (piano, melody, chorale) of the folder and hands
// each to time; false (said on stdout) when a page cannot be read.
using EngravedPageTimer = void (*)(const char* name, const uint32_t* bits, int width, int height);
bool TimeEngravedPages(const std::string& pagesFolder, EngravedPageTimer time);

// A timed page's start, untimed: the engine freed, the page loaded, the staff
// stage run and the music references loaded. false (said on stdout, the
// name padded to nameWidth) when one of them fails.
bool StartAfterStaffStage(const char* name, int nameWidth, const uint32_t* bits, int width, int height);

// A timed page's end: what it printed flushed, the page bitmap and the
// engine freed.
void EndTimedPage();
