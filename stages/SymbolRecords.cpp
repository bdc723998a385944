#include "stages/SymbolRecords.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Intmath.h"
#include "reading/StaveSpacing.h"
#include "stages/ClefPlacement.h"
#include "shapes/ClassifierStartup.h"
#include "shapes/ZoneFeatureRecordHeader.h"

namespace {

int16_t ClampStep(int step) { return static_cast<int16_t>(std::clamp(step, 0, 15)); }

// Offset of line 0's step: one-line staves have their line at 8, two-line
// staves their lines at 6 and 8, all others count like five-line staves.
int LineStepOffset(int lineCount) { return lineCount == 1 ? 4 : lineCount == 2 ? 2 : 0; }

// y of line i of the staff at x; lines above and below the staff continue at
// the rounded staff space.
int32_t LineYAt(int32_t staff, int lineCount, int line, int32_t x, int32_t space) {
  if (line < 0) return StaffLineY(staff, 0, x) + line * space;
  if (line >= lineCount) return StaffLineY(staff, lineCount - 1, x) + (line - lineCount + 1) * space;
  return StaffLineY(staff, line, x);
}

bool ListFull(uint32_t count) { return count >= static_cast<uint32_t>(kSymbolListLimit); }

// Rests of one slot: at most ten notes in each of its hundred note groups.
constexpr int kMaxSlotRests = 1000;

}  // namespace

void DeleteSymbolRecord(SymbolRecord* records, uint32_t& count, uint32_t index) {
  if (index >= count) return;
  if (index + 1 < count)
    std::memmove(&records[index], &records[index + 1], (count - index - 1) * sizeof(SymbolRecord));
  --count;
}

void SortSymbolsByLeft(SymbolRecord* records, uint32_t from, uint32_t count) {
  if (from >= count) return;
  std::stable_sort(records + from, records + count,
                   [](const SymbolRecord& a, const SymbolRecord& b) { return a.left < b.left; });
}

void SortSymbolsByStave(SymbolRecord* records, uint32_t count) {
  std::stable_sort(records, records + count, [](const SymbolRecord& a, const SymbolRecord& b) {
    return a.stave != b.stave ? a.stave < b.stave : a.left < b.left;
  });
}

int SymbolLineStep(int lineCount, int line) { return ClampStep(LineStepOffset(lineCount) + 2 * line + 4); }

bool FillSymbolRecord(SymbolRecord* records, uint32_t index, const FoundObjectRef* object, int16_t stave,
                      int32_t staff) {
  SymbolRecord& r = records[index];
  std::memset(&r, 0, sizeof r);
  r.space = static_cast<int16_t>(RoundQ10(GetStaffSpace(staff)));
  r.stave = stave;
  r.score = 100;
  r.staveTopY = static_cast<int16_t>(StaffLineY(staff, 0, 0));
  if (!object) return true;

  int32_t box[4];
  int32_t confidence = 0;
  if (!EngineObjectBox(*object, box, &confidence)) return false;
  r.confidence = static_cast<int16_t>(confidence);
  r.quality = static_cast<int16_t>(std::min(95 - confidence, 5));
  r.left = static_cast<int16_t>(box[0]);
  r.right = static_cast<int16_t>(box[2]);
  r.staveTopY = static_cast<int16_t>(StaffLineY(staff, 0, r.left));

  const int n = GetStaffLineCount(staff);
  const int o = LineStepOffset(n);
  r.stepTop = static_cast<int16_t>(o);
  for (int i = -1; i <= 6; ++i) {
    if (LineYAt(staff, n, i, r.left, r.space) > box[1] + 2) break;
    r.stepTop = static_cast<int16_t>(SymbolLineStep(n, i));
  }
  r.stepBottom = 15;
  for (int i = 5; i >= -2; --i) {
    if (LineYAt(staff, n, i, r.left, r.space) < box[3] - 2) break;
    r.stepBottom = static_cast<int16_t>(SymbolLineStep(n, i));
  }
  return true;
}

