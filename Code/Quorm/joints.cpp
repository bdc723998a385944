// Joints between found objects.
#include "Code/Quorm/joints.h"

#include <cmath>
#include <cstdlib>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findledg.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/findbarl.h"

namespace {

// The page staff space in pixels, as the confidence and distance costs use it.
double PageStaffSpacePixels() { return GetPageStaffSpace() / 1024.0; }

bool PageTakesPart() { return StaffSpaceTakesPart(GetPageStaffSpace()) && GetStaffCount() > 0; }

int32_t P(int32_t percent) { return ScaleToPixels(percent); }

EnginePoint Centre(const EngineBox& box) { return {(box.y0 + box.y1) / 2, (box.x0 + box.x1) / 2}; }

// The staff nearest to the middle of a line, or -1 when it takes no part.
int32_t StaffOfLine(const JointLine& line) {
  if (GetStaffCount() == 0) return -1;
  const int32_t staff = NearestStaff((line.top.y + line.bottom.y) / 2, (line.top.x + line.bottom.x) / 2);
  return StaffSpaceTakesPart(GetStaffSpace(staff)) ? staff : -1;
}

// Where a beam or a flag meets a stem at a row: 1 within one staff space of
// the top, 3 within one of the bottom, 11 elsewhere.
int32_t StemSideLabel(const JointLine& line, int32_t row, int32_t staffSpace) {
  if (std::abs(row - line.top.y) <= staffSpace) return kJointBeamAtTop;
  if (std::abs(row - line.bottom.y) > staffSpace) return kJointInside;
  return kJointBeamAtBottom;
}

// Strictly between the bottom line of a staff and the top line of the next
// staff of its system, at the column.
bool BetweenStavesOfSystem(int32_t y, int32_t x) {
  for (int32_t k = 0; k + 1 < GetStaffCount(); ++k)
    if (GetStaffSystem(k) == GetStaffSystem(k + 1) && StaffBottomLineY(k, x) < y && y < StaffTopLineY(k + 1, x))
      return true;
  return false;
}

// The cost of a head point against the line at its row; side 0 keeps the
// point no further left than the line, side 1 no further right.
int32_t HeadSideCost(EnginePoint head, const JointLine& line, int side) {
  const EnginePoint on = JointLinePointAtRow(line, head.y);
  if (side == 0)
    RaiseTo(on.x, &head.x);
  else
    LowerTo(&head.x, on.x);
  return JointCostFromDistance(JointDistanceCost(head, on, 8));
}

// A beam end (or a point of the beam) against the line; side -1 keeps the
// point no further left than the line, +1 no further right, 0 leaves it.
int32_t BeamPointCost(const JointLine& line, int32_t y, int32_t x, int side) {
  int32_t row = y;
  ClampTo(line.top.y, &row, line.bottom.y);
  const EnginePoint on{row, JointLineColumnAtRow(line, row)};
  if (side < 0) RaiseTo(on.x, &x);
  if (side > 0) LowerTo(&x, on.x);
  const double v = JointDistanceCost({y, x}, on, 4);
  if (v <= 0.1) return JointCostFromDistance(v);
  if (BetweenStavesOfSystem(y, x)) return JointCostFromDistance(2.0);
  return JointCostFromDistance(v);
}

bool IsMarkType(int32_t type) { return (type >= 100 && type <= 110) || (type >= 120 && type <= 122); }

int32_t Min3(int32_t a, int32_t b, int32_t c) { return MinOfInts(a, MinOfInts(b, c)); }

}  // namespace

bool StaffSpaceTakesPart(int32_t staffSpace) { return staffSpace >= kMinLedgerStaffSpace; }

int32_t JointConfidence(int32_t d1, int32_t s1, int32_t d2, int32_t s2) {
  ENGINE_CHECK(s1 > 0 && s2 > 0);
  const double page = PageStaffSpacePixels();
  ENGINE_CHECK(page > 0);
  const double t1 = static_cast<double>(s1) - std::fabs(static_cast<double>(d1));
  const double t2 = static_cast<double>(s2) - std::fabs(static_cast<double>(d2));
  if (t1 <= 0 || t2 <= 0) return kJointConfidenceNone;
  const double margins = (t1 / s1) * (t2 / s2);
  if (margins < 0.01) return kJointConfidenceNone;
  int32_t c = RoundToInt(125.0 * std::sqrt(static_cast<double>(s1) * s2) / page / margins);
  ClampTo(kJointBestConfidence, &c, kJointNoEvidence);
  return c;
}

