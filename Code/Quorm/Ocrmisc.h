// Shared helpers of the text side and the engine's 1-bit bitmap block layout.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- Bitmap block: a 76-byte header, then the rows ----
// Row r starts (words per row x r) 32-bit words after the header; in a word
// bit 0 is the leftmost pixel, 1 = black.
struct BitmapHeader {
  char label[12];                 // at most 11 characters and a NUL
  int32_t wordsPerRowMinus1;
  int32_t rowsMinus1;
  int32_t lastWordBitsMinus1;     // (width - 1) mod 32
  int32_t reserved[13];
};
static_assert(sizeof(BitmapHeader) == 76, "bitmap header is 76 bytes");

constexpr size_t kBitmapHeaderSize = 76;

// ((width + 31) / 32) x height x 4 + 76; width and height must be at least 1.
size_t BitmapBlockSize(int32_t width, int32_t height);
// Zeroes the whole block and fills the header.
void InitialiseBitmapHeader(void* block, int32_t width, int32_t height, const char* label);
int32_t BitmapWidth(const void* block);
int32_t BitmapHeight(const void* block);
int32_t BitmapWordsPerRow(const void* block);
uint32_t* BitmapRow(void* block, int32_t row);  // checked 0..height-1
const uint32_t* BitmapRow(const void* block, int32_t row);

// ---- Text recognition set-up ----
// Gaussian table, text reference header, spelling, text references, work lists.
const char* InitialiseTextRecognition();
// The five work lists of text reading, made afresh; a failed allocation goes
// through the engine heap's hook, and what was made is freed with the lists
// (FreeTextClassifierData).
void AllocateTextWorkLists();
void FreeTextClassifierData();

struct TextWorkEntry {
  int32_t count;
  int16_t* values;  // capacity + 1 entries
};
struct TextWorkList {
  int32_t capacity;     // per entry
  int32_t entryCount;
  int32_t used;
  TextWorkEntry* entries;
};
enum TextWorkListId { kLatticeWork, kCutPositions, kWordSpans, kPathList, kSegmentEnds, kTextWorkListCount };
TextWorkList* GetTextWorkList(int32_t id);  // checked; null before the set-up

// ---- Shared helpers ----
void BuildGaussianTable();
int32_t GaussianTableEntry(int32_t i);  // checked 0..1023; the table must be built
// 19-tap smoothing; step in 1/4096 units of an entry.
void SmoothCutProfile(int32_t* out, const int32_t* in, int32_t n, int32_t step);
void SpreadEvenly(int32_t* values, int32_t total, int32_t n);
void AddGaussianBump(int32_t* values, int32_t centre, int32_t width, int32_t weight, int32_t n);

// ---- Reading one line ----
struct LineRun;
struct LineReading;
// Reads the 1-bit line bitmap (block with header) in the given mode and
// fills the result; the previous result is freed first.
void ReadTextLine(LineReading* result, const void* bitmap, int mode);
// Its first steps: frees the previous line and result, records the size and
// extracts the runs (which stay until the next line or the clean-up).
void PrepareTextLine(const void* bitmap);
// The current line's runs (sorted by column, then row) and width.
LineRun* GetLineRuns(int32_t* count, int32_t* width);
// The sample of the character made of pieces [first, end) of the current
// line: the union of their boxes (left, top, right, bottom; right and bottom
// exclusive) always; when the box is less than 100 wide and 80 high, its
// runs drawn as a 0/1 byte mask and true.
bool CharacterSample(int32_t first, int32_t end, uint8_t* sample, int32_t* width, int32_t* height, int32_t box[4]);
// Frees the work areas of one page's text reading.
void FreeTextReadingWork();

// ---- Word-gap costs (x1024 fixed point) ----
// p: the cutter's height estimate; q: the position model's pitch.
struct WordGapScales {
  int32_t a = 2560, b = 1024;            // lattice scales
  int32_t rereadA = 2560, rereadB = 1024;  // re-reader scales
};
WordGapScales& CurrentWordGapScales();
int32_t FirstPassGapCost(int32_t gap, int32_t p);
int32_t SecondPassGapCost(int32_t gap, int32_t p);
int32_t OverlapCost(int32_t v, int32_t b);
int32_t WidthCost(int32_t v, int32_t a, int32_t p);
int32_t RereadGapCost(int32_t gap, int32_t q);
int32_t RereadWidthCost(int32_t v, int32_t a, int32_t q);
// The two variants of the gap scales over word spans (widths and heights):
// the re-reader's scales, and the lattice scales, which also install the
// second-pass gap cost for the line's lattice.
void SetWordGapScales(const int32_t* widths, const int32_t* heights, int32_t n, int32_t textHeight, int32_t q);
void SetLatticeGapScales(const int32_t* widths, const int32_t* heights, int32_t n, int32_t p);

// The line's model, as the one-value cost functions the lattices take: the
// line's p (set with the default scales and the first-pass gap cost by
// SetLineGapModel) and, for the re-reader's width, the position model's
// pitch q. The re-reader joins pieces by the first-pass gap costs. Gaps of
// no white (pieces of one blob, overlapping pieces) join at no cost.
void SetLineGapModel(int32_t p);
int32_t LatticeGapCost(int32_t gap);
int32_t LatticeOverlapCost(int32_t v);
int32_t LatticeWidthCost(int32_t v);
int32_t RereaderGapCost(int32_t gap);
int32_t RereaderOverlapCost(int32_t v);
int32_t RereaderWidthCost(int32_t v);
