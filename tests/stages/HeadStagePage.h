// The notehead stage over a synthesised page, as its test and its benchmark
// run it: the notation templates and the test head references loaded, and
// the page's image with an empty line table as the stave geometry.
#pragma once

#include <cstdint>
#include <memory>

#include "reading/StaveGeometry.h"
#include "shapes/ClassifierDatabases.h"
#include "stages/NoteheadVerification.h"
#include "tests/Code/Quorm/HeadArt.h"
#include "tests/Code/Quorm/PageSynth.h"
#include "tests/reading/StavePageTables.h"

// While it lives the engine reads the test head references and the stage
// grades with the notation templates of resources/data/Notation (read from
// the source tree, KV_SOURCE_DIR).
class NoteheadStageData {
 public:
  NoteheadStageData();
  ~NoteheadStageData();
  NoteheadStageData(const NoteheadStageData&) = delete;
  NoteheadStageData& operator=(const NoteheadStageData&) = delete;
  // false when the templates could not be read (nothing is set then).
  bool Loaded() const { return loaded_; }

 private:
  HeadReferenceFolder references_;
  NotationDatabase templates_;
  bool loaded_ = false;
};

// The page as the stage reads it: its image, and the stave geometry over it
// with an empty line table. While it lives the stave look-ups read the
// table, as they do while the reading thread runs. The page must outlive it.
class HeadStagePage {
 public:
  HeadStagePage(const SynthPage& page, int resolution);
  ~HeadStagePage();
  HeadStagePage(const HeadStagePage&) = delete;
  HeadStagePage& operator=(const HeadStagePage&) = delete;

  HeadImage image;
  StavePage geometry;

 private:
  StavePageTables tables_;
  bool oldReading_;
};
