// Ambiguity resolution: object probabilities, deletion rules, conflict
// candidates and the five stages.
#include "Code/Quorm/ambigres.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "Code/Quorm/Bitstrea.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findledg.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Findstem.h"
#include "Code/Quorm/Findtext.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Muslfile.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Pixerase.h"
#include "Code/Quorm/findbarl.h"
#include "Code/Quorm/findslur.h"
#include "Code/Quorm/fssatoms.h"
#include "Code/Quorm/joints.h"
#include "Code/Quorm/mocgcalc.h"
#include "Code/Quorm/mocgraph.h"

namespace {

constexpr int32_t kFirstCandidates = 1000;
constexpr int32_t kMaxListedHeads = 30;
constexpr int32_t kMaxListedStems = 30;
constexpr int32_t kMaxStackedBeams = 10;
constexpr int32_t kStackedBeamDepth = 4;
constexpr int32_t kAtomPairLink = 50000;
constexpr int32_t kPairedAtomFlag = 2;
constexpr int32_t kSingleAtomFlag = 1;
constexpr double kMinProbability = 0.0001;
constexpr double kMaxProbability = 0.9999;

AmbiguityCandidate* gCandidates = nullptr;
int32_t gCandidateCount = 0;
int32_t gCandidateCapacity = 0;

struct StemHeadPair {
  int32_t stem;
  int32_t head;
};
StemHeadPair* gPairs = nullptr;
int32_t gPairCount = 0;
int32_t gPairCapacity = 0;

int32_t gChanged = 0;
int32_t gStageFive = 0;

bool In(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }
bool IsFixedKind(int32_t kind) { return In(kind, kMinFixedSymbolType, kMaxFixedSymbolType); }

// ---- Scales ----
// One staff space of the page in pixels, as a floating-point divisor (a page
// without a staff space divides by one pixel).
double PageSpace() {
  const double s = ScaleToPixelsExact(100);
  return s > 0.0 ? s : 1.0;
}

int32_t ScaleAtPoint(int32_t y, int32_t x, int32_t percent) {
  if (GetStaffCount() == 0) return ScaleToPixels(percent);
  return ScaleToPixelsAt(y, x, percent);
}

double StaffSpaceOf(int32_t staff) {
  if (staff < 0 || staff >= GetStaffCount()) return PageSpace();
  return GetStaffSpace(staff) / 1024.0;
}

// ---- Objects ----
FoundVerticalLine Stem(int32_t stem) { return GetFoundVerticalLine(stem); }
int32_t StemMiddleX(int32_t stem) {
  const FoundVerticalLine line = Stem(stem);
  return (line.topX + line.bottomX) / 2;
}
int32_t StemMiddleY(int32_t stem) {
  const FoundVerticalLine line = Stem(stem);
  return (line.topY + line.bottomY) / 2;
}
JointLine StemLine(const FoundVerticalLine& line) {
  return JointLine{{line.topY, line.topX}, {line.bottomY, line.bottomX}};
}
int32_t HeadCentreX(int32_t head) { return (GetNoteheadLeftX(head) + GetNoteheadRightX(head)) / 2; }
int32_t HeadStep(int32_t head) { return GetNoteheadPlace(head).step; }

// The row of the beam's centre line at a column (extended beyond its ends).
int32_t BeamRowAt(int32_t beam, int32_t x) {
  const EnginePoint l = GetBeamLeftEnd(beam);
  const EnginePoint r = GetBeamRightEnd(beam);
  if (r.x == l.x) return l.y;
  return l.y + static_cast<int32_t>(static_cast<int64_t>(r.y - l.y) * (x - l.x) / (r.x - l.x));
}

int32_t NodeOf(int32_t kind, int32_t reference) { return FindGraphNode(kind, reference); }
int32_t NodeKind(int32_t node) { return GetGraphNodeObject(node).kind; }
int32_t NodeRef(int32_t node) { return GetGraphNodeObject(node).reference; }

// Visits every usable link (cost above 0) of a node: fn(i, otherNode, kind,
// reference, label, cost).
template <class Fn>
void ForEachUsableLink(int32_t node, Fn fn) {
  const int32_t n = GetGraphLinkCount(node);
  for (int32_t i = 0; i < n; ++i) {
    const int32_t cost = GetGraphLinkCost(node, i);
    if (cost <= 0) continue;
    const int32_t other = GetGraphLinkOther(node, i);
    const GraphObject object = GetGraphNodeObject(other);
    fn(i, other, object.kind, object.reference, GetGraphLinkLabel(node, i), cost);
  }
}

template <class Test>
bool HasUsableLink(int32_t node, Test test) {
  bool found = false;
  ForEachUsableLink(node, [&](int32_t i, int32_t, int32_t kind, int32_t ref, int32_t label, int32_t) {
    if (!found && test(i, kind, ref, label)) found = true;
  });
  return found;
}

// ---- Costs and base probabilities ----
int32_t ObjectCost(int32_t kind, int32_t reference) {
  if (IsFixedKind(kind)) return GetFixedSymbolCost(reference);
  switch (kind) {
    case kObjectVerticalLine: return GetVerticalLineCost(reference);
    case kObjectNotehead: return GetNoteheadCost(reference);
    case kObjectBeam: return GetBeamCost(reference);
    case kObjectSlur: return GetSlurCost(reference);
    case kObjectBarLine: return GetBarLineCost(reference);
    case kObjectLedgerLine: return GetLedgerLineCost(reference);
    case kObjectTextBlockItem:
    case kObjectLyricWord: return GetTextObjectScore(kind, reference);
    default: break;
  }
  EngineAssertFail(__FILE__, __LINE__);
}

double BoxWeight(const EngineBox& box) {
  const double s = PageSpace();
  const double w = static_cast<double>(box.x1 - box.x0);
  const double h = static_cast<double>(box.y1 - box.y0);
  const double area = (w / s) * (h / s);
  return std::exp(4.0 * std::pow(area > 0.0 ? area : 0.0, 0.25));
}

double LengthWeight(int32_t length) {
  return std::exp(3.0 * std::pow(std::abs(length) / PageSpace(), 0.25));
}

double PriorWeight(int32_t kind, int32_t reference) {
  if (IsFixedKind(kind)) return BoxWeight(GetFixedSymbolBox(reference));
  switch (kind) {
    case kObjectTextBlockItem:
    case kObjectLyricWord: return BoxWeight(GetTextObjectBox(kind, reference));
    case kObjectVerticalLine:
    case kObjectLedgerLine: return std::exp(2.5);
    case kObjectNotehead: return std::exp(4.5);
    case kObjectBeam: return LengthWeight(GetBeamRightEnd(reference).x - GetBeamLeftEnd(reference).x);
    case kObjectSlur: return LengthWeight(GetSlurEnd(reference).x - GetSlurStart(reference).x);
    case kObjectBarLine: return IsBarLineJoined(reference) ? std::exp(5.0) : std::exp(2.5);
    default: break;
  }
  EngineAssertFail(__FILE__, __LINE__);
}

double Clamp(double p) { return std::min(kMaxProbability, std::max(kMinProbability, p)); }

bool IsTextKind(int32_t kind) { return kind == kObjectTextBlockItem || kind == kObjectLyricWord; }

double Base(int32_t kind, int32_t reference) {
  const double x = ObjectCost(kind, reference) / 1024.0;
  const double a = PriorWeight(kind, reference);
  return a / (std::pow(a, x) + a);
}

// Text-block items and lyric words: p0^(1/n) over the n items of their block
// or words of their line.
double TextProbability(int32_t kind, int32_t reference) {
  const int32_t n = std::max<int32_t>(1, GetTextObjectSiblingCount(kind, reference));
  return std::pow(Base(kind, reference), 1.0 / n);
}

double LinkL(int32_t cost) { return cost / 1024.0; }

// The highest one-link support of p over the node's usable links whose other
// end passes the test; -1 when none does. *q and *l receive the link's values.
template <class Test>
double BestSupport(int32_t node, double p, Test test, double* q = nullptr, double* l = nullptr) {
  double best = -1.0;
  ForEachUsableLink(node, [&](int32_t, int32_t, int32_t kind, int32_t ref, int32_t label, int32_t cost) {
    if (!test(kind, ref, label)) return;
    const double qq = Base(kind, ref);
    const double ll = LinkL(cost);
    const double s = OneLinkSupport(p, qq, ll);
    if (s > best) {
      best = s;
      if (q) *q = qq;
      if (l) *l = ll;
    }
  });
  return best;
}

double MaxWith(double p, double support) { return support > p ? support : p; }

double StemProbability(int32_t stem) {
  const double p0 = Base(kObjectVerticalLine, stem);
  if (!StemReachesPastHeads(stem)) return p0;
  const int32_t node = NodeOf(kObjectVerticalLine, stem);
  double q1 = 0.0, l1 = 1.0, q2 = 0.0, l2 = 1.0;
  BestSupport(node, p0, [](int32_t kind, int32_t, int32_t) { return kind == kObjectNotehead; }, &q1, &l1);
  BestSupport(
      node, p0, [](int32_t kind, int32_t, int32_t) { return kind == kObjectBeam || IsFlagType(kind); }, &q2,
      &l2);
  return TwoLinkSupport(p0, q1, l1, q2, l2);
}

double HeadProbability(int32_t head) {
  const double p0 = Base(kObjectNotehead, head);
  const int32_t node = NodeOf(kObjectNotehead, head);
  return MaxWith(p0, BestSupport(node, p0, [](int32_t kind, int32_t ref, int32_t) {
                   return kind == kObjectVerticalLine && StemReachesPastHeads(ref);
                 }));
}

double BeamProbability(int32_t beam) {
  const double p0 = Base(kObjectBeam, beam);
  const int32_t node = NodeOf(kObjectBeam, beam);
  bool found6 = false, found4 = false, any6 = false, any4 = false;
  double q6 = 0.0, l6 = 1.0, q4 = 0.0, l4 = 1.0;
  int32_t s6 = 0, s4 = 0;
  ForEachUsableLink(node, [&](int32_t i, int32_t, int32_t kind, int32_t ref, int32_t label, int32_t cost) {
    if (kind != kObjectVerticalLine) return;
    if (label == kJointRightSide) any6 = true;
    if (label == kJointLeftSide) any4 = true;
    if (cost < 1 || !StemReachesPastHeads(ref)) return;
    if (label == kJointRightSide) {
      found6 = true;
      q6 = Base(kind, ref);
      l6 = LinkL(cost);
      s6 = GetGraphLinkBackLabel(node, i);
    } else if (label == kJointLeftSide) {
      found4 = true;
      q4 = Base(kind, ref);
      l4 = LinkL(cost);
      s4 = GetGraphLinkBackLabel(node, i);
    }
  });
  if (GetBeamFlag(beam)) {
    if (found6 && !any4) return OneLinkSupport(p0, q6, l6);
    if (found4 && !any6) return OneLinkSupport(p0, q4, l4);
    return p0;
  }
  if (found6 && found4) {
    const int32_t length = GetBeamRightEnd(beam).x - GetBeamLeftEnd(beam).x;
    if (((s6 == kJointBeamAtTop || s6 == kJointBeamAtBottom) && s4 == s6) || length > ScaleToPixels(240))
      return TwoLinkSupport(p0, q6, l6, q4, l4);
  }
  return p0;
}

// A clef near the start of its staff gains probability.
double ClefNearStaffStart(const EngineBox& box, double p) {
  if (GetStaffCount() == 0) return p;
  const EnginePoint centre = BoxCentre(box.y0, box.x0, box.y1, box.x1);
  const int32_t staff = NearestStaff(centre.y, centre.x);
  if (staff < 0) return p;
  const double d = std::abs(box.x0 - GetStaffLeftX(staff) - ScaleToPixelsForStaff(staff, 100));
  const double big = ScaleToPixelsForStaff(staff, 500);
  if (big <= 0.0) return p;
  const double r = (d / big + 0.2) * (d / big + 0.2);
  if (r >= 1.0) return p;
  return p / (r * (1.0 - p) + p);
}

double ClefProbability(int32_t symbol, double p) { return ClefNearStaffStart(GetFixedSymbolBox(symbol), p); }

double KeySignatureProbability(int32_t symbol, double p0) {
  const int32_t node = NodeOf(GetFixedSymbolType(symbol), symbol);
  const double p1 =
      MaxWith(p0, BestSupport(node, p0, [](int32_t kind, int32_t, int32_t) { return IsClefType(kind) != 0; }));
  const EngineBox box = GetFixedSymbolBox(symbol);
  const int32_t reach = ScaleToPixels(1000);
  const EngineBox region{box.x0 - reach, box.y0 - reach, box.x1, box.y1 + reach};
  const int32_t staff = GetSymbolStaffStep(symbol).staff;
  int32_t rightmost = -1;
  bool found = false;
  {
    PointsInBox heads(kPointHeadRight, region);
    for (int32_t i = 0; i < heads.count(); ++i) {
      if (GetNoteheadPlace(heads[i]).staff != staff) continue;
      const int32_t right = GetNoteheadRightX(heads[i]);
      if (!found || right > rightmost) rightmost = right;
      found = true;
    }
  }
  if (!found) return p1;
  if (rightmost < box.x0 && PointsInBox(kPointBarTop, EngineBox{rightmost, region.y0, box.x0, region.y1}).count() > 0)
    return p1;
  return p1 * (0.9 / (10.0 - 9.0 * p1) + 0.1);
}

double SymbolProbability(int32_t symbol) {
  const int32_t type = GetFixedSymbolType(symbol);
  const double p0 = Base(type, symbol);
  const int32_t node = NodeOf(type, symbol);
  auto ofKind = [](int32_t wanted) {
    return [wanted](int32_t kind, int32_t, int32_t) { return kind == wanted; };
  };
  if (IsClefType(type)) return ClefProbability(symbol, p0);
  if (type == kBarDotType) {
    double q1 = 0.0, l1 = 1.0, q2 = 0.0, l2 = 1.0;
    BestSupport(node, p0, ofKind(kObjectBarLine), &q1, &l1);
    BestSupport(node, p0, ofKind(kBarDotType), &q2, &l2);
    return TwoLinkSupport(p0, q1, l1, q2, l2);
  }
  if (type == kDotType || IsAccidentalType(type))
    return MaxWith(p0, BestSupport(node, p0, ofKind(kObjectNotehead)));
  if (IsTypeInGroup100(type))
    return MaxWith(p0, std::max(BestSupport(node, p0, ofKind(kObjectNotehead)),
                                BestSupport(node, p0, ofKind(kObjectVerticalLine))));
  if (IsKeySignatureType(type)) return KeySignatureProbability(symbol, p0);
  // A flag is read with a cost up to its acceptance cost, above the 1024 at
  // which its own probability falls below one half: its stem carries it, as
  // a stem carries its head, or every flag read that dearly would go when
  // the improbable objects are deleted.
  if (IsFlagType(type))
    return MaxWith(p0, BestSupport(node, p0, [](int32_t kind, int32_t ref, int32_t) {
                     return kind == kObjectVerticalLine && StemReachesPastHeads(ref);
                   }));
  return p0;
}

// ---- Node deletion ----
void DeleteNode(int32_t node, int32_t erase) {
  const GraphObject object = GetGraphNodeObject(node);
  ReleaseGraphNode(object.kind, object.reference, erase);
  gChanged = 1;
}

void MarkNeighboursTouched(int32_t node) {
  const int32_t n = GetGraphLinkCount(node);
  for (int32_t i = 0; i < n; ++i) SetGraphMarkB(GetGraphLinkOther(node, i));
}

// ---- Stem helpers ----
struct HeadOfStem {
  int32_t head;
  int32_t node;
  int32_t stemLabel;  // at the stem
  int32_t headLabel;  // at the head
  int32_t cost;
  int32_t y;
};

// The stem's usable notehead links in link order, at most max.
int32_t HeadsOfStem(int32_t stem, HeadOfStem* out, int32_t max) {
  const int32_t node = NodeOf(kObjectVerticalLine, stem);
  int32_t n = 0;
  ForEachUsableLink(node, [&](int32_t i, int32_t other, int32_t kind, int32_t ref, int32_t label, int32_t cost) {
    if (kind != kObjectNotehead || n >= max) return;
    out[n++] = HeadOfStem{ref, other, label, GetGraphLinkBackLabel(node, i), cost, GetNoteheadY(ref)};
  });
  return n;
}

bool HasHeadAtEnd(const HeadOfStem* heads, int32_t n) {
  for (int32_t i = 0; i < n; ++i)
    if (heads[i].stemLabel == kJointHeadAtTop || heads[i].stemLabel == kJointHeadAtBottom) return true;
  return false;
}

// Whether heads a (left of the stem) and b (right of it) form a chord pair.
bool IsChordPair(int32_t a, int32_t b, int32_t middleX) {
  if (!(HeadCentreX(a) < middleX && HeadCentreX(b) > middleX)) return false;
  const int32_t d = HeadStep(b) - HeadStep(a);
  return d == 0 || d == 1;
}

bool HasSideLabel(int32_t node, int32_t labelA, int32_t labelB) {
  return HasUsableLink(node, [&](int32_t, int32_t, int32_t, int32_t label) {
    return label == labelA || label == labelB;
  });
}

// Whether the stem has another head with that head-side label one staff step
// away from the head (or at its step, on a chord stem).
bool HasPartnerHead(int32_t stem, int32_t head, int32_t headLabel) {
  HeadOfStem heads[kMaxListedHeads];
  const int32_t n = HeadsOfStem(stem, heads, kMaxListedHeads);
  const bool chord = StemHasChordPair(stem) != 0;
  for (int32_t i = 0; i < n; ++i) {
    if (heads[i].head == head || heads[i].headLabel != headLabel) continue;
    const int32_t d = std::abs(HeadStep(heads[i].head) - HeadStep(head));
    if (d == 1 || (chord && d == 0)) return true;
  }
  return false;
}

// ---- Deletion rules ----
bool StemRuleDeletes(int32_t stem) {
  HeadOfStem heads[kMaxListedHeads];
  const int32_t n = HeadsOfStem(stem, heads, kMaxListedHeads);
  return !HasHeadAtEnd(heads, n) && !StemHasChordPair(stem);
}

bool HeadRuleDeletes(int32_t head) {
  const int32_t model = GetNoteheadModel(head);
  if (model != 0 && model != 1 && model != 4) return false;
  const int32_t left = GetStemOfHead(head, 0);
  const int32_t right = GetStemOfHead(head, 1);
  if (left < 0 && right < 0) return true;
  if (left >= 0 && StemMainEndIsBottom(left, head)) {
    if (!(HasPartnerHead(left, head, kJointRightSide) && model != 4)) return true;
  }
  if (right >= 0) {
    if (StemMainEndIsBottom(right, head)) return false;
    return !(HasPartnerHead(right, head, kJointLeftSide) && model != 4);
  }
  return false;
}

bool BeamStacksOn(int32_t beam, int32_t end, int32_t stem, int32_t depth);

// Whether the beam's centre line, at the stem, runs within half a staff space
// of the centre of a head the stem carries.
bool BeamCrossesHeadOfStem(int32_t beam, int32_t stem) {
  HeadOfStem heads[kMaxListedHeads];
  const int32_t n = HeadsOfStem(stem, heads, kMaxListedHeads);
  const int32_t mx = StemMiddleX(stem);
  const int32_t row = BeamRowAt(beam, mx);
  const int32_t half = ScaleAtPoint(row, mx, 50);
  for (int32_t i = 0; i < n; ++i)
    if (std::abs(row - heads[i].y) < half) return true;
  return false;
}

// The beam's end (4 left, 6 right) nearer the stem when the link does not say.
int32_t BeamEndAt(int32_t beam, int32_t label, int32_t stem) {
  if (label == kJointLeftSide || label == kJointRightSide) return label;
  const int32_t x = StemMiddleX(stem);
  return std::abs(GetBeamLeftEnd(beam).x - x) <= std::abs(GetBeamRightEnd(beam).x - x) ? kJointLeftSide
                                                                                       : kJointRightSide;
}

// A short beam stays when it lies 0.5 to 1.5 staff spaces from a full beam
// that reaches its stem (or from a short one that stays so, to the given
// depth). The full beam may lie on either side: on an engraved page a part
// beam lies between the full beam and the heads, and in a beam that crosses
// between up- and down-stems it lies beyond the full beam for the
// down-stems. Either way it never runs through a head of its stem: a short
// beam there is the head itself (a slanted black head in a beamed group reads
// as a stub of beam joined to its own stem).
bool BeamStacksOn(int32_t beam, int32_t end, int32_t stem, int32_t depth) {
  if (depth <= 0) return false;
  const EnginePoint p = end == kJointLeftSide ? GetBeamLeftEnd(beam) : GetBeamRightEnd(beam);
  const int32_t mx = StemMiddleX(stem);
  if (BeamCrossesHeadOfStem(beam, stem)) return false;
  const int32_t near = ScaleToPixels(50), far = ScaleToPixels(150), reach = ScaleToPixels(80);
  const int32_t stemNode = NodeOf(kObjectVerticalLine, stem);
  struct Stacked {
    int32_t beam, end;
  } found[kMaxStackedBeams];
  int32_t n = 0;
  ForEachUsableLink(stemNode, [&](int32_t i, int32_t, int32_t kind, int32_t other, int32_t, int32_t) {
    if (kind != kObjectBeam || other == beam || n >= kMaxStackedBeams) return;
    const int32_t y = BeamRowAt(other, mx);
    const int32_t dy = std::abs(p.y - y);
    if (dy < near || dy > far) return;
    // The full beam ends at the stem or runs on through it (a part beam on a
    // middle stem of its group).
    if (mx < GetBeamLeftEnd(other).x - reach || mx > GetBeamRightEnd(other).x + reach) return;
    found[n++] = {other, BeamEndAt(other, GetGraphLinkBackLabel(stemNode, i), stem)};
  });
  for (int32_t i = 0; i < n; ++i)
    if (!GetBeamFlag(found[i].beam)) return true;
  for (int32_t i = 0; i < n; ++i)
    if (BeamStacksOn(found[i].beam, found[i].end, stem, depth - 1)) return true;
  return false;
}

bool BeamRuleDeletes(int32_t beam) {
  const int32_t node = NodeOf(kObjectBeam, beam);
  bool end6 = false, end4 = false, weak = false, stacked = false;
  int32_t lastCost = -1;
  const bool shortModel = GetBeamFlag(beam) != 0;
  ForEachUsableLink(node, [&](int32_t, int32_t, int32_t kind, int32_t stem, int32_t label, int32_t cost) {
    if (kind != kObjectVerticalLine) return;
    if (label == kJointRightSide) end6 = true;
    if (label == kJointLeftSide) end4 = true;
    if (IsWeakStem(stem)) weak = true;
    lastCost = cost;
    if (shortModel && !stacked && (label == kJointRightSide || label == kJointLeftSide))
      stacked = BeamStacksOn(beam, label, stem, kStackedBeamDepth);
  });
  const int32_t length = GetBeamRightEnd(beam).x - GetBeamLeftEnd(beam).x;
  const bool thick = length > ScaleToPixels(250) && GetBeamCost(beam) < 256 && lastCost >= 0 && lastCost < 256 &&
                     GetBeamThickness(beam) > GetPageStaffSpace() / 5 + GetPageLineThickness();
  if ((!end6 && !end4) || weak) return true;
  if (!shortModel && (!end4 || !end6) && !thick) return true;
  if (shortModel && !stacked) return true;
  return false;
}

bool LedgerRuleDeletes(int32_t node) {
  return !HasUsableLink(node, [](int32_t, int32_t kind, int32_t, int32_t label) {
    return kind == kObjectNotehead || (kind == kObjectLedgerLine && label == kJointLedgerInner);
  });
}

bool SymbolRuleDeletes(int32_t node, int32_t type) {
  if (type == kBarDotType)
    return !HasUsableLink(node, [](int32_t, int32_t kind, int32_t, int32_t) {
      return kind == kObjectBarLine || kind == kBarDotType;
    });
  if (type == kDotType)
    return !HasUsableLink(node, [](int32_t, int32_t kind, int32_t, int32_t) { return IsHeadOrRestKind(kind) != 0; });
  if (IsTypeInGroup100(type))
    return !HasUsableLink(node, [](int32_t, int32_t kind, int32_t, int32_t) {
      return kind == kObjectNotehead || kind == kObjectVerticalLine;
    });
  if (IsFlagType(type))
    return HasUsableLink(node, [](int32_t, int32_t kind, int32_t ref, int32_t) {
      return kind == kObjectVerticalLine && IsWeakStem(ref);
    });
  return false;
}

struct PassState {
  int32_t erase;
};

void DeletionRule(int32_t node, void* argument) {
  const int32_t erase = static_cast<PassState*>(argument)->erase;
  const GraphObject object = GetGraphNodeObject(node);
  bool remove = false;
  if (IsFixedKind(object.kind)) {
    remove = SymbolRuleDeletes(node, object.kind);
  } else {
    switch (object.kind) {
      case kObjectVerticalLine: remove = StemRuleDeletes(object.reference); break;
      case kObjectNotehead: remove = HeadRuleDeletes(object.reference); break;
      case kObjectBeam: remove = BeamRuleDeletes(object.reference); break;
      case kObjectLedgerLine: remove = LedgerRuleDeletes(node); break;
      default: break;
    }
  }
  if (remove) DeleteNode(node, erase);
}

// ---- Candidates ----
void AddCandidate(int32_t action, int32_t first, int32_t second, double score) {
  if (gCandidateCount == gCandidateCapacity) GrowEngineArrayChecked(gCandidates, gCandidateCapacity, kFirstCandidates);
  gCandidates[gCandidateCount++] = AmbiguityCandidate{action, first, second, score};
}

double Logit(double v) { return std::log(1.0 / v - 1.0); }

double NodeProbability(int32_t node) {
  const GraphObject object = GetGraphNodeObject(node);
  return GetObjectProbability(object.kind, object.reference);
}

void AddDeletionCandidate(int32_t a, int32_t b) {
  const double pa = NodeProbability(a);
  const double pb = NodeProbability(b);
  AddCandidate(kDeleteNodeAction, pa <= pb ? a : b, -1, std::fabs(Logit(pa) - Logit(pb)));
}

// Cutting one of the links of head h to stems a and b, or deleting one of the
// stems.
void AddLinkCutCandidate(int32_t h, int32_t a, int32_t b) {
  const double pa = NodeProbability(a);
  const double pb = NodeProbability(b);
  const int32_t ca = GetGraphLinkCostTo(h, a);
  const int32_t cb = GetGraphLinkCostTo(h, b);
  ENGINE_CHECK(ca > 0 && cb > 0);
  const double la = 1024.0 / (ca + 1024.0);
  const double lb = 1024.0 / (cb + 1024.0);
  if (pa > la && la < lb && pb > la) {
    AddCandidate(kCutLinkAction, h, a, std::fabs(Logit(la) - Logit(std::min(pb, lb))));
    return;
  }
  const double m = (pa <= la || la < lb) ? la : pa;
  if (pb <= lb || m <= lb) {
    AddDeletionCandidate(a, b);
    return;
  }
  if (lb < pa)
    AddCandidate(kCutLinkAction, h, b, std::fabs(Logit(lb) - Logit(pa)));
  else
    AddDeletionCandidate(a, b);
}

void ExclusionCandidates(int32_t node, void*) {
  const GraphObject self = GetGraphNodeObject(node);
  const int32_t n = GetGraphLinkCount(node);
  for (int32_t i = 0; i < n; ++i) {
    if (GetGraphLinkLabel(node, i) != kConflictLabel) continue;
    const int32_t other = GetGraphLinkOther(node, i);
    const GraphObject o = GetGraphNodeObject(other);
    if (o.kind < self.kind || (o.kind == self.kind && o.reference < self.reference))
      AddDeletionCandidate(node, other);
  }
}

// A head that one stem carries at its bottom end and another at its top.
bool HeadSharedByOppositeStems(int32_t head) {
  bool bottom = false, top = false;
  ForEachUsableLink(NodeOf(kObjectNotehead, head),
                    [&](int32_t, int32_t, int32_t kind, int32_t stem, int32_t, int32_t) {
                      if (kind != kObjectVerticalLine) return;
                      if (StemMainEndIsBottom(stem, head))
                        bottom = true;
                      else
                        top = true;
                    });
  return bottom && top;
}

void StemCandidates(int32_t node, void*) {
  if (NodeKind(node) != kObjectVerticalLine) return;
  const int32_t stem = NodeRef(node);
  const bool chord = gStageFive ? false : StemHasChordPair(stem) != 0;
  HeadOfStem heads[kMaxListedHeads];
  const int32_t n = HeadsOfStem(stem, heads, kMaxListedHeads);
  for (int32_t i = 0; i < n; ++i)
    for (int32_t j = i + 1; j < n; ++j) {
      const int32_t mi = GetNoteheadModel(heads[i].head), mj = GetNoteheadModel(heads[j].head);
      const bool zeroAndFour = (mi == 0 && mj == 4) || (mi == 4 && mj == 0);
      if (mi != mj && !zeroAndFour && (!chord || gStageFive) && !HeadSharedByOppositeStems(heads[i].head) &&
          !HeadSharedByOppositeStems(heads[j].head))
        AddDeletionCandidate(heads[i].node, heads[j].node);
      const int32_t li = heads[i].stemLabel, lj = heads[j].stemLabel;
      if ((li == kJointHeadAtTop && lj == kJointHeadAtBottom) || (li == kJointHeadAtBottom && lj == kJointHeadAtTop))
        AddDeletionCandidate(heads[i].node, heads[j].node);
    }
  int32_t beams[kMaxBeamsOfStem];
  const int32_t beamCount = ListBeamsOfStem(stem, beams);
  const int32_t mx = StemMiddleX(stem);
  for (int32_t i = 0; i < n; ++i)
    for (int32_t b = 0; b < beamCount; ++b) {
      const int32_t y = BeamRowAt(beams[b], mx);
      if (std::abs(y - heads[i].y) < ScaleAtPoint(y, mx, 125))
        AddDeletionCandidate(heads[i].node, NodeOf(kObjectBeam, beams[b]));
    }
}

void HeadCandidates(int32_t node, void*) {
  if (NodeKind(node) != kObjectNotehead) return;
  const int32_t head = NodeRef(node);
  struct StemOfHead {
    int32_t stem, node, label;
  } stems[kMaxListedStems];
  int32_t n = 0;
  ForEachUsableLink(node, [&](int32_t, int32_t other, int32_t kind, int32_t ref, int32_t label, int32_t) {
    if (kind == kObjectVerticalLine && n < kMaxListedStems) stems[n++] = {ref, other, label};
  });
  for (int32_t i = 0; i < n; ++i)
    for (int32_t j = i + 1; j < n; ++j) {
      if (stems[i].label != stems[j].label) continue;
      const FoundVerticalLine a = Stem(stems[i].stem), b = Stem(stems[j].stem);
      if (a.bottomY < b.topY || b.bottomY < a.topY) continue;
      if (!gStageFive && (StemHasChordPair(stems[i].stem) || StemHasChordPair(stems[j].stem))) continue;
      AddDeletionCandidate(stems[i].node, stems[j].node);
    }
  if (!gStageFive || n < 2) return;
  bool carriesOther = false;
  for (int32_t i = 0; i < n && !carriesOther; ++i) {
    HeadOfStem heads[kMaxListedHeads];
    const int32_t m = HeadsOfStem(stems[i].stem, heads, kMaxListedHeads);
    for (int32_t k = 0; k < m; ++k)
      if (heads[k].head != head) carriesOther = true;
  }
  if (!carriesOther) return;
  for (int32_t i = 0; i < n; ++i)
    for (int32_t j = i + 1; j < n; ++j) AddLinkCutCandidate(node, stems[i].node, stems[j].node);
}

// ---- Stage 2 helpers ----
int32_t SummariseObject(int32_t kind, int32_t reference, RasterRecord* out) {
  *out = RasterRecord{};
  ObjectToBitmap(kind, reference, 1, 1, out);
  // The raster covers the whole shape: only its ink counts.
  if (out->bits != nullptr) TrimRaster(out);
  return out->bits != nullptr ? 1 : 0;
}

int32_t AtomOf(RasterRecord* raster, int32_t kind, int32_t reference, int32_t link, int32_t flag) {
  const int32_t atom =
      AddSymbolAtom(raster->top, raster->left, raster->rows, raster->columns, raster->bits, kind, reference, link, flag);
  raster->bits = nullptr;  // the atom owns them now
  return atom;
}

int32_t OwnCost(int32_t kind, int32_t reference) { return ObjectCost(kind, reference); }

void AddPair(int32_t stem, int32_t head) {
  if (gPairCount == gPairCapacity) {
    // One pair per doubtful stem after the trial resolution (it leaves no
    // exclusions between live heads); should that ever change, the list grows
    // rather than fail the page.
    GrowEngineArrayChecked(gPairs, gPairCapacity, 16);
  }
  gPairs[gPairCount++] = StemHeadPair{stem, head};
}

// The model of the stem's cheapest head, heads at its ends first; -1 without
// heads.
int32_t ChosenHeadModel(const HeadOfStem* heads, int32_t n) {
  int32_t best = -1;
  bool bestAtEnd = false;
  int32_t bestCost = 0;
  for (int32_t i = 0; i < n; ++i) {
    const bool atEnd = heads[i].stemLabel == kJointHeadAtTop || heads[i].stemLabel == kJointHeadAtBottom;
    const int32_t cost = GetNoteheadCost(heads[i].head);
    if (best < 0 || (atEnd && !bestAtEnd) || (atEnd == bestAtEnd && cost < bestCost)) {
      best = i;
      bestAtEnd = atEnd;
      bestCost = cost;
    }
  }
  return best < 0 ? -1 : GetNoteheadModel(heads[best].head);
}

bool HasExclusionTo(int32_t node, int32_t other) {
  const int32_t n = GetGraphLinkCount(node);
  for (int32_t i = 0; i < n; ++i)
    if (GetGraphLinkOther(node, i) == other && GetGraphLinkLabel(node, i) == kConflictLabel) return true;
  return false;
}

bool StemIsCertain(int32_t stem, const HeadOfStem* heads, int32_t n, int32_t model) {
  if (StemHasChordPair(stem)) return true;
  int32_t first = -1, count = 0;
  for (int32_t i = 0; i < n; ++i) {
    if (GetNoteheadModel(heads[i].head) != model) continue;
    if (first < 0) {
      first = i;
      ++count;
    } else if (!HasExclusionTo(heads[i].node, heads[first].node)) {
      ++count;
    }
  }
  ENGINE_CHECK(first >= 0);
  if (count > 1) return true;
  int32_t beams[kMaxBeamsOfStem];
  const int32_t beamCount = ListBeamsOfStem(stem, beams);
  for (int32_t b = 0; b < beamCount; ++b)
    if (!GetBeamFlag(beams[b])) return true;
  const double ps = Base(kObjectVerticalLine, stem);
  const double ph = Base(kObjectNotehead, heads[first].head);
  const double l = LinkL(heads[first].cost);
  return ps * (ph / (l + ps - l * ps) + 1.0 - ph) > 0.9 && ph * (1.0 - ps + ps / (l + ph - l * ph)) > 0.9;
}

// The head's support from the last other stem in its link order; 0 without one.
double SupportFromOtherStem(int32_t head, int32_t stem) {
  const int32_t node = NodeOf(kObjectNotehead, head);
  double support = 0.0;
  ForEachUsableLink(node, [&](int32_t, int32_t, int32_t kind, int32_t ref, int32_t, int32_t cost) {
    if (kind != kObjectVerticalLine || ref == stem) return;
    support = OneLinkSupport(Base(kObjectNotehead, head), Base(kind, ref), LinkL(cost));
  });
  return support;
}

void MarkDoubtful(int32_t node, void*) {
  const GraphObject object = GetGraphNodeObject(node);
  switch (object.kind) {
    case kObjectNotehead:
      if (!HasUsableLink(node, [](int32_t, int32_t kind, int32_t, int32_t) { return kind == kObjectVerticalLine; }))
        SetGraphMarkA(node);
      return;
    case kObjectSlur:
      if (std::abs(GetSlurEnd(object.reference).x - GetSlurStart(object.reference).x) <= ScaleToPixels(300))
        SetGraphMarkA(node);
      return;
    case kObjectBarLine:
      if (!IsBarLineJoined(object.reference)) SetGraphMarkA(node);
      return;
    case kObjectVerticalLine:
    case kObjectBeam:
    case kObjectLedgerLine:
    case kObjectTextBlockItem:
    case kObjectLyricWord:
      return;
    default:
      break;
  }
  EngineAssertFail(__FILE__, __LINE__);
}

void JudgeStem(int32_t node, void*) {
  if (NodeKind(node) != kObjectVerticalLine) return;
  const int32_t stem = NodeRef(node);
  HeadOfStem heads[kMaxListedHeads];
  const int32_t n = HeadsOfStem(stem, heads, kMaxListedHeads);
  const int32_t model = ChosenHeadModel(heads, n);
  ENGINE_CHECK(model >= 0);
  if (StemIsCertain(stem, heads, n, model)) {
    for (int32_t i = 0; i < n; ++i)
      if (GetNoteheadModel(heads[i].head) == model) ClearGraphMarkA(heads[i].node);
    return;
  }
  for (int32_t i = 0; i < n; ++i) {
    if (GetNoteheadModel(heads[i].head) != model) continue;
    SetGraphMarkA(node);
    if (SupportFromOtherStem(heads[i].head, stem) <= 0.9) {
      SetGraphMarkA(heads[i].node);
      AddPair(stem, heads[i].head);
    }
  }
}

void EraseTrusted(int32_t node, void*) {
  if (TestGraphMarkA(node)) return;
  const GraphObject object = GetGraphNodeObject(node);
  switch (object.kind) {
    case kObjectVerticalLine:
    case kObjectNotehead:
    case kObjectSlur:
    case kObjectBarLine: EraseObjectPixels(object.kind, object.reference); break;
    case kObjectBeam: EraseBeam(object.reference); break;
    case kObjectLedgerLine: EraseLedgerLine(object.reference); break;
    default: break;  // text items keep their ink
  }
}

void AtomsOfPair(const StemHeadPair& pair) {
  RasterRecord stem{}, head{};
  const int32_t stemInk = SummariseObject(kObjectVerticalLine, pair.stem, &stem);
  const int32_t headInk = SummariseObject(kObjectNotehead, pair.head, &head);
  if (stemInk && headInk) {
    const int32_t a = AtomOf(&stem, kObjectVerticalLine, pair.stem, kAtomPairLink, kPairedAtomFlag);
    const int32_t b = AtomOf(&head, kObjectNotehead, pair.head, kAtomPairLink, kPairedAtomFlag);
    AddAtomPair(a, b, (GetVerticalLineCost(pair.stem) + GetNoteheadCost(pair.head)) / 2);
  } else if (stemInk) {
    AtomOf(&stem, kObjectVerticalLine, pair.stem, GetVerticalLineCost(pair.stem), kSingleAtomFlag);
  } else if (headInk) {
    AtomOf(&head, kObjectNotehead, pair.head, GetNoteheadCost(pair.head), kSingleAtomFlag);
  }
  FreeRasterBits(&stem);
  FreeRasterBits(&head);
}

void AtomsOfDoubtful(int32_t node, void*) {
  if (!TestGraphMarkA(node)) return;
  const GraphObject object = GetGraphNodeObject(node);
  if (object.kind != kObjectNotehead && object.kind != kObjectSlur && object.kind != kObjectBarLine) return;
  RasterRecord raster{};
  if (!SummariseObject(object.kind, object.reference, &raster)) return;
  const int32_t cost = OwnCost(object.kind, object.reference);
  if (object.kind == kObjectNotehead) {
    const int32_t c = SplitBitMatrixAtGap(raster.rows, raster.columns, raster.bits, raster.columns / 2);
    if (c > 0) {
      RasterRecord left{}, right{};
      SplitRasterAtColumn(raster.top, raster.left, raster.rows, raster.columns, raster.bits, &left, &right, c);
      if (left.bits != nullptr && right.bits != nullptr) {
        const int32_t a = AtomOf(&left, object.kind, object.reference, kAtomPairLink, kPairedAtomFlag);
        const int32_t b = AtomOf(&right, object.kind, object.reference, kAtomPairLink, kPairedAtomFlag);
        AddAtomPair(a, b, cost);
        FreeRasterBits(&raster);
        return;
      }
      FreeRasterBits(&left);
      FreeRasterBits(&right);
    }
  }
  AtomOf(&raster, object.kind, object.reference, cost, kSingleAtomFlag);
  FreeRasterBits(&raster);
}

void CountStem(int32_t node, void* argument) {
  if (NodeKind(node) == kObjectVerticalLine) ++*static_cast<int32_t*>(argument);
}

// ---- Stage 5 helpers ----
void SortByRow(HeadOfStem* heads, int32_t n) {
  std::stable_sort(heads, heads + n, [](const HeadOfStem& a, const HeadOfStem& b) { return a.y < b.y; });
}

void SplitChordStem(int32_t stem) {
  const FoundVerticalLine line = Stem(stem);
  HeadOfStem heads[kMaxListedHeads];
  const int32_t n = HeadsOfStem(stem, heads, kMaxListedHeads);
  SortByRow(heads, n);
  const int32_t mx = StemMiddleX(stem);
  int32_t y0 = 0;
  bool found = false;
  for (int32_t i = 0; i < n; ++i)
    for (int32_t j = 0; j < n; ++j)
      if (i != j && IsChordPair(heads[i].head, heads[j].head, mx)) {
        y0 = (heads[i].y + heads[j].y) / 2;
        found = true;
      }
  ENGINE_CHECK(found);
  int32_t upper = -1, lower = -1;
  if (!SplitVerticalLine(stem, y0, &upper, &lower)) return;  // a row on an end: the stem stays whole
  const int32_t q = ScaleAtPoint(y0, line.topX, 25);
  int32_t beams[kMaxBeamsOfStem];
  const int32_t beamCount = ListBeamsOfStem(stem, beams);
  struct Flag {
    int32_t type, symbol;
  } flags[kMaxListedHeads];
  int32_t flagCount = 0;
  ForEachUsableLink(NodeOf(kObjectVerticalLine, stem),
                    [&](int32_t, int32_t, int32_t kind, int32_t ref, int32_t, int32_t) {
                      if (IsFlagType(kind) && flagCount < kMaxListedHeads) flags[flagCount++] = {kind, ref};
                    });
  ReleaseGraphNode(kObjectVerticalLine, stem, 0);
  AddGraphNode(kObjectVerticalLine, upper);
  AddGraphNode(kObjectVerticalLine, lower);
  const JointLine upperLine = StemLine(Stem(upper));
  const JointLine lowerLine = StemLine(Stem(lower));
  for (int32_t i = 0; i < n; ++i) {
    const bool low = heads[i].y > y0 - q && !(heads[i].headLabel == kJointRightSide && heads[i].y < y0 + q);
    const int32_t part = low ? lower : upper;
    const JointResult joint = JoinNoteheadToLine(heads[i].head, low ? lowerLine : upperLine);
    if (joint.first != 0)
      LinkGraphNodes(kObjectNotehead, heads[i].head, joint.first, kObjectVerticalLine, part, joint.second,
                     joint.confidence);
  }
  for (int32_t part : {upper, lower}) {
    const JointLine partLine = part == upper ? upperLine : lowerLine;
    for (int32_t b = 0; b < beamCount; ++b) {
      const JointResult joint = JoinBeamToLine(beams[b], partLine);
      if (joint.first != 0)
        LinkGraphNodes(kObjectBeam, beams[b], joint.first, kObjectVerticalLine, part, joint.second, joint.confidence);
    }
    for (int32_t f = 0; f < flagCount; ++f) {
      const JointSymbol symbol{GetFixedSymbolBox(flags[f].symbol), flags[f].type, GetFixedSymbolRefY(flags[f].symbol)};
      const JointResult joint = JoinFlagToLine(symbol, partLine);
      if (joint.first != 0)
        LinkGraphNodes(flags[f].type, flags[f].symbol, joint.first, kObjectVerticalLine, part, joint.second,
                       joint.confidence);
    }
  }
}

struct StemList {
  int32_t* stems;
  int32_t count;
  int32_t capacity;
};

void CollectChordStems(int32_t node, void* argument) {
  if (NodeKind(node) != kObjectVerticalLine || !StemHasChordPair(NodeRef(node))) return;
  StemList* list = static_cast<StemList*>(argument);
  if (list->count < list->capacity) list->stems[list->count++] = NodeRef(node);
}

// Every label-6 (up) or label-4 (down) stem of the head, at most max.
int32_t StemsAtSide(int32_t head, int32_t label, int32_t* out, int32_t max) {
  return ListLinkedObjects(kObjectNotehead, head, kObjectVerticalLine, label, out, max);
}

bool HasOtherStemAtSide(int32_t head, int32_t label, int32_t stem) {
  int32_t stems[kMaxListedStems];
  const int32_t n = StemsAtSide(head, label, stems, kMaxListedStems);
  for (int32_t i = 0; i < n; ++i)
    if (stems[i] != stem) return true;
  return false;
}

bool OnList(const HeadOfStem* list, int32_t n, int32_t head) {
  for (int32_t i = 0; i < n; ++i)
    if (list[i].head == head) return true;
  return false;
}

void KeepCheaperStem(int32_t head, int32_t down, int32_t up) {
  const int32_t h = NodeOf(kObjectNotehead, head);
  const int32_t costDown = GetGraphLinkCostTo(h, NodeOf(kObjectVerticalLine, down));
  const int32_t costUp = GetGraphLinkCostTo(h, NodeOf(kObjectVerticalLine, up));
  if (costDown < costUp)
    UnlinkGraphNodes(kObjectNotehead, head, kObjectVerticalLine, up);
  else
    UnlinkGraphNodes(kObjectNotehead, head, kObjectVerticalLine, down);
}

void Relink(int32_t head, int32_t stem, int32_t headLabel, int32_t stemLabel) {
  const int32_t cost = GetGraphLinkCostTo(NodeOf(kObjectNotehead, head), NodeOf(kObjectVerticalLine, stem));
  UnlinkGraphNodes(kObjectNotehead, head, kObjectVerticalLine, stem);
  LinkGraphNodes(kObjectNotehead, head, headLabel, kObjectVerticalLine, stem, stemLabel, cost);
}

void ShareHeadsOfStems(int32_t head) {
  const int32_t up = GetStemOfHead(head, 1);
  const int32_t down = GetStemOfHead(head, 0);
  if (up < 0 || down < 0 || up == down) return;
  HeadOfStem a[kMaxListedHeads], b[kMaxListedHeads];
  const int32_t na = HeadsOfStem(down, a, kMaxListedHeads);
  const int32_t nb = HeadsOfStem(up, b, kMaxListedHeads);
  if (na == 0 || nb == 0 || (na < 2 && nb < 2)) return;
  SortByRow(a, na);
  SortByRow(b, nb);
  const int32_t reach = ScaleToPixels(150);
  if (Stem(up).topY > std::min(a[0].y, b[0].y) - reach) return;
  if (Stem(down).bottomY < std::max(a[na - 1].y, b[nb - 1].y) + reach) return;
  bool alone = true;
  for (const auto* list : {&a, &b}) {
    const int32_t n = list == &a ? na : nb;
    for (int32_t i = 0; i < n && alone; ++i)
      if (HasOtherStemAtSide((*list)[i].head, kJointRightSide, up) ||
          HasOtherStemAtSide((*list)[i].head, kJointLeftSide, down))
        alone = false;
  }
  for (int32_t i = 0; i < na; ++i) {
    if (!OnList(b, nb, a[i].head)) continue;
    const int32_t shared = a[i].head;
    if (!alone) {
      KeepCheaperStem(shared, down, up);
    } else if (shared == b[0].head) {
      UnlinkGraphNodes(kObjectNotehead, shared, kObjectVerticalLine, down);
    } else if (shared == a[na - 1].head) {
      UnlinkGraphNodes(kObjectNotehead, shared, kObjectVerticalLine, up);
    } else {
      KeepCheaperStem(shared, down, up);
    }
  }
  if (!alone) return;
  HeadOfStem rest[kMaxListedHeads];
  int32_t n = HeadsOfStem(up, rest, kMaxListedHeads);
  if (n > 0) {
    SortByRow(rest, n);
    Relink(rest[n - 1].head, up, kJointRightSide, kJointHeadAtBottom);
    TrimVerticalLineBottom(up, rest[n - 1].y);
  }
  n = HeadsOfStem(down, rest, kMaxListedHeads);
  if (n > 0) {
    SortByRow(rest, n);
    Relink(rest[0].head, down, kJointLeftSide, kJointHeadAtTop);
    TrimVerticalLineTop(down, rest[0].y);
  }
}

void ShareHeadsOfNode(int32_t node, void*) {
  if (NodeKind(node) == kObjectNotehead) ShareHeadsOfStems(NodeRef(node));
}

void DeleteImprobable(int32_t node, void*) {
  if (NodeProbability(node) < 0.5) DeleteNode(node, 1);
}

}  // namespace

