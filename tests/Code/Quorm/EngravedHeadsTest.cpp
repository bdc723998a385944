// The notehead finder on the engraved melody page (fixtures/melody.ly): the
// noteheads of the source, staff by staff in their order, at their steps and
// with their models, read with the references the tests build from the
// Emmentaler glyphs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/EngineDataFolder.h"
#include "tests/Code/Quorm/EngravedMelody.h"
#include "tests/Code/Quorm/EngravedPage.h"
#include "tests/Code/Quorm/HeadArt.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

namespace {

// A note of the source: its staff step (the treble clef's middle line is 0)
// and its head model (0 black, 1 half).
struct SourceNote {
  int step;
  int model;
};

// melody.ly, system by system: c4 a f | g8 a bes4 g | a4 c f | e2. and so on.
const std::vector<std::vector<SourceNote>> kMelody = {
    {{-1, 0}, {1, 0}, {3, 0}, {2, 0}, {1, 0}, {0, 0}, {2, 0}, {1, 0}, {-1, 0}, {-4, 0}, {-3, 1}},
    {{-2, 0}, {-1, 0}, {0, 0}, {1, 0}, {2, 0}, {3, 0}, {1, 0}, {2, 0}, {4, 0}, {6, 0}, {3, 1}},
    {{1, 0}, {-1, 0}, {0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {5, 0}, {4, 0}, {3, 0}, {2, 0}, {1, 0}},
    {{0, 0}, {-2, 0}, {-1, 0}, {1, 0}, {0, 0}, {-1, 0}, {3, 0}, {2, 0}, {4, 0}, {3, 0}, {2, 0}, {4, 0}, {3, 1}},
};

// All heads the finder reads on the page (the source's 49 notes, a
// second reading of one of them, and the key signature's flat read as a
// small head on three staves), and their fold.
constexpr int kMelodyHeadCount = 53;
constexpr uint64_t kMelodyHeadFold = 12731514849479252516ull;
// The shipped head set is made from the same glyphs, clustered, with the
// calibrated spread floors (tools/refmaker/calibration.txt): the source's
// notes and the second reading, and no longer the key signature's flats as
// small heads. The fold pins the costs, so that both builds read alike.
constexpr int kShippedMelodyHeadCount = 50;
constexpr uint64_t kShippedMelodyHeadFold = 2256440049845475182ull;

// Every head's place, edges, model and raw cost, folded into one number.
uint64_t HeadFold() {
  uint64_t fold = 1469598103934665603ull;
  for (int i = 0; i < GetNoteheadCount(); ++i) {
    const FoundNotehead h = GetFoundNotehead(i);
    for (int32_t v : {h.leftX, h.rightX, h.centreY, h.staff, h.step, h.model, h.rawCost, GetNoteheadCost(i)})
      fold = (fold ^ static_cast<uint32_t>(v)) * 1099511628211ull;
  }
  return fold;
}

std::string Describe(const std::vector<SourceNote>& notes) {
  std::ostringstream out;
  for (const SourceNote& n : notes) out << " " << n.step << (n.model == 1 ? "h" : "");
  return out.str();
}

// Every staff's heads of the full-size models in column order, one per
// place: heads of one step whose columns overlap count once. Runs the staff
// stage and the steps up to the noteheads with the references of the engine
// folder in use.
void ExpectTheMelodysSourceSteps() {
  LoadMelodyStaves();
  if (::testing::Test::HasFatalFailure()) return;
  ASSERT_TRUE(FindHeadsAfterStaffStage());
  for (int staff = 0; staff < 4; ++staff) {
    std::vector<FoundNotehead> heads;
    for (int i = 0; i < GetNoteheadCount(); ++i) {
      const FoundNotehead h = GetFoundNotehead(i);
      if (h.staff == staff && h.model <= 2) heads.push_back(h);
    }
    std::sort(heads.begin(), heads.end(),
              [](const FoundNotehead& a, const FoundNotehead& b) { return a.leftX < b.leftX; });
    std::vector<SourceNote> read;
    int lastRight = -1, lastStep = 1000;
    for (const FoundNotehead& h : heads) {
      if (h.step == lastStep && h.leftX < lastRight) continue;
      read.push_back({h.step, h.model});
      lastRight = h.rightX;
      lastStep = h.step;
    }
    EXPECT_EQ(Describe(read), Describe(kMelody[staff])) << "staff " << staff;
  }
}

TEST(EngravedHeads, TheMelodysNoteheadsAtTheirSourceSteps) {
  HeadReferenceFolder references;
  ExpectTheMelodysSourceSteps();
  if (::testing::Test::HasFatalFailure()) return;
  EXPECT_EQ(GetNoteheadCount(), kMelodyHeadCount);
  EXPECT_EQ(HeadFold(), kMelodyHeadFold);
  FreeEngine();
}

// The same with the shipped reference sets the program starts with: the
// page reads at the same source steps, without the false small heads, and
// alike in the native and the Windows build.
TEST(EngravedHeads, TheMelodysNoteheadsWithTheShippedSets) {
  ASSERT_TRUE(EngineDataBuilt());
  EngineDataFolder shipped;
  ExpectTheMelodysSourceSteps();
  if (::testing::Test::HasFatalFailure()) return;
  EXPECT_EQ(GetNoteheadCount(), kShippedMelodyHeadCount);
  EXPECT_EQ(HeadFold(), kShippedMelodyHeadFold);
  FreeEngine();
}

}  // namespace
