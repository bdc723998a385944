#include "render/ScoreText.h"

#include <cmath>
#include <string>
#include <vector>

#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/MusicFonts.h"

namespace {

constexpr char16_t kArial[] = u"Arial";
constexpr char16_t kTimes[] = u"Times New Roman";
constexpr char16_t kSansSerif[] = u"MS Sans Serif";

constexpr TextFontDetails kKinds[kTextFontKinds] = {
    {kArial, 10, 10, 1}, {kTimes, 10, 10, 1}, {kArial, 12, 12, 0}, {kArial, 14, 14, 0}, {kArial, 18, 18, 0},
    {kArial, 12, 12, 1}, {kArial, 14, 14, 1}, {kArial, 18, 18, 1}, {kArial, 12, 12, 2}, {kArial, 14, 14, 2},
    {kArial, 18, 18, 2}, {kArial, 12, 12, 3}, {kArial, 14, 14, 3}, {kArial, 18, 18, 3}, {kTimes, 12, 12, 0},
    {kTimes, 14, 14, 0}, {kTimes, 18, 18, 0}, {kTimes, 12, 12, 1}, {kTimes, 14, 14, 1}, {kTimes, 18, 18, 1},
    {kTimes, 12, 12, 2}, {kTimes, 14, 14, 2}, {kTimes, 18, 18, 2}, {kTimes, 12, 12, 3}, {kTimes, 12, 12, 3},
    {kTimes, 14, 14, 3}, {kTimes, 18, 18, 3}, {kSansSerif, 10, 10, 0}, {kArial, 8, 8, 0}, {kArial, 10, 10, 0},
    {kArial, 15, 15, 0}, {kTimes, 8, 8, 0}, {kTimes, 9, 9, 0},
};

render::FontHandle FontCache[kTextFontCacheKinds * 8];
uint8_t IdentitySource[64];
uint8_t ColourMap[8];
bool IdentityMade = false;

bool Printable(char16_t c) { return c > 31 && (c < 127 || c > 159); }

double PixelsPerWorld() { return DeviceScale() * DrawingState().scale; }

// The embedded crotchet of code 4: a notehead and a stem in the colour.
void DrawEmbeddedCrotchet(double penX, double y, int colour) {
  DrawingStateRecord& s = DrawingState();
  const render::Colour previous = s.colour;
  SetDrawColourValue(ColourTable[PrintableColourIndex(colour)]);
  BuildGlyphColourMap(colour, ColourMap, false, IdentitySource);
  DrawGlyph("chead", penX + 1, y + 1, 8, 0, 0, -1);
  MoveToWorld(penX + 8, y + 2);
  LineToWorld(penX + 8, y + 17, 0.4);
  SetDrawColourValue(previous);
}

}  // namespace

TextFontDetails GetTextFontDetails(int kind) {
  if (kind >= 0 && kind < kTextFontKinds) return kKinds[kind];
  return {nullptr, kind, kind, 0};
}

const uint8_t* GlyphColourMap() { return ColourMap; }

void BuildGlyphColourMap(int colour, uint8_t map[8], bool forceFirst, const uint8_t* s) {
  if (colour == kHighlightColour) {
    map[0] = s[0];
    map[1] = forceFirst ? s[0] : s[1];
    map[2] = s[2];
    for (int i = 3; i < 8; ++i) map[i] = s[kHighlightColour];
  } else if (colour != kBlackColour && ShadingUnhighlighted()) {
    map[0] = s[0];
    map[1] = s[1];
    map[2] = s[2];
    for (int i = 3; i < 8; ++i) map[i] = s[3];
  } else {
    for (int i = 0; i < 8; ++i) map[i] = s[i];
    if (forceFirst) map[1] = s[0];
  }
}