// ---- Probabilities ----
double OneLinkSupport(double p, double q, double l) { return p * (q / (l + p - l * p) + 1.0 - q); }

double TwoLinkSupport(double p, double q1, double l1, double q2, double l2) {
  return p * (q1 * (1.0 - q2) / (l1 * (1.0 - p) + p) + q1 * q2 / (l1 * l2 * (1.0 - p) + p) +
              q2 * (1.0 - q1) / (l2 * (1.0 - p) + p) + (1.0 - q1) * (1.0 - q2));
}

double UnlinkedSymbolProbability(int32_t type, int32_t cost, const EngineBox& box) {
  const double a = BoxWeight(box);
  double p = a / (std::pow(a, cost / 1024.0) + a);
  if (IsClefType(type)) p = ClefNearStaffStart(box, p);
  return Clamp(p);
}

double GetBaseProbability(int32_t kind, int32_t reference) {
  return Base(kind, reference);
}

double GetObjectProbability(int32_t kind, int32_t reference) {
  double p;
  if (IsFixedKind(kind)) {
    p = SymbolProbability(reference);
  } else {
    switch (kind) {
      case kObjectVerticalLine: p = StemProbability(reference); break;
      case kObjectNotehead: p = HeadProbability(reference); break;
      case kObjectBeam: p = BeamProbability(reference); break;
      case kObjectSlur:
      case kObjectBarLine:
      case kObjectLedgerLine: p = Base(kind, reference); break;
      case kObjectTextBlockItem:
      case kObjectLyricWord: p = TextProbability(kind, reference); break;
      default: EngineAssertFail(__FILE__, __LINE__);
    }
  }
  return Clamp(p);
}

