// The ledger-line finder.
#include "Code/Quorm/Findledg.h"

#include <cstdlib>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Enginetab.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Merger.h"
#include "Code/Quorm/Onebpp.h"

namespace {

EngineTable<FoundLedgerLine, 1000> gLines("ledgerlines");

// Sizes of the run, in pixels of the page staff space.
int32_t gT400 = 0;
int32_t gT60 = 0;
int32_t gT30 = 0;

// A stretch of ink along one offset from the expected row (a Merger item).
// The group columns of a group's first piece span the whole group.
struct LedgerPiece {
  int32_t offset;  // rows from the expected row
  int32_t first;   // first column
  int32_t end;     // first column after the stretch
  int32_t groupFirst;
  int32_t groupEnd;
  int32_t staff;
  int32_t side;    // -1 above, +1 below
  int32_t number;  // n of the n-th ledger line
};

LedgerPiece* PieceOf(const MergeGroup* g) { return static_cast<LedgerPiece*>(g->item); }

// Row where ledger line n on the side is expected at the column.
int32_t ExpectedRow(int32_t staff, int32_t side, int32_t n, int32_t column) {
  const int32_t line = side < 0 ? StaffTopLineY(staff, column) : StaffBottomLineY(staff, column);
  return line + side * ScaleToPixelsForStaff(staff, 100 * n);
}

bool AnyBlackOfThree(int32_t row, int32_t column) {
  return GetPagePixel(row - 1, column) || GetPagePixel(row, column) || GetPagePixel(row + 1, column);
}

int32_t GroupMiddle(const LedgerPiece* p) { return (p->groupFirst + p->groupEnd) / 2; }

// b joins a only straight below a's last (largest) offset, where their
// columns overlap.
int32_t PieceJoinCost(MergeGroup* a, MergeGroup* b) {
  const LedgerPiece* head = PieceOf(a);
  const LedgerPiece* last = PieceOf(a->tail);
  const LedgerPiece* other = PieceOf(b);
  if (other->offset <= last->offset) return kMergeNoJoin;
  if (other->groupFirst >= head->groupEnd || head->groupFirst >= other->groupEnd) return kMergeNoJoin;
  return 10 * (other->offset - last->offset);
}

void PieceJoin(MergeGroup* a, MergeGroup* b) {
  LedgerPiece* head = PieceOf(a);
  const LedgerPiece* other = PieceOf(b);
  head->groupFirst = MinOfInts(head->groupFirst, other->groupFirst);
  head->groupEnd = MaxOfInts(head->groupEnd, other->groupEnd);
}

MergePoint PieceCentre(MergeGroup* g) {
  const LedgerPiece* p = PieceOf(g);
  return {GroupMiddle(p), p->offset + gT30};
}

void PieceBox(MergeBox* out, MergeGroup* g) {
  const LedgerPiece* p = PieceOf(g);
  const int32_t middle = GroupMiddle(p);
  out->x0 = MaxOfInts(0, middle - gT400);
  out->x1 = middle + gT400 + 1;
  out->y0 = p->offset + gT30;
  out->y1 = p->offset + gT60 + gT30 + 1;
}

// The group's row at one end: the pieces' offsets weighted by how near their
// own end lies to the group's end, plus the expected row at the middle.
int32_t EndRow(MergeGroup* g, bool left) {
  const LedgerPiece* head = PieceOf(g);
  const int32_t t10 = ScaleToPixelsForStaff(head->staff, 10);
  const int32_t groupEnd = left ? head->groupFirst : head->groupEnd;
  int64_t weights = 0;
  int64_t sum = 0;
  for (MergeGroup* m = g; m != nullptr; m = m->next) {
    const LedgerPiece* p = PieceOf(m);
    const int32_t weight = t10 - std::abs((left ? p->first : p->end) - groupEnd);
    if (weight <= 0) continue;
    weights += weight;
    sum += static_cast<int64_t>(weight) * p->offset;
  }
  ENGINE_CHECK(weights >= 1);
  return static_cast<int32_t>(DivRound64(sum, weights)) +
         ExpectedRow(head->staff, head->side, head->number, GroupMiddle(head));
}

// How well a thin line sits at the row over the group's columns: clean
// columns (white, black, white across the line) and the peaks of the top
// and bottom edge histograms.
int32_t RowScore(const LedgerPiece* head, int32_t row) {
  const int32_t staff = head->staff;
  const int32_t reach = MinOfInts(ScaleToPixelsForStaff(staff, 16) + 2, 12);
  int32_t top[15] = {};
  int32_t bottom[15] = {};  // bin k + 1 for k = -1 .. reach + 1
  int32_t clean = 0;
  for (int32_t x = head->groupFirst; x < head->groupEnd; ++x) {
    for (int32_t k = 0; k <= reach; ++k) {
      if (GetPagePixel(row - k, x) && !GetPagePixel(row - k - 1, x)) {
        top[k] += 1;
        top[k + 1] += 2;
        top[k + 2] += 1;
      }
      if (GetPagePixel(row + k, x) && !GetPagePixel(row + k + 1, x)) {
        bottom[k] += 1;
        bottom[k + 1] += 2;
        bottom[k + 2] += 1;
      }
    }
    int32_t changes = 0;
    int32_t previous = GetPagePixel(row - reach, x);
    if (previous) continue;
    for (int32_t y = row - reach + 1; y <= row + reach; ++y) {
      const int32_t pixel = GetPagePixel(y, x);
      if (pixel != previous) ++changes;
      previous = pixel;
    }
    if (changes == 2 && !previous) ++clean;
  }
  const int32_t topPeak = top[ArgMaxFirst(top, 0, reach + 2)];
  const int32_t bottomPeak = bottom[ArgMaxFirst(bottom, 0, reach + 2)];
  return MinOfInts(2 * (clean - ScaleToPixelsForStaff(staff, 20)),
                   topPeak + bottomPeak - ScaleToPixelsForStaff(staff, 70));
}

void StoreGroupLine(MergeGroup* g) {
  const LedgerPiece* head = PieceOf(g);
  const int32_t leftRow = EndRow(g, true);
  const int32_t rightRow = EndRow(g, false);
  const int32_t leftScore = RowScore(head, leftRow);
  const int32_t rightScore = RowScore(head, rightRow);
  if (leftScore < 0 && rightScore < 0) return;
  FoundLedgerLine line;
  line.row = rightScore > leftScore ? rightRow : leftRow;
  line.leftX = head->groupFirst;
  line.rightX = head->groupEnd;
  line.cost = kLedgerLineCost;
  line.staff = head->staff;
  line.step = head->side * (2 * head->number + 4);
  gLines.Append(line);
}

void SeekLedgerLines(int32_t staff, int32_t side, int32_t n, int32_t x0, int32_t x1) {
  const int32_t minimum = ScaleToPixels(100);
  BeginMerge();
  for (int32_t d = -gT30; d <= gT30; ++d) {
    int32_t x = x0;
    while (x < x1) {
      if (!AnyBlackOfThree(ExpectedRow(staff, side, n, x) + d, x)) {
        ++x;
        continue;
      }
      const int32_t first = x;
      while (x < x1 && AnyBlackOfThree(ExpectedRow(staff, side, n, x) + d, x)) ++x;
      if (x - first < minimum) continue;
      LedgerPiece* piece = static_cast<LedgerPiece*>(NewMergeItem(sizeof(LedgerPiece)));
      *piece = {d, first, x, first, x, staff, side, n};
    }
  }
  RunMerge(PieceJoinCost, PieceJoin, PieceCentre, PieceBox, nullptr, 8, 8, 15);
  ForEachMergedGroup(StoreGroupLine);
  EndMerge();
}

// A staff whose per-cent tolerances round to nothing cannot be searched.
bool StaffTakesLedgerLines(int32_t staff) {
  return GetStaffLineCount(staff) == 5 && GetStaffSpace(staff) >= kMinLedgerStaffSpace &&
         ScaleToPixelsForStaff(staff, 10) >= 1;
}

}  // namespace

