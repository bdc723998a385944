#include "render/MusicFonts.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>

#include "platform/Messages.h"
#include "render/DrawingState.h"
#include "render/RenderStrings.h"
#include "render/SizeRules.h"

namespace {

MusicFontSetRecord FontSet;
MusicFontIndexRule IndexRule = MusicFontIndex;
uint32_t TextFontKindCounter = 0;
#ifdef NDEBUG
bool AssertOnFault = false;
#else
bool AssertOnFault = true;
#endif

constexpr int kMusicPointSizes[kMusicFontSizes] = {720, 480, 320};
constexpr int kLargestFontHeight = 100000;  // logical units
constexpr double kLargestBracePoints = 20000.0;

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c; }

bool SameFace(const char16_t* a, const char16_t* b) {
  for (; *a && *b; ++a, ++b) {
    if (Lower(*a) != Lower(*b)) return false;
  }
  return *a == *b;
}

bool StartsWithFace(const char16_t* face, const char16_t* prefix) {
  for (; *prefix; ++face, ++prefix) {
    if (!*face || Lower(*face) != Lower(*prefix)) return false;
  }
  return true;
}

void FontFault() {
  ++FontSet.fontFaults;
  if (AssertOnFault) assert(!"music font selected out of turn");
}

// Looks for the music face; installs the font file once per run when it is
// missing. False when the face cannot be had.
bool MusicFaceAvailable(render::DrawDevice* dc) {
  FontSet.musicFontFound = dc->FaceInstalled(kMusicFontFace);
  if (FontSet.musicFontFound) return true;
  if (FontSet.musicFontInstallTried) return false;
  FontSet.musicFontInstallTried = true;
  return dc->InstallMusicFont();
}

}  // namespace

MusicFontSetRecord& MusicFontSet() { return FontSet; }

void ResetMusicFontSet() { FontSet = MusicFontSetRecord{}; }

render::FontRequest DisplayFontRequest(const char16_t* face, int size, int width, int style, bool useDeviceScale,
                                       bool smoothing, bool useScoreScale) {
  const double f = (useDeviceScale ? DeviceScale() : 1.0) * (useScoreScale ? DrawingState().scale : 1.0);
  const auto h1 = static_cast<int64_t>(size * 90.0 / 72.0);
  const auto hs = static_cast<int64_t>(h1 * f);
  render::FontRequest r;
  // A font larger than any page keeps to a height GDI can make.
  r.height = -static_cast<int>(std::min(std::llabs(hs) / 10.0 + 0.5, double(kLargestFontHeight)));
  r.width = 0;
  r.weight = (style & 1) ? 700 : 400;
  r.italic = (style & 2) != 0;
  r.underline = (style & 4) != 0;
  r.strikeOut = (style & 8) != 0;
  r.quality = 3;
  if (smoothing && FontSet.fontSmoothing) r.quality = StartsWithFace(face, u"Korvalinde") ? 4 : 0;
  r.face = face;
  return r;
}

render::FontHandle CreateDisplayFont(render::DrawDevice* dc, const char16_t* face, int size, int width, int style,
                                     bool useDeviceScale, bool smoothing, bool useScoreScale) {
  if (!dc || !face) return 0;
  render::FontRequest r = DisplayFontRequest(face, size, width, style, useDeviceScale, smoothing, useScoreScale);
  if (SameFace(face, kMusicFontFace) && !MusicFaceAvailable(dc)) return 0;
  const render::FontHandle first = dc->MakeFont(r);
  if (width == 0 || !first) return first;
  const double f = (useDeviceScale ? DeviceScale() : 1.0) * (useScoreScale ? DrawingState().scale : 1.0);
  const auto w1 = static_cast<int64_t>(width * 90.0 / 72.0);
  const auto ws = static_cast<int64_t>(w1 * f);
  const auto hs = static_cast<int64_t>(static_cast<int64_t>(size * 90.0 / 72.0) * f);
  const render::FontHandle previous = dc->SelectFont(first);
  const int average = dc->AverageCharWidth();
  dc->SelectFont(previous);
  dc->DeleteFont(first);
  if (hs == 0) return 0;
  r.width = static_cast<int>(
      std::min(std::llabs(ws) * static_cast<double>(average) / std::llabs(hs) + 0.5, double(kLargestFontHeight)));
  return dc->MakeFont(r);
}

void DeleteMusicFonts(render::DrawDevice* dc) {
  for (render::FontHandle& f : FontSet.fonts) {
    if (f && dc) dc->DeleteFont(f);
    f = 0;
  }
  FontSet.made = false;
}

void CreateMusicFonts(render::DrawDevice* dc, bool recreate) {
  if (FontSet.made && !recreate) return;
  if (FontSet.made) DeleteMusicFonts(dc);
  if (!dc) return;
  for (int i = 0; i < kMusicFontSizes; ++i) {
    const int s = kMusicPointSizes[i];
    FontSet.fonts[i] = CreateDisplayFont(dc, kMusicFontFace, s, s, 0, true, true, true);
  }
  FontSet.made = true;
}

