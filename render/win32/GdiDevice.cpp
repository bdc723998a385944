#include "render/win32/GdiDevice.h"

#include <cwchar>

#include "Code/Unicode/Utils/WinVersion.h"
#include "Code/Unicode/Utils/win32/Uni.h"
#include "render/MusicFonts.h"

namespace {

const wchar_t* Wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

HPEN MakePen(const render::Pen& pen) {
  return CreatePen(pen.style == render::PenStyle::Dotted ? PS_DOT : PS_SOLID, pen.width, pen.colour);
}

struct FaceSearch {
  const wchar_t* face;
  bool found;
};

int CALLBACK MatchFullName(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM data) {
  auto* search = reinterpret_cast<FaceSearch*>(data);
  const auto* full = reinterpret_cast<const ENUMLOGFONTEXW*>(font);
  if (_wcsicmp(full->elfFullName, search->face) == 0 || _wcsicmp(font->lfFaceName, search->face) == 0) {
    search->found = true;
    return 0;
  }
  return 1;
}

// Windows 9x enumerates with ANSI names; the music face's name is ASCII.
int CALLBACK MatchFullNameAnsi(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM data) {
  auto* search = reinterpret_cast<FaceSearch*>(data);
  const auto* full = reinterpret_cast<const ENUMLOGFONTEXA*>(font);
  char face[LF_FULLFACESIZE] = {};
  for (int i = 0; i < LF_FULLFACESIZE - 1 && search->face[i]; ++i) face[i] = static_cast<char>(search->face[i]);
  if (lstrcmpiA(reinterpret_cast<const char*>(full->elfFullName), face) == 0 || lstrcmpiA(font->lfFaceName, face) == 0) {
    search->found = true;
    return 0;
  }
  return 1;
}

bool FileThere(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

GdiObjectCache::~GdiObjectCache() { Clear(); }

void GdiObjectCache::Clear() {
  for (int i = 0; i < penCount_; ++i) DeleteObject(pens_[i].pen);
  for (int i = 0; i < brushCount_; ++i) DeleteObject(brushes_[i].brush);
  penCount_ = brushCount_ = nextPen_ = nextBrush_ = 0;
}

HPEN GdiObjectCache::Pen(const render::Pen& pen, HGDIOBJ keep) {
  for (int i = 0; i < penCount_; ++i) {
    const PenSlot& s = pens_[i];
    if (s.style == pen.style && s.width == pen.width && s.colour == pen.colour) return s.pen;
  }
  HPEN made = MakePen(pen);
  if (!made) return nullptr;
  int at = penCount_;
  if (penCount_ < kSlots) {
    ++penCount_;
  } else {
    if (pens_[nextPen_].pen == keep) nextPen_ = (nextPen_ + 1) % kSlots;
    at = nextPen_;
    nextPen_ = (nextPen_ + 1) % kSlots;
    DeleteObject(pens_[at].pen);
  }
  pens_[at] = PenSlot{pen.style, pen.width, pen.colour, made};
  return made;
}

HBRUSH GdiObjectCache::Brush(const render::Brush& brush, HGDIOBJ keep) {
  if (brush.hollow) return static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
  for (int i = 0; i < brushCount_; ++i) {
    if (brushes_[i].colour == brush.colour) return brushes_[i].brush;
  }
  HBRUSH made = CreateSolidBrush(brush.colour);
  if (!made) return nullptr;
  int at = brushCount_;
  if (brushCount_ < kSlots) {
    ++brushCount_;
  } else {
    if (brushes_[nextBrush_].brush == keep) nextBrush_ = (nextBrush_ + 1) % kSlots;
    at = nextBrush_;
    nextBrush_ = (nextBrush_ + 1) % kSlots;
    DeleteObject(brushes_[at].brush);
  }
  brushes_[at] = BrushSlot{brush.colour, made};
  return made;
}

bool GdiDevice::UsePen(const render::Pen& pen) {
  HPEN p = objects_.Pen(pen, pen_);
  if (!p) return false;
  if (p == pen_) return true;
  HGDIOBJ previous = SelectObject(dc_, p);
  if (!ownPen_) ownPen_ = previous;
  pen_ = p;
  return true;
}

bool GdiDevice::UseBrush(const render::Brush& brush) {
  HBRUSH b = objects_.Brush(brush, brush_);
  if (!b) return false;
  if (b == brush_) return true;
  HGDIOBJ previous = SelectObject(dc_, b);
  if (!ownBrush_) ownBrush_ = previous;
  brush_ = b;
  return true;
}

void GdiDevice::UseFont() {
  if (fontKnown_ && contextFont_ != wantedFont_) {
    SelectObject(dc_, wantedFont_);
    contextFont_ = wantedFont_;
  }
}

void GdiDevice::Release() {
  if (dc_) {
    if (ownPen_) SelectObject(dc_, ownPen_);
    if (ownBrush_) SelectObject(dc_, ownBrush_);
    UseFont();
  }
  ownPen_ = ownBrush_ = pen_ = brush_ = nullptr;
  fontKnown_ = false;
  wantedFont_ = contextFont_ = nullptr;
}

void GdiDevice::MoveTo(int x, int y) { MoveToEx(dc_, x, y, nullptr); }

void GdiDevice::LineTo(int x, int y, const render::Pen& pen) {
  if (UsePen(pen)) ::LineTo(dc_, x, y);
}

void GdiDevice::Rectangle(int left, int top, int right, int bottom, const render::Pen& pen,
                          const render::Brush& brush) {
  if (UsePen(pen) && UseBrush(brush)) ::Rectangle(dc_, left, top, right, bottom);
}

void GdiDevice::Ellipse(int left, int top, int right, int bottom, const render::Pen& pen,
                        const render::Brush& brush) {
  if (UsePen(pen) && UseBrush(brush)) ::Ellipse(dc_, left, top, right, bottom);
}

void GdiDevice::FillBezierPath(render::DevicePoint start, const render::DevicePoint* points, int count,
                               render::Colour colour) {
  if (count <= 0 || count % 3 != 0 || count > 30) return;
  POINT p[30];
  for (int i = 0; i < count; ++i) p[i] = {points[i].x, points[i].y};
  if (!UsePen({render::PenStyle::Solid, 0, colour}) || !UseBrush({false, colour})) return;
  BeginPath(dc_);
  MoveToEx(dc_, start.x, start.y, nullptr);
  PolyBezierTo(dc_, p, static_cast<DWORD>(count));
  EndPath(dc_);
  StrokeAndFillPath(dc_);
}

void GdiDevice::TextAt(int x, int y, const char16_t* text, int length) {
  UseFont();
  TextOutW(dc_, x, y, Wide(text), length);
}

void GdiDevice::SetTextColour(render::Colour colour) { SetTextColor(dc_, colour); }

void GdiDevice::SetTransparentBaselineText() {
  SetBkMode(dc_, TRANSPARENT);
  SetTextAlign(dc_, TA_LEFT | TA_BASELINE);
}

render::FontHandle GdiDevice::MakeFont(const render::FontRequest& r) {
  LOGFONTW lf{};
  lf.lfHeight = r.height;
  lf.lfWidth = r.width;
  lf.lfWeight = r.weight;
  lf.lfItalic = r.italic;
  lf.lfUnderline = r.underline;
  lf.lfStrikeOut = r.strikeOut;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = static_cast<BYTE>(r.quality);
  const size_t n = r.face.size() < LF_FACESIZE - 1 ? r.face.size() : LF_FACESIZE - 1;
  for (size_t i = 0; i < n; ++i) lf.lfFaceName[i] = static_cast<wchar_t>(r.face[i]);
  return reinterpret_cast<render::FontHandle>(UniCreateFontIndirect(&lf));
}

render::FontHandle GdiDevice::SelectFont(render::FontHandle font) {
  HGDIOBJ selected = font ? reinterpret_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT);
  if (!fontKnown_) {
    contextFont_ = wantedFont_ = GetCurrentObject(dc_, OBJ_FONT);
    fontKnown_ = true;
  }
  HGDIOBJ previous = wantedFont_;
  wantedFont_ = selected;
  return reinterpret_cast<render::FontHandle>(previous);
}

void GdiDevice::DeleteFont(render::FontHandle font) {
  if (!font) return;
  // A font still in the context only because the last selection was not
  // made yet leaves it now.
  if (fontKnown_ && contextFont_ == reinterpret_cast<HGDIOBJ>(font)) UseFont();
  DeleteObject(reinterpret_cast<HGDIOBJ>(font));
}

render::TextExtent GdiDevice::MeasureText(const char16_t* text, int length) {
  UseFont();
  SIZE size{};
  GetTextExtentPoint32W(dc_, Wide(text), length, &size);
  return {size.cx, size.cy};
}

int GdiDevice::AverageCharWidth() {
  UseFont();
  TEXTMETRICW metrics{};
  UniGetTextMetrics(dc_, &metrics);
  return metrics.tmAveCharWidth;
}

void GdiDevice::ForgetSelections() {
  if (!dc_) return;
  if (ownPen_) SelectObject(dc_, ownPen_);
  if (ownBrush_) SelectObject(dc_, ownBrush_);
  ownPen_ = ownBrush_ = pen_ = brush_ = nullptr;
  if (fontKnown_) {
    contextFont_ = GetStockObject(SYSTEM_FONT);
    SelectObject(dc_, contextFont_);
  }
}

void GdiDevice::SetScaledMapping(int windowCx, int windowCy, int viewportCx, int viewportCy) {
  ForgetSelections();
  savedMapMode_ = GetMapMode(dc_);
  SetMapMode(dc_, MM_ANISOTROPIC);
  SetWindowExtEx(dc_, windowCx, windowCy, nullptr);
  SetViewportExtEx(dc_, viewportCx, viewportCy, nullptr);
}

void GdiDevice::RestoreMapping() {
  ForgetSelections();
  SetMapMode(dc_, savedMapMode_);
}

void GdiDevice::SetXorDrawing(bool on) { SetROP2(dc_, on ? R2_XORPEN : R2_COPYPEN); }

bool GdiDevice::FaceInstalled(const char16_t* face) {
  FaceSearch search{Wide(face), false};
  HDC dc = dc_ ? dc_ : GetDC(nullptr);
  if (IsWindows9x()) {
    LOGFONTA lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    for (int i = 0; i < LF_FACESIZE - 1 && face[i]; ++i) lf.lfFaceName[i] = static_cast<char>(face[i]);
    EnumFontFamiliesExA(dc, &lf, MatchFullNameAnsi, reinterpret_cast<LPARAM>(&search), 0);
  } else {
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(lf.lfFaceName, Wide(face), LF_FACESIZE - 1);
    EnumFontFamiliesExW(dc, &lf, MatchFullName, reinterpret_cast<LPARAM>(&search), 0);
  }
  if (!dc_) ReleaseDC(nullptr, dc);
  return search.found;
}

bool GdiDevice::InstallMusicFont() { return InstallMusicFontFile(); }

namespace {

// Windows 9x: the font resource file is written into the current folder and
// the font file added from the fonts folder, through the ANSI calls.
bool InstallMusicFontFileAnsi() {
  char folder[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
  if (length == 0 || length + 32 > MAX_PATH) return false;
  lstrcatA(folder, "\\Fonts");
  char fontFile[MAX_PATH];
  wsprintfA(fontFile, "%s\\KORVLN__.TTF", folder);
  CreateScalableFontResourceA(0, "KORVLN__.FOT", "KORVLN__.TTF", folder);
  return AddFontResourceA(fontFile) != 0;
}

}  // namespace

bool InstallMusicFontFile() {
  if (IsWindows9x()) return InstallMusicFontFileAnsi();
  wchar_t folder[MAX_PATH];
  const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
  if (length == 0 || length + 32 > MAX_PATH) return false;
  wcscat(folder, L"\\Fonts");
  const wchar_t* file = Wide(kMusicFontFile);
  wchar_t fontFile[MAX_PATH];
  swprintf(fontFile, MAX_PATH, L"%ls\\%ls", folder, file);
  wchar_t resourceFile[MAX_PATH];
  swprintf(resourceFile, MAX_PATH, L"%ls\\KORVLN__.FOT", folder);
  if (FileThere(resourceFile)) {
    RemoveFontResourceW(resourceFile);
    DeleteFileW(resourceFile);
  }
  if (CreateScalableFontResourceW(0, resourceFile, file, folder) && AddFontResourceW(resourceFile)) return true;
  // The font resource file route can be refused (Wine does not take it): the
  // font file itself, for this process only.
  if (FileThere(fontFile) && AddFontResourceExW(fontFile, FR_PRIVATE, nullptr)) return true;
  wchar_t beside[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, beside, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  wchar_t* slash = wcsrchr(beside, L'\\');
  if (!slash || (slash - beside) + 14 >= MAX_PATH) return false;
  wcscpy(slash + 1, file);
  return FileThere(beside) && AddFontResourceExW(beside, FR_PRIVATE, nullptr) != 0;
}
