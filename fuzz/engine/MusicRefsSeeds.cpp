// Seeds of the reference-file target: the sample and the shipped files as the
// engine data writer makes them, behind their choice byte.
#include <string>

#include "fuzz/FuzzTarget.h"
#include "fuzz/engine/EngineRun.h"

namespace {
void Seed(const std::string& folder, const std::string& name, char choice, const std::string& bytes) {
  const std::string input = std::string(1, choice) + bytes;
  fuzz::WriteSeed(folder, name, input.data(), input.size());
}
}  // namespace

KV_FUZZ_SEEDS(engine_music_refs) {
  Seed(folder, "sample-music", 0, fuzz::WriteSampleEngineFile("music"));
  Seed(folder, "sample-noteheads", 1, fuzz::WriteSampleEngineFile("notehead"));
  Seed(folder, "shipped-music", 0, fuzz::ShippedEngineFileBytes(fuzz::kMusicOldFile));
  Seed(folder, "shipped-noteheads", 1, fuzz::ShippedEngineFileBytes(fuzz::kNoteheadOldFile));
}