void ImportEngineClefs(int32_t page, int32_t system, int32_t staveInSystem, int32_t slot, SymbolRecord* records,
                       uint32_t& count, int16_t stave, int32_t staff) {
  EngineClef clefs[32];
  const int n = EngineSlotClefs(page, system, staveInSystem, slot, clefs, 32);
  for (int i = 0; i < n && !ListFull(count); ++i) {
    const int32_t code = clefs[i].code;
    if (code == -1 || !FillSymbolRecord(records, count, &clefs[i].object, stave, staff)) continue;
    int16_t type = kSymbolAltoClef;
    if (code == 0 || code == 3 || code == 4) type = kSymbolTrebleClef;
    if (code == 1 || code == 5 || code == 6) type = kSymbolBassClef;
    SymbolRecord& r = records[count++];
    r.type = type;
    int32_t box[4];
    int32_t confidence = 0;
    if ((code == 0 || code == 1 || code == 2) && GetStaffLineCount(staff) == 5 &&
        EngineObjectBox(clefs[i].object, box, &confidence)) {
      // Its box on the stave says the line it marks and whether an 8 goes
      // with a G clef (an F clef's 8 lies outside the engine's box).
      const double space = GetStaffSpace(staff) / 1024.0;
      const double topLine = StaffLineY(staff, 0, box[0]);
      const ClefPlacement placed = PlaceClef(code, (box[1] - topLine) / space, (box[3] - topLine) / space);
      r.type = placed.type;
      r.count = placed.octave;
    }
  }
}

void ImportEngineTimeSignature(int32_t page, int32_t system, int32_t staveInSystem, int32_t slot,
                               SymbolRecord* records, uint32_t& count, int16_t stave, int32_t staff) {
  EngineTime time{};
  if (!EngineSlotTimeSignature(page, system, staveInSystem, slot, &time)) return;
  auto add = [&](int16_t type, int16_t top, int16_t bottom) {
    if (ListFull(count) || !FillSymbolRecord(records, count, &time.object, stave, staff)) return;
    SymbolRecord& r = records[count++];
    r.type = type;
    r.stepTop = top;
    r.stepBottom = bottom;
  };
  if (time.shownAsSymbol && time.numerator == time.denominator && (time.numerator == 4 || time.numerator == 2)) {
    add(time.numerator == 4 ? kSymbolCommonTime : kSymbolCutTime, 6, 10);
    return;
  }
  // Each digit character c of the number is type c - 16.
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", static_cast<int>(time.numerator));
  for (const char* c = digits; *c; ++c)
    if (*c >= '0' && *c <= '9') add(static_cast<int16_t>(*c - 16), 4, 8);
  std::snprintf(digits, sizeof digits, "%d", static_cast<int>(time.denominator));
  for (const char* c = digits; *c; ++c)
    if (*c >= '0' && *c <= '9') add(static_cast<int16_t>(*c - 16), 8, 12);
}

void ImportEngineBarline(int32_t page, int32_t system, int32_t staveInSystem, int32_t slot, SymbolRecord* records,
                         uint32_t& count, int16_t stave, int32_t staff) {
  EngineBarline bar{};
  if (ListFull(count) || !EngineSlotBarline(page, system, staveInSystem, slot, &bar)) return;
  FillSymbolRecord(records, count, nullptr, stave, staff);
  SymbolRecord& r = records[count];
  const int32_t unit = CurrentStaveUnits().staveUnit;
  int32_t left = bar.left, right = bar.right;
  if (bar.kind == 2) left -= unit;  // left repeat
  if (bar.kind == 4) {              // back-to-back repeat
    left -= unit;
    right += unit;
  }
  r.type = bar.kind == 5 ? 55 : kSymbolBarline;
  r.confidence = 100;
  r.quality = -5;
  r.left = static_cast<int16_t>(std::max(0, left));
  r.right = static_cast<int16_t>(std::max(0, right));
  r.stepTop = 4;
  r.stepBottom = 12;
  r.staveTopY = static_cast<int16_t>(StaffLineY(staff, 0, r.left));
  ++count;
}

namespace {

// The telling extent of each rest glyph at full size, in hundredths of a
// stave space over the engravers' fonts: the width of the whole and half
// rests (blocks), the height of the others. A rest drawn below
// kCueSizeShare of it is cue-size (cue glyphs are drawn at about 70 %).
struct RestGlyphExtent {
  int16_t type;
  bool byWidth;
  int32_t hundredths;
};
constexpr RestGlyphExtent kRestGlyphExtents[] = {
    {71, true, 115}, {70, true, 115}, {69, false, 280}, {68, false, 190},
    {67, false, 290}, {66, false, 380}, {65, false, 480},
};
constexpr int32_t kCueSizeShare = 85;  // per cent

}  // namespace

