// How one change of a part stream moved what lies in it, so that places
// held by offset across the change (a mark waiting for its end, a bar's
// start, a beam group's start) can be carried to where their items now lie.
// The same description serves the page's object box rows, kept parallel to
// the stream one row per boxed item.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

// The run [start, oldEnd) of a sequence became [start, newEnd); each item
// kept from the old run now begins at its new place; everything from oldEnd
// on moved by newEnd - oldEnd. Default: nothing moved.
struct RunRewrite {
  uint32_t start = 0, oldEnd = 0, newEnd = 0;
  std::vector<std::pair<uint32_t, uint32_t>> kept;  // (old place, new place), in old order
};

// n items inserted at at: an empty run that became n long.
RunRewrite InsertionRewrite(uint32_t at, uint32_t n);
// The same rewrite told from a sequence that begins by places earlier.
void MoveRunRewrite(RunRewrite* rewrite, uint32_t by);

// What a held place names. An item follows its item, also when something
// is inserted in front of it. A boundary (a bar's start) marks where a run
// begins: what is inserted at it falls inside the run, so it stays there.
enum class HeldPlace { kItem, kBoundary };

// Where a place held across the rewrite now lies. Negative places (nothing
// held) stay. Before the run, and a boundary at its start: unchanged. Inside
// the run: the new place of the item there, or, when that item went, of the
// first kept item after it (the run's new end when none). From the old end
// on: moved with the tail.
int64_t PlaceAfterRewrite(const RunRewrite& rewrite, int64_t place, HeldPlace kind);

// One change of a part stream: its bytes and its object box rows (rows
// untouched when the change kept no boxes).
struct StreamRewrite {
  RunRewrite bytes;
  RunRewrite rows;
};
