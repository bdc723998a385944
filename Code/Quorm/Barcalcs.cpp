#include "Code/Quorm/Barcalcs.h"

#include <algorithm>
#include <cstdlib>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Enginetab.h"
#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Findstem.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Mscript.h"
#include "Code/Quorm/Mscrptio.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/findbarl.h"
#include "Code/Quorm/findtupb.h"
#include "Code/Quorm/mocgcalc.h"
#include "Code/Quorm/mocgraph.h"

namespace {

constexpr int32_t kAttachCostLimit = 999;

// What the symbols of the page give each notehead (step 1).
struct HeadAttachment {
  int32_t accidental;        // 0 none, 1..7
  int32_t accidentalSymbol;  // -1 none
  int32_t dots;
  int32_t markCount;
  int32_t marks[kMaxGroupMarks][2];  // code, symbol
  int32_t used;                     // listed in a bar already
};

struct BarNote {
  int32_t object;  // notehead, or the rest symbol
  int32_t type;    // MscriptNoteType
  int32_t step;
  int32_t pageY, pageX;
  int32_t cost;
};

struct BarEvent {
  int32_t stem;  // -1 for none
  int32_t group;
  int32_t groupSize;
  EnginePoint stemTop, stemBottom;
  int32_t stemUp;
  int32_t noteCount;
  BarNote notes[kMaxGroupNotes];
  int32_t heads[kMaxGroupNotes];  // -1 for a rest
  int32_t flags, leftBeams, rightBeams;
  int32_t dots;
  int32_t markCount;
  int32_t marks[kMaxGroupMarks][2];  // code, symbol
  int32_t markFlags;
  int32_t tuplet, tupletNum, tupletDen;
  int32_t rest;
};

struct StaffBar {
  int32_t strokes;
  int32_t x[kMaxBarStrokes];
  int32_t width[kMaxBarStrokes];  // x1024
  int32_t thick[kMaxBarStrokes];
  int32_t midY;                   // the staff's middle at the first stroke
};

struct SystemBar {
  int32_t kind;
  int32_t x;  // from the reference staff's left end
  int32_t span;
  int32_t left[kMaxSystemStaves];
  int32_t right[kMaxSystemStaves];
};

EngineTable<HeadAttachment, 256> g_heads;
EngineTable<StaffBar, 32> g_staffBars[kMaxSystemStaves];
EngineTable<SystemBar, 32> g_systemBars;
int32_t g_tupletCount = 0;

int32_t Space() { return std::max<int32_t>(1, ScaleToPixels(100)); }
int32_t Spaces(int32_t percent) { return ScaleToPixels(percent); }
// The same measures in the staff's own space, which a cue or ossia staff
// has smaller than the page's.
int32_t StaffSpaces(int32_t staff, int32_t percent) { return ScaleToPixelsWith(GetStaffSpace(staff), percent); }

// ---- Step 1: symbols onto noteheads ----

// The cheapest link of the symbol's node to a node of the wanted kind, with
// a cost in 1..999; -1 when none.
int32_t BestLinkWithin(int32_t kind, int32_t reference, int32_t wantedKind) {
  if (!HasGraphNode(kind, reference)) return -1;
  const int32_t node = FindGraphNode(kind, reference);
  if (IsGraphNodeReleased(node)) return -1;
  int32_t best = -1;
  int32_t bestCost = 0;
  for (int32_t i = 0; i < GetGraphLinkCount(node); ++i) {
    const int32_t cost = GetGraphLinkCost(node, i);
    if (cost <= 0 || cost > kAttachCostLimit) continue;
    const GraphObject other = GetGraphNodeObject(GetGraphLinkOther(node, i));
    if (other.kind != wantedKind) continue;
    if (best < 0 || cost < bestCost) {
      best = other.reference;
      bestCost = cost;
    }
  }
  return best;
}

HeadAttachment* AttachmentOf(int32_t head) {
  if (head < 0 || head >= g_heads.count) return nullptr;
  return &g_heads.At(head);
}

void AttachSymbols() {
  const int32_t heads = GetNoteheadCount();
  for (int32_t h = 0; h < heads; ++h) g_heads.Append(HeadAttachment{0, -1, 0, 0, {}, 0});
  for (int32_t i = 0; i < GetFixedSymbolCount(); ++i) {
    if (IsFixedSymbolDeleted(i)) continue;
    const int32_t type = GetFixedSymbolType(i);
    if (IsAccidentalType(type)) {
      if (HeadAttachment* a = AttachmentOf(BestLinkWithin(type, i, kObjectNotehead))) {
        a->accidental = type - kFirstAccidentalType + 1;
        a->accidentalSymbol = i;
      }
    } else if (IsTypeInGroup100(type)) {
      int32_t head = BestLinkWithin(type, i, kObjectNotehead);
      if (head < 0) {
        const int32_t stem = BestLinkWithin(type, i, kObjectVerticalLine);
        if (stem >= 0) {
          int32_t list[kMaxHeadsOfStem];
          if (ListHeadsOfStem(stem, list) > 0) head = list[0];
        }
      }
      HeadAttachment* a = AttachmentOf(head);
      if (a != nullptr && a->markCount < kMaxGroupMarks) {
        a->marks[a->markCount][0] = type;
        a->marks[a->markCount][1] = i;
        ++a->markCount;
      }
    } else if (type == kDotType) {
      const GraphObject owner = FindBestLinkedHeadOrRest(type, i);
      if (owner.kind == kObjectNotehead) {
        if (HeadAttachment* a = AttachmentOf(owner.reference)) ++a->dots;
      } else if (owner.kind >= 0 && owner.reference >= 0 && owner.reference < GetFixedSymbolCount() &&
                 !IsFixedSymbolDeleted(owner.reference) && IsRestType(GetFixedSymbolType(owner.reference)) &&
                 GetRestDotCount(owner.reference) < 3) {
        AddDotToRest(owner.reference);
      }
    }
  }
}

// ---- Steps 2 and 3: the bar lines of a system and each staff's bars ----

struct BarLineAt {
  int32_t index;
  int32_t x;
};

// The x at which bar line b crosses the staff's middle line; 0 and nothing
// when the middle lies outside it.
int32_t CrossingAtMiddle(int32_t b, int32_t staff, int32_t* x) {
  const EnginePoint top = GetBarLineTop(b);
  const EnginePoint bottom = GetBarLineBottom(b);
  const int32_t mid = StaffMiddleY(staff, top.x);
  if (mid < top.y || mid > bottom.y) return 0;
  if (bottom.y == top.y) {
    *x = top.x;
  } else {
    *x = top.x + static_cast<int32_t>(static_cast<int64_t>(bottom.x - top.x) * (mid - top.y) / (bottom.y - top.y));
  }
  return 1;
}

int32_t SystemBarLines(int32_t system, BarLineAt** out) {
  int32_t c[8];
  GetSystemCorners(system, c);
  const int32_t s = Space();
  const int32_t y0 = std::max(0, std::min({c[0], c[2], c[4], c[6]}) - s);
  const int32_t y1 = std::max({c[0], c[2], c[4], c[6]}) + s + 1;
  const int32_t x0 = std::max(0, std::min({c[1], c[3], c[5], c[7]}) - s);
  const int32_t x1 = std::max({c[1], c[3], c[5], c[7]}) + s + 1;
  PointsInBox found(kPointBarTop, EngineBox{x0, y0, x1, y1});
  const int32_t n = found.count();
  int32_t kept = 0;
  if (n > 0) {
    EngineAllocZeroedChecked(*out, n * sizeof(BarLineAt));
    for (int32_t i = 0; i < n; ++i) {
      if (GetFoundBarLine(found[i]).deleted) continue;
      (*out)[kept++] = BarLineAt{found[i], GetBarLineTop(found[i]).x};
    }
    std::sort(*out, *out + kept, [](const BarLineAt& a, const BarLineAt& b) {
      return a.x != b.x ? a.x < b.x : a.index < b.index;
    });
  }
  return kept;
}

void BuildStaffBars(int32_t staff, EngineTable<StaffBar, 32>& bars, const BarLineAt* lines, int32_t n) {
  const int32_t s = Space();
  const int32_t left = GetStaffLeftX(staff);
  for (int32_t i = 0; i < n; ++i) {
    int32_t x = 0;
    if (!CrossingAtMiddle(lines[i].index, staff, &x)) continue;
    if (x - left < 2 * s) continue;
    const int32_t width = GetBarLineWidth(lines[i].index);
    const int32_t thick = IsBarLineThin(lines[i].index) ? 0 : 1;
    if (bars.count > 0) {
      StaffBar& last = bars.At(bars.count - 1);
      if (x - last.x[last.strokes - 1] <= 2 * s) {
        if (last.strokes < kMaxBarStrokes) {
          last.x[last.strokes] = x;
          last.width[last.strokes] = width;
          last.thick[last.strokes] = thick;
          ++last.strokes;
        }
        continue;
      }
    }
    StaffBar bar{};
    bar.strokes = 1;
    bar.x[0] = x;
    bar.width[0] = width;
    bar.thick[0] = thick;
    bar.midY = StaffMiddleY(staff, x);
    bars.Append(bar);
  }
}

// Repeat dots beside a staff bar: 1 left, 2 right, 3 both.
int32_t RepeatDotSides(int32_t staff, const StaffBar& bar) {
  const int32_t s = Space();
  const int32_t first = bar.x[0];
  const int32_t last = bar.x[bar.strokes - 1];
  int32_t sides = 0;
  for (int32_t i = 0; i < GetFixedSymbolCount(); ++i) {
    if (!IsBarDotSymbolAt(i) && !IsDotSymbolAt(i)) continue;
    const EngineBox box = GetFixedSymbolBox(i);
    const int32_t cx = (box.x0 + box.x1) / 2;
    const int32_t cy = (box.y0 + box.y1) / 2;
    if (cy < StaffTopLineY(staff, cx) || cy > StaffBottomLineY(staff, cx)) continue;
    if (box.x1 <= first && first - box.x1 <= s) sides |= 1;
    if (box.x0 >= last && box.x0 - last <= s) sides |= 2;
  }
  return sides;
}

int32_t StaffBarKind(int32_t staff, const StaffBar& bar) {
  switch (RepeatDotSides(staff, bar)) {
    case 1: return 2;
    case 3: return 4;
    case 2: return 3;
    default: break;
  }
  if (bar.strokes == 1) return 0;
  return (!bar.thick[0] && bar.thick[1]) ? 5 : 1;
}

// x difference a - b in the page's de-skewed frame.
int32_t DeskewedDifference(int32_t ya, int32_t xa, int32_t yb, int32_t xb) {
  return (xa - xb) + RoundQ10((ya - yb) * GetPageSkew());
}

// ---- Step 4: bars matched across the staves ----

void BuildSystemBars(int32_t system, int32_t staves) {
  const int32_t s = Space();
  int32_t reference = 0;
  int32_t most = -1;
  const int32_t middle2 = staves - 1;  // twice the middle index
  for (int32_t i = 0; i < staves; ++i) {
    const int32_t count = g_staffBars[i].count;
    if (count > most || (count == most && std::abs(2 * i - middle2) < std::abs(2 * reference - middle2))) {
      most = count;
      reference = i;
    }
  }
  EngineTable<StaffBar, 32>& refBars = g_staffBars[reference];
  for (int32_t r = 0; r < refBars.count; ++r) {
    const StaffBar& rb = refBars.At(r);
    int32_t match[kMaxSystemStaves];
    int32_t matched = 0;
    for (int32_t i = 0; i < staves; ++i) {
      match[i] = -1;
      for (int32_t b = 0; b < g_staffBars[i].count; ++b) {
        const StaffBar& sb = g_staffBars[i].At(b);
        if (std::abs(DeskewedDifference(sb.midY, sb.x[0], rb.midY, rb.x[0])) <= 2 * s) {
          match[i] = b;
          break;
        }
      }
      if (match[i] >= 0) ++matched;
    }
    if (2 * matched <= staves) continue;
    int32_t kinds[6] = {};
    int64_t sumX = 0;
    int64_t sumSpan = 0;
    for (int32_t i = 0; i < staves; ++i) {
      if (match[i] < 0) continue;
      const StaffBar& sb = g_staffBars[i].At(match[i]);
      ++kinds[StaffBarKind(GetStaffOfSystem(system, i), sb)];
      sumX += sb.x[0] - GetStaffLeftX(GetStaffOfSystem(system, i));
      sumSpan += sb.x[sb.strokes - 1] - sb.x[0];
    }
    SystemBar bar{};
    for (int32_t k = 1; k < 6; ++k)
      if (kinds[k] > kinds[bar.kind]) bar.kind = k;
    bar.x = static_cast<int32_t>(sumX / matched);
    bar.span = static_cast<int32_t>(sumSpan / matched);
    for (int32_t i = 0; i < staves; ++i) {
      const StaffBar& sb = match[i] >= 0 ? g_staffBars[i].At(match[i]) : rb;
      const int32_t at = GetStaffLeftX(GetStaffOfSystem(system, i)) + bar.x;
      bar.left[i] = at - sb.width[0] / 2048;
      bar.right[i] = at + bar.span + sb.width[sb.strokes - 1] / 2048;
    }
    g_systemBars.Append(bar);
  }
}

// ---- Step 5: one bar's events (BuildMeasure) ----

struct MeasureBox {
  int32_t x0, x1, y0, y1;
  int32_t staff;
};

struct MeasureWork {
  int32_t heads[kMaxBarHeads];
  int32_t headCount;
  int32_t stems[kMaxBarStems];
  int32_t stemCount;
  int32_t beams[kMaxBarBeams];
  int32_t beamCount;
  BarEvent events[kMaxBarEvents];
  int32_t eventCount;
};

MeasureWork* g_work = nullptr;

template <int32_t kCap>
int32_t AddOnce(int32_t (&list)[kCap], int32_t& count, int32_t value) {
  for (int32_t i = 0; i < count; ++i)
    if (list[i] == value) return 0;
  if (count >= kCap) return 0;
  list[count++] = value;
  return 1;
}

void ListHead(MeasureWork& w, int32_t head) {
  HeadAttachment* a = AttachmentOf(head);
  if (a == nullptr || a->used || w.headCount >= kMaxBarHeads) return;
  a->used = 1;
  w.heads[w.headCount++] = head;
}

void CollectObjects(MeasureWork& w, const MeasureBox& box) {
  PointsInBox found(kPointHeadLeft, EngineBox{box.x0, box.y0, box.x1, box.y1});
  const int32_t n = found.count();
  if (n > 0) {
    std::sort(found.begin(), found.end(), [](int32_t a, int32_t b) {
      const int32_t xa = GetNoteheadLeftX(a);
      const int32_t xb = GetNoteheadLeftX(b);
      return xa != xb ? xa < xb : a < b;
    });
    for (int32_t i = 0; i < n && i < kMaxBarHeads; ++i)
      if (GetNoteheadPlace(found[i]).staff == box.staff) ListHead(w, found[i]);
  }

  const int32_t firstHeads = w.headCount;
  for (int32_t i = 0; i < firstHeads; ++i)
    for (int32_t side = 1; side >= 0 && HasGraphNode(kObjectNotehead, w.heads[i]); --side) {
      const int32_t stem = GetStemOfHead(w.heads[i], side);
      if (stem >= 0) AddOnce(w.stems, w.stemCount, stem);
    }
  const int32_t headStems = w.stemCount;
  for (int32_t i = 0; i < headStems; ++i) {
    int32_t beams[kMaxBeamsOfStem];
    const int32_t nb = ListBeamsOfStem(w.stems[i], beams);
    for (int32_t b = 0; b < nb; ++b) AddOnce(w.beams, w.beamCount, beams[b]);
  }
  for (int32_t b = 0; b < w.beamCount; ++b) {
    int32_t stems[kMaxStemsOfBeam];
    const int32_t ns = ListStemsOfBeam(w.beams[b], stems);
    for (int32_t i = 0; i < ns; ++i) {
      const FoundVerticalLine line = GetFoundVerticalLine(stems[i]);
      const int32_t mid = (line.topX + line.bottomX) / 2;
      if (mid >= box.x0 && mid < box.x1) AddOnce(w.stems, w.stemCount, stems[i]);
    }
  }
  for (int32_t i = 0; i < w.stemCount; ++i) {
    int32_t heads[kMaxHeadsOfStem];
    const int32_t nh = ListHeadsOfStem(w.stems[i], heads);
    for (int32_t h = 0; h < nh; ++h) ListHead(w, heads[h]);
  }
}

int32_t BeamYAt(int32_t beam, int32_t x) {
  const FoundBeam b = GetFoundBeam(beam);
  if (b.rightX <= b.leftX) return b.leftY;
  return b.leftY + static_cast<int32_t>(static_cast<int64_t>(b.rightY - b.leftY) * (x - b.leftX) / (b.rightX - b.leftX));
}

int32_t StemMiddleX(const BarEvent& e) { return (e.stemTop.x + e.stemBottom.x) / 2; }

// Beam groups: stems joined through beams share the group of their first
// stem in the list.
void GroupStems(MeasureWork& w, int32_t* group) {
  for (int32_t i = 0; i < w.stemCount; ++i) group[i] = i;
  bool changed = true;
  while (changed) {
    changed = false;
    for (int32_t b = 0; b < w.beamCount; ++b) {
      int32_t stems[kMaxStemsOfBeam];
      const int32_t ns = ListStemsOfBeam(w.beams[b], stems);
      int32_t lowest = INT32_MAX;
      for (int32_t k = 0; k < ns; ++k)
        for (int32_t i = 0; i < w.stemCount; ++i)
          if (w.stems[i] == stems[k]) lowest = std::min(lowest, group[i]);
      for (int32_t k = 0; k < ns; ++k)
        for (int32_t i = 0; i < w.stemCount; ++i)
          if (w.stems[i] == stems[k] && group[i] != lowest) {
            group[i] = lowest;
            changed = true;
          }
    }
  }
}

BarNote HeadNote(int32_t head) {
  const FoundNotehead h = GetFoundNotehead(head);
  BarNote n{};
  n.object = head;
  n.type = NoteTypeOfHeadModel(h.model);
  n.step = h.step;
  n.pageY = h.centreY;
  n.pageX = (h.leftX + h.rightX) / 2;
  n.cost = GetNoteheadCost(head);
  return n;
}

// The head joins the event with its marks (the event keeps the first six).
void AddNoteToEvent(BarEvent& e, int32_t head) {
  if (e.noteCount >= kMaxGroupNotes || NoteTypeOfHeadModel(GetNoteheadModel(head)) < 0) return;
  e.heads[e.noteCount] = head;
  e.notes[e.noteCount++] = HeadNote(head);
  const HeadAttachment* a = AttachmentOf(head);
  for (int32_t m = 0; a != nullptr && m < a->markCount && e.markCount < kMaxGroupMarks; ++m) {
    e.marks[e.markCount][0] = a->marks[m][0];
    e.marks[e.markCount][1] = a->marks[m][1];
    ++e.markCount;
  }
}

void BuildStemEvents(MeasureWork& w, const MeasureBox& box) {
  int32_t group[kMaxBarStems];
  GroupStems(w, group);
  for (int32_t i = 0; i < w.stemCount && w.eventCount < kMaxBarEvents; ++i) {
    const FoundVerticalLine line = GetFoundVerticalLine(w.stems[i]);
    BarEvent e{};
    e.stem = w.stems[i];
    e.group = group[i];
    e.stemTop = EnginePoint{line.topY, line.topX};
    e.stemBottom = EnginePoint{line.bottomY, line.bottomX};
    w.events[w.eventCount++] = e;
  }
  std::stable_sort(w.events, w.events + w.eventCount, [](const BarEvent& a, const BarEvent& b) {
    return a.group != b.group ? a.group < b.group : StemMiddleX(a) < StemMiddleX(b);
  });

  // Each head becomes a note of the event of its own stem.
  for (int32_t h = 0; h < w.headCount; ++h) {
    if (!HasGraphNode(kObjectNotehead, w.heads[h])) continue;
    int32_t stem = GetStemOfHead(w.heads[h], 1);
    if (stem < 0) stem = GetStemOfHead(w.heads[h], 0);
    if (stem < 0) continue;
    for (int32_t k = 0; k < w.eventCount; ++k)
      if (w.events[k].stem == stem) {
        AddNoteToEvent(w.events[k], w.heads[h]);
        break;
      }
  }

  // Stems reach their group's outer beam; beams count left and right.
  const int32_t s = Space();
  for (int32_t k = 0; k < w.eventCount; ++k) {
    BarEvent& e = w.events[k];
    const int32_t x = StemMiddleX(e);
    int32_t beams[kMaxBeamsOfStem];
    int32_t outerTop = e.stemTop.y;
    int32_t outerBottom = e.stemBottom.y;
    for (int32_t j = 0; j < w.eventCount; ++j) {
      if (w.events[j].group != e.group) continue;
      const int32_t nb = ListBeamsOfStem(w.events[j].stem, beams);
      for (int32_t b = 0; b < nb; ++b) {
        const FoundBeam fb = GetFoundBeam(beams[b]);
        if (x < fb.leftX - s / 4 || x > fb.rightX + s / 4) continue;
        const int32_t y = BeamYAt(beams[b], x);
        if (y < (e.stemTop.y + e.stemBottom.y) / 2)
          outerTop = std::min(outerTop, y);
        else
          outerBottom = std::max(outerBottom, y);
      }
    }
    e.stemTop.y = outerTop;
    e.stemBottom.y = outerBottom;
    for (int32_t b = 0; b < w.beamCount; ++b) {
      const FoundBeam fb = GetFoundBeam(w.beams[b]);
      if (x < fb.leftX - s / 4 || x > fb.rightX + s / 4) continue;
      const int32_t y = BeamYAt(w.beams[b], x);
      if (y < e.stemTop.y || y > e.stemBottom.y) continue;
      if (x - fb.leftX > s / 2) ++e.leftBeams;
      if (fb.rightX - x > s / 2) ++e.rightBeams;
    }
    e.flags = CountFlagsOfStem(e.stem);
  }

  // Stemless heads (semibreves and breves) of this staff: overlapping heads
  // of one model make one chord.
  int32_t lastModel = -1;
  int32_t lastRight = -1;
  for (int32_t h = 0; h < w.headCount; ++h) {
    const FoundNotehead head = GetFoundNotehead(w.heads[h]);
    if (head.model != 2 && head.model != 3) continue;
    if (head.staff != box.staff) continue;
    bool inEvent = false;
    for (int32_t k = 0; k < w.eventCount && !inEvent; ++k)
      for (int32_t n = 0; n < w.events[k].noteCount; ++n)
        if (w.events[k].heads[n] == w.heads[h]) inEvent = true;
    if (inEvent) continue;
    if (w.eventCount > 0 && w.events[w.eventCount - 1].stem < 0 && !w.events[w.eventCount - 1].rest &&
        head.model == lastModel && head.leftX <= lastRight) {
      AddNoteToEvent(w.events[w.eventCount - 1], w.heads[h]);
      lastRight = std::max(lastRight, head.rightX);
      continue;
    }
    if (w.eventCount >= kMaxBarEvents) break;
    BarEvent e{};
    e.stem = -1;
    e.group = kMaxBarStems + w.eventCount;
    e.stemTop = e.stemBottom = EnginePoint{head.centreY, (head.leftX + head.rightX) / 2};
    AddNoteToEvent(e, w.heads[h]);
    w.events[w.eventCount++] = e;
    lastModel = head.model;
    lastRight = head.rightX;
  }
}

void BuildRestEvents(MeasureWork& w, const MeasureBox& box) {
  const int32_t limit = 6 * Space();
  for (int32_t i = 0; i < GetFixedSymbolCount() && w.eventCount < kMaxBarEvents; ++i) {
    if (!IsRestSymbolAt(i)) continue;
    const EngineBox b = GetFixedSymbolBox(i);
    const int32_t cx = (b.x0 + b.x1) / 2;
    const int32_t cy = (b.y0 + b.y1) / 2;
    if (cx < box.x0 || cx >= box.x1 || cy < box.y0 || cy >= box.y1) continue;
    if (NearestStaff(cy, cx) != box.staff) continue;
    if (std::abs(cy - StaffMiddleY(box.staff, cx)) > limit) continue;
    const int32_t type = GetFixedSymbolType(i);
    const int32_t base = type >= 700 ? 40 + (type % 10) : type;
    int32_t y = cy;
    if (base == 41) y = b.y0;
    if (base == 42) y = b.y1;
    BarEvent e{};
    e.stem = -1;
    e.group = kMaxBarStems + kMaxBarEvents + i;
    e.rest = 1;
    e.dots = GetRestDotCount(i);
    e.stemTop = e.stemBottom = EnginePoint{cy, cx};
    e.heads[0] = -1;
    BarNote& n = e.notes[0];
    n.object = i;
    n.type = NoteTypeOfRestType(type);
    n.step = YToStaffStepIndex(y, cx, box.staff);
    n.pageY = y;
    n.pageX = cx;
    n.cost = GetFixedSymbolCost(i);
    e.noteCount = 1;
    w.events[w.eventCount++] = e;
  }
}

void RemoveEmptyEvents(MeasureWork& w) {
  int32_t kept = 0;
  for (int32_t k = 0; k < w.eventCount; ++k)
    if (w.events[k].noteCount > 0) w.events[kept++] = w.events[k];
  w.eventCount = kept;
}

void RemoveNote(BarEvent& e, int32_t n) {
  for (int32_t k = n + 1; k < e.noteCount; ++k) {
    e.notes[k - 1] = e.notes[k];
    e.heads[k - 1] = e.heads[k];
  }
  --e.noteCount;
}

void FinishEvents(MeasureWork& w) {
  for (int32_t k = 0; k < w.eventCount; ++k) {
    BarEvent& e = w.events[k];
    if (e.rest) continue;
    int32_t dots = 0;
    for (int32_t n = 0; n < e.noteCount; ++n)
      if (const HeadAttachment* a = AttachmentOf(e.heads[n])) dots += a->dots;
    for (int32_t m = 0; m < e.markCount; ++m) {
      const int32_t bit = HeadMarkFlagBit(e.marks[m][0]);
      ENGINE_CHECK(bit >= 0);
      e.markFlags |= 1 << bit;
    }
    if (e.noteCount > 0) e.dots = std::min(3, (dots + e.noteCount - 1) / e.noteCount);
  }
  RemoveEmptyEvents(w);
  for (int32_t k = 0; k < w.eventCount; ++k) {
    BarEvent& e = w.events[k];
    e.flags = std::min(e.flags, 4);
    e.leftBeams = std::min(e.leftBeams, 4);
    e.rightBeams = std::min(e.rightBeams, 4);
    if (e.leftBeams > 0 || e.rightBeams > 0) e.flags = 0;
    if (e.rest) continue;
    int32_t counts[5] = {};
    for (int32_t n = 0; n < e.noteCount; ++n) ++counts[e.notes[n].type];
    int32_t major = 0;
    for (int32_t t = 1; t < 5; ++t)
      if (counts[t] > counts[major]) major = t;
    for (int32_t n = e.noteCount - 1; n >= 0; --n)
      if (e.notes[n].type != major) RemoveNote(e, n);
  }
  RemoveEmptyEvents(w);
  for (int32_t k = 0; k < w.eventCount; ++k) {
    BarEvent& e = w.events[k];
    if (e.stem < 0) {
      e.stemUp = 1;
      continue;
    }
    int32_t high = INT32_MAX;
    int32_t low = INT32_MIN;
    for (int32_t n = 0; n < e.noteCount; ++n) {
      high = std::min(high, e.notes[n].pageY);
      low = std::max(low, e.notes[n].pageY);
    }
    e.stemUp = (e.stemTop.y < high && high - e.stemTop.y > e.stemBottom.y - low) ? 1 : 0;
  }
  // Each head went into one event only (the event of its own stem), so no
  // head is shared between two events here.

  // Beam groups: a lone member takes its beams as flags.
  for (int32_t k = 0; k < w.eventCount; ++k) {
    int32_t size = 0;
    int32_t first = -1;
    int32_t last = -1;
    for (int32_t j = 0; j < w.eventCount; ++j)
      if (w.events[j].group == w.events[k].group) {
        ++size;
        if (first < 0) first = j;
        last = j;
      }
    BarEvent& e = w.events[k];
    e.groupSize = size;
    if (size == 1) {
      if (e.flags == 0) e.flags = std::max(e.leftBeams, e.rightBeams);
      e.leftBeams = e.rightBeams = 0;
    } else {
      if (k == first) e.leftBeams = 0;
      if (k == last) e.rightBeams = 0;
    }
  }
}

// ---- Step 10: tuplets ----

PackedFraction EventDuration(const BarEvent& e) {
  MscriptNoteGroup g{};
  g.noteCount = 1;
  g.notes[0].type = e.notes[0].type;
  g.dots = e.dots;
  g.flagCount = e.flags;
  g.beamGroupSize = e.groupSize;
  g.leftBeams = e.leftBeams;
  g.rightBeams = e.rightBeams;
  return GetNoteGroupDuration(g);
}

int32_t DurationClass(PackedFraction d) {  // 0 whole or more .. 5 shorter than a sixteenth
  const int32_t n = FractionNumerator(d);
  const int32_t den = FractionDenominator(d);
  if (n >= den) return 0;
  if (2 * n >= den) return 1;
  if (4 * n >= den) return 2;
  if (8 * n >= den) return 3;
  if (16 * n >= den) return 4;
  return 5;
}

int32_t NotePosition(const BarEvent& e) {
  const int32_t x = StemMiddleX(e);
  if (e.stem < 0) return x;
  const int32_t shift = Spaces(62);
  return e.stemUp ? x - shift : x + shift;
}

bool AtSameTime(const BarEvent& a, const BarEvent& b) {
  if (a.group == b.group) return false;
  static const int32_t kFirstWidth[6] = {156, 120, 88, 75, 69, 62};
  static const int32_t kSecondWidth[6] = {88, 88, 56, 50, 44, 38};
  const int32_t cls = DurationClass(EventDuration(a));
  if (std::abs(NotePosition(a) - NotePosition(b)) <= Spaces(kFirstWidth[cls])) return true;
  bool near = false;
  for (int32_t i = 0; i < a.noteCount; ++i)
    for (int32_t j = 0; j < b.noteCount; ++j)
      if (std::abs(a.notes[i].step - b.notes[j].step) <= 1) near = true;
  if (!near) return false;
  const int32_t clsB = DurationClass(EventDuration(b));
  if (cls == 0 && clsB == 0) return std::abs(NotePosition(a) - NotePosition(b)) <= Spaces(150);
  return std::abs(StemMiddleX(a) - StemMiddleX(b)) <= Spaces(kSecondWidth[cls]);
}

// True when the members' lengths give the numeral a ratio and they became
// a tuplet.
bool ApplyTuplet(MeasureWork& w, int32_t numeral, const int32_t* members, int32_t count) {
  if (count < 1) return false;
  PackedFraction sum = MakeFraction(0, 1);
  for (int32_t i = 0; i < count; ++i) {
    if (w.events[members[i]].tuplet) return false;
    sum = AddFractions(sum, EventDuration(w.events[members[i]]));
  }
  int32_t num = 0;
  int32_t den = 0;
  if (!TupletRatio(numeral, FractionNumerator(sum), &num, &den)) return false;
  ++g_tupletCount;
  for (int32_t i = 0; i < count; ++i) {
    BarEvent& e = w.events[members[i]];
    e.tuplet = g_tupletCount;
    e.tupletNum = num;
    e.tupletDen = den;
  }
  return true;
}

bool BracketMatch(const EngineBox& nb, int32_t staff, FoundTupletBracket* out) {
  const int32_t s = std::max<int32_t>(1, StaffSpaces(staff, 100));
  const int32_t ncx = (nb.x0 + nb.x1) / 2;
  const int32_t ncy = (nb.y0 + nb.y1) / 2;
  FoundTupletBracket left{};
  FoundTupletBracket right{};
  bool haveLeft = false;
  bool haveRight = false;
  for (int32_t i = 0; i < GetTupletBracketCount(); ++i) {
    FoundTupletBracket b{};
    GetTupletBracket(&b, i);
    const int32_t meanY = (b.leftY + b.rightY) / 2;
    if (b.leftHook && b.rightHook) {
      if (ncx < b.leftX || ncx > b.rightX) continue;
      if (std::abs(nb.y0 - meanY) > s && std::abs(nb.y1 - meanY) > s) continue;
      if (std::abs((b.leftX + b.rightX) / 2 - ncx) > s) continue;
      *out = b;
      return true;
    }
    const int32_t gap15 = StaffSpaces(staff, 150);
    if (b.leftHook && !haveLeft && nb.x0 >= b.rightX && nb.x0 - b.rightX < gap15 && std::abs(meanY - ncy) <= s / 2) {
      left = b;
      haveLeft = true;
    } else if (b.rightHook && !haveRight && b.leftX >= nb.x1 && b.leftX - nb.x1 < gap15 &&
               std::abs(meanY - ncy) <= s / 2) {
      right = b;
      haveRight = true;
    }
  }
  if (!haveLeft || !haveRight || left.opening != right.opening) return false;
  FoundTupletBracket joined = left;
  joined.rightX = right.rightX;
  joined.rightY = right.rightY;
  joined.rightHook = 1;
  if (std::abs((joined.leftX + joined.rightX) / 2 - ncx) > s) return false;
  *out = joined;
  return true;
}

void FindTupletsOfBar(MeasureWork& w, const MeasureBox& box) {
  const int32_t s = Space();
  for (int32_t i = 0; i < GetFixedSymbolCount(); ++i) {
    if (!IsNumeralSymbolAt(i)) continue;
    const EngineBox nb = GetFixedSymbolBox(i);
    const int32_t ncx = (nb.x0 + nb.x1) / 2;
    const int32_t ncy = (nb.y0 + nb.y1) / 2;
    if (ncx < box.x0 || ncx >= box.x1 || ncy < box.y0 || ncy >= box.y1) continue;
    const int32_t numeral = NumeralOfType(i);
    int32_t members[kMaxBarEvents];
    int32_t count = 0;

    FoundTupletBracket bracket{};
    if (BracketMatch(nb, box.staff, &bracket)) {
      const int32_t margin = StaffSpaces(box.staff, 75);
      for (int32_t k = 0; k < w.eventCount; ++k) {
        const BarEvent& e = w.events[k];
        const int32_t x = StemMiddleX(e);
        if (x < bracket.leftX - margin || x > bracket.rightX + margin) continue;
        const int32_t lineY = bracket.rightX > bracket.leftX
                                  ? bracket.leftY + static_cast<int32_t>(static_cast<int64_t>(bracket.rightY - bracket.leftY) *
                                                                         (x - bracket.leftX) / (bracket.rightX - bracket.leftX))
                                  : bracket.leftY;
        const int32_t y = (e.stemTop.y + e.stemBottom.y) / 2;
        if (bracket.opening == 0 ? y <= lineY : y >= lineY) continue;
        members[count++] = k;
      }
      // Of two chords at one time, only those whose stems point to the
      // bracket stay.
      bool paired[kMaxBarEvents] = {};
      for (int32_t m = 0; m + 1 < count; ++m)
        if (AtSameTime(w.events[members[m]], w.events[members[m + 1]])) paired[m] = paired[m + 1] = true;
      int32_t kept = 0;
      for (int32_t m = 0; m < count; ++m) {
        const BarEvent& e = w.events[members[m]];
        const bool towards = bracket.opening == 0 ? e.stemUp != 0 : e.stemUp == 0;
        if (!paired[m] || towards) members[kept++] = members[m];
      }
      count = kept;
      if (ApplyTuplet(w, numeral, members, count)) continue;
      // Set close, the next chord or rest is taken in too: a rest just past
      // the bracket's end lies within the widening, and the stem of a
      // down-stemmed note stands on the left of its head, under the
      // bracket's end hook. When the members give the numeral no ratio,
      // those whose note position lies past the bracket's own ends are
      // left out and the rest tried again.
      kept = 0;
      for (int32_t m = 0; m < count; ++m) {
        const int32_t x = NotePosition(w.events[members[m]]);
        if (x >= bracket.leftX && x <= bracket.rightX) members[kept++] = members[m];
      }
      if (kept < count) ApplyTuplet(w, numeral, members, kept);
      continue;
    }

    bool taken = false;
    for (int32_t level = 1; level <= 5 && !taken; ++level) {
      for (int32_t k = 0; k < w.eventCount && !taken; ++k) {
        const BarEvent& start = w.events[k];
        if (start.rightBeams != level || start.leftBeams >= level) continue;
        count = 0;
        members[count++] = k;
        int32_t j = k + 1;
        for (; j < w.eventCount && w.events[j].group == start.group; ++j) {
          members[count++] = j;
          if (w.events[j].rightBeams < level) break;
        }
        if (count < 2 || count > numeral) continue;
        const BarEvent& first = w.events[members[0]];
        const BarEvent& last = w.events[members[count - 1]];
        const EnginePoint fEnd = first.stemUp ? first.stemTop : first.stemBottom;
        const EnginePoint lEnd = last.stemUp ? last.stemTop : last.stemBottom;
        if (ncx < std::min(fEnd.x, lEnd.x) || ncx > std::max(fEnd.x, lEnd.x)) continue;
        if (std::abs(ncx - (fEnd.x + lEnd.x) / 2) > 2 * s) continue;
        const int32_t meanY = (fEnd.y + lEnd.y) / 2;
        bool near = std::abs(nb.y0 - meanY) <= Spaces(150) || std::abs(nb.y1 - meanY) <= Spaces(150);
        for (int32_t m = 0; m < count && !near; ++m) {
          const BarEvent& e = w.events[members[m]];
          const EnginePoint other = e.stemUp ? e.stemBottom : e.stemTop;
          near = std::abs(ncy - other.y) <= 4 * s && std::abs(ncx - NotePosition(e)) <= 2 * s;
        }
        if (!near) continue;
        ApplyTuplet(w, numeral, members, count);
        taken = true;
      }
    }
  }
}

// ---- Step 11: clefs, keys and times before the first event ----

void AddSign(int32_t staff, int32_t symbol) {
  const EngineBox b = GetFixedSymbolBox(symbol);
  const int32_t cx = (b.x0 + b.x1) / 2;
  const int32_t cy = (b.y0 + b.y1) / 2;
  const int32_t type = GetFixedSymbolType(symbol);
  if (IsClefType(type)) {
    int32_t record[kClefWords] = {type - kGClefType, cy, cx, type, symbol};
    AddClefEvent(staff, record);
  } else if (IsKeySignatureType(type)) {
    int32_t record[kKeySignatureWords] = {KeySignatureOfType(type), cy, cx, type, symbol};
    AddKeySignatureEvent(staff, record);
  } else {
    int32_t numerator = 0;
    int32_t denominator = 0;
    int32_t sign = 0;
    TimeSignatureOfType(type, &numerator, &denominator, &sign);
    int32_t record[kTimeSignatureWords] = {sign, cy, cx, numerator, denominator, type, symbol};
    AddTimeSignatureEvent(staff, record);
  }
}

// Every clef, the leftmost key signature and the leftmost time signature in
// the staff's band left of the bar's first event, added from left to right.
void AddSigns(const MeasureWork& w, const MeasureBox& box) {
  int32_t firstX = box.x1;
  for (int32_t k = 0; k < w.eventCount; ++k) {
    const BarEvent& e = w.events[k];
    int32_t x = StemMiddleX(e);
    if (e.stem < 0 && !e.rest) x -= Spaces(60);
    firstX = std::min(firstX, x);
  }
  const int32_t s = Space();
  struct Sign {
    int32_t x, symbol;
  };
  Sign clefs[kMaxBarSigns];
  int32_t clefCount = 0;
  Sign key{INT32_MAX, -1};
  Sign time{INT32_MAX, -1};
  for (int32_t i = 0; i < GetFixedSymbolCount(); ++i) {
    if (!IsTimeKeyOrClefAt(i)) continue;
    const EngineBox b = GetFixedSymbolBox(i);
    const int32_t cx = (b.x0 + b.x1) / 2;
    const int32_t cy = (b.y0 + b.y1) / 2;
    if (cx < box.x0 || cx >= firstX) continue;
    if (cy < StaffTopLineY(box.staff, cx) - s || cy > StaffBottomLineY(box.staff, cx) + s) continue;
    const int32_t type = GetFixedSymbolType(i);
    if (IsClefType(type)) {
      if (clefCount < kMaxBarSigns) clefs[clefCount++] = Sign{cx, i};
    } else if (IsKeySignatureType(type)) {
      if (cx < key.x) key = Sign{cx, i};
    } else if (IsTimeSignatureType(type)) {
      if (cx < time.x) time = Sign{cx, i};
    }
  }
  Sign signs[kMaxBarSigns + 2];
  int32_t n = 0;
  for (int32_t c = 0; c < clefCount; ++c) signs[n++] = clefs[c];
  if (key.symbol >= 0) signs[n++] = key;
  if (time.symbol >= 0) signs[n++] = time;
  std::stable_sort(signs, signs + n, [](const Sign& a, const Sign& b) { return a.x < b.x; });
  for (int32_t k = 0; k < n; ++k) AddSign(box.staff, signs[k].symbol);
}

// ---- Step 12: the events into the page description ----

void HandOver(const MeasureWork& w, int32_t staff) {
  if (w.eventCount == 0) return;
  MscriptNoteGroup* bodies = nullptr;
  EngineAllocZeroedChecked(bodies, w.eventCount * sizeof(MscriptNoteGroup));
  for (int32_t k = 0; k < w.eventCount; ++k) {
    const BarEvent& e = w.events[k];
    MscriptNoteGroup& g = bodies[k];
    g.pageX = INT32_MAX;
    for (int32_t n = 0; n < e.noteCount; ++n) {
      const BarNote& bn = e.notes[n];
      MscriptNote& m = g.notes[n];
      m.pageX = bn.pageX;
      m.pageY = bn.pageY;
      m.place = ToScriptY(bn.pageY, bn.pageX, staff);
      m.object = bn.object;
      m.type = bn.type;
      m.step = bn.step;
      m.cost = bn.cost;
      m.accidentalRefs[1] = m.accidentalRefs[2] = -1;
      if (const HeadAttachment* a = e.heads[n] >= 0 ? AttachmentOf(e.heads[n]) : nullptr) {
        m.accidental = a->accidental;
        if (a->accidentalSymbol >= 0) {
          m.accidentalRefs[0] = 1;
          m.accidentalRefs[1] = a->accidentalSymbol;
          m.accidentalCost = GetFixedSymbolCost(a->accidentalSymbol);
        }
      }
      g.pageX = std::min(g.pageX, bn.pageX);
    }
    g.noteCount = e.noteCount;
    g.stemObject = e.stem;
    g.stemX = e.stem >= 0 ? StemMiddleX(e) : -1;
    g.dots = e.dots;
    g.flagCount = e.flags;
    g.beamGroup = e.group;
    g.beamGroupSize = e.groupSize;
    g.leftBeams = e.leftBeams;
    g.rightBeams = e.rightBeams;
    const EnginePoint end = e.stemUp ? e.stemTop : e.stemBottom;
    g.stemEnd = e.stem >= 0 ? ToScriptY(end.y, end.x, staff) : 0;
    g.stemDirection = e.stemUp ? 0 : 1;
    g.markFlags = e.markFlags;
    for (int32_t m = 0; m < e.markCount; ++m) {
      g.marks[m][0] = e.marks[m][0];
      g.marks[m][1] = e.marks[m][1];
    }
    g.tupletNumber = e.tuplet;
    g.tupletScaleNumerator = e.tuplet ? e.tupletNum : 1;
    g.tupletScaleDenominator = e.tuplet ? e.tupletDen : 1;
  }
  AddNoteGroupEvents(staff, bodies, w.eventCount);
  EngineFree(bodies);
}

// The rows a bar of the staff (index of its system of staves staves) takes
// its objects from, at the column: from half a space below the staff
// above's bottom line to half a space above the staff below's top line; a
// system's first staff reaches 10 spaces above its top line and its last
// 10 below its bottom line, so that a tuplet number set under notes that
// hang below the last staff is tried with that staff's bar and not only
// with the next system's first staff.
void StaffBarRows(int32_t system, int32_t index, int32_t staves, int32_t column, int32_t* y0, int32_t* y1) {
  const int32_t staff = GetStaffOfSystem(system, index);
  const int32_t s = Space();
  if (index > 0)
    *y0 = StaffBottomLineY(GetStaffOfSystem(system, index - 1), column) + s / 2;
  else
    *y0 = std::max(0, StaffTopLineY(staff, column) - 10 * s);
  if (index + 1 < staves)
    *y1 = StaffTopLineY(GetStaffOfSystem(system, index + 1), column) - s / 2;
  else
    *y1 = std::min(GetPageImageHeight(), StaffBottomLineY(staff, column) + 10 * s);
}

void BuildMeasure(int32_t leftX, int32_t rightX, int32_t system, int32_t index, int32_t staves) {
  const int32_t staff = GetStaffOfSystem(system, index);
  MeasureBox box{};
  box.staff = staff;
  box.x0 = std::max(0, leftX);
  box.x1 = std::max(box.x0, rightX);
  StaffBarRows(system, index, staves, std::max(0, (leftX + rightX) / 2), &box.y0, &box.y1);

  MeasureWork& w = *g_work;
  w.headCount = w.stemCount = w.beamCount = w.eventCount = 0;
  CollectObjects(w, box);
  BuildStemEvents(w, box);
  BuildRestEvents(w, box);
  FinishEvents(w);
  FindTupletsOfBar(w, box);
  AddSigns(w, box);
  HandOver(w, staff);
}

void AddBar(int32_t staff, int32_t kind, int32_t left, int32_t right) {
  int32_t record[kBarlineWords] = {kind, left, right};
  AddBarlineEvent(staff, record);
}

void AddFinalBar(int32_t staff) {
  int32_t record[kBarlineWords] = {0, kNoBarLineX, kNoBarLineX};
  AddTimeSlotEvent(staff, kEventBarline, record, kBarlineWords);
}

void BuildSystem(int32_t system) {
  const int32_t staves = GetSystemStaffCount(system);
  ENGINE_CHECK(staves <= kMaxSystemStaves);
  {
    OwnedEngineBlock<BarLineAt> lines;
    const int32_t n = SystemBarLines(system, &lines.slot());
    for (int32_t i = 0; i < staves; ++i) {
      g_staffBars[i].count = 0;
      BuildStaffBars(GetStaffOfSystem(system, i), g_staffBars[i], lines.get(), n);
    }
  }
  g_systemBars.count = 0;
  BuildSystemBars(system, staves);

  int64_t rightSum = 0;
  for (int32_t i = 0; i < staves; ++i) rightSum += GetStaffRightX(GetStaffOfSystem(system, i));
  const int32_t meanRight = static_cast<int32_t>(rightSum / staves);
  const int32_t refLeft = GetStaffLeftX(GetStaffOfSystem(system, 0));
  const int32_t lastBar = g_systemBars.count > 0 ? refLeft + g_systemBars.At(g_systemBars.count - 1).x : refLeft;
  const bool finalBar = meanRight - lastBar > 2 * Space() || g_systemBars.count == 0;

  for (int32_t i = 0; i < staves; ++i) {
    const int32_t staff = GetStaffOfSystem(system, i);
    int32_t left = GetStaffLeftX(staff);
    for (int32_t b = 0; b < g_systemBars.count; ++b) {
      const SystemBar& bar = g_systemBars.At(b);
      AddTimeSlot(staff);
      BuildMeasure(left, bar.left[i], system, i, staves);
      AddBar(staff, bar.kind, bar.left[i], bar.right[i]);
      FinishTimeSlot(staff);
      left = bar.right[i];
    }
    if (finalBar) {
      AddTimeSlot(staff);
      BuildMeasure(left, std::max(left, meanRight), system, i, staves);
      AddFinalBar(staff);
      FinishTimeSlot(staff);
    }
  }
}

}  // namespace

