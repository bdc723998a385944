// The modes of the score window that other parts of the program switch on
// and off: playback running (set by the playback while it plays) and the
// full-screen view of the score (set while it is shown). The score window
// and its keypad read them.
#pragma once

struct ScoreViewModes {
  bool playing = false;
  bool fullScreen = false;
};

const ScoreViewModes& CurrentScoreViewModes();
void SetScorePlaying(bool playing);
void SetScoreFullScreen(bool fullScreen);
