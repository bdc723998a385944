// The music symbol classifier on small synthetic reference sets: references
// made from the features of drawn patches, at chosen distances.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Muslref.h"
#include "Code/Quorm/mclassif.h"
#include "tests/Code/Quorm/EngineDataFolder.h"
#include "tests/Code/Quorm/StaffFixture.h"

namespace {

constexpr int32_t kSpace = 20;  // pixels between staff lines

struct Patch {
  int32_t width;
  int32_t height;
  std::vector<uint8_t> ink;
  uint8_t& at(int32_t y, int32_t x) { return ink[static_cast<size_t>(y) * width + x]; }
};

Patch Blank(int32_t w, int32_t h) { return Patch{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h, 0)}; }

void Fill(Patch& p, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  for (int32_t y = y0; y < y1; ++y)
    for (int32_t x = x0; x < x1; ++x) p.at(y, x) = 1;
}

Patch Blob(int32_t w, int32_t h) {
  Patch p = Blank(w, h);
  Fill(p, w / 4, h / 4, w - w / 4, h - h / 4);
  Fill(p, 1, h / 2 - 1, w - 1, h / 2 + 1);
  return p;
}

// Parallel strokes falling to the right (up) or rising (down), one per hook.
Patch Hooks(int32_t hooks, bool up) {
  Patch p = Blank(30, 24 + 16 * hooks);
  for (int32_t k = 0; k < hooks; ++k)
    for (int32_t x = 0; x < 30; ++x) {
      const int32_t base = 4 + 16 * k + (up ? x * 9 / 10 : (29 - x) * 9 / 10);
      for (int32_t t = 0; t < 3; ++t) p.at(base + t, x) = 1;
    }
  return p;
}

std::vector<uint8_t> FeaturesOf(const Patch& p) {
  std::vector<uint8_t> f(kMusicFeatureCount);
  ClassifyMusicPatch(f.data(), p.ink.data(), p.width, p.height, kSpace * 1024);
  return f;
}

// A reference of the type whose distance to the features is exactly target
// (at least the distance of a perfect match).
MusicReference ReferenceAt(const std::vector<uint8_t>& f, int32_t type, int32_t target) {
  MusicReference r{};
  r.type = type;
  r.minWidth = 1;
  r.maxWidth = 5000;
  r.minHeight = 1;
  r.maxHeight = 5000;
  const int32_t base = EdgeCostTableEntry(0, 0);
  int32_t remaining = target - 90 * base - 4 * 8 * base;  // the extras count 8 times
  for (int k = 0; k < 90; ++k) {
    // Large steps by the value's difference, the last few by the weight row.
    const int32_t room = std::max<int32_t>(f[k], 255 - f[k]);
    int32_t diff = 0;
    int32_t row = 0;
    if (remaining > 40) {
      for (int32_t d = room; d >= 0; --d)
        if (EdgeCostTableEntry(0, d) - base <= remaining - 31 || d == 0) {
          diff = d;
          break;
        }
    } else {
      for (int32_t w = 255; w >= 0; --w)
        if (EdgeCostTableEntry(w, 0) - base <= remaining) {
          row = w;
          break;
        }
    }
    remaining -= EdgeCostTableEntry(row, diff) - base;
    r.edgeRefs[2 * k] = static_cast<uint8_t>(f[k] + diff <= 255 ? f[k] + diff : f[k] - diff);
    r.edgeRefs[2 * k + 1] = static_cast<uint8_t>(row);
  }
  for (int k = 0; k < 4; ++k) {
    r.extraRefs[2 * k] = f[90 + k];
    r.extraRefs[2 * k + 1] = 0;
  }
  EXPECT_EQ(remaining, 0) << "target " << target << " cannot be reached exactly";
  return r;
}

class MclassifTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitialiseEdgeFeatureTables();
    InitialiseIntMath();
    LoadHandPage(600, 400, kSpace);
    AddHandStaff({0, 100, kSpace, 20, 580, 5, 0});
    saved_ = LoadedMusicReferences();
    Use({});
  }
  void TearDown() override {
    LoadedMusicReferences() = saved_;
    FreePatchBuffers();
    FreeHandPage();
  }
  void Use(std::vector<MusicReference> refs) {
    refs_ = std::move(refs);
    MusicReferenceStore& store = LoadedMusicReferences();
    store.music = refs_.empty() ? nullptr : refs_.data();
    store.musicCount = static_cast<int32_t>(refs_.size());
  }
  int32_t Distance(const Patch& p, int32_t r) { return MusicReferenceDistance(FeaturesOf(p).data(), r); }

  std::vector<MusicReference> refs_;
  MusicReferenceStore saved_{};
};

TEST_F(MclassifTest, NoReferencesNoCandidates) {
  Patch p = Blob(16, 16);
  SymbolCandidates result{};
  result.count = 3;
  int32_t height = -1;
  ClassifyAtomPatch(&result, p.ink.data(), 100, 110, 116, 126, &height);
  EXPECT_EQ(result.count, 0);
  EXPECT_EQ(height, 118);
  std::vector<uint32_t> words(16 * 16, 1);
  EXPECT_EQ(PatchHasType800(words.data(), 16, 64), 0);
}

TEST_F(MclassifTest, AnEmptySetAnswersNoCandidates) {
  ASSERT_TRUE(EngineDataBuilt());
  EngineDataFolder folder;
  folder.Write(u"Learned\\fssOLD", ReferenceFile(0, {}));
  ASSERT_EQ(LoadMusicReferences(), nullptr);
  EXPECT_EQ(GetMusicReferenceCount(), 0);
  Patch p = Blob(16, 40);
  SymbolCandidates result{};
  ClassifyAtomPatch(&result, p.ink.data(), 100, 100, 116, 140, nullptr);
  EXPECT_EQ(result.count, 0);
  std::vector<uint32_t> words(p.ink.begin(), p.ink.end());
  EXPECT_EQ(PatchHasType800(words.data(), 16, 160), 0);
  FreeMusicReferences();
}

TEST_F(MclassifTest, AcceptanceCosts) {
  const struct {
    int32_t type, cost;
  } cases[] = {{40, 3950}, {42, 3950}, {61, 4200}, {74, 4200}, {80, 4200}, {90, 4700}, {91, 4700},
               {92, 4000}, {96, 4000}, {140, 3700}, {150, 3500}, {101, 3500}, {100, 4000}, {122, 4000},
               {404, 4700}, {412, 4700}, {416, 4700}, {410, 3700}, {800, 3700}, {43, 3700}};
  for (const auto& c : cases) EXPECT_EQ(SymbolAcceptanceCost(c.type), c.cost) << c.type;
}

TEST_F(MclassifTest, CostsAreNormalisedAndTheAcceptanceIsStrict) {
  Patch p = Blob(18, 14);
  const std::vector<uint8_t> f = FeaturesOf(p);
  // type 43 accepts below 3700; type 150 below 3500 with base 3200.
  Use({ReferenceAt(f, 43, 4000), ReferenceAt(f, 44, 3699), ReferenceAt(f, 45, 1500), ReferenceAt(f, 150, 3200),
       ReferenceAt(f, 46, 2600)});
  const int32_t distances[5] = {4000, 3699, 1500, 3200, 2600};
  for (int r = 0; r < 5; ++r) ASSERT_EQ(Distance(p, r), distances[r]);
  SymbolCandidates result{};
  ClassifySymbolPatch(p.ink.data(), &result, p.width, p.height, 0);
  ASSERT_EQ(result.count, 4);
  EXPECT_EQ(result.entries[0].type, 45);
  EXPECT_EQ(result.entries[0].cost, 0);
  EXPECT_EQ(result.entries[1].type, 46);
  EXPECT_EQ(result.entries[1].cost, DivRound(1100 * 1024, 2200));
  EXPECT_EQ(result.entries[2].type, 150);
  EXPECT_EQ(result.entries[2].cost, 1024);
  EXPECT_EQ(result.entries[3].type, 44);
  EXPECT_EQ(result.entries[3].cost, DivRound(2199 * 1024, 2200));
}

