// The page description: the engine's result for the application, as pages,
// systems, staves, time slots and events, with text, dynamics, repeat marks,
// pedal marks and ornaments per stave and slurs per system. The engine builds
// it (this header); the application reads it only through the accessors of
// Mscrptio.h.
//
// Positions are script units, sixteenths of a staff space: x from the staff's
// left end, y below the staff's top line.
#pragma once

#include <cstdint>

#include "Code/Quorm/Geometry.h"
#include "Code/Quorm/Intmath.h"

constexpr int32_t kScriptLengthLimit = 0x1FFFF;  // |pixels| must stay below it
constexpr int32_t kMaxGroupNotes = 10;
constexpr int32_t kMaxBeamGroups = 100;
constexpr int32_t kMaxGroupMarks = 6;

enum MscriptEventKind : int32_t {
  kEventNoteGroup = 0,
  kEventClef = 1,
  kEventKeySignature = 2,
  kEventTimeSignature = 3,
  kEventBarline = 4,
};

enum MscriptNoteType : int32_t {
  kNoteBreve = 0, kNoteSBreve = 1, kNoteMinim = 2, kNoteSolid = 3, kNoteGrace = 4,
  kBreveRest = 5, kSBreveRest = 6, kMinimRest = 7, kCrotchetRest = 8, kQuaverRest = 9,
  kSQuaverRest = 10, kDSQuaverRest = 11, kHDSQuaverRest = 12, kMultiBarRest = 13, kInvisibleRest = 14,
};

struct MscriptNote {          // 13 words
  int32_t x;                  // horizontal place (script units once added)
  int32_t place;              // vertical place below the top line (script units)
  int32_t object;             // the found notehead or rest
  int32_t accidental;         // accidental code
  int32_t accidentalRefs[3];  // count (0..2), then up to two fixed-size symbols
  int32_t cost;
  int32_t accidentalCost;
  int32_t pageX;
  int32_t pageY;
  int32_t type;               // MscriptNoteType
  int32_t step;               // staff step
};
static_assert(sizeof(MscriptNote) == 52, "13 words");

struct MscriptNoteGroup {  // the 692-byte note-group body
  int32_t x;               // left place of the group (script units)
  int32_t pageX;
  int32_t topPlace;        // least and greatest place of its notes
  int32_t bottomPlace;
  int32_t stemX;
  int32_t stemObject;
  int32_t barCount;        // bars of a multi-bar rest
  int32_t word7;
  int32_t dots;            // 0..3
  int32_t noteCount;       // 1..10
  MscriptNote notes[kMaxGroupNotes];
  int32_t flagCount;
  int32_t beamGroup;       // groups that share a beam share the index
  int32_t beamGroupSize;
  int32_t leftBeams;
  int32_t rightBeams;
  int32_t stemEnd;
  int32_t stemDirection;   // 0: the stem goes up (the extreme place is the least)
  int32_t markFlags;       // one bit per head-mark family of its notes
  int32_t tupletNumber;    // 0 outside a tuplet; a page's tuplets count from 1
  int32_t tupletScaleNumerator;    // the tuplet's scale of its notes' lengths,
  int32_t tupletScaleDenominator;  // 2/3 for a triplet
  // The marks of its heads (articulations, ornaments, fingerings, ...): the
  // mark's symbol type and the fixed-size symbol it was read from; unused
  // pairs are zero.
  int32_t marks[kMaxGroupMarks][2];
  int32_t spare[10];
};
static_assert(sizeof(MscriptNoteGroup) == 692, "note-group body is 692 bytes");

// Clef (9 words), key signature (8), time signature (10): word 0 the code,
// word 1 the vertical place (page y when given, script units once added),
// word 2 the horizontal place (page x, then script units), the rest as given.
// Bar line (9 words): word 0 the code, words 1 and 2 its two x values (page,
// then script units), word 8 zero for a bar line that ends the slot.
constexpr int32_t kClefWords = 9;
constexpr int32_t kKeySignatureWords = 8;
constexpr int32_t kTimeSignatureWords = 10;
constexpr int32_t kBarlineWords = 9;
constexpr int32_t kEventBodyWords = 173;

struct MscriptEvent {
  int32_t kind;  // MscriptEventKind
  union {
    MscriptNoteGroup group;
    int32_t words[kEventBodyWords];
  };
};
static_assert(sizeof(MscriptEvent) == 696, "kind and a 692-byte body");

struct MscriptTimeSlot {
  int32_t word0;
  PackedFraction time;  // 0 when created
  int32_t word2;
  int32_t eventCount;
  int32_t eventCapacity;
  MscriptEvent* events;
};

struct MscriptWord {
  int32_t value;  // handed by the text stage
  int32_t leftX;
  int32_t rightX;
  EngineBox box;  // page pixels
  char text[32];  // at most 31 characters
  int32_t thirdX;
  int32_t reserved[2];
};

struct MscriptTextLine {
  int32_t place;
  int32_t textHeight;  // sixteenths of a staff space
  int32_t value;
  EngineBox box;
  int32_t wordCount;
  MscriptWord* words;
};

struct MscriptTextItem {
  int32_t place;
  int32_t x;
  int32_t x2;
  int32_t textHeight;
  EngineBox box;
  int32_t value1;  // 5 when cleared
  int32_t value2;  // 0 when cleared
  char text[112];  // at most 100 characters and a NUL
};

