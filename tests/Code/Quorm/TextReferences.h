// Text references for the line reader's tests, built in-process from the
// rendered alphabet lines (fixtures/text) through the engine's own edge
// features and class measures, and written as a "Learned\Text" file.
#pragma once

#include <string>

#include "tests/Code/Quorm/EngineDataFolder.h"

// The reference file of the glyphs of the given fixture lines (each glyph's
// ink within its truth columns is one sample; every distinct character one
// class with one main pattern per sample).
Bytes BuildTextReferences(const std::vector<std::string>& lines, int32_t spread = 50);

// The text height (the x-height) and pitch (the mean glyph width) that the
// references of a line are measured against.
struct LineMeasures {
  int32_t height;
  int32_t pitch;
};
LineMeasures MeasureReferenceLine(const std::string& name);
// Fits the position and scale model to each rendered line, one candidate
// list a glyph with its own character the only candidate at no cost, and
// expects the line's height and pitch within a tenth of the reference line's
// (alphabet_serif) and every glyph kept.
void ExpectLinesFitTheReferenceMeasures(const std::vector<std::string>& names);

// Writes the test language and the references into the folder, then loads
// spelling and references and builds the engine's tables as the engine's
// start does. False when something fails to load.
bool StartTextReading(const EngineDataFolder& folder, const std::vector<std::string>& referenceLines,
                      const std::string& dictionary, int32_t spread = 50);
// The same with the shipped references (the folder's "Learned\Text" as the
// build wrote it) instead of references of fixture lines.
bool StartShippedTextReading(const EngineDataFolder& folder, const std::string& dictionary);
// Everything shipped: the references, the language data and the dictionary
// of the folder as the build wrote them.
bool StartShippedTextRecognition(const EngineDataFolder& folder);
void StopTextReading();

// References of classes that all share one shape (the sample's), with all
// spreads set to the given value: for the classifier's edge cases.
Bytes BuildSameShapeReferences(const std::vector<int>& codes, const std::vector<uint8_t>& sample, int32_t width,
                               int32_t height, int32_t spread);
bool StartTextReadingWith(const EngineDataFolder& folder, const Bytes& references);
