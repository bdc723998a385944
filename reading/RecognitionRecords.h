// The records that the recognition stages of one page share with score
// building: note records with their sub-items, symbol records and the stem
// side records of the note-value step. They live in the reading thread's work
// lists (fixed capacities, below) and are copied whole; they are never
// written to a file, so their layout is only the one fixed here.
//
// Names used by score building for the same fields:
//   note voice            -> NoteRecord::aux
//   staff position        -> NoteRecord::step (half spaces upward; on a
//                            five-line stave lines 12..20, middle line 16)
//   first / second stem flag -> stemDown / stemRight
//   beam-start flag       -> countRight
//   stem counts / offsets -> stemLength / stemOffset
//   vertical unit         -> space
//   cross-stave offset    -> crossStave (signed: negative above)
//   head flag byte        -> recordClass
//   deferral mark, chord flag, group id, notehead kind, f32 score
//                         -> members of their own (deferral, chordFlag,
//                            groupId, noteheadKind, buildScore)
//   symbol voice          -> SymbolRecord::aux
//   symbol rest flags     -> SymbolRecord::restFlags
//   symbol sub-items      -> SymbolRecord::appenditures / appenditureCount
//   symbol score (f32)    -> SymbolRecord::buildScore
//   symbol hidden flag    -> SymbolRecord::hidden
//   sub-item text link    -> Appenditure::markIndex
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kMaxAppenditures = 10;

// A sub-item of a note or symbol: an attached dot, accidental, curve mark or
// text. Twelve 16-bit words.
struct Appenditure {
  int16_t left;
  int16_t right;
  int16_t top;
  int16_t bottom;
  uint16_t kind;      // 32/33 dots, 128..134 accidentals, 144..159 text, 160..167 curve marks
  int16_t quality;    // counts while below 6
  int16_t stave;      // the owner's stave
  int16_t spare7;
  uint32_t markIndex; // curve item, hairpin line or text record the item refers to
  int16_t score;      // 100 when imported
  int16_t spare11;
};
static_assert(sizeof(Appenditure) == 24, "an appenditure is twelve words");
static_assert(offsetof(Appenditure, markIndex) == 16, "markIndex at word 8");

// Note kinds (NoteRecord::kind).
enum NoteKind : uint32_t {
  kNoteSemiquaver = 3,
  kNoteQuaver = 4,
  kNoteCrotchet = 5,
  kNoteMinim = 6,
  kNoteSemibreve = 7,
  kNoteBreve = 8,
  kNoteTabNumber = 15,
};

// The size value from which a note or rest is cue-size.
constexpr int16_t kCueSize = 100;

// NoteRecord::recordClass
constexpr uint8_t kNoteHeadRecord = 0;
constexpr uint8_t kRestWaitingRecord = 4;
// A record counts while its quality is below this.
constexpr int16_t kRejectedQuality = 6;

// One notehead (or a rest travelling with the notes) of the page: 174 words.
struct NoteRecord {
  int16_t left;          // 0: head box, page pixels
  int16_t right;         // 1
  int16_t aux;           // 2: voice
  int16_t top;           // 3
  int16_t bottom;        // 4
  int16_t stemEndTop;    // 5: vertical extent of the stem's far end (stem scan)
  int16_t stemEndBottom; // 6
  int16_t step;          // 7: half spaces upward, lineCount + 26 - note position
  uint32_t kind;         // 8-9: NoteKind
  int16_t dots;          // 10: 0..3
  int16_t dotsHigh;      // 11: always 0, so words 10-11 read as one value give dots
  Appenditure appenditures[kMaxAppenditures];  // 12-131
  int16_t appenditureCount;  // 132
  int16_t quality;       // 133: lower is better, 6 or more rejected
  int16_t stave;         // 134: stave number within its group
  int16_t ledgerCount;   // 135: 1 for a head found by the ledger search
  int16_t confidence;    // 136: per cent
  uint8_t marks[4];      // 137-138
  int16_t origin;        // 139: 100 engine head, 6 searched head
  uint32_t chordTop;     // 140-141
  uint32_t chordBottom;  // 142-143
  uint32_t stemDown;     // 144-145
  uint32_t stemRight;    // 146-147
  uint32_t beamed;       // 148-149: 0 or 1
  uint32_t countRight;   // 150-151: 0 or 1
  int16_t stemLength[4]; // 152-155: up-left, up-right, down-left, down-right; in stave spaces
  int16_t stemOffset[4]; // 156-159: low byte the offset, high byte the strength
  int16_t staveTopY;     // 160: y of the stave's top line at left
  int16_t space;         // 161: stave space in pixels
  int8_t crossStave;     // 162 low: the engine's stave offset of the note
  uint8_t fret;          // 162 high: fret of a tablature number
  uint16_t groupId;      // 163: score building's chord group
  uint32_t uncertain;    // 164-165
  uint32_t uncertain2;   // 166-167
  uint8_t recordClass;   // 168 low: kNoteHeadRecord or kRestWaitingRecord
  uint8_t chordFlag;     // 168 high: score building's chord flag
  int16_t deferral;      // 169: score building's deferral mark (-1000 while deferred)
  float buildScore;      // 170-171: score building's score
  int16_t size;          // 172: 100 or more for a cue-size (small) head, 0 for a full-size one
  int16_t noteheadKind;  // 173: score building's notehead kind 0..3
};
static_assert(sizeof(NoteRecord) == 348, "a note record is 174 words");
static_assert(offsetof(NoteRecord, kind) == 16, "kind at words 8-9");
static_assert(offsetof(NoteRecord, appenditures) == 24, "sub-items from word 12");
static_assert(offsetof(NoteRecord, appenditureCount) == 264, "sub-item count at word 132");
static_assert(offsetof(NoteRecord, origin) == 278, "origin at word 139");
static_assert(offsetof(NoteRecord, stemDown) == 288, "stemDown at words 144-145");
static_assert(offsetof(NoteRecord, stemLength) == 304, "stem lengths from word 152");
static_assert(offsetof(NoteRecord, staveTopY) == 320, "staveTopY at word 160");
static_assert(offsetof(NoteRecord, uncertain) == 328, "uncertain at words 164-165");
static_assert(offsetof(NoteRecord, recordClass) == 336, "record class at word 168");
static_assert(offsetof(NoteRecord, buildScore) == 340, "score at words 170-171");

