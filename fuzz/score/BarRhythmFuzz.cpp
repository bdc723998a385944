// The bar rhythm check over item streams laid straight into the score's part
// streams (the input of fuzz/score/ItemStreamsInput.h): every walk of every
// page, and each part's stream taken as one bar's events and summed.
#include "fuzz/FuzzTarget.h"
#include "fuzz/score/ItemStreamsInput.h"
#include "fuzz/score/ScoreFuzzState.h"
#include "score/BarEvents.h"
#include "score/BarRhythmCheck.h"
#include "score/ScoreStream.h"

KV_FUZZ_TARGET(bar_rhythm) {
  if (size > (1 << 16)) return 0;
  fuzz::LayItemStreams(data, size);
  const RhythmScoreView view = CurrentRhythmScoreView();
  BarRhythmReport report;
  WalkBarRhythms(view, RhythmWalkMode::kWarning, 1, &report);
  for (int page = 0; page <= view.pageCount + 1; ++page) {
    WalkBarRhythms(view, RhythmWalkMode::kCount, page, &report);
    WalkBarRhythms(view, RhythmWalkMode::kMarking, page, &report);
  }
  BarEvents bar;
  for (int slot = 0; slot < PartCount; ++slot) {
    const uint8_t* stream = StreamBytes(ScoreStream, slot);
    if (!stream) continue;
    BuildBarEvents(stream, 0, ScoreStream.used[slot], &bar, nullptr, 0, -1, ScoreFormatVersion);
    VoiceTotals totals;
    SumVoiceDurations(bar, &totals);
  }
  fuzz::ResetScoreState();
  return 0;
}
