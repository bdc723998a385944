// Seeds of the language target: the sample and the shipped files as the
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

KV_FUZZ_SEEDS(engine_language) {
  Seed(folder, "sample-langdata", 0, fuzz::WriteSampleEngineFile("langdata"));
  Seed(folder, "sample-sylngram", 1, fuzz::WriteSampleEngineFile("sylngram"));
  Seed(folder, "shipped-langdata", 0, fuzz::ShippedEngineFileBytes(fuzz::kLangDataFile));
  Seed(folder, "shipped-sylngram", 1, fuzz::ShippedEngineFileBytes(fuzz::kSylngramFile));
}