int32_t HeadMarkFlagBit(int32_t code) {
  switch (code) {
    case 100: return 0;
    case 101: return 1;
    case 102: case 103: return 2;
    case 104: case 105: return 3;
    case 106: return 4;
    case 107: case 108: return 5;
    case 109: return 6;
    case 110: return 7;
    case 120: return 8;
    case 121: return 9;
    case 122: return 10;
    default: return -1;
  }
}

int32_t NoteTypeOfHeadModel(int32_t model) {
  switch (model) {
    case 0: return kNoteSolid;
    case 1: return kNoteMinim;
    case 2: return kNoteSBreve;
    case 3: return kNoteBreve;
    case 4: return kNoteGrace;
    default: return -1;
  }
}

int32_t NoteTypeOfRestType(int32_t type) {
  if (!IsRestType(type)) return -1;
  const int32_t base = type >= 700 ? 40 + type % 10 : type;
  switch (base) {
    case 40: return kBreveRest;
    case 41: return kSBreveRest;
    case 42: return kMinimRest;
    case 43: return kCrotchetRest;
    case 44: return kQuaverRest;
    case 45: return kSQuaverRest;
    default: return kDSQuaverRest;  // 46 (and 47)
  }
}

int32_t TupletRatio(int32_t numeral, int32_t sumNumerator, int32_t* num, int32_t* den) {
  struct Rule { int32_t numeral, sum, num, den; };
  static const Rule kRules[] = {{2, 1, 3, 2}, {3, 3, 2, 3}, {5, 5, 4, 5}, {6, 3, 4, 6}};
  for (const Rule& r : kRules)
    if (r.numeral == numeral && r.sum == sumNumerator) {
      *num = r.num;
      *den = r.den;
      return 1;
    }
  return 0;
}

