// The recording device: a DrawDevice that writes one canonical text line per
// call instead of drawing, and measures text from the build's metrics tables
// (TextMetrics.h). Natively every picture of the score is drawn into one; a
// test compares the list with a reviewed golden list.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "render/DrawDevice.h"

class RecordingDevice : public render::DrawDevice {
 public:
  RecordingDevice();

  const std::vector<std::string>& Lines() const { return lines_; }
  std::string Text() const;
  void Clear() { lines_.clear(); }

  // Faces the device knows; "Arial", "Times New Roman", "MS Sans Serif" and
  // the music face at first. The music font's installation adds it unless
  // refused.
  void RemoveFace(const std::u16string& face) { faces_.erase(face); }
  void RefuseInstall(bool refuse) { refuseInstall_ = refuse; }
  int InstallCalls() const { return installCalls_; }

  void MoveTo(int x, int y) override;
  void LineTo(int x, int y, const render::Pen& pen) override;
  void Rectangle(int left, int top, int right, int bottom, const render::Pen& pen,
                 const render::Brush& brush) override;
  void Ellipse(int left, int top, int right, int bottom, const render::Pen& pen,
               const render::Brush& brush) override;
  void FillBezierPath(render::DevicePoint start, const render::DevicePoint* points, int count,
                      render::Colour colour) override;
  void TextAt(int x, int y, const char16_t* text, int length) override;
  void SetTextColour(render::Colour colour) override;
  void SetTransparentBaselineText() override;
  render::FontHandle MakeFont(const render::FontRequest& request) override;
  render::FontHandle SelectFont(render::FontHandle font) override;
  void DeleteFont(render::FontHandle font) override;
  render::TextExtent MeasureText(const char16_t* text, int length) override;
  int AverageCharWidth() override;
  void SetScaledMapping(int windowCx, int windowCy, int viewportCx, int viewportCy) override;
  void RestoreMapping() override;
  void SetXorDrawing(bool on) override;
  bool FaceInstalled(const char16_t* face) override;
  bool InstallMusicFont() override;

 private:
  void Add(const std::string& line) { lines_.push_back(line); }
  const render::FontRequest* Selected() const;

  std::vector<std::string> lines_;
  std::vector<render::FontRequest> fonts_;  // handle h is fonts_[h - 1]
  std::vector<bool> live_;
  render::FontHandle selected_ = 0;
  std::set<std::u16string> faces_;
  bool refuseInstall_ = false;
  bool xor_ = false;
  int installCalls_ = 0;
};
