// What score building keeps between its steps, in a context that each caller
// owns: the reading thread has one for the page it reads (ReadingBuildContext),
// and a painter or a test that runs the same functions on another thread makes
// its own. Nothing of score building lives in process-wide variables.
//
// The reading thread never walks the score's own streams (the interface
// thread may change them while a page is read): StartReading takes a copy of
// what score building needs (TakeScoreSnapshot) and the steps read that.
#pragma once

#include <cstdint>
#include <vector>

#include "pages/PageData.h"
#include "reading/CurveItems.h"
#include "reading/ReadingThread.h"
#include "reading/RecognitionRecords.h"
#include "score/StaveTypes.h"
#include "score/BarEvents.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

// ---- The score as it was when the reading started ----

// One part slot's record as score building keeps it: the fields of the
// score's part records (score/ScoreStream.h) for that slot.
struct PartSlotRecord {
  char16_t name[kPartNameUnits] = {};  // PartNameTable
  PartTablature tablature{0, 0};       // PartTablatureFlags
  int16_t smallStave = 0;              // PartSmallStave
  int16_t flag = 0;                    // PartFlag
  int16_t fields[kPartFieldCount] = {};  // PartFields
};

// A part slot's record taken from the score, and written back into it.
PartSlotRecord ScorePartSlot(int slot);
void SetScorePartSlot(int slot, const PartSlotRecord& part);

struct ScoreSnapshot {
  std::vector<uint8_t> streams[kPartSlots];  // the used bytes of each score stream
  int32_t partCount = 0;                     // PartCount
  PartSlotRecord parts[kPartSlots];          // the part records
  int32_t pageCount = 0;                     // the score's pages
  uint8_t version = kCurrentScoreFormatVersion;
  bool rhythmCorrection = false;  // the Preferences' rhythm correction (off at every start)
  bool bracketTuplets = true;     // "Bracket tuplets"
  bool readText = false;          // text reading is on
};
// Interface thread: copies the score's streams, counts and the options that
// score building reads.
void TakeScoreSnapshot(ScoreSnapshot* snapshot);

// ---- The page's lists as the reading thread hands them over ----

constexpr int kCharTextUnits = 16;
constexpr int kWordTextUnits = 160;

// Text records, laid out as the work lists hold them (52 and 340 bytes).
struct CharRecord {
  char16_t text[kCharTextUnits];  // NUL-ended
  uint16_t kind;                  // the text's meaning; 255 consumed
  int16_t left, top, right, bottom;
  int16_t baseline;               // the y reference
  int16_t anchor;                 // low byte: the style byte
  uint16_t spare;
  uint32_t flags;                 // 2: an alternative reading
};
static_assert(sizeof(CharRecord) == kCharRecordBytes, "a character record is 52 bytes");

struct WordRecord {
  char16_t text[kWordTextUnits];  // NUL-ended
  uint16_t kind;
  int16_t left, top, right, bottom;
  int16_t baseline;
  int16_t anchor;                 // distance from the nearer page side; low byte the style
  uint16_t spare;
  uint32_t flags;
};
static_assert(sizeof(WordRecord) == kWordRecordBytes, "a word record is 340 bytes");

constexpr uint16_t kTextConsumed = 255;
// A sub-item's text link: this bit selects a word record, else a character record.
constexpr uint32_t kWordLinkBit = 0x1000;

// A chord grid found on the page: the base fret (255: no grid), six string
// values 0..7, the chord's name and the grid's box.
struct ChordGridRecord {
  uint8_t baseFret;
  uint8_t strings[6];
  uint8_t spare;
  char16_t name[16];
  int16_t left, top, right, bottom;
};

struct PageLists {
  SymbolRecord* symbols = nullptr;
  uint32_t* symbolCount = nullptr;
  NoteRecord* notes = nullptr;
  uint32_t* noteCount = nullptr;
  CurveItem* curves = nullptr;  // list A: slurs and ties
  uint32_t curveCount = 0;
  LineItem* lines = nullptr;    // list B: hairpin lines
  uint32_t lineCount = 0;
  CharRecord* chars = nullptr;
  uint32_t* charCount = nullptr;
  WordRecord* words = nullptr;
  uint32_t* wordCount = nullptr;
  // The page's chord grids, which a chord or rest's grid mark (176) links
  // by index; no recognition stage finds grids yet, so the reading leaves
  // the list empty.
  const ChordGridRecord* grids = nullptr;
  uint32_t gridCount = 0;
  StaveRow* rows = nullptr;
  int staveCount = 0;
};

// ---- The rhythm work's own state ----

constexpr int kVoices = 4;
struct RhythmWorkState {
  uint8_t voiceInUse[kVoices] = {};  // AlignVoiceTimes' in-use flags
  int32_t beats = -1;                // the bar in force: beats and unit code
  int32_t unit = -1;
  uint32_t searchCalls = 0;          // the search's call counter
  uint32_t arrangements = 0;         // arrangements tried in the current bar
  int32_t bestCost = 0;
  std::vector<uint8_t> bestArrangement;  // the search's best arrangement so far
};

// ---- The context ----

