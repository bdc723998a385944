// The "Read" menu on the page shown in the page view: its page read into the
// score at the end, before or after the current score page, or in its place.
// A page the score already holds is read again only when the user agrees to
// lose that score page. Interface thread only.
#pragma once

// The question before a page the score holds as score page `page` is read
// again, as the user reads it.
void ReReadQuestionText(int page, char16_t* out, int units);

// Reads the page of row into the score for the command (IDM_READ_PLACE_AT_END,
// _BEFORE, _AFTER, IDM_READ_REPLACE). The score page the read page will
// replace (the current one for Replace, the page's own when the score holds
// it already, after a Yes to the question) is removed first. False when
// nothing was placed (refused, answered No, no such row or command).
bool ReadRowIntoScore(int row, int command);
