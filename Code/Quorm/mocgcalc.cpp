// Graph queries and symbol-type tests.
#include "Code/Quorm/mocgcalc.h"

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findledg.h"
#include "Code/Quorm/Findstem.h"
#include "Code/Quorm/Findtext.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/findbarl.h"
#include "Code/Quorm/findslur.h"

namespace {
bool In(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

constexpr int32_t kHeadLeftLabel = 4;
constexpr int32_t kHeadRightLabel = 6;
constexpr int32_t kMaxFlagsPerType = 5;
constexpr StaffStep kNoStaffStep = {-1, 10, 0};

int32_t IsFlagNode(int32_t kind, int32_t, int32_t) { return IsFlagType(kind); }
int32_t IsHeadOrRestNode(int32_t kind, int32_t, int32_t) { return IsHeadOrRestKind(kind); }
}  // namespace

int32_t IsSharpKeyType(int32_t type) { return In(type, 500, 507); }
int32_t IsKeySignatureType(int32_t type) { return In(type, 500, 507) || In(type, 510, 517); }
int32_t IsAccidentalType(int32_t type) { return In(type, 90, 96); }
int32_t IsUpFlagType(int32_t type) { return In(type, 61, 64); }
int32_t IsFlagType(int32_t type) { return In(type, 61, 64) || In(type, 71, 74); }
int32_t IsTimeSignatureType(int32_t type) { return type == 490 || type == 491 || In(type, 1001, 1999); }
int32_t IsClefType(int32_t type) { return In(type, 80, 82); }
int32_t IsTypeInGroup100(int32_t type) { return In(type, 100, 110) || In(type, 120, 122); }
int32_t IsRestType(int32_t type) {
  return In(type, 40, 46) || In(type, 700, 706) || In(type, 710, 716) || In(type, 720, 726);
}
int32_t IsBarDotType(int32_t type) { return type == 140; }
int32_t IsHeadOrRestKind(int32_t kind) { return kind == kObjectNotehead || In(kind, 40, 47); }

int32_t HeadSkipsStemJoints(int32_t head) {
  const int32_t model = GetNoteheadModel(head);
  return model == 0 || model == 1 || model == 4 ? 1 : 0;
}

int32_t FlagCountOfType(int32_t type) {
  ENGINE_CHECK(IsFlagType(type));
  return type < 70 ? type - 60 : type - 70;
}

int32_t GetStemOfHead(int32_t head, int32_t rightSide) {
  return GetBestLinkedObject(kObjectNotehead, head, kObjectVerticalLine,
                             rightSide ? kHeadRightLabel : kHeadLeftLabel);
}

int32_t ListBeamsOfStem(int32_t stem, int32_t* out) {
  return ListLinkedObjects(kObjectVerticalLine, stem, kObjectBeam, kAnyLabel, out, kMaxBeamsOfStem);
}

int32_t ListStemsOfBeam(int32_t beam, int32_t* out) {
  return ListLinkedObjects(kObjectBeam, beam, kObjectVerticalLine, kAnyLabel, out, kMaxStemsOfBeam);
}

int32_t ListHeadsOfStem(int32_t stem, int32_t* out) {
  return ListLinkedObjects(kObjectVerticalLine, stem, kObjectNotehead, kAnyLabel, out, kMaxHeadsOfStem);
}

GraphObject FindBestLinkedHeadOrRest(int32_t kind, int32_t reference) {
  return FindBestLinkedObjectIf(kind, reference, IsHeadOrRestNode);
}

int32_t CountFlagsOfStem(int32_t stem) {
  const GraphObject flag = FindBestLinkedObjectIf(kObjectVerticalLine, stem, IsFlagNode);
  if (flag.kind < 0) return 0;
  const int32_t first = IsUpFlagType(flag.kind) ? 61 : 71;
  int32_t found[kMaxFlagsPerType];
  int32_t sum = 0;
  for (int32_t hooks = 1; hooks <= 4; ++hooks)
    sum += hooks * ListLinkedObjects(kObjectVerticalLine, stem, first + hooks - 1, kAnyLabel, found, kMaxFlagsPerType);
  return sum < 4 ? sum : 4;
}

EnginePoint BoxCentre(int32_t a0, int32_t b0, int32_t a1, int32_t b1) {
  return EnginePoint{(a0 + a1) / 2, (b0 + b1) / 2};
}

EnginePoint GetObjectCentre(int32_t kind, int32_t reference) {
  if (kind >= kMinFixedSymbolType && kind <= kMaxFixedSymbolType) {
    const EngineBox box = GetFixedSymbolBox(reference);
    return BoxCentre(box.y0, box.x0, box.y1, box.x1);
  }
  switch (kind) {
    case kObjectVerticalLine: {
      const FoundVerticalLine line = GetFoundVerticalLine(reference);
      return BoxCentre(line.topY, line.topX, line.bottomY, line.bottomX);
    }
    case kObjectBarLine: {
      const EnginePoint top = GetBarLineTop(reference);
      const EnginePoint bottom = GetBarLineBottom(reference);
      return BoxCentre(top.y, top.x, bottom.y, bottom.x);
    }
    case kObjectBeam: {
      const EnginePoint left = GetBeamLeftEnd(reference);
      const EnginePoint right = GetBeamRightEnd(reference);
      return BoxCentre(left.y, left.x, right.y, right.x);
    }
    case kObjectSlur: {
      const EnginePoint start = GetSlurStart(reference);
      const EnginePoint end = GetSlurEnd(reference);
      return BoxCentre(start.y, start.x, end.y, end.x);
    }
    case kObjectNotehead:
      return EnginePoint{GetNoteheadY(reference), (GetNoteheadLeftX(reference) + GetNoteheadRightX(reference)) / 2};
    case kObjectLedgerLine:
      return EnginePoint{GetLedgerLineY(reference),
                         (GetLedgerLineLeftX(reference) + GetLedgerLineRightX(reference)) / 2};
    case kObjectTextBlockItem:
    case kObjectLyricWord: {
      const EngineBox box = GetTextObjectBox(kind, reference);
      return BoxCentre(box.y0, box.x0, box.y1, box.x1);
    }
    default:
      break;
  }
  EngineAssertFail(__FILE__, __LINE__);
}

StaffStep GetSymbolStaffStep(int32_t symbol) {
  const EngineBox box = GetFixedSymbolBox(symbol);
  const int32_t y = GetFixedSymbolRefY(symbol);
  const int32_t x = (box.x0 + box.x1) / 2;
  // The nearest staff of a page without staves is no staff at all.
  if (GetStaffCount() == 0) return kNoStaffStep;
  const int32_t staff = NearestStaff(y, x);
  if (staff < 0) return kNoStaffStep;
  return YToStaffStep(y, x, staff);
}

StaffStep GetClefPosition(int32_t symbol) {
  const int32_t type = GetFixedSymbolType(symbol);
  ENGINE_CHECK(IsClefType(type));
  const EngineBox box = GetFixedSymbolBox(symbol);
  const EnginePoint centre = BoxCentre(box.y0, box.x0, box.y1, box.x1);
  if (GetStaffCount() == 0) return kNoStaffStep;
  const int32_t staff = NearestStaff(centre.y, centre.x);
  if (type == kGClefType) return StaffStep{staff, 2, 0};
  if (type == kFClefType) return StaffStep{staff, -2, 0};
  StaffStep place = YToStaffStep(centre.y, centre.x, staff);
  if (place.step % 2 != 0) place.step += place.remainder > 0 ? 1 : -1;
  place.remainder = 0;
  return place;
}