double JointDistanceCost(EnginePoint p, EnginePoint q, int32_t weight) {
  const double page = PageStaffSpacePixels();
  ENGINE_CHECK(page > 0);
  const double dx = static_cast<double>(p.x) - q.x;
  const double dy = static_cast<double>(p.y) - q.y;
  const double d = std::sqrt(static_cast<double>(weight) * weight * dx * dx + dy * dy);
  if (d / 2 > page) return 2.0;
  if (d == 0) return 0.0;
  const double m = std::fmax(std::fabs(dx), std::fabs(dy));
  const double ink = MeasureLineInkCost(p, q);
  const double v = (d / 2 + 1.3 * ink * d / m) / page;
  return v * std::sqrt(v);
}

int32_t JointCostFromDistance(double distance) { return RoundToInt(924.0 * distance) + 100; }

int32_t JointLineColumnAtRow(const JointLine& line, int32_t row) {
  const int64_t height = static_cast<int64_t>(line.bottom.y) - line.top.y;
  if (height == 0) return line.top.x;
  return line.top.x +
         static_cast<int32_t>(DivRound64(static_cast<int64_t>(line.bottom.x - line.top.x) * (row - line.top.y), height));
}

EnginePoint JointLinePointAtRow(const JointLine& line, int32_t row) {
  const int32_t reach = P(40);
  if (row < line.top.y) {
    if (GetPagePixel(line.top.y, line.top.x)) return line.top;
    for (int32_t r = line.top.y + 1; r <= line.top.y + reach && r <= line.bottom.y; ++r) {
      const int32_t x = JointLineColumnAtRow(line, r);
      if (GetPagePixel(r, x)) return {r, x};
    }
    return line.top;
  }
  if (row > line.bottom.y) {
    if (GetPagePixel(line.bottom.y, line.bottom.x)) return line.bottom;
    for (int32_t r = line.bottom.y - 1; r >= line.bottom.y - reach && r >= line.top.y; --r) {
      const int32_t x = JointLineColumnAtRow(line, r);
      if (GetPagePixel(r, x)) return {r, x};
    }
    return line.bottom;
  }
  return {row, JointLineColumnAtRow(line, row)};
}

JointResult JoinNoteheadToLine(int32_t head, const JointLine& line) {
  const FoundNotehead h = GetFoundNotehead(head);
  if (h.model != 0 && h.model != 1 && h.model != 4) return kNoJoint;
  if (!PageTakesPart() || !StaffSpaceTakesPart(GetStaffSpace(h.staff))) return kNoJoint;
  const auto S = [&](int32_t percent) { return ScaleToPixelsForStaff(h.staff, percent); };
  const int32_t y = h.centreY;
  const int32_t ty = line.top.y;
  const int32_t by = line.bottom.y;
  if (std::abs(y - ty) < S(150) && std::abs(y - by) < S(150)) return kNoJoint;
  const int32_t t1 = MinOfInts(S(35), (h.rightX - h.leftX) / 3);
  const int32_t t2 = S(18);
  const int32_t space = S(100);

  // Left side: the head hangs from the stem's top, the stem at its left.
  const EnginePoint leftPoint{y, h.leftX};
  const EnginePoint fromBottom = line.bottom;
  const EnginePoint aboveTop{ty - space, line.top.x};
  int32_t along = ProjectPointOnSegment(leftPoint, fromBottom, aboveTop);
  int32_t across = PointToLineDistance(leftPoint, fromBottom, aboveTop);
  if (along <= 1024 && across >= -t2 && across <= t1) {
    const int32_t cost = HeadSideCost(leftPoint, line, 0);
    if (cost > kJointNoEvidence) return kNoJoint;
    return {kJointLeftSide, y - ty > S(90) ? kJointInside : kJointHeadAtTop, cost};
  }
  // Right side: the head sits at the stem's bottom, the stem at its right.
  const EnginePoint rightPoint{y, h.rightX};
  const EnginePoint belowBottom{by + space, line.bottom.x};
  along = ProjectPointOnSegment(rightPoint, belowBottom, line.top);
  across = PointToLineDistance(rightPoint, belowBottom, line.top);
  if (along <= 1024 && across >= -t1 && across <= t2) {
    const int32_t cost = HeadSideCost(rightPoint, line, 1);
    if (cost > kJointNoEvidence) return kNoJoint;
    return {kJointRightSide, by - y > S(90) ? kJointInside : kJointHeadAtBottom, cost};
  }
  return kNoJoint;
}

