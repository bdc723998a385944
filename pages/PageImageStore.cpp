#include "pages/PageImageStore.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "pages/BmpFile.h"
#include "pages/CurrentPageData.h"
#include "pages/ImageFiles.h"
#include "pages/PageData.h"
#include "pages/PageFiles.h"
#include "pages/PageStoreHooks.h"
#include "pages/PageStoreTexts.h"
#include "pages/PageTable.h"
#include "pages/RunLength.h"
#include "pages/SpriteArea.h"
#include "pages/SpriteStrings.h"
#include "pages/StoreFileBytes.h"
#include "platform/FileLayer.h"
#include "platform/Folders.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "platform/TextUtils.h"
#include "platform/ReplacingFile.h"

namespace {

constexpr char16_t kBitmapTemporarySuffix[] = u".kvbmp";
constexpr uint32_t kBitmapAreaSlack = 8;      // the area's size over the bitmap file's
constexpr uint32_t kBitmapBlockSlack = 1024;  // the block's size over the bitmap file's
constexpr uint64_t kLargestRawSize = SpriteAreaBytes(kMaxSpriteImageBytes);
constexpr uint32_t kStoredAreaSlack = 1024;    // the most a stored area size may pass its raw size
constexpr size_t kLongestRunBytes = 255;      // the most one pair expands to
constexpr int kLaterPageNameUnits = 36;
constexpr char16_t kWaitImageName[] = u"WaitImage.bmp";
constexpr char kWaitSpriteName[] = "waitimage";

bool WriteCompressed(const char16_t* path, uint32_t raw, const uint8_t* data, size_t n) {
  {
    ReplacingFile out(path);
    out.Write(kCompressedTag, kCompressedTagBytes);
    out.WriteU32(raw);
    out.Write(data, n);
    if (!out.Commit()) return false;
  }
  // Checked once in place: the whole file is there.
  std::FILE* f = FileOpen(path, kFileRead, false);
  if (!f) return false;
  const long size = FileSize(f);
  FileClose(f);
  return size >= 0 && static_cast<unsigned long>(size) == kCompressedHeaderBytes + n;
}

bool WriteBitmap(const char16_t* path, const uint8_t* area, int32_t resolution) {
  const std::u16string temporary = std::u16string(path) + kBitmapTemporarySuffix;
  const bool saved =
      SaveSpriteBmp(area, temporary.c_str(), resolution > 0 ? static_cast<uint32_t>(resolution) : 0) == nullptr;
  BmpFacts facts;
  if (saved && ReadBmpFacts(temporary.c_str(), &facts) == nullptr &&
      platform::RenameFile(temporary.c_str(), path, true))
    return true;
  platform::RemoveFile(temporary.c_str());
  return false;
}

void CopyName(const char16_t* from, size_t units, char16_t* out) {
  std::fill(out, out + kPageNameUnits, u'\0');
  std::copy(from, from + std::min<size_t>(units, kPageNameUnits), out);
  out[kPageNameUnits - 1] = 0;
}

// A page name without a trailing three-letter extension.
std::u16string WithoutExtension(const char16_t* name) {
  std::u16string text(name);
  if (text.size() > 4 && text[text.size() - 4] == u'.') text.resize(text.size() - 4);
  return text;
}

PageRecord NewPageRow(const char16_t* name) {
  PageRecord row;
  row.scanId = NextFreeScanId(pageTable);
  const size_t length = name ? std::char_traits<char16_t>::length(name) : 0;
  CopyName(name ? name : u"", length, row.name);
  row.resolution = static_cast<int16_t>(viewPage.resolution);
  row.state = kPageNotRead;
  row.flags = General().autoReadAlways ? uint32_t{kPageSelected} : 0u;
  row.pageKey = UniquePageKey();
  return row;
}

// Whether the stored page image at path is compressed, and its size in
// bytes; false when it cannot be opened.
bool ProbeStoredImage(const char16_t* path, bool* compressed, long* size) {
  std::FILE* f = FileOpen(path, kFileRead, true);
  if (!f) return false;
  char tag[kCompressedTagBytes];
  *compressed =
      FileRead(f, tag, kCompressedTagBytes) == 0 && std::memcmp(tag, kCompressedTag, kCompressedTagBytes) == 0;
  *size = FileSize(f);
  FileClose(f);
  return true;
}

}  // namespace

