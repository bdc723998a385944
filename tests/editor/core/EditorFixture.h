// Scores for the editor's tests: built from listings (the painter's listing
// grammar), laid out by the painter's layout-only pass into the view's item
// index, with the page's object boxes made from the laid-out rows as the
// fixture maker makes them. Two fixture scores: one of format version 5 with
// page texts and a tablature part, one of format version 2.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "editor/core/ScoreInvariants.h"
#include "pages/PageData.h"
#include "render/RecordingDevice.h"
#include "score/ItemSelection.h"
#include "tests/support/ScratchDataFolder.h"

// Three part slots (page texts, a flute, a guitar tablature), two pages:
// two systems on the first, one on the second.
extern const char kFormat5Score[];
// The same shape without texts or tablature (a bass part instead).
extern const char kFormat2Score[];

class EditorFixture : public ::testing::Test {
 public:
  void SetUp() override;
  void TearDown() override;

  // Builds the score in that format version, lays out page `page` and gives
  // it object boxes.
  void Load(const char* listing, uint8_t version, int page = 1);
  // The layout-only pass over the current page.
  void Layout();
  // Object boxes from the index rows, one per row.
  void BoxesFromRows();
  // The checker's faults, with the boxes of the view's page.
  std::vector<ScoreFault> Check() const;
  void ExpectSound() const;

  // The first row whose item has this kind (in a part slot, -1 any); -1 none.
  int FindRow(int kind, int slot = -1, int nth = 0) const;
  const uint8_t* RowBytes(int row) const;

  ScoreViewItems& view() const { return TheScoreViewItems(); }
  RecordingDevice device;
  // The page store the writes save the page's boxes into.
  std::unique_ptr<ScratchDataFolder> pageStore_;
};
