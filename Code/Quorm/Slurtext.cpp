#include "Code/Quorm/Slurtext.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "Code/Quorm/Codepage.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Findtext.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Mscript.h"
#include "Code/Quorm/findbarl.h"
#include "Code/Quorm/findhpin.h"
#include "Code/Quorm/findslur.h"
#include "Code/Quorm/mocgcalc.h"
#include "Code/Quorm/options.h"

namespace {

constexpr int32_t kFirstDynamicType = 300;
constexpr int32_t kLastDynamicType = 316;
constexpr int32_t kFirstDynamicCode = 2;
constexpr int32_t kFirstRepeatType = 130;
constexpr int32_t kFirstEndingCode = 2;
constexpr int32_t kFirstPedalType = 160;
constexpr int32_t kFirstOrnamentType = 170;
constexpr int32_t kFirstOrnamentCode = 3;

enum DynamicCode : int32_t {
  kPppp = 2, kPpp, kPp, kP, kMp, kMf, kF, kFf, kFff, kFfff, kFp, kSf, kFz, kSfz, kSffz, kSfp, kSfpp,
};

struct Combination {
  int32_t first, second, combined;
};
constexpr Combination kCombinations[] = {
    {kPpp, kP, kPppp}, {kPp, kP, kPpp},    {kPp, kPp, kPppp},  {kP, kP, kPp},     {kP, kPp, kPpp},
    {kP, kPpp, kPppp}, {kF, kF, kFf},      {kF, kFf, kFff},    {kF, kFff, kFfff}, {kF, kP, kFp},
    {kFf, kF, kFff},   {kFf, kFf, kFfff},  {kFff, kF, kFfff},  {kSf, kFz, kSffz}, {kSf, kP, kSfp},
    {kSf, kPp, kSfpp}, {kSfp, kP, kSfpp},
};

// Distance of a point below the staff's bottom line (0 inside the staff).
int32_t BelowStaff(int32_t staff, int32_t y, int32_t x) { return std::max(0, y - StaffBottomLineY(staff, x)); }
// Distance of a point above the staff's top line (0 inside the staff).
int32_t AboveStaff(int32_t staff, int32_t y, int32_t x) { return std::max(0, StaffTopLineY(staff, x) - y); }

EnginePoint BoxMiddle(const EngineBox& b) { return EnginePoint{(b.y0 + b.y1) / 2, (b.x0 + b.x1) / 2}; }

// ---- Slurs ----

// The head whose anchor point of the kind lies nearest the slur end in the
// searched box; -1 when none.
int32_t NearestHead(int32_t kind, EnginePoint end, int32_t toRight, int32_t above, int32_t below) {
  const int32_t reach = ScaleToPixels(800);
  const int32_t x0 = std::max(0, toRight ? end.x : end.x - reach);
  const int32_t x1 = toRight ? end.x + reach + 1 : end.x + 1;
  const int32_t y0 = std::max(0, end.y - ScaleToPixels(above));
  const int32_t y1 = end.y + ScaleToPixels(below) + 1;
  PointsInBox found(kind, EngineBox{x0, y0, x1, y1});
  int32_t best = -1;
  int64_t bestScore = 0;
  for (int32_t i = 0; i < found.count(); ++i) {
    const EnginePoint c = GetObjectCentre(kObjectNotehead, found[i]);
    const int64_t score = std::abs(c.y - end.y) + 4LL * std::abs(c.x - end.x);
    if (best < 0 || score < bestScore) {
      best = found[i];
      bestScore = score;
    }
  }
  return best;
}

int32_t SlurCurvature(int32_t i) {
  const FoundSlur& slur = GetFoundSlur(i);
  const int32_t chordMiddle = (slur.startY + slur.endY) / 2;
  const int32_t bulge = slur.upward ? chordMiddle - slur.topY : slur.bottomY - chordMiddle;
  const int32_t c = std::max(0, bulge);
  return slur.upward ? -c : c;
}

// ---- Marks ----

struct Mark {
  int32_t code;
  EngineBox box;
  int32_t dropped;
};

void JoinNeighbours(Mark* marks, int32_t n) {
  const int32_t gap = ScaleToPixels(100);
  for (int32_t pass = 0; pass < 3; ++pass)
    for (int32_t a = 0; a < n; ++a) {
      if (marks[a].dropped) continue;
      for (int32_t b = 0; b < n; ++b) {
        if (a == b || marks[b].dropped) continue;
        const EngineBox& A = marks[a].box;
        const EngineBox& B = marks[b].box;
        if (A.x1 > B.x0 || B.x0 - A.x1 >= gap) continue;  // A ends left of B, close by
        if (std::min(A.y1, B.y1) - std::max(A.y0, B.y0) < 1) continue;
        const int32_t combined = CombinedDynamic(marks[a].code, marks[b].code);
        if (combined < 0) continue;
        marks[a].code = combined;
        marks[a].box = UnionBox(A, B);
        marks[b].dropped = 1;
      }
    }
}

// ---- Text ----

constexpr int32_t kMaxLyricWords = 1000;
constexpr int32_t kMaxTextItemLength = 99;

struct LyricWord {
  EngineBox box;
  int32_t score;
  int32_t hyphenated;
  char text[kTextItemTextBytes];
};

bool IsHyphenByte(unsigned char c) { return c == '-' || c == kDashByte; }

// True when the text is nothing but hyphens.
bool IsLoneHyphen(const char* text) {
  if (*text == '\0') return false;
  for (const char* p = text; *p; ++p)
    if (!IsHyphenByte(static_cast<unsigned char>(*p))) return false;
  return true;
}

// The words of a lyric line: a syllable and the hyphen read after it (as an
// item of its own or at the syllable's end) become one word marked
// hyphenated; an item whose ink runs on from the word before without a gap
// continues that word. Empty (released) items are left out.
int32_t JoinLyricItems(int32_t line, LyricWord* words, int32_t room) {
  int32_t n = 0;
  for (int32_t item = 0; item < GetLyricLineWordCount(line) && item < kTextRefItems; ++item) {
    const int32_t reference = MakeTextItemRef(line, item);
    const char* text = GetLyricWordText(reference);
    if (*text == '\0') continue;
    const EngineBox box = GetLyricWordBox(reference);
    LyricWord* last = n > 0 ? &words[n - 1] : nullptr;
    if (IsLoneHyphen(text)) {
      if (last != nullptr && !last->hyphenated) {
        last->hyphenated = 1;
        last->box = UnionBox(last->box, box);
      }
      continue;
    }
    const size_t length = std::strlen(text);
    if (last != nullptr && !last->hyphenated && box.x0 <= last->box.x1 &&
        std::strlen(last->text) + length < sizeof last->text) {
      std::strcat(last->text, text);
      last->box = UnionBox(last->box, box);
      last->score = std::max(last->score, GetLyricWordScore(reference));
    } else {
      if (n == room) break;
      last = &words[n++];
      *last = LyricWord{box, GetLyricWordScore(reference), 0, {}};
      std::strncpy(last->text, text, sizeof last->text - 1);
    }
    // A hyphen at the end of a syllable marks it and is written by the page
    // description.
    size_t end = std::strlen(last->text);
    while (end > 1 && IsHyphenByte(static_cast<unsigned char>(last->text[end - 1]))) {
      last->text[--end] = '\0';
      last->hyphenated = 1;
    }
  }
  return n;
}

// The text finder's size (x kTextSizeFactor, 1/1024 pixel) in pixels.
int32_t TextSizeInPixels(int32_t size) { return DivRound(size, 1024); }

// The staff of a text block: the staff at its centre or the next one, each
// when the block's centre lies within the staff's columns and the block
// within s(1000) of it; a chord symbol goes where the staff rule says,
// anything else to the nearer. -1 for none.
int32_t TextBlockStaff(const EngineBox& box, int32_t kind) {
  const EnginePoint c = BoxMiddle(box);
  const int32_t reach = ScaleToPixels(1000);
  auto fits = [&](int32_t staff, int32_t distance) {
    return staff >= 0 && c.x >= GetStaffLeftX(staff) && c.x < GetStaffRightX(staff) && distance <= reach;
  };
  const int32_t at = StaffAtPoint(c.y, c.x);
  const int32_t next = NextStaffAfter(at);
  const int32_t dAt = at >= 0 ? std::max(0, box.y0 - StaffBottomLineY(at, c.x)) : 0;
  const int32_t dNext = next >= 0 ? std::max(0, StaffTopLineY(next, c.x) - (box.y1 - 1)) : 0;
  const bool atFits = fits(at, dAt), nextFits = fits(next, dNext);
  if (kind == kTextReadAsText && GetTextStaffRuleB() == 1) return nextFits ? next : -1;
  if (kind == kTextReadAsText && GetTextStaffRuleB() == -1) return atFits ? at : -1;
  if (atFits && nextFits) return dNext < dAt ? next : at;
  if (atFits) return at;
  if (nextFits) return next;
  return -1;
}

}  // namespace

