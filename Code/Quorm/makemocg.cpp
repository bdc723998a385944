// Building the music object connection graph.
#include "Code/Quorm/makemocg.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findledg.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Findstem.h"
#include "Code/Quorm/Findtext.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Merger.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/findbarl.h"
#include "Code/Quorm/findslur.h"
#include "Code/Quorm/joints.h"
#include "Code/Quorm/mocgcalc.h"
#include "Code/Quorm/mocgraph.h"

namespace {

// ---- Scales ----
int32_t S(int32_t percent) { return ScaleToPixels(percent); }

int32_t SStaff(int32_t staff, int32_t percent) {
  if (staff < 0 || staff >= GetStaffCount()) return ScaleToPixels(percent);
  return ScaleToPixelsForStaff(staff, percent);
}

// At a point: the nearest staff's space; the page's on a page without staves.
int32_t SLoc(int32_t y, int32_t x, int32_t percent) {
  if (GetStaffCount() == 0) return ScaleToPixels(percent);
  return ScaleToPixelsAt(y, x, percent);
}

// ---- Objects as the joints read them ----
JointLine StemLine(int32_t stem) {
  const FoundVerticalLine line = GetFoundVerticalLine(stem);
  return JointLine{{line.topY, line.topX}, {line.bottomY, line.bottomX}};
}

JointSymbol SymbolOf(int32_t symbol) {
  return JointSymbol{GetFixedSymbolBox(symbol), GetFixedSymbolType(symbol), GetFixedSymbolRefY(symbol)};
}

EnginePoint SymbolCentre(int32_t symbol) {
  const EngineBox box = GetFixedSymbolBox(symbol);
  return BoxCentre(box.y0, box.x0, box.y1, box.x1);
}

// Links (kindA, refA) with every object that has an anchor of the point kind
// in the box and for which the joint test gives a first label other than 0.
template <class Test>
void JoinPointsInBox(int32_t pointKind, const EngineBox& box, Test test, int32_t kindA, int32_t refA) {
  const int32_t kindB = PointKindToObjectKind(pointKind);
  PointsInBox hits(pointKind, box);
  for (int32_t i = 0; i < hits.count(); ++i) {
    const int32_t object = hits[i];
    if (kindB == kindA && object == refA) continue;
    if (!HasGraphNode(kindB, object)) continue;
    const JointResult joint = test(refA, object);
    if (joint.first != 0) LinkGraphNodes(kindA, refA, joint.first, kindB, object, joint.second, joint.confidence);
  }
}

// Conflicts of (kind, reference) with the stems above it that cross its row
// between left and right (unless skipped), then with such bar lines.
void JoinToStemsAndBars(int32_t kind, int32_t reference, int32_t left, int32_t right, int32_t y,
                        int32_t skipStems) {
  const EngineBox box{left - S(100), y - S(1000), right + S(100), y};
  if (!skipStems)
    JoinPointsInBox(
        kPointStemTop, box,
        [&](int32_t, int32_t stem) { return ExcludeByLine(StemLine(stem), y, left, right); }, kind, reference);
  JoinPointsInBox(
      kPointBarTop, box, [&](int32_t, int32_t bar) { return ExcludeByBarLine(bar, y, left, right); }, kind,
      reference);
}

// ---- Step 1: nodes ----
void AddLineObjectNodes() {
  const EngineBox page{0, 0, GetPageImageWidth(), GetPageImageHeight()};
  const int32_t kinds[] = {kPointHeadLeft, kPointBeamLeft, kPointLedgerLeft, kPointStemTop, kPointBarTop,
                           kPointSlurStart};
  for (int32_t pointKind : kinds) {
    PointsInBox hits(pointKind, page);
    for (int32_t i = 0; i < hits.count(); ++i) AddGraphNode(PointKindToObjectKind(pointKind), hits[i]);
  }
}

// ---- Steps 3 to 5: joints ----
void JoinHeadsToStems() {
  for (int32_t h = 0; h < GetNoteheadCount(); ++h) {
    if (!HasGraphNode(kObjectNotehead, h)) continue;
    const int32_t y = GetNoteheadY(h);
    const EngineBox box{GetNoteheadLeftX(h) - S(50) - 1, y - S(1000) - 1, GetNoteheadRightX(h) + S(50) + 1,
                        y + S(1000) + 1};
    auto test = [](int32_t head, int32_t stem) { return JoinNoteheadToLine(head, StemLine(stem)); };
    JoinPointsInBox(kPointStemTop, box, test, kObjectNotehead, h);
    JoinPointsInBox(kPointStemBottom, box, test, kObjectNotehead, h);
  }
}

void JoinBeamsToStems() {
  for (int32_t b = 0; b < GetBeamCount(); ++b) {
    if (!HasGraphNode(kObjectBeam, b)) continue;
    const EnginePoint l = GetBeamLeftEnd(b);
    const EnginePoint r = GetBeamRightEnd(b);
    const EngineBox box{l.x - S(50) - 1, std::min(l.y, r.y) - S(500) - 1, r.x + S(50) + 1,
                        std::max(l.y, r.y) + S(500) + 1};
    auto test = [](int32_t beam, int32_t stem) { return JoinBeamToLine(beam, StemLine(stem)); };
    JoinPointsInBox(kPointStemTop, box, test, kObjectBeam, b);
    JoinPointsInBox(kPointStemBottom, box, test, kObjectBeam, b);
  }
}

void JoinLedgers() {
  for (int32_t l = 0; l < GetLedgerLineCount(); ++l) {
    if (!HasGraphNode(kObjectLedgerLine, l)) continue;
    int32_t y = 0, staff = 0, step = 0;
    GetLedgerLinePlace(l, &y, &staff, &step);
    const EngineBox box{GetLedgerLineLeftX(l) - SStaff(staff, 25), y - SStaff(staff, 125), GetLedgerLineRightX(l),
                        y + SStaff(staff, 125)};
    JoinPointsInBox(
        kPointLedgerLeft, box, [](int32_t a, int32_t b) { return JoinLedgerLines(a, b); }, kObjectLedgerLine, l);
    JoinPointsInBox(
        kPointHeadLeft, box, [](int32_t a, int32_t h) { return JoinLedgerToNotehead(a, h); }, kObjectLedgerLine,
        l);
  }
}

// ---- Step 6: conflicts ----
struct VerticalStroke {
  EnginePoint top;
  EnginePoint bottom;
  int32_t width;  // x1024
};

VerticalStroke StrokeOf(int32_t kind, int32_t reference) {
  if (kind == kObjectVerticalLine) {
    const FoundVerticalLine line = GetFoundVerticalLine(reference);
    return VerticalStroke{{line.topY, line.topX}, {line.bottomY, line.bottomX}, line.width};
  }
  return VerticalStroke{GetBarLineTop(reference), GetBarLineBottom(reference), GetBarLineWidth(reference)};
}

bool StrokesCoincide(const VerticalStroke& a, const VerticalStroke& b) {
  if (std::min(a.bottom.y - b.top.y, b.bottom.y - a.top.y) < 0) return false;
  const int32_t tolerance = DivRound(a.width + b.width, 2048);
  return std::abs(PointToLineDistance(b.top, a.top, a.bottom)) <= tolerance &&
         std::abs(PointToLineDistance(b.bottom, a.top, a.bottom)) <= tolerance;
}

// Vertical line (kind 1 or 6) against the stems or bar lines (tops of the
// point kind) near it; only partners of a higher index when both are of one
// kind.
void ConflictStrokes(int32_t kind, int32_t reference, int32_t pointKind) {
  const VerticalStroke a = StrokeOf(kind, reference);
  const int32_t w = RoundQ10(a.width);
  const EngineBox box{std::min(a.top.x, a.bottom.x) - w - 1, 0, std::max(a.top.x, a.bottom.x) + w + 1,
                      a.bottom.y};
  const int32_t otherKind = PointKindToObjectKind(pointKind);
  PointsInBox hits(pointKind, box);
  for (int32_t i = 0; i < hits.count(); ++i) {
    const int32_t b = hits[i];
    if (otherKind == kind && b <= reference) continue;
    if (!HasGraphNode(otherKind, b)) continue;
    if (StrokesCoincide(a, StrokeOf(otherKind, b))) LinkGraphConflict(kind, reference, otherKind, b);
  }
}

void ConflictOverlappingHeads(int32_t h) {
  const int32_t left = GetNoteheadLeftX(h);
  const int32_t right = GetNoteheadRightX(h);
  const int32_t y = GetNoteheadY(h);
  const int32_t staff = GetNoteheadPlace(h).staff;
  const EngineBox box{left - S(180) - 1, y - S(80) - 1, left + S(180) + 1, y + S(80) + 1};
  PointsInBox hits(kPointHeadLeft, box);
  for (int32_t i = 0; i < hits.count(); ++i) {
    const int32_t g = hits[i];
    if (g <= h || !HasGraphNode(kObjectNotehead, g)) continue;
    const int32_t overlap = std::min(right - GetNoteheadLeftX(g), GetNoteheadRightX(g) - left);
    if (overlap > SStaff(staff, 50) && std::abs(y - GetNoteheadY(g)) < SStaff(staff, 75))
      LinkGraphConflict(kObjectNotehead, h, kObjectNotehead, g);
  }
}

// The beam's centre line at a column, rounded.
int32_t BeamYAt(const EnginePoint& l, const EnginePoint& r, int32_t x) {
  if (r.x == l.x) return l.y;
  return l.y + static_cast<int32_t>(DivRound64(static_cast<int64_t>(r.y - l.y) * (x - l.x), r.x - l.x));
}

void ConflictBeams(int32_t b) {
  const EnginePoint l = GetBeamLeftEnd(b);
  const EnginePoint r = GetBeamRightEnd(b);
  const EngineBox box{l.x - S(1000), std::min(l.y, r.y) - S(400), r.x, std::max(l.y, r.y) + S(400)};
  PointsInBox hits(kPointBeamLeft, box);
  for (int32_t i = 0; i < hits.count(); ++i) {
    const int32_t c = hits[i];
    if (c <= b || !HasGraphNode(kObjectBeam, c)) continue;
    const EnginePoint cl = GetBeamLeftEnd(c);
    const EnginePoint cr = GetBeamRightEnd(c);
    const int32_t lo = std::max(l.x, cl.x);
    const int32_t hi = std::min(r.x, cr.x);
    if (lo >= hi) continue;
    int32_t tolerance = DivRound(GetBeamThickness(b) + GetBeamThickness(c), 2048);
    const int32_t meanY = (l.y + r.y + cl.y + cr.y) / 4;
    const int32_t meanX = (l.x + r.x + cl.x + cr.x) / 4;
    tolerance = std::min(tolerance, SLoc(meanY, meanX, 50));
    const bool close = std::abs(BeamYAt(l, r, lo) - BeamYAt(cl, cr, lo)) < tolerance ||
                       std::abs(BeamYAt(l, r, hi) - BeamYAt(cl, cr, hi)) < tolerance;
    if (close) LinkGraphConflict(kObjectBeam, b, kObjectBeam, c);
  }
}

void ConflictBeamThroughHeads(int32_t b) {
  const EnginePoint l = GetBeamLeftEnd(b);
  const EnginePoint r = GetBeamRightEnd(b);
  const int32_t t = DivRound(GetBeamThickness(b), 2048);
  const EngineBox box{l.x - S(250) - 1, std::min(l.y, r.y) - t - S(80) - 1, r.x + S(50) + 1,
                      std::max(l.y, r.y) + t + S(80) + 1};
  PointsInBox hits(kPointHeadLeft, box);
  for (int32_t i = 0; i < hits.count(); ++i) {
    const int32_t h = hits[i];
    if (!HasGraphNode(kObjectNotehead, h)) continue;
    const int32_t left = GetNoteheadLeftX(h);
    const int32_t right = GetNoteheadRightX(h);
    if (right - l.x <= S(40) || r.x - left <= S(40)) continue;
    const EnginePoint centre{GetNoteheadY(h), (left + right) / 2};
    if (std::abs(PointToLineDistance(centre, l, r)) < S(40) + t)
      LinkGraphConflict(kObjectBeam, b, kObjectNotehead, h);
  }
}

void ConflictSlurThroughHeads(int32_t s) {
  const EnginePoint start = GetSlurStart(s);
  const EnginePoint end = GetSlurEnd(s);
  const EngineBox box{start.x - S(250) - 1, std::min(start.y, end.y) - S(200), end.x + S(50) + 1,
                      std::max(start.y, end.y) + S(200)};
  PointsInBox hits(kPointHeadLeft, box);
  for (int32_t i = 0; i < hits.count(); ++i) {
    const int32_t h = hits[i];
    if (!HasGraphNode(kObjectNotehead, h)) continue;
    const int32_t staff = GetNoteheadPlace(h).staff;
    const int32_t left = GetNoteheadLeftX(h);
    const int32_t right = GetNoteheadRightX(h);
    const int32_t y = GetNoteheadY(h);
    const int32_t a = SStaff(staff, 70);
    const int32_t b = SStaff(staff, 20);
    bool conflict = start.x >= left - b && end.x <= right + b && std::abs(start.y - y) <= a &&
                    std::abs(end.y - y) <= a;
    if (!conflict && end.x - start.x <= SStaff(staff, 400)) {
      const int32_t near = SStaff(staff, 50);
      int32_t columns = 0;
      for (int32_t x = std::max(start.x, left); x < end.x && x <= right; ++x)
        if (std::abs(SlurYAtX(s, x) - y) <= near) ++columns;
      conflict = 2 * columns > right - left;
    }
    if (conflict) LinkGraphConflict(kObjectSlur, s, kObjectNotehead, h);
  }
}

void ConflictsOfNode(int32_t node, void*) {
  const GraphObject object = GetGraphNodeObject(node);
  const int32_t i = object.reference;
  switch (object.kind) {
    case kObjectVerticalLine:
      ConflictStrokes(kObjectVerticalLine, i, kPointStemTop);
      ConflictStrokes(kObjectVerticalLine, i, kPointBarTop);
      break;
    case kObjectNotehead:
      ConflictOverlappingHeads(i);
      JoinToStemsAndBars(kObjectNotehead, i, GetNoteheadLeftX(i), GetNoteheadRightX(i), GetNoteheadY(i),
                         HeadSkipsStemJoints(i));
      break;
    case kObjectBeam:
      ConflictBeams(i);
      ConflictBeamThroughHeads(i);
      break;
    case kObjectSlur:
      ConflictSlurThroughHeads(i);
      break;
    case kObjectBarLine:
      ConflictStrokes(kObjectBarLine, i, kPointBarTop);
      break;
    default:
      break;
  }
}

// ---- Steps 7 to 12: fixed-size symbols ----
// The live symbols that pass the test and have a graph node.
template <class Step>
void ForEachSymbol(FixedSymbolTest test, Step step) {
  int32_t* list = nullptr;
  const int32_t n = ListFixedSymbols(test, &list);
  struct Holder {
    int32_t*& list;
    ~Holder() { EngineFree(list); }
  } holder{list};
  for (int32_t k = 0; k < n; ++k) {
    const int32_t i = list[k];
    if (!IsFixedSymbolDeleted(i) && HasGraphNode(GetFixedSymbolType(i), i)) step(i);
  }
}

void JoinDots() {
  ForEachSymbol(IsDotSymbolAt, [](int32_t dot) {
    const EnginePoint c = SymbolCentre(dot);
    const EngineBox box{c.x - SLoc(c.y, c.x, 400), c.y - SLoc(c.y, c.x, 100), c.x, c.y + SLoc(c.y, c.x, 100)};
    JoinPointsInBox(
        kPointHeadRight, box, [](int32_t d, int32_t h) { return JoinDotToNotehead(SymbolOf(d), h); }, kDotType,
        dot);
    ForEachSymbol(IsRestSymbolAt, [dot](int32_t rest) {
      const JointResult joint = JoinDotToRest(SymbolOf(dot), SymbolOf(rest));
      if (joint.first != 0)
        LinkGraphNodes(kDotType, dot, joint.first, GetFixedSymbolType(rest), rest, joint.second, joint.confidence);
    });
  });
}

void JoinMarks() {
  ForEachSymbol(IsGroup100SymbolAt, [](int32_t mark) {
    const EnginePoint c = SymbolCentre(mark);
    const int32_t type = GetFixedSymbolType(mark);
    const EngineBox box{c.x - SLoc(c.y, c.x, 200), c.y - SLoc(c.y, c.x, 600), c.x + SLoc(c.y, c.x, 200),
                        c.y + SLoc(c.y, c.x, 600)};
    JoinPointsInBox(
        kPointHeadLeft, box, [](int32_t m, int32_t h) { return JoinMarkToNotehead(SymbolOf(m), h); }, type, mark);
    auto stem = [](int32_t m, int32_t s) { return JoinMarkToLine(SymbolOf(m), StemLine(s)); };
    JoinPointsInBox(kPointStemTop, box, stem, type, mark);
    JoinPointsInBox(kPointStemBottom, box, stem, type, mark);
  });
}

void JoinAccidentals() {
  ForEachSymbol(IsAccidentalSymbolAt, [](int32_t accidental) {
    const EnginePoint c = SymbolCentre(accidental);
    const EngineBox box{c.x, c.y - SLoc(c.y, c.x, 100), c.x + SLoc(c.y, c.x, 400), c.y + SLoc(c.y, c.x, 100)};
    JoinPointsInBox(
        kPointHeadLeft, box, [](int32_t a, int32_t h) { return JoinAccidentalToNotehead(SymbolOf(a), h); },
        GetFixedSymbolType(accidental), accidental);
  });
}

void JoinBarDotSymbols() {
  ForEachSymbol(IsBarDotSymbolAt, [](int32_t dot) {
    for (int32_t earlier = 0; earlier < dot; ++earlier) {
      if (!IsBarDotSymbolAt(earlier) || !HasGraphNode(kBarDotType, earlier)) continue;
      const JointResult joint = JoinBarDots(SymbolOf(dot), SymbolOf(earlier));
      if (joint.first != 0)
        LinkGraphNodes(kBarDotType, dot, joint.first, kBarDotType, earlier, joint.second, joint.confidence);
    }
    const EnginePoint c = SymbolCentre(dot);
    const EngineBox box{c.x - SLoc(c.y, c.x, 200), c.y - SLoc(c.y, c.x, 400), c.x + SLoc(c.y, c.x, 200), c.y};
    JoinPointsInBox(
        kPointBarTop, box, [](int32_t d, int32_t bar) { return JoinBarDotToBarLine(SymbolOf(d), bar); },
        kBarDotType, dot);
  });
}

void JoinFlags() {
  ForEachSymbol(IsShortFlagSymbolAt, [](int32_t flag) {
    const EngineBox box = GetFixedSymbolBox(flag);
    const int32_t type = GetFixedSymbolType(flag);
    const bool up = IsUpFlagType(type);
    const int32_t row = up ? box.y0 : box.y1;
    const EngineBox search{box.x0 - S(100), row - S(200), box.x0 + S(100), row + S(200)};
    JoinPointsInBox(
        up ? kPointStemTop : kPointStemBottom, search,
        [](int32_t f, int32_t s) { return JoinFlagToLine(SymbolOf(f), StemLine(s)); }, type, flag);
  });
}

void JoinRestsToStemsAndBars() {
  ForEachSymbol(IsPlainRest40to42At, [](int32_t rest) {
    const EngineBox box = GetFixedSymbolBox(rest);
    JoinToStemsAndBars(GetFixedSymbolType(rest), rest, box.x0 - S(60), box.x1 + S(60), (box.y0 + box.y1) / 2, 0);
  });
}

// ---- Step 14: key signatures ----
struct KeyCandidate {
  int32_t symbol;
  int32_t staff;
  int32_t step;
  int32_t type;
  EngineBox box;
};

KeyCandidate* Candidate(const MergeGroup* group) { return static_cast<KeyCandidate*>(group->item); }

int32_t KeyJoinCost(MergeGroup* a, MergeGroup* b) {
  constexpr int32_t kApart = 2;
  const KeyCandidate& last = *Candidate(a->tail);
  const KeyCandidate& first = *Candidate(b);
  if (last.box.x0 + last.box.x1 > first.box.x0 + first.box.x1) return kApart;
  const int32_t gap = first.box.x0 - last.box.x1;
  if (gap < -2 - S(35) || gap > S(100)) return kApart;
  if (last.staff != first.staff || last.type != first.type) return kApart;
  const int32_t rise = first.step - last.step;
  const bool fits = last.type == kFlatType ? rise == -3 || rise == 4 : rise == 3 || rise == -4;
  return fits ? 0 : kApart;
}

void KeyJoin(MergeGroup*, MergeGroup*) {}

MergePoint KeyCentre(MergeGroup* group) {
  const EngineBox& box = Candidate(group)->box;
  ENGINE_CHECK(box.x0 + box.x1 >= 0 && box.y0 + box.y1 >= 0);
  return MergePoint{(box.x0 + box.x1) / 2, (box.y0 + box.y1) / 2};
}

void KeySearchBox(MergeBox* out, MergeGroup* group) {
  const EngineBox& box = Candidate(group->tail)->box;
  *out = MergeBox{box.x0 + S(20), box.y0 - S(500), box.x1 + S(200), box.y1 + S(500)};
}

// Members in x order; the symbol index settles equal centres.
int32_t KeyOrder(void* a, void* b) {
  const KeyCandidate& x = *static_cast<KeyCandidate*>(a);
  const KeyCandidate& y = *static_cast<KeyCandidate*>(b);
  const int32_t cx = x.box.x0 + x.box.x1;
  const int32_t cy = y.box.x0 + y.box.x1;
  if (cx != cy) return cx < cy ? -1 : 1;
  return x.symbol < y.symbol ? -1 : (x.symbol > y.symbol ? 1 : 0);
}

int32_t KeyCandidateTest(int32_t i) {
  const int32_t type = GetFixedSymbolType(i);
  if (type != kSharpType && type != kFlatType) return 0;
  if (!HasGraphNode(type, i)) return 0;
  const StaffStep place = GetSymbolStaffStep(i);
  return place.staff >= 0 && place.step >= -5 && place.step <= 5 ? 1 : 0;
}

// The key signature of the n accidentals (in x order), added to the store
// and the graph; returns its symbol index.
int32_t MakeKeySignature(const int32_t* list, int32_t n, bool sharp) {
  ENGINE_CHECK(n >= 1 && n <= kMaxKeyAccidentals);
  EngineBox box = GetFixedSymbolBox(list[0]);
  double costs = 0;
  double centres[kMaxKeyAccidentals];
  for (int32_t k = 0; k < n; ++k) {
    const EngineBox b = GetFixedSymbolBox(list[k]);
    box = UnionBox(box, b);
    costs += GetFixedSymbolCost(list[k]);
    centres[k] = (b.x0 + b.x1) / 2.0;
  }
  const double c = costs / n;
  double cost = c;
  if (n == 2) {
    const double gap = centres[1] - centres[0];
    ENGINE_CHECK(gap >= 0);
    const double expected = sharp ? S(120) : S(100);
    if (expected > 0) cost = (std::fabs(gap - expected) / expected * 0.3 + 0.7) * c;
  } else if (n > 2) {
    double mean = 0;
    for (int32_t k = 1; k < n; ++k) {
      ENGINE_CHECK(centres[k] - centres[k - 1] >= 0);
      mean += centres[k] - centres[k - 1];
    }
    mean /= n - 1;
    double spread = 0;
    for (int32_t k = 1; k < n; ++k) spread += std::fabs(centres[k] - centres[k - 1] - mean);
    const double space = static_cast<double>(S(100)) * (n - 1);
    cost = (1.0 / std::sqrt(static_cast<double>(n)) + (space > 0 ? spread / space : 0.0)) * c;
  }
  const int32_t type = (sharp ? kSharpKeyType : kFlatKeyType) + n;
  const int32_t key = AddFixedSymbol(box.x0, box.y0, box.x1, box.y1, type, static_cast<int32_t>(cost),
                                     GetFixedSymbolRefY(list[0]));
  AddGraphNode(type, key);
  return key;
}

// Copies the accidental's conflicts to each key signature, then releases the
// accidental with its symbol.
void MoveConflicts(int32_t accidental, const int32_t* keys, int32_t keyCount) {
  const int32_t type = GetFixedSymbolType(accidental);
  const int32_t node = FindGraphNode(type, accidental);
  for (int32_t i = 0; i < GetGraphLinkCount(node); ++i) {
    if (GetGraphLinkLabel(node, i) != kConflictLabel) continue;
    const GraphObject other = GetGraphNodeObject(GetGraphLinkOther(node, i));
    for (int32_t k = 0; k < keyCount; ++k) {
      const int32_t keyType = GetFixedSymbolType(keys[k]);
      if (other.kind == keyType && other.reference == keys[k]) continue;
      LinkGraphConflict(keyType, keys[k], other.kind, other.reference);
    }
  }
  ReleaseGraphNode(type, accidental, 1);
}

void BuildKeyOfGroup(MergeGroup* group) {
  int32_t list[kMaxKeyAccidentals];
  int32_t n = 0;
  for (MergeGroup* m = group; m != nullptr && n < kMaxKeyAccidentals; m = m->next) list[n++] = Candidate(m)->symbol;
  const bool sharp = GetFixedSymbolType(list[0]) == kSharpType;
  const int32_t last = list[n - 1];
  const int32_t lastType = GetFixedSymbolType(last);
  const int32_t key = MakeKeySignature(list, n, sharp);
  const int32_t keyType = GetFixedSymbolType(key);
  if (GetBestLinkedObject(lastType, last, kObjectNotehead, kAnyLabel) < 0) {
    for (int32_t k = 0; k < n; ++k) MoveConflicts(list[k], &key, 1);
    return;
  }
  // The last accidental may be a note's: the key without it is the other reading.
  if (n > 1) {
    const int32_t shorter = MakeKeySignature(list, n - 1, sharp);
    LinkGraphConflict(keyType, key, GetFixedSymbolType(shorter), shorter);
    const int32_t keys[2] = {key, shorter};
    for (int32_t k = 0; k + 1 < n; ++k) MoveConflicts(list[k], keys, 2);
  }
  LinkGraphConflict(keyType, key, lastType, last);
}

// The text box's overlap with a symbol box counts when it exceeds three
// quarters of the smaller area or a quarter of the larger.
bool TextCoversSymbol(const EngineBox& text, const EngineBox& symbol) {
  const int64_t w = std::min(text.x1, symbol.x1) - std::max(text.x0, symbol.x0);
  const int64_t h = std::min(text.y1, symbol.y1) - std::max(text.y0, symbol.y0);
  if (w <= 0 || h <= 0) return false;
  const int64_t overlap = w * h;
  const int64_t as = static_cast<int64_t>(symbol.x1 - symbol.x0) * (symbol.y1 - symbol.y0);
  const int64_t at = static_cast<int64_t>(text.x1 - text.x0) * (text.y1 - text.y0);
  return !(overlap <= 3 * std::min(as, at) / 4 && overlap <= std::max(as, at) / 4);
}

}  // namespace

