// The keypad's layouts: latching within a group, the clear keys, empty
// slots, switching layouts, and the tooltip of each button.
#include <gtest/gtest.h>

#include "shell/KeypadLayouts.h"

namespace {

// Buttons of the Common notes layout.
constexpr int kClear = 10, kStaccato = 12, kSharp = 15, kFlat = 16, kQuarter = 18, kHalf = 19, kNext = 21,
              kRest = 26;

KeypadState Shown(int layout) {
  KeypadState s;
  ShowKeypadLayout(s, layout);
  return s;
}

TEST(KeypadLayouts, ANoteValueUnlatchesTheOtherNoteValuesOnly) {
  KeypadState s = Shown(0);
  EXPECT_EQ(PressKeypadKey(s, kHalf), 3);
  EXPECT_EQ(PressKeypadKey(s, kStaccato), 8);
  EXPECT_EQ(PressKeypadKey(s, kQuarter), 0);
  EXPECT_EQ(s.buttons[kQuarter], kKeyLatched);
  EXPECT_EQ(s.buttons[kHalf], kKeyNormal) << "same group 1";
  EXPECT_EQ(s.buttons[kStaccato], kKeyLatched) << "group 0 stays";
  EXPECT_TRUE(s.latchedCodes[0]);
  EXPECT_FALSE(s.latchedCodes[3]);
  EXPECT_TRUE(s.latchedCodes[8]);
}

TEST(KeypadLayouts, PressingALatchedKeyReleasesIt) {
  KeypadState s = Shown(0);
  PressKeypadKey(s, kSharp);
  PressKeypadKey(s, kFlat);
  EXPECT_EQ(s.buttons[kSharp], kKeyNormal) << "one accidental at a time";
  PressKeypadKey(s, kFlat);
  EXPECT_EQ(s.buttons[kFlat], kKeyNormal);
  EXPECT_FALSE(s.latchedCodes[12]);
}

TEST(KeypadLayouts, ClearToolsUnlatchesEveryKeyAndFlashesOnly) {
  KeypadState s = Shown(0);
  for (int b : {kStaccato, kSharp, kQuarter, kRest}) PressKeypadKey(s, b);
  EXPECT_EQ(PressKeypadKey(s, kClear), 16);
  for (int b = kFirstKeypadKey; b < kFirstKeypadKey + kNarrowKeyCount; ++b) EXPECT_NE(s.buttons[b], kKeyLatched) << b;
  for (int code = 0; code < 256; ++code) EXPECT_FALSE(s.latchedCodes[code]) << code;
}

TEST(KeypadLayouts, LatchedCodesCarryAcrossLayoutsAndEmptySlotsAreDisabled) {
  KeypadState s = Shown(0);
  PressKeypadKey(s, kStaccato);  // code 8
  ShowKeypadLayout(s, 3);        // Articulation: Staccato is its third key too
  EXPECT_EQ(s.buttons[12], kKeyLatched);
  EXPECT_EQ(s.buttons[14], kKeyDisabled) << "Wedge is an empty slot";
  EXPECT_EQ(s.buttons[3], kKeyLatched) << "its tab";
  EXPECT_EQ(s.buttons[0], kKeyNormal);
  EXPECT_EQ(PressKeypadKey(s, 14), -1);
  // "Remove articulation" (a clear key of its kind) clears the articulations.
  PressKeypadKey(s, 26);
  EXPECT_FALSE(s.latchedCodes[8]);
  EXPECT_EQ(s.buttons[12], kKeyNormal);
}

TEST(KeypadLayouts, TheLayoutKeysStepThroughTheNarrowLayouts) {
  KeypadState s = Shown(0);
  EXPECT_EQ(s.panel, 0);
  for (int expected : {1, 2, 3, 4, 0}) {
    PressKeypadKey(s, kNext);
    EXPECT_EQ(s.layout, expected);
  }
  PressKeypadKey(s, kNext);
  PressKeypadKey(s, 17);  // First keypad layout
  EXPECT_EQ(s.layout, 0);
}

TEST(KeypadLayouts, TooltipIds) {
  struct Case {
    int layout, button, id;
  };
  const Case cases[] = {
      {0, 0, 51000},  {0, 4, 51004},  {0, 9, 51009},   {0, 10, 51020},  {0, 27, 51037}, {1, 10, 51040},
      {4, 27, 0},     {2, 13, 0},     {2, 26, 0},      {3, 14, 0},
      {5, 11, 51021},  // the wide Accent: the first narrow layout's
      {5, 29, 0},      // an unused wide slot
      {5, 36, 51028},  // the wide Quarter note: Common notes, key 18
  };
  for (const Case& c : cases) EXPECT_EQ(KeypadTooltipId(c.layout, c.button), c.id) << c.layout << " " << c.button;
}

}  // namespace

