// The keypad's layouts and the latching of its keys: which code and group
// each key has in each layout, which keys a press unlatches, the table of
// latched codes and the tooltip string of each button. Plain tables and
// state; the keypad window (shell/win32) draws and routes them.
#pragma once

#include <cstdint>

#include "shell/ButtonStates.h"
#include "shell/ScoreViewModes.h"

constexpr int kKeypadLayoutCount = 6;  // 0-4 narrow, 5 wide
constexpr int kWideKeypadLayout = 5;
constexpr int kFirstKeypadKey = 10;    // buttons 0-4 layout tabs, 5-8 voice tabs, 9 the layout toggle
constexpr int kNarrowKeyCount = 18;    // keys 10-27
constexpr int kWideKeyCount = 44;      // keys 10-53
constexpr int kKeypadButtonSlots = kFirstKeypadKey + kWideKeyCount;

enum KeypadGroup : uint8_t {
  kGroupToggle = 0,
  kGroupNoteValue = 1,
  kGroupBeam = 2,
  kGroupDots = 3,
  kGroupAccidental = 4,
  kGroupClears = 8,
  kGroupEmpty = 9,
};

struct KeypadKey {
  uint8_t code;
  uint8_t group;
};

// The key of button (10 and up) in layout; null outside the layout.
const KeypadKey* KeypadKeyAt(int layout, int button);
int KeypadKeyCount(int layout);

// Button states as the bars draw them.
enum KeypadButtonState : uint8_t { kKeyNormal = 0, kKeyDisabled = 3, kKeyLatched = 6 };

struct KeypadState {
  int layout = -1;  // -1 before the first
  int panel = -1;   // voice panel 0-3
  uint8_t latchedCodes[256] = {};  // non-zero: that code's key is latched
  uint8_t buttons[kKeypadButtonSlots] = {};  // KeypadButtonState of each button
};

// Shows layout n: its tab latched (narrow layouts), its keys disabled (empty
// slots) or latched by the table of latched codes (never the first key),
// panel 0 when none is current.
void ShowKeypadLayout(KeypadState& state, int layout);
// A key (button 10 and up) pressed: a toggle's latch is inverted (the clear
// key only flashes), the keys it excludes are unlatched and their codes
// cleared, the codes of its kind cleared and its own set while latched.
// Returns the key's code for the editor, -1 for a disabled key.
int PressKeypadKey(KeypadState& state, int button);

// The tooltip string of button in layout (0: none, for empty and unused keys).
int KeypadTooltipId(int layout, int button);

// A key pressed while the score view or the keypad has the focus.
struct KeypadKeyStroke {
  unsigned virtualKey = 0;
  bool extended = false;  // the key data's extended-key bit: the grey keys, not the numeric pad's
  bool shift = false;
  bool alt = false;
};
constexpr unsigned kKeypadEscapeKey = 0x1B;
// The keypad button a key presses in layout (F8-F12 the layout tabs, Alt+1
// to Alt+4 the voice tabs, the numeric pad its keys), -1 none. In the wide
// layout no key presses a button (only Esc, which is no button, is taken).
int KeypadButtonForKey(int layout, const KeypadKeyStroke& key);

// What the keypad's keyboard handler does with a key.
enum class KeypadKeyAction {
  kDecline,       // not the keypad's: the key goes on to the editor
  kEscape,        // Esc: ends a pending placement, else clears the selection
  kSwallow,       // taken, nothing pressed (a latched tab with one item selected)
  kEndPlacement,  // the latched clear key: ends the pending placement; the key goes on
  kPress,         // presses the button
};
struct KeypadKeyContext {
  bool enteringText = false;  // the editor is entering text
  bool hasSelection = false;  // an edit item or a multiple selection
  int selectedCount = 0;
  // The modes of the score view the key came to (none for the keypad's own
  // keys): while the score plays or is shown full screen the keypad takes
  // no key of the view.
  ScoreViewModes modes;
};
struct KeypadKeyDecision {
  KeypadKeyAction action = KeypadKeyAction::kDecline;
  int button = -1;
};
KeypadKeyDecision DecideKeypadKey(const KeypadState& state, const KeypadKeyStroke& key,
                                  const KeypadKeyContext& context);

// Makes panel (voice 0-3) current: the old voice tab unlatched, the new one latched.
void SelectKeypadPanel(KeypadState& state, int panel);
// Whether any key of layout (0-4) is latched in the table of latched codes:
// its tab then shows its marked picture.
bool KeypadLayoutHasLatched(const KeypadState& state, int layout);

// The places of the keypad's buttons: layout tabs 0-4, voice tabs 5-8, the
// layout toggle 9 and the keys, narrow (112 x 189) or wide (336 x 112), in
// the standard or the R8-styled look. Fills cells (kKeypadButtonSlots) and
// returns how many buttons the keypad has.
constexpr int kNarrowKeypadWidth = 112, kNarrowKeypadHeight = 189;
constexpr int kWideKeypadWidth = 336, kWideKeypadHeight = 112;
int PlaceKeypadButtons(bool wide, bool r8Look, ButtonCell* cells);

// The keypad set from the selected chord or rest: its voice's panel current,
// every latched key unlatched and the table cleared, then the given codes
// latched (its note value, rest, dots, accidentals, articulations, tie,
// notehead, stem and beam) and the current layout shown again. Without a
// selection (count 0, panel 0) the layout is only shown afresh.
void SetKeypadFromSelection(KeypadState& state, int panel, const uint8_t* codes, int count);
