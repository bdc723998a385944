// UI strings of the drawing layer (rows of resources/strings.txt).
#pragma once

// "The music font %s ..." (the font file's name): said once per run when the
// music font cannot be found or installed.
constexpr unsigned kTextMusicFontMissing = 11700;
// Start-up ends: the drawing lock cannot be made.
constexpr unsigned kTextReadingMutexFailed = 11701;

// The page-view caption "Page 3 of 7": "Page ", the current page, " ", "of",
// " ", the page count.
constexpr unsigned kStrCaptionPage = 10204;
constexpr unsigned kStrCaptionGap = 10183;
constexpr unsigned kStrCaptionOf = 10090;
// Under a page that cannot be clicked into: read from an earlier version or
// not fully read, or simply not yet clicked.
constexpr unsigned kStrPageNotEditable = 10043;
constexpr unsigned kStrClickPageToEdit = 10044;
// The label of the edited stave of a part without a name: "Staff 2" when
// the stave is blank on the page, else "Sta. 2".
constexpr unsigned kStrStaffLabel = 302;
constexpr unsigned kStrStaffLabelShort = 303;
// When the score pane's off-screen bitmap cannot be made.
constexpr unsigned kStrCannotCreateContext = 10141;
constexpr unsigned kStrCannotCreateDib = 10142;
constexpr unsigned kStrCannotSelectBitmap = 10143;
// When the scanned-page strip's heap or bitmap header cannot be had.
constexpr unsigned kStrCannotAllocateHeap = 10139;
constexpr unsigned kStrCannotAllocateHeader = 10140;
// The scanned-page strip: the page was deleted from the page table; the
// page image is still being opened; the hint over a shown page.
constexpr unsigned kStrScannedPageGone = 10045;
constexpr unsigned kStrOpeningImage = 10454;
constexpr unsigned kStrStripHint = 10114;
