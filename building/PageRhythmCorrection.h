// The rhythm pass over a page just read: after the last stave group has
// written the page's part streams, the bars of every part are measured to
// find the time signature the music fits, hidden time signatures are set to
// it where the page changes metre, and each bar is corrected by the rhythm
// search. Whatever the rhythm correction option, the page's bracketed
// tuplets are completed.
#pragma once

#include <cstdint>

#include "building/BuildContext.h"
#include "building/VoiceAssignment.h"
#include "reading/ReadingThread.h"
#include "score/BarEvents.h"
#include "score/Rhythm.h"

// The time signatures in force at the end of the score's streams, taken
// before a page is read (the score may change while the page is read).
struct ScoreSignatureSnapshot {
  bool overallKnown = false;  // at the score's last section, over all parts
  TimeSignatureValue overall;
  bool known[kPartSlots] = {};  // per part slot, at that slot's last section
  TimeSignatureValue slot[kPartSlots];
};
ScoreSignatureSnapshot SnapshotScoreSignatures(const StreamSet& score, int partCount,
                                               uint8_t version = ScoreFormatVersion);
// The same from the copy of the score taken when the reading started.
ScoreSignatureSnapshot SnapshotScoreSignatures(const ScoreSnapshot& score);

struct PageRhythmInput {
  StreamSet* streams = nullptr;  // the page's work streams
  int partCount = 0;             // the page's part slots: 1 .. partCount - 1 are parts
  ObjectBoxList* boxes = nullptr;
  ScoreSignatureSnapshot score;
  RhythmReadingOptions options;  // options.correction: the rhythm correction option
  bool tablature[kPartSlots] = {};  // per part slot: a tablature part (one voice)
};

// Candidate metres of the measuring, in the order they are tried.
struct MetreCandidate {
  int beats;
  int unit;
};
constexpr int kMetreCandidates = 15;
extern const MetreCandidate kMetreCandidateTable[kMetreCandidates];

// The page pass; 1. Fewer than 2 part slots leave the page alone.
int CorrectBarRhythms(PageRhythmInput* input);

// The reading thread's stage, over the reading's build context: the page's
// work streams and object boxes, the score as it was when the reading began.
int CorrectBarRhythmsStage(StageContext& context);
// The page pass over a build context.
int CorrectBarRhythms(BuildContext& context);

// The stave-group pass's step at each bar line: voices of the bar in
// [barStart, used) of the slot's work stream; 0 when the stream could not
// take the rewritten bar. rewrite (may be null) receives where the bar's
// items and box rows went.
int AssignBarVoicesStep(BuildContext& context, int slot, uint32_t barStart, int barBox, int numerator, int code,
                        StreamRewrite* rewrite = nullptr);

// A page just read into the score gets the many-errors flag of its page
// record when, counted by the bar rhythm check, at least 30 per cent of its
// checked bars do not add up. Nothing is marked (0) when the page was not
// merged, no bar was checked, or no time signature was seen while the rhythm
// correction option is off. With "Show AccuracyWarning dialog" off nothing is
// checked (1). Runs on the interface thread when the reading has ended.
int MarkInaccuratePage();
// The verdict alone, from the check's counts.
bool PageRhythmIsInaccurate(int32_t barsChecked, int32_t faultyBars, bool timeSignatureSeen, bool correctionOn);
