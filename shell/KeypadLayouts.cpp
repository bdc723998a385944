#include "shell/KeypadLayouts.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>

namespace {

constexpr int kLayoutTabs = 5;
constexpr int kTabTooltips = 51000;
constexpr int kKeyTooltips = 51010;
constexpr int kTooltipsPerLayout = 20;
constexpr uint8_t kUnusedCode = 18;
constexpr uint8_t kUnusedCode2 = 146;
constexpr uint8_t kRemoveArticulation = 131;

const KeypadKey kNarrow[kLayoutTabs][kNarrowKeyCount] = {
    // Common notes
    {{16, 8}, {6, 0}, {8, 0}, {7, 0}, {14, 4}, {13, 4}, {12, 4}, {81, 0}, {0, 1},
     {3, 1}, {4, 1}, {80, 0}, {74, 1}, {2, 1}, {1, 1}, {29, 0}, {128, 0}, {5, 3}},
    // More notes
    {{16, 8}, {87, 9}, {51, 9}, {52, 9}, {76, 9}, {54, 1}, {55, 9}, {81, 0}, {57, 1},
     {56, 1}, {75, 9}, {80, 0}, {5, 3}, {59, 3}, {58, 3}, {73, 9}, {134, 1}, {18, 9}},
    // Beams and tremolos
    {{16, 8}, {60, 9}, {63, 2}, {18, 9}, {61, 2}, {62, 2}, {18, 9}, {81, 0}, {64, 9},
     {65, 9}, {18, 9}, {80, 0}, {66, 9}, {67, 9}, {68, 9}, {18, 9}, {146, 9}, {69, 0}},
    // Articulation
    {{16, 8}, {6, 0}, {8, 0}, {7, 0}, {31, 9}, {32, 0}, {33, 0}, {81, 0}, {34, 0},
     {35, 0}, {36, 0}, {80, 0}, {9, 0}, {37, 9}, {38, 9}, {18, 9}, {131, 8}, {39, 0}},
    // Accidentals
    {{16, 8}, {40, 4}, {41, 4}, {18, 9}, {14, 4}, {13, 4}, {12, 4}, {81, 0}, {42, 4},
     {43, 9}, {44, 9}, {80, 0}, {45, 4}, {46, 9}, {47, 9}, {18, 9}, {132, 4}, {48, 9}},
};

const KeypadKey kWide[kWideKeyCount] = {
    {16, 8}, {6, 0},  {8, 0},  {7, 0},  {9, 0},  {34, 0}, {35, 0}, {36, 0}, {32, 0}, {33, 0}, {39, 0},
    {131, 8}, {14, 4}, {13, 4}, {12, 4}, {40, 4}, {41, 4}, {42, 4}, {45, 4}, {18, 9}, {18, 9}, {18, 9},
    {54, 1}, {134, 1}, {4, 1},  {3, 1},  {0, 1},  {1, 1},  {2, 1},  {74, 1}, {57, 1}, {56, 1}, {5, 3},
    {59, 3}, {58, 3}, {29, 0}, {128, 0}, {63, 2}, {61, 2}, {62, 2}, {69, 0}, {87, 0}, {73, 0}, {51, 0},
};

// The key-changing keys of a narrow layout: "First keypad layout", "Next".
constexpr int kFirstLayoutKey = 17;
constexpr int kNextLayoutKey = 21;
constexpr uint8_t kArticulationCodes[] = {6, 7, 8, 9, 32, 33, 34, 35, 36, 39};

// The codes a key of group g clears in the table besides its own.
void ClearKindCodes(KeypadState& s, const KeypadKey& key) {
  auto clear = [&s](std::initializer_list<uint8_t> codes) {
    for (uint8_t c : codes) s.latchedCodes[c] = 0;
  };
  switch (key.group) {
    case kGroupToggle:
      if (std::find(std::begin(kArticulationCodes), std::end(kArticulationCodes), key.code) !=
          std::end(kArticulationCodes))
        clear({kRemoveArticulation});
      break;
    case kGroupNoteValue:
      clear({0, 1, 2, 3, 4, 54, 56, 57, 74, 134});
      if (key.code == 134) clear({128});
      break;
    case kGroupBeam: clear({61, 62, 63, 129}); break;
    case kGroupDots: clear({5, 58, 59}); break;
    case kGroupAccidental: clear({12, 13, 14, 40, 41, 42, 45, 132}); break;
    case kGroupClears:
      if (key.code == kRemoveArticulation) clear({6, 7, 8, 9, 32, 33, 34, 35, 36, 39});
      break;
    default: break;
  }
}

// Whether pressing a key of group g unlatches a latched key of group other.
bool Excludes(int g, int other) {
  if (g == kGroupClears) return true;
  if (g == kGroupToggle) return other == kGroupClears;
  return other == g || other == kGroupClears;
}

}  // namespace

int KeypadKeyCount(int layout) {
  if (layout == kWideKeypadLayout) return kWideKeyCount;
  return layout >= 0 && layout < kLayoutTabs ? kNarrowKeyCount : 0;
}

