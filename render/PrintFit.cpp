#include "render/PrintFit.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "score/ScoreFile.h"

int32_t ScorePrintUnit = 1;

bool FitPrintPage(const PrinterCaps& caps, PrintFit* fit) {
  if (ScorePrintUnit <= 0 || ScorePageSize.width == 0 || ScorePageSize.height == 0) return false;
  const double r = 24.0 / ScorePrintUnit;
  const double ml = std::trunc(145 * r * 0.5 + 0.5), mt = std::trunc(185 * r * 0.5 + 0.5);
  const double mr = std::trunc(145 * r * 0.5 + 0.5), mb = std::trunc(130 * r * 0.5 + 0.5);
  const double pw = ScorePageSize.width * r + 0.5 - (ml + mr);
  const double ph = (ScorePageSize.height * r + 3.0) + 0.5 - (mt + mb);
  const double physW = std::abs(caps.physicalWidth), physH = std::abs(caps.physicalHeight);
  const double horz = std::abs(caps.printableWidth), vert = std::abs(caps.printableHeight);
  const double offX = std::abs(caps.offsetX), offY = std::abs(caps.offsetY);
  if (pw <= 0 || ph <= 0 || horz <= 0 || vert <= 0) return false;
  double usedW, usedH;
  if (vert / horz <= ph / pw) {
    usedH = vert;
    usedW = std::trunc(vert / (ph / pw) + 0.5);
  } else {
    usedW = horz;
    usedH = std::trunc(horz * (ph / pw) + 0.5);
  }
  const double s = usedW / pw;
  if (!(s > 0)) return false;
  const double k = std::min({1.0, physW / (usedW + (ml + mr) * s), physH / (usedH + (mt + mb) * s),
                             (physW - offX) / (usedW + mr * s), (physH - offY) / (usedH + mb * s),
                             (offX + horz) / (usedW + ml * s), (offY + vert) / (usedH + mt * s)});
  if (!(k > 0)) return false;
  const double x0 = std::max(0.0, ml * s * k - offX);
  const double y0 = std::max(0.0, mt * s * k - offY);
  const double cx = std::trunc(x0 + ((physW - offX) - k * (usedW + mr * s) - x0) * 0.5);
  fit->ratio = r;
  fit->windowExtent = {static_cast<int32_t>(DeviceScale() * pw), static_cast<int32_t>(DeviceScale() * ph)};
  fit->viewportExtent = {static_cast<int32_t>(usedW * k), static_cast<int32_t>(usedH * k)};
  fit->originX = static_cast<int32_t>(std::trunc(cx / (s * k)) - ml);
  fit->originY = static_cast<int32_t>(std::trunc(y0 / (s * k)) - mt);
  return true;
}
