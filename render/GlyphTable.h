// The glyph table: the music font's symbols by name. Drawing code names a
// symbol ("chead", "sharp", "tclef" ...) and the table gives the character
// code of "Korvalinde Extra" (tools/make_music_font.py draws a glyph at every
// code of this table; tests/render/MusicFontContractTest.cpp checks it).
#pragma once

#include <cstdint>

struct GlyphRow {
  const char* name;
  char16_t code;
};

constexpr int kGlyphRowCount = 87;

// Builds the table once (a second call does nothing); the row count is checked.
void BuildGlyphTable();
void FreeGlyphTable();
int GlyphTableCount();
// Row i (0-based) of the table, or null.
const GlyphRow* GlyphTableRow(int i);
// The first row of this exact (case-sensitive) name, or null.
const GlyphRow* FindGlyph(const char* name);
