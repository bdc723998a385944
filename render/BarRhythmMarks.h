// The "Show bad timing" marks of the score page: a faulty bar gets, per
// faulty voice, "+" or "-" and the missing or excess duration in small note
// symbols, with red dotted lines above and below the bar; a bar that its
// staff ends without a bar line of its own gets a red dotted upright pair.
#pragma once

#include <cstdint>

#include "score/Rhythm.h"

// One bar's mark at bar line x (world units), its top (world y, upward) and
// height; barStartX is where the bar begins. numerator -1 stands for 4/4.
// Nothing while LayoutOnlyFlag is set or "Show bad timing" is off. The voice
// times and the tuplet flags are cleared afterwards.
void DrawBarRhythmMark(VoiceTotals* times, int numerator, int unitCode, double x, double top,
                       bool tupletSeen[kRhythmVoices], bool countEmptyVoices, double barStartX, double height);

// A bar closed without a bar line of its own: a red dotted vertical line from
// above the top to below the bottom (top - height), drawn twice.
void DrawOpenBarMarker(double x, double top, double height);

// The marks of the current score page, each at its bar line's row of the
// item index; run by the painter at the end of a screen paint.
void DrawPageRhythmMarks();
