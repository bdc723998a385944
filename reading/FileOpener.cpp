#include "reading/FileOpener.h"

#include <cstdio>
#include <cstring>

#include "pages/ImageFiles.h"
#include "pages/PageData.h"
#include "pages/PageImageStore.h"
#include "pages/PageStoreHooks.h"
#include "pages/PageTable.h"
#include "pages/TiffFile.h"
#include "platform/FileLayer.h"
#include "platform/Folders.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "platform/TextUtils.h"
#include "reading/FileOpenerHooks.h"
#include "reading/FileOpenerStrings.h"
#include "score/ScoreFile.h"
#include "reading/StaveCompanion.h"
#include "reading/UnopenedFiles.h"

OpenFileQueue OpenFiles;

namespace {

char16_t lastImagePath[kOpenPathUnits];
constexpr int kRedrawAfterPages = 10;
constexpr size_t kExtensionUnits = 16;

bool CopyText(char16_t* out, size_t capacity, const char16_t* text) {
  size_t n = 0;
  while (text && text[n]) ++n;
  if (n >= capacity) {
    out[0] = 0;
    return false;
  }
  std::memcpy(out, text, n * sizeof(char16_t));
  out[n] = 0;
  return true;
}

bool IsOneOf(const char16_t* extension, std::initializer_list<const char16_t*> choices) {
  for (const char16_t* c : choices)
    if (CompareNoCase(extension, c) == 0) return true;
  return false;
}

void SwapEntries(int a, int b) {
  char16_t temp[kOpenPathUnits];
  std::memcpy(temp, OpenFiles.paths[a], sizeof temp);
  std::memcpy(OpenFiles.paths[a], OpenFiles.paths[b], sizeof temp);
  std::memcpy(OpenFiles.paths[b], temp, sizeof temp);
  std::memcpy(temp, OpenFiles.types[a], sizeof temp);
  std::memcpy(OpenFiles.types[a], OpenFiles.types[b], sizeof temp);
  std::memcpy(OpenFiles.types[b], temp, sizeof temp);
}

void SortQueue() {
  for (bool swapped = true; swapped;) {
    swapped = false;
    for (int i = 0; i + 1 < OpenFiles.count; ++i)
      if (CollateNoCase(OpenFiles.paths[i], OpenFiles.paths[i + 1]) > 0) {
        SwapEntries(i, i + 1);
        swapped = true;
      }
  }
}

void DropHead() {
  for (int i = 1; i < OpenFiles.count; ++i) {
    std::memcpy(OpenFiles.paths[i - 1], OpenFiles.paths[i], sizeof OpenFiles.paths[i]);
    std::memcpy(OpenFiles.types[i - 1], OpenFiles.types[i], sizeof OpenFiles.types[i]);
  }
  --OpenFiles.count;
}

// The extension to open path by: its own, the queue's type, or the sniffed one.
void ExtensionForOpening(const char16_t* path, const char16_t* type, char16_t* out) {
  PathExtension(path, out, kExtensionUnits);
  if (!out[0] && type) CopyText(out, kExtensionUnits, type);
  if (!out[0]) SniffFileType(path, out);
}

void ShowSpriteError(const SpriteError* error) { ErrorBox(nullptr, error->errorText); }

// A loader's refusal, with the file it refused (the loaders read every file
// that is not a bitmap as a TIFF).
void ShowOpenError(const char16_t* path, const SpriteError* error) {
  ReportFileNotOpened(path, IsBitmapPath(path) ? kStrFileDidNotOpen : kStrTiffDidNotOpen, error->errorText);
}

}  // namespace

bool QueueFileToOpen(const char16_t* path, const char16_t* typeExtension) {
  if (OpenFiles.count >= kOpenFileQueueSlots) return false;
  int slot = OpenFiles.count;
  if (!CopyText(OpenFiles.paths[slot], kOpenPathUnits, path)) return false;
  CopyText(OpenFiles.types[slot], kOpenPathUnits, typeExtension ? typeExtension : u"");
  ++OpenFiles.count;
  return true;
}