uint32_t PageImageRawSize(const uint8_t* area, size_t blockBytes) {
  if (!area || blockBytes < kSpriteImageOffset) return 0;
  const int bpp = SpriteBitsPerPixel(SpriteWord(area, kSpriteMode));
  if (AreaWord(area, kAreaCountOffset) != 1 || AreaWord(area, kAreaFirstSpriteOffset) != kSpriteHeaderOffset ||
      SpriteWord(area, kSpriteImageField) != kSpriteHeaderBytes || SpriteWord(area, kSpriteFirstBit) != 0 ||
      bpp == 0)
    return 0;
  const uint64_t rowWords = uint64_t(SpriteWord(area, kSpriteWidthWords)) + 1;
  const uint64_t rows = uint64_t(SpriteWord(area, kSpriteHeightRows)) + 1;
  const uint32_t unusedBits = SpriteWord(area, kSpriteUnusedBits);
  // Rows are padded to whole words, so fewer than 32 bits of a row go unused.
  if (unusedBits >= 32 || rowWords > kMaxSpriteImageBytes || rows > kMaxSpriteImageBytes) return 0;
  const uint64_t raw = SpriteAreaBytes(rowWords * rows * 4);
  if (raw > kLargestRawSize || raw > blockBytes) return 0;
  return static_cast<uint32_t>(raw);
}

PageImageWrite WritePageImageFile(const char16_t* path, const uint8_t* area, size_t blockBytes, int32_t resolution) {
  const uint32_t raw = PageImageRawSize(area, blockBytes);
  if (raw == 0) return PageImageWrite::kFailed;
  Handle packed = nullptr;
  if (AllocHandleChecked(&packed, raw, kTextStoringUncompressed, 0)) {
    size_t length = raw;  // the output must come out smaller than the image
    const bool smaller = CompressPageImage(area, raw, static_cast<uint8_t*>(packed), &length);
    const bool written = smaller && WriteCompressed(path, raw, static_cast<uint8_t*>(packed), length);
    FreeHandle(&packed);
    if (smaller) return written ? PageImageWrite::kCompressed : PageImageWrite::kFailed;
  }
  return WriteBitmap(path, area, resolution) ? PageImageWrite::kBitmap : PageImageWrite::kFailed;
}

PageImageRead ReadCompressedPageImage(const char16_t* path, Handle* area) {
  StoreBytes bytes;
  switch (LoadStoreFile(path, kCompressedHeaderBytes + kLargestRawSize, true, &bytes)) {
    case StoreLoad::kLoaded: break;
    case StoreLoad::kTooLarge: return PageImageRead::kDamaged;
    case StoreLoad::kNoMemory: MessageById(nullptr, kTextNoMemoryToDecompress); return PageImageRead::kNoMemory;
    case StoreLoad::kMissing:
    case StoreLoad::kFailed: return PageImageRead::kFailed;
  }
  StoreReader in(bytes);
  char tag[kCompressedTagBytes];
  uint32_t raw;
  if (!in.Bytes(tag, kCompressedTagBytes) || std::memcmp(tag, kCompressedTag, kCompressedTagBytes) != 0)
    return PageImageRead::kNotCompressed;
  if (!in.U32LE(&raw)) return PageImageRead::kDamaged;
  const size_t packed = in.Left();
  // What the data could expand to at most, before anything is allocated.
  if (raw < kSpriteImageOffset || raw > kLargestRawSize || uint64_t(raw) > uint64_t(packed / 2) * kLongestRunBytes)
    return PageImageRead::kDamaged;
  Handle block = nullptr;
  if (!AllocHandleChecked(&block, raw, kTextNoMemoryToDecompress, 0)) return PageImageRead::kNoMemory;
  uint8_t* out = static_cast<uint8_t*>(block);
  size_t produced = 0;
  if (!DecompressPageImage(bytes.data() + in.At(), packed, out, raw, &produced) || produced != raw ||
      PageImageRawSize(out, raw) != raw) {
    FreeHandle(&block);
    return PageImageRead::kDamaged;
  }
  // The area keeps the size it was stored with, and its block is made that
  // large, when the size covers the sprite and passes it by at most 1024
  // bytes. A smaller size (written by older loaders) or a larger one (the
  // spare room of the block it came from) becomes the raw size.
  const uint32_t stored = AreaWord(out, kAreaSizeOffset);
  bool keep = stored == raw;
  if (stored > raw && stored - raw <= kStoredAreaSlack &&
      ResizeHandleAt(&block, raw, static_cast<long>(stored - raw))) {
    std::memset(static_cast<uint8_t*>(block) + raw, 0, stored - raw);
    keep = true;
  }
  if (!keep) SetAreaWord(static_cast<uint8_t*>(block), kAreaSizeOffset, raw);
  *area = block;
  return PageImageRead::kRead;
}

