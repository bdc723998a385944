// Seeds of the score targets: the seed score written by the score file writer
// in each version it writes, as an automatic backup and as an undo snapshot,
// and laid out as item streams.
#include <string>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "fuzz/score/ScoreFuzzState.h"
#include "fuzz/score/SeedScore.h"
#include "score/ScoreFile.h"

namespace {

void WriteScoreSeeds(const std::string& folder, bool withBackups) {
  fuzz::QuietMessageBoxes();
  fuzz::PrepareScoreFolders();
  for (int version : {5, 4, 3}) {
    fuzz::LoadSeedScore();
    const std::u16string path = fuzz::ScratchPath("seed.opt");
    if (WriteScoreFile(path.c_str(), 0, kTargetScore, 0, 0, version) != 1) fuzz::Fail("the seed score was not written");
    fuzz::CopySeed(folder, "score-v" + std::to_string(version) + ".opt", path);
  }
  if (withBackups) {
    fuzz::LoadSeedScore();
    const std::u16string backup = fuzz::ScratchPath("seed-backup");
    if (WriteScoreFile(backup.c_str(), 1, kTargetScore, 1, 0, 0) != 1) fuzz::Fail("the seed backup was not written");
    fuzz::CopySeed(folder, "automatic-backup", backup);
    if (WriteScoreFile(backup.c_str(), 1, kTargetScore, 1, 1, 0) != 1) fuzz::Fail("the seed snapshot was not written");
    fuzz::CopySeed(folder, "undo-snapshot", backup);
  }
  fuzz::ResetScoreState();
}

// The seed score laid out as item streams.
void WriteItemStreamSeeds(const std::string& folder) {
  fuzz::PrepareScoreFolders();
  fuzz::LoadSeedScore();
  const std::vector<uint8_t> streams = fuzz::ItemStreamsOfScore();
  fuzz::WriteSeed(folder, "seed-score", streams.data(), streams.size());
  fuzz::ResetScoreState();
}

}  // namespace

KV_FUZZ_SEEDS(score_file) { WriteScoreSeeds(folder, true); }

KV_FUZZ_SEEDS(score_exports) { WriteScoreSeeds(folder, false); }

KV_FUZZ_SEEDS(item_streams) { WriteItemStreamSeeds(folder); }

// The bar rhythm check reads the same input.
KV_FUZZ_SEEDS(bar_rhythm) { WriteItemStreamSeeds(folder); }
