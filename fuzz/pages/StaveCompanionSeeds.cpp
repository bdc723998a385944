// Seeds of the stave companion targets: companion files as a page's staves
// are given beside its image, built field by field.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/FuzzTarget.h"

namespace {

void Put(std::vector<uint8_t>* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

struct Stave {
  uint32_t lines, joined, x, y, width, height;
};

std::vector<uint8_t> Companion(std::initializer_list<Stave> staves, uint32_t declared) {
  std::vector<uint8_t> b;
  Put(&b, declared);
  for (const Stave& s : staves)
    for (uint32_t v : {s.lines, s.joined, s.x, s.y, s.width, s.height}) Put(&b, v);
  return b;
}

void WriteCompanionSeeds(const std::string& folder) {
  const std::vector<uint8_t> system = Companion({{5, 0, 6, 20, 380, 40}, {5, 1, 6, 80, 380, 40}, {5, 0, 6, 150, 380, 40}}, 3);
  fuzz::WriteSeed(folder, "three-staves", system.data(), system.size());
  const std::vector<uint8_t> mixed = Companion({{6, 0, 30, 30, 300, 50}, {1, 0, 30, 120, 300, 2}, {4, 0, 500, 10, 20, 20}}, 3);
  fuzz::WriteSeed(folder, "tablature-and-one-line", mixed.data(), mixed.size());
  const std::vector<uint8_t> cut = Companion({{5, 0, 6, 20, 380, 40}}, 2);
  fuzz::WriteSeed(folder, "cut-short", cut.data(), cut.size());
}

}  // namespace

KV_FUZZ_SEEDS(stave_companion) { WriteCompanionSeeds(folder); }
KV_FUZZ_SEEDS(stave_companion_store) { WriteCompanionSeeds(folder); }
