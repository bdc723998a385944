#include <gtest/gtest.h>

#include "shell/KeyCodes.h"

namespace {

constexpr unsigned kNone = 0, kShift = kKeyModShift, kCtrl = kKeyModControl, kAlt = kKeyModAlt;

struct KeyCase {
  int virtualKey;
  unsigned modifiers;
  int code;
};

const KeyCase kCases[] = {
    // Named keys.
    {0x08, kNone, 8},     {0x09, kNone, 394},   {0x0D, kNone, 13},    {0x1B, kNone, 27},
    {0x20, kNone, 32},    {0x21, kNone, 415},   {0x22, kNone, 414},   {0x23, kNone, 395},
    {0x24, kNone, 30},    {0x25, kNone, 396},   {0x26, kNone, 399},   {0x27, kNone, 397},
    {0x28, kNone, 398},   {0x2D, kNone, 461},   {0x2E, kNone, 127},   {0x70, kNone, 385},
    {0x78, kNone, 393},   {0x79, kNone, 458},   {0x7A, kNone, 459},   {0x7B, kNone, 460},
    // Modifiers on named keys.
    {0x70, kShift, 401},  {0x70, kCtrl, 417},   {0x70, kShift | kCtrl, 433},
    {0x2D, kShift, 477},  {0x25, kCtrl, 428},   {0x24, kCtrl, 62},    {0x24, kShift, 30},
    {0x2E, kCtrl, 127},   {0x1B, kShift, 27},
    // Letters and digits.
    {'A', kNone, 65},     {'A', kAlt, 2113},    {'A', kCtrl, 577},    {'C', kCtrl, 579},
    {'V', kCtrl, 598},    {'X', kCtrl, 600},    {'Y', kCtrl, 601},    {'Z', kCtrl, 602},
    {'A', kShift, 1089},  {'A', kShift | kCtrl, 1601},                {'5', kNone, 53},
    {'5', kCtrl, 565},    {'5', kShift, 1077},  {'5', kAlt, 2101},
    // Alt adds 2048 and nothing else.
    {0x70, kAlt | kShift, 2433},                {0x24, kAlt | kCtrl, 2078},
    // Other keys keep their virtual-key code.
    {0xBA, kNone, 0xBA},  {0xBA, kCtrl, 0xBA},
};

TEST(KeyCodes, TranslatesKeysWithModifiers) {
  for (const KeyCase& c : kCases)
    EXPECT_EQ(TranslateKey(c.virtualKey, c.modifiers), c.code)
        << "virtual key " << c.virtualKey << " modifiers " << c.modifiers;
}

TEST(KeyCodes, CtrlLettersRunFrom577To602) {
  for (int letter = 'A'; letter <= 'Z'; ++letter) EXPECT_EQ(TranslateKey(letter, kCtrl), 512 + letter);
}

TEST(KeyCodes, NumericPadDigitsAreDigitsNotLetters) {
  for (int digit = 0; digit <= 9; ++digit) {
    EXPECT_EQ(TranslateKey(0x60 + digit, kNone), '0' + digit);
    EXPECT_EQ(TranslateKey(0x60 + digit, kCtrl), TranslateKey('0' + digit, kCtrl));
    EXPECT_EQ(TranslateKey(0x60 + digit, kAlt), TranslateKey('0' + digit, kAlt));
  }
}

TEST(KeyCodes, NumericPadOperatorsAreTheirCharacters) {
  const KeyCase pad[] = {{0x6A, kNone, '*'}, {0x6B, kNone, '+'}, {0x6C, kNone, ','},
                         {0x6D, kNone, '-'}, {0x6E, kNone, '.'}, {0x6F, kCtrl, '/'}};
  for (const KeyCase& c : pad) EXPECT_EQ(TranslateKey(c.virtualKey, c.modifiers), c.code);
}

}  // namespace
