#include "pages/PageData.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "pages/PageFiles.h"
#include "pages/PageStoreTexts.h"
#include "pages/PageTable.h"
#include "pages/StoreFileBytes.h"
#include "platform/Folders.h"
#include "platform/Platform.h"
#include "platform/ReplacingFile.h"

PageData viewPage;
PageData readPage;

namespace {

constexpr uint32_t kHeadCountMask = 0xFF;
constexpr int kHeadVersionShift = 8;
constexpr int kVersion4Columns = 256;
constexpr double kBoxValueScale = 1000.0;
// Twice the relative spacing of floats (2^-23): how far a float may lie
// from the decimal value it was made from.
constexpr double kFloatPrecision = 1.0 / (1 << 23);
// A page data file of 255 staves with all curves and the largest box count
// a page holds stays far below this.
constexpr size_t kLargestDataFile = 64u << 20;

// First versions of the fields of a stave block and of the file.
enum : uint32_t {
  kKindFrom = 1,
  kBoxValuesFrom = kPageDataSizesFrom,
  kSpacingFrom = 3,
  kCurvesFrom = 4,
  kFullCurvesFrom = 5,
  kJoinsFrom = 6,
};

bool ValidLineCount(int lineCount) { return lineCount >= 1 && lineCount <= kMaxStaveLines; }

// One stave block as read.
struct StaveBlock {
  StaveRecord record;
  uint32_t curvesValid = 0;
  uint32_t modelCurves = 0;
  int columns = 0;  // columns of curves read
  int16_t curves[kMaxStaveLines][kStaveColumns];
};

bool ReadI16Word(StoreReader* in, int16_t* value) {
  uint32_t word;
  if (!in->U32LE(&word)) return false;
  *value = static_cast<int16_t>(word);
  return true;
}

// Reads one stave block. A block whose line count is outside 1..6 is read
// past (its curves, one per line it claims, skipped) and comes back with
// *usable false, so that the blocks after it stay in place.
bool ReadStaveBlock(StoreReader* in, uint32_t version, StaveBlock* block, bool* usable) {
  StaveRecord& r = block->record;
  r = StaveRecord();
  int16_t* const words[] = {&r.left, &r.right, &r.top, &r.bottom, &r.slope, &r.group,
                            &r.lineCount, &r.lineThickness, &r.midX, &r.midTop, &r.rightTop};
  for (int16_t* word : words)
    if (!ReadI16Word(in, word)) return false;
  *usable = ValidLineCount(r.lineCount);
  if (version >= kKindFrom && !ReadI16Word(in, &r.kind)) return false;
  if (version >= kSpacingFrom && !in->F64LE(&r.spacingOverride)) return false;
  block->curvesValid = 0;
  block->modelCurves = 0;
  block->columns = 0;
  if (version >= kCurvesFrom) {
    if (!in->U32LE(&block->curvesValid)) return false;
    if (block->curvesValid != 0) {
      if (!in->U32LE(&block->modelCurves)) return false;
      block->columns = version >= kFullCurvesFrom ? kStaveColumns : kVersion4Columns;
      if (!*usable) {
        const size_t lines = r.lineCount > 0 ? size_t(r.lineCount) : 0;
        if (!in->Skip(lines * size_t(block->columns) * 2)) return false;
        block->columns = 0;
      }
      for (int k = 0; *usable && k < r.lineCount; ++k) {
        for (int c = 0; c < block->columns; ++c) {
          uint16_t y;
          if (!in->U16BE(&y)) return false;
          block->curves[k][c] = static_cast<int16_t>(y);
        }
      }
    }
  }
  if (version >= kJoinsFrom && (!ReadI16Word(in, &r.joinLeftEnd) || !ReadI16Word(in, &r.joinRightStart)))
    return false;
  return true;
}

// Everything of a file, checked before the page takes it.
struct ParsedPageData {
  uint32_t version = 0;
  uint32_t staveCount = 0;
  uint32_t skippedStaves = 0;  // blocks with an impossible line count, left out
  StaveBlock staves[kMaxPageStaves];
  std::vector<int16_t> boxes;  // four per box, at most kMaxLoadedBoxes boxes
  std::vector<float> boxValues;
  uint32_t pageKey = 0;
  uint32_t scaledWidth = 0, scaledHeight = 0, offsetX = 0, offsetY = 0;
};

bool ParsePageData(const StoreBytes& bytes, ParsedPageData* out) {
  StoreReader in(bytes);
  uint32_t head;
  if (!in.U32LE(&head)) return false;
  const uint32_t version = head >> kHeadVersionShift;
  if (version > kPageDataVersion) return false;
  out->version = version;
  const uint32_t staves = head & kHeadCountMask;
  auto spare = std::make_unique<StaveBlock>();
  uint32_t kept = 0;
  for (uint32_t s = 0; s < staves; ++s) {
    // Staves past the thirteenth, and damaged ones, are read to keep the
    // fields after them in place.
    StaveBlock* block = kept < kMaxPageStaves ? &out->staves[kept] : spare.get();
    bool usable = false;
    if (!ReadStaveBlock(&in, version, block, &usable)) return false;
    if (!usable) ++out->skippedStaves;
    else if (kept < kMaxPageStaves) ++kept;
  }
  out->staveCount = kept;

  uint32_t boxCount;
  if (!in.U32LE(&boxCount)) return false;
  // The boxes, their key and, from version 2, their values and the sizes
  // must all be there before anything is allocated for them.
  const uint64_t needed = uint64_t(boxCount) * 16 + 4 + (version >= kBoxValuesFrom ? uint64_t(boxCount) * 4 + 16 : 0);
  if (needed > in.Left()) return false;
  const uint32_t keptBoxes = std::min<uint32_t>(boxCount, kMaxLoadedBoxes);
  out->boxes.resize(size_t(keptBoxes) * 4);
  for (uint32_t i = 0; i < boxCount; ++i) {
    for (int j = 0; j < 4; ++j) {
      int16_t value;
      if (!ReadI16Word(&in, &value)) return false;
      if (i < keptBoxes) out->boxes[size_t(i) * 4 + j] = value;
    }
  }
  if (!in.U32LE(&out->pageKey)) return false;
  out->boxValues.assign(keptBoxes, 0.0f);
  if (version < kBoxValuesFrom) return true;
  for (uint32_t i = 0; i < boxCount; ++i) {
    uint32_t value;
    if (!in.U32LE(&value)) return false;
    if (i < keptBoxes) out->boxValues[i] = static_cast<float>(static_cast<int32_t>(value) / kBoxValueScale);
  }
  return in.U32LE(&out->scaledWidth) && in.U32LE(&out->scaledHeight) && in.U32LE(&out->offsetX) &&
         in.U32LE(&out->offsetY);
}

// A box value in thousandths, truncated and held within the 32-bit field.
// A value that was read as n / 1000 lies within the float's precision of n
// thousandths, on either side: it is written as n again, so that saving a
// loaded page keeps its values instead of losing a thousandth each time.
uint32_t Thousandths(float value) {
  const double scaled = value * kBoxValueScale;
  if (scaled != scaled) return 0;  // not a number
  const double held = std::clamp(scaled, double(INT32_MIN), double(INT32_MAX));
  const double nearest = std::nearbyint(held);
  const double precision = std::fabs(held) * kFloatPrecision;
  const double kept = std::fabs(held - nearest) <= precision ? nearest : std::trunc(held);
  return static_cast<uint32_t>(static_cast<int32_t>(kept));
}

int16_t Shifted(int16_t value, uint32_t offset) { return static_cast<int16_t>(value + static_cast<int16_t>(offset)); }

void TakeParsed(const ParsedPageData& parsed, PageData* page) {
  page->staveCount = parsed.staveCount;
  for (uint32_t s = 0; s < parsed.staveCount; ++s) {
    const StaveBlock& block = parsed.staves[s];
    StaveRecord r = block.record;
    r.left = Shifted(r.left, parsed.offsetX);
    r.right = Shifted(r.right, parsed.offsetX);
    r.midX = Shifted(r.midX, parsed.offsetX);
    r.top = Shifted(r.top, parsed.offsetY);
    r.bottom = Shifted(r.bottom, parsed.offsetY);
    r.midTop = Shifted(r.midTop, parsed.offsetY);
    r.rightTop = Shifted(r.rightTop, parsed.offsetY);
    page->staves[s] = r;
    page->curvesValid[s] = block.curvesValid;
    page->modelCurves[s] = block.modelCurves;
    for (int k = 0; k < r.lineCount; ++k)
      std::copy(block.curves[k], block.curves[k] + block.columns, page->lineCurves.y[s][k]);
  }
  const size_t boxes = parsed.boxValues.size();
  page->boxCount = static_cast<int16_t>(boxes);
  if (boxes > 0) std::memcpy(page->boxes, parsed.boxes.data(), boxes * sizeof page->boxes[0]);
  std::copy(parsed.boxValues.begin(), parsed.boxValues.end(), page->boxValues);
  page->scaledWidth = parsed.scaledWidth;
  page->scaledHeight = parsed.scaledHeight;
  page->offsetX = parsed.offsetX;
  page->offsetY = parsed.offsetY;
}

void WriteI16Word(ReplacingFile* out, int16_t value) {
  out->WriteU32(static_cast<uint32_t>(static_cast<int32_t>(value)));
}

void WriteF64(ReplacingFile* out, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, 8);
  uint8_t bytes[8];
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
  out->Write(bytes, 8);
}