JointResult JoinBeamToLine(int32_t beam, const JointLine& line) {
  const FoundBeam b = GetFoundBeam(beam);
  if (!PageTakesPart()) return kNoJoint;
  const int32_t staff = StaffOfLine(line);
  if (staff < 0) return kNoJoint;
  const int32_t space = ScaleToPixelsForStaff(staff, 100);
  const int32_t a = JointLineColumnAtRow(line, b.leftY) - b.leftX;
  const int32_t e = b.rightX - JointLineColumnAtRow(line, b.rightY);
  const int32_t outside = -P(30);
  const int32_t inside = P(50);
  if (a >= outside && a <= inside) {
    const int32_t cost = BeamPointCost(line, b.leftY, b.leftX, -1);
    if (cost < kJointNoEvidence) return {kJointLeftSide, StemSideLabel(line, b.leftY, space), cost};
  }
  if (e >= outside && e <= inside) {
    const int32_t cost = BeamPointCost(line, b.rightY, b.rightX, +1);
    if (cost < kJointNoEvidence) return {kJointRightSide, StemSideLabel(line, b.rightY, space), cost};
  }
  if (a >= P(75) && e >= P(75) && b.rightX > b.leftX) {
    const int32_t y =
        b.leftY + static_cast<int32_t>(DivRound64(static_cast<int64_t>(b.rightY - b.leftY) * a, b.rightX - b.leftX));
    const int32_t cost = BeamPointCost(line, y, b.leftX + a, 0);
    if (cost < kJointNoEvidence) return {kJointInside, StemSideLabel(line, y, space), cost};
  }
  return kNoJoint;
}

JointResult JoinFlagToLine(const JointSymbol& flag, const JointLine& line) {
  int32_t row;
  if (flag.type >= 61 && flag.type <= 64)
    row = flag.box.y0;
  else if (flag.type >= 71 && flag.type <= 74)
    row = flag.box.y1;
  else
    return kNoJoint;
  if (!PageTakesPart()) return kNoJoint;
  const int32_t staff = StaffOfLine(line);
  if (staff < 0) return kNoJoint;
  int32_t clamped = row;
  ClampTo(line.top.y, &clamped, line.bottom.y);
  const EnginePoint on{clamped, JointLineColumnAtRow(line, clamped)};
  const int32_t cost = JointCostFromDistance(JointDistanceCost({row, MaxOfInts(flag.box.x0, on.x)}, on, 2));
  if (cost >= kJointNoEvidence) return kNoJoint;
  return {kJointInside, StemSideLabel(line, row, ScaleToPixelsForStaff(staff, 100)), cost};
}

JointResult JoinDotToNotehead(const JointSymbol& dot, int32_t head) {
  const int32_t right = GetNoteheadRightX(head);
  const int32_t y = GetNoteheadY(head);
  if (!PageTakesPart()) return kNoJoint;
  const EnginePoint c = Centre(dot.box);
  if (right > c.x) return kNoJoint;
  const int32_t cost = JointConfidence(y - c.y, P(80), P(70) + right - c.x, P(200));
  if (cost > kJointNoEvidence) return kNoJoint;
  return {kJointInside, kJointInside, cost};
}

JointResult JoinDotToRest(const JointSymbol& dot, const JointSymbol& rest) {
  if (!PageTakesPart()) return kNoJoint;
  if (dot.box.x1 < rest.box.x1) return kNoJoint;
  const int32_t cost = JointConfidence(Centre(dot.box).y - Centre(rest.box).y, P(75), dot.box.x0 - rest.box.x1, P(100));
  if (cost > kJointNoEvidence) return kNoJoint;
  return {kJointInside, kJointInside, cost};
}

JointResult JoinAccidentalToNotehead(const JointSymbol& accidental, int32_t head) {
  const int32_t y = GetNoteheadY(head);
  const int32_t left = GetNoteheadLeftX(head);
  if (!PageTakesPart()) return kNoJoint;
  const int32_t dy = std::abs(y - accidental.refY);
  const int32_t dx = left - accidental.box.x1;
  if (dx < -P(25) || dx > P(400) || dy > P(30)) return kNoJoint;
  return {kJointInside, kJointInside, MinOfInts(1023, JointConfidence(dy, P(40), dx - P(50), P(150)))};
}