render::FontHandle CreateMusicFontOfSize(render::DrawDevice* dc, render::FontHandle* fontOut, int points,
                                         int widthPoints) {
  const int width = widthPoints ? widthPoints : points;
  const render::FontHandle f = CreateDisplayFont(dc, kMusicFontFace, points * 10, width * 10, 0, true, true, true);
  if (fontOut) *fontOut = f;
  return f;
}

void SetFontSmoothing(render::DrawDevice* dc, bool on) {
  if (FontSet.fontSmoothing == on) return;
  FontSet.fontSmoothing = on;
  CreateMusicFonts(dc, true);
}

void SetMusicFontFaultsAssert(bool on) { AssertOnFault = on; }

void SelectFontAsMusic(render::FontHandle font) {
  render::DrawDevice* dc = DrawingState().dc;
  if (!dc) return;
  if (FontSet.musicFontSelected) {
    FontFault();
    RestoreTextFont();
  }
  FontSet.savedTextFont = dc->SelectFont(font);
  FontSet.musicFontSelected = true;
}

void SelectMusicFont(int index) {
  if (index < 0 || index >= kMusicFontSizes) index = 0;
  SelectFontAsMusic(FontSet.fonts[index]);
}

void RestoreTextFont() {
  render::DrawDevice* dc = DrawingState().dc;
  if (!FontSet.musicFontSelected) {
    FontFault();
    return;
  }
  if (dc) dc->SelectFont(FontSet.savedTextFont);
  FontSet.savedTextFont = 0;
  FontSet.musicFontSelected = false;
}

void DrawGlyphCode(const GlyphRow* row, render::DrawDevice* dc, int x, int y) {
  if (!row || !dc) return;
  const char16_t text[2] = {row->code, 0};
  dc->TextAt(x, y, text, 1);
}

void DrawGlyphText(const GlyphRow* row, double x, double y, int extra, int codeOffset) {
  DrawingStateRecord& s = DrawingState();
  if (row && s.dc) {
    const char16_t text[2] = {static_cast<char16_t>(row->code + codeOffset), 0};
    s.dc->SetTextColour(s.colour);
    if (!s.LayoutOnlyFlag) TextOutWorld(s.dc, x, -y, text, 1);
  }
  RestoreTextFont();
}

void SetMusicFontIndexRule(MusicFontIndexRule rule) { IndexRule = rule ? rule : MusicFontIndex; }

void ReportMissingMusicFont() {
  if (FontSet.missingFontReported) return;
  FontSet.missingFontReported = true;
  MessageById(nullptr, kTextMusicFontMissing, kMusicFontFile);
}

void DrawGlyph(const char* name, double x, double y, int a, int b, int variant, int fontIndex) {
  DrawingStateRecord& s = DrawingState();
  if (s.LayoutOnlyFlag || !s.dc) return;
  if (!IsPointVisible(static_cast<int32_t>(x), static_cast<int32_t>(y)) && !s.printing) return;
  CreateMusicFonts(s.dc, false);
  if (fontIndex < 0) fontIndex = IndexRule ? IndexRule() : 0;
  if (fontIndex >= kMusicFontSizes) fontIndex = kMusicFontSizes - 1;
  if (!FontSet.fonts[fontIndex]) {
    ReportMissingMusicFont();
    return;
  }
  const GlyphRow* row = FindGlyph(name);
  if (!row) return;
  SelectMusicFont(fontIndex);
  DrawGlyphText(row, x, y, 0, variant ? 1 : 0);
}

void DrawBracketGlyph(double x, double y, double height) {
  DrawingStateRecord& s = DrawingState();
  if (s.LayoutOnlyFlag || !s.dc) return;
  // A brace of no height, or taller than any page (a damaged record), is not drawn.
  if (!(height >= 1.0 && height <= kLargestBracePoints)) return;
  render::FontHandle f = 0;
  CreateMusicFontOfSize(s.dc, &f, static_cast<int>(height), 128);
  if (!f) {
    ReportMissingMusicFont();
    return;
  }
  if (const GlyphRow* row = FindGlyph("bracket1")) {
    SelectFontAsMusic(f);
    DrawGlyphText(row, x, y, 0, 0);
  }
  s.dc->DeleteFont(f);
}

double SnapScoreZoom(double scale) {
  if (scale >= 0.99 && scale <= 1.01) return 1.0;
  if (scale >= 1.99 && scale <= 2.01) return 2.0;
  if (scale >= 1.32 && scale <= 1.34) return 1.33;
  return scale;
}

void SetScoreZoom(double scale, render::DrawDevice* dc) {
  DrawingState().scale = SnapScoreZoom(scale);
  CreateMusicFonts(dc, true);
}

void AssignTextFontKind(uint32_t& variable) { variable = TextFontKindCounter++; }

void ResetTextFontKindCounter() { TextFontKindCounter = 0; }
