#include "render/Colours.h"

#include <cstring>

#include "render/DrawingState.h"

render::Colour ColourTable[kColourTableSize];
RgbQuad SharedPalette[256];
uint8_t SpriteColourMap[16];

namespace {

NearestColourRule Nearest = nullptr;
bool ShadeUnhighlighted = false;
bool XorDrawing = false;
bool PageView = false;

// Entries 0..15 and 24..28 on true-colour displays (0 for the system entries
// 16..23, which are set from the system, and 29..31, never set).
constexpr render::Colour kTrueColour[32] = {
    0xFFFFFF, 0xD8D8D8, 0xAAAAAA, 0x999999, 0x777777, 0x555555, 0x333333, 0x000000,
    0x800000, 0x00EEEE, 0x229922, 0x0000DD, 0xDAE5F2, 0x008855, 0x00BBFF, 0xFAAAB4,
    0,        0,        0,        0,        0,        0,        0,        0,
    0xBBFFFF, 0xFFBB00, 0xFF00FF, 0xEFE0E0, 0x555555, 0,        0,        0};

// Entries 0..15 on displays of at most 16 colours.
constexpr render::Colour kSixteenColour[16] = {0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0xA0A0A0, 0x808080, 0x808080,
                                               0x808080, 0x000000, 0x800000, 0x00FFFF, 0x00FF00, 0x0000FF,
                                               0xFFFFFF, 0x008000, 0x008080, 0xFF0000};

constexpr render::Colour kSecondBlock[32] = {
    0xFFFFFF, 0xC0C0C0, 0xA0A0A0, 0xA0A0A0, 0x808080, 0x808080, 0x808080, 0x000000,
    0x800000, 0x00FFFF, 0x00FF00, 0x0000FF, 0xDAE5ED, 0x008000, 0x008080, 0xFAAAB4,
    0x000080, 0x778BDB, 0xC88278, 0xF9697A, 0x808080, 0x404040, 0,        0,
    0xFF6E3C, 0x00C833, 0x0099FF, 0xDB7BFF, 0x8C0E0E, 0x007120, 0x0060A0, 0x800080};

constexpr uint8_t kSpriteMap[16] = {255, 7, 247, 31, 248, 248, 248, 0, 4, 251, 250, 249, 246, 2, 3, 9};

render::Colour Lightened(render::Colour c) {
  render::Colour out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t channel = (c >> shift) & 0xFF;
    out |= ((2 * channel + 255) / 3) << shift;
  }
  return out;
}

RgbQuad Quad(render::Colour c) {
  return {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c), 0};
}

}  // namespace

void SetNearestColourRule(NearestColourRule rule) { Nearest = rule; }

render::Colour NearestColour(render::Colour rgb) { return Nearest ? Nearest(rgb) : rgb; }

void FillColourTables(const render::DisplayCaps& caps) {
  for (int i = 0; i < 32; ++i) ColourTable[i] = kTrueColour[i];
  ColourTable[16] = caps.buttonFace;
  ColourTable[17] = caps.buttonHighlight;
  ColourTable[18] = caps.buttonShadow;
  ColourTable[20] = caps.buttonText;
  ColourTable[21] = caps.grayText;
  const bool palette = caps.numColours != -1;
  ColourTable[19] = palette ? caps.buttonFace : Lightened(caps.buttonFace);
  if (palette) {
    ColourTable[1] = 0xC0C0C0;
    ColourTable[2] = 0x808080;
    ColourTable[12] = 0xFFFFFF;
    ColourTable[15] = 0xFF0000;
    ColourTable[27] = 0x000000;
    ColourTable[28] = 0x000000;
    if (caps.numColours < 17) {
      for (int i = 0; i < 16; ++i) ColourTable[i] = kSixteenColour[i];
    }
  }
  for (int i = 0; i < 32; ++i) ColourTable[32 + i] = NearestColour(kSecondBlock[i]);

  std::memset(SharedPalette, 0, sizeof SharedPalette);
  for (int i = 0; i < kColourTableSize; ++i) SharedPalette[i] = Quad(ColourTable[i]);
  SharedPalette[1] = {224, 230, 233, 0};
  for (int k = 0; k < 32; ++k) {
    const auto rg = static_cast<uint8_t>(238 * k / 32);
    SharedPalette[64 + k] = {static_cast<uint8_t>(206 * k / 32), rg, rg, 0};
  }
  std::memcpy(SpriteColourMap, kSpriteMap, sizeof SpriteColourMap);
}

int PrintableColourIndex(int n) {
  if (DrawingState().printing && (n == kHighlightColour || n == kSecondHighlightColour)) return kBlackColour;
  return n;
}

void SelectDrawColour(int n) {
  if (n < 0 || n >= kColourTableSize) n = kBlackColour;
  const render::Colour c = ColourTable[n];
  SetDrawColourValue(n >= 16 && n <= 19 ? c : NearestColour(c));
  if (render::DrawDevice* dc = DrawingState().dc) dc->SetXorDrawing(XorDrawing);
}

void SetXorDrawingFlag(bool on) { XorDrawing = on; }

void SelectPrintableColour(int n) { SelectDrawColour(PrintableColourIndex(n)); }

render::Colour PaperColour(bool greyer) {
  if (!greyer) return NearestColour(ColourTable[0]);
  const RgbQuad& q = SharedPalette[1];
  return NearestColour(render::Colour(q.blue) << 16 | render::Colour(q.green) << 8 | q.red);
}

void SetShadingState(bool shadeUnhighlighted, bool pageViewMode) {
  ShadeUnhighlighted = shadeUnhighlighted;
  PageView = pageViewMode;
}

bool ShadingUnhighlighted() { return ShadeUnhighlighted && !PageView; }

void SelectUnhighlightedColour() { SelectPrintableColour(ShadingUnhighlighted() ? 3 : kBlackColour); }
