// Text lines of the text benchmarks, rendered with FreeType at 300 dpi by the
// text reference maker's renderer (tools/textrefs) in faces Debian ships,
// cropped to their ink as the text finder crops a line's components.
#pragma once

#include <string>
#include <vector>

#include "Code/Quorm/Readline.h"
#include "tests/Code/Quorm/TextLineArt.h"

// A face: a name to print and its file below /usr/share/fonts.
struct BenchFace {
  const char* name;
  const char* file;
};

// A line to read: its text (ASCII, as printed), point size and the reading
// mode the text finder reads such a line with (0 lyrics, 1 text, 2 chords).
struct BenchLine {
  const char* text;
  int points;
  int mode;
};

// Renders the line in the face; false with a message when the font cannot
// be opened or the line has no ink.
bool RenderBenchLine(const BenchFace& face, const BenchLine& line, TextLineImage* out, std::string* error);

// The words of a reading joined by single spaces, each written as the text
// finder writes a word (the private sharp and flat bytes as "#" and "b").
std::string PlainTextOf(const LineReading& reading);
