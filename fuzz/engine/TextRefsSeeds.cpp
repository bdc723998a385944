// Seeds of the text reference target: the sample and the shipped file.
#include <string>

#include "fuzz/FuzzTarget.h"
#include "fuzz/engine/EngineRun.h"

KV_FUZZ_SEEDS(engine_text_refs) {
  const std::string sample = fuzz::WriteSampleEngineFile("text");
  fuzz::WriteSeed(folder, "sample-text", sample.data(), sample.size());
  const std::string shipped = fuzz::ShippedEngineFileBytes(fuzz::kTextFile);
  fuzz::WriteSeed(folder, "shipped-text", shipped.data(), shipped.size());
}