struct BuildContext;
// The bar voice analysis over one bar of a part's work stream: bytes
// [barStart, used), the bar's first box row, the time signature in force
// (numerator, code; -1 unknown) and the slot. Returns 0 when the stream
// could not be changed; score building then goes on with the bar as it is.
// It tells in rewrite where the bar's items and box rows went, so that the
// places the pass holds follow them (nothing moved: left as it came).
using BarVoiceStep = int (*)(BuildContext& context, int slot, uint32_t barStart, int barBox, int numerator,
                             int code, StreamRewrite* rewrite);

// The text items of a system (title, lyrics, chord symbols, grids ...), written
// by the text-item writers; a null member leaves those records unwritten.
struct TextItemWriters {
  // One item of text code `code` for the linked record (a word when link has
  // kWordLinkBit, else a character record), measured from referenceX and the
  // stave row's middle; it ensures its own room, records the box and consumes
  // the record. 1 when written.
  int (*text)(BuildContext& context, int slot, int code, uint32_t link, int32_t referenceX,
              const StaveRow& row) = nullptr;
  // A chord grid item for the grid record of link, measured from referenceX.
  int (*chordGrid)(BuildContext& context, int slot, uint32_t link, int32_t referenceX, const StaveRow& row) = nullptr;
  // The page-level texts of all unconsumed records into slot 0; 0 when the
  // stream cannot grow.
  int (*pageTexts)(BuildContext& context) = nullptr;
  // Runs once a page right after the part slots have reset the meaning of
  // the page's text records: gives the kinds the word pass tests.
  void (*prePassKinds)(BuildContext& context) = nullptr;
};

constexpr int kMaxStavesPerSystem = kPartSlots - 1;  // 12

struct BuildContext {
  ScoreSnapshot snapshot;
  PageLists lists;
  PageData* page = nullptr;
  StreamSet* streams = &WorkStream;    // the page's own part streams
  int32_t resolution = 300;            // dots per inch of the page
  int32_t scorePage = 1;               // the page's 1-based place in the score
  int32_t ReadingPartCount = 0;        // slots of the reading (slot 0 the base part)
  // The reading's part records: the snapshot's, and the slots from
  // firstNewSlot to ReadingPartCount as the page opens them. The score takes
  // them only when the page is merged (ApplyReadPagePartSlots).
  PartSlotRecord parts[kPartSlots];
  int32_t firstNewSlot = 0;
  uint8_t version = kCurrentScoreFormatVersion;

  // Kept from group to group of a page, and from the snapshot across pages.
  uint32_t clefType[kPartSlots] = {};
  uint32_t clefOctave[kPartSlots] = {};
  bool clefsKnown = false;
  int32_t previousJoin = 0;            // chord building's last join result
  uint32_t pageStreamsBuilt = 0;
  uint32_t systemsCut = 0;             // systems of more than 12 staves met on the page

  int32_t stemOffsetScale = 4;         // multiplier of the fine unit in a note's stem x

  RhythmWorkState rhythm;
  BarVoiceStep barVoices = nullptr;    // null: bars keep the voices read
  TextItemWriters textItems;
};

// The context of the reading in progress (reading thread; the interface
// thread writes its snapshot before the thread starts).
BuildContext& ReadingBuildContext();
// Interface thread, from StartReading: a fresh context for the next page
// with a new snapshot of the score. The bar voice step and the text-item
// writers stay.
void PrepareReadingBuildContext();
// Takes the stage context's lists, rows and page into the context.
void BindStageContext(BuildContext& context, const StageContext& stage);
// Whether the reading's part slot is a tablature part (false for a slot out
// of range).
bool IsTablatureSlot(const BuildContext& context, int slot);

// ---- Units ----

// Page pixels to stream units (1/127 inch), rounded.
int32_t StreamUnits(const BuildContext& context, double pixels);
// Page pixels to a sign-magnitude millimetre byte.
uint8_t TextOffsetByte(const BuildContext& context, double pixels);

// ---- Streams and object boxes ----

// Room for n more bytes in the slot's work stream; 0 when it cannot grow.
int EnsureStreamRoom(BuildContext& context, int slot, uint32_t n);
// Appends bytes (room ensured by the caller: false and nothing written when
// the stream lacks it).
bool AppendStreamBytes(BuildContext& context, int slot, const uint8_t* bytes, uint32_t n);
// Inserts bytes at offset, moving the tail up (room ensured by the caller).
bool InsertStreamBytes(BuildContext& context, int slot, uint32_t offset, const uint8_t* bytes, uint32_t n);

constexpr int kMaxObjectBoxes = kMaxLoadedBoxes;  // 4096 rows for the items of a page
struct ObjectBox {
  int16_t left, right, top, bottom;
};
int BoxCount(const BuildContext& context);
// Appends one row; an item past the list's room stays unboxed (false).
bool AppendObjectBox(BuildContext& context, ObjectBox box, float score);
// Inserts a row at index (at most the count), moving later rows up; at a full
// list the last row falls off. False when index lies past the count. The
// rule is the box list's own (InsertObjectBoxRow, score/BarEvents.h).
bool InsertObjectBox(BuildContext& context, int index, ObjectBox box, float score);
// The page's object boxes as a box list (empty without a page); a change of
// its count is the caller's to store back (page->boxCount).
ObjectBoxList ContextObjectBoxes(const BuildContext& context);
ObjectBox ObjectBoxAt(const BuildContext& context, int index);
