// The area to repaint around the edit item: its box widened by margins that
// depend on what the item draws beyond its box (stems, flags, accidentals,
// bar counts, text), limited to the staves it lies on.
#pragma once

#include <cstddef>
#include <cstdint>

#include "score/ItemIndex.h"
#include "score/ItemSelection.h"

// Margins in spacing units, added outward to each side of a box.
struct ItemMargins {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// The margins of an item of which available bytes are at hand.
ItemMargins EditItemMargins(const uint8_t* item, size_t available);

// The right edge of a repaint area never passes this.
constexpr int32_t kRepaintRightLimit = 8191;
// Each stave's extent is widened by this before it limits an area.
constexpr int32_t kStaveRepaintSlack = 32;

// The box widened by the item's margins (units per side) and limited to the
// staves it overlaps.
ScoreBox EditItemArea(const uint8_t* item, size_t available, const ScoreBox& box, int32_t unitX,
                      int32_t unitY, const StaveRowTable& staves);

// The repaint area of the edit item around the given box, handed to the
// view's invalidation hook; returned as well.
ScoreBox InvalidateEditItemArea(ScoreViewItems& view, int32_t left, int32_t top, int32_t right,
                                int32_t bottom);