namespace {

// One run drawn, or only measured (also while LayoutOnlyFlag is set).
int32_t TextRun(double x, double y, const char16_t* run, int colour, int kind, bool bold, bool italic, bool underline,
                bool worldPlacement, bool alignRight, bool zoomScaling, bool draw) {
  DrawingStateRecord& s = DrawingState();
  render::DrawDevice* dc = s.dc;
  if (!run) {
    for (render::FontHandle& f : FontCache) {
      if (f && dc) dc->DeleteFont(f);
      f = 0;
    }
    if (dc) dc->SetTransparentBaselineText();
    return -1;
  }
  if (!dc) return 0;
  x = std::round(x);
  y = std::round(y);
  if (kind < 0 || kind >= kTextFontCacheKinds) kind = 0;
  const int combination = (bold ? 1 : 0) + (italic ? 2 : 0) + (underline ? 4 : 0);
  render::FontHandle& font = FontCache[combination + 8 * kind];
  if (!font) {
    const TextFontDetails details = GetTextFontDetails(kind);
    const int style = details.style | (bold ? 1 : 0) | (italic ? 2 : 0) | (underline ? 4 : 0);
    const int width = details.width == details.size ? 0 : details.width * 10;
    font = CreateDisplayFont(dc, details.face ? details.face : kArial, details.size * 10, width, style, worldPlacement, true,
                             zoomScaling);
  }
  const render::FontHandle previous = font ? dc->SelectFont(font) : 0;
  const int length = static_cast<int>(std::char_traits<char16_t>::length(run));
  const render::TextExtent extent = dc->MeasureText(run, length);
  if (draw) {
    dc->SetTextColour(ColourTable[PrintableColourIndex(colour)]);
    if (alignRight) x -= extent.cx / PixelsPerWorld();
    if (worldPlacement) {
      TextOutWorld(dc, x, -y, run, length);
    } else {
      dc->TextAt(static_cast<int>(x), static_cast<int>(-y), run, length);
    }
  }
  if (font) dc->SelectFont(previous);
  return extent.cx + 4;
}

int32_t FormattedText(double x, double y, const char16_t* text, int colour, int kind, bool worldPlacement,
                      bool alignRight, bool zoomScaling, bool draw);

}  // namespace

int32_t DrawTextRun(double x, double y, const char16_t* run, int colour, int kind, bool bold, bool italic,
                    bool underline, bool worldPlacement, bool alignRight, bool zoomScaling) {
  if (DrawingState().LayoutOnlyFlag) return 0;
  return TextRun(x, y, run, colour, kind, bold, italic, underline, worldPlacement, alignRight, zoomScaling, true);
}

int32_t DrawFormattedText(double x, double y, const char16_t* text, int colour, int kind, bool worldPlacement,
                          bool alignRight, bool zoomScaling) {
  if (DrawingState().LayoutOnlyFlag) return 0;
  if (!text) return DrawTextRun(0, 0, nullptr, colour, kind, false, false, false, worldPlacement, alignRight,
                                zoomScaling);
  return FormattedText(x, y, text, colour, kind, worldPlacement, alignRight, zoomScaling, true);
}

int32_t MeasureFormattedText(const char16_t* text, int kind, bool zoomScaling) {
  if (!text) return 0;
  return FormattedText(0, 0, text, 7, kind, true, false, zoomScaling, false);
}

namespace {

int32_t FormattedText(double x, double y, const char16_t* text, int colour, int kind, bool worldPlacement,
                      bool alignRight, bool zoomScaling, bool draw) {
  if (!IdentityMade) {
    for (int i = 0; i < 64; ++i) IdentitySource[i] = static_cast<uint8_t>(i);
    for (int i = 0; i < 8; ++i) ColourMap[i] = IdentitySource[i];
    IdentityMade = true;
  }
  const size_t length = std::char_traits<char16_t>::length(text);
  std::vector<char16_t> run;
  run.reserve(length + 1);
  bool bold = false, italic = false, underline = false;
  double penX = x;
  double total = 0.0;
  auto flush = [&] {
    if (run.empty()) return;
    run.push_back(0);
    const int32_t w = TextRun(penX, y, run.data(), colour, kind, bold, italic, underline, worldPlacement, alignRight,
                              zoomScaling, draw);
    penX += w / PixelsPerWorld();
    total += w;
    run.clear();
  };
  for (size_t i = 0; i < length; ++i) {
    const char16_t c = text[i];
    if (Printable(c)) {
      run.push_back(c);
      continue;
    }
    flush();
    switch (c) {
      case 13: bold = true; break;
      case 14: bold = false; break;
      case 15: italic = true; break;
      case 16: italic = false; break;
      case 17: underline = true; break;
      case 18: underline = false; break;
      case 4:
        if (draw) DrawEmbeddedCrotchet(penX, y, colour);
        penX += 9;
        total += 9 * PixelsPerWorld();
        break;
      default: break;
    }
  }
  flush();
  return static_cast<int32_t>(std::lround(total));
}

}  // namespace
