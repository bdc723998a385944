// The page store's table of pages and its index file "!Index".
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kMaxPages = 1024;
constexpr int kPageNameUnits = 40;
constexpr int kScoreNameUnits = 130;
constexpr int kReservedSlots = 3;
constexpr int kReservedSlotBytes = 8;
constexpr char16_t kPageIndexName[] = u"!Index";

// PageRecord flags.
enum : uint32_t {
  kPageSelected = 1u << 0,      // marked for reading
  kPageStaveOverlay = 1u << 1,  // the page view shows its stave overlay over the image
  kPagePaneMark = 1u << 2,      // a mark of the pages pane
  kPageNotInScore = 1u << 3,
  kPageHasProblem = 1u << 5,
  kPageModified = 1u << 6,
  kPageProblemCodeShift = 8,    // bits 8-11
  kPageProblemCodeMask = 0xFu << 8,
  kPageHandwritten = 1u << 12,
  // Cleared on every load: no page is marked for reading after a restart.
  kPageFlagsClearedOnLoad = kPageSelected | kPagePaneMark,
};

// PageRecord states.
// kPageInReadScore: a pending page that a score file just read holds.
enum : uint8_t { kPageNotRead = 0, kPageBeingRead = 1, kPageInReadScore = 2, kPageRead = 3, kPageOfLoadedScore = 4 };

struct PageRecord {
  int16_t scanId = 0;                     // names the page's files; unique in the table
  char16_t name[kPageNameUnits] = {};     // NUL-ended; the last unit is always 0
  int16_t resolution = 0;                 // dots per inch
  uint8_t state = kPageNotRead;
  uint32_t flags = 0;
  uint32_t pageKey = 0;                   // unique among the pages and the open score's pages
  uint8_t reserved[kReservedSlots][kReservedSlotBytes] = {};  // kept as read
  char16_t scoreName[kScoreNameUnits] = {};
  int16_t scorePageNumber = 0;            // from 1; 0 none
};

struct PageTable {
  PageRecord rows[kMaxPages];
  uint32_t pageCount = 0;
  int32_t currentPage = -1;  // row shown in the page view, -1 none
  uint32_t indexMark = 0;    // carried by the index file, written back as read
};

// The one table of the program.
extern PageTable pageTable;

// ---- The index file ----

enum class IndexRead {
  kRead,
  kMissing,   // no such file
  kFailed,    // could not be opened or read
  kDamaged,   // cut short, a page count above the table's rows, an unknown version
};

// Reads an index file into table (emptied first; left empty unless kRead).
// Versions 1 to 3 are read.
IndexRead ReadPageIndexFile(const char16_t* path, PageTable* table);
// Writes table as version 3 beside path and puts it in place only when every
// byte was stored; false leaves the file there as it was.
bool WritePageIndexFile(const char16_t* path, const PageTable& table);

// The program's index in the page store: an empty one is written first when
// there is none. A file that cannot be read leaves the table empty, says so,
// and is kept beside the index under another name. Lays out the pages pane.
bool ReadPageIndex();
// Writes pageTable to the page store's index; a failure is shown and leaves
// the old index in place.
bool WritePageIndex();

// ---- Keys and rows ----

// A key no page of the table or of the open score holds.
uint32_t UniquePageKey();
// The same for a given calendar time in seconds.
uint32_t UniquePageKeyAt(uint64_t seconds);
// The smallest store id that no row in use holds.
int16_t NextFreeScanId(const PageTable& table);

// Drops the entries equal to removed from a list of rows and moves the
// later rows up by one.
void AdjustProblemPages(int* entries, int* count, int removed);
// Removes row index, its image and data files (asking first with ask).
void RemoveScannedPage(int index, bool ask);
