// The start of a score page paint, under everything the walk draws: the
// band of the staff row being edited, the bars being played, the margins
// round the page and the page's frame lines.
#pragma once

#include <cstdint>

#include "render/DrawDevice.h"
#include "score/ScoreStream.h"

// What playback is playing: bit s of partMask for each part slot being
// played, with the stream offset of the item sounding in it.
struct PlaybackPosition {
  uint32_t partMask = 0;
  uint32_t offset[kPartSlots] = {};
};
// Playback installs this; it fills the position and returns true while it
// plays. Null (the default): nothing is played.
using PlaybackPositionHook = bool (*)(PlaybackPosition* position);
void SetPlaybackPositionHook(PlaybackPositionHook hook);

// The colours of the start of a paint.
constexpr int kEditedRowBandColour = 12;  // over a background of colour 0
constexpr int kEditedRowBlendStrips = 12;
constexpr int kPlayedBarColour = 9;
constexpr int kMarginColour = 27;
constexpr int kMarginColourKeypad = 28;  // "Use R8 Keypad"

// A bar being played: from x0 to x1 on a staff row whose extent is top ..
// bottom (distances below the page top); false when the part's item rows
// of the last paint do not hold the offset.
struct PlayedBar {
  int32_t left, right, top, bottom;
};
bool FindPlayedBar(int slot, uint32_t offset, PlayedBar* bar);

// What the start of a paint draws, from the previous paint's item index
// and staff rows (the walk refills both): the band of the staff row being
// edited and the bars being played, when the page has its stored boxes (the
// band only outside the page-view mode).
struct PaintStartInputs {
  bool storedBoxes = false;
  bool pageViewMode = false;
  bool keypadColours = false;
  int32_t editedRow = -1;  // the staff row being edited; -1 none
  int32_t viewWidth = 0;
  render::Colour paper = 0xFFFFFF;  // the background the band blends into
  double pageWidth = 0, pageHeight = 0;
};
constexpr int kPlayedBarsShown = 16;
struct PaintStartMarks {
  bool band = false;
  int32_t bandTop = 0, bandBottom = 0;  // distances below the page top
  int playedCount = 0;
  PlayedBar played[kPlayedBarsShown];
};
PaintStartMarks PreparePaintStart(const PaintStartInputs& in);

// Draws them over the background, then, outside the page-view mode, the
// margins beyond the page's size (pageWidth x pageHeight world units;
// nothing without a size) and the frame lines when the view has a width.
void DrawPaintStart(const PaintStartInputs& in, const PaintStartMarks& marks);
