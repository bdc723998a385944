// The input of the score page target: settings byte (bit 0 page-view mode,
// bit 1 printing, bit 2 bar alignment, bit 3 a zero page size, bit 4 show
// voice numbers, bit 5 stored boxes: their left x as 16-bit values from the
// bytes after the parts), format version, part count (1..13), then per part a
// descriptor byte (bits 0-2 stave lines, bit 3 tablature, bit 4 small, bit 5
// not laid out), a 16-bit length and the stream's bytes (cut to what remains).
#pragma once

#include <cstdint>
#include <vector>

namespace fuzz {

struct ScorePagePart {
  uint8_t descriptor;
  std::vector<uint8_t> stream;
};

inline std::vector<uint8_t> ScorePageInput(uint8_t settings, uint8_t version, const std::vector<ScorePagePart>& parts) {
  std::vector<uint8_t> out = {settings, version, static_cast<uint8_t>(parts.size())};
  for (const ScorePagePart& p : parts) {
    out.push_back(p.descriptor);
    out.push_back(static_cast<uint8_t>(p.stream.size() & 255));
    out.push_back(static_cast<uint8_t>(p.stream.size() >> 8));
    out.insert(out.end(), p.stream.begin(), p.stream.end());
  }
  return out;
}

}  // namespace fuzz
