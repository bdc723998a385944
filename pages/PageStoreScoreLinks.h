// The page store's answers to the score file: page records found and marked
// by their keys, and the page index written.
#pragma once

// Installs them in the score file's hooks.
void ConnectPageStoreToScoreFile();