// ---- Stem states ----
int32_t StemHasChordPair(int32_t stem) {
  HeadOfStem heads[kMaxListedHeads];
  const int32_t n = HeadsOfStem(stem, heads, kMaxListedHeads);
  if (HasHeadAtEnd(heads, n)) return 0;
  const int32_t mx = StemMiddleX(stem);
  for (int32_t i = 0; i < n; ++i)
    for (int32_t j = 0; j < n; ++j)
      if (i != j && IsChordPair(heads[i].head, heads[j].head, mx)) return 1;
  return 0;
}

int32_t StemReachesPastHeads(int32_t stem) {
  HeadOfStem heads[kMaxListedHeads];
  const int32_t n = HeadsOfStem(stem, heads, kMaxListedHeads);
  if (n == 0) return 0;
  int32_t ymin = heads[0].y, ymax = heads[0].y;
  for (int32_t i = 1; i < n; ++i) {
    ymin = std::min(ymin, heads[i].y);
    ymax = std::max(ymax, heads[i].y);
  }
  const double s = StaffSpaceOf(GetNoteheadPlace(heads[n - 1].head).staff);
  const FoundVerticalLine line = Stem(stem);
  return std::abs(line.topY - ymin) >= s || std::abs(line.bottomY - ymax) >= s ? 1 : 0;
}

