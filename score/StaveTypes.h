// The two forms of a page's staves and the traced stave lines beside them.
// StaveRow is the working form the stave finder fills and the reading stages
// read; StaveRecord is the stored form kept with the page data and edited in
// the page view. In memory only: the page data file writes them field by field.
#pragma once

#include <cstdint>

constexpr int kMaxPageStaves = 13;     // staves in use on one page
constexpr int kStaveSlots = 15;        // stave records and line tables held per page
constexpr int kMaxStaveLines = 6;
constexpr int kStaveColumns = 1024;    // a stave is cut into this many equal columns
constexpr int16_t kNotJoined = -1;     // joinLeftEnd / joinRightStart of a stave found whole

struct StaveRow {
  int16_t left = 0;
  int16_t right = 0;
  int16_t top = 0;            // y of the top line at the left end
  int16_t bottom = 0;         // y of the bottom line at the left end
  int16_t lineCount = 0;      // 1 to 6
  int16_t lineThickness = 0;
  int16_t slope = 0;          // (rightTop - top) x 4096 / (right - left); 0 from the finder
  int16_t group = 0;          // system number, from 0 down the page
  int16_t number = 0;         // stave within its group
  int16_t midX = 0;           // middle point of the top-line model
  int16_t midTop = 0;
  int16_t rightTop = 0;
  int16_t kind = 0;           // 0 ordinary, 1 tablature, 2 one to three lines
  double spacingOverride = 0.0;  // line spacing of a kind-2 stave; 0.0 none
  int16_t joinLeftEnd = kNotJoined;
  int16_t joinRightStart = kNotJoined;
};

struct StaveRecord {
  int16_t left = 0;
  int16_t top = 0;
  int16_t right = 0;
  int16_t bottom = 0;
  int16_t slope = 0;
  int16_t group = 0;
  int16_t lineCount = 0;
  int16_t lineThickness = 0;
  int16_t midX = 0;
  int16_t midTop = 0;
  int16_t rightTop = 0;
  int16_t kind = 0;
  double spacingOverride = 0.0;
  int16_t joinLeftEnd = kNotJoined;
  int16_t joinRightStart = kNotJoined;
};

// For stave s, line k and column c: the line's y at that column minus the
// stave's top. Only lines below the stave's line count mean anything.
struct StaveLineTable {
  int16_t y[kStaveSlots][kMaxStaveLines][kStaveColumns];
};

// The per-stave curve state kept with the line table.
//   curvesValid[s]: 1 when the table of s matches its outline.
//   modelCurves[s]: 1 when tracing s was unreliable.

StaveRecord StaveRecordFromRow(const StaveRow& row);
// The stave number is not stored; the row gets 0.
StaveRow StaveRowFromRecord(const StaveRecord& record);
