// Pixel erasing: scan conversion of shapes made of triangles and spans.
#include "Code/Quorm/Pixerase.h"

#include <algorithm>
#include <cmath>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Findstem.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/findbarl.h"
#include "Code/Quorm/findslur.h"

namespace {

struct Interval {
  int64_t x0;
  int64_t x1;  // excluded
};

int64_t FloorDiv(int64_t a, int64_t b) {  // b > 0
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}
int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

// Columns of the closed triangle on row y: [x0, x1) or an empty interval.
Interval TriangleRow(const ShapeTriangle& t, int64_t y) {
  const int64_t ys[3] = {t.y0, t.y1, t.y2};
  const int64_t xs[3] = {t.x0, t.x1, t.x2};
  int64_t lo = INT64_MAX;
  int64_t hi = INT64_MIN;
  for (int e = 0; e < 3; ++e) {
    int64_t ya = ys[e], xa = xs[e];
    int64_t yb = ys[(e + 1) % 3], xb = xs[(e + 1) % 3];
    if (y < std::min(ya, yb) || y > std::max(ya, yb)) continue;
    if (ya == yb) {
      lo = std::min(lo, std::min(xa, xb));
      hi = std::max(hi, std::max(xa, xb));
      continue;
    }
    int64_t num = (y - ya) * (xb - xa);
    int64_t den = yb - ya;
    if (den < 0) {
      num = -num;
      den = -den;
    }
    lo = std::min(lo, xa + CeilDiv(num, den));
    hi = std::max(hi, xa + FloorDiv(num, den));
  }
  if (lo > hi) return Interval{0, 0};
  return Interval{lo, hi + 1};
}

// Hands every covered run of pixels inside the page to visit(row, x0, x1),
// row by row, with overlapping pieces joined.
template <class Visit>
void ScanShape(const EraseShape& shape, Visit visit) {
  ENGINE_CHECK(shape.triangleCount >= 0 && shape.triangleCount <= kMaxShapeTriangles);
  ENGINE_CHECK(shape.spanCount >= 0 && shape.spanCount <= kMaxShapeSpans);
  int64_t yMin = INT64_MAX;
  int64_t yMax = INT64_MIN;
  for (int32_t i = 0; i < shape.triangleCount; ++i) {
    const ShapeTriangle& t = shape.triangles[i];
    yMin = std::min<int64_t>({yMin, t.y0, t.y1, t.y2});
    yMax = std::max<int64_t>({yMax, t.y0, t.y1, t.y2});
  }
  for (int32_t i = 0; i < shape.spanCount; ++i) {
    yMin = std::min<int64_t>(yMin, shape.spans[i].row);
    yMax = std::max<int64_t>(yMax, shape.spans[i].row);
  }
  const int64_t width = GetPageImageWidth();
  yMin = std::max<int64_t>(yMin, 0);
  yMax = std::min<int64_t>(yMax, GetPageImageHeight() - 1);
  Interval pieces[kMaxShapeTriangles + kMaxShapeSpans];
  for (int64_t y = yMin; y <= yMax; ++y) {
    int32_t n = 0;
    auto add = [&](Interval v) {
      v.x0 = std::max<int64_t>(v.x0, 0);
      v.x1 = std::min(v.x1, width);
      if (v.x0 < v.x1) pieces[n++] = v;
    };
    for (int32_t i = 0; i < shape.triangleCount; ++i) add(TriangleRow(shape.triangles[i], y));
    for (int32_t i = 0; i < shape.spanCount; ++i)
      if (shape.spans[i].row == y) add(Interval{shape.spans[i].x0, shape.spans[i].x1});
    std::sort(pieces, pieces + n, [](const Interval& a, const Interval& b) { return a.x0 < b.x0; });
    int32_t i = 0;
    while (i < n) {
      Interval run = pieces[i++];
      while (i < n && pieces[i].x0 <= run.x1) run.x1 = std::max(run.x1, pieces[i++].x1);
      visit(static_cast<int32_t>(y), static_cast<int32_t>(run.x0), static_cast<int32_t>(run.x1));
    }
  }
}

// A slur's path is drawn as at most this many bands (two triangles each),
// which leaves room for the two end pieces.
constexpr int32_t kSlurBands = (kMaxShapeTriangles - 4) / 2;

void AddVerticalLineShape(EraseShape* shape, int32_t index) {
  const FoundVerticalLine line = GetFoundVerticalLine(index);
  const int32_t along = ScaleToPixels(100);
  const int32_t halfWidth = RoundQ10(line.width) / 2 + 1;
  AddShapeBand(shape, EnginePoint{line.topY - along, line.topX}, EnginePoint{line.bottomY + along, line.bottomX},
               halfWidth);
}

void AddNoteheadShape(EraseShape* shape, int32_t index) {
  const FoundNotehead head = GetFoundNotehead(index);
  const int32_t across = ScaleToPixels(40);
  const int32_t halfHeight = RoundQ10(GetStaffSpace(head.staff) / 2) + ScaleToPixels(25);
  AddShapeRectangle(shape, EngineBox{head.leftX - across, head.centreY - halfHeight, head.rightX + across + 1,
                                     head.centreY + halfHeight + 1});
}

void AddBarLineShape(EraseShape* shape, int32_t index) {
  const FoundBarLine bar = GetFoundBarLine(index);
  const int32_t column = bar.leftX + (bar.rightX - bar.leftX) / 2;
  const int32_t beyond = ScaleToPixels(200);
  AddShapeRectangle(shape, EngineBox{bar.leftX - 1, StaffTopLineY(bar.staff, column) - beyond, bar.rightX + 1,
                                     StaffBottomLineY(bar.staff, column) + beyond + 1});
}

// Bands along the middle of the slur's stroke through sampled columns; each
// band is wide enough for every column it passes, measured from the straight
// line between its two samples.
void AddSlurShape(EraseShape* shape, int32_t index) {
  const FoundSlur& slur = GetFoundSlur(index);
  const int32_t n = slur.columnCount;
  const int32_t beyond = ScaleToPixels(40);
  const int32_t margin = ScaleToPixels(25);
  auto middle = [&](int32_t k) { return slur.columns[k].top + (slur.columns[k].bottom - slur.columns[k].top) / 2; };
  auto halfThickness = [&](int32_t k) { return (std::abs(slur.columns[k].bottom - slur.columns[k].top) + 1) / 2; };
  const int32_t stride = std::max<int32_t>(1, (n - 1 + kSlurBands - 1) / kSlurBands);
  const int32_t last = n - 1;
  for (int32_t a = 0; a < last; a += stride) {
    const int32_t b = std::min(a + stride, last);
    int32_t half = 0;
    for (int32_t k = a; k <= b; ++k) {
      int32_t line = middle(a) + static_cast<int32_t>(DivRound64(static_cast<int64_t>(middle(b) - middle(a)) * (k - a), b - a));
      half = std::max(half, std::abs(middle(k) - line) + halfThickness(k));
    }
    AddShapeBand(shape, EnginePoint{middle(a), slur.startX + a}, EnginePoint{middle(b), slur.startX + b}, half + margin);
  }
  // The ends, carried on level beyond the first and the last column.
  AddShapeBand(shape, EnginePoint{middle(0), slur.startX - beyond}, EnginePoint{middle(0), slur.startX},
               halfThickness(0) + margin);
  AddShapeBand(shape, EnginePoint{middle(last), slur.startX + last},
               EnginePoint{middle(last), slur.startX + last + beyond}, halfThickness(last) + margin);
}

}  // namespace

