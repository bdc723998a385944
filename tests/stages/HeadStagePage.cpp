#include "tests/stages/HeadStagePage.h"

#include <vector>

#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"

NoteheadStageData::NoteheadStageData() {
  const std::vector<uint8_t> bytes = ReadBytes(SourcePath("resources/data/Notation"));
  loaded_ = ParseNotationDatabase(bytes.data(), bytes.size(), &templates_);
  if (loaded_) NoteheadTemplates() = &templates_;
}

NoteheadStageData::~NoteheadStageData() {
  if (loaded_) NoteheadTemplates() = nullptr;
}

HeadStagePage::HeadStagePage(const SynthPage& page, int resolution)
    : oldReading_(StaveLookup().readingActive) {
  image.bits = reinterpret_cast<const uint8_t*>(page.bits());
  image.width = page.width();
  image.height = page.height();
  image.rowBytes = static_cast<size_t>(page.wordsPerRow()) * 4;
  geometry = tables_.Over(OneBitImage(const_cast<uint8_t*>(image.bits), image.width, image.height, image.rowBytes),
                          resolution);
  StaveLookup().readingActive = true;
}

HeadStagePage::~HeadStagePage() { StaveLookup().readingActive = oldReading_; }
