// Keeping a bar in order after an edit: the chords and rests of the selected
// bar in the order of their x positions, the beams and stems of the bar in
// agreement, and the tuplets and other attached marks of a stave in front of
// the chord or rest that they are drawn at. The item index rows follow every
// move of the stream's bytes.
#pragma once

#include <cstdint>

#include "score/ItemSelection.h"
#include "score/ScoreItem.h"

// Moves the chords and rests of the selected row's bar so that their stream
// order follows the x order of their rows (an item goes in front of the
// marks that lead the chord it now precedes). Returns the selection's new
// offset, 0 with no selection; moved tells whether anything moved.
uint32_t ReorderBarItemsByPosition(ScoreViewItems& view, bool* moved = nullptr);

// Brings the beam bits and stems of the selected row's bar into agreement,
// voice by voice; returns the number of chords changed.
int NormaliseSelectedBar(ScoreViewItems& view);

// The first bytes of the marks that stand in front of the chord or rest they
// belong to.
constexpr uint8_t kAttachedTupletByte = kBracketTupletByte;
constexpr uint8_t kAttachedPedalByte = kMarkBit7 | kMarkPedal << 3 | kItemMark;
constexpr uint8_t kAttachedOrnamentByte = kMarkBit7 | kMarkOrnament << 3 | kItemMark;

// Moves each such mark of a part's stave (stave -1: every stave) in front
// of the nearest chord or rest of its voice on the same stave (box centres,
// the first row on a tie), then fills the part's tuplet durations. Returns
// the number of marks moved; a stave row outside the view's stave table
// changes nothing and leaves a trace.
int RelayoutStaveItems(ScoreViewItems& view, int part, int32_t stave);