namespace {

TEST(KeypadLayouts, KeysPressButtons) {
  struct Case {
    const char* name;
    int layout;
    KeypadKeyStroke key;
    int button;
  };
  const Case cases[] = {
      {"F8", 0, {0x77}, 0},
      {"F12", 2, {0x7B}, 4},
      {"Alt+1", 0, {'1', false, false, true}, 5},
      {"Alt+4", 0, {'4', false, false, true}, 8},
      {"Alt+5", 0, {'5', false, false, true}, -1},
      {"Num Lock", 0, {0x90}, 10},
      {"numeric /", 0, {0x6F, true}, 11},
      {"numeric +", 0, {0x6B}, 21},
      {"Shift + numeric +", 0, {0x6B, false, true}, 17},
      {"Enter", 0, {0x0D, true}, 25},
      {"numeric 7", 0, {0x67}, 14},
      {"Home of the numeric pad", 0, {0x24}, 14},
      {"the grey Home", 0, {0x24, true}, -1},
      {"numeric 5 without Num Lock", 0, {0x0C}, 19},
      {"numeric 0", 1, {0x60}, 26},
      {"Delete of the numeric pad", 0, {0x2E}, 27},
      {"a letter", 0, {'A'}, -1},
      {"the wide layout takes no numeric key", kWideKeypadLayout, {0x67}, -1},
      {"nor F8", kWideKeypadLayout, {0x77}, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(KeypadButtonForKey(c.layout, c.key), c.button) << c.name;
}

}  // namespace

namespace {

TEST(KeypadLayouts, VoiceTabsAndMarkedLayoutTabs) {
  KeypadState s;
  ShowKeypadLayout(s, 0);
  SelectKeypadPanel(s, 2);
  EXPECT_EQ(s.buttons[5], kKeyNormal);
  EXPECT_EQ(s.buttons[7], kKeyLatched);
  EXPECT_EQ(s.panel, 2);
  ShowKeypadLayout(s, 1);
  EXPECT_EQ(s.buttons[7], kKeyLatched) << "another layout keeps the voice";
  EXPECT_FALSE(KeypadLayoutHasLatched(s, 0));
  PressKeypadKey(s, 18);  // 64th note, in More notes
  EXPECT_TRUE(KeypadLayoutHasLatched(s, 1));
  EXPECT_FALSE(KeypadLayoutHasLatched(s, 0));
  ShowKeypadLayout(s, 0);
  PressKeypadKey(s, 12);  // Staccato: Common notes and Articulation both show it
  EXPECT_TRUE(KeypadLayoutHasLatched(s, 0));
  EXPECT_TRUE(KeypadLayoutHasLatched(s, 3));
  EXPECT_FALSE(KeypadLayoutHasLatched(s, 4));
}

TEST(KeypadLayouts, ButtonsLieInsideTheKeypadWithoutOverlapping) {
  for (bool wide : {false, true}) {
    for (bool r8 : {false, true}) {
      ButtonCell cells[kKeypadButtonSlots];
      const int count = PlaceKeypadButtons(wide, r8, cells);
      EXPECT_EQ(count, kFirstKeypadKey + (wide ? kWideKeyCount : kNarrowKeyCount));
      const int width = wide ? kWideKeypadWidth : kNarrowKeypadWidth;
      const int height = wide ? kWideKeypadHeight : kNarrowKeypadHeight;
      for (int i = 0; i < count; ++i) {
        const ButtonCell& c = cells[i];
        if (wide && i < 5) {
          EXPECT_LT(c.y + c.extentY, 0) << "the wide keypad's layout tabs lie outside it";
          continue;
        }
        EXPECT_GE(c.x, 0) << wide << r8 << " " << i;
        EXPECT_GE(c.y, 0) << wide << r8 << " " << i;
        EXPECT_LE(c.x + c.extentX, width - 1) << wide << r8 << " " << i;
        EXPECT_LE(c.y + c.extentY, height - 1) << wide << r8 << " " << i;
        for (int j = 0; j < i; ++j) {
          const ButtonCell& d = cells[j];
          const bool apart = c.x > d.x + d.extentX || d.x > c.x + c.extentX || c.y > d.y + d.extentY ||
                             d.y > c.y + c.extentY;
          EXPECT_TRUE(apart || (wide && j < 5)) << wide << r8 << " " << i << " overlaps " << j;
        }
      }
    }
  }
  ButtonCell cells[kKeypadButtonSlots];
  PlaceKeypadButtons(false, false, cells);
  EXPECT_EQ(cells[25].extentY, 55) << "the tall Enter key";
  EXPECT_EQ(cells[26].extentX, 55) << "the wide 0 key";
}

}  // namespace

namespace {

TEST(KeypadLayouts, TheSelectionSetsTheKeypad) {
  KeypadState s;
  ShowKeypadLayout(s, 0);
  PressKeypadKey(s, 19);  // Half note latched by hand
  const uint8_t chord[] = {0, 13, 8};  // a quarter note with a sharp and a staccato
  SetKeypadFromSelection(s, 1, chord, 3);
  EXPECT_EQ(s.panel, 1);
  EXPECT_EQ(s.buttons[6], kKeyLatched);
  EXPECT_EQ(s.buttons[5], kKeyNormal);
  EXPECT_EQ(s.buttons[19], kKeyNormal) << "the half note is not the selection's";
  EXPECT_EQ(s.buttons[18], kKeyLatched);
  EXPECT_EQ(s.buttons[15], kKeyLatched);
  EXPECT_EQ(s.buttons[12], kKeyLatched);
  EXPECT_EQ(s.layout, 0);
  SetKeypadFromSelection(s, 0, nullptr, 0);
  for (int b = kFirstKeypadKey; b < kFirstKeypadKey + kNarrowKeyCount; ++b) EXPECT_NE(s.buttons[b], kKeyLatched) << b;
  EXPECT_EQ(s.buttons[5], kKeyLatched);
}

}  // namespace

namespace {

// The keypad's keyboard handler: what it takes, presses or leaves to the
// editor, also while the score plays or is shown full screen.
TEST(KeypadLayouts, TheKeyboardHandlerTakesKeysOnlyWhenTheViewLetsIt) {
  using A = KeypadKeyAction;
  KeypadState common = Shown(0);
  PressKeypadKey(common, kClear);
  common.buttons[kClear] = kKeyLatched;  // the clear key held latched by a pending placement
  const KeypadState wide = Shown(kWideKeypadLayout);
  const KeypadState articulation = Shown(3);
  ScoreViewModes playing, fullScreen;
  playing.playing = true;
  fullScreen.fullScreen = true;
  struct Case {
    const char* name;
    const KeypadState* state;
    KeypadKeyStroke key;
    KeypadKeyContext context;
    A action;
    int button;
  };
  const KeypadKeyContext plain{};
  KeypadKeyContext oneSelected{};
  oneSelected.hasSelection = true;
  oneSelected.selectedCount = 1;
  KeypadKeyContext twoSelected = oneSelected;
  twoSelected.selectedCount = 2;
  KeypadKeyContext typing{};
  typing.enteringText = true;
  KeypadKeyContext whilePlaying{}, inFullScreen{};
  whilePlaying.modes = playing;
  inFullScreen.modes = fullScreen;
  const Case cases[] = {
      {"numeric 7 presses the quarter-note row's first key", &common, {0x67}, plain, A::kPress, 14},
      {"F9 presses the second tab", &common, {0x78}, plain, A::kPress, 1},
      {"Esc", &common, {kKeypadEscapeKey}, plain, A::kEscape, -1},
      {"a letter is the editor's", &common, {'A'}, plain, A::kDecline, -1},
      {"the latched tab with one item selected", &common, {0x77}, oneSelected, A::kSwallow, 0},
      {"the latched tab with two selected", &common, {0x77}, twoSelected, A::kPress, 0},
      {"the latched clear key ends the placement", &common, {0x90}, plain, A::kEndPlacement, 10},
      {"an empty slot (the wedge)", &articulation, {0x67}, plain, A::kDecline, -1},
      {"the wide keypad takes Esc", &wide, {kKeypadEscapeKey}, plain, A::kEscape, -1},
      {"but no numeric key", &wide, {0x67}, plain, A::kDecline, -1},
      {"nothing while text is typed", &common, {kKeypadEscapeKey}, typing, A::kDecline, -1},
      {"numeric 7 while playing", &common, {0x67}, whilePlaying, A::kDecline, -1},
      {"F9 while playing", &common, {0x78}, whilePlaying, A::kDecline, -1},
      {"Esc while playing", &common, {kKeypadEscapeKey}, whilePlaying, A::kDecline, -1},
      {"numeric 7 in the full-screen view", &common, {0x67}, inFullScreen, A::kDecline, -1},
      {"Esc in the full-screen view", &common, {kKeypadEscapeKey}, inFullScreen, A::kDecline, -1},
      {"Alt+2 in the full-screen view", &common, {'2', false, false, true}, inFullScreen, A::kDecline, -1},
  };
  for (const Case& c : cases) {
    const KeypadKeyDecision d = DecideKeypadKey(*c.state, c.key, c.context);
    EXPECT_EQ(d.action, c.action) << c.name;
    if (c.action != A::kDecline && c.action != A::kEscape) {
      EXPECT_EQ(d.button, c.button) << c.name;
    }
  }
  // Before the keypad shows a layout it takes nothing.
  EXPECT_EQ(DecideKeypadKey(KeypadState{}, {0x67}, plain).action, A::kDecline);
}

}  // namespace
