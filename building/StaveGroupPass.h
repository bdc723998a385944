// The stave-group pass: the last step of reading one system. The system's
// recognised records (symbols, note records, their marks and texts) become
// the items of the page's part streams, one stream per stave of the system,
// each item with its object box in the page data. Chords are built by
// ChordBuilding.h; the voices of each finished bar by the bar voice step of
// the context.
#pragma once

#include <cstdint>

#include "building/BuildContext.h"
#include "reading/ReadingThread.h"

// A beam group's tuplet candidate of one voice.
struct VoiceTuplet {
  int64_t position = -1;  // stream offset of the group's first chord; -1 closed
  int boxIndex = 0;
  int notes = 0;
  int32_t duration = 0;   // 1/128 notes
  int charIndex = -1;     // the tuplet-number character, -1 none
};

// A curve (slur or tie) that started at a chord of this part and waits for
// its end: where its mark item stands, its voice and the first note's place.
struct OpenCurve {
  int64_t position = -1;  // -1: free
  uint32_t curve = 0;     // index in the curve list
  int voice = 0;
  int step = 0;
};
constexpr int kOpenCurveSlots = 16;

// The state of one part slot while the pass walks its records.
struct PartPass {
  int slot = 1;
  int stave = 0;          // stave number within the system (slot - 1)
  int row = -1;           // its stave row, -1 when the system lacks it
  int numerator = -1;     // the time signature in force
  int code = -1;
  uint32_t barStart = 0;
  int barBox = 0;
  uint32_t growthMark = 0;
  bool firstItem = true;       // the system position item is still to come
  bool firstRecord = true;     // the hidden time-signature pair is still to come
  bool nothingWritten = true;  // no symbol consumed yet
  VoiceTuplet voices[kVoices];
  OpenCurve curves[kOpenCurveSlots];
};

// The score's bytes kept to one item's worth: what an item write may take
// at most before the next room check.
constexpr uint32_t kPartRoomStep = 16384;
constexpr uint32_t kPartRoomLeft = 8192;

// Writes the system's items. rows[firstRow, endRow) are the system's staves.
// 1 on success, 0 when a stream cannot be grown (the page is abandoned).
int InterpretStaveSymbols(BuildContext& context, int firstRow, int endRow);
int InterpretStaveSymbolsStage(StageContext& stage);

// ---- Shared with chord building ----

// Appends one item with its box (items past the box list's room stay
// unboxed). False when the stream had no room.
bool WritePartItem(BuildContext& context, PartPass& part, const uint8_t* bytes, uint32_t n, ObjectBox box,
                   float score);
// Room for at least kPartRoomLeft more bytes; 0 when the stream cannot grow.
int EnsurePartRoom(BuildContext& context, PartPass& part);
// The hidden time-signature pair written before a part's first rest or chord
// while rhythm correction is on (once per part).
bool WriteFirstRecordPair(BuildContext& context, PartPass& part);
// The y of a stave step (4 = top line, one step half a space) at x.
int32_t StaveStepY(const StaveRow& row, int32_t x, int step);
// The stave row of a stave number of the system, or -1.
int SystemStaveRow(const BuildContext& context, int firstRow, int endRow, int stave);
// Closes the open beam-group tuplet of a voice (inserting its tuplet number
// when the digit matches the counted notes).
void InsertTupletNumber(BuildContext& context, PartPass& part, int voice);
// Carries every place the part holds in its stream and box list (bar start,
// beam-group starts, curves waiting for their ends) across one change of the
// stream. Every change made while a part is being written goes through it.
void MoveHeldPlaces(PartPass& part, const StreamRewrite& rewrite);
