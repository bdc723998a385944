// The notehead table: one record per found head, read through range-checked
// accessors by the later stages, pixel erasing and the page description.
#pragma once

#include <cstdint>

#include "Code/Quorm/Geometry.h"

constexpr int32_t kMaxHeadModel = 8;  // models 0..8 (3 and 8 share tables)

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
  uint8_t spare;
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
// The raw cost normalised to Q10 against the head's model:
// DivRound(max(0, cost - B) x 1024, L + P/8 - B), B the model's cost bias, L
// its reference limit and P the penalty sum of its candidate table.
int32_t GetNoteheadCost(int32_t i);
// The penalty sum of a model's candidate table (0 until the finder sets it).
void SetNoteheadPenaltySum(int32_t model, int32_t sum);
// The module's free function: heads and penalty sums.
void FreeNoteheads();
