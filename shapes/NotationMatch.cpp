#include "shapes/NotationMatch.h"

#include <algorithm>

#include "shapes/RunDescription.h"
#include "shapes/ShapeRuns.h"
#include "shapes/ZoneFeatures.h"

int GradeNotationShape(const NotationDatabase& db, const uint8_t* bits, int stride, int x, int y, int width,
                       int height, int type, HeadPlace place) {
  uint8_t grid[8 * 8];
  if (!ComputeZoneDensityGrid(bits, stride, x, y, width, height, 8, 8, grid)) return 0;
  uint8_t shape[kRunDescriptionHeaderBytes + 16 * (4 + 4 * 8)];  // the longest 8 x 8 description
  BuildShapeRunDescription(grid, 8, 8, db.NotationDarknessTable[kSolidHeadType], shape);
  int best = 0;
  for (size_t at = 0; at < db.groups.size();) {
    NotationGroup g;
    if (!ReadNotationGroup(db.groups.data() + at, db.groups.size() - at, &g)) break;
    at += g.length;
    if (g.typf != 255 || g.type != type || !PlaceAllowed(g.header, place)) continue;
    int grade = 0;
    best = std::max(best, MatchShapeTemplates(g, db.descriptions.data(), db.descriptions.size(), shape, &grade));
  }
  return best;
}
