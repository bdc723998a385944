// Cutting touching characters of one text line. Passes: column profile,
// cut candidates and their scores, chains of candidates, labelling by flood
// fill, cut links, small-object merging, ordering, the merging pass and the
// clearances between objects.
#include "Code/Quorm/Findcuts.h"

#include <algorithm>
#include <cstring>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Ocrmisc.h"

namespace {

struct CutCandidate {
  int32_t column;
  int32_t firstRow;
  int32_t endRow;
  int32_t score;
  int32_t flags;  // bit 0 visited, bit 1 dropped, bit 2 touches two or more runs
  int32_t run;
};
constexpr int32_t kVisited = 1, kDropped = 2, kMultiple = 4;
constexpr int32_t kMaxChain = 200;

struct CutLink {
  int32_t other;
  int32_t weight;
};

// The line and the call's statistics.
struct CutState {
  LineRun* runs;
  int32_t runCount;
  int32_t width;
  int32_t height;
  int32_t totalInk;
  int32_t inkedColumns;
  int32_t candidateCount;
  int32_t objectCount;
};
CutState state = {};

// The work tables (engine heap), freed by FreeCutWork.
int32_t* columnStart = nullptr;  // width + 1: first run of each column
int32_t* extent = nullptr;
int32_t* ink = nullptr;
int32_t* extentInk = nullptr;
int32_t* profile = nullptr;      // half-column steps: 2 x width
int32_t* smoothed = nullptr;
CutCandidate* candidates = nullptr;
int32_t* queue = nullptr;
CutLink* links = nullptr;        // kMaxCutLinks per object
CutObject* work = nullptr;       // the objects while they are built
int32_t* order = nullptr;

template <class T>
void Take(T*& slot, int64_t count) {
  EngineFree(slot);
  EngineAllocZeroedChecked(slot, sizeof(T) * static_cast<size_t>(std::max<int64_t>(count, 1)));
}

int32_t Overlap(int32_t a0, int32_t a1, int32_t b0, int32_t b1) { return std::min(a1, b1) - std::max(a0, b0); }

// ---- 1, 2: the column profile ----
void ColumnProfile() {
  const int32_t w = state.width;
  Take(columnStart, w + 1);
  Take(extent, w);
  Take(ink, w);
  Take(extentInk, w);
  Take(profile, 2 * w);
  Take(smoothed, 2 * w);
  int32_t r = 0;
  for (int32_t c = 0; c < w; ++c) {
    columnStart[c] = r;
    int32_t first = 0, last = 0, sum = 0;
    bool any = false;
    for (; r < state.runCount && state.runs[r].column == c; ++r) {
      const LineRun& run = state.runs[r];
      if (!any) first = run.firstRow;
      first = std::min(first, run.firstRow);
      last = std::max(last, run.endRow);
      sum += run.endRow - run.firstRow;
      any = true;
    }
    if (!any) continue;
    extent[c] = last - first;
    ink[c] = sum;
    extentInk[c] = extent[c] + sum;
    profile[2 * c] += sum * 512;
    if (2 * c + 1 < 2 * w) profile[2 * c + 1] += sum * 512;
    state.totalInk += sum;
    ++state.inkedColumns;
  }
  columnStart[w] = r;
  int32_t largest = 0;
  for (int32_t c = 0; c < w; ++c) largest = std::max(largest, extent[c]);
  int64_t sum = 0;
  int32_t n = 0;
  for (int32_t c = 0; c < w; ++c)
    if (extent[c] > 0 && 4 * extent[c] >= largest) {
      sum += extent[c];
      ++n;
    }
  ENGINE_CHECK(n > 0);
  state.height = std::max<int32_t>(4, static_cast<int32_t>(2 * sum / n));
  SmoothCutProfile(smoothed, profile, 2 * w, 32 * state.height);
}

// Ink of column c reaching above row y (positive) and below row y (positive).
int32_t ReachAbove(int32_t c, int32_t y) {
  if (c < 0 || c >= state.width || columnStart[c] == columnStart[c + 1]) return 0;
  return y - state.runs[columnStart[c]].firstRow;
}
int32_t ReachBelow(int32_t c, int32_t y) {
  if (c < 0 || c >= state.width || columnStart[c] == columnStart[c + 1]) return 0;
  int32_t last = 0;
  for (int32_t r = columnStart[c]; r < columnStart[c + 1]; ++r) last = std::max(last, state.runs[r].endRow);
  return last - y;
}

// ---- 3, 4: candidates and their scores ----
void FindCandidates() {
  const int32_t h = state.height;
  Take(candidates, kMaxCutCandidates);
  const int32_t a = std::max(600 * state.totalInk / std::max(1, state.inkedColumns), 200 * h);
  const int32_t limit = a < 1024 ? 1 : DivRound(a, 1024);
  const int32_t margin = std::max(h / 16, 1);
  for (int32_t r = 0; r < state.runCount; ++r) {
    const LineRun& run = state.runs[r];
    const int32_t c = run.column;
    int32_t overlap = 0, touching = 0;
    if (c > 0)
      for (int32_t p = columnStart[c - 1]; p < columnStart[c]; ++p) {
        const int32_t o = Overlap(run.firstRow, run.endRow, state.runs[p].firstRow, state.runs[p].endRow);
        if (o > 0) {
          overlap += o;
          ++touching;
        }
      }
    // A run that touches nothing on its left has nothing to cut.
    if (touching == 0 || overlap > limit || c < margin || c > state.width - 1 - margin) continue;
    if (state.candidateCount == kMaxCutCandidates) break;
    CutCandidate& k = candidates[state.candidateCount++];
    k = {c, run.firstRow, run.endRow, overlap * 1024, touching >= 2 ? kMultiple : 0, r};
  }
  for (int32_t i = 0; i < state.candidateCount; ++i) {
    CutCandidate& k = candidates[i];
    const int32_t x = 2 * k.column;
    k.score += smoothed[x] * 64 / 1024;
    const int32_t left = x > 0 ? smoothed[x - 1] : smoothed[x];
    const int32_t right = x + 1 < 2 * state.width ? smoothed[x + 1] : smoothed[x];
    if (smoothed[x] <= left && smoothed[x] <= right) {
      const int64_t second = static_cast<int64_t>(left) + right - 2LL * smoothed[x];
      k.score -= static_cast<int32_t>(std::min<int64_t>(3 * k.score / 4, second * 64 / 1024));
    }
    // Ink reaching past the run on both sides, above and below: a joint
    // between two characters rather than a stroke inside one.
    const int32_t above = std::min(ReachAbove(k.column - 2, k.firstRow), ReachAbove(k.column + 1, k.firstRow));
    const int32_t below = std::min(ReachBelow(k.column - 2, k.endRow), ReachBelow(k.column + 1, k.endRow));
    const int32_t side = std::max(above, 0) + std::max(below, 0);
    k.score -= std::min(3 * k.score / 4, 400 * side);
  }
}

// ---- 5, 6: chains and the limit ----
void DropChainNonMinima() {
  int32_t chain[kMaxChain];
  for (int32_t i = 0; i < state.candidateCount; ++i) {
    if (candidates[i].flags & (kVisited | kMultiple)) continue;
    int32_t n = 0;
    chain[n++] = i;
    candidates[i].flags |= kVisited;
    // Follow the chain to the right: a candidate in the next column whose
    // rows overlap the last one's.
    for (int32_t j = i + 1; j < state.candidateCount && n < kMaxChain; ++j) {
      const CutCandidate& last = candidates[chain[n - 1]];
      CutCandidate& next = candidates[j];
      if (next.column > last.column + 1) break;
      if (next.column != last.column + 1 || (next.flags & (kVisited | kMultiple))) continue;
      if (Overlap(last.firstRow, last.endRow, next.firstRow, next.endRow) <= 0) continue;
      next.flags |= kVisited;
      chain[n++] = j;
    }
    for (int32_t k = 0; k < n; ++k) {
      const int32_t s = candidates[chain[k]].score;
      const bool hasLeft = k > 0, hasRight = k + 1 < n;
      const int32_t l = hasLeft ? candidates[chain[k - 1]].score : 0;
      const int32_t r = hasRight ? candidates[chain[k + 1]].score : 0;
      bool drop = (hasLeft && s > l) || (hasRight && s > r) || (hasLeft && hasRight && s == l && s == r);
      if (drop) candidates[chain[k]].flags |= kDropped;
    }
  }
  int32_t kept = 0;
  for (int32_t i = 0; i < state.candidateCount; ++i)
    if (!(candidates[i].flags & kDropped)) candidates[kept++] = candidates[i];
  state.candidateCount = kept;

  const int32_t most = DivRound(10 * state.inkedColumns, state.height);
  if (state.candidateCount > most) {
    std::stable_sort(candidates, candidates + state.candidateCount,
                     [](const CutCandidate& a, const CutCandidate& b) { return a.score < b.score; });
    state.candidateCount = std::max(0, most);
    std::sort(candidates, candidates + state.candidateCount,
              [](const CutCandidate& a, const CutCandidate& b) { return a.run < b.run; });
  }
  for (int32_t i = 0; i < state.candidateCount; ++i) {
    candidates[i].score = 24 * candidates[i].score / state.height;
    state.runs[candidates[i].run].cut = 1;
  }
}

// ---- 9: labelling ----
// Appends a run to the fill queue. Only entries already processed are ever
// dropped to make room; a queue full of waiting runs grows instead.
void Enqueue(int32_t run, int32_t& head, int32_t& tail, int32_t& capacity) {
  if (tail == capacity) {
    if (head > 0) {
      std::memmove(queue, queue + head, sizeof(int32_t) * static_cast<size_t>(tail - head));
      tail -= head;
      head = 0;
    } else {
      GrowEngineArrayChecked(queue, capacity, kCutQueueLimit);
    }
  }
  queue[tail++] = run;
}

void LabelObjects(int32_t maxObjects) {
  Take(queue, kCutQueueLimit);
  int32_t capacity = kCutQueueLimit;
  for (int32_t start = 0; start < state.runCount && state.objectCount < maxObjects; ++start) {
    if (state.runs[start].label != 0) continue;
    const int32_t label = state.objectCount + 1;
    CutObject& o = work[state.objectCount++];
    o = {};
    o.label = label;
    o.firstRun = start;
    o.endRun = start + 1;
    o.top = state.runs[start].firstRow;
    o.bottom = state.runs[start].endRow;
    o.firstColumn = state.runs[start].column;
    o.endColumn = o.firstColumn + 1;
    int32_t head = 0, tail = 0;
    state.runs[start].label = label;
    Enqueue(start, head, tail, capacity);
    while (head < tail) {
      const LineRun run = state.runs[queue[head++]];
      for (int32_t c = run.column - 1; c <= run.column + 1; c += 2) {
        if (c < 0 || c >= state.width) continue;
        for (int32_t r = columnStart[c]; r < columnStart[c + 1]; ++r) {
          LineRun& next = state.runs[r];
          if (next.label != 0 || next.cut) continue;
          if (Overlap(run.firstRow, run.endRow, next.firstRow, next.endRow) <= 0) continue;
          next.label = label;
          o.firstRun = std::min(o.firstRun, r);
          o.endRun = std::max(o.endRun, r + 1);
          o.top = std::min(o.top, next.firstRow);
          o.bottom = std::max(o.bottom, next.endRow);
          o.firstColumn = std::min(o.firstColumn, next.column);
          o.endColumn = std::max(o.endColumn, next.column + 1);
          Enqueue(r, head, tail, capacity);
        }
      }
    }
  }
}

// The object of a run's label, or -1 for a run that belongs to none.
int32_t ObjectOfRun(int32_t r) { return state.runs[r].label - 1; }

// ---- 10: cut links ----
void AddLink(int32_t from, int32_t to, int32_t weight) {
  CutObject& o = work[from];
  CutLink* list = links + static_cast<size_t>(from) * kMaxCutLinks;
  for (int32_t i = 0; i < o.linkCount; ++i)
    if (list[i].other == to) {
      list[i].weight += weight;
      return;
    }
  if (o.linkCount < kMaxCutLinks) list[o.linkCount++] = {to, weight};
}

void LinkCuts() {
  Take(links, static_cast<int64_t>(state.objectCount) * kMaxCutLinks);
  for (int32_t i = 0; i < state.objectCount; ++i) work[i].firstLink = i * kMaxCutLinks;
  for (int32_t i = 0; i < state.candidateCount; ++i) {
    const CutCandidate& k = candidates[i];
    const int32_t b = ObjectOfRun(k.run);
    if (b < 0 || k.column == 0) continue;
    for (int32_t r = columnStart[k.column - 1]; r < columnStart[k.column]; ++r) {
      const int32_t o = Overlap(k.firstRow, k.endRow, state.runs[r].firstRow, state.runs[r].endRow);
      const int32_t a = ObjectOfRun(r);
      if (o <= 0 || a < 0 || a == b) continue;
      AddLink(a, b, o);
      AddLink(b, a, o);
    }
  }
}

void RemoveLink(int32_t from, int32_t to) {
  CutObject& o = work[from];
  CutLink* list = links + static_cast<size_t>(from) * kMaxCutLinks;
  for (int32_t i = 0; i < o.linkCount; ++i)
    if (list[i].other == to) {
      std::memmove(list + i, list + i + 1, sizeof(CutLink) * static_cast<size_t>(o.linkCount - i - 1));
      --o.linkCount;
      return;
    }
}

// Joins object from into object into: runs, box and run range.
void Unite(int32_t into, int32_t from) {
  CutObject& a = work[into];
  const CutObject& b = work[from];
  for (int32_t r = b.firstRun; r < b.endRun; ++r)
    if (state.runs[r].label == b.label) state.runs[r].label = a.label;
  a.firstRun = std::min(a.firstRun, b.firstRun);
  a.endRun = std::max(a.endRun, b.endRun);
  a.top = std::min(a.top, b.top);
  a.bottom = std::max(a.bottom, b.bottom);
  a.firstColumn = std::min(a.firstColumn, b.firstColumn);
  a.endColumn = std::max(a.endColumn, b.endColumn);
}

// ---- 11: small objects ----
void MergeSmallObjects() {
  const int32_t h = state.height;
  const int32_t maxHeight = DivRound(400 * h, 1024), maxWidth = DivRound(100 * h, 1024);
  for (bool merged = true; merged;) {
    merged = false;
    for (int32_t i = 0; i < state.objectCount; ++i) {
      CutObject& o = work[i];
      if (o.linkCount != 1 || o.bottom - o.top > maxHeight || o.endColumn - o.firstColumn > maxWidth) continue;
      const int32_t into = links[o.firstLink].other;
      if (into < 0 || into >= state.objectCount || work[into].linkCount < 0) continue;
      Unite(into, i);
      RemoveLink(into, i);
      // Links to the merged object from elsewhere now lead to the survivor.
      for (int32_t k = 0; k < state.objectCount; ++k) {
        if (work[k].linkCount <= 0) continue;
        CutLink* list = links + work[k].firstLink;
        for (int32_t l = 0; l < work[k].linkCount; ++l)
          if (list[l].other == i) list[l].other = into;
      }
      o.linkCount = -1;
      merged = true;
    }
  }
}

// ---- 12: order ----
int64_t PlacementCost(const CutObject& c, const CutObject& p, const int32_t* placed, int32_t placedCount) {
  int32_t w = 0;
  const CutLink* list = links + c.firstLink;
  for (int32_t l = 0; l < c.linkCount; ++l)
    for (int32_t k = std::max(0, placedCount - 10); k < placedCount; ++k)
      if (placed[k] == list[l].other) w += list[l].weight;
  const int64_t along = 7LL * (c.firstColumn + c.endColumn - p.firstColumn - p.endColumn);
  const int64_t across = static_cast<int64_t>(c.top) + c.bottom - p.top - p.bottom;
  return 128 * (along + across) - static_cast<int64_t>(state.height) * w * 100 / 1024;
}

void OrderObjects() {
  Take(order, state.objectCount);
  int32_t live = 0;
  for (int32_t i = 0; i < state.objectCount; ++i)
    if (work[i].linkCount >= 0) order[live++] = i;
  int32_t dead = 0;
  for (int32_t i = 0; i < state.objectCount; ++i)
    if (work[i].linkCount < 0) order[live + dead++] = i;
  ENGINE_CHECK(live + dead == state.objectCount);
  // Placed greedily from the labelling's order.
  for (int32_t pos = 1; pos < live; ++pos) {
    const CutObject& p = work[order[pos - 1]];
    int32_t best = pos;
    int64_t bestCost = PlacementCost(work[order[pos]], p, order, pos);
    for (int32_t k = pos + 1; k < live && k <= pos + 17; ++k) {
      const int64_t cost = PlacementCost(work[order[k]], p, order, pos);
      if (cost < bestCost) {
        bestCost = cost;
        best = k;
      }
    }
    const int32_t chosen = order[best];
    std::memmove(order + pos + 1, order + pos, sizeof(int32_t) * static_cast<size_t>(best - pos));
    order[pos] = chosen;
  }
  // Cut strengths: a link's weight counts for every object from just after
  // its target up to the object itself.
  int32_t* place = nullptr;
  EngineAllocZeroedChecked(place, sizeof(int32_t) * static_cast<size_t>(std::max(1, state.objectCount)));
  for (int32_t pos = 0; pos < live; ++pos) place[order[pos]] = pos;
  int32_t* strength = nullptr;
  EngineAllocZeroedChecked(strength, sizeof(int32_t) * static_cast<size_t>(std::max(1, live)));
  for (int32_t pos = 0; pos < live; ++pos) {
    const CutObject& o = work[order[pos]];
    const CutLink* list = links + o.firstLink;
    for (int32_t l = 0; l < o.linkCount; ++l) {
      const int32_t target = list[l].other;
      if (target < 0 || target >= state.objectCount || work[target].linkCount < 0) continue;
      for (int32_t q = place[target] + 1; q <= pos; ++q) strength[q] += list[l].weight;
    }
  }
  // Permute the records; labels follow the new order.
  CutObject* sorted = nullptr;
  EngineAllocZeroedChecked(sorted, sizeof(CutObject) * static_cast<size_t>(std::max(1, live)));
  for (int32_t pos = 0; pos < live; ++pos) {
    sorted[pos] = work[order[pos]];
    sorted[pos].cutStrength = strength[pos];
  }
  int32_t* relabel = nullptr;
  EngineAllocZeroedChecked(relabel, sizeof(int32_t) * static_cast<size_t>(state.objectCount + 1));
  for (int32_t pos = 0; pos < live; ++pos) relabel[sorted[pos].label] = pos + 1;
  for (int32_t r = 0; r < state.runCount; ++r) {
    LineRun& run = state.runs[r];
    if (run.label > 0 && run.label <= state.objectCount) run.label = relabel[run.label];
  }
  for (int32_t pos = 0; pos < live; ++pos) {
    sorted[pos].label = pos + 1;
    work[pos] = sorted[pos];
    work[pos].linkCount = 0;
  }
  state.objectCount = live;
  EngineFree(relabel);
  EngineFree(sorted);
  EngineFree(strength);
  EngineFree(place);
}

// ---- 13: the merging pass ----
int32_t PairValue(const CutObject& a, const CutObject& b) {
  const int32_t wa = a.endColumn - a.firstColumn, wb = b.endColumn - b.firstColumn;
  const int32_t overlap = std::min(a.endColumn, b.endColumn) - std::max(a.firstColumn, b.firstColumn);
  const int32_t gap = std::max(0, std::max(a.top, b.top) - std::min(a.bottom, b.bottom));
  return 4 * std::min(std::min(wa, wb), overlap) - gap;
}

void MergingPass(int32_t maxObjects) {
  const int32_t h = state.height;
  int32_t tw = DivRound(80 * h, 1024), th = DivRound(400 * h, 1024);
  const int32_t target = std::min(DivRound(5 * state.inkedColumns, h), maxObjects);
  // Each record carries its runs' label; labels stay fixed while records
  // move, and are renumbered at the end.
  for (;;) {
    for (int32_t k = 0; k < state.objectCount;) {
      const CutObject& o = work[k];
      const int32_t height = o.bottom - o.top, width = o.endColumn - o.firstColumn;
      if (state.objectCount < 2 || height > th || width > tw) {
        ++k;
        continue;
      }
      int32_t left = -1, right = -1;
      if (k + 1 < state.objectCount)
        right = std::max(0, DivRound(PairValue(o, work[k + 1]) * 1024, 2 * h) + work[k + 1].cutStrength / 5);
      if (k > 0) left = std::max(0, DivRound(PairValue(work[k - 1], o) * 1024, 2 * h) + o.cutStrength / 5);
      const bool toLeft = left >= 0 && left >= right;
      const int32_t chosen = toLeft ? left : right;
      const int32_t other = toLeft ? std::max(0, right) : std::max(0, left);
      const int32_t s = DivRound((height + 5 * width) * 1024, h);
      if (chosen - other / 2 > s) {
        const int32_t keep = toLeft ? k - 1 : k;
        const int32_t gone = keep + 1;
        const int32_t goneLabel = work[gone].label, keepLabel = work[keep].label;
        for (int32_t r = work[gone].firstRun; r < work[gone].endRun; ++r)
          if (state.runs[r].label == goneLabel) state.runs[r].label = keepLabel;
        CutObject& a = work[keep];
        const CutObject& b = work[gone];
        a.firstRun = std::min(a.firstRun, b.firstRun);
        a.endRun = std::max(a.endRun, b.endRun);
        a.top = std::min(a.top, b.top);
        a.bottom = std::max(a.bottom, b.bottom);
        a.firstColumn = std::min(a.firstColumn, b.firstColumn);
        a.endColumn = std::max(a.endColumn, b.endColumn);
        std::memmove(work + gone, work + gone + 1,
                     sizeof(CutObject) * static_cast<size_t>(state.objectCount - gone - 1));
        --state.objectCount;
        k = keep;  // examine the same index again
        continue;
      }
      ++k;
    }
    if (state.objectCount <= target) break;
    ++tw;
    th += 4;
    if (tw >= h / 8) break;
  }
  // Renumber: record i carries label i + 1, and so do its runs.
  int32_t* relabel = nullptr;
  int32_t most = 0;
  for (int32_t i = 0; i < state.objectCount; ++i) most = std::max(most, work[i].label);
  EngineAllocZeroedChecked(relabel, sizeof(int32_t) * static_cast<size_t>(most + 1));
  for (int32_t i = 0; i < state.objectCount; ++i) relabel[work[i].label] = i + 1;
  for (int32_t r = 0; r < state.runCount; ++r) {
    LineRun& run = state.runs[r];
    run.label = run.label > 0 && run.label <= most ? relabel[run.label] : 0;
  }
  for (int32_t i = 0; i < state.objectCount; ++i) work[i].label = i + 1;
  EngineFree(relabel);
}

// ---- 14: clearances ----
// For each object that no cut link reaches, the gap row by row between the
// ink of the objects before it and the ink of it and those after it.
void Clearances() {
  const int32_t h = state.height;
  int32_t top = INT32_MAX, bottom = 0;
  for (int32_t i = 0; i < state.objectCount; ++i) {
    top = std::min(top, work[i].top);
    bottom = std::max(bottom, work[i].bottom);
  }
  if (state.objectCount < 2 || bottom <= top) return;
  const int32_t rows = bottom - top;
  int32_t* rightEdge = nullptr;  // per row: 3 column + row of the left group
  int32_t* leftEdge = nullptr;   // per row: 3 column - row of the right group
  EngineAllocChecked(rightEdge, sizeof(int32_t) * static_cast<size_t>(rows));
  EngineAllocChecked(leftEdge, sizeof(int32_t) * static_cast<size_t>(rows));
  int32_t previous = 0;
  for (int32_t k = 1; k < state.objectCount; ++k) {
    if (work[k].cutStrength >= 1) continue;
    int32_t next = state.objectCount - 1;
    for (int32_t j = k + 1; j < state.objectCount; ++j)
      if (work[j].cutStrength < 1) {
        next = j;
        break;
      }
    const int32_t from = std::max(0, std::min(previous, k - 5));
    const int32_t to = std::min(state.objectCount - 1, std::max(next, k + 5));
    for (int32_t y = 0; y < rows; ++y) {
      rightEdge[y] = INT32_MIN;
      leftEdge[y] = INT32_MAX;
    }
    for (int32_t r = 0; r < state.runCount; ++r) {
      const LineRun& run = state.runs[r];
      const int32_t o = run.label - 1;
      if (o < from || o > to) continue;
      for (int32_t y = run.firstRow; y < run.endRow; ++y) {
        if (o < k)
          rightEdge[y - top] = std::max(rightEdge[y - top], 3 * run.column + (y - top));
        else
          leftEdge[y - top] = std::min(leftEdge[y - top], 3 * run.column - (y - top));
      }
    }
    // Widen the boundaries: one unit every three rows forward, every four
    // rows backward.
    for (int32_t y = 1; y < rows; ++y)
      if (rightEdge[y - 1] != INT32_MIN) rightEdge[y] = std::max(rightEdge[y], rightEdge[y - 1] - 1 + (y % 3 == 0));
    for (int32_t y = rows - 2; y >= 0; --y)
      if (leftEdge[y + 1] != INT32_MAX) leftEdge[y] = std::min(leftEdge[y], leftEdge[y + 1] + 1 - (y % 4 == 0));
    int64_t smallest = INT32_MAX, sum = 0;
    int32_t n = 0;
    for (int32_t y = 0; y < rows; ++y) {
      if (rightEdge[y] == INT32_MIN || leftEdge[y] == INT32_MAX) continue;
      const int64_t gap = static_cast<int64_t>(leftEdge[y]) - rightEdge[y];
      smallest = std::min(smallest, gap);
      sum += gap;
      ++n;
    }
    if (n > 0) {
      const int64_t a = std::max<int64_t>(0, smallest);
      const int64_t b = std::max<int64_t>(0, sum / n - h / 10);
      work[k].clearance = static_cast<int32_t>(std::min<int64_t>(INT32_MAX, (15 * a + b) / 8));
    }
    previous = k;
  }
  EngineFree(rightEdge);
  EngineFree(leftEdge);
}

}  // namespace

