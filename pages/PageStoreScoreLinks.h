// The page store's answers to the score file: page records found and marked
// by their keys, the data ids the records hold, the score name and place of
// the score's pages in their records, and the page index written.
#pragma once

// Installs them in the score file's hooks.
void ConnectPageStoreToScoreFile();

#include <cstdint>

#include "pages/PageTable.h"

// Every read page of the current score gets its place in the score's page
// list (from 1) as its list number.
void NumberPagesInList();
// Read pages named after the current score's file (letter case aside) that
// the score no longer holds lose the name and their list number.
void ClearStaleScoreNames();
// After a score file was read: its pending pages take the score's file name
// and count as read.
void MarkPagesOfScore();

// The place (from 1) of the page of key in the current score's page list; 0
// when the score does not hold it.
int ScorePageOfKey(uint32_t key);
// Whether the page of row is in the current score's page list.
bool IsPageInScore(int row);
// The first row of a page read into a score (state 2 or more), or the row
// count when there is none.
int FirstReadPageRow(const PageTable& table);
int FirstReadPageRow();
