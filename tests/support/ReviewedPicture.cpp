#include "tests/support/ReviewedPicture.h"

#include <gtest/gtest.h>

#include <cstdlib>

long DifferingPixels(const PngImage& actual, const PngImage& reviewed, int level, PngImage* diff) {
  if (actual.width != reviewed.width || actual.height != reviewed.height || actual.channels != reviewed.channels ||
      actual.pixels.size() != reviewed.pixels.size()) {
    return -1;
  }
  const int channels = actual.channels;
  if (diff) *diff = actual;
  long differing = 0;
  for (size_t at = 0; at < actual.pixels.size(); at += channels) {
    bool differs = false;
    for (int c = 0; c < channels; ++c) differs |= std::abs(int(actual.pixels[at + c]) - int(reviewed.pixels[at + c])) > level;
    differing += differs;
    if (!diff) continue;
    for (int c = 0; c < channels; ++c) {
      const uint8_t faded = static_cast<uint8_t>(192 + actual.pixels[at + c] / 4);
      diff->pixels[at + c] = differs ? (channels == 3 && c == 0 ? 255 : 0) : faded;
    }
  }
  return differing;
}

void ExpectMatchesReviewed(const PngImage& actual, const std::string& reviewedPath, const std::string& outPrefix,
                           PictureTolerance tolerance) {
  if (const char* update = std::getenv("KV_UPDATE_GOLDENS"); update && std::string(update) == "1") {
    EXPECT_TRUE(WritePng(reviewedPath, actual)) << "cannot write " << reviewedPath;
    return;
  }
  PngImage reviewed;
  std::string why;
  if (!ReadPng(reviewedPath, &reviewed, &why)) {
    WritePng(outPrefix + "-actual.png", actual);
    ADD_FAILURE() << "no reviewed picture " << reviewedPath << " (" << why << "); the picture drawn is "
                  << outPrefix << "-actual.png";
    return;
  }
  PngImage diff;
  const long differing = DifferingPixels(actual, reviewed, tolerance.level, &diff);
  const double pixels = double(actual.width) * actual.height;
  if (differing < 0 || differing > tolerance.share * pixels) {
    WritePng(outPrefix + "-actual.png", actual);
    if (differing >= 0) WritePng(outPrefix + "-diff.png", diff);
  }
  if (differing < 0) {
    ADD_FAILURE() << "the picture is " << actual.width << "x" << actual.height << "x" << actual.channels
                  << ", the reviewed one " << reviewed.width << "x" << reviewed.height << "x" << reviewed.channels
                  << "; see " << outPrefix << "-actual.png";
    return;
  }
  EXPECT_LE(differing, tolerance.share * pixels)
      << differing << " pixels differ from " << reviewedPath << "; see " << outPrefix << "-diff.png";
}