int32_t IsWeakStem(int32_t stem) {
  if (StemHasChordPair(stem)) return 0;
  if (Stem(stem).width >= PercentOfStaffSpace(16)) return 0;
  const int32_t node = NodeOf(kObjectVerticalLine, stem);
  const bool top = HasSideLabel(node, kJointBeamAtTop, kJointHeadAtTop);
  const bool bottom = HasSideLabel(node, kJointBeamAtBottom, kJointHeadAtBottom);
  return top && bottom ? 0 : 1;
}

int32_t StemMainEndIsBottom(int32_t stem, int32_t head) {
  HeadOfStem heads[kMaxListedHeads];
  const int32_t n = HeadsOfStem(stem, heads, kMaxListedHeads);
  bool hasTop = false, hasBottom = false;
  int32_t top = 0, bottom = 0;
  for (int32_t i = 0; i < n; ++i) {
    const int32_t cost = GetNoteheadCost(heads[i].head);
    if (heads[i].stemLabel == kJointHeadAtTop && (!hasTop || cost < top)) {
      hasTop = true;
      top = cost;
    }
    if (heads[i].stemLabel == kJointHeadAtBottom && (!hasBottom || cost < bottom)) {
      hasBottom = true;
      bottom = cost;
    }
  }
  if (hasBottom && (!hasTop || bottom < top)) return 1;
  if (hasTop) return 0;
  return GetNoteheadY(head) > StemMiddleY(stem) ? 1 : 0;
}