void WriteStaveBlock(ReplacingFile* out, const PageData& page, const StaveRecord& r, int s) {
  for (int16_t word : {r.left, r.right, r.top, r.bottom, r.slope, r.group, r.lineCount, r.lineThickness, r.midX,
                       r.midTop, r.rightTop, r.kind})
    WriteI16Word(out, word);
  WriteF64(out, r.spacingOverride);
  // Curves of a stave without a usable line count are not written: they
  // would be traced again.
  const bool curves = page.curvesValid[s] != 0 && ValidLineCount(r.lineCount);
  out->WriteU32(curves ? page.curvesValid[s] : 0);
  if (curves) {
    out->WriteU32(page.modelCurves[s]);
    for (int k = 0; k < r.lineCount; ++k) {
      for (int c = 0; c < kStaveColumns; ++c) {
        const uint16_t y = static_cast<uint16_t>(page.lineCurves.y[s][k][c]);
        const uint8_t bytes[2] = {static_cast<uint8_t>(y >> 8), static_cast<uint8_t>(y)};
        out->Write(bytes, 2);
      }
    }
  }
  WriteI16Word(out, r.joinLeftEnd);
  WriteI16Word(out, r.joinRightStart);
}

}  // namespace

bool WritePageDataFile(const char16_t* path, const PageData& page, const StaveRecord* staves, uint32_t staveCount,
                       const PageDataFileFields& fields) {
  const uint32_t count = std::min<uint32_t>(staveCount, kStaveSlots);
  const uint32_t boxes =
      fields.stavesOnly ? 0 : static_cast<uint32_t>(std::clamp<int>(page.boxCount, 0, kPageBoxSlots));
  ReplacingFile out(path);
  out.WriteU32(count | kPageDataVersion << kHeadVersionShift);
  for (uint32_t s = 0; s < count; ++s) WriteStaveBlock(&out, page, staves[s], static_cast<int>(s));
  out.WriteU32(boxes);
  for (uint32_t i = 0; i < boxes; ++i)
    for (int j = 0; j < 4; ++j) WriteI16Word(&out, page.boxes[i][j]);
  out.WriteU32(fields.pageKey);
  for (uint32_t i = 0; i < boxes; ++i)
    out.WriteU32(Thousandths(page.boxValues[i]));
  out.WriteU32(fields.stavesOnly ? 0 : page.scaledWidth);
  out.WriteU32(fields.stavesOnly ? 0 : page.scaledHeight);
  out.WriteU32(fields.withOffsets ? page.offsetX : 0);
  out.WriteU32(fields.withOffsets ? page.offsetY : 0);
  return out.Commit();
}

