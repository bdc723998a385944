#include "shell/StaveUndoRing.h"

#include <algorithm>
#include <cstring>

std::unique_ptr<StaveSnapshot> StaveUndoRing::Take(const PageData& page, const StaveViewState& view) {
  auto s = std::make_unique<StaveSnapshot>();
  s->count = std::min<uint32_t>(page.staveCount, kStaveSlots);
  std::copy(page.staves, page.staves + kStaveSlots, s->staves);
  std::copy(page.curvesValid, page.curvesValid + kStaveSlots, s->curvesValid);
  std::copy(page.modelCurves, page.modelCurves + kStaveSlots, s->modelCurves);
  std::memcpy(&s->lines, &page.lineCurves, sizeof s->lines);
  s->selected = view.selected;
  s->scrollX = view.scrollX;
  s->scrollY = view.scrollY;
  return s;
}

void StaveUndoRing::Restore(const StaveSnapshot& s, PageData* page, StaveViewState* view) {
  page->staveCount = s.count;
  std::copy(s.staves, s.staves + kStaveSlots, page->staves);
  std::copy(s.curvesValid, s.curvesValid + kStaveSlots, page->curvesValid);
  std::copy(s.modelCurves, s.modelCurves + kStaveSlots, page->modelCurves);
  std::memcpy(&page->lineCurves, &s.lines, sizeof s.lines);
  view->selected = s.selected;
  view->scrollX = s.scrollX;
  view->scrollY = s.scrollY;
}

void StaveUndoRing::Push(const PageData& page, const StaveViewState& view) {
  states_.resize(std::min<size_t>(states_.size(), size_t(position_)));
  states_.push_back(Take(page, view));
  if (states_.size() > size_t(kStaveUndoSteps)) states_.erase(states_.begin());
  position_ = static_cast<int>(states_.size());
  shownKept_ = false;
}

bool StaveUndoRing::Undo(PageData* page, StaveViewState* view) {
  if (position_ <= 0) return false;
  if (!shownKept_) {
    states_.resize(size_t(position_));
    states_.push_back(Take(*page, *view));
    shownKept_ = true;
  }
  --position_;
  Restore(*states_[size_t(position_)], page, view);
  return true;
}

bool StaveUndoRing::Redo(PageData* page, StaveViewState* view) {
  if (!CanRedo()) return false;
  ++position_;
  Restore(*states_[size_t(position_)], page, view);
  return true;
}

void StaveUndoRing::Clear() {
  states_.clear();
  position_ = 0;
  shownKept_ = false;
}
