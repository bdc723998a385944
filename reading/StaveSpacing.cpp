#include "reading/StaveSpacing.h"

#include <algorithm>

#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Mscript.h"
#include "Code/Quorm/Mscrptio.h"

namespace {

// The heads the engine found on its page description (page 0): breves,
// semibreves, minims and solid heads; grace notes and rests are left out.
// Each head counts with the height of its found box; a note naming no
// found head is left out.
void SumDescribedNoteheads(int64_t* sum, int64_t* count) {
  *sum = 0;
  *count = 0;
  const int32_t heads = GetNoteheadCount();
  for (int32_t system = 0; system < GetPageSystemCount(0); ++system) {
    for (int32_t stave = 0; stave < GetSystemStaveCount(0, system); ++stave) {
      for (int32_t slot = 0; slot < GetStaveTimeSlotCount(0, system, stave); ++slot) {
        int32_t groups = 0;
        const MscriptNoteGroup* notes = GetTimeSlotNotes(0, system, stave, slot, &groups);
        for (int32_t g = 0; g < groups; ++g) {
          const int32_t n = std::min(notes[g].noteCount, kMaxGroupNotes);
          for (int32_t i = 0; i < n; ++i) {
            const MscriptNote& note = notes[g].notes[i];
            if (note.type < 0 || note.type >= kNoteGrace) continue;
            if (note.object < 0 || note.object >= heads) continue;
            const EngineBox box = GetFoundObjectBox(kObjectNotehead, note.object);
            if (box.y0 == kNoBoxWord) continue;
            *sum += box.y1 - box.y0;
            ++*count;
          }
        }
      }
    }
  }
}

// The spacing of a stave by its own outline: (bottom - top) / (lines - 1);
// 0 when the stave has fewer than two lines or more than six.
template <typename Stave>
double OwnSpacing(const Stave& stave) {
  if (stave.lineCount < 2 || stave.lineCount > kMaxStaveLines) return 0.0;
  return static_cast<double>(stave.bottom - stave.top) / (stave.lineCount - 1);
}

// The five rules, over rows or records alike.
template <typename Stave>
double SpacingRules(const Stave* staves, int count, int s, int resolution) {
  if (!staves || s < 0 || s >= count) return resolution / 12.0;
  const Stave& own = staves[s];
  if (own.kind != 2) {
    double spacing = OwnSpacing(own);
    if (spacing > 0) return spacing;
    return resolution / 12.0;
  }
  for (int i = 0; i < count; ++i)
    if (staves[i].lineCount == 5 && staves[i].bottom - staves[i].top >= MinStaveHeightByLines()[5])
      return OwnSpacing(staves[i]);
  for (int i = 0; i < count; ++i)
    if (staves[i].spacingOverride > 1.0) return staves[i].spacingOverride;
  for (int i = 0; i < count; ++i) {
    if (staves[i].lineCount == 2) return (staves[i].bottom - staves[i].top) * 0.5;
    if (staves[i].lineCount >= 3 && staves[i].lineCount <= kMaxStaveLines) return OwnSpacing(staves[i]);
  }
  return resolution / 12.0;
}

int32_t LimitY(int32_t y, const StavePage& page) {
  if (y < 0) y = 0;
  const StaveLookupState& state = StaveLookup();
  if (!state.readingActive && state.pageShown && page.image.height > 0) y = std::min(y, page.image.height - 1);
  return y;
}

int32_t HalfOdd(int32_t sum) { return ((sum & 1) ? sum + 1 : sum) / 2; }

// Shared by stave and note positions: p counted from the top line at 'first'.
int32_t PositionY(const StaveRow* rows, int count, int s, int32_t x, int p, int first, bool shiftShort,
                  StavePage& page) {
  if (!rows || s < 0 || s >= count || !StaveRowUsable(rows[s])) return 0;
  const StaveRow& row = rows[s];
  const int lines = row.lineCount;
  const double h = InterlineSpacing(rows, count, s, page) / 2;
  auto L = [&](int k) { return StaveLineY(rows, s, std::clamp(k, 0, lines - 1), x, page); };
  int32_t y;
  if (row.kind != 2) {
    int last = 2 * lines + first - 2;  // the bottom line
    if (p < first) {
      y = row.top + L(0) - static_cast<int32_t>((first - p) * h);
    } else if (p <= last) {
      int k = (p - first) / 2;
      y = ((p - first) % 2 == 0) ? row.top + L(k) : HalfOdd(L(k) + L(k + 1)) + row.top;
    } else {
      y = row.top + L(lines - 1) + static_cast<int32_t>((p - last) * h);
    }
  } else {
    if (shiftShort) p -= lines == 1 ? 4 : lines == 2 ? 2 : 0;
    int last = 4 * lines + first - 4;
    if (p < first) {
      y = row.top + L(0) - static_cast<int32_t>((first - p) * h);
    } else if (p <= last) {
      int q = p - first, k = q / 4, r = q % 4;
      if (r == 0)
        y = row.top + L(k);
      else
        y = static_cast<int32_t>((4 - r) / 4.0 * L(k) + row.top + r / 4.0 * L(k + 1) + 0.5);
    } else {
      y = row.top + L(lines - 1) + static_cast<int32_t>((p - last) * h);
    }
  }
  return LimitY(y, page);
}

// q = h x 4 / 50 (or the other dividend), odd raised, halved, at least 1.
int32_t RoundedUnit(int32_t q) {
  if (q & 1) ++q;
  return std::max(1, q / 2);
}

}  // namespace

