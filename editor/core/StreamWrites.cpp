#include "editor/core/StreamWrites.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "editor/core/ScoreInvariants.h"
#include "render/ScorePagePainter.h"
#include "score/BarEvents.h"
#include "score/PageMarks.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

PageData*& EditedPageBoxes() {
  static PageData* page = &viewPage;
  return page;
}

namespace {

// In debug builds: a write that leaves a sound score unsound stops the program.
class SoundnessGuard {
 public:
#ifdef NDEBUG
  explicit SoundnessGuard(const ScoreViewItems&) {}
#else
  explicit SoundnessGuard(const ScoreViewItems& view) : view_(view), wasSound_(Check().empty()) {}
  ~SoundnessGuard() {
    if (!wasSound_) return;
    const std::vector<ScoreFault> faults = Check();
    if (!faults.empty()) std::fprintf(stderr, "edit left the score unsound:\n%s", DescribeFaults(faults).c_str());
    assert(faults.empty());
  }

 private:
  std::vector<ScoreFault> Check() const {
    ScoreCheckOptions options;
    options.page = EditedPageBoxes();
    return CheckScore(view_, options);
  }
  const ScoreViewItems& view_;
  bool wasSound_;
#endif
};

StreamSet& Streams(ScoreViewItems& view) { return view.streams ? *view.streams : ScoreStream; }

// The item of a row and its length; null when the row names none.
uint8_t* RowItemBytes(ScoreViewItems& view, int row, uint32_t* length) {
  const ItemIndexRow* r = ItemRowAt(view.index, row);
  if (!r) return nullptr;
  return const_cast<uint8_t*>(RowItem(Streams(view), *r, length));
}

// The offsets of the part's rows at or past from move by delta.
void ShiftRowOffsets(ItemIndex& index, uint32_t part, uint32_t from, int64_t delta) {
  for (int r = 0; r < index.count; ++r) {
    ItemIndexRow& row = index.rows[r];
    if (row.part == part && row.offset >= from) row.offset = static_cast<uint32_t>(row.offset + delta);
  }
}

// The starts of the pages after the current one, in one part, move by delta.
void ShiftLaterPageStarts(uint32_t part, int64_t delta) {
  if (part >= static_cast<uint32_t>(kPageStartSlots)) return;
  for (int page = std::max(ScorePages.current, 1); page < ScorePages.count && page < kMaxScorePages; ++page) {
    PageStarts[page][part] = static_cast<uint32_t>(PageStarts[page][part] + delta);
  }
}

// The painter's stave-row ends from a stave row on move by delta (within the index).
void ShiftStaveRowEnds(int32_t staff, int delta) {
  ScorePainterTables& tables = PainterTables();
  if (staff < 0) return;
  for (int k = staff; k < tables.staffRowCount && k < kStaffRowCapacity; ++k) {
    tables.staffRows[k].itemCount = std::clamp(tables.staffRows[k].itemCount + delta, 0, kItemIndexCapacity);
  }
}

bool BoxesInUse() {
  const PageData* page = EditedPageBoxes();
  return page && page->boxCount > 0;
}

void InsertBoxAt(int at, const int16_t box[4]) {
  PageData& page = *EditedPageBoxes();
  const int count = std::min<int>(page.boxCount, kMaxLoadedBoxes);
  if (at > count || at >= kMaxLoadedBoxes) return;
  const int last = std::min(count, kMaxLoadedBoxes - 1);  // a full list drops its last box
  std::memmove(page.boxes[at + 1], page.boxes[at], sizeof page.boxes[0] * (last - at));
  std::memmove(&page.boxValues[at + 1], &page.boxValues[at], sizeof page.boxValues[0] * (last - at));
  std::memcpy(page.boxes[at], box, sizeof page.boxes[0]);
  page.boxValues[at] = 0;
  page.boxCount = static_cast<int16_t>(std::min(count + 1, kMaxLoadedBoxes));
}

void RemoveBoxAt(int at) {
  PageData& page = *EditedPageBoxes();
  const int count = std::min<int>(page.boxCount, kMaxLoadedBoxes);
  if (at < 0 || at >= count) return;
  std::memmove(page.boxes[at], page.boxes[at + 1], sizeof page.boxes[0] * (count - at - 1));
  std::memmove(&page.boxValues[at], &page.boxValues[at + 1], sizeof page.boxValues[0] * (count - at - 1));
  page.boxCount = static_cast<int16_t>(count - 1);
}

// A row number after a row was inserted at `at` (-1 when it was pushed out).
int32_t RowAfterInsert(int32_t row, int at) {
  if (row < at) return row;
  return row + 1 < kItemIndexCapacity ? row + 1 : -1;
}

void RenumberAfterInsert(SelectionState& s, int at) {
  if (s.selectedRow >= 0) s.selectedRow = RowAfterInsert(s.selectedRow, at);
  if (s.hoverRow >= 0) s.hoverRow = RowAfterInsert(s.hoverRow, at);
  for (int i = 0; i < s.multiCount && i < kMultiSelectionCapacity; ++i) {
    uint16_t& entry = s.multiRows[i];
    if (entry == kRemovedSelectionEntry) continue;
    const int32_t moved = RowAfterInsert(entry, at);
    entry = moved < 0 ? kRemovedSelectionEntry : static_cast<uint16_t>(moved);
  }
}

void RenumberAfterRemove(SelectionState& s, int at) {
  const auto after = [at](int32_t row) { return row == at ? -1 : (row > at ? row - 1 : row); };
  if (s.selectedRow >= 0) s.selectedRow = after(s.selectedRow);
  if (s.hoverRow >= 0) s.hoverRow = after(s.hoverRow);
  for (int i = 0; i < s.multiCount && i < kMultiSelectionCapacity; ++i) {
    uint16_t& entry = s.multiRows[i];
    if (entry == kRemovedSelectionEntry) continue;
    const int32_t moved = after(entry);
    entry = moved < 0 ? kRemovedSelectionEntry : static_cast<uint16_t>(moved);
  }
}

// An item the writes take: a whole item of a kind the editor writes, never a
// structure mark, never a chord without notes, and never a bar line of a
// style the painter gives no row (its box would stand for the next item's).
bool IsWritableItem(const uint8_t* bytes) {
  if (!bytes || IsStructureMark(bytes)) return false;
  if (KindOf(bytes) == kItemBarLine && (BarCode(bytes) == kBarNone || BarCode(bytes) >= kBarStyleCount)) return false;
  if (KindOf(bytes) == kItemChord && ChordNoteCount(bytes) == 0) return false;
  return true;
}

}  // namespace

