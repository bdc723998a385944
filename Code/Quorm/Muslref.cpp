// Music reference data, reading side: the loaded sets, their size test, the
// feature distances, the 94 features of a patch and the time-signature types.
// The files are read by the engine's data-file loaders into the store below.
#include "Code/Quorm/Muslref.h"

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Intmath.h"

namespace {

constexpr int32_t kLn4Q20 = 1453635;  // ln 4 in units of 2^-20

struct TimeNumber {
  int32_t type;
  int32_t value;  // base (top) or k (bottom)
};
constexpr TimeNumber kTopNumbers[] = {{402, 1020}, {403, 1030}, {404, 1040}, {405, 1050},
                                      {406, 1060}, {407, 1070}, {409, 1090}, {412, 1120}};
constexpr TimeNumber kBottomNumbers[] = {{402, 1}, {404, 2}, {408, 3}, {416, 4}};

template <size_t N>
const TimeNumber* FindNumber(const TimeNumber (&table)[N], int32_t type) {
  for (const TimeNumber& t : table)
    if (t.type == type) return &t;
  return nullptr;
}

// About 64 ln(4 v / S + 1), clamped to a byte.
uint8_t LogSizeFeature(int32_t v, int32_t staffSpace1024) {
  const int64_t s = staffSpace1024;
  const int64_t numerator = (static_cast<int64_t>(v) * 4096 + s) * 256;
  int64_t value = (static_cast<int64_t>(IntLog(numerator)) + kLn4Q20 - IntLog(s * 1024)) >> 14;
  if (value < 0) value = 0;
  if (value > 255) value = 255;
  return static_cast<uint8_t>(value);
}

}  // namespace

int32_t GetMusicReferenceCount() { return LoadedMusicReferences().musicCount; }

int32_t GetMusicReferenceType(int32_t r) { return LoadedMusicReferences().music[r].type; }

int32_t MusicReferenceFitsSize(int32_t width, int32_t height, int32_t staffSpace1024, int32_t r) {
  const MusicReference& ref = LoadedMusicReferences().music[r];
  const int64_t s = staffSpace1024;
  const int64_t w = static_cast<int64_t>(width) * 102400;
  const int64_t h = static_cast<int64_t>(height) * 102400;
  return w >= ref.minWidth * s && w <= ref.maxWidth * s && h >= ref.minHeight * s && h <= ref.maxHeight * s;
}

int32_t MusicReferenceDistance(const uint8_t* features94, int32_t r) {
  const MusicReference& ref = LoadedMusicReferences().music[r];
  return WeightedFeatureDistance(features94, ref.edgeRefs, kEdgeFeatureCount) +
         8 * WeightedFeatureDistance(features94 + kEdgeFeatureCount, ref.extraRefs, 4);
}

int32_t GetNoteheadReferenceCount() { return LoadedMusicReferences().noteheadCount; }

int32_t NoteheadReferenceDistance(const uint8_t* features90, int32_t r) {
  return WeightedFeatureDistance(features90, LoadedMusicReferences().noteheads[r].edgeRefs, kEdgeFeatureCount);
}

int32_t GetNoteheadReferenceClass(int32_t r) { return LoadedMusicReferences().noteheads[r].headClass; }

int32_t GetNoteheadReferenceVariant(int32_t r) { return LoadedMusicReferences().noteheads[r].variant; }

int32_t GetNoteheadClassVariants(int32_t headClass) {
  if (headClass < 0 || headClass > kMaxHeadClass) return 0;
  return LoadedMusicReferences().headClassVariants[headClass];
}

void ClassifyMusicPatch(uint8_t* features94, const uint8_t* patch, int32_t width, int32_t height,
                        int32_t staffSpace1024) {
  ENGINE_CHECK_POINTER(features94);
  ENGINE_CHECK(staffSpace1024 > 0);
  ComputeEdgeFeaturesFull(features94, nullptr, nullptr, patch, width, height);
  features94[90] = static_cast<uint8_t>(RoundQ10(Atan2Centidegrees(width, height) * 29));
  features94[91] = LogSizeFeature(width, staffSpace1024);
  features94[92] = LogSizeFeature(height, staffSpace1024);
  features94[93] = 0;
}

int32_t IsTimeNumeratorType(int32_t type) { return FindNumber(kTopNumbers, type) != nullptr; }

int32_t IsTimeDenominatorType(int32_t type) { return FindNumber(kBottomNumbers, type) != nullptr; }

int32_t TimeSignatureTypeOfNumbers(int32_t topType, int32_t bottomType) {
  const TimeNumber* top = FindNumber(kTopNumbers, topType);
  const TimeNumber* bottom = FindNumber(kBottomNumbers, bottomType);
  ENGINE_CHECK(top != nullptr && bottom != nullptr);
  return top->value + bottom->value;
}
