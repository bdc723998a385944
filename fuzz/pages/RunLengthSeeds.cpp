// Seeds of the run-length target: page rows as the page store compresses them.
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "pages/RunLength.h"

KV_FUZZ_SEEDS(run_length) {
  // A page-like row pattern: long white runs with short black strokes.
  std::vector<uint8_t> page(4096, 0);
  for (size_t i = 0; i < page.size(); i += 97) page[i] = 0xFF;
  for (size_t i = 2000; i < 2064; ++i) page[i] = static_cast<uint8_t>(i * 37);
  std::vector<uint8_t> packed(page.size());
  size_t length = packed.size();
  if (CompressPageImage(page.data(), page.size(), packed.data(), &length)) fuzz::WriteSeed(folder, "compressed-page", packed.data(), length);
  fuzz::WriteSeed(folder, "raw-page", page.data(), page.size());
  const uint8_t literal[] = {3, 0, 1, 2, 3, 0xAA, 5};
  fuzz::WriteSeed(folder, "literal-and-run", literal, sizeof literal);
}