void DetectLedgerLines() {
  gLines.count = 0;
  gT400 = ScaleToPixels(400);
  gT60 = ScaleToPixels(60);
  gT30 = ScaleToPixels(30);
  const int32_t staves = GetStaffCount();
  for (int32_t t = 0; t < staves; ++t) {
    if (!StaffTakesLedgerLines(t)) continue;
    SeekLedgerLines(t, -1, 1, GetStaffLeftX(t), GetStaffRightX(t));
    SeekLedgerLines(t, +1, 1, GetStaffLeftX(t), GetStaffRightX(t));
  }
  const int32_t margin = ScaleToPixels(13);
  for (int32_t i = 0; i < gLines.count; ++i) {
    const FoundLedgerLine line = gLines.At(i);
    if (line.step < -14 || line.step > 14) continue;
    const int32_t side = line.step < 0 ? -1 : 1;
    const int32_t next = (std::abs(line.step) - 4) / 2 + 1;
    SeekLedgerLines(line.staff, side, next, MaxOfInts(0, line.leftX - margin),
                    MinOfInts(GetPageImageWidth(), line.rightX + margin));
  }
  // The right end is the column after the line: on the page's last column
  // for a line that runs to the edge.
  const int32_t lastColumn = GetPageImageWidth() - 1;
  for (int32_t i = 0; i < gLines.count; ++i) {
    const FoundLedgerLine& line = gLines.At(i);
    AddObjectPoint(kPointLedgerLeft, i, line.row, line.leftX);
    AddObjectPoint(kPointLedgerRight, i, line.row, MinOfInts(line.rightX, lastColumn));
  }
}

