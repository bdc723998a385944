// Refinement of trained notation templates: each group's run descriptions
// become fewer, more general templates (consensus runs, pairwise merging),
// with part records (the long dark runs every description of the group
// shares), "safe" and "maybe" distance thresholds and the list of (type,
// part) pairs the group is confused with. Statistics go to the classifier's
// debug lines.
#pragma once

#include <cstdint>
#include <vector>

#include "shapes/ClassifierDatabases.h"
#include "shapes/NotationGroups.h"

// Distance between a template and another description: 0 for the same
// shape, larger for worse; the refinement measures with ScoreShapeMatch
// unless a test gives its own.
using TemplateDistance = int (*)(const uint8_t* templ, const uint8_t* other);

struct RefinementSummary {
  int templates = 0;  // templates checked
  int correct = 0;    // of which the nearest other description had their class
};

// The part records of one group's descriptions (cols x rows grids): kept only
// when every description supports them and they span at most half the grid.
std::vector<RunPartRecord> DerivePartRecords(const std::vector<const uint8_t*>& descriptions);

// The refinement pass: rebuilds both blocks of a trained notation database
// (groups of type 255 dropped) and reports its statistics on the debug lines.
// False when a refined group would not fit its 16-bit length.
bool ReportClassifierPerformance(const NotationDatabase& trained, NotationDatabase* refined, TemplateDistance distance,
                                 RefinementSummary* summary = nullptr);
