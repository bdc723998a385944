// Finishing the score's part streams for a page that has just been read: every
// stream gets room, loses a trailing end mark, and the new page's row of page
// starts records where each stream ends, which is where the page's items go.
#pragma once

#include <cstdint>

#include "score/PageMarks.h"
#include "score/ScoreStream.h"

// pageNumber is the new page's 1-based number (the score's page count once
// raised for it); its row of pageStarts is pageNumber - 1. A page number
// outside 1..kMaxScorePages is refused (0, nothing changed). 0 also when a
// stream cannot grow: the slots before it are finished, the rest left as
// they were. 1 on success.
// The hand-over calls it through its hooks when it merges a read page
// (MergePageStreams, reading/ReadPageHandOver.h).
int FinishPagePartStreams(StreamSet* score, uint32_t (*pageStarts)[kPageStartSlots], int pageNumber);
