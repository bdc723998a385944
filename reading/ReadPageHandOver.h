// The frame's side of reading: merging a read page into the score, the end
// of a reading, and choosing the next page to read. Runs on the interface
// thread only.
#pragma once

#include <cstdint>

#include "score/ScoreStreams.h"

// Inserts the page items of every work stream (13 slots) into the score
// streams as page position (1-based) of a score of pageCount pages, with
// pageStarts[k][slot] the offset where page k + 1 begins. Every score stream
// is grown first; when one cannot grow nothing changes and the result is
// false. On success each work stream's items, ended by a page mark, stand
// at the page's place, every stream ends in the end-of-score mark, later
// pages' starts move up one page and by the inserted length, and the work
// streams are emptied.
bool MergePageStreams(StreamSet* score, StreamSet* work, uint32_t (*pageStarts)[15], int pageCount,
                      int position);

// What the merge asks of the shell; null members are skipped.
struct HandOverHooks {
  void (*setScoreModified)();
  void (*findMeterAtPage)();
  void (*writePageStaveData)();     // the read page's staves, found afresh
  void (*numberPagesInList)();
  int (*refreshPagesPane)(int row); // the row's new index
  void (*autoSaveBackup)();
  void (*updateCommandStates)();
  void (*redrawPagesPane)();
  void (*showMergedPage)(int firstPage);  // the score view after a merge
  int (*markInaccuratePage)();
  // A notice the reading thread queued, shown now (status or error text).
  void (*showNotice)(int kind, unsigned stringId);
};
HandOverHooks& CurrentHandOverHooks();

// WM_APP+12: merges readPage into the score when the stages wrote items;
// always posts WM_APP+10.
void AddReadPageToScore();
// WM_APP+10: the reading has ended; the next page is read.
void OnReadingFinished();
// Starts reading the first ticked page (or asks the page in work to stop
// when a page above it was ticked); nothing while the score is full.
void ReadNextPendingPage();
// Marks the page of row for reading into the score at position (1-based)
// and moves it to the top of the page table; then reads the next page.
// False when refused (the row being read, or a position that needs a
// score page removed first).
bool ReadPageIntoScore(int row, int position);
// Shows the notices the reading thread queued.
void ShowReadingNotices();
