// The engine's curves and hairpins of a stave group, read from its page
// description into the group's curve and line lists.
#include <algorithm>

#include "Code/Quorm/Mscrptio.h"
#include "reading/StaveSpacing.h"
#include "stages/EngineCurves.h"
#include "stages/SlursTiesHairpins.h"

namespace {

constexpr int32_t kEnginePage = 0;

}  // namespace

int EngineStaveOfRow(const StaveRow* rows, int count, int s) {
  if (!rows || s < 0 || s >= count) return -1;
  const int group = rows[s].group;
  const int index = StaveIndexInGroup(rows, count, s);
  if (group >= GetPageSystemCount(kEnginePage) || index >= GetSystemStaveCount(kEnginePage, group)) return -1;
  return index;
}

bool EngineHasCurves(int group) {
  return group >= 0 && group < GetPageSystemCount(kEnginePage) && GetSystemSlurCount(kEnginePage, group) > 0;
}

int ImportEngineSlurs(int group, CurveItem* curves, uint32_t& curveCount) {
  if (!EngineHasCurves(group)) return 1;
  const int32_t n = GetSystemSlurCount(kEnginePage, group);
  for (int32_t i = 0; i < n && curveCount < kCurveItemLimit; ++i) {
    const MscriptSlur slur = GetSystemSlur(kEnginePage, group, i);
    const EngineCurve arc = EngineCurveFromSlur(slur);
    const EngineArcPoint centre = EngineArcCentre(arc);
    const int32_t len = arc.x1 - arc.x0;
    if (len <= 0) continue;
    const int32_t midY = (arc.y0 + arc.y1) / 2;
    CurveItem item{};
    item.x0 = static_cast<int16_t>(arc.x0);
    item.y0 = static_cast<int16_t>(arc.y0);
    item.x1 = static_cast<int16_t>(arc.x1);
    item.y1 = static_cast<int16_t>(arc.y1);
    item.apexPos = static_cast<uint8_t>(std::clamp<int64_t>(int64_t(centre.x - arc.x0) * 127 / len, 0, 127));
    if (arc.radius >= 0) {
      item.bulge = static_cast<uint8_t>(std::clamp<int64_t>(int64_t(centre.y - midY + arc.radius) * 127 / len, 0, 127));
    } else {
      item.bulge = static_cast<uint8_t>(
          std::clamp<int64_t>(int64_t(midY - centre.y - arc.radius) * 127 / len, 0, 127) + kBulgeAbove);
    }
    curves[curveCount++] = item;
  }
  return 1;
}

int ImportEngineHairpins(int group, int staveIndex, LineItem* lines, uint32_t& lineCount) {
  if (group >= GetPageSystemCount(kEnginePage) || staveIndex < 0 ||
      staveIndex >= GetSystemStaveCount(kEnginePage, group))
    return 1;
  const int32_t n = GetStaveDynamicCount(kEnginePage, group, staveIndex);
  for (int32_t i = 0; i < n && lineCount + 1 < kLineItemLimit; ++i) {
    const MscriptDynamic mark = GetStaveDynamic(kEnginePage, group, staveIndex, i);
    if (mark.code != 0 && mark.code != 1) continue;  // dynamics
    const int16_t left = static_cast<int16_t>(mark.box.x0), right = static_cast<int16_t>(mark.box.x1);
    const int16_t top = static_cast<int16_t>(mark.box.y0), bottom = static_cast<int16_t>(mark.box.y1);
    const int16_t mid = static_cast<int16_t>((top + bottom) / 2);
    LineItem a{}, b{};
    a.x0 = b.x0 = left;
    a.x1 = b.x1 = right;
    if (mark.code == 0) {  // the lines meet at the right
      a.y0 = top;
      b.y0 = bottom;
      a.y1 = b.y1 = mid;
    } else {  // they meet at the left
      a.y0 = b.y0 = mid;
      a.y1 = top;
      b.y1 = bottom;
    }
    lines[lineCount++] = a;
    lines[lineCount++] = b;
  }
  return 1;
}
