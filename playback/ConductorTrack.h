// The conductor track: set-up messages, the score's headings and copyright,
// time signatures and tempo changes on the expanded timeline.
#pragma once

#include "playback/MidiBytes.h"
#include "playback/NavigationMarks.h"
#include "playback/PlayState.h"
#include "playback/PlayStretch.h"
#include "playback/TempoList.h"

MidiBytes WriteConductorTrack(const PlayStretch& stretch, const PartPlayState& firstPart, NavigationTable* marks,
                              const TempoList& tempos);

// The time signature event's data: numerator, power of two, clocks per click, 8.
MidiBytes TimeSignatureData(int numerator, int denominatorCode);
