// Following one stem candidate of a note in the 1-bit page to its far end,
// looking sideways from it along a fan of slopes for the runs that beams and
// flags leave beside a stem, and turning those runs into one side of the
// candidate's StemRecord.
#pragma once

#include <cstdint>

#include "reading/RecognitionRecords.h"
#include "stages/NoteValueStep.h"

constexpr int kBeamSlopes = 23;     // -44 .. +44 degrees in steps of 4
constexpr int kLevelSlope = 11;
constexpr int kBeamPoints = 14;
constexpr int kFlagSlopes = 4;      // 38, 46, 54, 62 degrees
constexpr int kFlagPoints = 7;
constexpr int kRunsPerSlope = 256;

struct SlopeTables {
  double beamAngle[kBeamSlopes];
  double beamX[kBeamSlopes][kBeamPoints];
  double beamY[kBeamSlopes][kBeamPoints];
  int32_t beamTangent[kBeamSlopes];   // tangent x 4096
  double flagAngle[kFlagSlopes];
  double flagX[kFlagSlopes][kFlagPoints];
  double flagY[kFlagSlopes][kFlagPoints];  // downward; upward is the negation
};
// Built once (at start-up, or by the first use); read-only afterwards.
void InitSlopeTables();
const SlopeTables& Slopes();

// A run along the stem: distances in pixels from the run search's start
// toward the stem's far end, and (list A) how far it reaches sideways.
struct SlopeRun {
  int32_t start;
  int32_t end;
  int32_t reach;
};

// What one scan leaves: shared by all scans of a step and overwritten by each.
struct StemScanBuffer {
  int32_t searchStart = 0;  // page y where the run search starts
  bool down = false;        // the scan went down the page
  int32_t stemEnd = 0;      // page y of the stem's far end
  int32_t countA[kBeamSlopes];
  SlopeRun runsA[kBeamSlopes][kRunsPerSlope];
  bool crossA[kBeamSlopes];  // the slope's runs meet only stems of another stave
  int32_t countB[kBeamSlopes];
  SlopeRun runsB[kBeamSlopes][kRunsPerSlope];
  int32_t countFlag[kFlagSlopes];
  SlopeRun runsFlag[kFlagSlopes][kRunsPerSlope];
};

// The number of beam or flag thicknesses a black run of t pixels stands for.
int ThicknessToCount(int32_t t, double half, bool narrow);

// Scans candidate c of note i for side p (0 left, 1 right): follows the stem
// from start distance d at column x and fills the scan buffer. Candidates 2
// and 3 go down the page.
void ScanStem(NoteValueWork& work, uint32_t i, int c, int p, int32_t d, int32_t x, const NoteStave& stave);
// Fills half p of the record from the buffer and the note's words 5 and 6.
void MeasureStemSide(const StemScanBuffer& scan, int p, StemRecord& record, const NoteStave& stave, NoteRecord& note);
