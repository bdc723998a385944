#include "shapes/ShapeRuns.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "shapes/ClassifierLog.h"
#include "shapes/RunDescription.h"

namespace {

uint16_t U16At(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32At(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// Halving that rounds away from zero when the value is odd.
int HalfAway(int v) { return v >= 0 ? (v + 1) / 2 : -((-v + 1) / 2); }

// A list's length as read: at least its own four bytes.
size_t ListLength(const uint8_t* line) { return line[0] < 4 ? 4 : line[0]; }

}  // namespace

void UnpackShapeRunLine(const uint8_t* line, RunLine* out) {
  const uint32_t runs = (static_cast<uint32_t>(ListLength(line)) - 4) / 4;
  out->count = runs < kMaxRunsPerLine ? runs : kMaxRunsPerLine;
  for (uint32_t i = 0; i < out->count; ++i) {
    const uint8_t* r = line + 4 + 4 * i;
    out->runs[i] = {r[0] != 0 ? 1u : 0u, r[1], r[3], r[2]};
  }
}

int MergeShapeRun(const RunLine& in, RunLine* out, int i, int* halfLength) {
  const int n = static_cast<int>(in.count);
  if (i <= 0 || i > n || n < 2) {
    *out = in;
    *halfLength = 0;
    return n;
  }
  *halfLength = static_cast<int>(in.runs[i - 1].length / 2);
  RunLine r;
  if (i == 1) {
    r.count = in.count - 1;
    r.runs[0] = in.runs[1];
    r.runs[0].position = static_cast<uint32_t>(HalfAway(static_cast<int>(in.runs[1].position)));
    r.runs[0].length = in.runs[1].length + in.runs[0].length;
    for (int k = 2; k < n; ++k) r.runs[k - 1] = in.runs[k];
  } else if (i == n) {
    r.count = in.count - 1;
    for (int k = 0; k < n - 1; ++k) r.runs[k] = in.runs[k];
    ShapeRun& before = r.runs[n - 2];
    const ShapeRun& last = in.runs[n - 1];
    before.position = (before.position + last.position + last.length / 2) / 2;
    before.length += last.length;
  } else {
    r.count = in.count - 2;
    for (int k = 0; k < i - 1; ++k) r.runs[k] = in.runs[k];
    ShapeRun& before = r.runs[i - 2];
    const ShapeRun& after = in.runs[i];
    before.position = (before.position + after.position) / 2;
    before.length += in.runs[i - 1].length + after.length;
    for (int k = i + 1; k < n; ++k) r.runs[k - 2] = in.runs[k];
  }
  *out = r;
  return static_cast<int>(r.count);
}

int CompareRunLines(const uint8_t* a, const uint8_t* b, int* difference, int* runCount) {
  RunLine la, lb;
  UnpackShapeRunLine(a, &la);
  UnpackShapeRunLine(b, &lb);
  int shift = 0, diff = 0;
  for (uint32_t i = 0; i < la.count; ++i) {
    const ShapeRun& ra = la.runs[i];
    int best = -1, bestCost = 0;
    for (uint32_t j = 0; j < lb.count; ++j) {
      const ShapeRun& rb = lb.runs[j];
      if (rb.dark != ra.dark) continue;
      int cost = std::abs(static_cast<int>(ra.length) - static_cast<int>(rb.length)) +
                 std::abs(static_cast<int>(ra.position) - static_cast<int>(rb.position));
      if (cost < 5) cost = 0;
      if (best < 0 || cost < bestCost) {
        best = static_cast<int>(j);
        bestCost = cost;
      }
      if (cost == 0) break;
    }
    const int length = static_cast<int>(ra.length);
    if (best < 0) {
      if (length > 8) diff += length;
      continue;
    }
    if (bestCost < 17) continue;
    const ShapeRun& rb = lb.runs[best];
    const int moved = static_cast<int>(rb.position) - static_cast<int>(ra.position);
    if (length > 8 && std::abs(moved) > 4) shift += moved;
    const int grown = std::abs(static_cast<int>(rb.length) - length);
    if (grown >= 5) diff += grown;
  }
  *difference = diff;
  *runCount = static_cast<int>(la.count);
  return shift;
}

void IndexRunLines(const uint8_t* firstLine, const uint8_t** out, int count) {
  const uint8_t* line = firstLine;
  for (int i = 0; i < count; ++i) {
    out[i] = line;
    line += ListLength(line);
  }
}

int FitLineClamped(const double* x, const double* y, int n, double* slope, double* offset) {
  *slope = 0.0;
  *offset = 0.0;
  if (n <= 0) return 0;
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (int i = 0; i < n; ++i) {
    sx += x[i];
    sy += y[i];
    sxx += x[i] * x[i];
    sxy += x[i] * y[i];
  }
  const double d = n * sxx - sx * sx;
  if (std::fabs(d) < 1e-12) {
    *offset = sy / n;
    return 0;
  }
  double m = (n * sxy - sx * sy) / d;
  double c = (sy - m * sx) / n;
  if (m > 0.095 || m < -0.095) {
    m = m > 0 ? 0.095 : -0.095;
    c = y[0] - m * x[0];
  }
  *slope = m;
  *offset = c;
  return 1;
}

int MapRowBetweenShapes(int line, int count, int s0, int s1, int t0, int t1) {
  if (count <= 0) return 0;
  if (s0 == kNoSpan || s1 == kNoSpan || t0 == kNoSpan || t1 == kNoSpan || s1 < s0 || t1 < t0) return line;
  int mapped;
  if (line < s0) {
    mapped = s0 > 0 ? line * t0 / s0 : t0;
  } else if (line <= s1) {
    mapped = (line - s0) * (t1 - t0 + 1) / (s1 - s0 + 1) + t0;
  } else {
    const int sourceLeft = count - 1 - s1, targetLeft = count - 1 - t1;
    mapped = sourceLeft > 0 ? t1 + (line - s1) * targetLeft / sourceLeft : t1;
  }
  if (mapped > count - 1) mapped = count - 1;
  if (mapped < 0) mapped = 0;
  return mapped;
}

bool ReadNotationGroup(const uint8_t* g, size_t available, NotationGroup* out) {
  if (!g || available < 4) return false;
  const size_t size = U16At(g);
  if (size < 4 || size > available) return false;
  NotationGroup t;
  t.start = g;
  t.length = size;
  t.typf = g[2];
  t.type = g[3];
  size_t at = 4;
  for (;;) {
    if (size - at < 2) return false;
    const uint8_t tag = g[at];
    const size_t chunk = g[at + 1];
    // A chunk shorter than its own two bytes would never move the walk on.
    if (chunk < 2 || chunk > size - at) return false;
    const uint8_t* c = g + at;
    if (tag == kChunkEnd) {
      at += chunk;
      break;
    }
    if (tag == kChunkHeader) {
      if (chunk != kChunkHeaderLength || t.header) return false;
      t.header = c + 2;
    } else if (tag == kChunkPart) {
      RunPartRecord part;
      if (!ReadPartChunk(c, chunk, &part)) return false;
      t.parts.push_back(part);
    } else if (tag == kChunkThresholds) {
      if (chunk != kChunkThresholdsLength || t.hasThresholds) return false;
      t.hasThresholds = true;
      t.safe = U16At(c + 2);
      t.maybe = U16At(c + 4);
    } else if (tag == kChunkConfusions) {
      if (chunk < 3 || c[2] > kMaxConfusionPairs || chunk != ConfusionChunkLength(c[2])) return false;
      for (int i = 0; i < c[2]; ++i) t.confusions.emplace_back(c[3 + 2 * i], c[4 + 2 * i]);
    } else if (tag != kChunkFlag) {
      return false;
    }
    at += chunk;
  }
  if (!t.header || size - at < 4) return false;
  t.count = U32At(g + at);
  at += 4;
  if (static_cast<uint64_t>(t.count) * 4 != size - at) return false;
  t.offsets = g + at;
  *out = std::move(t);
  return true;
}

const uint8_t* FindMusicBlock(const uint8_t* group, size_t available) {
  NotationGroup t;
  if (!ReadNotationGroup(group, available, &t)) {
    ClassifierLog("No music block found!\n");
    return nullptr;
  }
  return t.header;
}

const uint8_t* TemplateDescription(const NotationGroup& group, uint32_t i, const uint8_t* descriptions,
                                   size_t descriptionBytes) {
  if (i >= group.count) return nullptr;
  const uint32_t offset = U32At(group.offsets + 4 * i);
  if (descriptionBytes < kRunDescriptionHeaderBytes || offset > descriptionBytes - kRunDescriptionHeaderBytes)
    return nullptr;
  const uint8_t* d = descriptions + offset;
  if (U32At(d) > descriptionBytes - offset) return nullptr;
  return d;
}

namespace {

// First and last line holding a dark run whose position lies in low..high.
void DarkLinesIn(const uint8_t* const* lines, int first, int last, int low, int high, int* from, int* to) {
  *from = *to = kNoSpan;
  for (int l = first; l <= last; ++l) {
    RunLine r;
    UnpackShapeRunLine(lines[l], &r);
    for (uint32_t i = 0; i < r.count; ++i) {
      const int p = static_cast<int>(r.runs[i].position);
      if (r.runs[i].dark && p >= low && p <= high) {
        if (*from == kNoSpan) *from = l;
        *to = l;
        break;
      }
    }
  }
}

}  // namespace

int FindPartRowSpan(int line, int partNumber, const std::vector<RunPartRecord>& parts, const uint8_t* const* sampleLines,
                    const uint8_t* const* templateLines, int lineCount, PartSpan* span) {
  *span = PartSpan{};
  for (const RunPartRecord& p : parts) {
    if (p.direction != partNumber || line < p.firstLine || line > p.lastLine) continue;
    const int last = p.lastLine < lineCount ? p.lastLine : lineCount - 1;
    if (p.firstLine > last) continue;
    DarkLinesIn(sampleLines, p.firstLine, last, p.lowPosition, p.highPosition, &span->sampleFirst,
                &span->sampleLast);
    DarkLinesIn(templateLines, p.firstLine, last, p.lowPosition, p.highPosition, &span->templateFirst,
                &span->templateLast);
    span->value = p.id;
    return 1;
  }
  return 0;
}

int ScoreShapeMatch(const uint8_t* sample, const uint8_t* shape, int safe, int maybe, int* grade) {
  *grade = 0;
  if (sample[4] != shape[4] || sample[5] != shape[5]) return kNotComparable;
  const int cols = sample[4], rows = sample[5];
  if (cols < 1 || rows < 1 || cols > kRunGridMaxSide || rows > kRunGridMaxSide) return kNotComparable;
  const uint8_t* a[2 * kRunGridMaxSide];
  const uint8_t* b[2 * kRunGridMaxSide];
  IndexRunLines(sample + kRunDescriptionHeaderBytes, a, rows + cols);
  IndexRunLines(shape + kRunDescriptionHeaderBytes, b, rows + cols);
  long total = 0, runs = 0;
  // Pass 0 the row lines, pass 1 the column lines.
  for (int pass = 0; pass < 2; ++pass) {
    const int first = pass == 0 ? 0 : rows;
    const int n = pass == 0 ? rows : cols;
    double xs[kRunGridMaxSide], ys[kRunGridMaxSide];
    int shifts[kRunGridMaxSide], diffs[kRunGridMaxSide];
    for (int i = 0; i < n; ++i) {
      int count = 0;
      shifts[i] = CompareRunLines(a[first + i], b[first + i], &diffs[i], &count);
      runs += count;
      xs[i] = i;
      ys[i] = shifts[i];
    }
    double slope = 0, offset = 0;
    FitLineClamped(xs, ys, n, &slope, &offset);
    for (int i = 0; i < n; ++i) {
      const int s = shifts[i];
      const int fit2 = static_cast<int>(std::floor(2.0 * (slope * i + offset) + 0.5));
      const int adjusted = HalfAway(s + HalfAway(2 * s - fit2));
      total += std::abs(adjusted) + diffs[i];
    }
  }
  if (runs == 0) return kNotComparable;
  const long distance = total * 10 / runs;
  const int d = distance > kNotComparable ? kNotComparable : static_cast<int>(distance);
  if (d < safe) *grade = 2;
  else if (d < maybe) *grade = 1;
  return d;
}

int MatchShapeTemplates(const NotationGroup& group, const uint8_t* descriptions, size_t descriptionBytes,
                        const uint8_t* shape, int* grade) {
  *grade = 0;
  const int t1 = group.hasThresholds ? group.safe : 0;
  const int t2 = group.hasThresholds ? group.maybe : kNotComparable;
  int bestGrade = 0, bestDistance = kNotComparable;
  for (uint32_t i = 0; i < group.count; ++i) {
    const uint8_t* sample = TemplateDescription(group, i, descriptions, descriptionBytes);
    if (!sample) continue;
    int g = 0;
    const int d = ScoreShapeMatch(sample, shape, t1, t2, &g);
    if (g > bestGrade || (g == bestGrade && g > 0 && d < bestDistance)) {
      bestGrade = g;
      bestDistance = d;
    }
  }
  *grade = bestGrade;
  if (bestGrade == 1) return t2 == t1 ? 85 : 90 - (bestDistance - t1) * 10 / (t2 - t1);
  if (bestGrade == 2) return t1 == 0 ? 95 : 100 - bestDistance * 10 / t1;
  return 0;
}
