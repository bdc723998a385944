// Synthesised score pages for the reading benchmark: one-stave systems on an
// A4 page whose every symbol is stamped from the Emmentaler glyph fixtures
// (tests/Code/Quorm/fixtures/glyphs), so what was drawn is known exactly.
// Each stave holds a clef, a key signature, a time signature and five bars
// of crotchets (some with an accidental, some dotted, some under a slur) and
// rests, each bar closed by a bar line.
#pragma once

#include <string>

#include "benchmarks/ReadingBenchScoring.h"
#include "tests/Code/Quorm/PageSynth.h"

struct SynthesisedScore {
  int resolution;
  int staffSpace;  // one of the glyph fixtures' rendered staff spaces
  uint32_t seed;
};

// Draws the page (its size A4 at the resolution) and the labels of what was
// drawn, stave by stave. false with a message when a glyph cannot be read.
bool DrawSynthesisedScore(const std::string& glyphFolder, const SynthesisedScore& score, SynthPage* page,
                          StaveLabels* truth, std::string* error);
