// The notehead finder and its table: heads are sought where the ends of
// horizontal black runs on a staff position match curved edge templates at a
// plausible width; each candidate is classified against the notehead
// references, and a page-wide width statistic penalises widths that do not
// fit the page. One record per found head, read through range-checked
// accessors by the later stages, pixel erasing and the page description.
#pragma once

#include <cstdint>

#include "Code/Quorm/Geometry.h"

constexpr int32_t kMaxHeadModel = 8;  // models 0..8 (3 and 8 share tables)
// Cost of a refused candidate.
constexpr int32_t kRefusedHeadCost = 100000;
// A candidate whose patch holds more pixels than this is refused.
constexpr int32_t kMaxHeadPatchPixels = 10000;

struct FoundNotehead {
  int32_t leftX;
  int32_t rightX;
  int32_t centreY;           // pixels
  int32_t staff;
  int32_t step;              // staff step
  int32_t model;             // as recorded: 0, 1, 2 or 4
  int32_t rawCost;
  int32_t attachmentState;   // 0 none; 1..3 one attachment; 5..7 two
  int32_t attachmentTag;
  EnginePoint firstPoint;    // -1 when unset
  EnginePoint secondPoint;   // -1 when unset
  uint8_t attachedAbove;
  uint8_t attachedBelow;
  uint8_t attachedMax;
  uint8_t small;             // 1: found by a small-head (cue-size) model, 4 to 7
  int32_t pointCount;        // 0..6
  EnginePoint points[6];
  int32_t mark;
};

struct NoteheadPlace {
  int32_t y;
  int32_t staff;
  int32_t step;
};

// Appends a head; the four attachment-point words start at -1 whatever the
// record holds. Returns its index.
int32_t AddFoundNotehead(const FoundNotehead& head);
int32_t GetNoteheadCount();
// Accessors: index checked 0..count-1.
FoundNotehead GetFoundNotehead(int32_t i);
int32_t GetNoteheadY(int32_t i);
int32_t GetNoteheadLeftX(int32_t i);
int32_t GetNoteheadRightX(int32_t i);
NoteheadPlace GetNoteheadPlace(int32_t i);
int32_t GetNoteheadModel(int32_t i);
// 1 when head i was found by one of the small-head models (4 to 7), else 0.
int32_t GetNoteheadSmall(int32_t i);
// The raw cost normalised to Q10 against the head's model:
// DivRound(max(0, cost - B) x 1024, L + P/8 - B), B the model's cost bias, L
// its reference limit and P the penalty sum of its candidate table.
int32_t GetNoteheadCost(int32_t i);
// The penalty sum of a model's candidate table (0 until the finder sets it).
void SetNoteheadPenaltySum(int32_t model, int32_t sum);
int32_t GetNoteheadPenaltySum(int32_t model);
// The attachment state (0 none; 1..3 one attachment of that kind; 5..7 two),
// and the tag of the last attachment through tag (may be null).
int32_t GetNoteheadAttachment(int32_t i, int32_t* tag);
EnginePoint GetNoteheadFirstPoint(int32_t i);   // -1, -1 when unset
EnginePoint GetNoteheadSecondPoint(int32_t i);  // -1, -1 when unset
int32_t GetNoteheadAttachedMax(int32_t i);
// Copies the stored points as (row, column) pairs into out12 (12 words) and
// returns their number.
int32_t GetNoteheadPoints(int32_t i, int32_t* out12);
int32_t GetNoteheadMark(int32_t i);

// Records an attachment of a kind (1, 2 or 3) at a point: from no attachment
// the state becomes the kind; 1 + 3 -> 6, 2 + 2 -> 5, 2 + 3 -> 7, 3 + 2 -> 7,
// 3 + 1 -> 6, any other pair leaves state and points. A change from one
// attachment to two stores the second point. The tag is stored always.
void AttachToNotehead(int32_t i, int32_t row, int32_t column, int32_t kind, int32_t tag);
// Counts one attached object below the head (when the head's centre lies
// above row) or at or above it; stores and returns the larger count.
int32_t CountNoteheadAttachment(int32_t i, int32_t row);
// Stores a point while fewer than six are stored; a seventh is ignored.
void AddNoteheadPoint(int32_t i, int32_t row, int32_t column);
void MarkNotehead(int32_t i);

// One straight piece of a head's outline: start, end and its middle.
struct HeadOutlineSegment {
  int32_t startY;
  int32_t startX;
  int32_t endY;
  int32_t endX;
  int32_t centreY;
  int32_t centreX;
};
constexpr int32_t kHeadOutlineSegments = 14;
// Fills 14 segments round head i (models 0, 1 and 4 one outline, model 2
// another; any other model is a failed check).
void GetNoteheadOutline(int32_t i, HeadOutlineSegment* path);

// The driver: finds the heads of every staff with a staff space of at least
// five pixels, on the staff's steps and on and beside its ledger lines, and
// gives each head its two anchor points. Needs the staff table, the page
// scale, the ledger lines, the object points and the notehead references.
// A model is searched only when the references hold a usable one of a class
// that matches it.
void DetectNoteheads();
// Whether the driver searches with a model (its option is on and a usable
// reference of a matching class is loaded).
int32_t NoteheadModelSearched(int32_t model);
// The patch a candidate of a model is classified from: rows centre +- f S
// (f = 0.66 for model 2, 0.41 for model 4, else 0.62), columns from
// round(left - w g) to round(right + w g) (g = 0.07 for model 4, else 0.105),
// w = right - left; S the staff space x1024, centre x1024. 0 when the patch
// is refused (more than 10000 pixels, or a side the edge features refuse).
struct HeadPatchBox {
  int32_t top;
  int32_t left;
  int32_t rows;
  int32_t columns;
};
int32_t NoteheadPatchBox(int32_t model, int32_t staffSpace, int32_t centre1024, int32_t left, int32_t right,
                         HeadPatchBox* box);
// Whether a reference of that variant may be used under the options.
int32_t NoteheadVariantUsable(int32_t variant);
// Candidates of a model's table after the last run (refused ones cut off).
int32_t GetNoteheadCandidateCount(int32_t model);
// Removes the head's two anchor points; the object graph calls it when it
// drops a head.
void ReleaseNotehead(int32_t i);
// The module's free function: heads, candidates, runs, templates and work
// arrays, penalty sums.
void FreeNoteheads();