// One recognised symbol other than a notehead: 150 words.
struct SymbolRecord {
  int16_t type;          // w0: symbol type
  int16_t spare1;        // w1
  uint32_t count;        // w2-3: dots of a rest, accidentals of a key, bars of a multi-bar rest
  int16_t stepTop;       // w4: stave step 0..15 (top line 4)
  int16_t stepBottom;    // w5
  int16_t left;          // w6
  int16_t right;         // w7
  int16_t quality;       // w8
  int16_t spare9;        // w9
  uint32_t flag10;       // w10-11: classifier attribute flag
  int16_t variant;       // w12
  int16_t aux;           // w13: voice
  int16_t restFlags;     // w14: score building's rest flag word
  int16_t spare15;       // w15
  int16_t stave;         // w16: stave number within its group
  int16_t confidence;    // w17: per cent
  int16_t attr18;        // w18
  int16_t score;         // w19: base score
  int16_t leftContext;   // w20: 1-based context row, 0 none
  int16_t rightContext;  // w21
  int16_t staveTopY;     // w22
  int16_t space;         // w23
  Appenditure appenditures[kMaxAppenditures];  // w24-143
  int16_t appenditureCount;  // w144
  int16_t size;          // w145: 100 or more for a cue-size (small) rest, 0 for a full-size one
  float buildScore;      // w146-147: score building's confidence score
  uint32_t hidden;       // w148-149: score building's hidden flag
};
static_assert(sizeof(SymbolRecord) == 300, "a symbol record is 150 words");
static_assert(offsetof(SymbolRecord, count) == 4, "count at d1");
static_assert(offsetof(SymbolRecord, flag10) == 20, "flag at d5");
static_assert(offsetof(SymbolRecord, stave) == 32, "stave at w16");
static_assert(offsetof(SymbolRecord, space) == 46, "space at w23");
static_assert(offsetof(SymbolRecord, appenditures) == 48, "sub-items from w24");
static_assert(offsetof(SymbolRecord, appenditureCount) == 288, "sub-item count at w144");
static_assert(offsetof(SymbolRecord, hidden) == 296, "hidden flag at w148-149");

// Symbol types that the stages and score building share.
enum SymbolType : int16_t {
  kSymbolAltoClef = 5,
  kSymbolTrebleClef = 2,
  kSymbolBassClef = 8,
  kSymbolFlatKey = 16,
  kSymbolSharpKey = 17,
  kSymbolDigitZero = 32,
  kSymbolCommonTime = 42,
  kSymbolCutTime = 43,
  kSymbolBarline = 48,
  kSymbolRestBase = 64,   // 64 + note kind
  kSymbolHemidemisemiquaverRest = 65,
  kSymbolDemisemiquaverRest = 66,
  kSymbolMultiBarRest = 73,
};

// One side of a stem candidate: the flags or beams found there.
struct StemSide {
  uint8_t markCount;     // flags or beams on this side, 0..5
  uint8_t runCount;      // sloped line runs found, 0..10
  uint8_t stubCount;
  uint8_t spare;
  uint16_t markTop[5];
  uint16_t markBottom[5];
  uint16_t runTop[10];
  uint16_t runBottom[10];
  uint16_t massTop;      // flag mode: the solid mass along the stem
  uint16_t massBottom;
  uint16_t markLength[5];
  uint16_t spare2;
  int32_t markSlope;     // tangent x 4096; the left side holds the negated value
};
static_assert(sizeof(StemSide) == 84, "a stem side is 84 bytes");
static_assert(offsetof(StemSide, markSlope) == 80, "slope closes the side");

// StemRecord::sideFlags
constexpr uint32_t kRightSideCrossesStave = 1;
constexpr uint32_t kLeftSideBeams = 2;
constexpr uint32_t kRightSideBeams = 4;
constexpr uint32_t kLeftSideCrossesStave = 16;

// The side record of one stem candidate of one note record.
struct StemRecord {
  StemSide left;
  StemSide right;
  uint32_t sideFlags;
};
static_assert(sizeof(StemRecord) == 172, "a stem record is two sides and a flags word");

// Capacities of the reading thread's work lists.
constexpr int kSymbolListCapacity = 1040;
constexpr int kSymbolListLimit = 1024;
constexpr int kNoteListCapacity = 4112;
constexpr int kNoteListLimit = 4096;
constexpr int kCurveAItemBytes = 10;
constexpr int kCurveAListCapacity = 528;
constexpr int kCurveBItemBytes = 20;
constexpr int kCurveBListCapacity = 784;
constexpr int kCharRecordBytes = 52;
constexpr int kCharListCapacity = 1296;
constexpr int kWordRecordBytes = 340;
constexpr int kWordListCapacity = 272;
constexpr int kExtraListBytes = 6912;
