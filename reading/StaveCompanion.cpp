#include "reading/StaveCompanion.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "pages/PageData.h"
#include "pages/PageTable.h"
#include "pages/SpriteArea.h"
#include "platform/FileLayer.h"
#include "reading/FileOpenerHooks.h"

namespace {

constexpr int kJoinPercent = 90;
constexpr int64_t kLargestCoordinate = INT16_MAX;

struct CompanionStave {
  uint32_t lines;
  uint32_t joined;
  int64_t left, top, right, bottom;
};

// The page view's 1-bit rows, or null when it holds no 1-bit page.
const uint8_t* PageRows(uint32_t* stride) {
  const uint8_t* area = viewPage.Area();
  if (!area || SpriteBitsPerPixel(SpriteWord(area, kSpriteMode)) != 1) return nullptr;
  *stride = (SpriteWord(area, kSpriteWidthWords) + 1) * 4;
  return SpriteRows(area);
}

// Whether nearly every row of the gap above stave holds ink near its left edge:
// a brace or system line joins it to the stave above.
bool GapIsBridged(int64_t gapTop, int64_t gapBottom, int64_t left) {
  int64_t rows = gapBottom - gapTop;
  uint32_t stride = 0;
  const uint8_t* image = PageRows(&stride);
  if (rows <= 0 || !image) return false;
  int64_t reach = viewPage.resolution / 8;
  int64_t firstByte = std::max<int64_t>(0, left - reach) / 8;
  int64_t lastByte = std::min<int64_t>((left + reach) / 8, (int64_t(viewPage.width) + 7) / 8 - 1);
  int64_t black = 0;
  for (int64_t y = gapTop; y < gapBottom; ++y) {
    if (y < 0 || y >= int64_t(viewPage.height)) continue;
    const uint8_t* row = image + size_t(y) * stride;
    for (int64_t b = firstByte; b <= lastByte; ++b)
      if (row[b]) {
        ++black;
        break;
      }
  }
  return black * 100 / rows >= kJoinPercent;
}

bool ReadStaves(std::FILE* file, CompanionStave* staves, uint32_t* count) {
  uint32_t declared = 0;
  if (!ReadU32LE(file, &declared)) return false;
  uint32_t kept = 0;
  int64_t width = std::min<int64_t>(viewPage.width, kLargestCoordinate);
  int64_t height = std::min<int64_t>(viewPage.height, kLargestCoordinate);
  for (uint32_t k = 0; k < std::min(declared, kMaxCompanionStaves); ++k) {
    uint32_t f[6];
    for (uint32_t& v : f)
      if (!ReadU32LE(file, &v)) return false;
    if (f[0] < 1 || f[0] > uint32_t(kMaxStaveLines)) return false;
    CompanionStave s{f[0], f[1], int64_t(f[2]), int64_t(f[3]), int64_t(f[2]) + f[4], int64_t(f[3]) + f[5]};
    s.right = std::min(s.right, width - 1);
    s.bottom = std::min(s.bottom, height - 1);
    if (s.right <= s.left || s.bottom <= s.top) continue;
    staves[kept++] = s;
  }
  *count = kept;
  return true;
}

void FillLineTable(int slot, int64_t depth, uint32_t lines) {
  for (uint32_t i = 0; i < uint32_t(kMaxStaveLines); ++i) {
    int16_t y = 0;
    if (i < lines && lines > 1) y = static_cast<int16_t>((2 * depth * i / (lines - 1) + 1) / 2);
    for (int c = 0; c < kStaveColumns; ++c) viewPage.lineCurves.y[slot][i][c] = y;
  }
}

}  // namespace

bool CompanionPath(const char16_t* path, char16_t* out, size_t capacity) {
  size_t n = 0;
  while (path[n]) ++n;
  if (n + 5 > capacity) return false;
  std::memcpy(out, path, n * sizeof(char16_t));
  std::memcpy(out + n, u".stv", 5 * sizeof(char16_t));
  return true;
}

int ReadStaveCompanion(const char16_t* path) {
  std::FILE* file = FileOpen(path, kFileRead, false);
  if (!file) return 0;
  CompanionStave staves[kMaxCompanionStaves];
  uint32_t count = 0;
  bool read = ReadStaves(file, staves, &count);
  FileClose(file);
  if (!read) return 0;

  int16_t system = 0;
  for (uint32_t k = 0; k < count; ++k) {
    const CompanionStave& s = staves[k];
    if (k == 0) system = 1;
    else if (!s.joined && !GapIsBridged(staves[k - 1].bottom + 1, s.top, s.left)) ++system;
    StaveRecord& r = viewPage.staves[k];
    r = StaveRecord{};
    r.left = static_cast<int16_t>(s.left);
    r.top = static_cast<int16_t>(s.top);
    r.right = static_cast<int16_t>(s.right);
    r.bottom = static_cast<int16_t>(s.bottom);
    r.lineCount = static_cast<int16_t>(s.lines);
    r.group = system;
    r.kind = static_cast<int16_t>((s.lines == 4 || s.lines == 6) ? 1 : s.lines < 4 ? 2 : 0);
    r.midX = static_cast<int16_t>((s.left + s.right) / 2);
    r.midTop = r.top;
    r.rightTop = r.top;
    r.spacingOverride = 0.0;
    r.joinLeftEnd = r.joinRightStart = kNotJoined;
    viewPage.curvesValid[k] = 1;
    viewPage.modelCurves[k] = 0;
    FillLineTable(int(k), s.bottom - s.top, s.lines);
  }
  viewPage.staveCount = count;

  // The page is marked only when its data file holds the staves: a mark
  // without them would promise staves that a later load cannot find.
  const bool written = CurrentFileOpenerHooks().writePageStaveData();
  if (written && pageTable.currentPage >= 0 && uint32_t(pageTable.currentPage) < pageTable.pageCount) {
    pageTable.rows[pageTable.currentPage].flags |= kStavesFromCompanion;
    WritePageIndex();
  }
  return 1;
}
