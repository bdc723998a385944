// The working data of one page: its image, its staves with their traced line
// curves and the object boxes the score links to it; and the page data file
// ("Data" in the page's folder, "TDir" for the working copy) that keeps the
// staves, curves and boxes beside the page's image.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Messages.h"
#include "score/StaveTypes.h"

constexpr int kPageBoxSlots = 4112;
constexpr int kMaxLoadedBoxes = 4096;
constexpr size_t kImageNameBytes = 12;

struct PageData {
  int16_t boxes[kPageBoxSlots][4];  // four coordinates per box, in the order stored
  float boxValues[kPageBoxSlots];
  int16_t boxCount;                 // 0: the page has no data to save
  Handle imageArea;                 // the page's sprite area, owned here
  uint32_t width, height;           // image size in pixels
  char imageName[kImageNameBytes];  // "scanned", "waitimage" or "NoScan"
  StaveRecord staves[kStaveSlots];
  uint32_t staveCount;              // at most kMaxPageStaves after loading
  int32_t resolution;               // dots per inch
  uint32_t curvesValid[kStaveSlots];  // 0: the stave's curves must be traced again
  uint32_t modelCurves[kStaveSlots];  // 1: the curves are the smooth model
  StaveLineTable lineCurves;
  uint32_t scaledWidth, scaledHeight;  // page size times the reading scale
  uint32_t offsetX, offsetY;           // added to stave coordinates on loading

  uint8_t* Area() const { return static_cast<uint8_t*>(imageArea); }
};

// The page view's copy and the reading thread's copy.
extern PageData viewPage;
extern PageData readPage;

// ---- The file ----

constexpr uint32_t kPageDataVersion = 6;

// What a page data file holds besides the stave records: the staves' curve
// state comes from and goes to the PageData itself.
struct PageDataFileFields {
  uint32_t pageKey = 0;
  bool withOffsets = false;  // the offsets written are the page's own, else zeros
  // Staves only: no boxes and no scaled size are written, and the file is
  // written although the page has no boxes (a page new to the store).
  bool stavesOnly = false;
};

enum class PageDataRead { kRead, kMissing, kFailed, kDamaged };

// Writes staveCount staves of page (their records, curve flags and curves)
// and its boxes beside path, putting the file in place only when every byte
// was stored. False leaves the file there as it was.
bool WritePageDataFile(const char16_t* path, const PageData& page, const StaveRecord* staves, uint32_t staveCount,
                       const PageDataFileFields& fields);

// Reads a page data file (versions 0 to 6) into page: at most 13 staves with
// their curve flags and curves, shifted by the stored offsets; the boxes (at
// most 4096, the rest read past), their values, the scaled size and the
// offsets; the page key into *pageKey. The file is checked whole before page
// changes: anything but kRead leaves page as it was. A stave block whose line
// count is outside 1..6 is left out (message 11656) and the rest is read.
PageDataRead ReadPageDataFile(const char16_t* path, PageData* page, uint32_t* pageKey);
// The same, showing the file layer's box when the file exists but cannot be
// opened; the file's version goes into *version when read.
PageDataRead ReadPageDataFile(const char16_t* path, PageData* page, uint32_t* pageKey, bool report,
                              uint32_t* version);

// The first version that stores box values, the scaled size and the offsets.
constexpr uint32_t kPageDataSizesFrom = 2;

// ---- The page store's operations ----

// Writes the data file of the page stored under scanId (the working copy in
// "TDir" with working) with staveCount of staves; nothing when the page has
// no boxes, unless only its staves are written. Warns below 4 MB free disc space. False when no file was
// written; a failed write is shown and leaves the old file in place.
bool SavePageDataFile(int16_t scanId, bool working, const PageData& page, const StaveRecord* staves,
                      uint32_t staveCount, const PageDataFileFields& fields);

// Writes page's data file for page-table row (the working copy in "TDir"
// with working) with the score's data key of the page; nothing when the page
// has no boxes. Warns below 4 MB free disc space. False when no file was
// written; a failed write is shown and leaves the old file in place.
bool SavePageData(int row, bool working, const PageData& page, uint32_t dataKey);
// The same with the row's own page key as the data key, for a page that the
// score does not know yet.
bool SavePageData(int row, bool working, const PageData& page);
// Writes the staves of page as the data file of page-table row, under the
// row's own page key, without boxes: for a page new to the store whose staves
// are known before it has any boxes (a stave companion file). False when no
// file was written; a failed write is shown.
bool SavePageStaves(int row, bool working, const PageData& page);
// Reads the data file of page-table row into page, the working copy first;
// a missing or unreadable file leaves the page without staves. The data key
// read goes into *dataKey when given.
void LoadPageData(PageData* page, int row, uint32_t* dataKey = nullptr);
