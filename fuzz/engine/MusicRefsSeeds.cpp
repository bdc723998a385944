// Seeds of the reference-file target: the sample and the shipped files as the
// engine data writer makes them, behind their choice byte.
#include <string>

#include "fuzz/FuzzTarget.h"
#include "fuzz/engine/EngineRun.h"

KV_FUZZ_SEEDS(engine_music_refs) {
  fuzz::WriteChoiceSeed(folder, "sample-music", 0, fuzz::WriteSampleEngineFile("music"));
  fuzz::WriteChoiceSeed(folder, "sample-noteheads", 1, fuzz::WriteSampleEngineFile("notehead"));
  fuzz::WriteChoiceSeed(folder, "shipped-music", 0, fuzz::ShippedEngineFileBytes(fuzz::kMusicOldFile));
  fuzz::WriteChoiceSeed(folder, "shipped-noteheads", 1, fuzz::ShippedEngineFileBytes(fuzz::kNoteheadOldFile));
}
