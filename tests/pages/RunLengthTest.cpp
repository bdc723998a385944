// The run-length code of stored page images: the encoding of known inputs,
// round trips, buffers that are exactly full, and damaged data.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "pages/RunLength.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Literal(const Bytes& bytes) {
  Bytes out{static_cast<uint8_t>(bytes.size()), 0};
  out.insert(out.end(), bytes.begin(), bytes.end());
  return out;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// Compressed with ample room; empty when the compressor gives up.
Bytes Compress(const Bytes& in, size_t room = 0) {
  Bytes out(room ? room : in.size() * 2 + 16);
  size_t capacity = out.size();
  if (!CompressPageImage(in.data(), in.size(), out.data(), &capacity)) return {};
  out.resize(capacity);
  return out;
}

Bytes Expand(const Bytes& in, size_t capacity) {
  // An exact heap block, so that the sanitizer sees any write past it.
  std::unique_ptr<uint8_t[]> out(new uint8_t[capacity ? capacity : 1]);
  size_t produced = 0;
  EXPECT_TRUE(DecompressPageImage(in.data(), in.size(), out.get(), capacity, &produced));
  return Bytes(out.get(), out.get() + produced);
}

Bytes Alternating(size_t n) {
  Bytes out(n);
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(i & 1);
  return out;
}

struct Vector {
  const char* what;
  Bytes input;
  Bytes encoded;
};

std::vector<Vector> Vectors() {
  Bytes alternating = Alternating(600);
  Bytes block1(alternating.begin(), alternating.begin() + 255);
  Bytes block2(alternating.begin() + 255, alternating.begin() + 510);
  Bytes block3(alternating.begin() + 510, alternating.begin() + 599);
  return {
      {"seven equal bytes", Bytes(7, 5), {5, 7}},
      {"a run of three stays literal", {1, 2, 2, 2, 3}, {4, 0, 1, 2, 2, 2, 3, 1}},
      {"300 equal bytes", Bytes(300, 0xAA), {0xAA, 255, 0xAA, 45}},
      {"600 alternating bytes", alternating, Join({Literal(block1), Literal(block2), Literal(block3), {1, 1}})},
      {"one byte", {9}, {9, 1}},
      {"a run of four after literals", {7, 8, 3, 3, 3, 3, 4}, {2, 0, 7, 8, 3, 4, 4, 1}},
      {"exactly 255 equal bytes", Bytes(255, 1), {1, 255}},
      {"256 equal bytes", Bytes(256, 1), {1, 255, 1, 1}},
  };
}

TEST(RunLength, KnownInputsEncodeAsExpected) {
  for (const Vector& v : Vectors()) {
    SCOPED_TRACE(v.what);
    EXPECT_EQ(Compress(v.input), v.encoded);
    EXPECT_EQ(Expand(v.encoded, v.input.size()), v.input);
  }
}

TEST(RunLength, RandomDataRoundTrips) {
  std::mt19937 random(12345);
  for (int round = 0; round < 200; ++round) {
    const size_t n = 1 + random() % 5000;
    // Mostly runs of varied length, as on a scanned page, with noise between.
    Bytes in;
    while (in.size() < n) {
      const uint8_t value = static_cast<uint8_t>(random() % 4 == 0 ? random() : random() % 2 ? 0xFF : 0);
      const size_t run = random() % 3 == 0 ? 1 : random() % 700;
      in.insert(in.end(), std::min(run, n - in.size()), value);
    }
    const Bytes packed = Compress(in);
    ASSERT_FALSE(packed.empty());
    EXPECT_EQ(Expand(packed, in.size()), in) << "round " << round;
  }
}

TEST(RunLength, OutputMustStayBelowTheCapacity) {
  const Bytes in(7, 5);  // encodes to two bytes
  EXPECT_TRUE(Compress(in, 3).size() == 2);
  EXPECT_TRUE(Compress(in, 2).empty());
  EXPECT_TRUE(Compress({}, 16).empty());
}

TEST(RunLength, IncompressibleMegabyteAtTheExactBufferSizeGivesUp) {
  std::mt19937 random(99);
  const size_t n = 1 << 20;
  Bytes in(n);
  for (uint8_t& b : in) b = static_cast<uint8_t>(random());
  // A heap block of exactly the input size: a write past it is a sanitizer report.
  std::unique_ptr<uint8_t[]> out(new uint8_t[n]);
  size_t capacity = n;
  EXPECT_FALSE(CompressPageImage(in.data(), n, out.get(), &capacity));
  EXPECT_EQ(capacity, n);
}

TEST(RunLength, OutputNoSmallerThanTheInputFails) {
  // Eight bytes of pairs for five of input: not worth storing.
  const Bytes in{1, 2, 2, 2, 3};
  Bytes out(in.size());
  size_t capacity = in.size();
  EXPECT_FALSE(CompressPageImage(in.data(), in.size(), out.data(), &capacity));
}

TEST(RunLength, DamagedDataIsRefused) {
  struct Case {
    const char* what;
    Bytes data;
    size_t capacity;
  };
  const Case cases[] = {
      {"a lone last byte", {5, 3, 7}, 16},
      {"a literal block cut short", {4, 0, 1, 2}, 16},
      {"a run past the end of the output", {5, 10}, 9},
      {"a literal block past the end of the output", {3, 0, 1, 2, 3}, 2},
      {"a second pair past the end of the output", {5, 4, 6, 1}, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<uint8_t[]> out(new uint8_t[c.capacity]);
    size_t produced = 99;
    EXPECT_FALSE(DecompressPageImage(c.data.data(), c.data.size(), out.get(), c.capacity, &produced));
    EXPECT_LE(produced, c.capacity);
  }
}

TEST(RunLength, EmptyPairsAndEmptyInputExpandToNothing) {
  EXPECT_TRUE(Expand({0, 0, 0, 0}, 4).empty());
  EXPECT_TRUE(Expand({}, 4).empty());
  EXPECT_EQ(Expand({0, 0, 8, 2}, 2), (Bytes{8, 8}));
}

}  // namespace
