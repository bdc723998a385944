#include "stages/TextCharacters.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "Code/Quorm/Engpaths.h"
#include "platform/FileLayer.h"
#include "platform/Folders.h"
#include "platform/Messages.h"

namespace {

constexpr int kMaxTracePoints = 64;
constexpr int kSeedCacheEntries = 128;

TextCharTable& Table() {
  static TextCharTable* table = new TextCharTable;  // lives for the whole run
  return *table;
}

uint32_t U32At(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void ParseEdgeGroup(const uint8_t* p, TextEdgeGroup* group) {
  group->closedHard[0] = p[0];
  group->closedHard[1] = p[1];
  group->closedSoft[0] = p[2];
  group->closedSoft[1] = p[3];
  group->openingHard[0] = p[4];
  group->openingHard[1] = p[5];
  group->openingSoft[0] = p[6];
  group->openingSoft[1] = p[7];
  group->slopeClass = p[8] & 7;
  group->bridgesGaps = (p[8] & 8) != 0;
}

void ParseComponent(const uint8_t* p, TextCharComponent* c) {
  std::memcpy(c->key, p, 12);
  std::memcpy(c->seed, p, 4);
  std::memcpy(c->trace, p + 4, 4);
  c->minWidth = p[12];
  c->minHeight = p[13];
  c->scanModes = p[16] & 15;
  std::memcpy(c->centre, p + 20, 4);
  for (int e = 0; e < 4; ++e) ParseEdgeGroup(p + 24 + 12 * e, &c->edges[e]);
  const uint32_t flags = U32At(p + 72);
  c->ink = (flags & 1) != 0;
  c->missingPolicy = static_cast<uint8_t>((flags >> 1) & 3);
}

// ---- Matching ----

struct Measure {
  bool found = false;
  int seedX = 0, seedY = 0;
  int left = 0, right = 0, top = 0, bottom = 0;
  double slope[4] = {};
  int closedShare[4] = {};
  int openingPos[4] = {};    // pixels from the box's side, -1 without open points
  int pointCount[4] = {};
  TracePoint first[4] = {}, last[4] = {};
  // The runs the scans walked: rows (y, from x, to x) and columns (x, from y, to y).
  int rowRuns = 0, colRuns = 0;
  int16_t rowRun[kMaxTracePoints][3];
  int16_t colRun[kMaxTracePoints][3];
};

struct CacheEntry {
  uint8_t key[14];
  Measure measure;
};

}  // namespace

struct TextMatchScratch {
  CacheEntry cache[kSeedCacheEntries];
  int cacheCount = 0;
  const Measure* traced[kTextCharMaxComponents];  // the components of the definition being scored
  Measure own[kTextCharMaxComponents];
  TracePoint lists[4][kMaxTracePoints];
  int listCount[4];
};

TextMatchScratch* NewTextMatchScratch() { return new (std::nothrow) TextMatchScratch; }
void DeleteTextMatchScratch(TextMatchScratch* scratch) { delete scratch; }

namespace {

struct Box {
  const TextImage* image;
  int x0, y0, x1, y1, w, h;
  int sx, sy;
  bool Ink(int x, int y) const {
    if (x < 0 || y < 0 || y >= image->rows) return false;
    const int rowBytes = (image->rowWordsLess1 + 1) * 4;
    if (x / 8 >= rowBytes) return false;
    return (image->bits[size_t(y) * rowBytes + x / 8] >> (x & 7)) & 1;
  }
  int X(int v) const { return x0 + static_cast<int>(v * double(w) / 16 + 0.5); }
  int Y(int v) const { return y0 + static_cast<int>(v * double(h) / 16 + 0.5); }
  int XSpan(int v) const { return static_cast<int>(v * double(w) / 16 + 0.5); }
  int YSpan(int v) const { return static_cast<int>(v * double(h) / 16 + 0.5); }
};

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

bool OnEarlierTrace(const TextMatchScratch& s, int k, int x, int y) {
  for (int j = 0; j < k; ++j) {
    const Measure* m = s.traced[j];
    if (!m || !m->found) continue;
    for (int r = 0; r < m->rowRuns; ++r)
      if (m->rowRun[r][0] == y && x >= m->rowRun[r][1] && x <= m->rowRun[r][2]) return true;
    for (int r = 0; r < m->colRuns; ++r)
      if (m->colRun[r][0] == x && y >= m->colRun[r][1] && y <= m->colRun[r][2]) return true;
  }
  return false;
}

// The seed of component k; blocked tells that a pixel of the colour was
// passed over for lying on an earlier component's trace.
bool FindSeed(const Box& b, const TextCharComponent& c, const TextMatchScratch& s, int k, int* sx, int* sy,
              bool* blocked) {
  *blocked = false;
  const int cx = Clamp(b.x0 + static_cast<int>((c.seed[0] + c.seed[1]) * double(b.w) / 32 + 0.5), b.x0, b.x1 - 1);
  const int cy = Clamp(b.y0 + static_cast<int>((c.seed[2] + c.seed[3]) * double(b.h) / 32 + 0.5), b.y0, b.y1 - 1);
  if (b.Ink(cx, cy) == c.ink) {
    if (!OnEarlierTrace(s, k, cx, cy)) {
      *sx = cx;
      *sy = cy;
      return true;
    }
    *blocked = true;
  }
  const int xa = Clamp(b.X(c.seed[0]), b.x0, b.x1 - 1), xb = Clamp(b.X(c.seed[1]), b.x0, b.x1 - 1);
  const int ya = Clamp(b.Y(c.seed[2]), b.y0, b.y1 - 1), yb = Clamp(b.Y(c.seed[3]), b.y0, b.y1 - 1);
  long best = -1;
  for (int y = ya; y <= yb; y += b.sy)
    for (int x = xa; x <= xb; x += b.sx) {
      if (b.Ink(x, y) != c.ink) continue;
      if (OnEarlierTrace(s, k, x, y)) {
        *blocked = true;
        continue;
      }
      const long d = long(x - cx) * (x - cx) + long(y - cy) * (y - cy);
      if (best < 0 || d < best) {
        best = d;
        *sx = x;
        *sy = y;
        if (d == 0) return true;
      }
    }
  return best >= 0;
}

// Follows the run of the sought colour through pixel (x, y) along one axis
// in steps of step within [lo, hi]; bridges one-step gaps on a side when told.
void FollowRun(const Box& b, bool ink, bool horizontal, int x, int y, int step, int lo, int hi, bool bridgeLow,
               bool bridgeHigh, int* from, int* to, bool* openLow, bool* openHigh) {
  auto colour = [&](int p) { return horizontal ? b.Ink(p, y) == ink : b.Ink(x, p) == ink; };
  const int start = horizontal ? x : y;
  int p = start;
  *openLow = false;
  for (;;) {
    const int next = p - step;
    if (next < lo) {
      *openLow = true;
      break;
    }
    if (colour(next)) {
      p = next;
      continue;
    }
    if (bridgeLow && next - step >= lo && colour(next - step)) {
      p = next - step;
      continue;
    }
    break;
  }
  *from = p;
  p = start;
  *openHigh = false;
  for (;;) {
    const int next = p + step;
    if (next > hi) {
      *openHigh = true;
      break;
    }
    if (colour(next)) {
      p = next;
      continue;
    }
    if (bridgeHigh && next + step <= hi && colour(next + step)) {
      p = next + step;
      continue;
    }
    break;
  }
  *to = p;
}

// One scan (rows when horizontal, else columns) from the seed in both
// directions; fills the low-edge and high-edge lists in order of the scan axis.
void Scan(const Box& b, const TextCharComponent& c, bool horizontal, int seedX, int seedY, Measure* m,
          TracePoint* lowList, int* lowCount, TracePoint* highList, int* highCount) {
  const int tx0 = Clamp(b.X(c.trace[0]), b.x0, b.x1 - 1), tx1 = Clamp(b.X(c.trace[1]), b.x0, b.x1 - 1);
  const int ty0 = Clamp(b.Y(c.trace[2]), b.y0, b.y1 - 1), ty1 = Clamp(b.Y(c.trace[3]), b.y0, b.y1 - 1);
  const int along = horizontal ? b.sx : b.sy;   // step within a run
  const int across = horizontal ? b.sy : b.sx;  // step between runs
  const int lo = horizontal ? tx0 : ty0, hi = horizontal ? tx1 : ty1;
  const int alo = horizontal ? ty0 : tx0, ahi = horizontal ? ty1 : tx1;
  const bool bridgeLow = c.edges[horizontal ? kEdgeLeft : kEdgeTop].bridgesGaps;
  const bool bridgeHigh = c.edges[horizontal ? kEdgeRight : kEdgeBottom].bridgesGaps;
  TracePoint low[2][kMaxTracePoints], high[2][kMaxTracePoints];
  int n[2] = {0, 0};
  int seedFrom = 0, seedTo = 0;
  for (int dir = 0; dir < 2; ++dir) {
    int pos = horizontal ? seedX : seedY;   // position within the run
    int line = horizontal ? seedY : seedX;  // the row or column
    int prevFrom = seedFrom, prevTo = seedTo;
    if (dir == 1) {
      if (!n[0]) break;
      line += across;
      pos = (seedFrom + seedTo) / 2;
    }
    bool atSeed = dir == 0;
    while (line >= alo && line <= ahi && n[dir] < kMaxTracePoints) {
      auto colourAt = [&](int p) { return (horizontal ? b.Ink(p, line) : b.Ink(line, p)) == c.ink; };
      if (!atSeed) {
        // The run goes on under the last one: its middle, else any pixel under it.
        int found = colourAt(pos) ? pos : -1;
        for (int p = prevFrom; found < 0 && p <= prevTo; p += along)
          if (colourAt(p)) found = p;
        if (found < 0) break;
        pos = found;
      }
      int from, to;
      bool openLow, openHigh;
      FollowRun(b, c.ink, horizontal, horizontal ? pos : line, horizontal ? line : pos, along, lo, hi, bridgeLow,
                bridgeHigh, &from, &to, &openLow, &openHigh);
      if (atSeed) {
        seedFrom = from;
        seedTo = to;
      }
      atSeed = false;
      const int k = n[dir]++;
      if (horizontal) {
        low[dir][k] = {from, line, openLow ? 1 : 0};
        high[dir][k] = {to, line, openHigh ? 1 : 0};
      } else {
        low[dir][k] = {line, from, openLow ? 1 : 0};
        high[dir][k] = {line, to, openHigh ? 1 : 0};
      }
      int& runs = horizontal ? m->rowRuns : m->colRuns;
      if (runs < kMaxTracePoints) {
        int16_t* run = horizontal ? m->rowRun[runs] : m->colRun[runs];
        run[0] = static_cast<int16_t>(line);
        run[1] = static_cast<int16_t>(from);
        run[2] = static_cast<int16_t>(to);
        ++runs;
      }
      prevFrom = from;
      prevTo = to;
      pos = (from + to) / 2;
      line += dir == 0 ? -across : across;
    }
  }
  // Upward runs reversed, then the downward ones: one list in axis order.
  *lowCount = *highCount = 0;
  for (int i = n[0] - 1; i >= 0 && *lowCount < kMaxTracePoints; --i) {
    lowList[(*lowCount)++] = low[0][i];
    highList[(*highCount)++] = high[0][i];
  }
  for (int i = 0; i < n[1] && *lowCount < kMaxTracePoints; ++i) {
    lowList[(*lowCount)++] = low[1][i];
    highList[(*highCount)++] = high[1][i];
  }
}

int RoundedMean(const TracePoint* list, int n, bool useX) {
  int from = 0, to = n;
  if (n >= 3) {
    from = 1;
    to = n - 1;
  }
  long sum = 0;
  for (int i = from; i < to; ++i) sum += useX ? list[i].x : list[i].y;
  const int count = to - from;
  return static_cast<int>(std::floor(double(sum) / count + 0.5));
}

void Measurements(const Box& b, const TextCharComponent& c, TextMatchScratch& s, Measure* m) {
  int* counts = s.listCount;
  Scan(b, c, true, m->seedX, m->seedY, m, s.lists[kEdgeLeft], &counts[kEdgeLeft], s.lists[kEdgeRight],
       &counts[kEdgeRight]);
  Scan(b, c, false, m->seedX, m->seedY, m, s.lists[kEdgeTop], &counts[kEdgeTop], s.lists[kEdgeBottom],
       &counts[kEdgeBottom]);
  const bool rowMeans = (c.scanModes & 3) == 0, colMeans = ((c.scanModes >> 2) & 3) == 0;
  auto extreme = [&](int e, bool useX, bool lowest) {
    int v = useX ? s.lists[e][0].x : s.lists[e][0].y;
    for (int i = 1; i < counts[e]; ++i) {
      const int p = useX ? s.lists[e][i].x : s.lists[e][i].y;
      v = lowest ? (p < v ? p : v) : (p > v ? p : v);
    }
    return v;
  };
  m->left = m->right = m->seedX;
  m->top = m->bottom = m->seedY;
  if (counts[kEdgeLeft] > 0)
    m->left = rowMeans ? RoundedMean(s.lists[kEdgeLeft], counts[kEdgeLeft], true) + b.sx
                       : extreme(kEdgeLeft, true, true);
  if (counts[kEdgeRight] > 0)
    m->right = rowMeans ? RoundedMean(s.lists[kEdgeRight], counts[kEdgeRight], true)
                        : extreme(kEdgeRight, true, false);
  if (counts[kEdgeTop] > 0)
    m->top = colMeans ? RoundedMean(s.lists[kEdgeTop], counts[kEdgeTop], false) + b.sy
                      : extreme(kEdgeTop, false, true);
  if (counts[kEdgeBottom] > 0)
    m->bottom = colMeans ? RoundedMean(s.lists[kEdgeBottom], counts[kEdgeBottom], false)
                         : extreme(kEdgeBottom, false, false);
  for (int e = 0; e < 4; ++e) {
    const int n = counts[e];
    m->pointCount[e] = n;
    MeanSlopeAngle(s.lists[e], n, &m->slope[e]);
    int closed = 0, open = 0;
    long openSum = 0;
    for (int i = 0; i < n; ++i) {
      if (!s.lists[e][i].open) {
        ++closed;
      } else {
        ++open;
        openSum += (e == kEdgeTop || e == kEdgeBottom) ? s.lists[e][i].x - b.x0 : s.lists[e][i].y - b.y0;
      }
    }
    m->closedShare[e] = n ? 100 * closed / n : 0;
    m->openingPos[e] = open ? static_cast<int>(openSum / open) : -1;
    if (n) {
      m->first[e] = s.lists[e][0];
      m->last[e] = s.lists[e][n - 1];
    }
  }
}

bool SlopePasses(int slopeClass, double s) {
  switch (slopeClass) {
    case 1: return (s >= -15 && s <= 15) || s <= -165 || s >= 165;
    case 2: return (s >= 90 && s < 170) || (s >= -90 && s < -10);
    case 3: return (s > 10 && s <= 90) || (s > -170 && s <= -90);
    case 4: return (s > 10 && s < 170) || (s > -170 && s < -10);
    default: return true;
  }
}

// A value against a hard and a soft band: a failure outside the hard band,
// else a penalty for the distance beyond the soft band's limits that differ
// from the hard ones.
void Band(int v, int hardLo, int hardHi, int softLo, int softHi, int step, int* failures, int* penalty) {
  if (v < hardLo || v > hardHi) {
    ++*failures;
    return;
  }
  if (v < softLo && softLo != hardLo) *penalty += (softLo - v) * step / 20;
  if (v > softHi && softHi != hardHi) *penalty += (v - softHi) * step / 20;
}

void CacheKey(const TextCharComponent& c, uint8_t key[14]) {
  std::memcpy(key, c.key, 12);
  key[12] = c.ink ? 1 : 0;
  key[13] = c.scanModes;
}

bool AspectBelow(const uint8_t ratio[2], int w, int h) {  // ratio > w / h
  if (ratio[1] == 0) return ratio[0] != 0;
  return double(ratio[0]) / ratio[1] > double(w) / h;
}
bool AspectAbove(const uint8_t ratio[2], int w, int h) {  // ratio < w / h
  if (ratio[1] == 0) return false;
  return double(ratio[0]) / ratio[1] < double(w) / h;
}

}  // namespace

int MeanSlopeAngle(const TracePoint* points, int n, double* angle) {
  if (n < 2) {
    *angle = 0.0;
    return 0;
  }
  double sum = 0;
  for (int i = 0; i + 1 < n; ++i)
    sum += std::atan2(double(points[i + 1].y - points[i].y), double(points[i + 1].x - points[i].x)) * 180.0 /
           3.141592654;
  *angle = sum / (n - 1);
  return 1;
}

bool ParseTextCharDef(const uint8_t* bytes, TextCharDef* def) {
  *def = TextCharDef{};
  def->character = bytes[0];
  def->priority = bytes[768];
  def->componentCount = bytes[769] & 15;
  def->minAspect[0] = bytes[772];
  def->minAspect[1] = bytes[773];
  def->maxAspect[0] = bytes[774];
  def->maxAspect[1] = bytes[775];
  def->firstPass = U32At(bytes + 776);
  if (def->componentCount == 0 || def->componentCount > kTextCharMaxComponents) return false;
  for (int k = 0; k < def->componentCount; ++k) ParseComponent(bytes + 8 + kTextCharComponentBytes * k, &def->components[k]);
  return true;
}

const TextCharTable& LoadedTextChars() { return Table(); }

int LoadTextCharsFile(const char16_t* path) {
  TextCharTable& table = Table();
  table.count = 0;
  std::FILE* file = FileOpen(path, kFileRead, true);
  if (!file) return 0;
  const int32_t declared = ReadInt32LE(file);
  uint8_t record[kTextCharDefBytes];
  int loaded = 0;
  for (int32_t i = 0; i < declared; ++i) {
    if (loaded >= kTextCharTableSize) {
      char16_t text[256];
      LoadUiString(kTextTextDefinitionsFull, text, 256);
      ErrorBox(nullptr, text);
      break;
    }
    if (FileRead(file, record, sizeof record) != 0) break;  // a short file keeps what was whole
    if (ParseTextCharDef(record, &table.defs[loaded])) ++loaded;
  }
  FileClose(file);
  table.count = loaded;
  return loaded;
}

int LoadTextChars() {
  char16_t path[1024];
  if (!MakeResourcesSubPath(path, kTextCharsFileName)) {
    Table().count = 0;
    return 0;
  }
  return LoadTextCharsFile(path);
}

void LoadTextCharsAtStartup() { LoadTextChars(); }

namespace {

// The score of a definition; with measure set, what component measureK
// measured goes there (the scoring then runs through that component).
int ScoreDefinition(const TextCharTable& table, TextMatchScratch& s, const TextImage& image, int x0, int y0, int x1,
                    int y1, int index, int minScore, bool firstCall, int measureK, TextComponentMeasure* measure) {
  if (firstCall) s.cacheCount = 0;
  if (index < 0 || index >= table.count) return 0;
  const TextCharDef& def = table.defs[index];
  Box b{&image, x0, y0, x1, y1, x1 - x0, y1 - y0, 1, 1};
  if (b.w <= 0 || b.h <= 0) return 0;  // an empty or zero-height box matches nothing
  b.sx = b.w / 32 > 1 ? b.w / 32 : 1;
  b.sy = b.h / 32 > 1 ? b.h / 32 : 1;
  int W = 0;
  for (int k = 0; k < def.componentCount; ++k) W += def.components[k].missingPolicy == kComponentOptional ? 1 : 2;
  const int step = (300 / W) / 4 < 10 ? (300 / W) / 4 : 10;
  if (AspectBelow(def.minAspect, b.w, b.h) || AspectAbove(def.maxAspect, b.w, b.h)) return 0;
  int penalty = 0;
  for (int k = 0; k < def.componentCount; ++k) s.traced[k] = nullptr;
  for (int k = 0; k < def.componentCount && penalty <= 100 - minScore; ++k) {
    const TextCharComponent& c = def.components[k];
    uint8_t key[14];
    CacheKey(c, key);
    // A cached result stands for this definition too unless its seed lies on
    // a trace of this definition's earlier components; results that such
    // traces shaped are never cached.
    const Measure* m = nullptr;
    for (int e = 0; e < s.cacheCount; ++e)
      if (!std::memcmp(s.cache[e].key, key, 14)) {
        const Measure& cached = s.cache[e].measure;
        if (!cached.found || !OnEarlierTrace(s, k, cached.seedX, cached.seedY)) m = &cached;
        break;
      }
    if (!m) {
      Measure* fresh = &s.own[k];
      *fresh = Measure{};
      bool blocked = false;
      fresh->found = FindSeed(b, c, s, k, &fresh->seedX, &fresh->seedY, &blocked);
      if (fresh->found) Measurements(b, c, s, fresh);
      m = fresh;
      if (!blocked && s.cacheCount < kSeedCacheEntries) {
        CacheEntry& entry = s.cache[s.cacheCount++];
        std::memcpy(entry.key, key, 14);
        entry.measure = *fresh;
        m = &entry.measure;
      }
    }
    s.traced[k] = m;
    if (measure && k == measureK) {
      measure->found = m->found;
      measure->left = m->left - x0, measure->right = m->right - x0;
      measure->top = m->top - y0, measure->bottom = m->bottom - y0;
      for (int e = 0; e < 4; ++e) measure->closedShare[e] = m->closedShare[e];
      return 0;
    }
    if (!m->found) {
      if (c.missingPolicy == kComponentVeto) return 0;
      penalty += c.missingPolicy == kComponentOptional ? step : 200 / W;
      continue;
    }
    int failures = 0;
    for (int e = 0; e < 4; ++e)
      if (m->pointCount[e] == 0) ++failures;
    if (c.minWidth > 0 && m->right - m->left < b.XSpan(c.minWidth)) failures += 2;
    if (c.minHeight >= 1 && m->bottom - m->top < b.YSpan(c.minHeight)) failures += 2;
    const int cx = (m->left + m->right) / 2 - x0, cy = (m->top + m->bottom) / 2 - y0;
    if (cx < b.XSpan(c.centre[0]) || cx >= b.XSpan(c.centre[1]) || cy < b.YSpan(c.centre[2]) ||
        cy >= b.YSpan(c.centre[3]))
      failures += 2;
    for (int e = 0; e < 4; ++e) {
      const TextEdgeGroup& g = c.edges[e];
      if (!m->pointCount[e]) continue;
      if (!SlopePasses(g.slopeClass, m->slope[e])) ++failures;
      Band(m->closedShare[e], g.closedHard[0], g.closedHard[1], g.closedSoft[0], g.closedSoft[1], step, &failures,
           &penalty);
      if (m->openingPos[e] >= 0) {
        const bool across = e == kEdgeTop || e == kEdgeBottom;
        auto px = [&](int v) { return across ? b.XSpan(v) : b.YSpan(v); };
        Band(m->openingPos[e], px(g.openingHard[0]), px(g.openingHard[1]), px(g.openingSoft[0]),
             px(g.openingSoft[1]), step, &failures, &penalty);
      }
    }
    for (int j = 0; j < k; ++j) {
      const Measure* o = s.traced[j];
      if (!o || !o->found) continue;
      for (int e = 0; e < 4; ++e)
        if (m->pointCount[e] && o->pointCount[e] == m->pointCount[e] && o->first[e].x == m->first[e].x &&
            o->first[e].y == m->first[e].y && o->last[e].x == m->last[e].x && o->last[e].y == m->last[e].y) {
          penalty += 50;
          break;
        }
    }
    if (failures) penalty += 100 * (failures < 3 ? failures : 3) / W;
  }
  return 100 - penalty;
}

}  // namespace

int MatchTextCharDef(const TextCharTable& table, TextMatchScratch& s, const TextImage& image, int x0, int y0, int x1,
                     int y1, int index, int minScore, bool firstCall) {
  return ScoreDefinition(table, s, image, x0, y0, x1, y1, index, minScore, firstCall, -1, nullptr);
}

bool MeasureTextCharComponent(const TextCharTable& table, TextMatchScratch& s, const TextImage& image, int x0, int y0,
                              int x1, int y1, int index, int k, TextComponentMeasure* out) {
  *out = TextComponentMeasure{};
  if (index < 0 || index >= table.count || k < 0 || k >= table.defs[index].componentCount) return false;
  ScoreDefinition(table, s, image, x0, y0, x1, y1, index, -1000, true, k, out);
  return true;
}

int MatchTextChar(const TextCharTable& table, TextMatchScratch& s, const TextImage& image, int x0, int y0, int x1,
                  int y1, char result[2], bool usePriorityPass, bool onlyX) {
  result[0] = result[1] = 0;
  int bestScore = 0, bestCount = 0, bestPriority = 0;
  bool firstCall = true;
  auto pass = [&](bool firstPassDefs) {
    for (int i = 0; i < table.count; ++i) {
      const TextCharDef& def = table.defs[i];
      if ((def.firstPass != 0) != firstPassDefs) continue;
      if (onlyX && def.character != 'x') continue;
      const int score = MatchTextCharDef(table, s, image, x0, y0, x1, y1, i, 0, firstCall);
      firstCall = false;
      const bool better = score > bestScore ||
                          (score == bestScore && (def.componentCount > bestCount || def.priority > bestPriority));
      if (!better || score <= 0) continue;  // a definition that scores nothing is not taken
      bestScore = score;
      bestCount = def.componentCount;
      bestPriority = def.priority;
      result[0] = static_cast<char>(def.character);
    }
  };
  if (usePriorityPass) {
    pass(true);
    if (bestScore >= 100) return bestScore;
  }
  pass(false);
  return bestScore;
}
