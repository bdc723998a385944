// Structure wrappers of the drawing calls: fonts, text metrics, DrawState.
#include <cstring>

#include "Code/Unicode/Utils/win32/Uni.h"
#include "Code/Unicode/Utils/win32/UniText.h"

namespace {

// The face name in at most LF_FACESIZE - 1 bytes, never cut inside a
// double-byte character.
void CopyFaceName(const wchar_t* face, char* out) {
  std::memset(out, 0, LF_FACESIZE);
  int length = BoundedWideLength(reinterpret_cast<const char16_t*>(face), LF_FACESIZE);
  if (length < 0) length = LF_FACESIZE - 1;
  CTempAnsi ansi(reinterpret_cast<const char16_t*>(face), length > 0 ? length : -1);
  const char* text = Ansi(ansi);
  if (!text || length == 0) return;
  int n = 0;
  while (text[n] != '\0') {
    int step = IsDBCSLeadByte(static_cast<BYTE>(text[n])) && text[n + 1] != '\0' ? 2 : 1;
    if (n + step > LF_FACESIZE - 1) break;
    n += step;
  }
  std::memcpy(out, text, static_cast<size_t>(n));
}

WCHAR AnsiCharToWide(BYTE c) {
  char ansi = static_cast<char>(c);
  WCHAR wide = 0;
  if (MultiByteToWideChar(CP_ACP, 0, &ansi, 1, &wide, 1) != 1) return c;  // a lone lead byte
  return wide;
}

}  // namespace

HFONT UniCreateFontIndirect(const LOGFONTW* font) {
  if (IsWindowsNT()) return CreateFontIndirectW(font);
  if (!font) return CreateFontIndirectA(nullptr);
  LOGFONTA ansi = {};
  ansi.lfHeight = font->lfHeight;
  ansi.lfWidth = font->lfWidth;
  ansi.lfEscapement = font->lfEscapement;
  ansi.lfOrientation = font->lfOrientation;
  ansi.lfWeight = font->lfWeight;
  ansi.lfItalic = font->lfItalic;
  ansi.lfUnderline = font->lfUnderline;
  ansi.lfStrikeOut = font->lfStrikeOut;
  ansi.lfCharSet = font->lfCharSet;
  ansi.lfOutPrecision = font->lfOutPrecision;
  ansi.lfClipPrecision = font->lfClipPrecision;
  ansi.lfQuality = font->lfQuality;
  ansi.lfPitchAndFamily = font->lfPitchAndFamily;
  CopyFaceName(font->lfFaceName, ansi.lfFaceName);
  return CreateFontIndirectA(&ansi);
}

void TextMetricAToW(const TEXTMETRICA& from, TEXTMETRICW* to) {
  to->tmHeight = from.tmHeight;
  to->tmAscent = from.tmAscent;
  to->tmDescent = from.tmDescent;
  to->tmInternalLeading = from.tmInternalLeading;
  to->tmExternalLeading = from.tmExternalLeading;
  to->tmAveCharWidth = from.tmAveCharWidth;
  to->tmMaxCharWidth = from.tmMaxCharWidth;
  to->tmWeight = from.tmWeight;
  to->tmOverhang = from.tmOverhang;
  to->tmDigitizedAspectX = from.tmDigitizedAspectX;
  to->tmDigitizedAspectY = from.tmDigitizedAspectY;
  to->tmFirstChar = AnsiCharToWide(from.tmFirstChar);
  to->tmLastChar = AnsiCharToWide(from.tmLastChar);
  to->tmDefaultChar = AnsiCharToWide(from.tmDefaultChar);
  to->tmBreakChar = AnsiCharToWide(from.tmBreakChar);
  to->tmItalic = from.tmItalic;
  to->tmUnderlined = from.tmUnderlined;
  to->tmStruckOut = from.tmStruckOut;
  to->tmPitchAndFamily = from.tmPitchAndFamily;
  to->tmCharSet = from.tmCharSet;
}

BOOL UniGetTextMetrics(HDC dc, TEXTMETRICW* metrics) {
  if (IsWindowsNT()) return GetTextMetricsW(dc, metrics);
  TEXTMETRICA ansi = {};
  BOOL result = GetTextMetricsA(dc, &ansi);
  if (result && metrics) TextMetricAToW(ansi, metrics);
  return result;
}

BOOL UniDrawState(HDC dc, HBRUSH brush, DRAWSTATEPROC output, LPARAM data, WPARAM dataLength, int x, int y,
                  int width, int height, UINT flags) {
  if (IsWindowsNT()) return DrawStateW(dc, brush, output, data, dataLength, x, y, width, height, flags);
  UINT kind = flags & 0x000F;
  if (kind != DST_TEXT && kind != DST_PREFIXTEXT)
    return DrawStateA(dc, brush, output, data, dataLength, x, y, width, height, flags);
  int length = static_cast<int>(dataLength) > 0 ? static_cast<int>(dataLength) : 0;
  CTempAnsi text(reinterpret_cast<const char16_t*>(data), length);
  return DrawStateA(dc, brush, output, reinterpret_cast<LPARAM>(Ansi(text)), 0, x, y, width, height, flags);
}
