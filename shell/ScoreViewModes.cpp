#include "shell/ScoreViewModes.h"

namespace {
ScoreViewModes Modes;
}  // namespace

const ScoreViewModes& CurrentScoreViewModes() { return Modes; }
void SetScorePlaying(bool playing) { Modes.playing = playing; }
void SetScoreFullScreen(bool fullScreen) { Modes.fullScreen = fullScreen; }
