// Seeds of the user dictionary target: the sample and the shipped file, and
// words that the loader must trim, split and fold.
#include <string>

#include "fuzz/FuzzTarget.h"
#include "fuzz/engine/EngineRun.h"

KV_FUZZ_SEEDS(engine_user_dict) {
  const std::string sample = fuzz::WriteSampleEngineFile("dict");
  fuzz::WriteSeed(folder, "sample-dict", sample.data(), sample.size());
  // The shipped list's first lines only: libFuzzer lets inputs grow to the
  // largest seed, and a whole dictionary would slow every run of the target.
  const std::string head = fuzz::ShippedDictionaryHead();
  fuzz::WriteSeed(folder, "shipped-dict", head.data(), head.size());
  const std::string words =
      "Allegro allegro ALLEGRO (dolce) -- 'tis\tcantabile\r\nabcdefghijklmnopqrstuvwxyzabcdefghijklmnop 4/4 x";
  fuzz::WriteSeed(folder, "trimmed-and-split", words.data(), words.size());
}
