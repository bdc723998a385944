// Grey-level histogram of a page, the threshold between ink and paper, the
// inversion of negative pages, the dotted-paper test and the conversion of a
// grey page to black and white.
#pragma once

#include <cstdint>

#include "reading/PageImage.h"

struct Histogram {
  double level[256] = {};  // fraction of the sampled pixels per grey level
};

// Counts every fourth pixel of every fourth row: 256 levels by grey value, 16
// by the nibble, 2 as paper (0) or ink (1); other level counts give zeros.
void BuildHistogram(const PageImage& image, int levels, Histogram& histogram);

// The threshold between the ink peak and the paper peak. The paper peak is
// kept between calls: with keepPaperPeak the last one found is used.
int CalculateThreshold(const Histogram& histogram, int levels, bool showProgress, bool keepPaperPeak);
// Forgets the kept paper peak, as at the start of a run.
void ResetPaperPeak();

// Inverts a page whose ink outweighs its paper: every pixel of every row,
// the padding left clear. Rebuilds the histogram after an inversion. True
// when the page was inverted.
bool InvertIfNegative(Histogram& histogram, int levels, const PageImage& image);
// Complements every pixel of every row (padding bits stay as they are).
void InvertPixels(const PageImage& image);

// The final grey threshold from the first threshold t1 and, on dotted paper,
// the threshold t2 of the pattern histogram.
int GreyThreshold(int t1, int t2, bool patternedPaper);

// 1 when a fine regular dot pattern covers the page (2 or 256 levels only).
int DetectPatternedPaper(const PageImage& image, int threshold, int levels, int resolution);

// Rebuild the 256-level histogram so that long dark stretches (borders,
// shadows) or, on dotted paper, the dots count as paper.
void RefineHistogram(Histogram& histogram, int levels, const PageImage& image, int resolution);
void RefinePatternHistogram(Histogram& histogram, int levels, const PageImage& image, int resolution);

// A 4-bit page as 8 bits (each pixel nibble x 17); empty when memory is short.
OwnedPageImage ExpandTo256Greys(const PageImage& image);
// The 1-bit page of a grey page: ink where the grey value is below t.
OwnedPageImage ConvertToBlackAndWhite(const PageImage& grey, int t);

// The byte map that turns packed palette indices (1, 2, 4 or 8 bits per pixel,
// palette entries of four bytes) into packed grey levels; 1-bit levels are
// inverted so that dark pixels become set bits. False for more than 256
// colours (with message 10185) and for depths that do not pack into bytes.
bool NormalizePalette(const uint8_t* palette, int bitsPerPixel, uint8_t table[256]);
