#include "tests/reading/OpenerFixture.h"

#include <tiffio.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "pages/PageData.h"
#include "pages/PageStoreHooks.h"
#include "pages/PageTable.h"
#include "pages/SpriteArea.h"
#include "pages/TiffFile.h"
#include "platform/Folders.h"
#include "platform/Platform.h"
#include "reading/FileOpener.h"
#include "reading/FileOpenerHooks.h"

void WriteOpenerTiff(const std::u16string& path, const std::vector<OpenerPage>& pages) {
  TIFF* tif = OpenTiffFile(path.c_str(), "w");
  if (!tif) throw std::runtime_error("cannot write TIFF fixture");
  for (const OpenerPage& page : pages) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, page.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, page.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, page.bitsPerSample);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, page.bitsPerSample == 1 ? COMPRESSION_CCITTFAX4 : COMPRESSION_NONE);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, page.bitsPerSample == 1 ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, page.height);
    if (page.withResolution) {
      TIFFSetField(tif, TIFFTAG_XRESOLUTION, page.resolution);
      TIFFSetField(tif, TIFFTAG_YRESOLUTION, page.resolution);
      TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    }
    std::vector<uint8_t> row((page.width * page.bitsPerSample + 7) / 8);
    for (uint32_t y = 0; y < page.height; ++y) {
      bool ink = y % 8 == 3;
      for (uint8_t& b : row) b = page.bitsPerSample == 1 ? (ink ? 0xFF : 0) : (ink ? 0 : 255);
      TIFFWriteScanline(tif, row.data(), y, 0);
    }
    TIFFWriteDirectory(tif);
  }
  TIFFClose(tif);
}

void WriteFileBytes(const std::u16string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = platform::OpenStream(path.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot write fixture");
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::vector<uint8_t> CompanionBytes(const std::vector<CompanionStaveSpec>& staves, int declared) {
  std::vector<uint8_t> b;
  auto put = [&b](uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
  };
  put(declared < 0 ? uint32_t(staves.size()) : uint32_t(declared));
  for (const CompanionStaveSpec& s : staves) {
    put(s.lines);
    put(s.joined);
    put(s.x);
    put(s.y);
    put(s.width);
    put(s.height);
  }
  return b;
}

void OpenerTest::SetUp() {
  savedData_ = DataFolder();
  SetDataFolder(scratch_.Path().c_str());
  char16_t store[600];
  MakeMusicPagesPath(store, u"");
  ASSERT_TRUE(platform::MakeDirectory(store));
  pageTable.pageCount = 0;
  pageTable.currentPage = -1;
  ResetPageStoreHooks();
  ResetFileOpenerHooks();
  FreeHandle(&viewPage.imageArea);
  viewPage.staveCount = 0;
  OpenFiles.count = 0;
}

void OpenerTest::TearDown() {
  ResetFileOpenerHooks();
  ResetPageStoreHooks();
  FreeHandle(&viewPage.imageArea);
  viewPage.staveCount = 0;
  pageTable.pageCount = 0;
  pageTable.currentPage = -1;
  OpenFiles.count = 0;
  SetDataFolder(savedData_.c_str());
}

void OpenerTest::BlankViewPage(uint32_t width, uint32_t height, int32_t resolution) {
  FreeHandle(&viewPage.imageArea);
  size_t bytes = 60 + PaddedRowBytes(width, 1) * height;
  ASSERT_TRUE(AllocHandle(&viewPage.imageArea, bytes));
  InitSpriteArea(viewPage.Area(), uint32_t(bytes));
  ASSERT_EQ(CreateSprite(viewPage.Area(), kPageSpriteName, width, height, kSpriteMode1Bit), nullptr);
  viewPage.width = width;
  viewPage.height = height;
  viewPage.resolution = resolution;
  std::memcpy(viewPage.imageName, kPageSpriteName, sizeof kPageSpriteName);
}