struct MscriptMark {  // a dynamic or a repeat mark
  int32_t code;
  int32_t place;  // at the centre
  int32_t centreX;
  int32_t leftX;
  int32_t rightX;
  EngineBox box;
  int32_t unused[4];  // -1
};
using MscriptDynamic = MscriptMark;
using MscriptRepeatMark = MscriptMark;

struct MscriptPedalOrnament {
  int32_t code;
  int32_t place;
  int32_t centreX;
  EngineBox box;
  int32_t unused[2];  // -1
};

struct MscriptSlur {  // 21 words
  int32_t leftY, leftX, rightY, rightX;  // script units
  int32_t curvature;                     // script units, limited
  EngineBox pageEnds;                    // the four page coordinates as given
  int32_t pageCurvature;
  int32_t links[11];                     // words 10..20
};
static_assert(sizeof(MscriptSlur) == 84, "21 words");

struct MscriptStave {
  int32_t word0;
  int32_t joined;  // nonzero: joined to the next stave of the system
  int32_t word2;   // -1 when cleared
  int32_t words3to6[4];
  int32_t leftX;
  int32_t systemTop;
  int32_t systemHeight;
  int32_t height;  // script units, 64 when cleared
  int32_t slotCount;
  int32_t slotCapacity;
  MscriptTimeSlot* slots;
  int32_t textLineCount;
  MscriptTextLine* textLines;
  int32_t textItemCount;
  MscriptTextItem* textItems;
  int32_t dynamicCount;
  MscriptDynamic* dynamics;
  int32_t repeatMarkCount;
  MscriptRepeatMark* repeatMarks;
  int32_t pedalOrnamentCount;
  MscriptPedalOrnament* pedalOrnaments;
};

struct MscriptSystem {
  int32_t leftX, topY, height, width;  // pixels, from the corner points
  int32_t staveCount;
  MscriptStave* staves;
  int32_t slurCapacity;
  int32_t slurCount;
  MscriptSlur* slurs;
};

struct MscriptPage {
  int32_t sizeY, sizeX;  // the page size in script units
  int32_t imageWidth, imageHeight;
  int32_t scale[3];      // page staff space, largest staff space, skew
  int32_t staffSpace;    // x1024
  int32_t systemCount;
  MscriptSystem* systems;
  char imageName[264];
};

struct PageDescription {
  int32_t pageCount;
  MscriptPage* pages;
  char title[256];
  int32_t resetFlag;
  int32_t word120;
  int32_t word64;
};

// ---- Units ----
// 2 x round(8 v / S) with S the page staff space; |v| below 0x1FFFF.
int32_t ScriptLength(int32_t pixels);
// Distance from the staff's left end, clamped at 0, in script units.
int32_t ToScriptX(int32_t x, int32_t staff);
// Place below the staff's top line at the column, in the staff's own space.
int32_t ToScriptY(int32_t y, int32_t x, int32_t staff);

// ---- Skew: points between the de-skewed frame and the page ----
// (y + RoundQ10(a - x k), x + RoundQ10(y k + b)); a negative result is a
// failed check.
EnginePoint ApplySkew(int32_t y, int32_t x, int32_t slope, int32_t offsetA, int32_t offsetB);
// The inverse; negative results become 0.
EnginePoint RemoveSkew(int32_t y, int32_t x, int32_t slope, int32_t offsetA, int32_t offsetB);

// ---- Build side (staves are engine staff indexes; the last page) ----
void ResetPageDescription(const char* title);
// Returns the option's value when it is set, else the staves of the first
// system (65 when the page has none).
int32_t AddPageDescription(const char* imageName);
void AddTimeSlot(int32_t staff);
void AddTimeSlotEvent(int32_t staff, int32_t kind, const int32_t* body, int32_t words);
void AddClefEvent(int32_t staff, const int32_t* record);          // 9 words
void AddKeySignatureEvent(int32_t staff, const int32_t* record);  // 8 words
void AddTimeSignatureEvent(int32_t staff, const int32_t* record); // 10 words
void AddBarlineEvent(int32_t staff, const int32_t* record);       // 9 words
void AddNoteGroupEvents(int32_t staff, const MscriptNoteGroup* bodies, int32_t n);
void FinishTimeSlot(int32_t staff);
// Slur ends (y, x) and curvature in page pixels.
void AddSystemSlur(int32_t system, EnginePoint left, EnginePoint right, int32_t curvature);
void AddStaveTextLine(int32_t staff, int32_t value, EngineBox box, int32_t textHeight);
void AddTextLineWord(int32_t staff, int32_t value, EngineBox box, const char* text, int32_t hyphenated);
void AddStaveTextItem(int32_t staff, EngineBox box, int32_t textHeight, const char* text);
void AddStaveDynamic(int32_t staff, int32_t code, EngineBox box);
void AddStaveRepeatMark(int32_t staff, int32_t code, EngineBox box);
void AddStavePedalOrnament(int32_t staff, int32_t code, EngineBox box);
// The module's free function: every page with its lists; page count 0.
void FreePageDescription();

// Note-group tests.
int32_t IsRestGroup(const MscriptNoteGroup& group);
int32_t IsGraceGroup(const MscriptNoteGroup& group);
int32_t GroupExtremePlace(const MscriptNoteGroup& group);

// The description itself, for the accessors and tests.
const PageDescription& GetPageDescription();