void ClearShape(EraseShape* shape) {
  ENGINE_CHECK_POINTER(shape);
  shape->triangleCount = 0;
  shape->spanCount = 0;
}

void AddShapeTriangle(EraseShape* shape, EnginePoint a, EnginePoint b, EnginePoint c) {
  ENGINE_CHECK_POINTER(shape);
  ENGINE_CHECK(shape->triangleCount >= 0 && shape->triangleCount < kMaxShapeTriangles);
  shape->triangles[shape->triangleCount++] = ShapeTriangle{a.y, a.x, b.y, b.x, c.y, c.x};
}

void AddShapeSpan(EraseShape* shape, int32_t row, int32_t x0, int32_t x1) {
  ENGINE_CHECK_POINTER(shape);
  ENGINE_CHECK(shape->spanCount >= 0 && shape->spanCount < kMaxShapeSpans);
  shape->spans[shape->spanCount++] = ShapeSpan{row, x0, x1};
}

void AddShapeBand(EraseShape* shape, EnginePoint a, EnginePoint b, int32_t halfWidth) {
  ENGINE_CHECK(halfWidth >= 0);
  double dy = static_cast<double>(b.y) - a.y;
  double dx = static_cast<double>(b.x) - a.x;
  double length = std::sqrt(dx * dx + dy * dy);
  if (length == 0.0) {
    EnginePoint p{a.y - halfWidth, a.x - halfWidth};
    EnginePoint q{a.y + halfWidth, a.x + halfWidth};
    AddShapeTriangle(shape, p, EnginePoint{p.y, q.x}, q);
    AddShapeTriangle(shape, p, q, EnginePoint{q.y, p.x});
    return;
  }
  // Across the band: (dx, -dy) turned into (row, column) offsets.
  int32_t oy = RoundToInt(dx / length * halfWidth);
  int32_t ox = RoundToInt(-dy / length * halfWidth);
  EnginePoint a1{a.y + oy, a.x + ox}, a2{a.y - oy, a.x - ox};
  EnginePoint b1{b.y + oy, b.x + ox}, b2{b.y - oy, b.x - ox};
  AddShapeTriangle(shape, a1, b1, b2);
  AddShapeTriangle(shape, a1, b2, a2);
}

