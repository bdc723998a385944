#include "shell/StaveEditing.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "pages/PageFiles.h"
#include "pages/PageTable.h"
#include "platform/FileLayer.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "reading/ReadingThread.h"
#include "reading/StaveLocating.h"
#include "score/ScoreFile.h"
#include "reading/StaveFitting.h"
#include "reading/StavePageData.h"
#include "shell/PageViewGeometry.h"
#include "shell/StaveGrouping.h"

namespace {

constexpr unsigned kStrPageBeingRead = 11539;
constexpr unsigned kStrCannotLocateWhileReading = 11522;
constexpr unsigned kStrNoStavesLocated = 10028;
constexpr unsigned kStrStavesFound = 10029;
constexpr unsigned kStrBlank = 10183;
constexpr int kStatusMessageField = 2;

bool ShownPageIsCurrentScorePage() {
  const int row = pageTable.currentPage;
  if (row < 0 || ScorePages.current < 1 || ScorePages.current > ScorePages.count) return false;
  return ScorePages.rows[ScorePages.current - 1].key == pageTable.rows[row].pageKey;
}

int Count() { return static_cast<int>(std::min<uint32_t>(viewPage.staveCount, kStaveSlots)); }

// Slot `to` takes everything of slot `from`: record, flags and curves.
void MoveSlot(int from, int to) {
  viewPage.staves[to] = viewPage.staves[from];
  viewPage.curvesValid[to] = viewPage.curvesValid[from];
  viewPage.modelCurves[to] = viewPage.modelCurves[from];
  std::memcpy(viewPage.lineCurves.y[to], viewPage.lineCurves.y[from], sizeof viewPage.lineCurves.y[to]);
}

void Changed() { WritePageStaveData(false); }

int Resolution() { return viewPage.resolution > 0 ? static_cast<int>(viewPage.resolution) : 300; }

void Clamp(int s) {
  ClampStave(viewPage.staves, Count(), s, Resolution(), static_cast<int>(viewPage.width),
             static_cast<int>(viewPage.height));
}

// Slots at and after `at` move one down to make room for a stave there.
void OpenSlot(int at) {
  for (int s = Count(); s > at; --s) MoveSlot(s - 1, s);
}

// Puts stave in at slot `at`, the later staves moving one down, its curves
// to be worked out afresh, and selects it.
void InsertStaveAt(int at, const StaveRecord& stave) {
  const int count = Count();
  OpenSlot(at);
  viewPage.staves[at] = stave;
  viewPage.curvesValid[at] = 0;
  viewPage.modelCurves[at] = 0;
  viewPage.staveCount = static_cast<uint32_t>(count + 1);
  StaveView().selected = at;
}

// The system a stave inserted at `at` (before the shift) joins: that of the
// stave it comes before, or of the last one when it is appended.
int16_t SystemAt(int at) {
  const int count = Count();
  if (at < count) return viewPage.staves[at].group;
  return count > 0 ? viewPage.staves[count - 1].group : 0;
}

// Stave s spans the rectangle of the two points, kept within its limits.
void SpanStave(int s, int x0, int y0, int x1, int y1) {
  StaveRecord& r = viewPage.staves[s];
  const int left = std::min(x0, x1), right = std::max(x0, x1);
  const int top = std::min(y0, y1), bottom = std::max(y0, y1);
  r.left = static_cast<int16_t>(left);
  r.right = static_cast<int16_t>(right);
  r.midX = static_cast<int16_t>((left + right) / 2);
  r.top = r.midTop = r.rightTop = static_cast<int16_t>(top);
  r.bottom = static_cast<int16_t>(bottom);
  r.slope = 0;
  r.joinLeftEnd = r.joinRightStart = kNotJoined;
  viewPage.curvesValid[s] = 0;
  Clamp(s);
}

int InsertPosition(int y) {
  int at = 0;
  while (at < Count() && viewPage.staves[at].top <= y) ++at;
  return at;
}

}  // namespace

StaveUndoRing& StaveRing() {
  static StaveUndoRing ring;
  return ring;
}

StaveViewState& StaveView() {
  static StaveViewState view;
  return view;
}

StaveEditRefusal StaveEditRefused() {
  const int row = pageTable.currentPage;
  if (row < 0 || static_cast<uint32_t>(row) >= pageTable.pageCount) return StaveEditRefusal::kNoPage;
  if (ReadingActive() && Reading().pageIndex == row) return StaveEditRefusal::kPageBeingRead;
  if (pageTable.rows[row].flags & kPageStaveOverlay) return StaveEditRefusal::kLockedPage;
  return StaveEditRefusal::kNone;
}

