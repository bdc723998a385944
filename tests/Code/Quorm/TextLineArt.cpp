#include "tests/Code/Quorm/TextLineArt.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "Code/Quorm/Ocrmisc.h"
#include "Code/Quorm/Textslnt.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return in ? out.str() : std::string();
}

}  // namespace

bool LoadTextLine(const std::string& name, TextLineImage* out) {
  const std::string base = U8(SourcePath("tests/Code/Quorm/fixtures/text/" + name));
  const std::string pbm = ReadAll(base + ".pbm");
  std::istringstream header(pbm);
  std::string magic;
  int32_t w = 0, h = 0;
  header >> magic >> w >> h;
  if (magic != "P4" || w <= 0 || h <= 0) return false;
  const size_t start = static_cast<size_t>(header.tellg()) + 1;
  const size_t rowBytes = (static_cast<size_t>(w) + 7) / 8;
  if (pbm.size() < start + rowBytes * h) return false;
  out->width = w;
  out->height = h;
  out->pixels.assign(static_cast<size_t>(w) * h, 0);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const uint8_t byte = static_cast<uint8_t>(pbm[start + y * rowBytes + x / 8]);
      out->pixels[static_cast<size_t>(y) * w + x] = (byte >> (7 - x % 8)) & 1;
    }
  std::istringstream truth(ReadAll(base + ".txt"));
  std::string font;
  if (!std::getline(truth, out->text) || !std::getline(truth, font)) return false;
  out->glyphs.clear();
  GlyphTruth g;
  while (truth >> g.code >> g.firstColumn >> g.lastColumn) out->glyphs.push_back(g);
  return !out->glyphs.empty();
}

InkRows GlyphInkRows(const TextLineImage& line, const GlyphTruth& glyph) {
  InkRows rows{line.height, 0};
  for (int32_t y = 0; y < line.height; ++y)
    for (int32_t x = glyph.firstColumn; x <= glyph.lastColumn; ++x)
      if (line.Ink(x, y)) {
        rows.top = std::min(rows.top, y);
        rows.bottom = std::max(rows.bottom, y + 1);
      }
  return rows;
}

TextLineImage BlankLine(int32_t width, int32_t height) {
  TextLineImage image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<size_t>(width) * height, 0);
  return image;
}

TextLineImage RepeatedLine(const TextLineImage& line, int32_t times, int32_t overlap) {
  const int32_t step = line.width - overlap;
  TextLineImage row = BlankLine(step * times + overlap, line.height);
  for (int32_t k = 0; k < times; ++k)
    for (int32_t y = 0; y < line.height; ++y)
      for (int32_t x = 0; x < line.width; ++x)
        if (line.Ink(x, y)) row.pixels[static_cast<size_t>(y) * row.width + k * step + x] = 1;
  return row;
}

void FillBox(TextLineImage& image, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  for (int32_t y = y0; y < y1; ++y)
    for (int32_t x = x0; x < x1; ++x) image.pixels[static_cast<size_t>(y) * image.width + x] = 1;
}

std::vector<LineRun> RunsOf(const TextLineImage& image) {
  std::vector<LineRun> runs;
  for (int32_t x = 0; x < image.width; ++x)
    for (int32_t y = 0; y < image.height;) {
      if (!image.Ink(x, y)) {
        ++y;
        continue;
      }
      int32_t end = y;
      while (end < image.height && image.Ink(x, end)) ++end;
      runs.push_back({x, y, end, 0, 0});
      y = end;
    }
  return runs;
}

std::vector<uint32_t> BitmapBlockOf(const TextLineImage& image) {
  const size_t bytes = BitmapBlockSize(image.width, image.height);
  std::vector<uint32_t> block((bytes + 3) / 4, 0);
  InitialiseBitmapHeader(block.data(), image.width, image.height, "textline");
  for (int32_t y = 0; y < image.height; ++y) {
    uint32_t* row = BitmapRow(block.data(), y);
    for (int32_t x = 0; x < image.width; ++x)
      if (image.Ink(x, y)) row[x / 32] |= 1u << (x % 32);
  }
  return block;
}

std::string TextOf(const LineReading& reading) {
  std::string text;
  for (int32_t i = 0; i < reading.wordCount; ++i) {
    if (i) text += ' ';
    text += reading.words[i].text;
  }
  return text;
}

namespace {

std::vector<std::string> WordsOf(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// The length of the longest common subsequence.
size_t CommonCharacters(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1, 0);
  for (char ca : a) {
    size_t diagonal = 0;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = ca == b[j - 1] ? diagonal + 1 : std::max(row[j], row[j - 1]);
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

LineScore ScoreLineReading(const std::string& truth, const std::string& read) {
  const std::vector<std::string> expected = WordsOf(truth), got = WordsOf(read);
  LineScore score;
  for (const std::string& w : expected) score.wordsRight += std::find(got.begin(), got.end(), w) != got.end();
  score.words = expected.size();
  std::string truthChars, gotChars;
  for (const std::string& w : expected) truthChars += w;
  for (const std::string& w : got) gotChars += w;
  score.charsRight = CommonCharacters(truthChars, gotChars);
  score.chars = truthChars.size();
  return score;
}

TextLineImage LeaningLine(const TextLineImage& line, int32_t slant) {
  const int32_t room = SlantRowShift(line.height - 1, slant);
  TextLineImage out = BlankLine(line.width + room, line.height);
  for (int32_t y = 0; y < line.height; ++y)
    for (int32_t x = 0; x < line.width; ++x)
      if (line.Ink(x, y)) out.pixels[static_cast<size_t>(y) * out.width + x + room - SlantRowShift(y, slant)] = 1;
  out.text = line.text;
  return out;
}