int32_t CombinedDynamic(int32_t first, int32_t second) {
  for (const Combination& c : kCombinations)
    if (c.first == first && c.second == second) return c.combined;
  return -1;
}

int32_t DynamicStaffAt(int32_t y, int32_t x) {
  if (GetStaffCount() == 0) return -1;
  const int32_t at = StaffAtPoint(y, x);
  const int32_t next = NextStaffAfter(at);
  const int32_t dAt = at >= 0 ? BelowStaff(at, y, x) : 0;
  const int32_t dNext = next >= 0 ? AboveStaff(next, y, x) : 0;
  const bool atFits = at >= 0 && dAt <= ScaleToPixels(1200);
  const bool nextFits = next >= 0 && dNext <= ScaleToPixels(600);
  if (atFits && nextFits) return (dNext <= ScaleToPixels(300) && 3 * dNext < dAt) ? next : at;
  if (atFits) return at;
  if (nextFits) return next;
  return -1;
}

void AddSlursToDescription() {
  if (GetStaffCount() == 0) return;
  for (int32_t row = 0; row < GetObjectPointCount(); ++row) {
    const ObjectPoint p = GetObjectPoint(row);
    if (p.kind != kPointSlurStart || p.y == kRemovedPointCoordinate) continue;
    const int32_t i = p.object;
    const FoundSlur& slur = GetFoundSlur(i);
    if (slur.removed) continue;
    const EnginePoint start = GetSlurStart(i);
    const EnginePoint end = GetSlurEnd(i);
    const int32_t toRight = IsSlurUpward(i);
    const int32_t first = NearestHead(kPointHeadLeft, start, toRight, 500, 100);
    const int32_t second = NearestHead(kPointHeadRight, end, toRight, 100, 500);
    const int32_t firstStaff = first >= 0 ? GetNoteheadPlace(first).staff : -1;
    const int32_t secondStaff = second >= 0 ? GetNoteheadPlace(second).staff : -1;
    int32_t staff = -1;
    if (firstStaff >= 0 && secondStaff >= 0) {
      if (firstStaff == secondStaff) staff = firstStaff;
    } else {
      staff = std::max(firstStaff, secondStaff);
    }
    if (staff < 0) continue;
    AddSystemSlur(GetStaffSystem(staff), start, end, SlurCurvature(i));
  }
}

