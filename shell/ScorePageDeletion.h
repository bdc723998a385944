// Deleting the current score page: its items cut out of every part stream,
// its entries out of the score's page lists, its page record no longer a
// page of the score.
#pragma once

#include <cstdint>

#include "score/PageMarks.h"
#include "score/ScoreFile.h"
#include "score/ScoreStream.h"

// Cuts score page `page` (1-based) of pages->count out of streams and lists:
// each stream loses the page's bytes (its items and its page mark) and the
// later pages' starts move down by them; a stream whose last page went ends
// in one end mark. When given, readingTarget (the score position the page
// being read is to take) moves down by one when it lies at or after the cut
// page. False, nothing changed, for a page outside the score.
bool CutScorePage(int page, StreamSet* streams, uint32_t (*pageStarts)[kPageStartSlots], ScorePageList* pages,
                  uint32_t* readingTarget);

// The command: removes the current score page (asking first unless silent;
// refused while reading on page 1), frees its page record from the score,
// drops its working data file and refreshes what shows the score.
void DeleteScorePage(int silent, int refreshPagesPane);
