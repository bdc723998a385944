// The tuplet-bracket finder. A bracket is a component whose columns are
// nearly all thin, whose top or bottom profile is a straight line (least
// squares), and which has a hook reaching well past that line in one of the
// zones at its ends.
#include "Code/Quorm/findtupb.h"

#include <cmath>
#include <cstring>

#include "Code/Quorm/Bitstrea.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Intmath.h"

namespace {

FoundTupletBracket gBrackets[kMaxTupletBrackets];
int32_t gCount = 0;

// Work blocks of one test, freed on every way out.
struct BracketWork {
  uint8_t* image = nullptr;
  int32_t* top = nullptr;
  int32_t* bottom = nullptr;
  int32_t* xs = nullptr;
  ~BracketWork() {
    EngineFree(image);
    EngineFree(top);
    EngineFree(bottom);
    EngineFree(xs);
  }
};

int32_t TestBracket(const ConnectedComponent& component, BracketWork& work, FoundTupletBracket* out) {
  const int32_t h = component.rows;
  const int32_t w = component.columns;
  const int32_t t = component.top;
  // Column profiles: first and last black row (-1 for an empty column).
  EngineAllocZeroedChecked(work.image, static_cast<size_t>(h) * static_cast<size_t>(w));
  UnpackBits(work.image, h, w, component.bits);
  EngineAllocChecked(work.top, sizeof(int32_t) * static_cast<size_t>(w));
  EngineAllocChecked(work.bottom, sizeof(int32_t) * static_cast<size_t>(w));
  for (int32_t c = 0; c < w; ++c) {
    work.top[c] = -1;
    work.bottom[c] = -1;
    for (int32_t r = 0; r < h; ++r) {
      if (!work.image[static_cast<size_t>(r) * w + c]) continue;
      if (work.top[c] < 0) work.top[c] = r;
      work.bottom[c] = r;
    }
  }
  // Thin columns between the margins, and within the hook zones' inner part.
  const int32_t e = ScaleToPixels(40) + 1;
  const int32_t m = ScaleToPixels(10) + 1;
  const int32_t thinLimit = ScaleToPixels(30);
  int32_t thin = 0;
  int32_t inner = 0;
  for (int32_t c = m; c <= w - m - 1; ++c) {
    if (work.bottom[c] - work.top[c] > thinLimit) continue;
    ++thin;
    if (c >= e && c <= w - e - 1) ++inner;
  }
  const int32_t n = w - 2 * e;
  if (n < 20 * (n - inner) || thin < ScaleToPixels(80)) return 0;
  // Straight lines through the top and the bottom profile, columns counted
  // from the margin.
  const int32_t count = w - 2 * m;
  if (count < 1) return 0;
  EngineAllocChecked(work.xs, sizeof(int32_t) * static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) work.xs[i] = i;
  const LinearFitResult topLine = LinearFit(work.xs, work.top + m, count);
  const LinearFitResult bottomLine = LinearFit(work.xs, work.bottom + m, count);
  // The fit's residual is already the mean squared distance per column.
  const double v = ScaleToPixelsExact(10) * ScaleToPixelsExact(10);
  if (topLine.residual > v && bottomLine.residual > v) return 0;
  if (std::fabs(topLine.slope) > 0.5 && std::fabs(bottomLine.slope) > 0.5) return 0;
  // The straighter edge is the line. When both edges are straight (a thin
  // line whose hooks lie in the margins) the hooks tell which one it is:
  // the other edge is tried when the straighter one shows no hook.
  const int32_t reach = ScaleToPixels(60);
  int32_t opening = topLine.residual <= bottomLine.residual ? 0 : 1;
  int32_t leftHook = 0;
  int32_t rightHook = 0;
  const int32_t tries = topLine.residual <= v && bottomLine.residual <= v && std::fabs(topLine.slope) <= 0.5 &&
                               std::fabs(bottomLine.slope) <= 0.5
                           ? 2
                           : 1;
  for (int32_t attempt = 0; attempt < tries && !leftHook && !rightHook; ++attempt) {
    if (attempt == 1) opening = 1 - opening;
    const LinearFitResult& edge = opening == 0 ? topLine : bottomLine;
    auto hookAt = [&](int32_t c) {
      if (work.top[c] < 0) return false;
      const int32_t row = RoundToInt(edge.slope * (c - m) + edge.intercept);
      return opening == 0 ? work.bottom[c] > row + reach : work.top[c] < row - reach;
    };
    for (int32_t c = 0; c < e && c < w; ++c)
      if (hookAt(c)) leftHook = 1;
    for (int32_t c = MaxOfInts(0, w - e); c < w; ++c)
      if (hookAt(c)) rightHook = 1;
  }
  const LinearFitResult& line = opening == 0 ? topLine : bottomLine;
  if (!leftHook && !rightHook) return 0;
  if (leftHook && rightHook && w < ScaleToPixels(300)) return 0;
  out->leftY = t + RoundToInt(line.intercept - m * line.slope);
  out->leftX = component.left;
  out->rightY = t + RoundToInt(line.slope * (w - m) + line.intercept);
  out->rightX = component.left + w;
  out->opening = opening;
  out->leftHook = leftHook;
  out->rightHook = rightHook;
  return 1;
}

}  // namespace

int32_t IsTupletBracketComponent(const ConnectedComponent& component, FoundTupletBracket* out) {
  ENGINE_CHECK_POINTER(out);
  const int32_t h = component.rows;
  const int32_t w = component.columns;
  if (w < ScaleToPixels(100) || w > ScaleToPixels(2000) || h < ScaleToPixels(70) || h > ScaleToPixels(600)) return 0;
  if (w <= 0 || h <= 0 || component.bits == nullptr) return 0;
  BracketWork work;
  return TestBracket(component, work, out);
}

void DetectTupletBrackets() {
  gCount = 0;
  const int32_t n = GetComponentCount();
  for (int32_t i = 0; i < n && gCount < kMaxTupletBrackets; ++i) {
    FoundTupletBracket bracket{};
    if (IsTupletBracketComponent(*GetComponentRecord(i), &bracket)) gBrackets[gCount++] = bracket;
  }
}

int32_t GetTupletBracketCount() { return gCount; }

void GetTupletBracket(FoundTupletBracket* out, int32_t i) {
  ENGINE_CHECK_POINTER(out);
  ENGINE_CHECK_INDEX(i, gCount);
  *out = gBrackets[i];
}

void ClearTupletBrackets() {
  std::memset(gBrackets, 0, sizeof gBrackets);
  gCount = 0;
}
