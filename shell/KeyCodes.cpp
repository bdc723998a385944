#include "shell/KeyCodes.h"

#include "platform/Platform.h"

namespace {

// Virtual keys this file reads.
enum : int {
  kVkBack = 0x08, kVkTab = 0x09, kVkReturn = 0x0D, kVkShift = 0x10, kVkControl = 0x11,
  kVkMenu = 0x12, kVkEscape = 0x1B, kVkSpace = 0x20, kVkPrior = 0x21, kVkNext = 0x22,
  kVkEnd = 0x23, kVkHome = 0x24, kVkLeft = 0x25, kVkUp = 0x26, kVkRight = 0x27,
  kVkDown = 0x28, kVkInsert = 0x2D, kVkDelete = 0x2E, kVkNumpad0 = 0x60, kVkNumpad9 = 0x69,
  kVkMultiply = 0x6A, kVkAdd = 0x6B, kVkSeparator = 0x6C, kVkSubtract = 0x6D,
  kVkDecimal = 0x6E, kVkDivide = 0x6F, kVkF1 = 0x70, kVkF9 = 0x78, kVkF10 = 0x79,
  kVkF11 = 0x7A, kVkF12 = 0x7B,
};

struct KeyRow {
  int virtualKey;
  int code;
};

constexpr KeyRow kNamedKeys[] = {
    {kVkBack, kKeyCodeBackspace},   {kVkTab, kKeyCodeTab},         {kVkReturn, kKeyCodeEnter},
    {kVkEscape, kKeyCodeEscape},    {kVkSpace, kKeyCodeSpace},     {kVkPrior, kKeyCodePageUp},
    {kVkNext, kKeyCodePageDown},    {kVkEnd, kKeyCodeEnd},         {kVkHome, kKeyCodeHome},
    {kVkLeft, kKeyCodeLeft},        {kVkUp, kKeyCodeUp},           {kVkRight, kKeyCodeRight},
    {kVkDown, kKeyCodeDown},        {kVkInsert, kKeyCodeInsert},   {kVkDelete, kKeyCodeDelete},
    {kVkF10, kKeyCodeF10},          {kVkF11, kKeyCodeF11},         {kVkF12, kKeyCodeF12},
    {kVkMultiply, '*'},             {kVkAdd, '+'},                 {kVkSeparator, ','},
    {kVkSubtract, '-'},             {kVkDecimal, '.'},             {kVkDivide, '/'},
};

int BaseCode(int virtualKey) {
  if (virtualKey >= kVkNumpad0 && virtualKey <= kVkNumpad9) return '0' + (virtualKey - kVkNumpad0);
  if (virtualKey >= kVkF1 && virtualKey <= kVkF9) return kKeyCodeF1 + (virtualKey - kVkF1);
  for (const KeyRow& row : kNamedKeys)
    if (row.virtualKey == virtualKey) return row.code;
  return virtualKey;
}

}  // namespace

int TranslateKey(int virtualKey, unsigned modifiers) {
  int code = BaseCode(virtualKey);
  const bool shift = modifiers & kKeyModShift;
  const bool control = modifiers & kKeyModControl;
  if (modifiers & kKeyModAlt) return code + kKeyAddAlt;

  if (code >= '0' && code <= '9') {
    if (control) code += kKeyAddCharControl;
    if (shift) code += kKeyAddCharShift;
    return code;
  }
  if (code >= 'a' && code <= 'z') code -= 'a' - 'A';
  if (code >= 'A' && code <= 'Z') {
    if (control) code += kKeyAddCharControl;
    if (shift) code += kKeyAddCharShift;
    return code;
  }
  if (code >= kKeyCodeF1 && code <= kKeyCodeInsert) {
    if (shift) code += kKeyAddNamedShift;
    if (control) code += kKeyAddNamedControl;
    return code;
  }
  if (code == kKeyCodeHome && control) return kKeyCodeCtrlHome;
  return code;
}

unsigned KeyModifiersHeld() {
  unsigned held = 0;
  if (platform::IsKeyDown(kVkShift)) held |= kKeyModShift;
  if (platform::IsKeyDown(kVkControl)) held |= kKeyModControl;
  if (platform::IsKeyDown(kVkMenu)) held |= kKeyModAlt;
  return held;
}

int TranslateKeyNow(int virtualKey) { return TranslateKey(virtualKey, KeyModifiersHeld()); }
