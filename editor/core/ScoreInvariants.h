// The rules every edited score keeps. Tests run the check after each edit;
// debug builds assert after every write that an edit left a sound score
// sound. Each fault names its rule, so that a test can look for one.
#pragma once

#include <string>
#include <vector>

#include "pages/PageData.h"
#include "score/ItemSelection.h"

enum class ScoreRule {
  kPartCount,      // 1 to 13 parts
  kStreamTiles,    // every part's stream is a gap-free run of whole items
  kStreamEnd,      // each part's stream ends in one end mark, and holds no other
  kPageMarks,      // one page mark a page in every part
  kSystemMarks,    // every part has as many system marks on each page
  kPageStarts,     // the page starts and page count equal a recount
  kIndexRows,      // index rows point at item starts of the current page
  kObjectBoxes,    // one object box per index row
  kSelection,      // selected, hover and listed rows name live rows
  kChordNotes,     // 1 to 31 notes, never two on one position or string
  kMarkSpans,      // tuplet, slur and tie spans of 1..16383, tuplets of 2 or more notes
  kFileRoundTrip,  // the score writes and reads back byte for byte
  kExport,         // both exporters accept the score
};

struct ScoreFault {
  ScoreRule rule;
  std::string detail;
};

struct ScoreCheckOptions {
  // The boxes to hold against the index (null: the rows are not compared
  // with any boxes; a page without boxes is not compared either).
  const PageData* page = nullptr;
  // A folder for the round trip and the exports (UTF-16, no trailing
  // separator); empty: those two rules are not checked.
  std::u16string scratchFolder;
};

// Checks the score (the part streams of view, the part records, the page list
// and page starts) and the view's index and selection; no faults when sound.
std::vector<ScoreFault> CheckScore(const ScoreViewItems& view, const ScoreCheckOptions& options = {});
bool HasFault(const std::vector<ScoreFault>& faults, ScoreRule rule);
// One line per fault, for test output.
std::string DescribeFaults(const std::vector<ScoreFault>& faults);
