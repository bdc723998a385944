// Edge features against golden vectors from an independent floating-point
// version written here, and the cost and distance edge cases.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <algorithm>
#include <random>
#include <vector>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Engerror.h"

namespace {

struct Image {
  int width;
  int height;
  std::vector<uint8_t> bytes;
};

// ---- The reference: plain arithmetic over doubles, no tables ----
struct ReferenceFeatures {
  std::vector<int> main;
  std::vector<int> second;
  std::vector<int> third;
  int dropped = 0;  // gradient points beyond the share range
};

ReferenceFeatures ReferenceEdgeFeatures(const Image& image, int margin) {
  const int cells = 32 - 2 * margin;
  double patch[32][32] = {};
  for (int i = 0; i < cells; ++i)
    for (int j = 0; j < cells; ++j) {
      int sum = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          const int y = static_cast<int>(std::floor((i + 0.5 + dy / 3.0) * image.height / cells));
          const int x = static_cast<int>(std::floor((j + 0.5 + dx / 3.0) * image.width / cells));
          if (y >= 0 && y < image.height && x >= 0 && x < image.width)
            sum += image.bytes[static_cast<size_t>(y) * image.width + x] != 0 ? 1 : 0;
        }
      patch[margin + i][margin + j] = sum;
    }
  const double kernel[5] = {1, 4, 5, 4, 1};
  double smooth[32][32] = {};
  for (int r = 1; r <= 30; ++r)
    for (int c = 0; c < 32; ++c) {
      double total = 0;
      for (int a = -2; a <= 2; ++a)
        for (int b = -2; b <= 2; ++b) {
          const int rr = r + a;
          const int cc = c + b;
          if (rr >= 0 && rr < 32 && cc >= 0 && cc < 32) total += kernel[a + 2] * kernel[b + 2] * patch[rr][cc];
        }
      smooth[r][c] = total;
    }

  // bins[cell][0..3] axis +Y -Y +X -X, bins[cell][4..7] diagonal of words 0..3.
  double bins[64][8] = {};
  const int rowBand[8][2] = {{2, 7}, {8, 11}, {12, 13}, {14, 16}, {17, 19}, {20, 21}, {22, 25}, {26, 31}};
  const int colBand[8][2] = {{2, 8}, {9, 11}, {12, 16}, {1, 0}, {1, 0}, {17, 21}, {22, 24}, {25, 31}};
  ReferenceFeatures out;
  for (int rb = 0; rb < 8; ++rb)
    for (int cb = 0; cb < 8; ++cb)
      for (int r = rowBand[rb][0]; r <= rowBand[rb][1]; ++r)
        for (int c = colBand[cb][0]; c <= colBand[cb][1]; ++c) {
          const double a = smooth[r - 2][c - 2] - smooth[r][c];
          const double x = a - smooth[r - 2][c] + smooth[r][c - 2];
          const double y = a + smooth[r - 2][c] - smooth[r][c - 2];
          const int mx = static_cast<int>(std::fabs(x)) / 16;
          const int my = static_cast<int>(std::fabs(y)) / 16;
          if (mx > 225 || my > 225) {
            ++out.dropped;
            continue;
          }
          if (mx == 0 && my == 0) continue;
          const double angle = std::atan2(std::min(mx, my), std::max(mx, my)) / 0.785398164;
          const double radius = std::sqrt(static_cast<double>(mx * mx + my * my)) / 318.19815;
          const int axisShare = static_cast<int>(255.0 * (1.0 - angle) * radius);
          const int diagonalShare = static_cast<int>(255.0 * angle * radius);
          int axis;
          if (mx > my)
            axis = x >= 0 ? 2 : 3;
          else
            axis = y >= 0 ? 0 : 1;
          int diagonal;
          if (x < 0)
            diagonal = y >= 0 ? 0 : 3;
          else
            diagonal = y >= 0 ? 2 : 1;
          bins[rb * 8 + cb][axis] += axisShare;
          bins[rb * 8 + cb][4 + diagonal] += diagonalShare;
        }

