// The recent-files list (kept in the "Global settings"), most recent first.
#pragma once

#include <cstddef>

// Puts path at the top; a path already there (compared without regard to
// case) moves up; at most five are kept.
void AddRecentFile(const char16_t* path);
// The menu text "%d %s%s" (number from 1, file name, extension) of entry
// index; "" past the end. out holds capacity units.
void FormatRecentFileItem(int index, char16_t* out, size_t capacity);