const KeypadKey* KeypadKeyAt(int layout, int button) {
  const int k = button - kFirstKeypadKey;
  if (k < 0 || k >= KeypadKeyCount(layout)) return nullptr;
  return layout == kWideKeypadLayout ? &kWide[k] : &kNarrow[layout][k];
}

void ShowKeypadLayout(KeypadState& s, int layout) {
  if (KeypadKeyCount(layout) == 0) return;
  for (int tab = 0; tab < kLayoutTabs; ++tab) s.buttons[tab] = kKeyNormal;
  if (layout != kWideKeypadLayout) s.buttons[layout] = kKeyLatched;
  for (int b = kFirstKeypadKey; b < kKeypadButtonSlots; ++b) {
    const KeypadKey* key = KeypadKeyAt(layout, b);
    if (!key) {
      s.buttons[b] = kKeyNormal;
    } else if (key->group == kGroupEmpty) {
      s.buttons[b] = kKeyDisabled;
    } else {
      s.buttons[b] = b != kFirstKeypadKey && s.latchedCodes[key->code] ? kKeyLatched : kKeyNormal;
    }
  }
  if (s.panel < 0) {
    s.panel = 0;
    s.buttons[5] = kKeyLatched;
  }
  s.layout = layout;
}

int PressKeypadKey(KeypadState& s, int button) {
  const KeypadKey* key = KeypadKeyAt(s.layout, button);
  if (!key || s.buttons[button] == kKeyDisabled) return -1;
  if (s.layout != kWideKeypadLayout && (button == kFirstLayoutKey || button == kNextLayoutKey)) {
    ShowKeypadLayout(s, button == kFirstLayoutKey ? 0 : (s.layout + 1) % kLayoutTabs);
    return key->code;
  }
  // The clear key flashes; every other key latches or is released.
  const bool latched = button != kFirstKeypadKey && s.buttons[button] != kKeyLatched;
  s.buttons[button] = latched ? kKeyLatched : kKeyNormal;
  for (int b = kFirstKeypadKey; b < kFirstKeypadKey + KeypadKeyCount(s.layout); ++b) {
    const KeypadKey* other = KeypadKeyAt(s.layout, b);
    if (b == button || s.buttons[b] != kKeyLatched || !Excludes(key->group, other->group)) continue;
    s.buttons[b] = kKeyNormal;
    s.latchedCodes[other->code] = 0;
  }
  if (button > kFirstKeypadKey) ClearKindCodes(s, *key);
  s.latchedCodes[key->code] = latched ? 1 : 0;
  if (key->group == kGroupClears && key->code != kRemoveArticulation) std::fill(std::begin(s.latchedCodes), std::end(s.latchedCodes), 0);
  return key->code;
}

int KeypadTooltipId(int layout, int button) {
  if (button >= 0 && button < kFirstKeypadKey) return kTabTooltips + button;
  const KeypadKey* key = KeypadKeyAt(layout, button);
  if (!key || key->code == kUnusedCode || key->code == kUnusedCode2 || key->group == kGroupEmpty) return 0;
  if (layout != kWideKeypadLayout) return kKeyTooltips + kTooltipsPerLayout * layout + button;
  for (int l = 0; l < kLayoutTabs; ++l) {
    for (int b = kFirstKeypadKey; b < kFirstKeypadKey + kNarrowKeyCount; ++b) {
      if (kNarrow[l][b - kFirstKeypadKey].code == key->code) return kKeyTooltips + kTooltipsPerLayout * l + b;
    }
  }
  return 0;
}

int KeypadButtonForKey(int layout, const KeypadKeyStroke& key) {
  if (layout == kWideKeypadLayout) return -1;
  const unsigned vk = key.virtualKey;
  if (key.alt) return vk >= '1' && vk <= '4' ? 5 + int(vk - '1') : -1;
  if (vk >= 0x77 && vk <= 0x7B) return int(vk - 0x77);  // F8-F12
  switch (vk) {
    case 0x90: return 10;                      // Num Lock
    case 0x6F: return 11;                      // numeric /
    case 0x6A: return 12;                      // *
    case 0x6D: return 13;                      // -
    case 0x6B: return key.shift ? 17 : 21;     // +
    case 0x0D: return 25;                      // Enter
    default: break;
  }
  if (key.extended) return -1;
  // The numeric pad's digits, and the navigation keys they give without
  // Num Lock: 7/Home 8/Up 9/PgUp, 4/Left 5/Clear 6/Right, 1/End 2/Down
  // 3/PgDn, 0/Ins, ./Del.
  struct PadKey {
    unsigned digit, twin;
    int button;
  };
  static const PadKey kPad[] = {
      {0x67, 0x24, 14}, {0x68, 0x26, 15}, {0x69, 0x21, 16}, {0x64, 0x25, 18}, {0x65, 0x0C, 19}, {0x66, 0x27, 20},
      {0x61, 0x23, 22}, {0x62, 0x28, 23}, {0x63, 0x22, 24}, {0x60, 0x2D, 26}, {0x6E, 0x2E, 27},
  };
  for (const PadKey& p : kPad) {
    if (vk == p.digit || vk == p.twin) return p.button;
  }
  return -1;
}

