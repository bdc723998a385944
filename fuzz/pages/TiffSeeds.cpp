// Seeds of the TIFF target: pages the program writes itself (1-bit CCITT)
// and small pages made here through libtiff in the layouts the loader takes.
#include <tiffio.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "fuzz/pages/PageSeedImages.h"
#include "pages/ImageFiles.h"
#include "pages/TiffFile.h"

namespace {

struct Layout {
  const char* name;
  uint16_t bits, samples, photometric, compression, planar;
  uint16_t extra;  // an extra sample's kind, 0 none
  bool tiled;
  int pages;
};

void WritePages(const std::u16string& path, const Layout& l) {
  TIFF* tif = OpenTiffFile(path.c_str(), "w");
  if (!tif) return;
  const uint32_t width = 32, height = 20;
  for (int p = 0; p < l.pages; ++p) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, l.bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, l.samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, l.photometric);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, l.compression);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, l.planar);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 300.0f);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 300.0f);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, p == 0 ? RESUNIT_INCH : RESUNIT_CENTIMETER);
    if (l.extra) {
      uint16_t kinds[1] = {l.extra};
      TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, kinds);
    }
    if (l.photometric == PHOTOMETRIC_PALETTE) {
      std::vector<uint16_t> r(1u << l.bits), g(r.size()), b(r.size());
      for (size_t i = 0; i < r.size(); ++i) r[i] = g[i] = b[i] = static_cast<uint16_t>(i * 65535 / (r.size() - 1));
      TIFFSetField(tif, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
    }
    if (l.tiled) {
      TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16);
      TIFFSetField(tif, TIFFTAG_TILELENGTH, 16);
      std::vector<uint8_t> tile(static_cast<size_t>(TIFFTileSize(tif)));
      for (size_t i = 0; i < tile.size(); ++i) tile[i] = static_cast<uint8_t>(i * 37 + p);
      for (uint32_t y = 0; y < height; y += 16)
        for (uint32_t x = 0; x < width; x += 16) TIFFWriteTile(tif, tile.data(), x, y, 0, 0);
    } else {
      TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 8);
      const uint16_t planes = l.planar == PLANARCONFIG_SEPARATE ? l.samples : 1;
      std::vector<uint8_t> line(static_cast<size_t>(TIFFScanlineSize(tif)));
      for (uint16_t plane = 0; plane < planes; ++plane)
        for (uint32_t y = 0; y < height; ++y) {
          for (size_t i = 0; i < line.size(); ++i) line[i] = static_cast<uint8_t>((y % 5 == 1 ? 0x11 : 0xE7) ^ (i * 13 + plane));
          TIFFWriteScanline(tif, line.data(), y, plane);
        }
    }
    TIFFWriteDirectory(tif);
  }
  TIFFClose(tif);
}

}  // namespace

KV_FUZZ_SEEDS(tiff_page) {
  // The program's own writer: a 1-bit page as CCITT run lengths.
  const std::vector<uint8_t> page = fuzz::PatternArea(40, 24, 1);
  const std::u16string written = fuzz::ScratchPath("seed-page.tif");
  if (SaveSpriteTiff(page.data(), written.c_str(), 300) == nullptr) {
    fuzz::CopySeed(folder, "written-1bit.tif", written);
    // The same file cut short (after its header, half way) and empty: files
    // that do not open, whose reason the target asks for.
    std::ifstream in(folder + "/written-1bit.tif", std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() > 16) {
      fuzz::WriteSeed(folder, "written-cut-header.tif", bytes.data(), 8);
      fuzz::WriteSeed(folder, "written-cut-half.tif", bytes.data(), bytes.size() / 2);
    }
    fuzz::WriteSeed(folder, "empty.tif", bytes.data(), 0);
  }

  const Layout layouts[] = {
      {"grey8", 8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_NONE, PLANARCONFIG_CONTIG, 0, false, 1},
      {"grey8-lzw-2pages", 8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_LZW, PLANARCONFIG_CONTIG, 0, false, 2},
      {"grey4-white", 4, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_PACKBITS, PLANARCONFIG_CONTIG, 0, false, 1},
      {"bilevel-g4", 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4, PLANARCONFIG_CONTIG, 0, false, 3},
      {"rgb-tiled", 8, 3, PHOTOMETRIC_RGB, COMPRESSION_DEFLATE, PLANARCONFIG_CONTIG, 0, true, 1},
      {"palette4", 4, 1, PHOTOMETRIC_PALETTE, COMPRESSION_NONE, PLANARCONFIG_CONTIG, 0, false, 1},
      {"grey-alpha", 8, 2, PHOTOMETRIC_MINISBLACK, COMPRESSION_NONE, PLANARCONFIG_CONTIG, EXTRASAMPLE_UNASSALPHA, false, 1},
      {"grey-alpha-planes", 8, 2, PHOTOMETRIC_MINISBLACK, COMPRESSION_NONE, PLANARCONFIG_SEPARATE, EXTRASAMPLE_ASSOCALPHA, false, 1},
      {"grey16-alpha-tiled", 16, 2, PHOTOMETRIC_MINISBLACK, COMPRESSION_NONE, PLANARCONFIG_CONTIG, EXTRASAMPLE_UNASSALPHA, true, 1},
      {"palette2-alpha", 2, 2, PHOTOMETRIC_PALETTE, COMPRESSION_NONE, PLANARCONFIG_CONTIG, EXTRASAMPLE_UNASSALPHA, false, 1},
  };
  for (const Layout& l : layouts) {
    const std::u16string path = fuzz::ScratchPath("seed-layout.tif");
    WritePages(path, l);
    fuzz::CopySeed(folder, std::string(l.name) + ".tif", path);
  }
}
