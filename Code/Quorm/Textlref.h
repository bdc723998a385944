// The text reference data: the character classes and the three-level
// pattern tree (very-fast -> fast -> main patterns) of the text character
// classifier, loaded from "Learned\Text" for one run.
#pragma once

#include <cstdint>

#include "Code/Quorm/Engerror.h"

constexpr int32_t kTextRefHeaderSize = 104;

// 112 bytes: word 0 holds the class character (a code-page byte), words
// 1..27 the class data.
struct TextClassRef {
  int32_t words[28];
};
// 244 bytes: word 2 holds the class character; word 5 the typical distance,
// word 6 the result flags; 96 packed (value, weight row) feature pairs.
struct TextMainPattern {
  int32_t words[12];
  uint8_t features[192];
  int32_t on;
};
// 104 bytes: words 0 and 1 the range of main patterns [first, end); words 2
// and 3 the limit; 40 feature pairs.
struct TextFastPattern {
  int32_t words[5];
  uint8_t features[80];
  int32_t on;
};
// 48 bytes: words 0 and 1 the range of fast patterns [first, end); 12
// feature pairs.
struct TextVeryFastPattern {
  int32_t words[5];
  uint8_t features[24];
  int32_t on;
};
static_assert(sizeof(TextClassRef) == 112 && sizeof(TextMainPattern) == 244 && sizeof(TextFastPattern) == 104 &&
                  sizeof(TextVeryFastPattern) == 48,
              "text reference records keep their file sizes");

struct TextRefHeader {
  int32_t word0;
  int32_t classCount;
  int32_t word2;
  int32_t mainCount;
  int32_t fastCount;
  int32_t veryFastCount;
};

struct TextReferenceStore {
  TextRefHeader header;
  TextClassRef* classes;          // "classrefdata"
  TextMainPattern* main;          // "mainrefpatts"
  TextFastPattern* fast;          // "fastrefpatts"
  TextVeryFastPattern* veryFast;  // "vfastrefpatts"
  int16_t classOfCharacter[256];  // -1: no class
};
const TextReferenceStore& LoadedTextReferences();

// null, "Xnewldocr" (already loaded), "Xreaddat" (cannot be opened) or
// "Xrdocrdat" (the file is not a valid text reference file).
EngineCode LoadTextReferences();
// The header only: null or "Xreaddat".
EngineCode ReadTextRefHeader(const char* path, TextRefHeader* out);
// Checks the whole file against its header (lengths, pattern ranges) without
// allocating: null or "Xrdocrdat".
EngineCode CheckTextRefFile(const char* path, TextRefHeader* out);
void FreeTextReferences();

int32_t GetClassCharacter(int32_t i);        // 0 for i >= the class count
int32_t GetClassOfCharacter(unsigned char c);  // -1 when no class has it
// Words 1-4, 5-8, 9-12, 13-16, 17-20 of class i (checked).
void GetClassRefA(int32_t i, int32_t out[4]);
void GetClassRefB(int32_t i, int32_t out[4]);
void GetClassRefC(int32_t i, int32_t out[4]);
void GetClassRefD(int32_t i, int32_t out[4]);
void GetClassRefE(int32_t i, int32_t out[4]);
// Sets the "on" words from the engine's character table.
void EnableTextPatterns();
