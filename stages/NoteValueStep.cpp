#include "stages/NoteValueStep.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "platform/Messages.h"
#include "platform/ShellFlags.h"
#include "reading/PreparationStrings.h"
#include "reading/StaveSpacing.h"
#include "stages/HeadPruning.h"
#include "stages/MarkClearing.h"
#include "stages/NoteValueAssignment.h"
#include "stages/StemCandidates.h"
#include "stages/StemScan.h"

int GroupRowOf(const NoteValueWork& work, int stave) {
  return FindStaveInGroup(work.rows, work.staveCount, work.firstStave, stave);
}

bool NoteStaveOf(const NoteValueWork& work, const NoteRecord& note, NoteStave* out) {
  *out = NoteStave{};
  const int row = GroupRowOf(work, note.stave);
  if (row < 0) return false;
  const int resolution = work.geometry ? work.geometry->resolution : 300;
  SetStaveUnits(work.rows, row, resolution);
  const StaveUnits& units = CurrentStaveUnits();
  out->row = row;
  out->unit = std::max<int32_t>(units.staveUnit, 1);
  out->smallUnit = std::max<int32_t>(units.smallStaveUnit, 1);
  StavePage fallback;
  const StavePage& page = work.geometry ? *work.geometry : fallback;
  out->half = static_cast<float>(InterlineSpacing(work.rows, work.staveCount, row, page) * 0.5);
  if (out->half < 1.0f) out->half = 1.0f;
  out->space = std::max<int32_t>(RoundedInterlineSpacing(work.rows, work.staveCount, row, page), 2);
  out->lineCount = work.rows[row].lineCount;
  out->tab = work.rows[row].kind == 1;
  return true;
}

int32_t StemColumn(const NoteRecord& n, int c, int32_t unit) {
  const int32_t off = StemOffsetOf(n, c);
  return (c == 0 || c == 2) ? n.left + off - 4 * unit : n.right - off + 4 * unit;
}

void DeleteNoteWithStems(NoteRecord* notes, uint32_t& count, StemRecord* const stems[4], uint32_t index) {
  if (index >= count) return;
  const uint32_t later = count - index - 1;
  if (later > 0) {
    std::memmove(&notes[index], &notes[index + 1], later * sizeof(NoteRecord));
    for (int c = 0; c < 4; ++c)
      if (stems[c]) std::memmove(&stems[c][index], &stems[c][index + 1], later * sizeof(StemRecord));
  }
  --count;
}

namespace {

struct WorkMemory {
  std::unique_ptr<StemRecord[]> stems[4];
  std::unique_ptr<StemScanBuffer> scan;
};

// Zero-filled, so a split head copies defined records.
bool Allocate(WorkMemory& memory) {
  for (auto& array : memory.stems) {
    array.reset(new (std::nothrow) StemRecord[kNoteListCapacity]());
    if (!array) return false;
  }
  memory.scan.reset(new (std::nothrow) StemScanBuffer());
  return memory.scan != nullptr;
}

bool Cancelled() { return Flags().abort.load() != 0; }

// Measures every stem candidate of every solid head; false on a cancel.
bool ScanAllStems(NoteValueWork& work) {
  for (uint32_t i = 0; i < *work.noteCount; ++i) {
    if (!PollUserAbort(1)) return false;
    NoteRecord& n = work.notes[i];
    if (!IsStemmedKind(n.kind)) continue;
    NoteStave stave;
    if (!NoteStaveOf(work, n, &stave)) continue;  // not a stave of the group
    for (int c = 0; c < 4; ++c) {
      StemRecord& record = work.stems[c][i];
      record.left.markCount = 0;
      record.right.markCount = 0;
      if (n.stemLength[c] < 1) continue;
      const int32_t d = static_cast<int32_t>(n.stemLength[c] * 2.0 * stave.half);
      const int32_t x = StemColumn(n, c, stave.unit);
      for (int p = 0; p < 2; ++p) {
        ScanStem(work, i, c, p, d, x, stave);
        MeasureStemSide(*work.scan, p, record, stave, n);
        if (Cancelled()) return false;
      }
    }
  }
  return true;
}

// The four marking or deleting calls, one per candidate with the others
// in the order that keeps the tested candidate first.
void ClearUnderAllFlags(NoteValueWork& work, bool remove) {
  static constexpr int kOrders[4][4] = {{0, 1, 2, 3}, {1, 0, 3, 2}, {2, 1, 0, 3}, {3, 0, 1, 2}};
  for (const auto& order : kOrders) ClearUnderFlags(work, order, remove);
}

}  // namespace

