// The keypad's layouts and the latching of its keys: which code and group
// each key has in each layout, which keys a press unlatches, the table of
// latched codes and the tooltip string of each button. Plain tables and
// state; the keypad window (shell/win32) draws and routes them.
#pragma once

#include <cstdint>

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