void PageNameFromFile(const char16_t* path, int pageNumber, char16_t* out) {
  const std::u16string whole(path ? path : u"");
  const size_t cut = whole.find_last_of(u"\\/");
  std::u16string name = cut == std::u16string::npos ? whole : whole.substr(cut + 1);
  if (pageNumber > 1) {
    char16_t number[16];
    FormatDecimal(number, static_cast<uint32_t>(pageNumber));
    name = name.substr(0, kLaterPageNameUnits) + u" " + number;
  }
  CopyName(name.c_str(), name.size(), out);
}

int StoreScannedPage(bool addRow, const char16_t* name) {
  const PageStoreHooks& hooks = CurrentPageStoreHooks();
  if (addRow && pageTable.pageCount >= kMaxPages) {
    MessageById(nullptr, kTextPageLimitReached);
    return pageTable.currentPage;
  }
  if (!addRow && (pageTable.currentPage < 0 || uint32_t(pageTable.currentPage) >= pageTable.pageCount))
    return pageTable.currentPage;
  const PageRecord row = addRow ? NewPageRow(name) : pageTable.rows[pageTable.currentPage];
  if (addRow) hooks.setPageNames(WithoutExtension(row.name).c_str());

  char16_t path[kPagePathUnits];
  uint8_t* sprite = nullptr;
  char spriteName[kImageNameBytes + 1] = {};
  std::memcpy(spriteName, viewPage.imageName, kImageNameBytes);
  const bool known = FindSprite(viewPage.Area(), spriteName, &sprite) == nullptr;
  if (!PageFilePath(PageFile::kImage, row.scanId, true, path) || !known ||
      WritePageImageFile(path, viewPage.Area(), HandleSize(viewPage.imageArea), viewPage.resolution) ==
          PageImageWrite::kFailed) {
    ShowPageStoreError(kTextPageNotStored, path);
    return pageTable.currentPage;
  }
  if (addRow) {
    pageTable.rows[pageTable.pageCount] = row;
    pageTable.currentPage = static_cast<int32_t>(pageTable.pageCount++);
    WritePageIndex();
  }
  PageRecord& current = pageTable.rows[pageTable.currentPage];
  std::fill(std::begin(current.scoreName), std::end(current.scoreName), u'\0');
  current.scorePageNumber = 0;
  pageTable.currentPage = hooks.refreshPagesPane(pageTable.currentPage);
  return pageTable.currentPage;
}

// A bitmap file in a new block: file size + 1024 bytes, the area taking
// file size + 8 of them. Null when memory is short (shown) or the file is not
// a page bitmap (the error record's text shown).
Handle LoadBitmapBlock(const char16_t* path, long size) {
  Handle block = nullptr;
  if (size <= 0 || uint64_t(size) > kLargestRawSize) {
    ShowPageStoreError(kTextStoredPageDamaged, path);
    return nullptr;
  }
  if (!AllocHandleChecked(&block, size_t(size) + kBitmapBlockSlack, kStrPageMemoryForLoad, 0)) return nullptr;
  InitSpriteArea(static_cast<uint8_t*>(block), static_cast<uint32_t>(size) + kBitmapAreaSlack);
  if (SpriteError* error = LoadBmpPage(static_cast<uint8_t*>(block), path)) {
    FreeHandle(&block);
    ErrorBox(nullptr, error->errorText);
  }
  return block;
}

// The page view takes block: its name and size come from the sprite.
void TakeViewImage(Handle block) {
  char name[kSpriteNameBytes + 1] = {};
  GetSpriteName(static_cast<uint8_t*>(block), name, 1);
  SpriteInfo info{};
  GetSpriteInfo(static_cast<uint8_t*>(block), name, &info);
  FreeHandle(&viewPage.imageArea);
  viewPage.imageArea = block;
  std::memcpy(viewPage.imageName, name, kImageNameBytes);
  viewPage.width = info.width;
  viewPage.height = info.height;
}

