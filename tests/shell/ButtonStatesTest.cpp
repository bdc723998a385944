// The button bars' hover, press and release: scripts of pointer events on a
// small bar, each step checked for the button that acts, the repeat timer
// and the state of every button.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/ButtonStates.h"

namespace {

// A bar of 22-pixel buttons, one every 23 pixels: a push button, a
// repeating one, a toggle, a disabled one, a button with its drop-down part
// (a group of two) and a toggle that stays latched (a keypad tab).
constexpr int kPush = 0, kRepeat = 1, kToggle = 2, kDisabled = 3, kMain = 4, kDrop = 5, kTab = 6;
constexpr int kCount = 7;

std::vector<ButtonCell> MakeBar() {
  std::vector<ButtonCell> cells(kCount);
  for (int i = 0; i < kCount; ++i) {
    cells[i].x = 23 * i;
    cells[i].y = 2;
    cells[i].extentX = cells[i].extentY = 21;
  }
  cells[kRepeat].mode = kModeRepeat;
  cells[kToggle].mode = kModeToggle;
  cells[kDisabled].state = kButtonDisabled;
  cells[kMain].groupSize = cells[kDrop].groupSize = 2;
  cells[kDrop].groupPos = 2;
  cells[kTab].mode = kModeToggle;
  cells[kTab].keepsLatch = true;
  return cells;
}

enum Event { kMove, kDown, kUp, kTick, kLeave };
constexpr int kOff = -1;  // a point over no button

struct Step {
  Event event;
  int over;  // the button the pointer is over, kOff none
  int act;
  RepeatTimer timer;
  const char* states;  // one digit a button
};

struct Script {
  const char* name;
  std::vector<Step> steps;
};

ButtonStep RunStep(ButtonTracker& t, const Step& s) {
  const int x = s.over == kOff ? 23 * kCount + 40 : 23 * s.over + 10;
  switch (s.event) {
    case kMove: return TrackButton(t, x, 12, false);
    case kDown: return TrackButton(t, x, 12, true);
    case kUp: return ReleaseButton(t, x, 12);
    case kTick: return RepeatButton(t);
    case kLeave: LeaveButtons(t); return {};
  }
  return {};
}

std::string States(const std::vector<ButtonCell>& cells) {
  std::string out;
  for (const ButtonCell& c : cells) out += char('0' + c.state);
  return out;
}

constexpr RepeatTimer L = RepeatTimer::kLeave, First = RepeatTimer::kStartFirst, Fast = RepeatTimer::kSpeedUp,
                      Stop = RepeatTimer::kStop;

TEST(ButtonStates, Scripts) {
  const Script scripts[] = {
      {"hover, press, release on the button acts once",
       {{kMove, kPush, -1, L, "1003000"},
        {kDown, kPush, -1, L, "2003000"},
        {kUp, kPush, kPush, L, "1003000"},
        {kLeave, kOff, -1, L, "0003000"}}},
      {"released off the button does nothing and the button is normal again",
       {{kDown, kPush, -1, L, "2003000"}, {kMove, kOff, -1, L, "1003000"}, {kUp, kOff, -1, L, "0003000"}}},
      {"moving off and back while held presses it again",
       {{kDown, kPush, -1, L, "2003000"},
        {kMove, kOff, -1, L, "1003000"},
        {kMove, kPush, -1, L, "2003000"},
        {kUp, kPush, kPush, L, "1003000"}}},
      {"a repeating button acts at once, after the first wait and then at the fast pace",
       {{kDown, kRepeat, kRepeat, First, "0203000"},
        {kTick, kRepeat, kRepeat, Fast, "0203000"},
        {kTick, kRepeat, kRepeat, L, "0203000"},
        {kUp, kRepeat, -1, Stop, "0103000"},
        {kTick, kRepeat, -1, Stop, "0103000"}}},
      {"a repeating button released before its first repeat acted once only",
       {{kDown, kRepeat, kRepeat, First, "0203000"}, {kUp, kRepeat, -1, Stop, "0103000"}}},
      {"moving off a repeating button pauses its repeat, back on resumes it",
       {{kDown, kRepeat, kRepeat, First, "0203000"},
        {kTick, kRepeat, kRepeat, Fast, "0203000"},
        {kMove, kOff, -1, Stop, "0103000"},
        {kTick, kOff, -1, Stop, "0103000"},
        {kMove, kRepeat, -1, Fast, "0203000"},
        {kTick, kRepeat, kRepeat, L, "0203000"},
        {kUp, kOff, -1, Stop, "0003000"}}},
      {"a toggle latches on press and is released by the next press",
       {{kMove, kToggle, -1, L, "0013000"},
        {kDown, kToggle, -1, L, "0063000"},
        {kUp, kToggle, kToggle, L, "0063000"},
        {kMove, kPush, -1, L, "1063000"},
        {kDown, kToggle, -1, L, "0003000"},
        {kUp, kToggle, kToggle, L, "0003000"}}},
      {"a disabled button takes no pointer",
       {{kMove, kDisabled, -1, L, "0003000"}, {kDown, kDisabled, -1, L, "0003000"}, {kUp, kDisabled, -1, L, "0003000"}}},
      {"a button and its drop-down part highlight together; each acts as itself",
       {{kMove, kMain, -1, L, "0003110"},
        {kMove, kDrop, -1, L, "0003110"},
        {kDown, kDrop, -1, L, "0003120"},
        {kUp, kDrop, kDrop, L, "0003110"},
        {kMove, kPush, -1, L, "1003000"}}},
      {"a tab stays latched when pressed again",
       {{kDown, kTab, -1, L, "0003006"}, {kUp, kTab, kTab, L, "0003006"}, {kDown, kTab, -1, L, "0003006"},
        {kMove, kPush, -1, L, "0003006"}, {kUp, kPush, -1, L, "1003006"}}},
  };
  for (const Script& script : scripts) {
    std::vector<ButtonCell> cells = MakeBar();
    ButtonTracker t{cells.data(), kCount};
    int n = 0;
    for (const Step& s : script.steps) {
      const ButtonStep got = RunStep(t, s);
      EXPECT_EQ(got.act, s.act) << script.name << ", step " << n;
      EXPECT_EQ(int(got.timer), int(s.timer)) << script.name << ", step " << n;
      EXPECT_EQ(States(cells), s.states) << script.name << ", step " << n;
      ++n;
    }
  }
}

TEST(ButtonStates, ADisabledHotButtonIsNoLongerHotAndComesBackNormal) {
  std::vector<ButtonCell> cells = MakeBar();
  ButtonTracker t{cells.data(), kCount};
  TrackButton(t, 10, 12, false);
  SetButtonEnabled(t, kPush, false);
  EXPECT_EQ(t.hot, -1);
  EXPECT_EQ(cells[kPush].state, kButtonDisabled);
  EXPECT_EQ(ReleaseButton(t, 10, 12).act, -1);
  SetButtonEnabled(t, kPush, true);
  EXPECT_EQ(cells[kPush].state, kButtonNormal);
  cells[kTab].state = kButtonLatched;
  SetButtonEnabled(t, kTab, true);
  EXPECT_EQ(cells[kTab].state, kButtonLatched) << "enabling leaves a latched button latched";
}

}  // namespace
