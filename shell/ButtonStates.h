// The hover, press and release of the program's own button bars and the
// keypad: which button is hot, pressed or latched as the pointer moves and
// the mouse button goes down and up, which button acts, and when a
// repeating button's timer starts, speeds up and stops. Plain state; the
// windows (shell/win32) hit the buttons, paint them and run the timer.
#pragma once

#include <cstdint>

enum ButtonState : uint16_t {
  kButtonNormal = 0,
  kButtonHot = 1,       // the pointer is over it
  kButtonPressed = 2,
  kButtonDisabled = 3,
  kButtonSeparator = 4,
  kButtonLabel = 5,     // text only
  kButtonLatched = 6,   // checked, the current tab, a latched keypad key
};

enum ButtonMode : uint16_t {
  kModePlain = 0,
  kModePush = 1,
  kModeToggle = 2,  // latches on press
  kModeRepeat = 3,  // acts again and again while held
};

// Repeating buttons: the first repeat after this long, then at this pace.
constexpr unsigned kFirstRepeatMs = 300;
constexpr unsigned kRepeatMs = 50;

struct ButtonCell {
  int x = 0, y = 0;              // top-left in the bar
  int extentX = 0, extentY = 0;  // width and height less one
  uint16_t state = kButtonNormal;
  uint16_t mode = kModePush;
  uint8_t groupPos = 1, groupSize = 1;  // buttons that highlight and press together (1-based)
  bool keepsLatch = false;              // a further press leaves it latched (keypad tabs and clear key)
};

// What the window does after a step.
enum class RepeatTimer { kLeave, kStartFirst, kSpeedUp, kStop };
struct ButtonStep {
  int act = -1;  // the button whose action runs now, -1 none
  RepeatTimer timer = RepeatTimer::kLeave;
};

struct ButtonTracker {
  ButtonCell* cells = nullptr;
  int count = 0;
  int hot = -1;       // the button under the pointer, -1 none
  bool down = false;  // the mouse button is held
  bool repeating = false;
  bool repeated = false;  // the first repeat came
};

// The first button that takes the pointer (normal, hot, pressed or latched)
// and whose rectangle holds the point; -1 none.
int ButtonAtPoint(const ButtonTracker& t, int x, int y);

// The pointer moved (press false) or the mouse button went down (press
// true) at x, y. A repeating button acts at once when pressed, then by the
// timer.
ButtonStep TrackButton(ButtonTracker& t, int x, int y, bool press);
// The mouse button went up at x, y: the hot button acts when the pointer is
// still on it (a repeating one acted already and does not act again).
ButtonStep ReleaseButton(ButtonTracker& t, int x, int y);
// The repeat timer ticked: the pressed button acts again.
ButtonStep RepeatButton(ButtonTracker& t);
// The pointer left the bar while no button is held: nothing is hot.
void LeaveButtons(ButtonTracker& t);
// Disables or enables button index (a disabled one that was hot no longer is).
void SetButtonEnabled(ButtonTracker& t, int index, bool enabled);