bool ReplaceRowItem(ScoreViewItems& view, int row, const uint8_t* bytes) {
  uint32_t oldLength = 0;
  uint8_t* item = RowItemBytes(view, row, &oldLength);
  if (!item || IsStructureMark(item) || !IsWritableItem(bytes)) return false;
  SoundnessGuard guard(view);
  const ItemIndexRow rowCopy = view.index.rows[row];
  const uint32_t newLength = ItemLength(bytes);
  if (!SpliceStreamRange(&Streams(view), static_cast<int>(rowCopy.part), rowCopy.offset, rowCopy.offset + oldLength,
                         bytes, newLength)) {
    return false;
  }
  const int64_t delta = static_cast<int64_t>(newLength) - oldLength;
  if (delta != 0) {
    ShiftRowOffsets(view.index, rowCopy.part, rowCopy.offset + 1, delta);
    ShiftLaterPageStarts(rowCopy.part, delta);
  }
  return true;
}

int InsertRowItem(ScoreViewItems& view, int row, bool before, const uint8_t* bytes, bool* written) {
  if (written) *written = false;
  uint32_t anchorLength = 0;
  if (!RowItemBytes(view, row, &anchorLength) || !IsWritableItem(bytes)) return -1;
  SoundnessGuard guard(view);
  const ItemIndexRow anchor = view.index.rows[row];
  const uint32_t at = before ? anchor.offset : anchor.offset + anchorLength;
  const uint32_t length = ItemLength(bytes);
  if (!SpliceStreamRange(&Streams(view), static_cast<int>(anchor.part), at, at, bytes, length)) return -1;
  if (written) *written = true;
  ShiftRowOffsets(view.index, anchor.part, at, length);
  ShiftLaterPageStarts(anchor.part, length);

  ItemIndex& index = view.index;
  const int place = before ? row : row + 1;
  const int count = index.count;
  const int last = std::min(count, kItemIndexCapacity - 1);  // a full index drops its last row
  if (place <= last) {
    std::memmove(&index.rows[place + 1], &index.rows[place], sizeof index.rows[0] * (last - place));
    ItemIndexRow& fresh = index.rows[place];
    fresh = anchor;
    fresh.offset = at;
    index.count = static_cast<int16_t>(std::min(count + 1, kItemIndexCapacity));
  }
  if (BoxesInUse()) {
    const PageData& page = *EditedPageBoxes();
    int16_t box[4] = {anchor.left, anchor.right, anchor.top, anchor.bottom};
    if (row < page.boxCount) std::memcpy(box, page.boxes[row], sizeof box);
    InsertBoxAt(place, box);
  }
  ShiftStaveRowEnds(anchor.staff, 1);
  RenumberAfterInsert(view.selection, place);
  return place < kItemIndexCapacity ? place : -1;
}

bool RemoveRowItem(ScoreViewItems& view, int row) {
  uint32_t length = 0;
  uint8_t* item = RowItemBytes(view, row, &length);
  if (!item || IsStructureMark(item)) return false;
  SoundnessGuard guard(view);
  const ItemIndexRow gone = view.index.rows[row];
  if (!SpliceStreamRange(&Streams(view), static_cast<int>(gone.part), gone.offset, gone.offset + length, nullptr, 0)) {
    return false;
  }
  ItemIndex& index = view.index;
  std::memmove(&index.rows[row], &index.rows[row + 1], sizeof index.rows[0] * (index.count - row - 1));
  --index.count;
  ShiftRowOffsets(index, gone.part, gone.offset + 1, -static_cast<int64_t>(length));
  ShiftLaterPageStarts(gone.part, -static_cast<int64_t>(length));
  if (BoxesInUse()) RemoveBoxAt(row);
  ShiftStaveRowEnds(gone.staff, -1);
  RenumberAfterRemove(view.selection, row);
  return true;
}

void RebuildPageOffsets() { CountPageMarks(); }
