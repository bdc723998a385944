// The selection services of the score view: which item the pointer is over
// and which part of it, the selection's extent, the drag limits of the
// selected item and taking an item into the edit item. They work on the part
// streams and on the item index that the painter fills; what they need of the
// window itself goes through SelectionViewHooks.h.
#pragma once

#include <cstdint>

#include "score/EditItem.h"
#include "score/ItemIndex.h"
#include "score/ScoreStream.h"
#include "score/SelectionViewHooks.h"

constexpr int kMultiSelectionCapacity = 1024;
// A multi-selection entry whose row was removed, until the list is compacted.
constexpr uint16_t kRemovedSelectionEntry = 0xFFFF;

// The score view's units: the horizontal and vertical spacing unit (the staff
// step in screen units), the zoom, and the view's offset in page units.
struct ViewUnits {
  int32_t unitX = 1;
  int32_t unitY = 1;
  double zoom = 1.0;
  int32_t offsetX = 0;
  int32_t offsetY = 0;
};

// How far the selected item may be dragged.
struct DragLimits {
  int32_t left = 0;
  int32_t right = 16384;
  int32_t top = 0;
  int32_t bottom = 16384;
};

struct SelectionState {
  int32_t selectedRow = -1;  // -1: nothing selected
  int32_t hoverRow = -1;     // the row under the pointer, -1 none
  uint16_t multiRows[kMultiSelectionCapacity] = {};
  int16_t multiCount = 0;    // 0: no multi-selection

  EditItem edit;
  ScoreBox editBox{};        // the selected row's box
  ScoreBox editArea{};       // the box widened by 4 units each side
  int32_t editCentreX = 0;   // page units
  int32_t editCentreY = 0;
  int32_t editStepX = 0;     // the centre in spacing units
  int32_t editStepY = 0;

  int32_t pointerX = 0;      // the pointer in client pixels
  int32_t pointerY = 0;
  int32_t insertX = 0;       // insertion point in page units
  int32_t insertY = 0;

  bool dragLeftEdge = false;
  bool dragRightEdge = false;
  DragLimits limits;
};

// Everything the selection and bar services work on: the score's streams, the
// view's item index and stave rows (filled by the painter), its units and the
// editor's selection.
struct ScoreViewItems {
  StreamSet* streams = &ScoreStream;
  ItemIndex index{};
  StaveRowTable staves{};
  ViewUnits units;
  SelectionState selection;
};

// The score view's one instance.
ScoreViewItems& TheScoreViewItems();

// The smallest / largest row of the multi-selection (removed entries left
// out); the single selection when the list holds none.
int32_t MinSelectedItem(const SelectionState& selection);
int32_t MaxSelectedItem(const SelectionState& selection);

// 0 for structure marks, clefs with b1 bit 3, key signatures with bit 7,
// time signatures with b1 bit 3 or 7 and plain rests with the hidden bit; 1
// for every other item. The bar count of a multi-bar rest hides nothing.
int IsItemDrawn(const uint8_t* item);
// The voice of a chord, rest or mark (0..3); -1 for items without a voice.
int ItemVoice(const uint8_t* item);

// Sets and returns the drag limits of the selected item.
DragLimits MeasureSelectedItem(ScoreViewItems& view);

// Which part of the hovered row's width x falls in: the left quarter 0, the
// middle half 1 (both ends included), the right quarter 2; -1 with no
// hovered row. Sets the drag edge flags unless testOnly.
int ItemThirdAtX(ScoreViewItems& view, int32_t x, int32_t y, bool testOnly);
// The same with halves: 0 left, 1 right (the middle itself is right).
int ItemHalfAtX(ScoreViewItems& view, int32_t x, int32_t y, bool testOnly);

// With a hovered row whose item lies inside its stream: copies the item into
// the edit item, selects the row, sets the edit geometry and returns 1. A
// row whose item lies outside its stream is refused (0, nothing changed).
// With no hovered row: sets the insertion point from the pointer and the
// zoom and returns 0.
int TakeItemIntoSelection(ScoreViewItems& view);

// Where the view's scroll positions must go to show a box (page units).
struct ScrollPlan {
  bool horizontal = false;
  int32_t scrollX = 0;
  bool vertical = false;
  int32_t scrollY = 0;
};
ScrollPlan PlanScrollToBox(const ScoreBox& box, double zoom, const ViewScrollState& state);
// Scrolls the view (through the hooks) so that the row's box is visible;
// true when the view scrolled (it is then repainted at once).
bool ScrollItemIntoView(ScoreViewItems& view, int row);
