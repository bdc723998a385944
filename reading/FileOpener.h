// Opening files: the queue of paths to open (filled by DDE, dropped files,
// the Open dialog and PDF import) drained in name order, each file opened by
// its type: page images (".bmp", ".tif", ".tiff") page by page into the page
// store, PDF files through the PDF page loader, score files through the score
// file reader. Also the current page image saved as a file.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kOpenFileQueueSlots = 400;
constexpr size_t kOpenPathUnits = 260;

struct OpenFileQueue {
  int32_t count = 0;
  char16_t paths[kOpenFileQueueSlots][kOpenPathUnits] = {};
  char16_t types[kOpenFileQueueSlots][kOpenPathUnits] = {};  // extension for a path without one
  bool busy = false;
};
extern OpenFileQueue OpenFiles;

// Adds a path (and the type extension to use when it has none); false when
// the queue is full or the path does not fit.
bool QueueFileToOpen(const char16_t* path, const char16_t* typeExtension);

// Drains the queue (see the file's comment); reading of the next pending page
// starts when images were opened and the user did not stop with Esc. The paths
// that open nothing (missing, of another type, a PDF file while no PDF page
// loader is installed) are named at the end, with the reason.
// Does nothing while a drain runs (busy): that drain takes the new paths.
void OpenFileByType();

// ".tif" for the first bytes of a TIFF file (either byte order), ".pdf" for
// "%PDF"; "" for anything else or a file that cannot be read. out holds 8 units.
void SniffFileType(const char16_t* path, char16_t* out);

// Opens the pages of an image file (extension ".bmp", ".tif" or ".tiff"):
// each page's resolution is checked (missing or outside 140..610 dpi: the
// user is asked), the page loaded, prepared and stored, and a ".stv"
// companion beside the file read. The number of pages stored.
int OpenTiffFile(const char16_t* path, const char16_t* extension);

// Loads a page image into the page view and prepares it: 1 started, 0 refused.
int OpenPageImageForReading(const char16_t* path);

// The current page image written as a file; 1 written, 0 failed (shown).
int SavePageImageBmp(const char16_t* path);
int SavePageImageTiff(const char16_t* path);
// The last image path written by them.
const char16_t* LastImagePath();

// The resolutions a page may have; outside them the user is asked.
constexpr uint32_t kLowestResolution = 140;
constexpr uint32_t kHighestResolution = 610;
// The value the resolution question suggests for a page's resolution.
uint32_t SuggestedResolution(uint32_t resolution);
