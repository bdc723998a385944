#include "playback/TabNotes.h"

#include "export/ItemDecoders.h"
#include "export/NiffWriterError.h"

namespace {

constexpr int kMajorScale[7] = {0, 2, 4, 5, 7, 9, 11};
// The export's pitch numbers count C two octaves below MIDI's C2 as 0.
constexpr int kMidiOffset = 24;
constexpr int kNaturalPair = 3;  // the accidental pair of no alteration

}  // namespace

int TabNoteNumber(int fret, int string, bool fourStringBass) {
  TabPitchValue pitch;
  try {
    pitch = TabPitch(fret, string, fourStringBass, false);
  } catch (const CNiffWriterError&) {
    return -1;
  }
  // Back from the spelled staff position to the semitone.
  int diatonic = pitch.staffPosition + 12 - 1;
  int semitone = (diatonic / 7) * 12 + kMajorScale[diatonic % 7] + (pitch.accidental.primary - kNaturalPair);
  return semitone + kMidiOffset;
}