TEST_F(MclassifTest, OneEntryPerTypeTheNearest) {
  Patch p = Blob(18, 14);
  const std::vector<uint8_t> f = FeaturesOf(p);
  Use({ReferenceAt(f, 43, 3000), ReferenceAt(f, 43, 2000), ReferenceAt(f, 47, 2500)});
  SymbolCandidates result{};
  ClassifySymbolPatch(p.ink.data(), &result, p.width, p.height, 0);
  ASSERT_EQ(result.count, 2);
  EXPECT_EQ(result.entries[0].type, 43);
  EXPECT_EQ(result.entries[0].cost, DivRound(500 * 1024, 2200));
  EXPECT_EQ(result.entries[1].type, 47);
}

TEST_F(MclassifTest, AtMostFiveCandidatesAndOnlyFittingSizes) {
  Patch p = Blob(18, 14);
  const std::vector<uint8_t> f = FeaturesOf(p);
  std::vector<MusicReference> refs;
  for (int32_t t = 0; t < 7; ++t) refs.push_back(ReferenceAt(f, 300 + t, 1600 + 100 * t));
  MusicReference small = ReferenceAt(f, 299, 1200);
  small.maxWidth = 80;  // 18 pixels are 90 per cent of a staff space
  refs.push_back(small);
  Use(refs);
  EXPECT_EQ(MusicReferenceFitsSize(18, 14, kSpace * 1024, 7), 0);
  EXPECT_EQ(MusicReferenceFitsSize(18, 14, kSpace * 1024, 0), 1);
  SymbolCandidates result{};
  ClassifySymbolPatch(p.ink.data(), &result, p.width, p.height, 0);
  ASSERT_EQ(result.count, 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(result.entries[i].type, 300 + i);
}

TEST_F(MclassifTest, FlagHooksAreCounted) {
  for (int32_t hooks = 1; hooks <= 3; ++hooks) {
    const Patch up = Hooks(hooks, true);
    const Patch down = Hooks(hooks, false);
    EXPECT_EQ(CountFlagHooks(up.ink.data(), up.width, up.height, 0, 1), hooks) << hooks;
    EXPECT_EQ(CountFlagHooks(down.ink.data(), down.width, down.height, 0, 0), hooks) << hooks;
  }
}

TEST_F(MclassifTest, FlagTypesFollowTheHooks) {
  const Patch p = Hooks(3, true);
  const std::vector<uint8_t> f = FeaturesOf(p);
  Use({ReferenceAt(f, 61, 2600), ReferenceAt(f, 63, 3000)});
  SymbolCandidates result{};
  ClassifySymbolPatch(p.ink.data(), &result, p.width, p.height, 0);
  // Both become three-hook flags; the matching one gains 300, the other keeps its distance.
  ASSERT_EQ(result.count, 1);
  EXPECT_EQ(result.entries[0].type, 63);
  EXPECT_EQ(result.entries[0].cost, DivRound(1100 * 1024, 2200));
}

// The part of a patch between two rows, cropped to its inked columns.
Patch Part(const Patch& p, int32_t top, int32_t bottom) {
  int32_t first = p.width;
  int32_t last = -1;
  for (int32_t y = top; y < bottom; ++y)
    for (int32_t x = 0; x < p.width; ++x)
      if (p.ink[static_cast<size_t>(y) * p.width + x]) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
  Patch out = Blank(last - first + 1, bottom - top);
  for (int32_t y = top; y < bottom; ++y)
    for (int32_t x = first; x <= last; ++x) out.at(y - top, x - first) = p.ink[static_cast<size_t>(y) * p.width + x];
  return out;
}

TEST_F(MclassifTest, StackedTimeSignaturesAreReadAsOne) {
  // The staff's lines lie at 100 .. 180, its middle line at 140.
  Patch p = Blank(24, 82);
  Fill(p, 3, 4, 21, 36);    // the upper number
  Fill(p, 8, 12, 14, 20);
  Fill(p, 2, 44, 22, 78);   // the lower number
  const Patch upper = Part(p, 0, 40);
  const Patch lower = Part(p, 40, 81);
  Use({ReferenceAt(FeaturesOf(upper), 404, 1500), ReferenceAt(FeaturesOf(lower), 408, 1500)});
  SymbolCandidates result{};
  int32_t height = 0;
  ClassifyAtomPatch(&result, p.ink.data(), 200, 100, 224, 182, &height);
  ASSERT_EQ(result.count, 1);
  EXPECT_EQ(result.entries[0].type, 1043);
  EXPECT_EQ(result.entries[0].cost, 0);
  EXPECT_EQ(height, 141);
}

TEST_F(MclassifTest, ATallShapeThatIsNoTimeSignatureIsClassifiedWhole) {
  Patch p = Blank(24, 82);
  Fill(p, 3, 4, 21, 36);
  Fill(p, 2, 44, 22, 78);
  const Patch upper = Part(p, 0, 40);
  Use({ReferenceAt(FeaturesOf(upper), 43, 1500), ReferenceAt(FeaturesOf(p), 42, 1600)});
  SymbolCandidates result{};
  ClassifyAtomPatch(&result, p.ink.data(), 200, 100, 224, 182, nullptr);
  ASSERT_GE(result.count, 1);
  EXPECT_EQ(result.entries[0].type, 42);
}

TEST_F(MclassifTest, AccidentalsSetTheReferenceHeight) {
  Patch natural = Blank(10, 30);
  Fill(natural, 2, 20, 8, 28);  // ink weighted low
  Use({ReferenceAt(FeaturesOf(natural), 92, 1500)});
  SymbolCandidates result{};
  int32_t height = 0;
  ClassifyAtomPatch(&result, natural.ink.data(), 300, 50, 310, 80, &height);
  ASSERT_EQ(result.count, 1);
  EXPECT_EQ(height, 50 + 24);  // mean of rows 20..27 is 23.5, rounded up

  Patch flat = Blank(12, 40);
  Fill(flat, 1, 0, 3, 40);   // the stem
  Fill(flat, 3, 30, 11, 38); // the bowl
  Use({ReferenceAt(FeaturesOf(flat), 91, 1500)});
  ClassifyAtomPatch(&result, flat.ink.data(), 300, 40, 312, 80, &height);
  ASSERT_EQ(result.count, 1);
  // Rows from 40 - 30 = 10 down, counting ink from column (40 - r) / 3.
  int64_t weighted = 0;
  int64_t ink = 0;
  for (int32_t r = 10; r < 40; ++r) {
    const int32_t from = std::min((40 - r) / 3, (12 + 3) / 3);
    for (int32_t c = from; c < 12; ++c)
      if (flat.at(r, c)) {
        weighted += r;
        ++ink;
      }
  }
  EXPECT_EQ(height, 40 + static_cast<int32_t>(DivRound64(weighted, ink)));
}

TEST_F(MclassifTest, Type800TestUsesThePageStaffSpace) {
  Patch p = Blob(20, 30);
  const std::vector<uint8_t> f = FeaturesOf(p);
  std::vector<uint32_t> words(p.ink.begin(), p.ink.end());
  for (uint32_t& w : words) w |= 0xABCD00;  // only the low byte is ink
  Use({ReferenceAt(f, 800, 3701)});
  EXPECT_EQ(PatchHasType800(words.data(), 20, 120), 0);
  Use({ReferenceAt(f, 800, 3700)});
  EXPECT_EQ(PatchHasType800(words.data(), 20, 120), 1);
  EXPECT_EQ(PatchHasType800(words.data(), 20, 4), 0);  // one row
  // The classifier never answers type 800.
  SymbolCandidates result{};
  ClassifySymbolPatch(p.ink.data(), &result, p.width, p.height, 0);
  EXPECT_EQ(result.count, 0);
}

}  // namespace
