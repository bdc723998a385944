// The bar rhythm check: walks the part streams bar by bar, adds up the four
// voices of each bar and compares them with the bar length of the time
// signature in force. One walk serves three callers:
//   - saving the score and writing MIDI (warning mode): when faulty bars
//     exist, the "Rhythm warning" question lists their pages;
//   - the reading pipeline (count mode): the bars checked and the faulty
//     bars of one page, and whether a time signature was seen;
//   - the score painter (marking mode): the closed bars of the page shown,
//     with what it needs to draw the marks of the faulty ones.
#pragma once

#include <cstdint>
#include <vector>

#include "score/PageMarks.h"
#include "score/Rhythm.h"

constexpr int kMaxFaultyPages = 20;
// Pages the warning's text names before " and more...".
constexpr int kFaultyPagesShown = 6;

enum class RhythmWalkMode {
  kWarning,  // the whole score
  kCount,    // one page
  kMarking,  // the page before the given one and the given one; bars of the given page recorded
};

// What the walk reads: the streams, the part count, the format version and
// where each page begins in each part slot.
struct RhythmScoreView {
  const StreamSet* streams = nullptr;
  int partCount = 0;
  uint8_t version = ScoreFormatVersion;
  const uint32_t (*pageStarts)[kPageStartSlots] = nullptr;  // pageCount rows
  int pageCount = 1;
};
// The score in memory: ScoreStream, PartCount, ScoreFormatVersion,
// PageStarts and ScorePages.count.
RhythmScoreView CurrentRhythmScoreView();

constexpr uint32_t kNoOffset = 0xFFFFFFFF;

// One closed bar of the marked page.
struct BarRhythmMark {
  int part = 0;
  // The bar-line item that closes the bar, or, for a bar closed by the end of
  // its staff without a bar line of its own, the bar boundary.
  uint32_t offset = 0;
  bool ownBarLine = true;  // false: the painter draws the open-bar marker
  bool checked = false;    // the bar was judged (false for an open bar)
  bool faulty = false;
  // Where the bar starts: the right edge of the previous bar line's row, or,
  // when there is none on the staff, the x of the staff-start item.
  uint32_t previousBarLine = kNoOffset;
  uint32_t staffStart = kNoOffset;  // the last kind-7 item of sub-kind 16
  VoiceTotals times;                // as the voices stood when the bar closed
  int beats = 4;
  int unit = 5;
  bool tupletSeen[kRhythmVoices] = {};
};

struct BarRhythmReport {
  int32_t barsChecked = 0;
  int32_t faultyBars = 0;
  bool timeSignatureSeen = false;
  int pages[kMaxFaultyPages] = {};  // 1-based, in the order found, no duplicates
  int pageCount = 0;
  std::vector<BarRhythmMark> marks;  // marking mode only
};

// Walks the view. page is 1-based (count and marking modes); a page outside
// 1..pageCount checks nothing.
void WalkBarRhythms(const RhythmScoreView& view, RhythmWalkMode mode, int page, BarRhythmReport* report);

// The page text of the warning: the faulty pages sorted, the first six
// joined by ", ", then " and more..." when there are seven or more.
void FormatFaultyPages(const BarRhythmReport& report, char16_t* out, int capacity);

// What the check asks of the windows; the shell installs them.
struct RhythmCheckHooks {
  // Shows the wait cursor (true) or the arrow again (false).
  void (*showWaitCursor)(bool wait) = nullptr;
  // The "Rhythm warning" question with the page text: 1 go on, 0 stop.
  int (*askRhythmWarning)(const char16_t* pages) = nullptr;
};
// Installs hooks (a null member keeps the one in force); returns the old set.
RhythmCheckHooks SetRhythmCheckHooks(const RhythmCheckHooks& hooks);
void ResetRhythmCheckHooks();

// The check on the score in memory.
//  - mode 1: marks of the given page (-1: the current score page) into marks;
//    nothing while "Show bad timing" is off. Returns 1.
//  - mode 0 with faultyBars: counts the given page, no question; while
//    "Show AccuracyWarning dialog" is off the out-values are set to 0
//    (nothing checked). Returns 1.
//  - mode 0 without: the whole score; while "Show BTWarning dialog" is off
//    returns 1 at once. With faulty bars the question decides: 1 go on, 0
//    the caller abandons its save or export.
int CheckBarRhythms(int mode, int32_t* barsChecked, int32_t* faultyBars, bool* timeSignatureSeen, int page,
                    std::vector<BarRhythmMark>* marks = nullptr);

// The score file writer's hook: the warning mode.
int CheckBarRhythmsBeforeSave();