bool WritePageStaveData(bool working) {
  const int row = pageTable.currentPage;
  if (row < 0 || static_cast<uint32_t>(row) >= pageTable.pageCount) return false;
  const bool written = SavePageStaves(row, working, viewPage);
  if (written && !working && !ShownPageIsCurrentScorePage()) {
    char16_t path[kPagePathUnits];
    if (PageFilePath(PageFile::kWorkingData, pageTable.rows[row].scanId, false, path) && FileExists(path))
      FileDelete(path);
  }
  return written;
}

void PushStaveUndo() { StaveRing().Push(viewPage, StaveView()); }

bool UndoStaveEdit() {
  if (!StaveRing().Undo(&viewPage, &StaveView())) return false;
  Changed();
  return true;
}

bool RedoStaveEdit() {
  if (!StaveRing().Redo(&viewPage, &StaveView())) return false;
  Changed();
  return true;
}

int StaveViewCommand(int code) {
  switch (code) {
    case 602: case 601: case 127: case 8: case 27: case 53: case 54: break;
    default: return 0;
  }
  switch (StaveEditRefused()) {
    case StaveEditRefusal::kPageBeingRead:
      return code == 27 ? 1 : kStaveCommandRefused;
    case StaveEditRefusal::kLockedPage:
    case StaveEditRefusal::kNoPage:
      return 1;
    case StaveEditRefusal::kNone:
      break;
  }
  StaveViewState& view = StaveView();
  const int selected = view.selected;
  const bool hasSelection = selected >= 0 && selected < Count();
  switch (code) {
    case 602:
      if (!UndoStaveEdit()) DefaultBeep();
      break;
    case 601:
      if (!RedoStaveEdit()) DefaultBeep();
      break;
    case 127:
    case 8:
      if (!hasSelection) break;
      PushStaveUndo();
      view.selected = -1;
      DeleteStave(selected);
      // The staves that met across the gap: the one now in its place and
      // the one above.
      if (selected < Count()) RegroupEditedStave(selected);
      if (selected > 0) RegroupEditedStave(selected - 1);
      Changed();
      break;
    case 27:
      view.selected = -1;
      break;
    case 53:
    case 54:
      // The number of lines takes no undo step; the file follows it.
      if (!hasSelection) break;
      viewPage.staves[selected].lineCount = static_cast<int16_t>(code - 48);
      viewPage.curvesValid[selected] = 0;
      RebuildEditedStave(selected, false);
      Changed();
      break;
  }
  return 1;
}

void SayPageBeingRead() { MessageById(nullptr, kStrPageBeingRead); }

int InsertDrawnStave(int x0, int y0, int x1, int y1) {
  const int count = Count();
  if (count >= kMaxEditedStaves) return -1;
  const int at = InsertPosition(std::min(y0, y1));
  StaveRecord stave;
  stave.group = SystemAt(at);
  stave.lineCount = 5;
  stave.lineThickness = 1;
  InsertStaveAt(at, stave);
  SpanStave(at, x0, y0, x1, y1);
  return at;
}

void MoveStave(int s, int dx, int dy) {
  if (s < 0 || s >= Count()) return;
  StaveRecord& r = viewPage.staves[s];
  r.left = static_cast<int16_t>(r.left + dx);
  r.right = static_cast<int16_t>(r.right + dx);
  r.midX = static_cast<int16_t>(r.midX + dx);
  r.top = static_cast<int16_t>(r.top + dy);
  r.bottom = static_cast<int16_t>(r.bottom + dy);
  r.midTop = static_cast<int16_t>(r.midTop + dy);
  r.rightTop = static_cast<int16_t>(r.rightTop + dy);
  ClampStave(viewPage.staves, Count(), s, viewPage.resolution > 0 ? viewPage.resolution : 300,
             static_cast<int>(viewPage.width), static_cast<int>(viewPage.height));
  viewPage.curvesValid[s] = 0;
}

void DeleteStave(int s) {
  const int count = Count();
  if (s < 0 || s >= count) return;
  for (int i = s; i + 1 < count; ++i) MoveSlot(i + 1, i);
  viewPage.staveCount = static_cast<uint32_t>(count - 1);
}

