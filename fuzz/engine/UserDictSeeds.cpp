// Seeds of the user dictionary target: the sample and the shipped file, and
// words that the loader must trim, split and fold.
#include <string>

#include "fuzz/FuzzTarget.h"
#include "fuzz/engine/EngineRun.h"

KV_FUZZ_SEEDS(engine_user_dict) {
  const std::string sample = fuzz::WriteSampleEngineFile("dict");
  fuzz::WriteSeed(folder, "sample-dict", sample.data(), sample.size());
  const std::string shipped = fuzz::ShippedEngineFileBytes(fuzz::kUserDictFile);
  fuzz::WriteSeed(folder, "shipped-dict", shipped.data(), shipped.size());
  const std::string words =
      "Allegro allegro ALLEGRO (dolce) -- 'tis\tcantabile\r\nabcdefghijklmnopqrstuvwxyzabcdefghijklmnop 4/4 x";
  fuzz::WriteSeed(folder, "trimmed-and-split", words.data(), words.size());
}
