// The run-length code of stored page images: any bytes decoded within a
// bounded buffer, and any bytes that compress come back unchanged.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "pages/RunLength.h"

KV_FUZZ_TARGET(run_length) {
  constexpr size_t kLimit = 1 << 16;
  std::vector<uint8_t> expanded(kLimit);
  size_t produced = 0;
  if (DecompressPageImage(data, size, expanded.data(), expanded.size(), &produced) && produced > kLimit) std::abort();

  // Round trip: what compresses must expand to the same bytes.
  if (size == 0 || size > kLimit) return 0;
  std::vector<uint8_t> packed(size);
  size_t packedLength = packed.size();
  if (!CompressPageImage(data, size, packed.data(), &packedLength)) return 0;
  if (packedLength >= size) std::abort();
  if (!DecompressPageImage(packed.data(), packedLength, expanded.data(), size, &produced) || produced != size ||
      std::memcmp(expanded.data(), data, size) != 0)
    std::abort();
  return 0;
}
