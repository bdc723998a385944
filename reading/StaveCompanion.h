// The stave companion file: the image path with ".stv" appended, giving the
// staves of a page so that they need not be found. Little-endian u32: the
// count (at most 12 are read), then per stave lines, joined flag (1: same
// system as the stave before), x, y, width, height.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t kMaxCompanionStaves = 12;
constexpr uint32_t kStavesFromCompanion = 1u << 1;  // page record flag

// Reads the companion file at path into the page view's staves, writes the
// page's stave data and, when they were written, marks the current page
// record and writes the index.
// 1 read; 0 when the file cannot be opened or is damaged (a stave of no or
// more than six lines, a cut file): the page is then left as it was.
// Boxes are clipped to the page; staves left with no area are dropped.
int ReadStaveCompanion(const char16_t* path);

// The companion's path: path + ".stv"; false when it does not fit out.
bool CompanionPath(const char16_t* path, char16_t* out, size_t capacity);
