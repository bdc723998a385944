#include "shell/ScorePageLink.h"

#include <cmath>
#include <cstdlib>

#include "pages/PageTable.h"
#include "score/ScoreFile.h"

namespace {

constexpr int32_t kNoDistance = 0x10000;

}  // namespace

int PageRowOfScorePage(int scorePage) {
  if (scorePage < 1 || scorePage > ScorePages.count || scorePage > kMaxScorePages) return -1;
  const uint32_t key = ScorePages.rows[scorePage - 1].key;
  if (key == kNoPageKey) return -1;
  for (uint32_t i = 0; i < pageTable.pageCount && i < kMaxPages; ++i) {
    if (pageTable.rows[i].pageKey == key) return int(i);
  }
  return -1;
}

int LinkedItemRow(const ItemIndex& index, int32_t x, int32_t y, int boxCount) {
  int best = -1;
  int32_t bestDistance = kNoDistance;
  const int count = index.count < kItemIndexCapacity ? index.count : kItemIndexCapacity;
  for (int i = 0; i < count; ++i) {
    const ItemIndexRow& row = index.rows[i];
    if (x < row.left || x > row.right || y < row.top || y > row.bottom) continue;
    const int32_t distance = std::abs(x - RowCentreX(row)) + std::abs(y - RowCentreY(row));
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return best >= 0 && best < boxCount ? best : -1;
}

HighlightRegion LinkHighlight(const int16_t box[4], double zoom) {
  const int32_t grow = zoom > 0.0 ? int32_t(std::lround(2.0 / zoom)) : 2;
  return HighlightRegion{box[0] - grow, box[2] - grow, box[1] + grow, box[3] + grow};
}