  struct Band {
    int from, to;
  };
  auto pool = [&](int bin, std::vector<Band> rows, std::vector<Band> cols, bool compress, std::vector<int>& into) {
    for (Band o : rows)
      for (Band i : cols) {
        double sum = 0;
        for (int r = o.from; r <= o.to; ++r)
          for (int c = i.from; c <= i.to; ++c) sum += bins[r * 8 + c][bin];
        if (compress)
          into.push_back(sum >= 4096 ? 255 : std::min(255, static_cast<int>(std::lround(0.5 * std::pow(sum, 0.75)))));
        else
          into.push_back(std::min(255, static_cast<int>(sum) / 32));
      }
  };
  const std::vector<Band> five = {{0, 0}, {1, 2}, {3, 4}, {5, 6}, {7, 7}};
  const std::vector<Band> three = {{0, 1}, {2, 5}, {6, 7}};
  const std::vector<Band> four = {{0, 0}, {1, 2}, {5, 6}, {7, 7}};
  const std::vector<Band> halves = {{0, 3}, {4, 7}};
  pool(0, five, three, true, out.main);
  pool(1, five, three, true, out.main);
  pool(2, three, four, true, out.main);
  pool(3, three, four, true, out.main);
  for (int w : {2, 3, 0, 1}) pool(4 + w, three, three, true, out.main);
  pool(0, three, halves, false, out.second);
  pool(1, three, halves, false, out.second);
  pool(2, halves, three, false, out.second);
  pool(3, halves, three, false, out.second);
  for (int w : {2, 3, 0, 1}) pool(4 + w, halves, halves, false, out.second);
  for (int k = 0; k < 6; ++k) out.third.push_back((out.second[k] + out.second[6 + k]) / 2);
  for (int k = 0; k < 6; ++k) out.third.push_back((out.second[12 + k] + out.second[18 + k]) / 2);
  return out;
}

// ---- Test images ----
Image Blank(int w, int h) { return Image{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h, 0)}; }

void Fill(Image& im, int x0, int y0, int x1, int y1, uint8_t ink = 1) {
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) im.bytes[static_cast<size_t>(y) * im.width + x] = ink;
}

std::vector<Image> Shapes() {
  std::vector<Image> shapes;
  // Odd sizes keep every sample off the pixel borders, where the
  // fixed-point cell size and the exact one could round apart.
  Image square = Blank(61, 61);
  Fill(square, 15, 15, 46, 46);
  shapes.push_back(square);
  Image bar = Blank(20, 90);
  Fill(bar, 8, 0, 12, 90);
  shapes.push_back(bar);
  Image disc = Blank(41, 37);
  for (int y = 0; y < 37; ++y)
    for (int x = 0; x < 41; ++x)
      if ((x - 20) * (x - 20) + (y - 18) * (y - 18) < 150) disc.bytes[static_cast<size_t>(y) * 41 + x] = 1;
  shapes.push_back(disc);
  Image diagonal = Blank(50, 50);
  for (int i = 0; i < 50; ++i) Fill(diagonal, i, i, std::min(50, i + 3), i + 1);
  shapes.push_back(diagonal);
  Image half = Blank(33, 33);  // a hard edge at patch resolution
  Fill(half, 0, 0, 16, 33);
  shapes.push_back(half);
  Image corner = Blank(27, 27);  // sharper than the shares reach
  Fill(corner, 0, 0, 13, 13);
  Fill(corner, 13, 13, 27, 27);
  shapes.push_back(corner);
  std::mt19937 random(7);
  Image noise = Blank(45, 29);
  for (uint8_t& b : noise.bytes) b = random() % 3 == 0 ? 1 : 0;
  shapes.push_back(noise);
  Image small = Blank(5, 7);
  Fill(small, 1, 1, 4, 6);
  shapes.push_back(small);
  return shapes;
}

class EdgefeatTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitialiseEdgeFeatureTables(); }
};

TEST_F(EdgefeatTest, MatchesTheFloatingPointVersion) {
  int dropped = 0;
  for (const Image& image : Shapes()) {
    SCOPED_TRACE(::testing::Message() << image.width << " x " << image.height);
    uint8_t main[90];
    ComputeEdgeFeatures(main, image.bytes.data(), image.width, image.height);
    const ReferenceFeatures plain = ReferenceEdgeFeatures(image, 0);
    for (int k = 0; k < 90; ++k) EXPECT_EQ(main[k], plain.main[k]) << "feature " << k;

    uint8_t full[90];
    uint8_t second[40];
    uint8_t third[12];
    ComputeEdgeFeaturesFull(full, second, third, image.bytes.data(), image.width, image.height);
    const ReferenceFeatures framed = ReferenceEdgeFeatures(image, 3);
    for (int k = 0; k < 90; ++k) EXPECT_EQ(full[k], framed.main[k]) << "feature " << k;
    for (int k = 0; k < 40; ++k) EXPECT_EQ(second[k], framed.second[k]) << "second " << k;
    for (int k = 0; k < 12; ++k) EXPECT_EQ(third[k], framed.third[k]) << "third " << k;
    dropped += plain.dropped + framed.dropped;
  }
  EXPECT_GT(dropped, 0) << "some shape should reach magnitudes beyond the share table";
}

