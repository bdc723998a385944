// The keypad's codes on the selection: a note value, a rest, dots,
// accidentals, articulations, grace and cue notes, noteheads, beams, stems,
// ties and the voice tabs, written into the selected chord, rest or mark (or
// into every item of the multi-selection), or kept as a pending placement
// when nothing is selected.
#pragma once

#include <cstdint>

#include "score/ItemSelection.h"

// The keypad codes the editor writes, named by their keys.
enum KeypadCode : int {
  kPadQuarter = 0,
  kPadEighth = 1,
  kPad16th = 2,
  kPadHalf = 3,
  kPadWhole = 4,
  kPadDot = 5,
  kPadAccent = 6,
  kPadTenuto = 7,
  kPadStaccato = 8,
  kPadFermata = 9,
  kPadFlat = 12,
  kPadSharp = 13,
  kPadNatural = 14,
  kPadTie = 29,
  kPadMarcato = 32,
  kPadStaccatissimo = 33,
  kPadPlus = 34,
  kPadUpBow = 35,
  kPadDownBow = 36,
  kPadHarmonic = 39,
  kPadDoubleSharp = 40,
  kPadDoubleFlat = 41,
  kPadNaturalSharp = 42,
  kPadNaturalFlat = 45,
  kPadCross = 51,
  kPad128th = 56,
  kPad64th = 57,
  kPadTripleDot = 58,
  kPadDoubleDot = 59,
  kPadBeamStart = 61,
  kPadBeamMiddle = 62,
  kPadNoBeam = 63,
  kPadStem = 69,
  kPadCue = 73,
  kPad32nd = 74,
  kPadBreve = 54,
  kPadAppoggiatura = 87,
  kPadRest = 128,
  kPadClearBeam = 129,
  kPadClearArticulation = 131,
  kPadClearAccidentals = 132,
  kPadBarRest = 134,
  kPadState = -1,  // apply the whole keypad state
  kPadVoice = -2,  // a voice tab: only the voice stamp
};

// What the keypad holds: its latched codes (non-zero = latched) and the
// current voice tab.
struct KeypadLatches {
  const uint8_t* latched = nullptr;  // 256 entries, or null for none
  int voice = 0;
  bool Has(int code) const { return latched && code >= 0 && code < 256 && latched[code] != 0; }
};

// The duration code a note-value key writes (breve 8 .. 128th 0); -1 for other codes.
int DurationOfKeypadCode(int code);

// Applies code to the edit item of the selected chord, rest or mark and
// writes it (replace; else inserted after the selected row). toggle: the
// articulation codes flip single bits and beams change only when a beam key
// is pressed; without toggle they follow the keypad state. 1 when written.
int ApplyKeypadCode(ScoreViewItems& view, bool replace, bool stampVoice, int code, bool toggle,
                    const KeypadLatches& keys);

// A keypad button pressed (layout, button, its code): buttons below 5 and
// button 10 do nothing; the voice tabs (5-8) and button 9 send the voice
// stamp; others their code. With a multi-selection each listed item takes it
// under one snapshot; with none selected the code waits as the pending
// placement. Without latches (keys.latched null) a single item takes the
// code as a toggle. 1 when anything was written.
int ApplyKeypadCodeToSelection(ScoreViewItems& view, int button, int code, const KeypadLatches& keys);

// The code waiting for the next click (-3 none).
constexpr int kNoPendingCode = -3;
int& PendingKeypadCode();
