// What the file opener asks of the rest of the program: the shell's dialogs,
// panes and views, the scanning state, the PDF page loader, page preparation
// and the storing of an opened page. The shell wires them in.
// Until it does, each default is what happens without that service: no
// resolution is chosen (a page without a usable resolution is not opened),
// nothing is redrawn, nothing is scanning, PDF files open nothing, and no
// reading is scheduled. Preparation and storing default to the page
// preparation and the page store themselves, without the shell's cursor,
// progress window and preview.
#pragma once

#include <cstdint>

struct FileOpenerHooks {
  // The resolution dialog: shown for a page whose resolution is missing or
  // outside 140..610 dpi, with the suggested value. The chosen resolution,
  // or 0 when none was chosen (the page is then not opened).
  uint32_t (*askPageResolution)(const char16_t* path, uint32_t suggested);
  // Repaints the pages pane after each opened file.
  void (*refreshPagesPane)();
  // Repaints the page, pages-pane and score views.
  void (*redrawViewWindows)();
  // The scanning state: whether pages arrive from a scanner, and keeping an
  // opened page's resolution as the scan resolution. Leaving the state is the
  // page store's endScanning hook, which loading a stored page runs too.
  bool (*isScanning)();
  void (*setScanResolution)(uint32_t resolution);
  // Closes the page window after an image that cannot be read.
  void (*closePageWindow)();
  // Whether page preparation is running already.
  bool (*isPreparing)();
  // Prepares the page view's freshly loaded image (2, 16 or 256 levels); 1 ready.
  int (*preparePage)(int levels);
  // Stores the page view's image as a new page named after path (pageNumber
  // from 1) and writes the page index; the new row, or -1 when not stored.
  int (*storeCurrentPage)(const char16_t* path, int pageNumber);
  // Writes the current page's stave data; true when its data file holds them.
  bool (*writePageStaveData)();
  // Renders and stores the pages of a PDF file; 1 when pages were opened.
  int (*openPdf)(const char16_t* path);
  // After a score file was opened: clear the backup time and force a backup.
  void (*scoreFileOpened)();
  // Starts reading the next pending page at once.
  void (*readNextPendingPage)();
};

const FileOpenerHooks& CurrentFileOpenerHooks();
// Whether a PDF page loader is installed (PDF files open only then).
bool PdfPagesAvailable();
// Installs hooks (a null member keeps that member's default); returns the old set.
FileOpenerHooks SetFileOpenerHooks(const FileOpenerHooks& hooks);
void ResetFileOpenerHooks();

// The defaults of preparePage and storeCurrentPage, for hooks that add to them.
int PrepareViewPage(int levels);
int StoreOpenedPage(const char16_t* path, int pageNumber);
