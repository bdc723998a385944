// Pages for the seed makers of the page data targets, and the sound data
// file a store target puts beside a fuzzed one.
#pragma once

#include "pages/PageData.h"

namespace fuzz {

// Stave s of a made page, with lines lines.
StaveRecord MadeStave(int s, int lines);
// A made page: three staves (the second without curves, the third of six
// lines with model curves), three boxes with values, a scaled size and
// offsets.
void FillSeedPage(PageData* page);
// The made page's staves written as the data file of page-table row through
// the page store (SavePageStaves); false when nothing was written.
bool SaveSeedPageStaves(int row, bool working);

}  // namespace fuzz
