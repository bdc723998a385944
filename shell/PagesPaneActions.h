// What the pages pane does to the page table: the refresh that re-checks and
// orders the rows, ticking rows for reading and removing them. The indexes
// that name rows (the row being read, the page shown in the page view) move
// with their records. Interface thread only.
#pragma once

#include <cstdint>

// Re-checks the read rows against the current score, orders the rows and
// returns where rowToShow (-1 for none) now stands.
int RefreshPageRows(bool collapseOthers, int rowToShow);

// A click on the tick box of row: with the row selected in the pane every
// selected pending row (from the top, up to the first read row) takes the
// opposite of the row's tick, else only the row toggles. Changed rows lose
// their wanted score position. False when nothing changed.
bool TickPageRows(int row);

// Removes row, or with the row selected every selected row, except the row
// being read, from the page store; the row being read keeps its record.
// The number of rows removed.
int RemovePageRows(int row);

// Toggles the pane mark of the page whose files scanId names, wherever its
// row stands now (opening a page can let the rows be reordered), under the
// page table's lock: the reading thread writes the same flags. False when no
// row has that page.
bool TogglePaneMark(int16_t scanId);

// The page title as the pane shows it: "* name" for a changed read page,
// "[H] name" for a pending handwritten page.
void PageRowTitle(int row, char16_t* out, int units);

// Says what went wrong when row was read (no staves found; staves not found
// exactly, by the stave positions notice; only percussion staves; staves too
// narrow, with the advice) and clears its failure mark.
void ReportPageProblem(int row);
// The same for the row of score page scorePage (from 1), when it has one;
// a page read with many errors first brings the accuracy notice, once.
void ReportPageProblemIfAny(int scorePage);
// The row of score page scorePage (from 1) is no longer marked changed.
// False when the score page has no row.
bool ClearPageModifiedMark(int scorePage);
