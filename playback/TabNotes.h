// The sounding note of a tablature note: the open string's note plus the fret.
#pragma once

// MIDI note number, or -1 for a string the instrument does not have.
int TabNoteNumber(int fret, int string, bool fourStringBass);
