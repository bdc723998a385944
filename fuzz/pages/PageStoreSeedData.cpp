#include "fuzz/pages/PageStoreSeedData.h"

#include <memory>

namespace fuzz {

StaveRecord MadeStave(int s, int lines) {
  StaveRecord r;
  r.left = 120;
  r.right = 2300;
  r.top = static_cast<int16_t>(300 + 260 * s);
  r.bottom = static_cast<int16_t>(r.top + 24 * (lines - 1));
  r.group = static_cast<int16_t>(s / 2);
  r.lineCount = static_cast<int16_t>(lines);
  r.lineThickness = 3;
  r.midX = 1210;
  r.midTop = r.top;
  r.rightTop = static_cast<int16_t>(r.top + 2);
  r.kind = lines == 5 ? 0 : 1;
  return r;
}

void FillSeedPage(PageData* page) {
  page->staveCount = 3;
  for (int s = 0; s < 3; ++s) {
    page->staves[s] = MadeStave(s, s == 2 ? 6 : 5);
    page->curvesValid[s] = s != 1;
    page->modelCurves[s] = s == 2;
    for (int k = 0; k < page->staves[s].lineCount; ++k)
      for (int c = 0; c < kStaveColumns; ++c) page->lineCurves.y[s][k][c] = static_cast<int16_t>(k * 24 + c / 300);
  }
  page->boxCount = 3;
  for (int i = 0; i < 3; ++i) {
    page->boxes[i][0] = static_cast<int16_t>(100 * i);
    page->boxes[i][1] = 50;
    page->boxes[i][2] = static_cast<int16_t>(100 * i + 40);
    page->boxes[i][3] = 90;
    page->boxValues[i] = 0.25f * float(i);
  }
  page->scaledWidth = 2480;
  page->scaledHeight = 3508;
  page->offsetX = 4;
  page->offsetY = 6;
}

bool SaveSeedPageStaves(int row, bool working) {
  auto page = std::make_unique<PageData>();
  FillSeedPage(page.get());
  return SavePageStaves(row, working, *page);
}

}  // namespace fuzz