void InstallGraphReleaseFunctions() {
  SetGraphReleaseFunction(kObjectVerticalLine, kObjectVerticalLine, ReleaseVerticalLine);
  SetGraphReleaseFunction(kObjectNotehead, kObjectNotehead, ReleaseNotehead);
  SetGraphReleaseFunction(kObjectBeam, kObjectBeam, ReleaseBeam);
  SetGraphReleaseFunction(kObjectSlur, kObjectSlur, ReleaseSlur);
  SetGraphReleaseFunction(kObjectBarLine, kObjectBarLine, ReleaseBarLine);
  SetGraphReleaseFunction(kObjectLedgerLine, kObjectLedgerLine, ReleaseLedgerLine);
  SetGraphReleaseFunction(kObjectTextBlockItem, kObjectTextBlockItem, ReleaseTextBlockItem);
  SetGraphReleaseFunction(kObjectLyricWord, kObjectLyricWord, ReleaseLyricWord);
  SetGraphReleaseFunction(kMinFixedSymbolType, kMaxFixedSymbolType, DeleteFixedSymbol);
}

void BuildObjectGraph() {
  InstallGraphReleaseFunctions();
  AddLineObjectNodes();
  JoinHeadsToStems();
  JoinBeamsToStems();
  JoinLedgers();
  ForEachGraphNode(ConflictsOfNode, nullptr);
  ForEachTextObject([](int32_t kind, int32_t reference, const EngineBox& box) {
    if (HasGraphNode(kind, reference)) LinkTextConflictsWithHeadsAndSlurs(kind, reference, box);
  });
}