void AddShapeBox(EraseShape* shape, const EngineBox& box) {
  for (int32_t y = box.y0; y < box.y1; ++y) AddShapeSpan(shape, y, box.x0, box.x1);
}

void AddShapeRectangle(EraseShape* shape, const EngineBox& box) {
  if (box.x1 <= box.x0 || box.y1 <= box.y0) return;
  const EnginePoint topLeft{box.y0, box.x0}, topRight{box.y0, box.x1 - 1};
  const EnginePoint bottomLeft{box.y1 - 1, box.x0}, bottomRight{box.y1 - 1, box.x1 - 1};
  AddShapeTriangle(shape, topLeft, topRight, bottomRight);
  AddShapeTriangle(shape, topLeft, bottomRight, bottomLeft);
}

void EraseShapePixels(const EraseShape& shape) {
  ScanShape(shape, [](int32_t y, int32_t x0, int32_t x1) { ClearRowSpan(y, x0, x1); });
}

bool ShapeBox(const EraseShape& shape, EngineBox* box) {
  ENGINE_CHECK_POINTER(box);
  bool any = false;
  ScanShape(shape, [&](int32_t y, int32_t x0, int32_t x1) {
    if (!any) *box = EngineBox{x0, y, x1, y + 1};
    any = true;
    *box = UnionBox(*box, EngineBox{x0, y, x1, y + 1});
  });
  return any;
}

