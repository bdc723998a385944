#include "shell/StaveEditing.h"

#include <algorithm>
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
#include "shell/PageViewGeometry.h"

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
      Changed();
      break;
  }
  return 1;
}

void SayPageBeingRead() { MessageById(nullptr, kStrPageBeingRead); }

int InsertDrawnStave(int x0, int y0, int x1, int y1) {
  const int count = Count();
  if (count >= kMaxEditedStaves) return -1;
  const int left = std::min(x0, x1), right = std::max(x0, x1);
  const int top = std::min(y0, y1), bottom = std::max(y0, y1);
  int at = 0;
  while (at < count && viewPage.staves[at].top <= top) ++at;
  for (int s = count; s > at; --s) MoveSlot(s - 1, s);
  StaveRecord stave;
  stave.left = static_cast<int16_t>(left);
  stave.right = static_cast<int16_t>(right);
  stave.midX = static_cast<int16_t>((left + right) / 2);
  stave.top = stave.midTop = stave.rightTop = static_cast<int16_t>(top);
  stave.bottom = static_cast<int16_t>(bottom);
  stave.lineCount = 5;
  stave.lineThickness = 1;
  // The system of the stave it comes before (after the shift at at + 1), or
  // of the last one when it is appended.
  if (at < count) stave.group = viewPage.staves[at + 1].group;
  else if (count > 0) stave.group = viewPage.staves[count - 1].group;
  viewPage.staves[at] = stave;
  viewPage.curvesValid[at] = 0;
  viewPage.modelCurves[at] = 0;
  viewPage.staveCount = static_cast<uint32_t>(count + 1);
  ClampStave(viewPage.staves, count + 1, at, viewPage.resolution > 0 ? viewPage.resolution : 300,
             static_cast<int>(viewPage.width), static_cast<int>(viewPage.height));
  StaveView().selected = at;
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
