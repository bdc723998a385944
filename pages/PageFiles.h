// Names of a page's files in the page store: "Dir" + folder + "\Scan" + id
// for the image, "Dir"/"TDir" + folder + "\Data" + id for the saved and the
// working page data, with the folder scanId / 32 and both in four lower-case
// hexadecimal digits (65535 for a negative id).
#pragma once

#include <cstddef>
#include <cstdint>

enum class PageFile { kImage, kData, kWorkingData };

constexpr size_t kPagePathUnits = 520;

// The path of one of a page's files; makes the folder when make is set.
// False (out empty) when the path does not fit.
bool PageFilePath(PageFile which, int16_t scanId, bool make, char16_t* out, size_t capacity);
template <size_t N>
bool PageFilePath(PageFile which, int16_t scanId, bool make, char16_t (&out)[N]) {
  return PageFilePath(which, scanId, make, out, N);
}
