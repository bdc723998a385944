// The character position and scale model of one text line: the size of the
// text (character height H and pitch Q) and three reference rows per
// character position, found by letting every candidate character vote with
// its class's trained statistics. It then charges each candidate the
// distance of its size and rows to its class and drops bad fits.
#pragma once

#include <cstdint>

struct CandidateList;

struct PositionRecord {
  int32_t row[3];
  int32_t confidence[3];
  int32_t middle;
  int32_t width;
};

// positions: the line's character positions, left to right; p the line's
// height estimate from the cutter.
void FitPositionScale(CandidateList* const* positions, int32_t count, int32_t p);
bool IsPositionScaleReady();
int32_t GetTextHeight();   // H; a failed check before the fit
int32_t GetTextPitch();    // Q
int32_t GetHeightConfidence();
int32_t GetPitchConfidence();
// The scale value of the lattices and the word re-reader: half the text
// height (at least 1), about the widest white inside a word.
int32_t GetScaleValue();
// Row 1 of the first position whose middle is at or right of x (the last
// position when none).
int32_t ReferenceRowAt(int32_t x);
int32_t PositionRecordCount();
const PositionRecord& GetPositionRecord(int32_t i);
// Charges a list's candidates their size and row distances (for lists added
// once the model is ready), at the rows of the nearest position.
void CorrectCandidateList(CandidateList* list);

// profile[from..to] with its peak: the confidence 0..1000 (clamped at 1000).
int32_t PeakConfidence(const int32_t* profile, int32_t from, int32_t to, int32_t peak);

void FreePositionRecords();  // and clears the ready flag
void FreePositionScales();
