// The page data of the score's pages: the page view's loader, which also
// fills the score's current-page stave table and decides whether the view's
// object boxes belong to the current score page, and the save that writes a
// score page's data file under the score's data key of the page.
#pragma once

#include <climits>
#include <cstdint>

#include "score/StaveTypes.h"

struct PageData;

// The staves of the current score page, mirrored from the page view.
struct ScoreStaveTable {
  StaveRecord rows[kStaveSlots];
  uint32_t count = 0;
};
extern ScoreStaveTable ScorePageStaves;

// 1 while the page view's object boxes do not belong to the current score
// page (or no page data exists): the score editor leaves the page alone.
extern int PageBoxesMissing;

// The page table's current page, as the loader's row.
constexpr int kCurrentPageRow = INT_MIN;

// Loads a page data file into page (null: the page view, whose staves also
// go into ScorePageStaves): with fromTable the file of page-table row index,
// else that of the current score page. keepScoreScale leaves the score
// view's scale alone. A missing file leaves the page without staves or
// boxes; a damaged one is shown and leaves the page as it was.
void LoadCurrentPageData(bool fromTable, bool keepScoreScale, PageData* page = nullptr,
                         int index = kCurrentPageRow);

// Writes the data file of a score page: of the page view for the current
// score page (page null), else of page for score page readScorePage (from 1;
// the reading thread's place of the page in the score). The staves are the
// score's current-page stave table for the view, the page's own otherwise.
// newKey gives the page a fresh data key, which the score keeps once the
// file is written. The view's page without boxes keeps its staves alone, in
// the data file of the page table's current row under that row's own key,
// while the page has not been read. False when nothing was written: no
// boxes (nor staves of an unread page in the view), no such score page, a
// score page without data, or a failed write (shown).
bool SavePageData(bool newKey, bool working, PageData* page = nullptr, int readScorePage = 0);
