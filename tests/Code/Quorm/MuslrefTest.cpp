// Music reference data, reading side: size test, distances, the extra
// features of a patch and the time-signature types.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Muslref.h"

namespace {

class MuslrefTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitialiseIntMath();
    InitialiseEdgeFeatureTables();
    saved_ = LoadedMusicReferences();
  }
  void TearDown() override { LoadedMusicReferences() = saved_; }
  MusicReferenceStore saved_{};
};

TEST_F(MuslrefTest, SizeWindowsInPerCentOfTheStaffSpace) {
  MusicReference r{};
  r.minWidth = 50;
  r.maxWidth = 100;
  r.minHeight = 200;
  r.maxHeight = 300;
  LoadedMusicReferences().music = &r;
  LoadedMusicReferences().musicCount = 1;
  const int32_t s = 20 * 1024;  // 20 pixels
  EXPECT_EQ(MusicReferenceFitsSize(10, 40, s, 0), 1);
  EXPECT_EQ(MusicReferenceFitsSize(20, 60, s, 0), 1);
  EXPECT_EQ(MusicReferenceFitsSize(9, 40, s, 0), 0);
  EXPECT_EQ(MusicReferenceFitsSize(21, 40, s, 0), 0);
  EXPECT_EQ(MusicReferenceFitsSize(10, 61, s, 0), 0);
  EXPECT_EQ(MusicReferenceFitsSize(10, 39, s, 0), 0);
}

TEST_F(MuslrefTest, DistanceWeighsTheExtraFeaturesEightTimes) {
  MusicReference r{};
  std::vector<uint8_t> features(kMusicFeatureCount, 10);
  for (int k = 0; k < 90; ++k) r.edgeRefs[2 * k] = 10;
  for (int k = 0; k < 4; ++k) r.extraRefs[2 * k] = 10;
  r.extraRefs[0] = 13;  // one extra feature 3 apart
  LoadedMusicReferences().music = &r;
  LoadedMusicReferences().musicCount = 1;
  const int32_t same = EdgeCostTableEntry(0, 0);
  EXPECT_EQ(MusicReferenceDistance(features.data(), 0), 90 * same + 8 * (3 * same + EdgeCostTableEntry(0, 3)));
  EXPECT_EQ(GetMusicReferenceCount(), 1);
}

TEST_F(MuslrefTest, ExtraFeaturesOfAPatch) {
  const int32_t s = 20 * 1024;
  std::vector<uint8_t> patch(300 * 20, 0);
  uint8_t f[kMusicFeatureCount];
  ClassifyMusicPatch(f, patch.data(), 0, 20, s);
  EXPECT_EQ(f[91], 0);        // no width
  EXPECT_EQ(f[90], 0);        // aspect angle of a zero-wide patch
  EXPECT_EQ(f[93], 0);
  ClassifyMusicPatch(f, patch.data(), 20, 20, s);
  EXPECT_NEAR(f[90], 128, 1);  // 45 degrees
  EXPECT_NEAR(f[91], 64 * std::log(5.0), 1);
  EXPECT_EQ(f[91], f[92]);
  ClassifyMusicPatch(f, patch.data(), 280, 20, s);  // 14 staff spaces
  EXPECT_EQ(f[91], 255);
  ClassifyMusicPatch(f, patch.data(), 240, 20, s);  // 12 staff spaces
  EXPECT_LT(f[91], 255);
}

TEST(TimeSignatureTypes, NumbersAndTheirPairs) {
  for (int32_t t : {402, 403, 404, 405, 406, 407, 409, 412}) EXPECT_EQ(IsTimeNumeratorType(t), 1) << t;
  for (int32_t t : {401, 408, 410, 416}) EXPECT_EQ(IsTimeNumeratorType(t), 0) << t;
  for (int32_t t : {402, 404, 408, 416}) EXPECT_EQ(IsTimeDenominatorType(t), 1) << t;
  for (int32_t t : {403, 412}) EXPECT_EQ(IsTimeDenominatorType(t), 0) << t;
  EXPECT_EQ(TimeSignatureTypeOfNumbers(404, 416), 1044);
  EXPECT_EQ(TimeSignatureTypeOfNumbers(412, 408), 1123);
  EXPECT_EQ(TimeSignatureTypeOfNumbers(403, 402), 1031);
  EXPECT_THROW(TimeSignatureTypeOfNumbers(408, 404), EngineFailure);
}

}  // namespace
