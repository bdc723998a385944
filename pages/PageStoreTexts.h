// UI string ids of the page store.
#pragma once

#include <cstdint>

enum : unsigned {
  kTextPageLimitReached = 10013,   // the table is full
  kTextStoringUncompressed = 10038,
  kTextNoMemoryToDecompress = 10039,
  kTextRemovePagesQuestion = 10080,
  kTextPageIndexDamaged = 11650,   // %s the index, %s the copy kept
  kTextPageIndexNotSaved = 11651,  // %s: the index there unchanged
  kTextStoredPageDamaged = 11652,  // %s: the page image file
  kTextPageDataNotSaved = 11653,   // %s: the data file there unchanged
  kTextPageNotStored = 11654,      // %s: the page image file
  kTextPageDataDamaged = 11655,    // %s: the page data file
  kTextPageDataStavesLeftOut = 11656,  // %s: the page data file, read without its damaged staves
};

// An error box with the text of id formatted with the given paths.
void ShowPageStoreError(unsigned id, const char16_t* path, const char16_t* second = nullptr);
// A yes/no question with the text of id; true for yes.
bool AskPageStoreQuestion(unsigned id);