void ConnectFixedSymbols() {
  JoinDots();
  JoinMarks();
  JoinAccidentals();
  JoinBarDotSymbols();
  JoinFlags();
  JoinRestsToStemsAndBars();
  ForEachTextObject([](int32_t kind, int32_t reference, const EngineBox& box) {
    if (HasGraphNode(kind, reference)) LinkTextConflictsWithSymbols(kind, reference, box);
  });
}

void MergeFixedSymbolGroups() {
  int32_t* list = nullptr;
  const int32_t n = ListFixedSymbols(KeyCandidateTest, &list);
  struct Holder {
    int32_t*& list;
    ~Holder() { EngineFree(list); }
  } holder{list};
  if (n == 0) return;
  BeginMerge();
  for (int32_t k = 0; k < n; ++k) {
    KeyCandidate* item = static_cast<KeyCandidate*>(NewMergeItem(sizeof(KeyCandidate)));
    const int32_t i = list[k];
    const StaffStep place = GetSymbolStaffStep(i);
    *item = KeyCandidate{i, place.staff, place.step, GetFixedSymbolType(i), GetFixedSymbolBox(i)};
  }
  RunMerge(KeyJoinCost, KeyJoin, KeyCentre, KeySearchBox, KeyOrder, 32, 32, 1);
  ForEachMergedGroup(BuildKeyOfGroup);
  EndMerge();
}