// ---- Stages ----
void ResolveAmbiguitiesStage1(int32_t erase) {
  PassState state{erase};
  do {
    gChanged = 0;
    ForEachGraphNode(DeletionRule, &state);
  } while (gChanged);
}

int32_t CollectAmbiguityCandidates() {
  gCandidateCount = 0;
  ForEachGraphNode(ExclusionCandidates, nullptr);
  ForEachGraphNode(StemCandidates, nullptr);
  ForEachGraphNode(HeadCandidates, nullptr);
  return gCandidateCount;
}

AmbiguityCandidate GetAmbiguityCandidate(int32_t i) {
  ENGINE_CHECK_INDEX(i, gCandidateCount);
  return gCandidates[i];
}

void ResolveCandidatesByScore(int32_t erase) {
  ResolveAmbiguitiesStage1(erase);
  while (CollectAmbiguityCandidates() > 0) {
    std::stable_sort(gCandidates, gCandidates + gCandidateCount,
                     [](const AmbiguityCandidate& a, const AmbiguityCandidate& b) { return a.score > b.score; });
    const double m = std::max(0.0, gCandidates[0].score);
    const double t = 0.9 * m - 0.1;
    ClearAllGraphMarksB();
    int32_t applied = 0;
    for (int32_t i = 0; i < gCandidateCount && gCandidates[i].score >= t; ++i) {
      const AmbiguityCandidate c = gCandidates[i];
      if (c.action == kDeleteNodeAction) {
        if (IsGraphNodeReleased(c.first) || TestGraphMarkB(c.first)) continue;
        MarkNeighboursTouched(c.first);
        DeleteNode(c.first, erase);
        ++applied;
      } else {
        if (IsGraphNodeReleased(c.first) || IsGraphNodeReleased(c.second)) continue;
        if (TestGraphMarkB(c.first) || TestGraphMarkB(c.second)) continue;
        MarkNeighboursTouched(c.first);
        MarkNeighboursTouched(c.second);
        const GraphObject a = GetGraphNodeObject(c.first), b = GetGraphNodeObject(c.second);
        UnlinkGraphNodes(a.kind, a.reference, b.kind, b.reference);
        ++applied;
      }
    }
    // The best candidate is always applied, so every cycle changes the graph.
    ENGINE_CHECK(applied > 0);
    ResolveAmbiguitiesStage1(erase);
  }
}