KeypadKeyDecision DecideKeypadKey(const KeypadState& s, const KeypadKeyStroke& key, const KeypadKeyContext& c) {
  KeypadKeyDecision d;
  if (s.layout < 0 || c.enteringText || c.modes.playing || c.modes.fullScreen) return d;
  if (key.virtualKey == kKeypadEscapeKey) {
    d.action = KeypadKeyAction::kEscape;
    return d;
  }
  const int button = KeypadButtonForKey(s.layout, key);
  if (button < 0 || button >= kFirstKeypadKey + KeypadKeyCount(s.layout) || s.buttons[button] == kKeyDisabled) return d;
  d.button = button;
  const bool latched = s.buttons[button] == kKeyLatched;
  if (button < kFirstKeypadKey && latched && c.hasSelection && c.selectedCount < 2) {
    d.action = KeypadKeyAction::kSwallow;
  } else if (button == kFirstKeypadKey && latched) {
    d.action = KeypadKeyAction::kEndPlacement;
  } else {
    d.action = KeypadKeyAction::kPress;
  }
  return d;
}

void SelectKeypadPanel(KeypadState& s, int panel) {
  if (panel < 0 || panel > 3) return;
  if (s.panel >= 0) s.buttons[5 + s.panel] = kKeyNormal;
  s.panel = panel;
  s.buttons[5 + panel] = kKeyLatched;
}

bool KeypadLayoutHasLatched(const KeypadState& s, int layout) {
  if (layout < 0 || layout >= kLayoutTabs) return false;
  for (int b = kFirstKeypadKey + 1; b < kFirstKeypadKey + kNarrowKeyCount; ++b) {
    const KeypadKey& key = kNarrow[layout][b - kFirstKeypadKey];
    if (key.group != kGroupEmpty && s.latchedCodes[key.code]) return true;
  }
  return false;
}

namespace {

void Place(ButtonCell& c, int x, int y, int width, int height) {
  c = ButtonCell{};
  c.x = x;
  c.y = y;
  c.extentX = width - 1;
  c.extentY = height - 1;
  c.mode = kModePush;
}

}  // namespace

int PlaceKeypadButtons(bool wide, bool r8, ButtonCell* cells) {
  constexpr int kKey = 28;
  for (int tab = 0; tab < kLayoutTabs; ++tab) {
    if (wide) {
      Place(cells[tab], 6 + 20 * tab, -100, 20, 18);
    } else if (r8) {
      Place(cells[tab], 1 + 22 * tab, 0, 22, 25);
    } else {
      Place(cells[tab], 6 + 20 * tab, 2, 20, 18);
    }
  }
  for (int voice = 0; voice < 4; ++voice) {
    if (r8) {
      const int x = voice == 0 ? (wide ? 228 : 1) : (wide ? 250 : 23) + 20 * (voice - 1);
      // 23 high in the wide keypad, which ends 23 pixels below their top.
      Place(cells[5 + voice], x, wide ? 89 : 165, voice == 0 ? 22 : 20, wide ? 23 : 24);
    } else {
      Place(cells[5 + voice], (wide ? 236 : 6) + 20 * voice, wide ? 93 : 169, 20, 18);
    }
  }
  if (wide) {
    Place(cells[9], 327, 103, 9, 9);
    for (int k = 0; k < kWideKeyCount; ++k) {
      Place(cells[kFirstKeypadKey + k], kKey * (k % 12), kKey * (k / 12), kKey, kKey);
    }
    return kKeypadButtonSlots;
  }
  Place(cells[9], 103, 180, 9, 9);
  // A numeric keypad: four rows of four, the tall Enter, the wide 0.
  for (int k = 0; k < 12; ++k) Place(cells[kFirstKeypadKey + k], kKey * (k % 4), 25 + kKey * (k / 4), kKey, kKey);
  for (int k = 0; k < 3; ++k) Place(cells[22 + k], kKey * k, 109, kKey, kKey);
  Place(cells[25], 84, 109, kKey, 2 * kKey);
  Place(cells[26], 0, 137, 2 * kKey, kKey);
  Place(cells[27], 56, 137, kKey, kKey);
  return kFirstKeypadKey + kNarrowKeyCount;
}

void SetKeypadFromSelection(KeypadState& s, int panel, const uint8_t* codes, int count) {
  std::fill(std::begin(s.latchedCodes), std::end(s.latchedCodes), 0);
  for (int i = 0; i < count; ++i) s.latchedCodes[codes[i]] = 1;
  SelectKeypadPanel(s, panel);
  ShowKeypadLayout(s, s.layout < 0 ? 0 : s.layout);
}
