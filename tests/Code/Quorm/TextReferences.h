// Text references for the line reader's tests, built in-process from the
// rendered alphabet lines (fixtures/text) through the engine's own edge
// features and class measures, and written as a "Learned\Text" file.
#pragma once

#include <string>

#include "tests/Code/Quorm/EngineDataFolder.h"

// The reference file of the glyphs of the given fixture lines (each glyph's
// ink within its truth columns is one sample; every distinct character one
// class with one main pattern per sample).
Bytes BuildTextReferences(const std::vector<std::string>& lines);

// Writes the test language and the references into the folder, then loads
// spelling and references and builds the engine's tables as the engine's
// start does. False when something fails to load.
bool StartTextReading(const EngineDataFolder& folder, const std::vector<std::string>& referenceLines,
                      const std::string& dictionary);
void StopTextReading();