void ResolveAmbiguitiesStage2() {
  SaveGraphSnapshot();
  ResolveCandidatesByScore(0);
  ForEachGraphNode(MarkDoubtful, nullptr);
  int32_t stems = 0;
  ForEachGraphNode(CountStem, &stems);
  EngineFree(gPairs);
  gPairCount = 0;
  gPairCapacity = 0;
  if (stems > 0) {
    EngineAllocZeroedChecked(gPairs, sizeof(StemHeadPair) * static_cast<size_t>(stems));
    gPairCapacity = stems;
  }
  ForEachGraphNode(JudgeStem, nullptr);
  ForEachGraphNode(EraseTrusted, nullptr);
  for (int32_t i = 0; i < gPairCount; ++i) AtomsOfPair(gPairs[i]);
  ForEachGraphNode(AtomsOfDoubtful, nullptr);
  RestoreGraphSnapshot();
}

void ResolveAmbiguitiesStage3(int32_t erase) { ResolveCandidatesByScore(erase); }

void ResolveAmbiguitiesStage4() {
  gChanged = 0;
  ForEachGraphNode(DeleteImprobable, nullptr);
  ResolveAmbiguitiesStage1(1);
}

void ResolveAmbiguitiesStage5() {
  const int32_t total = GetGraphNodeCount();
  StemList list{nullptr, 0, total};
  if (total > 0) {
    EngineAlloc(list.stems, sizeof(int32_t) * static_cast<size_t>(total));
    ForEachGraphNode(CollectChordStems, &list);
    for (int32_t i = 0; i < list.count; ++i) SplitChordStem(list.stems[i]);
    EngineFree(list.stems);
  }
  ForEachGraphNode(ShareHeadsOfNode, nullptr);
  gStageFive = 1;
  ResolveCandidatesByScore(1);
}

int32_t GetAmbiguityPairCount() { return gPairCount; }
int32_t IsStageFiveOn() { return gStageFive; }

void FreeAmbiguityWork() {
  EngineFree(gCandidates);
  EngineFree(gPairs);
  gCandidateCount = gCandidateCapacity = 0;
  gPairCount = gPairCapacity = 0;
  gChanged = 0;
  gStageFive = 0;
}
