#include "editor/core/ScoreUndoRing.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "editor/core/EditorState.h"
#include "editor/core/StreamWrites.h"
#include "pages/CurrentPageData.h"
#include "pages/PageData.h"
#include "pages/PageFiles.h"
#include "platform/FileLayer.h"
#include "platform/Folders.h"
#include "platform/Messages.h"
#include "platform/TextUtils.h"
#include "render/ScorePagePainter.h"
#include "score/PageMarks.h"
#include "score/ScoreFile.h"
#include "score/ScoreStream.h"

namespace {

UndoViewHooks g_hooks;
bool g_snapshotTaken = true;

std::u16string UndoFolder() {
  char16_t path[520];
  if (!MakeMusicPagesPath(path, u"Undo")) return {};
  return path;
}

// "Undo\Undo0001" and "Undo\Data0001".
std::u16string SlotFile(const char16_t* stem, int slot) {
  char16_t hex[8];
  FormatHex4(hex, static_cast<uint32_t>(slot));
  return UndoFolder() + u"\\" + stem + hex;
}

int CurrentDataId() {
  const int page = ScorePages.current;
  return page >= 1 && page <= kMaxScorePages ? ScorePages.rows[page - 1].dataId : 0;
}

std::u16string PageDataFile(int dataId, bool make) {
  char16_t path[kPagePathUnits];
  if (!PageFilePath(PageFile::kWorkingData, static_cast<int16_t>(dataId), make, path)) return {};
  return path;
}

bool HasScorePage() { return ScorePages.count > 0 && PartCount > 0 && ScorePages.current >= 1; }

int Wrap(int slot) { return (slot % kUndoSlots + kUndoSlots) % kUndoSlots; }

}  // namespace

ScoreUndoRing& TheUndoRing() {
  static ScoreUndoRing ring;
  return ring;
}

bool& SnapshotTaken() { return g_snapshotTaken; }

void SetUndoViewHooks(const UndoViewHooks& hooks) { g_hooks = hooks; }

void ClearScoreUndo() {
  ScoreUndoRing& ring = TheUndoRing();
  ring.count = ring.first = ring.current = ring.page = ring.dataId = 0;
  g_snapshotTaken = true;
  const std::u16string folder = UndoFolder();
  if (!folder.empty()) DeleteTree((folder + u"\\*").c_str());
}

int PushScoreUndo(ScoreViewItems& view) {
  ScoreUndoRing& ring = TheUndoRing();
  if (!HasScorePage()) {
    ClearScoreUndo();
    return 0;
  }
  if (ring.count > 0 && (ring.page != ScorePages.current || ring.dataId != CurrentDataId())) ClearScoreUndo();
  const bool empty = ring.count == 0;
  if (empty) {
    ring.page = ScorePages.current;
    ring.dataId = CurrentDataId();
    ring.first = ring.current = 0;
  }

  UndoSlotState state;
  const SelectionState& selection = view.selection;
  state.selectedRow = selection.selectedRow;
  state.multiCount = selection.multiCount;
  std::copy(selection.multiRows, selection.multiRows + kMultiSelectionCapacity, state.multiRows);
  std::copy(TheEditorState().chordNotes, TheEditorState().chordNotes + kMaxChordNotes, state.chordNotes);
  if (g_hooks.saveView) g_hooks.saveView(&state);

  const std::u16string folder = UndoFolder();
  if (GetFreeDiskSpace(nullptr) < kLowDiscSpaceBytes) MessageById(nullptr, kTextLowDiscSpace);
  FileMakeDir(folder.c_str());  // it may exist already
  // The snapshot and the page's data first; the ring moves only when both are there.
  if (!WriteScoreFile(SlotFile(u"Undo", ring.current).c_str(), 1, kTargetScore, 1, 1, 0)) return 0;
  const std::u16string pageData = PageDataFile(ring.dataId, true);
  // A page whose boxes were never saved gets its data file now, so that the
  // snapshot holds the boxes that go with the score.
  if (!pageData.empty() && !FileExists(pageData.c_str()) && EditedPageBoxes() == &viewPage && viewPage.boxCount > 0) {
    SavePageData(false, true);
  }
  state.hasPageData = !pageData.empty() && FileExists(pageData.c_str());
  if (state.hasPageData && FileCopy(pageData.c_str(), SlotFile(u"Data", ring.current).c_str())) {
    ErrorBox(nullptr, LastFileError()->message);
    return 0;
  }
  ring.slots[ring.current] = state;
  if (empty) g_snapshotTaken = false;
  ring.current = Wrap(ring.current + 1);
  if (ring.current == ring.first) ring.first = Wrap(ring.first + 1);
  ring.count = Wrap(ring.current - ring.first);
  return 1;
}

