// The program's key codes: one translation from a Windows virtual key and the
// modifiers held into the integer codes the editor and the views act on.
#pragma once

#include <cstdint>

enum KeyModifier : unsigned {
  kKeyModShift = 1,
  kKeyModControl = 2,
  kKeyModAlt = 4,
};

// Codes the shell and the editor name.
enum : int {
  kKeyCodeBackspace = 8,
  kKeyCodeEnter = 13,
  kKeyCodeEscape = 27,
  kKeyCodeHome = 30,
  kKeyCodeSpace = 32,
  kKeyCodeCtrlHome = 62,
  kKeyCodeDelete = 127,
  kKeyCodeF1 = 385,
  kKeyCodeF9 = 393,
  kKeyCodeTab = 394,
  kKeyCodeEnd = 395,
  kKeyCodeLeft = 396,
  kKeyCodeRight = 397,
  kKeyCodeDown = 398,
  kKeyCodeUp = 399,
  kKeyCodePageDown = 414,
  kKeyCodePageUp = 415,
  kKeyCodeF10 = 458,
  kKeyCodeF11 = 459,
  kKeyCodeF12 = 460,
  kKeyCodeInsert = 461,
  kKeyCodeSelectAll = 577,  // Ctrl+A
  kKeyCodeCopy = 579,       // Ctrl+C
  kKeyCodePaste = 598,      // Ctrl+V
  kKeyCodeCut = 600,        // Ctrl+X
  kKeyCodeRedo = 601,       // Ctrl+Y
  kKeyCodeUndo = 602,       // Ctrl+Z
  kKeyCodeDeselect = 27,    // Esc
};

// What modifiers add to a code.
enum : int {
  kKeyAddAlt = 2048,
  kKeyAddCharControl = 512,
  kKeyAddCharShift = 1024,
  kKeyAddNamedShift = 16,
  kKeyAddNamedControl = 32,
};

// The code of a virtual key with the modifiers (KeyModifier bits) held.
// Numeric-pad digits give the digit codes and the pad's operators their
// characters, as the keys of the main keyboard do.
int TranslateKey(int virtualKey, unsigned modifiers);

// The modifiers held now (Shift, Ctrl, Alt), from the keyboard state.
unsigned KeyModifiersHeld();

// TranslateKey with the modifiers held now.
int TranslateKeyNow(int virtualKey);
