// The page view's undo ring of stave tables: up to 17 earlier states of the
// page's staves (records, curve flags, line curves, the selected stave and
// the scroll position) before the one shown. A new edit drops the states
// that could be redone. Emptied when another page is opened.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "pages/PageData.h"

constexpr int kStaveUndoSteps = 17;

struct StaveSnapshot {
  uint32_t count = 0;
  StaveRecord staves[kStaveSlots];
  uint32_t curvesValid[kStaveSlots] = {};
  uint32_t modelCurves[kStaveSlots] = {};
  StaveLineTable lines;
  int selected = -1;
  int scrollX = 0, scrollY = 0;
};

struct StaveViewState {
  int selected = -1;
  int scrollX = 0, scrollY = 0;
};

class StaveUndoRing {
 public:
  // Keeps the state before an edit; the next undo saves what is shown first.
  void Push(const PageData& page, const StaveViewState& view);
  // False (nothing changed) when there is no earlier or later state.
  bool Undo(PageData* page, StaveViewState* view);
  bool Redo(PageData* page, StaveViewState* view);
  bool CanUndo() const { return position_ > 0; }
  bool CanRedo() const { return position_ + 1 < static_cast<int>(states_.size()); }
  // The state shown counts as kept: an undo goes back past it without saving
  // it (Esc during a drag).
  void MarkShownStateKept() { shownKept_ = true; }
  void Clear();

 private:
  static std::unique_ptr<StaveSnapshot> Take(const PageData& page, const StaveViewState& view);
  static void Restore(const StaveSnapshot& s, PageData* page, StaveViewState* view);
  std::vector<std::unique_ptr<StaveSnapshot>> states_;
  int position_ = 0;  // the state shown stands at this index (saved or not)
  bool shownKept_ = false;
};