void SniffFileType(const char16_t* path, char16_t* out) {
  out[0] = 0;
  std::FILE* file = FileOpen(path, kFileRead, false);
  if (!file) return;
  uint8_t b[4] = {};
  bool read = FileRead(file, b, 4) == 0;
  FileClose(file);
  if (!read) return;
  if ((b[0] == 0x49 && b[1] == 0x49 && b[2] == 0x2A && b[3] == 0x00) ||
      (b[0] == 0x4D && b[1] == 0x4D && b[2] == 0x00 && b[3] == 0x2A))
    CopyText(out, 8, u".tif");
  else if (b[0] == 0x25 && b[1] == 0x50 && b[2] == 0x44 && b[3] == 0x46)
    CopyText(out, 8, u".pdf");
}

void OpenFileByType() {
  // A drain already running (a box of it lets messages through) takes the
  // paths queued meanwhile; a second one would empty the queue under it.
  if (OpenFiles.count < 1 || OpenFiles.busy) return;
  const FileOpenerHooks& hooks = CurrentFileOpenerHooks();
  OpenFiles.busy = true;
  SortQueue();
  bool openedPages = false, cancelled = false;
  UnopenedFiles unopened;
  while (OpenFiles.count > 0) {
    char16_t path[kOpenPathUnits];
    char16_t extension[kExtensionUnits];
    CopyText(path, kOpenPathUnits, OpenFiles.paths[0]);
    ExtensionForOpening(path, OpenFiles.types[0], extension);
    bool pages = false;
    if (KindOfPath(path) != PathKind::File) {
      unopened.Add(path);
    } else if (IsOneOf(extension, {u".bmp", u".tif", u".tiff"})) {
      pages = OpenTiffFile(path, extension) > 0;
    } else if (IsOneOf(extension, {u".pdf"})) {
      if (PdfPagesAvailable()) pages = hooks.openPdf(path) != 0;
      else unopened.Add(path, kStrPdfNotAvailable);
    } else if (IsOneOf(extension, {u".opt"})) {
      if (ReadScoreFile(path, 0, 0)) hooks.scoreFileOpened();
    } else {
      unopened.Add(path);
    }
    if (pages) {
      openedPages = true;
      if (pageTable.pageCount > kRedrawAfterPages) hooks.redrawViewWindows();
    }
    DropHead();
    if (IsEscapePressed()) {
      OpenFiles.count = 0;
      cancelled = true;
    }
    hooks.refreshPagesPane();
  }
  OpenFiles.count = 0;
  OpenFiles.busy = false;
  unopened.Report();
  if (openedPages && !cancelled) hooks.readNextPendingPage();
}

uint32_t SuggestedResolution(uint32_t resolution) {
  return resolution > kHighestResolution ? 600 : 150;
}

