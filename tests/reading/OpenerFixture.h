// Opening files in a test: a page store in a scratch folder (the data folder
// points there), an empty page table and page view, the opener's hooks at
// their defaults, and small TIFF, bitmap and ".stv" files made on the spot.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/ScratchFolder.h"

struct OpenerPage {
  uint32_t width = 64;
  uint32_t height = 48;
  int bitsPerSample = 1;
  bool withResolution = true;
  float resolution = 300;
};
// A TIFF of these pages; 1-bit pages are CCITT G4 with a few ink rows.
void WriteOpenerTiff(const std::u16string& path, const std::vector<OpenerPage>& pages);
void WriteFileBytes(const std::u16string& path, const std::vector<uint8_t>& bytes);

struct CompanionStaveSpec {
  uint32_t lines, joined, x, y, width, height;
};
// A ".stv" file: the declared count (default: the staves given), then the staves.
std::vector<uint8_t> CompanionBytes(const std::vector<CompanionStaveSpec>& staves, int declared = -1);

class OpenerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Gives the page view a blank 1-bit page of this size and resolution.
  void BlankViewPage(uint32_t width, uint32_t height, int32_t resolution);

  ScratchFolder scratch_;

 private:
  std::u16string savedData_;
};
