#include "shell/ButtonStates.h"

#include <algorithm>

namespace {

int GroupFirst(const ButtonTracker& t, int i) {
  return std::clamp(i - (t.cells[i].groupPos - 1), 0, t.count - 1);
}

int GroupEnd(const ButtonTracker& t, int i) {
  return std::min(GroupFirst(t, i) + std::max<int>(t.cells[i].groupSize, 1), t.count);
}

// Moving from one member of a group to another stays on the same button.
bool SameButton(const ButtonTracker& t, int a, int b) {
  if (a < 0 || b < 0) return false;
  return a == b || GroupFirst(t, a) == GroupFirst(t, b);
}

bool TakesPointer(uint16_t state) { return state < kButtonDisabled || state == kButtonLatched; }

// Hover never changes a disabled or latched button.
void SetHover(ButtonTracker& t, int i, bool hot, bool wholeGroup) {
  const int first = wholeGroup ? GroupFirst(t, i) : i;
  const int end = wholeGroup ? GroupEnd(t, i) : i + 1;
  for (int m = first; m < end; ++m) {
    ButtonCell& c = t.cells[m];
    if (c.state == kButtonDisabled || c.state == kButtonLatched || c.state >= kButtonSeparator) continue;
    if (c.mode == kModeToggle && c.state == kButtonPressed) continue;
    c.state = hot ? kButtonHot : kButtonNormal;
  }
}

ButtonStep Press(ButtonTracker& t, int at) {
  ButtonStep step;
  t.hot = at;
  if (at < 0) return step;
  ButtonCell& c = t.cells[at];
  if (c.mode == kModeToggle && (c.state == kButtonPressed || c.state == kButtonLatched)) {
    c.state = c.keepsLatch ? kButtonLatched : kButtonNormal;
  } else if (c.mode == kModeToggle) {
    c.state = kButtonLatched;
  } else {
    c.state = kButtonPressed;
  }
  if (c.mode == kModeRepeat) {
    // It acts at once; the timer repeats it while it is held.
    step.act = at;
    step.timer = RepeatTimer::kStartFirst;
    t.repeating = true;
    t.repeated = false;
  }
  return step;
}

}  // namespace

int ButtonAtPoint(const ButtonTracker& t, int x, int y) {
  for (int i = 0; i < t.count; ++i) {
    const ButtonCell& c = t.cells[i];
    if (TakesPointer(c.state) && x >= c.x && x <= c.x + c.extentX && y >= c.y && y <= c.y + c.extentY) return i;
  }
  return -1;
}

ButtonStep TrackButton(ButtonTracker& t, int x, int y, bool press) {
  ButtonStep step;
  const int at = ButtonAtPoint(t, x, y);
  if (t.down) {
    if (t.hot < 0) return step;
    // Held: leaving the pressed button lifts it and pauses its repeat;
    // coming back presses it again and resumes the repeat.
    ButtonCell& h = t.cells[t.hot];
    const bool on = SameButton(t, at, t.hot);
    if (!on && h.state == kButtonPressed && h.mode != kModeToggle) {
      h.state = kButtonHot;
      if (t.repeating) step.timer = RepeatTimer::kStop;
      t.repeating = false;
    } else if (on && h.state == kButtonHot) {
      h.state = kButtonPressed;
      if (h.mode == kModeRepeat) {
        t.repeating = true;
        step.timer = t.repeated ? RepeatTimer::kSpeedUp : RepeatTimer::kStartFirst;
      }
    }
    return step;
  }
  if (t.hot >= 0 && !SameButton(t, at, t.hot)) SetHover(t, t.hot, false, !press);
  if (press) {
    t.down = true;
    return Press(t, at);
  }
  if (at >= 0) SetHover(t, at, true, true);
  t.hot = at;
  return step;
}

ButtonStep ReleaseButton(ButtonTracker& t, int x, int y) {
  ButtonStep step;
  if (!t.down) return step;
  t.down = false;
  if (t.repeating) step.timer = RepeatTimer::kStop;
  t.repeating = false;
  const int at = ButtonAtPoint(t, x, y);
  const int pressed = t.hot;
  if (pressed < 0) return TrackButton(t, x, y, false);
  if (SameButton(t, at, pressed) && TakesPointer(t.cells[pressed].state)) {
    for (int m = GroupFirst(t, pressed); m < GroupEnd(t, pressed); ++m) {
      if (t.cells[m].state == kButtonPressed && t.cells[m].mode != kModeToggle) t.cells[m].state = kButtonHot;
    }
    if (t.cells[pressed].mode != kModeRepeat) step.act = pressed;
    return step;
  }
  // Released elsewhere: the pressed button goes back to normal.
  ButtonCell& c = t.cells[pressed];
  if (c.state == kButtonPressed && c.mode != kModeToggle) c.state = kButtonNormal;
  SetHover(t, pressed, false, true);
  t.hot = -1;
  const RepeatTimer timer = step.timer;
  step = TrackButton(t, x, y, false);
  step.timer = timer;
  return step;
}

ButtonStep RepeatButton(ButtonTracker& t) {
  ButtonStep step;
  if (!t.repeating || !t.down || t.hot < 0) {
    step.timer = RepeatTimer::kStop;
    t.repeating = false;
    return step;
  }
  step.act = t.hot;
  if (!t.repeated) step.timer = RepeatTimer::kSpeedUp;
  t.repeated = true;
  return step;
}

void LeaveButtons(ButtonTracker& t) {
  if (t.down || t.hot < 0) return;
  SetHover(t, t.hot, false, true);
  t.hot = -1;
}

void SetButtonEnabled(ButtonTracker& t, int index, bool enabled) {
  if (index < 0 || index >= t.count) return;
  ButtonCell& c = t.cells[index];
  if (!enabled) {
    if (c.state == kButtonSeparator || c.state == kButtonLabel) return;
    c.state = kButtonDisabled;
    if (t.hot == index) {
      t.hot = -1;
      t.down = false;
      t.repeating = false;
    }
  } else if (c.state == kButtonDisabled) {
    c.state = kButtonNormal;
  }
}