JointResult JoinMarkToNotehead(const JointSymbol& mark, int32_t head) {
  ENGINE_CHECK(IsMarkType(mark.type));
  const FoundNotehead h = GetFoundNotehead(head);
  if (!PageTakesPart() || !StaffSpaceTakesPart(GetStaffSpace(h.staff))) return kNoJoint;
  const auto S = [&](int32_t percent) { return ScaleToPixelsForStaff(h.staff, percent); };
  const EnginePoint c = Centre(mark.box);
  const int32_t t = mark.type;
  const bool onlyAbove = t == 103 || t == 105 || t == 108;  // the mark below the head
  const bool onlyBelow = t == 102 || t == 104 || t == 107 || t == 109 || t == 110 || t >= 120;
  if (onlyAbove && !(h.centreY < c.y)) return kNoJoint;
  if (onlyBelow && !(h.centreY > c.y)) return kNoJoint;
  const int32_t dx = std::abs((h.leftX + h.rightX) / 2 - c.x);
  const int32_t space = S(100);
  const int32_t dv = MinOfInts(std::abs(c.y - (h.centreY - space)), std::abs(c.y - (h.centreY + space)));
  int32_t cost;
  if (t == 101 || t == 106) {
    cost = JointConfidence(dv, S(100), dx, S(40));
  } else {
    const int32_t u = std::abs(StaffTopLineY(h.staff, c.x) - mark.box.y1);
    const int32_t w = std::abs(StaffBottomLineY(h.staff, c.x) - mark.box.y0);
    const int32_t r = (t == 107 || t == 108) ? S(200) : S(100);
    cost = Min3(JointConfidence(dv, r, dx, S(40)), JointConfidence(u, S(150), dx, S(40)),
                JointConfidence(w, S(150), dx, S(40)));
  }
  if (cost > kJointNoEvidence) return kNoJoint;
  return {kJointInside, kJointInside, cost};
}

JointResult JoinMarkToLine(const JointSymbol& mark, const JointLine& line) {
  ENGINE_CHECK(IsMarkType(mark.type));
  if (!PageTakesPart()) return kNoJoint;
  const int32_t staff = StaffOfLine(line);
  if (staff < 0) return kNoJoint;
  const auto S = [&](int32_t percent) { return ScaleToPixelsForStaff(staff, percent); };
  const int32_t n = std::abs(line.top.y - mark.box.y1);
  const int32_t m = std::abs(line.bottom.y - mark.box.y0);
  const int32_t c = Centre(mark.box).x;
  int32_t c1;
  int32_t c2;
  if (mark.type == 101 || mark.type == 104 || mark.type == 105) {
    c1 = JointConfidence(n, S(150), line.top.x - c, S(30));
    c2 = JointConfidence(m, S(150), line.bottom.x - c, S(30));
  } else {
    c1 = JointConfidence(n, S(150), line.top.x - c - S(75), S(40));
    c2 = JointConfidence(m, S(150), line.bottom.x - c + S(75), S(40));
  }
  if (c2 < kJointNoEvidence) return {kJointBeamAtBottom, kJointBeamAtTop, c2};
  if (c1 < kJointNoEvidence) return {kJointBeamAtBottom, kJointBeamAtTop, c1};
  return kNoJoint;
}

JointResult JoinBarDots(const JointSymbol& a, const JointSymbol& b) {
  if (!PageTakesPart()) return kNoJoint;
  const EnginePoint ca = Centre(a.box);
  const EnginePoint cb = Centre(b.box);
  const int32_t my = (ca.y + cb.y) / 2;
  const int32_t mx = (ca.x + cb.x) / 2;
  const int32_t staff = NearestStaff(my, mx);
  if (!StaffSpaceTakesPart(GetStaffSpace(staff))) return kNoJoint;
  const int32_t dy = std::abs(ca.y - cb.y);
  const int32_t dx = std::abs(ca.x - cb.x);
  if (dy < ScaleToPixelsAt(my, mx, 75) || dy > ScaleToPixelsAt(my, mx, 125) || dx > ScaleToPixelsAt(my, mx, 20))
    return kNoJoint;
  return {kJointInside, kJointInside, kJointNoEvidence};
}

JointResult JoinBarDotToBarLine(const JointSymbol& dot, int32_t bar) {
  const EnginePoint top = GetBarLineTop(bar);
  const int32_t width = GetBarLineWidth(bar);
  if (!PageTakesPart()) return kNoJoint;
  const int32_t middle = top.x * 1024;
  const int32_t left = RoundQ10(middle - width / 2);
  const int32_t right = RoundQ10(middle + width / 2);
  const int32_t cx = Centre(dot.box).x;
  const int32_t reach = P(120);
  if (std::abs(cx - left) > reach && std::abs(cx - right) > reach) return kNoJoint;
  return {kJointInside, kJointInside, 200};
}

