// The exports of a score read from any bytes: the score file reader takes
// what it accepts, and MusicXML, NIFF and MIDI are written from it.
#include <string>

#include "fuzz/FuzzTarget.h"
#include "fuzz/score/ExportRun.h"
#include "fuzz/score/ScoreFuzzState.h"
#include "score/ScoreFile.h"

KV_FUZZ_TARGET(score_exports) {
  if (size > (1 << 16)) return 0;
  fuzz::PrepareScoreFolders();
  fuzz::ResetScoreState();
  const std::u16string input = fuzz::InputFile(data, size, ".opt");
  if (ReadScoreFile(input.c_str(), 0, 0) == 1) fuzz::RunScoreExports(size);
  fuzz::RemoveScorePageData();
  fuzz::ResetScoreState();
  return 0;
}
