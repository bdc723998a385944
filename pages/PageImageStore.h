// Page image files of the page store: the page view's whole sprite area,
// run-length compressed behind the tag "Compressed" + 0 and the raw size, or
// a Windows bitmap when compressing does not pay. Storing a page adds its row
// to the page table once its image is safely on disc; loading one brings it
// back into the page view bit for bit.
#pragma once

struct PageData;

#include <cstddef>
#include <cstdint>

#include "platform/Messages.h"

// The path of the image last loaded into the page view: the opened file, or
// for a stored page its name in the resource folder; "" when it does not fit
// in kImagePathUnits. Preparation cuts a rendered PDF page's path back to its
// ".pdf" file through the setter.
constexpr size_t kImagePathUnits = 260;
const char16_t* CurrentImagePath();
void SetCurrentImagePath(const char16_t* path);

constexpr char kCompressedTag[] = "Compressed";  // and a 0 byte
constexpr size_t kCompressedTagBytes = 11;
constexpr size_t kCompressedHeaderBytes = kCompressedTagBytes + 4;

// The bytes of a sprite area that make a page image: the area and sprite
// headers and the rows. 0 when the area's headers do not describe one
// sprite of a supported mode within blockBytes.
uint32_t PageImageRawSize(const uint8_t* area, size_t blockBytes);

enum class PageImageWrite { kCompressed, kBitmap, kFailed };
// Writes the page image file of area at path: compressed when that makes it
// smaller, else as a bitmap (also when memory for compressing is short).
// The file is written beside path and put in place once checked.
PageImageWrite WritePageImageFile(const char16_t* path, const uint8_t* area, size_t blockBytes, int32_t resolution);

enum class PageImageRead { kRead, kNotCompressed, kFailed, kDamaged, kNoMemory };
// Reads a compressed page image file into a new block in *area (the old
// block is not touched). The raw size is checked against what the data can
// hold before anything is allocated, the data must expand to exactly that
// size, and the headers must describe one page sprite filling it. The area
// keeps its stored size word (its block made that large) when that covers
// the sprite by at most 1024 bytes more; otherwise it says the raw size.
PageImageRead ReadCompressedPageImage(const char16_t* path, Handle* area);

// The name a page from a file gets: the file-name part of path, at most 40
// units, or for the second and later pages of a file at most 36 units and
// " " + the page number from 1. out holds 40 units, the last always 0.
void PageNameFromFile(const char16_t* path, int pageNumber, char16_t* out);

// Stores the page view's image: with addRow as a new page named name (the
// table is full: string 10013, nothing stored), otherwise over the current
// page's image. Returns the current page afterwards.
int StoreScannedPage(bool addRow, const char16_t* name);
// Loads the image of row index into the page view and makes it the current
// page: 1, or 0 when it could not be loaded (the view keeps its image).
// Scanning ends, the current image path becomes the resource folder's file
// of the page's name (a page stored as a bitmap: its own file) and the
// multi-page index goes back to the first page.
int LoadScanImage(int index);
// Loads the image and page data of row index into page (the reading
// thread's page): 1, or 0 when the image could not be loaded.
int LoadPageForReading(int index, PageData* page);
// Loads the placeholder "WaitImage.bmp" of the resources into the page view
// as the sprite "waitimage": 1, or 0 when it could not be loaded (shown).
int LoadWaitImage();
