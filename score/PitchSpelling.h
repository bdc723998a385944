// Pitch spelling and transposition: MIDI pitches to staff positions under a
// key and clef and back, accidental choice, and the re-spelling of the chords
// of a part after a change of clef, key or transposition.
//
// Positions are those of the note bytes: diatonic steps upward, 12 the bottom
// stave line, stored positions 1..31. A key is a signed count: sharps
// positive, flats negative (-7..7). Clef numbers are clef codes plus one
// (1 French treble, 2 treble ... 8 bass); 0 counts as treble. Octave shift
// codes are those of the clef item (1 down, 2 up, 3 two down, 4 two up).
#pragma once

#include <cstdint>

#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

// Division and remainder rounded toward minus infinity, so that pitches and
// positions below zero keep their octave and pitch class.
inline int FloorDiv(int a, int b) {
  int q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
inline int FloorMod(int a, int b) { return a - b * FloorDiv(a, b); }

constexpr int kLowestStoredPosition = 1;
constexpr int kHighestStoredPosition = 31;

int SpellPitchInKey(int pitch, int key, int clefNumber, int octaveShift);
int SpellPitchFolded(int pitch, int key, int clefNumber, int octaveShift);
// Below 1: raised by whole octaves into 1..7; above 31: lowered into 25..31.
int FoldPosition(int position);

// -1 flat, 0, 1 sharp or 2 double sharp: the accidental of the pitch class in the key.
int KeyAccidental(int pitch, int key);
// Mode 1: 1 when the pitch class is one the key signature alters to.
// Mode 0: 0 when it is a natural that the key signature replaces.
int IsKeyNote(int pitch, int mode, int key);

// -2..2: the accidental of a note of written accidental a moved by t
// semitones; 0 is the plain spelling of the new pitch class (sharp for C, F
// and G sharp, flat for E and B flat, else natural).
int ChooseAccidental(int pitch, int writtenAccidental, int transposition);
// The folded position of pitch + transposition, spelled by ChooseAccidental.
int SpellTransposedPitch(int pitch, int transposition, int key, int clefNumber, int octaveShift);
// The same position before folding.
int SpellTransposedPitchUnfolded(int pitch, int transposition, int key, int clefNumber, int octaveShift);
int TransposeKeySignature(int key, int semitones, int negate);

// The natural pitch of a position under a clef code (0..7) and octave shift;
// clef codes without letters (percussion, tablature) read as treble.
int PitchFromPosition(int position, int clefCode, int octaveShift);

// The key, clef code and octave shift in force at an offset of a part's
// stream (outputs may be null). Returns the key.
int QueryKeyStepAccidental(int slot, uint32_t offset, int* key, int* clef, int* octaveShift);

// How the notes of a stretch are written: clef, key, the key signature's
// accidental at each staff position and the accidental in force there (from
// the key, then from the notes of the bar).
struct SpellingState {
  int clef = kClefTreble;
  int octaveShift = 0;
  int key = 0;
  int8_t keySteps[32] = {};
  int8_t inForce[32] = {};
};
// Sets clef, shift and key and the accidentals of the key alone (a new bar).
void ResetSpellingState(SpellingState* state, int clef, int octaveShift, int key);

// Rewrites the note bytes of one chord written under `from` so that it sounds
// semitones higher when written under `to`; both states learn the chord's
// accidentals. Without a transposition the notes keep their letters; with
// one, notes of the old key become notes of the new key and other notes are
// spelled by ChooseAccidental. Tablature parts and clefs above 7 are left
// alone. 1 when the chord was rewritten.
int SpellChordNotes(uint8_t* chord, int slot, SpellingState* from, SpellingState* to, int semitones);

// Arguments of RespellChordForKey that keep what is in force.
constexpr int kKeepClef = 100;
constexpr int kKeepKey = 100;
constexpr int kKeepKeyTransposeSignatures = 101;

// Re-spells the chords of a part's score stream from an offset (null: the
// whole part) for a new clef and shift (kKeepClef keeps them), a new key
// (kKeepKey keeps it; kKeepKeyTransposeSignatures keeps it and transposes
// the key signatures met by the semitones) and a pitch change of semitones.
// With a new clef the walk ends at the next clef, with a new key at the next
// key signature. Returns the number of chords rewritten.
int RespellChordForKey(int slot, const uint32_t* offset, int semitones, int newClef, int newShift,
                       int newKey, bool resetStems);

// The editor's re-setting of stem directions over a chord's beam group.
// Until it is wired in, re-spelled chords keep their stems.
using BeamGroupStemHook = void (*)(int slot, uint32_t offset);
BeamGroupStemHook SetBeamGroupStemHook(BeamGroupStemHook hook);  // returns the old one