int16_t RestSizeValue(int16_t type, int32_t width, int32_t height, int32_t space) {
  if (space <= 0) return 0;
  for (const RestGlyphExtent& g : kRestGlyphExtents) {
    if (g.type != type) continue;
    const int64_t extent = g.byWidth ? width : height;
    if (extent <= 0) return 0;  // not measured
    return extent * 100 * 100 < static_cast<int64_t>(g.hundredths) * kCueSizeShare * space ? kCueSize : 0;
  }
  return 0;
}

void ImportEngineSymbols(int32_t page, int32_t system, int32_t staveInSystem, int32_t slot, SymbolRecord* records,
                         uint32_t& count, int16_t stave, int32_t staff) {
  EngineRest rests[kMaxSlotRests];
  const int n = EngineSlotRests(page, system, staveInSystem, slot, rests, kMaxSlotRests);
  for (int i = 0; i < n && !ListFull(count); ++i) {
    const EngineRest& rest = rests[i];
    if (!FillSymbolRecord(records, count, &rest.object, stave, staff)) continue;
    SymbolRecord& r = records[count++];
    r.count = rest.dots > 0 ? 1 : 0;
    if (rest.type <= kEngineSemiquaverRest) r.type = static_cast<int16_t>(72 - (rest.type - kEngineBreveRest));
    else if (rest.type == kEngineDemisemiquaverRest) r.type = kSymbolDemisemiquaverRest;
    else if (rest.type == kEngineHemidemisemiquaverRest) r.type = kSymbolHemidemisemiquaverRest;
    else {
      r.type = kSymbolMultiBarRest;
      r.count = static_cast<uint32_t>(std::max(1, rest.bars));
    }
    int32_t box[4];
    int32_t confidence = 0;
    if (EngineObjectBox(rest.object, box, &confidence))
      r.size = RestSizeValue(r.type, box[2] - box[0] + 1, box[3] - box[1] + 1, r.space);
  }
}

int ImportStaveEngineSymbols(const StaveRow* rows, int staveInSystem, SymbolRecord* records, uint32_t& count,
                             int16_t stave, int rowIndex) {
  const StaveRow& row = rows[rowIndex];
  const int32_t system = row.group;
  if (!EngineStaveExists(system, staveInSystem)) return 0;
  const int32_t staff = EngineStaffOf(system, staveInSystem);
  const int32_t slots = EngineSlotCount(0, system, staveInSystem);
  for (int32_t slot = 0; slot < slots; ++slot) {
    if (row.kind == 0 || row.kind == 2) {
      ImportEngineClefs(0, system, staveInSystem, slot, records, count, stave, staff);
      ImportEngineTimeSignature(0, system, staveInSystem, slot, records, count, stave, staff);
      ImportEngineSymbols(0, system, staveInSystem, slot, records, count, stave, staff);
    }
    ImportEngineBarline(0, system, staveInSystem, slot, records, count, stave, staff);
  }
  return 1;
}

int HasEngineBarlineAt(const StaveRow* rows, int rowIndex, int32_t fromX, int32_t toX) {
  if (!rows || rowIndex < 0) return 0;
  // The engine numbers a system's staves from 0 in their order; the row's
  // number is its part slot once the staves have been given their parts.
  const int32_t system = rows[rowIndex].group;
  const int32_t staveInSystem = StaveIndexInGroup(rows, rowIndex + 1, rowIndex);
  if (!EngineStaveExists(system, staveInSystem)) return 0;
  const int32_t slots = EngineSlotCount(0, system, staveInSystem);
  for (int32_t slot = 0; slot < slots; ++slot) {
    EngineBarline bar{};
    if (EngineSlotBarline(0, system, staveInSystem, slot, &bar) && bar.left <= toX && bar.right >= fromX) return 1;
  }
  return 0;
}