PageDataRead ReadPageDataFile(const char16_t* path, PageData* page, uint32_t* pageKey) {
  return ReadPageDataFile(path, page, pageKey, false, nullptr);
}

PageDataRead ReadPageDataFile(const char16_t* path, PageData* page, uint32_t* pageKey, bool report,
                              uint32_t* version) {
  StoreBytes bytes;
  switch (LoadStoreFile(path, kLargestDataFile, report, &bytes)) {
    case StoreLoad::kLoaded: break;
    case StoreLoad::kMissing: return PageDataRead::kMissing;
    case StoreLoad::kTooLarge: return PageDataRead::kDamaged;
    case StoreLoad::kNoMemory:
    case StoreLoad::kFailed: return PageDataRead::kFailed;
  }
  auto parsed = std::make_unique<ParsedPageData>();
  if (!ParsePageData(bytes, parsed.get())) return PageDataRead::kDamaged;
  TakeParsed(*parsed, page);
  if (pageKey) *pageKey = parsed->pageKey;
  if (version) *version = parsed->version;
  if (parsed->skippedStaves > 0) ShowPageStoreError(kTextPageDataStavesLeftOut, path);
  return PageDataRead::kRead;
}

bool SavePageDataFile(int16_t scanId, bool working, const PageData& page, const StaveRecord* staves,
                      uint32_t staveCount, const PageDataFileFields& fields) {
  if (page.boxCount <= 0 && !fields.stavesOnly) return false;
  if (platform::FreeDiscSpace(DataFolder()) < kLowDiscSpaceBytes) MessageById(nullptr, kTextLowDiscSpace);
  char16_t path[kPagePathUnits];
  const PageFile which = working ? PageFile::kWorkingData : PageFile::kData;
  if (!PageFilePath(which, scanId, true, path)) return false;
  if (WritePageDataFile(path, page, staves, staveCount, fields)) return true;
  ShowPageStoreError(kTextPageDataNotSaved, path);
  return false;
}

