// Writing the edit item back: over the selected item, beside it or not at
// all (the selected item removed). Every editor operation ends here: a
// snapshot first when asked, then the write through the stream writes, the
// voice stamp, the clef and key propagation, and the bar put in order.
#pragma once

#include "score/ItemSelection.h"

constexpr unsigned kStrNoMemoryForObject = 10000;

// replace: over the selected item; else after it (before it when the
// editor's insert-before flag is set), and the new item becomes the
// selected one. stampVoice: the keypad's current voice goes into the item.
// pushUndo: a snapshot first (not while a multi-selection is worked through).
// A chord without notes is never written: over the selected item it removes
// it. 1 when the stream changed.
int WriteEditItem(ScoreViewItems& view, bool replace, bool stampVoice, bool pushUndo);
// WriteEditItem, with the clef or key change carried forward when
// propagation is on.
int CommitEditItem(ScoreViewItems& view, bool replace, bool stampVoice, bool pushUndo);
// Removes the selected item. The first clef of a stave row stays; the first
// key signature becomes the empty key signature. A removed chord hides the
// ties of its voice that lead to it. 1 when the stream changed.
int RemoveSelectedItem(ScoreViewItems& view, bool pushUndo);
