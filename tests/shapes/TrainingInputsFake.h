// Training inputs held in memory for the tests: texts by name and sample
// bitmaps by folder and name.
#pragma once

#include <map>
#include <string>

#include "shapes/ShapeTraining.h"
#include "tests/shapes/ShapeBitmaps.h"

class MemoryTrainingInputs : public TrainingInputs {
 public:
  std::map<std::u16string, std::string> texts;
  std::map<std::u16string, TestBitmap> samples;  // key: folder + u"/" + name
  int loads = 0;

  void AddSample(const std::u16string& folder, const std::string& name, const TestBitmap& bitmap) {
    samples.emplace(folder + u"/" + std::u16string(name.begin(), name.end()), bitmap);
  }
  bool ReadText(const char16_t* name, std::string* text) override {
    auto it = texts.find(name);
    if (it == texts.end()) return false;
    *text = it->second;
    return true;
  }
  bool LoadSample(const char16_t* folder, const std::string& name, SampleBitmap* out) override {
    ++loads;
    auto it = samples.find(std::u16string(folder) + u"/" + std::u16string(name.begin(), name.end()));
    if (it == samples.end()) return false;
    out->bits = it->second.bits;
    out->width = it->second.width;
    out->height = it->second.height;
    out->stride = it->second.stride;
    return true;
  }
};
