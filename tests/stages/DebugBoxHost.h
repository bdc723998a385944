// A reading host that records the stages' debug boxes and its drawing lock,
// installed with the debug drawing switched on for the life of the object.
#pragma once

#include <vector>

#include "reading/ReadingThread.h"
#include "stages/StageDebugDrawing.h"

class DebugBoxHost : public ReadingHost {
 public:
  struct Drawn {
    DebugSurface surface;
    DebugBox box;
    bool locked;
  };
  explicit DebugBoxHost(bool drawing = true) {
    SetReadingHost(this);
    StageDebugDrawing() = drawing;
  }
  ~DebugBoxHost() override {
    StageDebugDrawing() = false;
    SetReadingHost(nullptr);
  }
  void PostToFrame(unsigned) override {}
  void DebugLine(const char16_t*) override {}
  void LockDrawing() override {
    ++locks;
    locked = true;
  }
  void UnlockDrawing() override { locked = false; }
  void OutlineDebugBox(DebugSurface surface, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int colour) override {
    drawn.push_back(Drawn{surface, DebugBox{x0, y0, x1, y1, colour}, locked});
  }
  std::vector<Drawn> drawn;
  int locks = 0;
  bool locked = false;
};