bool SavePageData(int row, bool working, const PageData& page, uint32_t dataKey) {
  if (row < 0 || static_cast<uint32_t>(row) >= pageTable.pageCount) return false;
  PageDataFileFields fields;
  fields.pageKey = dataKey;
  fields.withOffsets = &page == &viewPage;
  return SavePageDataFile(pageTable.rows[row].scanId, working, page, page.staves, page.staveCount, fields);
}

bool SavePageData(int row, bool working, const PageData& page) {
  if (row < 0 || static_cast<uint32_t>(row) >= pageTable.pageCount) return false;
  return SavePageData(row, working, page, pageTable.rows[row].pageKey);
}

bool SavePageStaves(int row, bool working, const PageData& page) {
  if (row < 0 || static_cast<uint32_t>(row) >= pageTable.pageCount) return false;
  PageDataFileFields fields;
  fields.pageKey = pageTable.rows[row].pageKey;
  fields.withOffsets = &page == &viewPage;
  fields.stavesOnly = true;
  return SavePageDataFile(pageTable.rows[row].scanId, working, page, page.staves, page.staveCount, fields);
}

void LoadPageData(PageData* page, int row, uint32_t* dataKey) {
  page->staveCount = 0;
  if (row < 0 || static_cast<uint32_t>(row) >= pageTable.pageCount) return;
  const int16_t scanId = pageTable.rows[row].scanId;
  for (PageFile which : {PageFile::kWorkingData, PageFile::kData}) {
    char16_t path[kPagePathUnits];
    if (!PageFilePath(which, scanId, false, path)) continue;
    switch (ReadPageDataFile(path, page, dataKey)) {
      case PageDataRead::kRead: return;
      case PageDataRead::kMissing: continue;  // the saved form next
      case PageDataRead::kFailed:
      case PageDataRead::kDamaged: return;    // a page without staves
    }
  }
}
