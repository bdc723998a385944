// Comparing shapes by their run descriptions (see RunDescription.h), and the
// NotationGroups of templates that the notehead stage grades candidates
// against.
//
// A NotationGroup (one group of the "Notation" database's first block) is
// read only through ReadNotationGroup, which walks its chunks within the
// group's own length; the database loader refuses a file whose groups do not
// walk cleanly, so at run time a group that fails the walk is simply skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "shapes/NotationGroups.h"

constexpr int kNoSpan = 65536;
constexpr int kNotComparable = 65536;
constexpr int kMaxRunsPerLine = 63;  // a line list is shorter than 256 bytes

struct ShapeRun {
  uint32_t dark;      // 0 or 1
  uint32_t position;  // the run's centre, in eighths of a cell
  uint32_t line;      // the line's index x 8, as stored
  uint32_t length;    // in eighths of a cell
};
struct RunLine {
  uint32_t count = 0;
  ShapeRun runs[kMaxRunsPerLine];
};

// A line list (its first byte the list's length) unpacked.
void UnpackShapeRunLine(const uint8_t* line, RunLine* out);
// Run i (from 1) merged into its neighbours; i = 0 copies. Returns the new
// run count; *halfLength = half the merged run's length (0 for a copy).
int MergeShapeRun(const RunLine& in, RunLine* out, int i, int* halfLength);
// Line a against line b: returns the shift sum; *difference and *runCount
// (a's runs) are set.
int CompareRunLines(const uint8_t* a, const uint8_t* b, int* difference, int* runCount);
// The pointers of count consecutive line lists from the first.
void IndexRunLines(const uint8_t* firstLine, const uint8_t** out, int count);
// Least squares y = slope x + offset, the slope held to -0.095 .. 0.095 (the
// offset then goes through the first point). 0 when all x are equal.
int FitLineClamped(const double* x, const double* y, int n, double* slope, double* offset);
// Line of one shape mapped onto another through the spans s0..s1 and
// t0..t1 (kNoSpan in any: the line maps to itself); at most count - 1.
int MapRowBetweenShapes(int line, int count, int s0, int s1, int t0, int t1);

// ---- Notation groups ----

struct NotationGroup {
  const uint8_t* start = nullptr;  // the group's first byte
  size_t length = 0;
  int typf = 255;
  int type = 255;
  const uint8_t* header = nullptr;  // the 8 header bytes of the header chunk
  bool hasThresholds = false;
  int safe = 0;      // grade 2 below it
  int maybe = kNotComparable;  // grade 1 below it
  std::vector<RunPartRecord> parts;
  std::vector<std::pair<int, int>> confusions;  // (type code, part)
  uint32_t count = 0;
  const uint8_t* offsets = nullptr;  // count u32 offsets into the description block
};
// False when the group does not walk cleanly within available bytes.
bool ReadNotationGroup(const uint8_t* group, size_t available, NotationGroup* out);
// The header chunk's data (after its tag and length bytes), or null (a debug
// line says so; no box is shown).
const uint8_t* FindMusicBlock(const uint8_t* group, size_t available);
// The description at offset i of the group, or null when it lies outside.
const uint8_t* TemplateDescription(const NotationGroup& group, uint32_t i, const uint8_t* descriptions,
                                   size_t descriptionBytes);

struct PartSpan {
  int sampleFirst = kNoSpan, sampleLast = kNoSpan;
  int templateFirst = kNoSpan, templateLast = kNoSpan;
  int value = 0;
};
// The first part record of direction partNumber whose line range holds line;
// then the first and last lines of each shape (lineCount lines of that
// direction) within the range holding a dark run whose position lies in the
// record's position range. 0 when no record applies.
int FindPartRowSpan(int line, int partNumber, const std::vector<RunPartRecord>& parts, const uint8_t* const* sampleLines,
                    const uint8_t* const* templateLines, int lineCount, PartSpan* span);

// Distance of two descriptions (0 for the same shape; kNotComparable when
// their grids differ); *grade is 2 below safe, 1 below maybe, else 0.
int ScoreShapeMatch(const uint8_t* sample, const uint8_t* shape, int safe, int maybe, int* grade);
// The group's best grade for the shape as a percentage (0 without a sample
// or at grade 0).
int MatchShapeTemplates(const NotationGroup& group, const uint8_t* descriptions, size_t descriptionBytes,
                        const uint8_t* shape, int* grade);