TEST_F(EdgefeatTest, AnyNonZeroByteIsInk) {
  Image ones = Blank(40, 40);
  Fill(ones, 10, 5, 30, 35, 1);
  Image full = Blank(40, 40);
  Fill(full, 10, 5, 30, 35, 255);
  uint8_t a[90];
  uint8_t b[90];
  uint8_t sa[40];
  uint8_t sb[40];
  ComputeEdgeFeaturesFull(a, sa, nullptr, ones.bytes.data(), 40, 40);
  ComputeEdgeFeaturesFull(b, sb, nullptr, full.bytes.data(), 40, 40);
  EXPECT_EQ(0, std::memcmp(a, b, 90));
  EXPECT_EQ(0, std::memcmp(sa, sb, 40));
}

TEST_F(EdgefeatTest, AllWhiteGivesZeros) {
  const Image white = Blank(30, 30);
  uint8_t main[90];
  uint8_t second[40];
  uint8_t third[12];
  ComputeEdgeFeaturesFull(main, second, third, white.bytes.data(), 30, 30);
  for (uint8_t v : main) EXPECT_EQ(v, 0);
  for (uint8_t v : second) EXPECT_EQ(v, 0);
  for (uint8_t v : third) EXPECT_EQ(v, 0);
}

TEST_F(EdgefeatTest, ThirdVectorOnlyWithTheSecond) {
  Image square = Blank(20, 20);
  Fill(square, 5, 5, 15, 15);
  uint8_t main[90];
  uint8_t third[12];
  std::memset(third, 0xAB, sizeof third);
  ComputeEdgeFeaturesFull(main, nullptr, third, square.bytes.data(), 20, 20);
  for (uint8_t v : third) EXPECT_EQ(v, 0xAB);
}

TEST_F(EdgefeatTest, SizesFromFiveHundredAreRefused) {
  std::vector<uint8_t> bytes(500 * 2, 0);
  uint8_t main[90];
  EXPECT_NO_THROW(ComputeEdgeFeatures(main, bytes.data(), 499, 2));
  EXPECT_NO_THROW(ComputeEdgeFeatures(main, bytes.data(), 2, 499));
  EXPECT_THROW(ComputeEdgeFeatures(main, bytes.data(), 500, 2), EngineFailure);
  EXPECT_THROW(ComputeEdgeFeatures(main, bytes.data(), 2, 500), EngineFailure);
  EXPECT_THROW(ComputeEdgeFeatures(main, bytes.data(), -1, 2), EngineFailure);
}

TEST_F(EdgefeatTest, CostTableFollowsItsFormula) {
  for (int w : {0, 1, 7, 100, 255})
    for (int d : {0, 3, 20, 60, 200, 255}) {
      const double s = std::sqrt((w / 2.0) * (w / 2.0) + 9.0);
      const double d2 = static_cast<double>(d) * d;
      double v = 12100.0 * s * s * s * s < d2 * d2 ? std::log(s) + 27.5
                                                   : std::log(s) + d2 / (2.0 * (d2 * d2 / (12100.0 * s * s) + s * s));
      v = std::min(255.4, v * 8.0);
      EXPECT_EQ(EdgeCostTableEntry(w, d), static_cast<int>(std::floor(v + 0.5))) << w << " " << d;
    }
  EXPECT_EQ(EdgeCompressionEntry(0), 0);
  EXPECT_EQ(EdgeCompressionEntry(16), 4);    // 0.5 x 8
  EXPECT_EQ(EdgeCompressionEntry(4095), 255);
}

TEST_F(EdgefeatTest, WeightedDistance) {
  uint8_t features[4] = {10, 20, 30, 40};
  uint8_t same[8] = {10, 0, 20, 5, 30, 100, 40, 255};
  EXPECT_EQ(WeightedFeatureDistance(features, same, 0), 0);
  EXPECT_EQ(WeightedFeatureDistance(features, same, 4),
            EdgeCostTableEntry(0, 0) + EdgeCostTableEntry(5, 0) + EdgeCostTableEntry(100, 0) + EdgeCostTableEntry(255, 0));
  uint8_t apart[4] = {0, 3, 50, 3};
  EXPECT_EQ(WeightedFeatureDistance(features, apart, 2), EdgeCostTableEntry(3, 10) + EdgeCostTableEntry(3, 30));
  EXPECT_THROW(WeightedFeatureDistance(features, same, 3), EngineFailure);
}

}  // namespace
