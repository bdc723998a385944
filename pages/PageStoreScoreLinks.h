// The page store's answers to the score file: page records found and marked
// by their keys, the data ids the records hold, the score name and place of
// the score's pages in their records, and the page index written.
#pragma once

// Installs them in the score file's hooks.
void ConnectPageStoreToScoreFile();

// Every read page of the current score gets its place in the score's page
// list (from 1) as its list number.
void NumberPagesInList();