void AddTextLinesToDescription() {
  if (GetStaffCount() == 0) return;
  for (int32_t line = 0; line < GetLyricLineCount(); ++line) {
    LyricWord words[kMaxLyricWords];
    const int32_t n = JoinLyricItems(line, words, kMaxLyricWords);
    if (n == 0) continue;
    const EnginePoint corner = GetLyricLineFirstCorner(line);
    int32_t staff = StaffAtPoint(corner.y, corner.x);
    if (GetTextStaffRuleA() == 1 && NextStaffAfter(staff) >= 0) staff = NextStaffAfter(staff);
    if (staff < 0) staff = 0;
    EngineBox box = words[0].box;
    for (int32_t k = 1; k < n; ++k) box = UnionBox(box, words[k].box);
    AddStaveTextLine(staff, GetLyricLineAttribute(line), box, TextSizeInPixels(GetLyricLineTextSize(line)));
    for (int32_t k = 0; k < n; ++k) AddTextLineWord(staff, words[k].score, words[k].box, words[k].text, words[k].hyphenated);
  }
}

void AddTextItemsToDescription() {
  if (GetStaffCount() == 0) return;
  for (int32_t block = 0; block < GetTextBlockCount(); ++block) {
    char text[kMaxTextItemLength + 1] = {};
    int32_t length = 0;
    bool boxed = false;
    EngineBox box{};
    for (int32_t item = 0; item < GetTextBlockItemCount(block) && item < kTextRefItems; ++item) {
      const int32_t reference = MakeTextItemRef(block, item);
      const char* t = GetTextBlockItemText(reference);
      const int32_t n = static_cast<int32_t>(std::strlen(t));
      if (n == 0) continue;
      const int32_t blank = length > 0 ? 1 : 0;
      if (length + blank + n > kMaxTextItemLength) continue;  // left out: it would not fit
      if (blank) text[length++] = ' ';
      std::memcpy(text + length, t, static_cast<size_t>(n));
      length += n;
      const EngineBox b = GetTextBlockItemBox(reference);
      box = boxed ? UnionBox(box, b) : b;
      boxed = true;
    }
    if (length == 0) continue;
    const int32_t staff = TextBlockStaff(box, GetTextBlockAttribute6(block));
    if (staff >= 0) AddStaveTextItem(staff, box, TextSizeInPixels(GetTextBlockTextSize(block)), text);
  }
}

