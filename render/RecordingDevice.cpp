#include "render/RecordingDevice.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "render/MusicFonts.h"
#include "render/TextMetrics.h"

namespace {

std::string Hex(render::Colour c) {
  char b[16];
  std::snprintf(b, sizeof b, "#%06X", static_cast<unsigned>(c & 0xFFFFFF));
  return b;
}

std::string PenText(const render::Pen& p) {
  return std::string(p.style == render::PenStyle::Dotted ? "dot " : "solid ") + std::to_string(p.width) + " " +
         Hex(p.colour);
}

std::string BrushText(const render::Brush& b) { return b.hollow ? "hollow" : "fill " + Hex(b.colour); }

// Printable ASCII as it stands (quote and backslash escaped); the rest as \uXXXX.
std::string Quoted(const char16_t* text, int length) {
  std::string out = "\"";
  for (int i = 0; i < length; ++i) {
    const char16_t c = text[i];
    if (c >= 0x20 && c < 0x7F && c != u'"' && c != u'\\') {
      out += static_cast<char>(c);
    } else {
      char b[8];
      std::snprintf(b, sizeof b, "\\u%04X", static_cast<unsigned>(c));
      out += b;
    }
  }
  return out + "\"";
}

std::string Narrow(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

}  // namespace

RecordingDevice::RecordingDevice()
    : faces_{u"Arial", u"Times New Roman", u"MS Sans Serif", kMusicFontFace} {}

std::string RecordingDevice::Text() const {
  std::string out;
  for (const std::string& l : lines_) out += l + "\n";
  return out;
}

void RecordingDevice::MoveTo(int x, int y) { Add("move " + std::to_string(x) + " " + std::to_string(y)); }

void RecordingDevice::LineTo(int x, int y, const render::Pen& pen) {
  Add("line " + std::to_string(x) + " " + std::to_string(y) + " " + PenText(pen));
}

void RecordingDevice::Rectangle(int left, int top, int right, int bottom, const render::Pen& pen,
                                const render::Brush& brush) {
  Add("rect " + std::to_string(left) + " " + std::to_string(top) + " " + std::to_string(right) + " " +
      std::to_string(bottom) + " " + PenText(pen) + " " + BrushText(brush));
}

void RecordingDevice::Ellipse(int left, int top, int right, int bottom, const render::Pen& pen,
                              const render::Brush& brush) {
  Add("ellipse " + std::to_string(left) + " " + std::to_string(top) + " " + std::to_string(right) + " " +
      std::to_string(bottom) + " " + PenText(pen) + " " + BrushText(brush));
}

void RecordingDevice::FillBezierPath(render::DevicePoint start, const render::DevicePoint* points, int count,
                                     render::Colour colour) {
  std::string l = "curve " + std::to_string(start.x) + " " + std::to_string(start.y);
  for (int i = 0; i < count; ++i) l += " " + std::to_string(points[i].x) + " " + std::to_string(points[i].y);
  Add(l + " " + Hex(colour));
}

void RecordingDevice::TextAt(int x, int y, const char16_t* text, int length) {
  Add("text " + std::to_string(x) + " " + std::to_string(y) + " " + Quoted(text, length));
}

void RecordingDevice::SetTextColour(render::Colour colour) { Add("textcolour " + Hex(colour)); }

void RecordingDevice::SetTransparentBaselineText() { Add("textmode transparent baseline"); }

render::FontHandle RecordingDevice::MakeFont(const render::FontRequest& r) {
  fonts_.push_back(r);
  live_.push_back(true);
  const render::FontHandle h = fonts_.size();
  Add("font " + std::to_string(h) + " \"" + Narrow(r.face) + "\" h " + std::to_string(r.height) + " w " +
      std::to_string(r.width) + " wt " + std::to_string(r.weight) + (r.italic ? " italic" : "") +
      (r.underline ? " underline" : "") + (r.strikeOut ? " strike" : "") + " q " + std::to_string(r.quality));
  return h;
}

render::FontHandle RecordingDevice::SelectFont(render::FontHandle font) {
  const render::FontHandle previous = selected_;
  selected_ = font;
  Add("select " + std::to_string(font));
  return previous;
}

void RecordingDevice::DeleteFont(render::FontHandle font) {
  if (font >= 1 && font <= live_.size()) live_[font - 1] = false;
  Add("delete " + std::to_string(font));
}

const render::FontRequest* RecordingDevice::Selected() const {
  if (selected_ < 1 || selected_ > fonts_.size()) return nullptr;
  return &fonts_[selected_ - 1];
}

render::TextExtent RecordingDevice::MeasureText(const char16_t* text, int length) {
  const render::FontRequest* f = Selected();
  // The device's own font: the system face at 16 pixels.
  const int em = f ? std::abs(f->height) : 16;
  const TextFaceMetrics* m = FaceMetricsFor(f ? f->face.c_str() : u"Arial", f && f->weight >= 700, f && f->italic);
  if (!m) return {em * length / 2, em};
  const int height = static_cast<int>(std::lround(static_cast<double>(m->winAscent + m->winDescent) * em / m->em));
  return {MeasureTextPixels(*m, em, text, length), height};
}

int RecordingDevice::AverageCharWidth() {
  const render::FontRequest* f = Selected();
  const int em = f ? std::abs(f->height) : 16;
  if (f && f->face == kMusicFontFace)
    return static_cast<int>(std::lround(static_cast<double>(MusicFontAverageWidth()) * em / MusicFontEm()));
  return em / 2;
}

void RecordingDevice::SetScaledMapping(int windowCx, int windowCy, int viewportCx, int viewportCy) {
  Add("mapping " + std::to_string(windowCx) + " " + std::to_string(windowCy) + " " + std::to_string(viewportCx) +
      " " + std::to_string(viewportCy));
}

void RecordingDevice::RestoreMapping() { Add("mapping restored"); }

// Only a change of the drawing mode is a line of the list.
void RecordingDevice::SetXorDrawing(bool on) {
  if (on == xor_) return;
  xor_ = on;
  Add(on ? "rop xor" : "rop copy");
}

bool RecordingDevice::FaceInstalled(const char16_t* face) { return faces_.count(face) != 0; }

bool RecordingDevice::InstallMusicFont() {
  ++installCalls_;
  Add("install music font");
  if (refuseInstall_) return false;
  faces_.insert(kMusicFontFace);
  return true;
}
