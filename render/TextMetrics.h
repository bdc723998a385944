// Text metrics of the faces the Windows build draws the score's text with
// (made at build time by tools/make_text_metrics.py), so that the recording
// device measures text as GDI under Wine does.
#pragma once

#include <cstdint>

struct TextFaceMetrics {
  const char16_t* family;
  int bold;
  int italic;
  int em;
  int winAscent;
  int winDescent;
  int missingWidth;
  const int16_t* widths;  // U+0020..U+00FF in font units; -1 when missing
};
constexpr int kTextMetricsFirst = 0x20;
constexpr int kTextMetricsLast = 0xFF;

const TextFaceMetrics* TextFaceTable(int* count);
int MusicFontEm();
int MusicFontAverageWidth();

// The face that stands in for a face name of the score ("Arial" and "MS Sans
// Serif": Liberation Sans; "Times New Roman": Liberation Serif), or null.
const TextFaceMetrics* FaceMetricsFor(const char16_t* face, bool bold, bool italic);
// Width in pixels of text in a face at a pixel em (each advance rounded).
int MeasureTextPixels(const TextFaceMetrics& face, int pixelEm, const char16_t* text, int length);