StaveUnits& CurrentStaveUnits() {
  static StaveUnits units;
  return units;
}

int32_t* MinStaveHeightByLines() {
  static int32_t heights[kMaxStaveLines + 1] = {};
  return heights;
}

ShortStaveHooks& ShortStaveSources() {
  static ShortStaveHooks hooks;
  return hooks;
}

double InterlineSpacing(const StaveRow* rows, int count, int s, const StavePage& page) {
  return SpacingRules(rows, count, s, page.resolution);
}

int32_t RoundedInterlineSpacing(const StaveRow* rows, int count, int s, const StavePage& page) {
  return static_cast<int32_t>(InterlineSpacing(rows, count, s, page) + 0.5);
}

double StaveRecordSpacing(const StaveRecord* records, int count, int s, int resolution) {
  return SpacingRules(records, count, s, resolution);
}

int32_t StavePositionY(const StaveRow* rows, int count, int s, int32_t x, int position, StavePage& page) {
  return PositionY(rows, count, s, x, position, 4, true, page);
}

int32_t StaveNotePositionY(const StaveRow* rows, int count, int s, int32_t x, int notePosition, StavePage& page) {
  return PositionY(rows, count, s, x, notePosition, 11, false, page);
}

int32_t StaveIndexInGroup(const StaveRow* rows, int count, int s) {
  if (!rows || s < 0 || s >= count) return 0;
  int32_t index = 0;
  for (int i = s; i > 0 && rows[i - 1].group == rows[s].group; --i) ++index;
  return index;
}

int32_t FindStaveInGroup(const StaveRow* rows, int count, int s, int n) {
  if (!rows || s < 0 || s >= count) return -1;
  for (int i = s; i < count && rows[i].group == rows[s].group; ++i)
    if (rows[i].number - 1 == n) return i;
  return -1;
}

int32_t CountStavesInGroup(const StaveRow* rows, int count, int s) {
  if (!rows || s < 0 || s >= count) return 0;
  int32_t n = 0;
  for (int i = s; i < count && rows[i].group == rows[s].group; ++i) ++n;
  return n;
}

int32_t CountNotationStavesInGroup(const StaveRow* rows, int count, int s) {
  if (!rows || s < 0 || s >= count) return 0;
  int32_t n = 0;
  for (int i = s; i < count && rows[i].group == rows[s].group; ++i)
    if (rows[i].kind == 0 || rows[i].kind == 2) ++n;
  return n;
}

void SetStaveUnits(const StaveRow* rows, int s, int resolution) {
  StaveUnits& units = CurrentStaveUnits();
  const StaveRow& row = rows[s];
  const int32_t h = row.bottom - row.top;
  if (row.kind == 2) {
    units.staveUnit = RoundedUnit(resolution / 100);
    units.staveUnitF = static_cast<float>(resolution / 100.0);
    units.smallStaveUnit = RoundedUnit(resolution / 200);
  } else if (row.kind == 1 && row.lineCount == 6) {
    units.staveUnit = RoundedUnit(3 * h / 50);
    units.staveUnitF = static_cast<float>(3 * h / 100.0);
    units.smallStaveUnit = RoundedUnit(3 * h / 100);
  } else {
    units.staveUnit = RoundedUnit(4 * h / 50);
    units.staveUnitF = static_cast<float>(4 * h / 100.0);
    units.smallStaveUnit = RoundedUnit(4 * h / 100);
  }
}

void SpacingForShortStaves(StaveRow* rows, int count, int resolution) {
  if (!rows) return;
  int firstSingle = -1;
  for (int i = 0; i < count; ++i) {
    if (rows[i].lineCount > 3) return;
    if (rows[i].lineCount == 1 && firstSingle < 0) firstSingle = i;
  }
  if (firstSingle < 0) return;
  StaveRow& row = rows[firstSingle];
  row.spacingOverride = resolution / 12.0;
  int64_t sum = 0, n = 0;
  if (ShortStaveSources().sumNoteheadHeights) ShortStaveSources().sumNoteheadHeights(&sum, &n);
  else SumDescribedNoteheads(&sum, &n);
  if (n > 0)
    row.spacingOverride =
        static_cast<int32_t>(0.5 + row.lineThickness * 0.5 + static_cast<double>(sum) / static_cast<double>(n));
}