void SetCutLine(LineRun* runs, int32_t runCount, int32_t width) {
  ENGINE_CHECK(runCount >= 0 && width >= 0);
  ENGINE_CHECK(runCount == 0 || runs != nullptr);
  state = {};
  state.runs = runs;
  state.runCount = runCount;
  state.width = width;
}

void CutTouchingObjects(CutResult* result, CutObject* objects, int32_t maxObjects) {
  ENGINE_CHECK_POINTER(result);
  *result = {};
  ENGINE_CHECK(maxObjects >= 0);
  for (int32_t r = 0; r < state.runCount; ++r) {
    LineRun& run = state.runs[r];
    ENGINE_CHECK(run.column >= 0 && run.column < state.width && run.firstRow < run.endRow);
    ENGINE_CHECK(r == 0 || run.column >= state.runs[r - 1].column);
    run.label = 0;
    run.cut = 0;
  }
  if (state.runCount == 0 || maxObjects == 0) {
    FreeCutWork();
    return;
  }
  ENGINE_CHECK_POINTER(objects);
  ColumnProfile();
  FindCandidates();
  DropChainNonMinima();
  Take(work, std::min(maxObjects, state.runCount));
  LabelObjects(std::min(maxObjects, state.runCount));
  LinkCuts();
  MergeSmallObjects();
  OrderObjects();
  MergingPass(maxObjects);
  Clearances();
  for (int32_t i = 0; i < state.objectCount; ++i) objects[i] = work[i];
  *result = {state.objectCount, state.totalInk, state.inkedColumns, state.height};
  FreeCutWork();
}

void FreeCutWork() {
  EngineFree(columnStart);
  EngineFree(extent);
  EngineFree(ink);
  EngineFree(extentInk);
  EngineFree(profile);
  EngineFree(smoothed);
  EngineFree(candidates);
  EngineFree(queue);
  EngineFree(links);
  EngineFree(work);
  EngineFree(order);
  state = {};
}
