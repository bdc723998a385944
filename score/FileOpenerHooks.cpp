#include "score/FileOpenerHooks.h"

#include "pages/PageData.h"
#include "pages/PageTable.h"

namespace {

uint32_t NoResolutionChosen(const char16_t*, uint32_t) { return 0; }
void Nothing() {}
bool No() { return false; }
void NoScanResolution(uint32_t) {}
int NoPdf(const char16_t*) { return 0; }
void DefaultWritePageStaveData() {
  if (pageTable.currentPage >= 0) SavePageData(pageTable.currentPage, false, viewPage, pageTable.rows[pageTable.currentPage].pageKey);
}

constexpr FileOpenerHooks kDefaults{NoResolutionChosen, Nothing,         Nothing,          No,
                                    Nothing,            NoScanResolution, Nothing,         No,
                                    PrepareViewPage,    StoreOpenedPage,  DefaultWritePageStaveData,
                                    NoPdf,              Nothing,          Nothing};
FileOpenerHooks current = kDefaults;

template <typename F>
void Keep(F& into, F from) {
  if (from) into = from;
}

}  // namespace

const FileOpenerHooks& CurrentFileOpenerHooks() { return current; }

FileOpenerHooks SetFileOpenerHooks(const FileOpenerHooks& h) {
  FileOpenerHooks old = current;
  Keep(current.askPageResolution, h.askPageResolution);
  Keep(current.refreshPagesPane, h.refreshPagesPane);
  Keep(current.redrawViewWindows, h.redrawViewWindows);
  Keep(current.isScanning, h.isScanning);
  Keep(current.endScanning, h.endScanning);
  Keep(current.setScanResolution, h.setScanResolution);
  Keep(current.closePageWindow, h.closePageWindow);
  Keep(current.isPreparing, h.isPreparing);
  Keep(current.preparePage, h.preparePage);
  Keep(current.storeCurrentPage, h.storeCurrentPage);
  Keep(current.writePageStaveData, h.writePageStaveData);
  Keep(current.openPdf, h.openPdf);
  Keep(current.scoreFileOpened, h.scoreFileOpened);
  Keep(current.readNextPendingPage, h.readNextPendingPage);
  return old;
}

void ResetFileOpenerHooks() { current = kDefaults; }
