// Seeds of the classifier database target: files written by the program's
// own savers, behind the byte that chooses the format.
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "shapes/ClassifierDatabases.h"
#include "shapes/NotationGroups.h"
#include "shapes/RunDescription.h"
#include "shapes/ZoneFeatureRecordHeader.h"

namespace {

void Seed(const std::string& folder, const std::string& name, uint8_t format, const std::vector<uint8_t>& file) {
  std::vector<uint8_t> bytes(1, format);
  bytes.insert(bytes.end(), file.begin(), file.end());
  fuzz::WriteSeed(folder, name, bytes.data(), bytes.size());
}

void PutU32(std::vector<uint8_t>* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace

KV_FUZZ_SEEDS(classifier_databases) {
  std::vector<uint8_t> file;
  ShapeDatabase shapes;
  if (SerializeShapeDatabase(shapes, &file)) Seed(folder, "shapes-empty", 0, file);
  // Two groups of 8 x 8 and one of 8 x 16 records, the tables and context rows.
  for (ZoneGrid grid : {ZoneGrid::k8x8, ZoneGrid::k8x16}) {
    const int recordBytes = ZoneFeatureRecordBytes(GridParameters(grid));
    for (int r = 0; r < (grid == ZoneGrid::k8x8 ? 16 : 8); ++r) {
      std::vector<uint8_t> record(recordBytes, 0);
      SetZoneHeaderType(record.data(), grid == ZoneGrid::k8x8 ? 16 + r / 8 : 2);
      SetZoneHeaderMatchTuning(record.data(), r % 4, r % 2 == 1, r % 3);
      SetZoneHeaderContextRow(record.data(), 1 + r % 2);
      for (int i = kZoneHeaderBytes; i < recordBytes; ++i) record[i] = static_cast<uint8_t>(i * 37 + r);
      shapes.records[static_cast<int>(grid)].insert(shapes.records[static_cast<int>(grid)].end(), record.begin(), record.end());
    }
  }
  for (int t = 0; t < kTypeCodes; ++t) shapes.ShapeTypePartTable[t] = static_cast<uint16_t>(t % 4), shapes.ShapeTypeFlagTable[t] = t % 2;
  ContextRow row{};
  for (int e = 0; e < 5; ++e) row[e] = {static_cast<uint16_t>(32 + e), 3, static_cast<uint16_t>(10 + e)};
  shapes.LeftContextList = {row, row};
  shapes.RightContextList = {row};
  if (SerializeShapeDatabase(shapes, &file)) Seed(folder, "shapes-trained", 0, file);

  NotationDatabase notation;
  if (SerializeNotationDatabase(notation, &file)) Seed(folder, "notation-empty", 1, file);
  for (int i = 0; i < 2; ++i) {
    std::vector<uint8_t> grid(64);
    for (int k = 0; k < 64; ++k) grid[k] = static_cast<uint8_t>((k * (i + 5)) % 16);
    std::vector<uint8_t> d(ShapeRunDescriptionMaxBytes(8, 8));
    BuildShapeRunDescription(grid.data(), 8, 8, -1, d.data());
    notation.descriptions.insert(notation.descriptions.end(), d.begin(), d.begin() + (d[0] | d[1] << 8));
  }
  notation.descriptionCount = 2;
  std::vector<uint8_t> group = {0, 0, 4, 1, kChunkHeader, static_cast<uint8_t>(kChunkHeaderLength), 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  uint8_t part[kChunkPartLength];
  WritePartChunk({0, 8, 24, 1, 6, 1}, part);
  group.insert(group.end(), part, part + sizeof part);
  group.insert(group.end(), {kChunkThresholds, static_cast<uint8_t>(kChunkThresholdsLength), 20, 0, 50, 0, 0, 0});
  group.insert(group.end(), {kChunkConfusions, 8, 2, 5, 1, 9, 2, 0});
  group.insert(group.end(), {kChunkFlag, static_cast<uint8_t>(kChunkFlagLength), 1, 2});
  group.insert(group.end(), {kChunkEnd, static_cast<uint8_t>(kChunkEndLength), 0, 0});
  PutU32(&group, 2);
  PutU32(&group, 0);
  PutU32(&group, notation.descriptions[0] | notation.descriptions[1] << 8);
  group[0] = static_cast<uint8_t>(group.size());
  notation.groups = group;
  notation.groupCount = 1;
  notation.NotationDarknessTable[1] = 35;
  if (SerializeNotationDatabase(notation, &file)) Seed(folder, "notation-trained", 1, file);
}