void AddDynamicsToDescription() {
  if (GetStaffCount() == 0) return;
  int32_t* list = nullptr;
  const int32_t n = ListFixedSymbols(IsDynamicSymbolAt, &list);
  Mark* marks = nullptr;
  if (n > 0) {
    EngineAllocZeroedChecked(marks, n * sizeof(Mark));
    for (int32_t k = 0; k < n; ++k) {
      const int32_t type = GetFixedSymbolType(list[k]);
      ENGINE_CHECK(type >= kFirstDynamicType && type <= kLastDynamicType);
      marks[k] = Mark{type - kFirstDynamicType + kFirstDynamicCode, GetFixedSymbolBox(list[k]), 0};
    }
    JoinNeighbours(marks, n);
    for (int32_t k = 0; k < n; ++k) {
      if (marks[k].dropped) continue;
      const EnginePoint c = BoxMiddle(marks[k].box);
      const int32_t staff = DynamicStaffAt(c.y, c.x);
      if (staff >= 0) AddStaveDynamic(staff, marks[k].code, marks[k].box);
    }
  }
  EngineFree(marks);
  EngineFree(list);

  for (int32_t h = 0; h < GetHairpinCount(); ++h) {
    const EngineBox box{GetHairpinLeft(h), GetHairpinTop(h), GetHairpinRight(h), GetHairpinBottom(h)};
    const EnginePoint c = BoxMiddle(box);
    const int32_t staff = DynamicStaffAt(c.y, c.x);
    if (staff < 0) continue;
    AddStaveDynamic(staff, GetHairpinOpening(h) ? kHairpinCrescendo : kHairpinDiminuendo, box);
  }
}

namespace {

// An ending opens its bar: its number stands just right of the bar line the
// bracket starts at. When bar lines of its staff lie left of it, the nearest
// must end within s(400) of the mark; an ending left of them all stands in
// the first bar of its system.
bool EndingOpensItsBar(int32_t staff, const EngineBox& box) {
  const int32_t middle = (box.x0 + box.x1) / 2;
  bool any = false;
  int32_t nearest = 0;
  for (int32_t i = 0; i < GetBarLineCount(); ++i) {
    const FoundBarLine bar = GetFoundBarLine(i);
    if (bar.deleted || bar.staff != staff || bar.leftX >= middle) continue;
    nearest = any ? std::max(nearest, bar.rightX) : bar.rightX;
    any = true;
  }
  return !any || box.x0 - nearest <= ScaleToPixels(400);
}

}  // namespace

void AddRepeatMarksToDescription() {
  if (GetStaffCount() == 0) return;
  int32_t* list = nullptr;
  const int32_t n = ListFixedSymbols(IsCodaSegnoEndingAt, &list);
  for (int32_t k = 0; k < n; ++k) {
    const EngineBox box = GetFixedSymbolBox(list[k]);
    const int32_t code = GetFixedSymbolType(list[k]) - kFirstRepeatType;
    const EnginePoint c = BoxMiddle(box);
    const int32_t staff = NextStaffAfter(StaffAtPoint(c.y, c.x));
    if (staff < 0 || AboveStaff(staff, c.y, c.x) > ScaleToPixels(1200)) continue;
    if (code >= kFirstEndingCode) {
      // An ending stands close over the staff, clear of its two ends.
      const int32_t near = ScaleToPixels(400);
      if (AboveStaff(staff, c.y, c.x) > near) continue;
      if (c.x < GetStaffLeftX(staff) + near || c.x > GetStaffRightX(staff) - near) continue;
      if (!EndingOpensItsBar(staff, box)) continue;
    }
    AddStaveRepeatMark(staff, code, box);
  }
  EngineFree(list);
}

void AddPedalsAndOrnamentsToDescription() {
  if (GetStaffCount() == 0) return;
  int32_t* list = nullptr;
  const int32_t n = ListFixedSymbols(IsPedalOrOrnamentAt, &list);
  const int32_t reach = ScaleToPixels(1200);
  for (int32_t k = 0; k < n; ++k) {
    const EngineBox box = GetFixedSymbolBox(list[k]);
    const int32_t type = GetFixedSymbolType(list[k]);
    const EnginePoint c = BoxMiddle(box);
    const int32_t at = StaffAtPoint(c.y, c.x);
    if (type < kFirstOrnamentType) {
      if (at < 0 || BelowStaff(at, c.y, c.x) > reach) continue;
      AddStavePedalOrnament(at, type - kFirstPedalType, box);
    } else {
      const int32_t next = NextStaffAfter(at);
      if (next < 0 || AboveStaff(next, c.y, c.x) > reach) continue;
      AddStavePedalOrnament(next, type - kFirstOrnamentType + kFirstOrnamentCode, box);
    }
  }
  EngineFree(list);
}
