// The ledger-line finder: short lines above and below five-line staves at the
// rows where the first, second ... ledger line of a staff is expected. Each
// line found opens the search for the next one further out.
#pragma once

#include <cstdint>

struct FoundLedgerLine {
  int32_t row;
  int32_t leftX;   // first column
  int32_t rightX;  // first column after the line
  int32_t cost;    // always kLedgerLineCost
  int32_t staff;
  int32_t step;    // -(2n + 4) for the n-th line above the staff, 2n + 4 below
};
static_assert(sizeof(FoundLedgerLine) == 24, "6 words");

constexpr int32_t kLedgerLineCost = 500;
// Staves whose staff space (x1024) is below this take no part: their per-cent
// tolerances round to nothing.
constexpr int32_t kMinLedgerStaffSpace = 5 * 1024;

// The driver: finds the lines of every five-line staff and gives each its
// two anchor points. Needs the staff table, the page scale and the object
// points.
void DetectLedgerLines();

// Appends a line (for hand-made tables) and returns its index.
int32_t AddFoundLedgerLine(const FoundLedgerLine& line);
int32_t GetLedgerLineCount();
// Accessors: 0 <= i < count, else a failed check.
void GetLedgerLinePlace(int32_t i, int32_t* row, int32_t* staff, int32_t* step);
int32_t GetLedgerLineY(int32_t i);
int32_t GetLedgerLineLeftX(int32_t i);
int32_t GetLedgerLineRightX(int32_t i);
int32_t GetLedgerLineCost(int32_t i);

// Clears the line's own ink from the page image; strokes that cross it (a
// stem, a head) are left.
void EraseLedgerLine(int32_t i);
// Removes the line's two anchor points.
void ReleaseLedgerLine(int32_t i);
// The module's free function.
void FreeLedgerLines();