int OpenTiffFile(const char16_t* path, const char16_t* extension) {
  const FileOpenerHooks& hooks = CurrentFileOpenerHooks();
  char16_t ext[kExtensionUnits];
  if (extension && extension[0]) CopyText(ext, kExtensionUnits, extension);
  else ExtensionForOpening(path, nullptr, ext);

  // A TIFF is opened once: its page count, each page's facts and pixels are
  // read through the one handle.
  const bool tiff = IsOneOf(ext, {u".tif", u".tiff"});
  const HeldTiffFile file(tiff ? path : nullptr);
  int pages = 0;
  if (IsOneOf(ext, {u".bmp"})) {
    pages = 1;
  } else if (tiff) {
    pages = CountTiffPages(path);
    if (pages < 0) {
      ReportFileNotOpenedById(path, kStrTiffDidNotOpen, WhyTiffDoesNotOpen(path));
      return 0;
    }
  }
  int stored = 0;
  for (int n = 0; n < pages && n <= 0xFFFF; ++n) {
    ImagePageIndex() = static_cast<uint16_t>(n);
    uint32_t bytes = 0, width = 0, height = 0, depth = 0, resolution = 0;
    if (SpriteError* error = ReadImageFileInfo(path, &bytes, &width, &height, &depth, &resolution, true)) {
      ShowOpenError(path, error);
      break;
    }
    if (resolution < kLowestResolution || resolution > kHighestResolution) {
      SetStatusTextById(kStrSelectResolution);
      resolution = hooks.askPageResolution(path, SuggestedResolution(resolution));
      if (resolution == 0) continue;
    }
    viewPage.resolution = static_cast<int32_t>(resolution);
    bool scanning = hooks.isScanning();
    if (scanning) hooks.setScanResolution(resolution);
    if (!OpenPageImageForReading(path)) break;
    if (hooks.storeCurrentPage(path, n + 1) < 0) break;
    ++stored;
    char16_t companion[kOpenPathUnits + 4];
    if (!scanning && CompanionPath(path, companion, kOpenPathUnits + 4) && FileExists(companion))
      ReadStaveCompanion(companion);
  }
  ImagePageIndex() = 0;
  return stored;
}

int OpenPageImageForReading(const char16_t* path) {
  const FileOpenerHooks& hooks = CurrentFileOpenerHooks();
  SetCurrentImagePath(path);
  uint32_t areaBytes = 0, widthWords = 0, heightRows = 0, mode = 0, resolution = 0;
  if (SpriteError* error = ReadImageFileInfo(path, &areaBytes, &widthWords, &heightRows, &mode, &resolution, false)) {
    ShowOpenError(path, error);
    return 0;
  }
  int bitsPerPixel = SpriteBitsPerPixel(mode);
  CurrentPageStoreHooks().endScanning();
  if (!bitsPerPixel) {
    MessageById(nullptr, kStrOnlyGreyScans);
    hooks.closePageWindow();
    return 0;
  }
  FreeHandle(&viewPage.imageArea);
  size_t blockBytes = size_t(areaBytes) + 8;
  if (!AllocHandleChecked(&viewPage.imageArea, blockBytes, kStrPageMemoryForLoad, 0)) return 0;
  InitSpriteArea(viewPage.Area(), static_cast<uint32_t>(blockBytes));
  if (SpriteError* error = LoadTiffPage(viewPage.Area(), path)) {
    ShowOpenError(path, error);
    FreeHandle(&viewPage.imageArea);
    return 0;
  }
  GetSpriteName(viewPage.Area(), viewPage.imageName, 1);
  SpriteInfo info{};
  GetSpriteInfo(viewPage.Area(), kPageSpriteName, &info);
  viewPage.width = info.width;
  viewPage.height = info.height;
  viewPage.offsetX = viewPage.offsetY = 0;
  if (hooks.isPreparing()) return 1;
  int levels = bitsPerPixel == 1 ? 2 : bitsPerPixel == 4 ? 16 : 256;
  return hooks.preparePage(levels) ? 1 : 0;
}

namespace {

int SavePageImage(const char16_t* path, SpriteError* (*writer)(const uint8_t*, const char16_t*, uint32_t)) {
  int32_t resolution = viewPage.resolution > 0 ? viewPage.resolution : 0;
  if (SpriteError* error = writer(viewPage.Area(), path, static_cast<uint32_t>(resolution))) {
    ShowSpriteError(error);
    return 0;
  }
  CopyText(lastImagePath, kOpenPathUnits, path);
  return 1;
}

}  // namespace

int SavePageImageBmp(const char16_t* path) { return SavePageImage(path, SaveSpriteBmp); }
int SavePageImageTiff(const char16_t* path) { return SavePageImage(path, SaveSpriteTiff); }
const char16_t* LastImagePath() { return lastImagePath; }
