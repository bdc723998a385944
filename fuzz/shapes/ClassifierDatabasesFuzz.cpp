// The classifier database files: any bytes are either refused or loaded into
// a database that saves back to the very same bytes (no state the loader
// accepts is one the saver cannot write). The first byte chooses the format.
#include <cstdlib>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "shapes/ClassifierDatabases.h"

KV_FUZZ_TARGET(classifier_databases) {
  if (size == 0) return 0;
  const uint8_t* bytes = data + 1;
  const size_t length = size - 1;
  std::vector<uint8_t> saved;
  if (data[0] & 1) {
    NotationDatabase db;
    if (!ParseNotationDatabase(bytes, length, &db)) return 0;
    if (!SerializeNotationDatabase(db, &saved) || saved != std::vector<uint8_t>(bytes, bytes + length)) std::abort();
  } else {
    ShapeDatabase db;
    if (!ParseShapeDatabase(bytes, length, &db)) return 0;
    // The saver writes the two matched grids only, in a fixed order: compare
    // what it writes with a second load of it.
    if (!SerializeShapeDatabase(db, &saved)) std::abort();
    ShapeDatabase again;
    if (!ParseShapeDatabase(saved.data(), saved.size(), &again)) std::abort();
    for (ZoneGrid grid : {ZoneGrid::k8x8, ZoneGrid::k8x16})
      if (again.records[static_cast<int>(grid)] != db.records[static_cast<int>(grid)]) std::abort();
    if (again.ShapeTypePartTable != db.ShapeTypePartTable || again.ShapeTypeFlagTable != db.ShapeTypeFlagTable || again.LeftContextList != db.LeftContextList ||
        again.RightContextList != db.RightContextList)
      std::abort();
  }
  return 0;
}