JointResult JoinKeySignatureToClef(const JointSymbol& key, const JointSymbol& clef) {
  const bool sharps = key.type >= 500 && key.type <= 507;
  const bool flats = key.type >= 510 && key.type <= 517;
  if ((!sharps && !flats) || clef.type < 80 || clef.type > 82) return kNoJoint;
  if (!PageTakesPart()) return kNoJoint;
  const int32_t keyX = Centre(key.box).x;
  const int32_t clefX = Centre(clef.box).x;
  const int32_t staff = NearestStaff(key.refY, keyX);
  if (NearestStaff(clef.refY, clefX) != staff || !StaffSpaceTakesPart(GetStaffSpace(staff))) return kNoJoint;
  const int32_t gap = key.box.x0 - clef.box.x1;
  if (gap < -P(100) || gap > P(600)) return kNoJoint;
  const int32_t k = YToStaffStepIndex(key.refY, keyX, staff);
  int32_t wanted;
  if (clef.type == 80) {
    wanted = sharps ? -4 : 0;
  } else if (clef.type == 81) {
    wanted = sharps ? -2 : 2;
  } else {
    // The C clef's line decides.
    switch (YToStaffStepIndex(clef.refY, clefX, staff)) {
      case -4: wanted = sharps ? 0 : -3; break;
      case -2: wanted = sharps ? 2 : -1; break;
      case 0: wanted = sharps ? -3 : 1; break;
      case 2: wanted = sharps ? -1 : 3; break;
      case 4: wanted = sharps ? 1 : -2; break;
      default: return kNoJoint;
    }
  }
  if (k != wanted) return kNoJoint;
  return {kJointInside, kJointInside, 400};
}

JointResult JoinLedgerLines(int32_t a, int32_t b) {
  int32_t rowA, staffA, stepA, rowB, staffB, stepB;
  GetLedgerLinePlace(a, &rowA, &staffA, &stepA);
  GetLedgerLinePlace(b, &rowB, &staffB, &stepB);
  if (staffA != staffB || !StaffSpaceTakesPart(GetStaffSpace(staffA))) return kNoJoint;
  if (!((stepA < 0 && stepB < 0) || (stepA > 0 && stepB > 0))) return kNoJoint;
  if (std::abs(stepA - stepB) != 2) return kNoJoint;
  const int32_t space = ScaleToPixelsForStaff(staffA, 100);
  if (GetLedgerLineLeftX(a) + space > GetLedgerLineRightX(b) || GetLedgerLineLeftX(b) + space > GetLedgerLineRightX(a))
    return kNoJoint;
  if (std::abs(stepA) > std::abs(stepB)) return {kJointLedgerOuter, kJointLedgerInner, kJointNoEvidence};
  return {kJointLedgerInner, kJointLedgerOuter, kJointNoEvidence};
}

JointResult JoinLedgerToNotehead(int32_t ledger, int32_t head) {
  int32_t y, staff, step;
  GetLedgerLinePlace(ledger, &y, &staff, &step);
  const FoundNotehead h = GetFoundNotehead(head);
  if (!StaffSpaceTakesPart(GetStaffSpace(staff))) return kNoJoint;
  if (h.leftX < GetLedgerLineLeftX(ledger) - 3 || h.rightX > GetLedgerLineRightX(ledger) + 3) return kNoJoint;
  const int32_t q = ScaleToPixelsForStaff(staff, 25);
  const int32_t half = ScaleToPixelsForStaff(staff, 50);
  const int32_t hy = h.centreY;
  const bool near = step < 0 ? (y - half - q < hy && hy < y + q) : (y - q < hy && hy < y + half + q);
  if (!near) return kNoJoint;
  return {kJointInside, kJointInside, kJointNoEvidence};
}

JointResult ExcludeByLine(const JointLine& line, int32_t row, int32_t x0, int32_t x1) {
  if (row < line.top.y || row > line.bottom.y) return kNoJoint;
  const int32_t x = JointLineColumnAtRow(line, row);
  if (x < x0 || x > x1) return kNoJoint;
  return kExclusion;
}

JointResult ExcludeByBarLine(int32_t bar, int32_t row, int32_t x0, int32_t x1) {
  return ExcludeByLine({GetBarLineTop(bar), GetBarLineBottom(bar)}, row, x0, x1);
}
