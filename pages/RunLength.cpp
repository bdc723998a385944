#include "pages/RunLength.h"

#include <cstring>

namespace {

constexpr size_t kLongestRun = 255;
constexpr size_t kLongestBlock = 255;
constexpr size_t kShortestRun = 4;  // shorter runs join the literal bytes

// Output that refuses to reach its limit: every pair or block is checked
// before it is written.
class PairWriter {
 public:
  PairWriter(uint8_t* out, size_t limit) : out_(out), limit_(limit) {}

  bool Run(uint8_t value, size_t count) {
    if (!Room(2)) return false;
    out_[used_++] = value;
    out_[used_++] = static_cast<uint8_t>(count);
    return true;
  }

  bool Literals(const uint8_t* bytes, size_t count) {
    while (count > 0) {
      const size_t block = count > kLongestBlock ? kLongestBlock : count;
      if (!Room(2 + block)) return false;
      out_[used_++] = static_cast<uint8_t>(block);
      out_[used_++] = 0;
      std::memcpy(out_ + used_, bytes, block);
      used_ += block;
      bytes += block;
      count -= block;
    }
    return true;
  }

  size_t Used() const { return used_; }

 private:
  // The output must stay below the limit.
  bool Room(size_t n) const { return n < limit_ - used_; }

  uint8_t* out_;
  size_t limit_;
  size_t used_ = 0;
};

}  // namespace

bool CompressPageImage(const uint8_t* source, size_t length, uint8_t* destination, size_t* capacity) {
  if (length == 0 || *capacity == 0) return false;
  PairWriter out(destination, *capacity);
  uint8_t runByte = source[0];
  size_t runLength = 1;
  size_t runStart = 0;
  size_t literalStart = 0;
  for (size_t i = 1; i < length; ++i) {
    if (source[i] == runByte) {
      if (++runLength <= kLongestRun) continue;
      if (!out.Literals(source + literalStart, runStart - literalStart) || !out.Run(runByte, kLongestRun))
        return false;
      runLength = 1;
      runStart = literalStart = i;
    } else if (runLength < kShortestRun) {
      runByte = source[i];
      runLength = 1;
      runStart = i;
    } else {
      if (!out.Literals(source + literalStart, runStart - literalStart) || !out.Run(runByte, runLength))
        return false;
      runByte = source[i];
      runLength = 1;
      runStart = literalStart = i;
    }
  }
  if (!out.Literals(source + literalStart, runStart - literalStart) || !out.Run(runByte, runLength)) return false;
  *capacity = out.Used();
  return true;
}

bool DecompressPageImage(const uint8_t* source, size_t length, uint8_t* destination, size_t capacity,
                         size_t* produced) {
  *produced = 0;
  size_t in = 0;
  size_t out = 0;
  while (in < length) {
    if (length - in < 2) return false;
    const uint8_t a = source[in];
    const uint8_t b = source[in + 1];
    in += 2;
    if (b != 0) {
      if (capacity - out < b) return false;
      std::memset(destination + out, a, b);
      out += b;
    } else {
      if (length - in < a || capacity - out < a) return false;
      if (a != 0) std::memcpy(destination + out, source + in, a);
      in += a;
      out += a;
    }
    *produced = out;
  }
  return true;
}
