#include "render/TextMetrics.h"

#include <cmath>

namespace {

bool Equal(const char16_t* a, const char16_t* b) {
  for (; *a && *b; ++a, ++b) {
    char16_t x = *a >= u'A' && *a <= u'Z' ? char16_t(*a + 32) : *a;
    char16_t y = *b >= u'A' && *b <= u'Z' ? char16_t(*b + 32) : *b;
    if (x != y) return false;
  }
  return *a == *b;
}

}  // namespace

const TextFaceMetrics* FaceMetricsFor(const char16_t* face, bool bold, bool italic) {
  if (!face) return nullptr;
  const char16_t* family = nullptr;
  if (Equal(face, u"Arial") || Equal(face, u"MS Sans Serif") || Equal(face, u"Liberation Sans")) {
    family = u"Liberation Sans";
  } else if (Equal(face, u"Times New Roman") || Equal(face, u"Liberation Serif")) {
    family = u"Liberation Serif";
  } else {
    return nullptr;
  }
  int count = 0;
  const TextFaceMetrics* table = TextFaceTable(&count);
  for (int i = 0; i < count; ++i) {
    if (Equal(table[i].family, family) && table[i].bold == (bold ? 1 : 0) && table[i].italic == (italic ? 1 : 0))
      return &table[i];
  }
  return nullptr;
}

// Advances are scaled as the font rasteriser under Wine scales them: a 16.16
// scale of 26.6 pixels per font unit, each advance rounded to 1/64 pixel and
// then to a whole pixel.
int MeasureTextPixels(const TextFaceMetrics& face, int pixelEm, const char16_t* text, int length) {
  const int64_t scale = ((int64_t(pixelEm) << 22) + face.em / 2) / face.em;
  int total = 0;
  for (int i = 0; i < length; ++i) {
    const int c = text[i];
    int w = face.missingWidth;
    if (c >= kTextMetricsFirst && c <= kTextMetricsLast && face.widths[c - kTextMetricsFirst] >= 0)
      w = face.widths[c - kTextMetricsFirst];
    const int64_t advance = (int64_t(w) * scale + 0x8000) >> 16;
    total += static_cast<int>((advance + 32) >> 6);
  }
  return total;
}
