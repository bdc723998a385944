// The frame's side of reading: merging a read page into the score, the end
// of a reading, and choosing the next page to read. Runs on the interface
// thread only.
#pragma once

#include <cstdint>

#include "score/PageMarks.h"
#include "score/ScoreStream.h"

// Readies the score's streams for a new page, page number pageNumber of the
// score: each stream with room, its trailing end mark dropped, and where it
// now ends recorded in the page's row of pageStarts. 1 on success, 0 when a
// stream cannot grow. Score building provides it.
using PageStreamFinisher = int (*)(StreamSet* score, uint32_t (*pageStarts)[kPageStartSlots], int pageNumber);

// Room the finisher leaves in every stream.
constexpr uint32_t kPageStreamRoom = 128;

// Inserts the page items of every work stream (13 slots) into the score
// streams as page position (1-based) of a score of pageCount pages, with
// pageStarts[k][slot] the offset where page k + 1 begins. Every score stream
// is grown first; when one cannot grow nothing changes and the result is
// false. Then finish (null: false, nothing changed) readies the streams for
// page pageCount + 1. On success each work stream's items, ended by a page
// mark, stand at the page's place, every stream ends in one end-of-score
// mark, later pages' starts move up one page and by the inserted length, and
// the work streams are emptied.
bool MergePageStreams(StreamSet* score, StreamSet* work, uint32_t (*pageStarts)[kPageStartSlots], int pageCount,
                      int position, PageStreamFinisher finish);

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
  // The page workspace after a merge: the page just read (when it is the
  // score's first) becomes the page view's page.
  void (*showReadPageInWorkspace)(int firstPage);
  // The reading problem of score page scorePage (from 1), if it has one,
  // told to the user once: after the score's first page is shown.
  void (*reportPageProblem)(int scorePage);
  int (*markInaccuratePage)();
  // Readies the score's streams for the page being merged; without it no
  // page is merged.
  PageStreamFinisher finishPageStreams;
  // The page read has just been merged: what its reading gives the score
  // beside the streams (the part count and the records of the part slots
  // it opened) goes into the score. A page that is not merged gives nothing.
  void (*applyPageParts)();
  // A notice the reading thread queued, shown now (status or error text).
  void (*showNotice)(int kind, unsigned stringId);
  // Sets the frame's next-page timer to fire after delay milliseconds.
  void (*setNextPageTimer)(int delayMs);
};
HandOverHooks& CurrentHandOverHooks();
// Fills the hooks that need no window: the score marked modified (its saved
// flag through the score file's hooks), the meter at the current score page,
// the staves of the read page written into its stored data file when they
// were found afresh, the score's read pages numbered by their place in it,
// and the automatic backup forced.
void ConnectHandOverToScore();

// WM_APP+12: merges readPage into the score when the stages wrote items;
// always posts WM_APP+10.
void AddReadPageToScore();
// WM_APP+10: the reading has ended; the next page is read. Ignored while a
// newer reading is in work (its own end follows).
void OnReadingFinished();
// Starts reading the first ticked page (or asks the page in work to stop
// when a page above it was ticked). While the score is full nothing starts:
// the pages stay ticked and the status bar says so, once for the request.
void ReadNextPendingPage();
// While the frame decides whether to close, no reading starts: its save
// question runs a message loop, in which the end of the reading before or a
// page just opened would start the next page, and the close, once answered,
// would end the program with that page half read. A start asked for
// meanwhile is made when the close is called off (ReleaseReadingStarts).
void HoldReadingStarts();
void ReleaseReadingStarts();
// Asks for the next page: now, at once; else after delayMs through the
// frame's timer (kReadNextPageTimer); else through the frame's message queue
// (kReadNextPageMessage). Both lead the frame to ReadNextPendingPage.
void ScheduleNextPage(int now, int delayMs);
// Marks the page of row for reading into the score at position (1-based)
// and moves it to the top of the page table; then reads the next page.
// False when refused (the row being read, or a page the score still holds:
// its score page must be removed first).
bool ReadPageIntoScore(int row, int position);
// Shows the notices the reading thread queued.
void ShowReadingNotices();
