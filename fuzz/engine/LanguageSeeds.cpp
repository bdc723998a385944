// Seeds of the language target: the sample and the shipped files as the
// engine data writer makes them, behind their choice byte.
#include <string>

#include "fuzz/FuzzTarget.h"
#include "fuzz/engine/EngineRun.h"

KV_FUZZ_SEEDS(engine_language) {
  fuzz::WriteChoiceSeed(folder, "sample-langdata", 0, fuzz::WriteSampleEngineFile("langdata"));
  fuzz::WriteChoiceSeed(folder, "sample-sylngram", 1, fuzz::WriteSampleEngineFile("sylngram"));
  fuzz::WriteChoiceSeed(folder, "shipped-langdata", 0, fuzz::ShippedEngineFileBytes(fuzz::kLangDataFile));
  fuzz::WriteChoiceSeed(folder, "shipped-sylngram", 1, fuzz::ShippedEngineFileBytes(fuzz::kSylngramFile));
}