bool CanUndoScore() {
  const ScoreUndoRing& ring = TheUndoRing();
  return ring.count != 0 && ring.current != ring.first;
}

bool CanRedoScore() {
  const ScoreUndoRing& ring = TheUndoRing();
  const int d = Wrap(ring.current - ring.first) + 1;
  return ring.count != 0 && d < ring.count && Wrap(ring.current + 1) != ring.first &&
         !(ring.first == 0 && ring.current == kUndoSlots - 1);
}

int UndoScoreEdit(ScoreViewItems& view) {
  ScoreUndoRing& ring = TheUndoRing();
  if (!CanUndoScore()) {
    DefaultBeep();
    return 0;
  }
  if (!g_snapshotTaken) {
    // The state now shown goes into the ring first, so that redo comes back to it.
    if (ring.page == ScorePages.current && ring.dataId == CurrentDataId() && PushScoreUndo(view)) {
      ring.current = Wrap(ring.current - 1);
    }
    g_snapshotTaken = true;
  }
  const int before = ring.current;
  ring.current = Wrap(ring.current - 1);
  if (RestoreScoreUndo(view)) return 1;
  ring.current = before;
  return 0;
}

int RedoScoreEdit(ScoreViewItems& view) {
  ScoreUndoRing& ring = TheUndoRing();
  if (!CanRedoScore()) {
    DefaultBeep();
    return 0;
  }
  const int before = ring.current;
  ring.current = Wrap(ring.current + 1);
  if (RestoreScoreUndo(view)) return 1;
  ring.current = before;
  return 0;
}

int RestoreScoreUndo(ScoreViewItems& view) {
  ScoreUndoRing& ring = TheUndoRing();
  const UndoSlotState& state = ring.slots[ring.current];
  // The page data copy is read and checked before the score is touched.
  std::unique_ptr<PageData> copy;
  const std::u16string copyPath = SlotFile(u"Data", ring.current);
  if (state.hasPageData) {
    copy = std::make_unique<PageData>();
    uint32_t key = 0;
    if (ReadPageDataFile(copyPath.c_str(), copy.get(), &key, true, nullptr) != PageDataRead::kRead) {
      ErrorBox(nullptr, LastFileError()->message);
      return 0;
    }
  }
  // The reader checks the whole snapshot before it changes anything.
  if (!ReadScoreFile(SlotFile(u"Undo", ring.current).c_str(), 1, 1)) return 0;
  if (copy) {
    const std::u16string pageData = PageDataFile(ring.dataId, true);
    if (!pageData.empty()) FileCopy(copyPath.c_str(), pageData.c_str());
    PageData& page = *EditedPageBoxes();
    const int boxes = std::clamp<int>(copy->boxCount, 0, kMaxLoadedBoxes);
    std::memcpy(page.boxes, copy->boxes, sizeof page.boxes[0] * boxes);
    std::memcpy(page.boxValues, copy->boxValues, sizeof page.boxValues[0] * boxes);
    page.boxCount = static_cast<int16_t>(boxes);
  }
  ScorePages.current = ring.page;
  RebuildPageOffsets();
  if (g_hooks.restoreView) g_hooks.restoreView(state);
  if (g_hooks.relayout) {
    g_hooks.relayout();
  } else {
    RebuildItemIndexLayout();
  }

  SelectionState& selection = view.selection;
  const int rows = view.index.count;
  selection.multiCount = state.multiCount;
  std::copy(state.multiRows, state.multiRows + kMultiSelectionCapacity, selection.multiRows);
  for (int i = 0; i < selection.multiCount; ++i) {
    if (selection.multiRows[i] >= rows) selection.multiRows[i] = kRemovedSelectionEntry;
  }
  selection.selectedRow = -1;
  if (state.selectedRow >= 0 && state.selectedRow < rows) {
    const int32_t hover = selection.hoverRow;
    selection.hoverRow = state.selectedRow;
    TakeItemIntoSelection(view);
    selection.hoverRow = hover < rows ? hover : -1;
  }
  std::copy(state.chordNotes, state.chordNotes + kMaxChordNotes, TheEditorState().chordNotes);
  return 1;
}