int ResolveNoteValues(NoteValueWork& work) {
  PruneOddCornerStems(work);
  WorkMemory memory;
  if (!Allocate(memory)) {
    QueueReadingNotice(NoticeKind::kErrorText, kStrMemoryToReadPage);
    return 0;
  }
  for (int c = 0; c < 4; ++c) work.stems[c] = memory.stems[c].get();
  work.scan = memory.scan.get();
  struct Release {
    NoteValueWork& w;
    ~Release() {
      for (auto& s : w.stems) s = nullptr;
      w.scan = nullptr;
    }
  } release{work};

  if (!ScanAllStems(work)) return 0;
  DropUnmatchedStubs(work);
  TrimStemsAtNeighbourStaves(work);
  DemoteStemmedSemibreves(work);
  PruneOddCornerStems(work);
  for (uint32_t i = 0; i < *work.noteCount; ++i)
    if (work.notes[i].origin == kFreshOrigin) work.notes[i].origin = kConfirmedOrigin;
  ClampStemLengths(work);
  DropStemsOnBarLines(work);
  ClearUnderAllFlags(work, false);
  ShortenStemsInChords(work);
  ClampCrossedStems(work);
  PickStrongestStem(work);
  ChooseStemPair(work);
  for (uint32_t i = 0; i < *work.noteCount; ++i)
    if (work.notes[i].quality >= 128) work.notes[i].quality = static_cast<int16_t>(work.notes[i].quality - kUnderMarkQuality);
  for (uint32_t i = 0; i < *work.symbolCount; ++i)
    if (work.symbols[i].quality >= 128)
      work.symbols[i].quality = static_cast<int16_t>(work.symbols[i].quality - kUnderMarkQuality);
  ClearUnderAllFlags(work, true);
  AssignNoteValues(work);
  VoteChordValues(work);
  DropHeadsOnStems(work, false);
  PruneClashingHeads(work);
  DropHeadsOnStems(work, true);
  FlipSqueezedStems(work);
  VoteChordValues(work);
  MarkCrossingStems(work);
  OnReadingProgress(static_cast<unsigned>(-1));
  return 1;
}

int NoteValueStage(StageContext& context) {
  if (!context.lists || !context.page || !context.image || !context.rows) return 1;
  PageData& page = *context.page;
  StavePage geometry;
  geometry.image.rows = context.image;
  geometry.image.width = static_cast<int32_t>(page.width);
  geometry.image.height = static_cast<int32_t>(page.height);
  geometry.image.rowBytes = static_cast<size_t>(context.strideWords) * 4;
  geometry.image.bitsPerPixel = 1;
  geometry.resolution = page.resolution > 0 ? page.resolution : 300;
  geometry.lines = &page.lineCurves;
  geometry.curvesValid = page.curvesValid;
  geometry.modelCurves = page.modelCurves;
  NoteValueWork work;
  work.image = geometry.image;
  work.geometry = &geometry;
  work.rows = context.rows;
  work.staveCount = context.staveCount;
  work.firstStave = context.firstStave;
  work.notes = context.lists->notes;
  work.noteCount = &context.lists->noteCount;
  work.symbols = context.lists->symbols;
  work.symbolCount = &context.lists->symbolCount;
  return ResolveNoteValues(work);
}

StavePage& WorkGeometry(const NoteValueWork& work) {
  thread_local StavePage plain;
  return work.geometry ? *work.geometry : plain;
}

int32_t RowTopLineY(const NoteValueWork& work, int row, int32_t x) {
  return work.rows[row].top + StaveLineY(work.rows, row, 0, x, WorkGeometry(work));
}

int32_t RowBottomLineY(const NoteValueWork& work, int row, int32_t x) {
  return work.rows[row].top + StaveLineY(work.rows, row, work.rows[row].lineCount - 1, x, WorkGeometry(work));
}
