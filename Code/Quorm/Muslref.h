// Music reference data: the music symbol references and the notehead
// references of one run, their size test and their feature distances.
// The loaders fill the one store below; everything else reads it.
#pragma once

#include <cstdint>

#include "Code/Quorm/Muslfile.h"

constexpr int kMusicFeatureCount = 94;  // 90 edge features + 4 extra features

// One record of the music symbol reference file, 248 bytes in the file and
// in memory (little-endian fields).
struct MusicReference {
  int32_t word0;
  int32_t word1;
  uint8_t label[32];
  int32_t type;              // FixedSymbolType
  uint8_t edgeRefs[180];     // 90 (value, weight row) pairs for features 0..89
  uint8_t extraRefs[8];      // 4 pairs for features 90..93
  int32_t minWidth;          // per cent of the staff space
  int32_t maxWidth;
  int32_t minHeight;
  int32_t maxHeight;
};
static_assert(sizeof(MusicReference) == 248, "music reference record is 248 bytes");

// One record of the notehead reference file, 204 bytes.
struct NoteheadReference {
  int32_t headClass;  // 0..7
  int32_t word1;
  int32_t variant;    // 0 always used, 1..3 by option
  int32_t words3to5[3];
  uint8_t edgeRefs[180];
};
static_assert(sizeof(NoteheadReference) == 204, "notehead reference record is 204 bytes");

constexpr int32_t kMusicReferenceRecordSize = 248;
constexpr int32_t kNoteheadReferenceRecordSize = 204;

// The loaded sets of the run ("musicrefs", "nheadrefs").
struct MusicReferenceStore {
  MusicReference* music;
  int32_t musicCount;
  NoteheadReference* noteheads;
  int32_t noteheadCount;
  // Per head class, bit v set when a reference of variant v is loaded; made
  // when the set loads, so the notehead finder knows which classes it can
  // classify before it searches.
  uint8_t headClassVariants[kMaxHeadClass + 1];
};
MusicReferenceStore& LoadedMusicReferences();

// Loader side: reads both files; returns null or "Xrdomrdat".
const char* LoadMusicReferences();
void FreeMusicReferences();

// Reading side. Record indices are not range-checked: callers loop over
// 0..count-1.
int32_t GetMusicReferenceCount();
int32_t GetMusicReferenceType(int32_t r);
int32_t MusicReferenceFitsSize(int32_t width, int32_t height, int32_t staffSpace1024, int32_t r);
int32_t MusicReferenceDistance(const uint8_t* features94, int32_t r);
int32_t GetNoteheadReferenceCount();
int32_t NoteheadReferenceDistance(const uint8_t* features90, int32_t r);
int32_t GetNoteheadReferenceClass(int32_t r);
int32_t GetNoteheadReferenceVariant(int32_t r);
// The variants loaded for a head class (bit v for variant v); 0 for a class
// outside 0..7 or without references.
int32_t GetNoteheadClassVariants(int32_t headClass);

// patch: one byte per pixel (non-zero = ink), rows of width bytes.
void ClassifyMusicPatch(uint8_t* features94, const uint8_t* patch, int32_t width, int32_t height,
                        int32_t staffSpace1024);

int32_t IsTimeNumeratorType(int32_t type);
int32_t IsTimeDenominatorType(int32_t type);
int32_t TimeSignatureTypeOfNumbers(int32_t topType, int32_t bottomType);