int32_t ShapeToBitmap(const EraseShape& shape, int32_t minWidth, int32_t minHeight, RasterRecord* out) {
  ENGINE_CHECK_POINTER(out);
  ENGINE_CHECK(out->bits == nullptr);
  *out = RasterRecord{-1, -1, 0, 0, nullptr, -1, -1};
  EngineBox box{};
  if (!ShapeBox(shape, &box)) return 0;
  int32_t columns = box.x1 - box.x0;
  int32_t rows = box.y1 - box.y0;
  if (columns < minWidth || rows < minHeight) {
    EraseShapePixels(shape);
    return 0;
  }
  RasterRecord raster{box.y0, box.x0, rows, columns, nullptr, -1, -1};
  EngineAllocZeroedChecked(raster.bits, static_cast<size_t>(RasterWordCount(rows, columns)) * 4);
  *out = raster;
  ScanShape(shape, [&](int32_t y, int32_t x0, int32_t x1) {
    for (int32_t x = x0; x < x1; ++x)
      if (GetPagePixel(y, x)) SetBit(out->bits, (y - box.y0) * columns + (x - box.x0));
    ClearRowSpan(y, x0, x1);
  });
  return 1;
}

void CountShapePixelsInBox(const EraseShape& shape, const EngineBox& window, const uint8_t* reference,
                           int32_t* covered, int32_t* inReference) {
  ENGINE_CHECK(covered && inReference);
  const int32_t windowWidth = window.x1 - window.x0;
  ENGINE_CHECK(reference || windowWidth <= 0 || window.y1 <= window.y0);
  *covered = 0;
  *inReference = 0;
  ScanShape(shape, [&](int32_t y, int32_t x0, int32_t x1) {
    *covered += x1 - x0;
    if (y < window.y0 || y >= window.y1) return;
    for (int32_t x = std::max(x0, window.x0); x < std::min(x1, window.x1); ++x)
      if (reference[static_cast<size_t>(y - window.y0) * windowWidth + (x - window.x0)]) ++*inReference;
  });
}

void BuildObjectShape(int32_t kind, int32_t index, EraseShape* shape) {
  ClearShape(shape);
  switch (kind) {
    case kObjectVerticalLine: AddVerticalLineShape(shape, index); break;
    case kObjectNotehead: AddNoteheadShape(shape, index); break;
    case kObjectSlur: AddSlurShape(shape, index); break;
    case kObjectBarLine: AddBarLineShape(shape, index); break;
    default: EngineAssertFail(__FILE__, __LINE__);
  }
}

namespace {

// The ink inside a slur's shape that hangs together (8-connected, inside the
// shape) with the stroke the finder measured: box gets the shape's box,
// state one byte per pixel of it, 2 for that ink (the caller frees state),
// and inkBox the box of that ink (empty when there is none).
// The shape reaches a margin beyond the stroke, and a dot or a staccato mark
// standing in that margin is a blob of its own: it is left to the symbol
// stages whole.
bool MarkSlurInk(const EraseShape& shape, int32_t index, EngineBox* box, uint8_t** state, EngineBox* inkBox) {
  *state = nullptr;
  *inkBox = EngineBox{0, 0, 0, 0};
  if (!ShapeBox(shape, box)) return false;
  const int32_t w = box->x1 - box->x0, h = box->y1 - box->y0;
  const EngineBox b = *box;
  const size_t cells = static_cast<size_t>(w) * h;
  uint8_t* marks = nullptr;  // 0 white or outside the shape, 1 other ink inside it, 2 the stroke's ink
  int32_t* stack = nullptr;
  EngineAllocZeroedChecked(marks, cells);
  EngineAllocChecked(stack, cells * sizeof(int32_t));
  ScanShape(shape, [&](int32_t y, int32_t x0, int32_t x1) {
    for (int32_t x = x0; x < x1; ++x)
      if (GetPagePixel(y, x)) marks[static_cast<size_t>(y - b.y0) * w + (x - b.x0)] = 1;
  });
  size_t top = 0;
  auto mark = [&](int32_t y, int32_t x) {
    if (y < b.y0 || y >= b.y1 || x < b.x0 || x >= b.x1) return;
    const size_t at = static_cast<size_t>(y - b.y0) * w + (x - b.x0);
    if (marks[at] != 1) return;
    marks[at] = 2;
    stack[top++] = static_cast<int32_t>(at);
    const EngineBox pixel{x, y, x + 1, y + 1};
    *inkBox = inkBox->x1 > inkBox->x0 ? UnionBox(*inkBox, pixel) : pixel;
  };
  const FoundSlur& slur = GetFoundSlur(index);
  for (int32_t k = 0; k < slur.columnCount; ++k) {
    const SlurColumn& c = slur.columns[k];
    if (c.interpolated) continue;
    for (int32_t y = std::min(c.top, c.bottom); y <= std::max(c.top, c.bottom); ++y) mark(y, slur.startX + k);
  }
  while (top > 0) {
    const int32_t at = stack[--top];
    const int32_t y = b.y0 + at / w, x = b.x0 + at % w;
    for (int32_t dy = -1; dy <= 1; ++dy)
      for (int32_t dx = -1; dx <= 1; ++dx) mark(y + dy, x + dx);
  }
  EngineFree(stack);
  *state = marks;
  return true;
}

// Calls visit(y, x) for every pixel of the slur's stroke ink.
template <class Visit>
void ForSlurInk(const EraseShape& shape, int32_t index, Visit visit) {
  EngineBox box{}, ink{};
  uint8_t* state = nullptr;
  if (!MarkSlurInk(shape, index, &box, &state, &ink)) return;
  const int32_t w = box.x1 - box.x0;
  for (int32_t y = ink.y0; y < ink.y1; ++y)
    for (int32_t x = ink.x0; x < ink.x1; ++x)
      if (state[static_cast<size_t>(y - box.y0) * w + (x - box.x0)] == 2) visit(y, x);
  EngineFree(state);
}

}  // namespace