void LinkTextConflictsWithHeadsAndSlurs(int32_t kind, int32_t reference, const EngineBox& box) {
  {
    PointsInBox heads(kPointHeadLeft, EngineBox{box.x0 - S(250), box.y0 - S(100), box.x1, box.y1 + S(100)});
    for (int32_t i = 0; i < heads.count(); ++i) {
      const int32_t h = heads[i];
      if (!HasGraphNode(kObjectNotehead, h)) continue;
      const int32_t overlap = std::min(box.x1, GetNoteheadRightX(h)) - std::max(box.x0, GetNoteheadLeftX(h));
      const int32_t y = GetNoteheadY(h);
      if (overlap > S(100) && box.y0 <= y && y < box.y1) LinkGraphConflict(kind, reference, kObjectNotehead, h);
    }
  }
  PointsInBox slurs(kPointSlurStart, EngineBox{box.x0 - S(300), box.y0 - S(200), box.x1, box.y1 + S(200)});
  for (int32_t i = 0; i < slurs.count(); ++i) {
    const int32_t s = slurs[i];
    if (!HasGraphNode(kObjectSlur, s)) continue;
    const EnginePoint start = GetSlurStart(s);
    const EnginePoint end = GetSlurEnd(s);
    if (start.x >= box.x0 && end.x <= box.x1 && start.y >= box.y0 && start.y <= box.y1 && end.y >= box.y0 &&
        end.y <= box.y1)
      LinkGraphConflict(kind, reference, kObjectSlur, s);
  }
}

void LinkTextConflictsWithSymbols(int32_t kind, int32_t reference, const EngineBox& box) {
  ForEachSymbol(IsTextBlockingSymbolAt, [&](int32_t symbol) {
    if (TextCoversSymbol(box, GetFixedSymbolBox(symbol)))
      LinkGraphConflict(kind, reference, GetFixedSymbolType(symbol), symbol);
  });
}
