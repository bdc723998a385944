#include "reading/FileOpenerHooks.h"

#include "platform/HookTables.h"

#include "pages/PageData.h"
#include "pages/PageTable.h"

namespace {

uint32_t NoResolutionChosen(const char16_t*, uint32_t) { return 0; }
void Nothing() {}
bool No() { return false; }
void NoScanResolution(uint32_t) {}
int NoPdf(const char16_t*) { return 0; }
// The page was stored just now and has no boxes yet: its staves alone make
// its data file.
bool DefaultWritePageStaveData() {
  return pageTable.currentPage >= 0 && SavePageStaves(pageTable.currentPage, false, viewPage);
}

constexpr FileOpenerHooks kDefaults{NoResolutionChosen, Nothing,          Nothing,
                                    No,                 NoScanResolution, Nothing,
                                    No,                 PrepareViewPage,  StoreOpenedPage,
                                    DefaultWritePageStaveData, NoPdf,     Nothing,
                                    Nothing};
FileOpenerHooks current = kDefaults;

}  // namespace

const FileOpenerHooks& CurrentFileOpenerHooks() { return current; }

bool PdfPagesAvailable() { return current.openPdf != NoPdf; }

FileOpenerHooks SetFileOpenerHooks(const FileOpenerHooks& h) {
  FileOpenerHooks old = current;
  KeepIfSet(current.askPageResolution, h.askPageResolution);
  KeepIfSet(current.refreshPagesPane, h.refreshPagesPane);
  KeepIfSet(current.redrawViewWindows, h.redrawViewWindows);
  KeepIfSet(current.isScanning, h.isScanning);
  KeepIfSet(current.setScanResolution, h.setScanResolution);
  KeepIfSet(current.closePageWindow, h.closePageWindow);
  KeepIfSet(current.isPreparing, h.isPreparing);
  KeepIfSet(current.preparePage, h.preparePage);
  KeepIfSet(current.storeCurrentPage, h.storeCurrentPage);
  KeepIfSet(current.writePageStaveData, h.writePageStaveData);
  KeepIfSet(current.openPdf, h.openPdf);
  KeepIfSet(current.scoreFileOpened, h.scoreFileOpened);
  KeepIfSet(current.readNextPendingPage, h.readNextPendingPage);
  return old;
}

void ResetFileOpenerHooks() { current = kDefaults; }