int32_t ObjectToBitmap(int32_t kind, int32_t index, int32_t minWidth, int32_t minHeight, RasterRecord* out) {
  ENGINE_CHECK_POINTER(out);
  EraseShape* shape = nullptr;
  EngineAllocChecked(shape, sizeof(EraseShape));
  BuildObjectShape(kind, index, shape);
  int32_t kept = 0;
  if (kind != kObjectSlur) {
    kept = ShapeToBitmap(*shape, minWidth, minHeight, out);
  } else {
    ENGINE_CHECK(out->bits == nullptr);
    *out = RasterRecord{-1, -1, 0, 0, nullptr, -1, -1};
    EngineBox shapeBox{}, box{};
    uint8_t* state = nullptr;
    if (MarkSlurInk(*shape, index, &shapeBox, &state, &box)) {
      const int32_t w = shapeBox.x1 - shapeBox.x0;
      const int32_t columns = box.x1 - box.x0, rows = box.y1 - box.y0;
      if (columns > 0 && columns >= minWidth && rows >= minHeight) {
        *out = RasterRecord{box.y0, box.x0, rows, columns, nullptr, -1, -1};
        EngineAllocZeroedChecked(out->bits, static_cast<size_t>(RasterWordCount(rows, columns)) * 4);
        kept = 1;
      }
      for (int32_t y = box.y0; y < box.y1; ++y)
        for (int32_t x = box.x0; x < box.x1; ++x)
          if (state[static_cast<size_t>(y - shapeBox.y0) * w + (x - shapeBox.x0)] == 2) {
            if (kept) SetBit(out->bits, (y - box.y0) * columns + (x - box.x0));
            SetPagePixel(y, x, 0);
          }
      EngineFree(state);
    }
  }
  EngineFree(shape);
  return kept;
}

void EraseObjectPixels(int32_t kind, int32_t index) {
  EraseShape shape;
  BuildObjectShape(kind, index, &shape);
  if (kind == kObjectSlur)
    ForSlurInk(shape, index, [](int32_t y, int32_t x) { SetPagePixel(y, x, 0); });
  else
    EraseShapePixels(shape);
}

void CountObjectPixelsInBox(int32_t kind, int32_t index, const EngineBox& window, const uint8_t* reference,
                            int32_t* covered, int32_t* inReference) {
  EraseShape shape;
  BuildObjectShape(kind, index, &shape);
  CountShapePixelsInBox(shape, window, reference, covered, inReference);
}