int32_t IsInBarReach(int32_t x, int32_t y) {
  for (int32_t system = 0; system < GetSystemCount(); ++system) {
    const int32_t staves = GetSystemStaffCount(system);
    for (int32_t i = 0; i < staves; ++i) {
      const int32_t staff = GetStaffOfSystem(system, i);
      if (x < GetStaffLeftX(staff) || x >= GetStaffRightX(staff)) continue;
      int32_t y0 = 0;
      int32_t y1 = 0;
      StaffBarRows(system, i, staves, x, &y0, &y1);
      if (y >= y0 && y < y1) return 1;
    }
  }
  return 0;
}

void BuildBarEvents() {
  FreeBarcalcs();
  if (GetStaffCount() == 0) return;
  const PageDescription& description = GetPageDescription();
  ENGINE_CHECK(description.pageCount > 0);
  AttachSymbols();
  EngineAllocZeroedChecked(g_work, sizeof(MeasureWork));
  for (int32_t system = 0; system < GetSystemCount(); ++system) BuildSystem(system);
  FreeBarcalcs();
}

void FreeBarcalcs() {
  g_heads.Free();
  for (auto& bars : g_staffBars) bars.Free();
  g_systemBars.Free();
  EngineFree(g_work);
  g_work = nullptr;
  g_tupletCount = 0;
}