int AddClassifiedSymbol(SymbolRecord* records, uint32_t& count, const uint8_t* h, int32_t x, int32_t width,
                        int defaultStep, int16_t stave, int confidence, int best, int worst, double halfSpace,
                        int16_t staveTopY) {
  if (ListFull(count)) return 0;
  SymbolRecord& r = records[count];
  std::memset(&r, 0, sizeof r);
  r.confidence = static_cast<int16_t>(confidence);
  r.quality = static_cast<int16_t>(best != worst ? (best - confidence) * 5 / (best - worst) : 0);
  r.type = static_cast<int16_t>(ZoneHeaderType(h));
  const int32_t eighth = width / 8;
  r.left = static_cast<int16_t>(x + ((h[2] & 0x08) ? eighth : 0));
  r.right = static_cast<int16_t>(x + width - (h[2] & 0x07) * width / 8 + ((h[3] >> 6) & 0x03) * width / 8);
  if (h[4] != 0) {
    r.stepTop = static_cast<int16_t>(h[4] & 0x0F);
    r.stepBottom = static_cast<int16_t>(h[4] >> 4);
  } else {
    r.stepTop = ClampStep(defaultStep);
    r.stepBottom = ClampStep(defaultStep + 4);
  }
  r.variant = static_cast<int16_t>((h[1] >> 4) & 0x03);
  r.flag10 = (h[3] >> 1) & 0x01;
  r.score = static_cast<int16_t>(((h[5] >> 1) & 0x07) * 2);
  r.attr18 = static_cast<int16_t>((h[5] >> 4) & 0x07);
  // One context row names the type's row in both lists.
  r.leftContext = r.rightContext = static_cast<int16_t>(ZoneHeaderContextRow(h));
  r.staveTopY = staveTopY;
  r.space = static_cast<int16_t>(std::lround(2 * halfSpace));
  r.stave = stave;
  ++count;
  return 1;
}

SymbolContextTables LoadedSymbolContexts() {
  SymbolContextTables tables;
  if (const LoadedClassifier* c = Classifier()) {
    tables.left = &c->shapes.LeftContextList;
    tables.right = &c->shapes.RightContextList;
  }
  return tables;
}

namespace {

// The context row r (1-based) of a table, or null when r names none.
const ContextRow* ContextRowOf(const std::vector<ContextRow>* table, int r) {
  if (!table || r <= 0 || r == 255 || static_cast<size_t>(r) > table->size()) return nullptr;
  const ContextRow& row = (*table)[static_cast<size_t>(r) - 1];
  return row[0].type != 0 ? &row : nullptr;
}

int32_t ContextGain(const SymbolRecord* records, uint32_t count, uint32_t index, const ContextRow* row, bool left) {
  if (!row) return 0;
  const SymbolRecord& me = records[index];
  const int32_t space = me.space;
  int32_t gain = 0;
  for (const ContextEntry& e : *row) {
    if (e.type == 0) break;
    const int32_t reach = static_cast<int32_t>(e.reach) * space;
    for (uint32_t j = 0; j < count; ++j) {
      const SymbolRecord& o = records[j];
      if (j == index || o.stave != me.stave || o.type != static_cast<int16_t>(e.type)) continue;
      const bool near = left ? (o.right >= me.left - reach && o.right <= me.left)
                             : (o.left >= me.right && o.left <= me.right + reach);
      if (!near) continue;
      gain += e.bonus;
      break;
    }
  }
  return gain;
}

}  // namespace

int32_t SymbolContextScore(const SymbolRecord* records, uint32_t count, uint32_t index,
                           const SymbolContextTables& tables) {
  if (index >= count) return 0;
  const SymbolRecord& me = records[index];
  int32_t gain = ContextGain(records, count, index, ContextRowOf(tables.left, me.leftContext), true);
  gain += ContextGain(records, count, index, ContextRowOf(tables.right, me.rightContext), false);
  if (IsBarlineSymbol(me.type)) {
    bool upper = false, lower = false;
    for (uint32_t j = 0; j < count; ++j) {
      const SymbolRecord& o = records[j];
      if (j == index || o.stave != me.stave || !IsTimeDigitSymbol(o.type)) continue;
      if (o.left < me.left || o.left > me.right + me.space) continue;
      if (o.stepTop == 4) upper = true;
      else lower = true;
    }
    if (upper && lower) gain += 64;
  }
  if (me.type == 1 || me.type == 2) gain += 10;
  return me.score + gain;
}

int32_t SymbolContextScore(const SymbolRecord* records, uint32_t count, uint32_t index) {
  return SymbolContextScore(records, count, index, LoadedSymbolContexts());
}
