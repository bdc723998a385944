#include "Code/Quorm/Codepage.h"

const PrivateCodePageByte kPrivateCodePage[kPrivateCodePageSize] = {
    {0x81, "capital of the first private letter pair", nullptr, 0, 0x82, false},
    {0x82, "small letter of the first private pair", nullptr, 0, 0, false},
    {0x85, "capital of the second private letter pair", nullptr, 0, 0x86, false},
    {0x86, "small letter of the second private pair", nullptr, 0, 0, false},
    {0x87, "sharp", nullptr, '#', 0, true},
    {0x88, "flat", nullptr, 'b', 0, true},
    {0x90, "opening single quote", nullptr, 0, 0, true},
    {0x91, "closing single quote", "'", 0, 0, true},
    {0x94, "opening double quote", nullptr, 0, 0, true},
    {0x95, "closing double quote", nullptr, 0, 0, true},
    {0x96, "dash", nullptr, 0, 0, true},
    {0x9E, "fi ligature", "fi", 0, 0, true},
    {0x9F, "fl ligature", "fl", 0, 0, true},
};

const PrivateCodePageByte* FindPrivateCodePageByte(unsigned char c) {
  for (const PrivateCodePageByte& entry : kPrivateCodePage)
    if (entry.byte == c) return &entry;
  return nullptr;
}
