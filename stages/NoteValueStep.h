// The note-value step of a stave group: measures the stem candidates of every
// solid head (and tablature number), counts the flags and beams beside each
// stem, chooses one stem per note and writes the note values. What the passes
// of the step share is one NoteValueWork, made at the start of a call and
// freed at its end.
#pragma once

#include <cstdint>

#include "reading/PageImage.h"
#include "reading/ReadingThread.h"
#include "reading/RecognitionRecords.h"
#include "reading/StaveGeometry.h"

struct StemScanBuffer;

// Quality markers the step leaves in note records.
constexpr int16_t kNoStemQuality = 100;          // no usable stem, or the neighbour stave's
constexpr int16_t kCrossedStemQuality = 4660;    // its stem crosses another note
constexpr int16_t kOwnBeamQuality = static_cast<int16_t>(0xF000);  // valued by beams on its own stave
constexpr int16_t kUnderMarkQuality = 256;       // added while a record lies under a flag or beam
constexpr int16_t kConfirmedOrigin = 100;        // origin of a head the engine confirmed
constexpr int16_t kFreshOrigin = 99;

struct NoteValueWork {
  PageImage image;                 // the 1-bit page image being read
  StavePage* geometry = nullptr;   // line look-ups
  const StaveRow* rows = nullptr;
  int staveCount = 0;
  int firstStave = 0;              // the group's first stave row
  NoteRecord* notes = nullptr;
  uint32_t* noteCount = nullptr;
  SymbolRecord* symbols = nullptr;
  uint32_t* symbolCount = nullptr;
  StemRecord* stems[4] = {nullptr, nullptr, nullptr, nullptr};  // per candidate, in step with the notes
  StemScanBuffer* scan = nullptr;
};

// The measures of the stave a note stands on; SetStaveUnits has been called
// for it. row is -1 for a stave that is not in the group.
struct NoteStave {
  int row = -1;
  int32_t unit = 1;        // staveUnit
  int32_t smallUnit = 1;   // smallStaveUnit
  float half = 1.0f;       // half the line spacing
  int32_t space = 2;       // rounded line spacing
  int lineCount = 5;
  bool tab = false;
};
// False (and row -1) when the note's stave is not a row of the group.
bool NoteStaveOf(const NoteValueWork& work, const NoteRecord& note, NoteStave* out);
// The group row of a stave number of the group, or -1.
int GroupRowOf(const NoteValueWork& work, int stave);

// Stem candidate fields: the offset byte (pixels) and the strength byte
// (signed; strength - 1 is the measured length in stave spaces).
inline int32_t StemOffsetOf(const NoteRecord& n, int c) { return static_cast<uint16_t>(n.stemOffset[c]) & 0xFF; }
inline int32_t StemStrengthOf(const NoteRecord& n, int c) {
  return static_cast<int8_t>((static_cast<uint16_t>(n.stemOffset[c]) >> 8) & 0xFF);
}
inline void SetStemStrength(NoteRecord& n, int c, int32_t strength) {
  n.stemOffset[c] = static_cast<int16_t>((StemOffsetOf(n, c)) | ((strength & 0xFF) << 8));
}
// Removes candidate c: length and strength 0.
inline void RemoveStemCandidate(NoteRecord& n, int c) {
  n.stemLength[c] = 0;
  SetStemStrength(n, c, 0);
}
// The page column of candidate c's stem.
int32_t StemColumn(const NoteRecord& n, int c, int32_t unit);

inline bool IsLiveNote(const NoteRecord& n) { return n.quality <= 5; }
// Solid heads and tablature numbers: the records whose stems are measured.
inline bool IsStemmedKind(uint32_t kind) { return kind <= kNoteCrotchet || kind == kNoteTabNumber; }

// Removes note i and record i of the four stem arrays.
void DeleteNoteWithStems(NoteRecord* notes, uint32_t& count, StemRecord* const stems[4], uint32_t index);

// The step: 1 when the group may go on, 0 when the page must end (memory or
// a cancel).
int ResolveNoteValues(NoteValueWork& work);
// The stage table's entry.
int NoteValueStage(StageContext& context);

// The line look-ups of the work (a plain geometry when it has none).
StavePage& WorkGeometry(const NoteValueWork& work);
// y of the top and bottom line of a group row at x.
int32_t RowTopLineY(const NoteValueWork& work, int row, int32_t x);
int32_t RowBottomLineY(const NoteValueWork& work, int row, int32_t x);
