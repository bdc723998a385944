// Small text services: formatting, ANSI conversions, comparisons, paths,
// titles and character classes.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

// The project's own count-limited wide printf. Conversions as printf, with
// %s and %ls taking UTF-16 text (char16_t*), %hs 8-bit text, %c a character.
// Always NUL-ends within count; returns the length, or -1 when the text was cut.
int FormatWide(char16_t* buffer, size_t count, const char16_t* format, ...);
int FormatWideV(char16_t* buffer, size_t count, const char16_t* format, va_list args);
void FormatDecimal(char16_t* buffer, uint32_t value);  // up to 10 digits and a NUL
void FormatHex4(char16_t* buffer, uint32_t value);     // "%04x"; above 0xFFFF "ffff"

// ANSI code page conversions. The result lives in the calling thread's result
// slot until that thread's next call; a null argument gives "".
const char16_t* AnsiToWide(const char* text);
const char* WideToAnsi(const char16_t* text);
// One static slot each; a null argument frees the slot's result and returns null.
const char* WideToAnsiStatic(const char16_t* text);
const char16_t* AnsiToWideStatic(const char* text);
const char* WideToAnsiStatic2(const char16_t* text);

// Simple case folding (to lower case) of ASCII, Latin-1, Latin Extended-A,
// basic Greek and Cyrillic; other characters are returned unchanged.
char16_t FoldCase(char16_t c);
// Case-insensitive comparisons (FoldCase); <0, 0 or >0. Null reads as "".
int CompareNoCase(const char16_t* a, const char16_t* b);
int CompareNoCaseN(const char16_t* a, const char16_t* b, size_t n);
int CollateNoCase(const char16_t* a, const char16_t* b);  // the user's locale
bool ContainsNoCase(const char16_t* text, const char16_t* part);
int ParseNumbers(const char16_t* text, int* out, int max);

// Copies text into out, cut to capacity units with the NUL (capacity > 0).
void CopyTextCut(char16_t* out, size_t capacity, const char16_t* text);
// Latin-1 bytes as text into out, cut to capacity units with the NUL
// (capacity > 0); the units copied.
size_t WidenLatin1(const uint8_t* bytes, size_t length, char16_t* out, size_t capacity);

const char16_t* PathFileName(const char16_t* path);
// The extension of path's file name from its last "." ("" without one), into
// out of capacity units; "" too when it does not fit.
void PathExtension(const char16_t* path, char16_t* out, size_t capacity);
const char16_t* TrimTrailingDigits(const char16_t* name);
const char16_t* TitleFromFileName(const char16_t* fileName);

bool IsCjkChar(char16_t c);
bool ContainsCjk(const char16_t* text);
bool IsVowelChar(char16_t c);

// Win32: lets the common controls speak wide text on 9x. Native: sets the flag.
void InitCommonControlsUnicode(bool on);
bool CommonControlsUnicode();