int LocateStaves(bool ask, bool withUndo, const LocatingHooks* hooks) {
  if (ReadingActive()) {
    // The staves shown stay as they are.
    if (ask) MessageById(nullptr, kStrCannotLocateWhileReading);
    return -1;
  }
  if (StaveEditRefused() != StaveEditRefusal::kNone) return -1;
  uint32_t stride = 0;
  uint8_t* image = viewPage.imageArea ? CurrentReadingSteps().pageImage(&viewPage, &stride) : nullptr;
  if (!image) return -1;
  if (withUndo) PushStaveUndo();
  StaveRow rows[kStaveSlots] = {};
  int found = 0;
  if (!StartPageReading(image, stride, &viewPage, &pageTable.currentPage, false, hooks, rows, &found)) found = 0;
  found = std::clamp(found, 0, kMaxEditedStaves);
  for (int s = 0; s < found; ++s) viewPage.staves[s] = StaveRecordFromRow(rows[s]);
  viewPage.staveCount = static_cast<uint32_t>(found);
  StaveView().selected = -1;
  WritePageStaveData(false);
  if (found == 0) {
    SetStatusTextById(kStrNoStavesLocated);
  } else {
    char16_t blank[8], words[96];
    LoadUiString(kStrBlank, blank, 8);
    LoadUiString(kStrStavesFound, words, 96);
    std::u16string text;
    for (char c : std::to_string(found)) text += static_cast<char16_t>(c);
    text += blank;
    text += words;
    platform::SetStatusField(kStatusMessageField, text.c_str());
  }
  return found;
}

void RebuildEditedStave(int s, bool decide) {
  if (s < 0 || s >= Count()) return;
  StavePage page = StavePageFor(viewPage);
  StaveRecord& r = viewPage.staves[s];
  if (page.image.rows && page.image.width > 0) {
    StaveFit fit{r.left, r.right, r.top, r.bottom, r.midX, r.midTop, r.rightTop,
                 r.lineCount, r.lineThickness, r.slope, r.kind};
    RebuildStaveRows(&fit, s, decide, false, page);
    r.left = fit.left;
    r.right = fit.right;
    r.top = fit.top;
    r.bottom = fit.bottom;
    r.midX = fit.midX;
    r.midTop = fit.midTop;
    r.rightTop = fit.rightTop;
    r.lineCount = fit.lineCount;
    r.lineThickness = fit.lineThickness;
    r.slope = fit.slope;
    r.kind = fit.kind;
  }
  if (r.lineCount < 4) {
    r.lineCount = 5;
    r.kind = 0;
    viewPage.curvesValid[s] = 0;
  }
}

bool RegroupEditedStave(int s) {
  if (s < 0 || s >= Count()) return false;
  return RegroupStave(viewPage.staves, Count(), s, StavePageFor(viewPage).image, Resolution());
}

void DragSelectedStave(int mode, const StaveRecord& start, int dx, int dy, bool decide) {
  const int s = StaveView().selected;
  if (s < 0 || s >= Count()) return;
  viewPage.staves[s] = DraggedStave(mode, start, dx, dy);
  Clamp(s);
  viewPage.curvesValid[s] = 0;
  RebuildEditedStave(s, decide);
  // An end or the middle of the top line leaves the stave where it stands
  // among the others.
  if (mode != kDragRightEnd && mode != kDragTopMiddle) {
    RegroupEditedStave(s);
    viewPage.staves[s].joinLeftEnd = viewPage.staves[s].joinRightStart = kNotJoined;
  }
}

void SizeDrawnStave(int s, int pressX, int pressY, int x, int y) {
  if (s < 0 || s >= Count()) return;
  SpanStave(s, pressX, pressY, x, y);
  viewPage.staves[s].lineCount = 5;
  RebuildEditedStave(s, true);
  RegroupEditedStave(s);
}

int CopySelectedStaveTo(int y, bool decide) {
  const int selected = StaveView().selected;
  const int count = Count();
  if (selected < 0 || selected >= count || count >= kMaxEditedStaves) return -1;
  PushStaveUndo();
  StaveRecord copy = viewPage.staves[selected];
  const int at = InsertPosition(y);
  copy.group = SystemAt(at);
  const int shift = y - (copy.bottom - copy.top) / 2 - copy.top;
  copy.top = static_cast<int16_t>(copy.top + shift);
  copy.bottom = static_cast<int16_t>(copy.bottom + shift);
  copy.midTop = static_cast<int16_t>(copy.midTop + shift);
  copy.rightTop = static_cast<int16_t>(copy.rightTop + shift);
  copy.spacingOverride = 0;
  InsertStaveAt(at, copy);
  Clamp(at);
  RebuildEditedStave(at, decide);
  RegroupEditedStave(at);
  Changed();
  return at;
}

bool JoinOrSplitWithSelected(int hit) {
  const int selected = StaveView().selected;
  if (selected < 0 || hit < 0 || std::abs(selected - hit) != 1 || std::max(selected, hit) >= Count()) return false;
  PushStaveUndo();
  JoinOrSplitSystems(viewPage.staves, Count(), selected, hit);
  Changed();
  return true;
}
