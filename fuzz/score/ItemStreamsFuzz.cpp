// The exports over item streams laid straight into the score's part streams
// (the input of fuzz/score/ItemStreamsInput.h).
#include "fuzz/FuzzTarget.h"
#include "fuzz/score/ExportRun.h"
#include "fuzz/score/ItemStreamsInput.h"
#include "fuzz/score/ScoreFuzzState.h"

KV_FUZZ_TARGET(item_streams) {
  if (size > (1 << 16)) return 0;
  fuzz::LayItemStreams(data, size);
  fuzz::RunScoreExports(size);
  fuzz::ResetScoreState();
  return 0;
}