int LoadWaitImage() {
  const PageStoreHooks& hooks = CurrentPageStoreHooks();
  char16_t path[kPagePathUnits];
  uint32_t imageBytes, width, height, depth, resolution;
  SpriteError* error = MakeResourcesSubPath(path, kWaitImageName)
                           ? ReadImageFileInfo(path, &imageBytes, &width, &height, &depth, &resolution, true)
                           : FailSprite(kStrFileCannotBeOpened);
  long size = -1;
  if (!error) {
    if (std::FILE* f = FileOpen(path, kFileRead, false)) {
      size = FileSize(f);
      FileClose(f);
    }
  }
  if (error || size <= 0) {
    hooks.pageViewHasNoImage();
    ErrorBox(nullptr, error ? error->errorText : FailSprite(kStrFileCannotBeOpened)->errorText);
    return 0;
  }
  Handle block = LoadBitmapBlock(path, size);
  if (!block) {
    hooks.pageViewHasNoImage();
    return 0;
  }
  uint8_t* name = static_cast<uint8_t*>(block) + kSpriteHeaderOffset + kSpriteName;
  std::memset(name, 0, kSpriteNameBytes);
  std::memcpy(name, kWaitSpriteName, sizeof kWaitSpriteName);
  TakeViewImage(block);
  hooks.pageViewShowsPlaceholder();
  return 1;
}

namespace {
char16_t currentImagePath[kImagePathUnits];
}  // namespace

const char16_t* CurrentImagePath() { return currentImagePath; }

void SetCurrentImagePath(const char16_t* path) {
  const size_t length = path ? std::char_traits<char16_t>::length(path) : 0;
  if (length >= kImagePathUnits) {
    currentImagePath[0] = 0;
    return;
  }
  std::copy(path, path + length, currentImagePath);
  currentImagePath[length] = 0;
}

int LoadScanImage(int index) {
  if (index < 0 || static_cast<uint32_t>(index) >= pageTable.pageCount) return 0;
  const PageRecord& row = pageTable.rows[index];
  char16_t path[kPagePathUnits];
  if (!PageFilePath(PageFile::kImage, row.scanId, false, path)) return 0;
  const PageStoreHooks& hooks = CurrentPageStoreHooks();
  // The view shows a stored page now: no scan goes on, the image path names
  // the page (in the resource folder, where no companion file lies) and no
  // page of a multi-page file is being opened.
  hooks.endScanning();
  char16_t imagePath[kImagePathUnits];
  SetCurrentImagePath(MakeResourcePath(imagePath, row.name) ? imagePath : u"");
  bool compressed = false;
  long size = 0;
  if (!ProbeStoredImage(path, &compressed, &size)) return 0;
  ImagePageIndex() = 0;

  Handle block = nullptr;
  if (compressed) {
    switch (ReadCompressedPageImage(path, &block)) {
      case PageImageRead::kRead: break;
      case PageImageRead::kNoMemory:
      case PageImageRead::kFailed: return 0;  // already shown
      case PageImageRead::kNotCompressed:
      case PageImageRead::kDamaged: ShowPageStoreError(kTextStoredPageDamaged, path); return 0;
    }
  } else {
    SetCurrentImagePath(path);
    if (!(block = LoadBitmapBlock(path, size))) return 0;
  }
  TakeViewImage(block);
  viewPage.resolution = row.resolution;
  pageTable.currentPage = index;
  hooks.scrollPagesPaneToRow(index);
  hooks.clearPageBorder(&viewPage);
  LoadCurrentPageData(true, true, nullptr, index);
  return 1;
}

int LoadPageForReading(int index, PageData* page) {
  if (index < 0 || static_cast<uint32_t>(index) >= pageTable.pageCount || !page) return 0;
  const PageRecord& row = pageTable.rows[index];
  char16_t path[kPagePathUnits];
  if (!PageFilePath(PageFile::kImage, row.scanId, false, path)) return 0;
  bool compressed = false;
  long size = 0;
  if (!ProbeStoredImage(path, &compressed, &size)) return 0;
  Handle block = nullptr;
  if (compressed) {
    if (ReadCompressedPageImage(path, &block) != PageImageRead::kRead) {
      FreeHandle(&block);
      return 0;
    }
  } else if (!(block = LoadBitmapBlock(path, size))) {
    return 0;
  }
  char name[kSpriteNameBytes + 1] = {};
  GetSpriteName(static_cast<uint8_t*>(block), name, 1);
  SpriteInfo info{};
  GetSpriteInfo(static_cast<uint8_t*>(block), name, &info);
  FreeHandle(&page->imageArea);
  page->imageArea = block;
  std::memcpy(page->imageName, name, kImageNameBytes);
  page->width = info.width;
  page->height = info.height;
  page->resolution = row.resolution;
  CurrentPageStoreHooks().clearPageBorder(page);
  LoadPageData(page, index);
  return 1;
}
