// What the score targets share: a scratch page store and resource folder for
// the process, the score state reset before every run, and a copy of the
// score state for the round trips.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "score/ScoreFile.h"
#include "score/ScoreStream.h"

namespace fuzz {

// Once per process: the data folder (with its page store) and the resource
// folder (with the General MIDI table) in the scratch folder.
void PrepareScoreFolders();

// An empty score: streams, part records, page list, sizes, document, the
// name cache and the tab-rhythm setting as at start-up; the open queue empty.
void ResetScoreState();

// Removes the page data files that the score's page rows name (a read writes
// them), so that the scratch page store does not grow run after run.
void RemoveScorePageData();

// Everything a score file keeps, as it stands in memory.
struct ScoreSnapshot {
  std::vector<uint8_t> streams[kPartSlots];
  int32_t partCount = 0;
  uint8_t version = 0;
  std::u16string names[kPartSlots];
  PartTablature tablature[kPartSlots] = {};
  int16_t smallStave[kPartSlots] = {};
  int16_t flag[kPartSlots] = {};
  int16_t fields[kPartSlots][kPartFieldCount] = {};
  ScorePageSizes sizes = {};
  int32_t pageCount = 0;
  ScorePageRow rows[kMaxScorePages] = {};
  uint32_t second[kMaxScorePages] = {};

  static ScoreSnapshot Take();
  // The first difference, or empty when both are the same.
  std::string Difference(const ScoreSnapshot& other) const;
};

// Aborts with a note on stderr (the fuzzer keeps the input).
[[noreturn]] void Fail(const std::string& what);

// The size of a file, or -1 when it cannot be read.
long long FileBytes(const std::u16string& path);

}  // namespace fuzz
