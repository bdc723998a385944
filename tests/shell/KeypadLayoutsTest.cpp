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