int32_t AddFoundLedgerLine(const FoundLedgerLine& line) {
  ENGINE_CHECK(line.rightX > line.leftX);
  return gLines.Append(line);
}
int32_t GetLedgerLineCount() { return gLines.count; }

void GetLedgerLinePlace(int32_t i, int32_t* row, int32_t* staff, int32_t* step) {
  const FoundLedgerLine& line = gLines.At(i);
  if (row != nullptr) *row = line.row;
  if (staff != nullptr) *staff = line.staff;
  if (step != nullptr) *step = line.step;
}

int32_t GetLedgerLineY(int32_t i) { return gLines.At(i).row; }
int32_t GetLedgerLineLeftX(int32_t i) { return gLines.At(i).leftX; }
int32_t GetLedgerLineRightX(int32_t i) { return gLines.At(i).rightX; }
int32_t GetLedgerLineCost(int32_t i) { return gLines.At(i).cost; }

void EraseLedgerLine(int32_t i) {
  const FoundLedgerLine line = gLines.At(i);
  const int32_t t = RoundQ10(ScaleToPixels(27648) / 2);
  const int32_t reach = t + 2;
  const int32_t row = line.row;
  const int32_t height = GetPageImageHeight();
  if (row < 0 || row >= height) return;
  for (int32_t x = MaxOfInts(0, line.leftX); x < MinOfInts(line.rightX, GetPageImageWidth()); ++x) {
    // The run through the row is cleared part by part: what lies at and above
    // the row, and what lies below it, each only when it stays near the row.
    if (GetPagePixel(row, x)) {
      const int32_t top = BlackRunTop(row, x, MaxOfInts(0, row - reach - 1));
      const int32_t end = BlackRunEndDown(row, x, MinOfInts(height, row + reach + 2));
      if (row - top <= reach)
        for (int32_t y = top; y <= row; ++y) ClearPagePixel(y, x);
      if (end - 1 - row <= reach)
        for (int32_t y = row + 1; y < end; ++y) ClearPagePixel(y, x);
      continue;
    }
    // A white row: the line's ink lies just above or below it.
    const int32_t above = FindInkAbove(row, x, MaxOfInts(0, row - t - 3));
    if (above < row && GetPagePixel(above, x)) {
      const int32_t top = BlackRunTop(above, x, MaxOfInts(0, row - reach - 1));
      if (row - top <= reach)
        for (int32_t y = top; y <= above; ++y) ClearPagePixel(y, x);
    }
    const int32_t below = FindInkBelow(row, x, MinOfInts(height, row + t + 4));
    if (below > row && below < height && GetPagePixel(below, x)) {
      const int32_t end = BlackRunEndDown(below, x, MinOfInts(height, row + reach + 2));
      if (end - 1 - row <= reach)
        for (int32_t y = below; y < end; ++y) ClearPagePixel(y, x);
    }
  }
}

void ReleaseLedgerLine(int32_t i) {
  gLines.At(i);
  RemoveObjectPoint(kPointLedgerLeft, i);
  RemoveObjectPoint(kPointLedgerRight, i);
}

void FreeLedgerLines() {
  gLines.Free();
  gT400 = 0;
  gT60 = 0;
  gT30 = 0;
}
