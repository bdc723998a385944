// The page the stave companion targets read companion files onto: a 1-bit
// page of 400 x 300 pixels with a system line down its left side, made once.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "pages/SpriteArea.h"
#include "platform/Messages.h"

namespace fuzz {

constexpr uint32_t kCompanionPageWidth = 400;
constexpr uint32_t kCompanionPageHeight = 300;

inline Handle CompanionPage() {
  static Handle area = [] {
    const uint64_t rowBytes = PaddedRowBytes(kCompanionPageWidth, 1);
    Handle made = nullptr;
    const uint32_t bytes = static_cast<uint32_t>(SpriteAreaBytes(rowBytes * kCompanionPageHeight));
    if (!AllocHandleChecked(&made, bytes, 0, 0)) std::abort();
    uint8_t* block = static_cast<uint8_t*>(made);
    InitSpriteArea(block, bytes);
    if (CreateSprite(block, kPageSpriteName, kCompanionPageWidth, kCompanionPageHeight, kSpriteMode1Bit)) std::abort();
    for (uint32_t y = 20; y < 280; ++y) SpriteRows(block)[y * rowBytes + 5] = 0x0F;
    return made;
  }();
  return area;
}

}  // namespace fuzz
