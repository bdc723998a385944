// Bar lines and time signatures belong to every part at once, and so does a
// key signature written with Ctrl: such an item is written, replaced or
// removed at the matching place of every part of the current page (the same
// system, counted by system marks, and the same ordinal among the items of
// its kind there). A key signature skips tablature and percussion parts.
#pragma once

#include <cstdint>

#include "score/ItemSelection.h"

constexpr unsigned kStrPartsDifferInSystems = 10450;

// The edit item at the selected row's place in every part (replace), or
// beside it (insert: after the selected item, before it with insertBefore).
// Refused with a message, nothing written, unless every part has the place.
// 1 when written.
int WriteBarStructure(ScoreViewItems& view, bool replace, bool insertBefore);
// Removes the selected item's counterparts in every part; refused as above.
int RemoveBarStructure(ScoreViewItems& view);

// Whether an item goes to every part: bar lines and time signatures, and key
// signatures with ctrl.
bool IsBarStructureItem(const uint8_t* item, bool ctrl);
