// The one table of the score's item encoding: kinds, lengths, fields and the
// rules that depend on the format version. Every walker of a part stream
// steps with ItemLength (or its bounded form) and every field is read and
// written through the accessors here.
//
// An item's kind is the low three bits of its first byte b0; b1, b2 ... are
// the bytes that follow.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- Format version ---------------------------------------------------------

constexpr uint8_t kCurrentScoreFormatVersion = 5;
// The version by which the items in memory are laid out; only the score file
// reader changes it. Below 3 texts are 8-bit, from 3 on UTF-16LE.
extern uint8_t ScoreFormatVersion;

// ---- Kinds ------------------------------------------------------------------

enum ItemKind : uint8_t {
  kItemBarLine = 0,    // bar lines and structure marks, 1 byte
  kItemClef = 1,       // 2 bytes
  kItemKey = 2,        // key signature, 1 byte
  kItemTime = 3,       // time signature, 2 bytes
  kItemChord = 4,      // chord or single note, 5 + notes
  kItemRest = 5,       // rest or multi-bar rest, 2 bytes
  kItemMark = 6,       // tuplets, slurs and other spanning marks, 5 bytes
  kItemText = 7,       // texts and other long items, variable
};

inline ItemKind KindOf(const uint8_t* item) { return static_cast<ItemKind>(item[0] & 7); }

// ---- Kind 0: bar lines and structure marks ----------------------------------

// Whole first bytes of the three structure marks (codes 16, 17 and 18).
enum : uint8_t {
  kBarBoundary = 0x80,
  kPageMark = 0x88,
  kEndOfScore = 0x90,
};
inline uint8_t BarCode(const uint8_t* item) { return item[0] >> 3; }
inline bool IsStructureMark(const uint8_t* item) {
  return item[0] == kBarBoundary || item[0] == kPageMark || item[0] == kEndOfScore;
}
inline bool IsPageMark(const uint8_t* item) { return item[0] == kPageMark; }
inline bool IsEndOfScore(const uint8_t* item) { return item[0] == kEndOfScore; }

// Bar-line styles: codes 0..9 of a kind-0 item, as the painter draws them.
enum BarLineStyle : uint8_t {
  kBarSingle = 0,
  kBarDouble = 1,
  kBarFinal = 2,
  kBarRepeatEnd = 3,
  kBarRepeatStart = 4,
  kBarRepeatBoth = 5,
  kBarDashed = 6,
  kBarStyle7 = 7,
  kBarStyle8 = 8,
  kBarStyle9 = 9,  // format version 5 only
};
constexpr uint8_t kBarStyleCount = 10;
inline uint8_t MakeBarLine(uint8_t style) { return static_cast<uint8_t>(style << 3); }

// ---- Kind 1: clef -----------------------------------------------------------

enum ClefCode : uint8_t {
  kClefFrenchTreble = 0,
  kClefTreble = 1,
  kClefSoprano = 2,
  kClefMezzoSoprano = 3,
  kClefAlto = 4,
  kClefTenor = 5,
  kClefBaritone = 6,
  kClefBass = 7,
  kClefPercussion = 8,
  kClefPercussion2 = 9,
  kClefTablature = 10,  // from format version 4
};
enum OctaveShift : uint8_t {
  kOctaveNone = 0,
  kOctaveDown = 1,
  kOctaveUp = 2,
  kOctaveDownTwo = 3,
  kOctaveUpTwo = 4,
};
inline uint8_t ClefCodeOf(const uint8_t* item) { return (item[0] >> 3) & 15; }
inline uint8_t ClefOctaveShift(const uint8_t* item) { return item[1] & 7; }
inline bool IsPercussionClef(uint8_t code) { return code == kClefPercussion || code == kClefPercussion2; }
void SetClef(uint8_t* item, uint8_t code, uint8_t octaveShift);

// ---- Kind 2: key signature ----------------------------------------------------

inline uint8_t KeyAccidentalCount(const uint8_t* item) { return (item[0] >> 4) & 7; }
inline bool KeyIsSharps(const uint8_t* item) { return (item[0] & 0x08) != 0; }
// Version 5: a key signature that playback does not apply.
inline bool KeyIsNotPlayed(const uint8_t* item) { return (item[0] & 0x80) != 0; }
uint8_t MakeKeySignature(uint8_t count, bool sharps, bool notPlayed);

// ---- Kind 3: time signature ---------------------------------------------------

inline uint8_t TimeNumerator(const uint8_t* item) { return item[0] >> 3; }
inline uint8_t TimeDenominatorCode(const uint8_t* item) { return item[1] & 7; }
inline uint32_t TimeDenominator(const uint8_t* item) { return 128u >> TimeDenominatorCode(item); }
inline bool TimeIsHidden(const uint8_t* item) { return (item[1] & 0x80) != 0; }
void SetTimeSignature(uint8_t* item, uint8_t numerator, uint8_t denominatorCode, bool hidden);

// ---- Kind 4: chord or note ------------------------------------------------------

constexpr uint32_t kChordHeaderBytes = 5;
constexpr uint32_t kMaxChordNotes = 31;
constexpr uint32_t kMaxItemBytesExceptText = kChordHeaderBytes + kMaxChordNotes;  // 36

// Duration codes: note value 1/128 x 2^code.
enum DurationCode : uint8_t {
  kDuration128th = 0,
  kDuration64th = 1,
  kDuration32nd = 2,
  kDuration16th = 3,
  kDurationEighth = 4,
  kDurationQuarter = 5,
  kDurationHalf = 6,
  kDurationWhole = 7,
  kDurationBreve = 8,
};
// Accidentals of a note byte.
enum NoteAccidental : uint8_t {
  kAccidentalNone = 0,
  kAccidentalNatural = 1,
  kAccidentalSharp = 2,
  kAccidentalFlat = 3,
  kAccidentalDoubleSharp = 4,
  kAccidentalDoubleFlat = 5,
  kAccidentalNaturalSharp = 6,
  kAccidentalNaturalFlat = 7,
};
// Placement of a chord across staves (format version 5).
enum ChordPlacement : uint8_t { kPlacementOwnStave = 0, kPlacementAbove = 1, kPlacementBelow = 2 };
constexpr uint8_t kBottomStaveLinePosition = 12;

inline uint8_t ChordNoteCount(const uint8_t* item) { return item[0] >> 3; }
inline uint8_t ChordDurationCode(const uint8_t* item) { return (item[1] >> 2) & 15; }
inline uint8_t ChordDots(const uint8_t* item) { return item[1] >> 6; }
inline uint8_t ChordPlacementOf(const uint8_t* item) { return (item[2] >> 3) & 3; }
inline uint8_t ChordBoxWidening(const uint8_t* item) { return item[2] >> 5; }
inline uint8_t ChordNotehead(const uint8_t* item) { return item[4] & 3; }
inline uint8_t ChordVoice(const uint8_t* item) { return (item[4] >> 3) & 3; }
inline bool ChordStemBit(const uint8_t* item) { return (item[4] & 0x20) != 0; }
inline bool ChordBeamedToNext(const uint8_t* item) { return (item[4] & 0x40) != 0; }
inline bool ChordStartsBeamGroup(const uint8_t* item) { return (item[4] & 0x80) != 0; }
inline uint8_t NotePosition(const uint8_t* item, unsigned note) { return item[kChordHeaderBytes + note] & 31; }
inline uint8_t NoteAccidentalOf(const uint8_t* item, unsigned note) { return item[kChordHeaderBytes + note] >> 5; }

void SetChordNoteCount(uint8_t* item, uint8_t count);
void SetChordDuration(uint8_t* item, uint8_t durationCode, uint8_t dots);
void SetChordPlacement(uint8_t* item, uint8_t placement);
void SetChordNotehead(uint8_t* item, uint8_t notehead);
void SetChordVoice(uint8_t* item, uint8_t voice);
void SetChordStemBit(uint8_t* item, bool set);
void SetChordBeamedToNext(uint8_t* item, bool set);
void SetChordStartsBeamGroup(uint8_t* item, bool set);
void SetNote(uint8_t* item, unsigned note, uint8_t position, uint8_t accidental);

// ---- Kind 5: rest and multi-bar rest ---------------------------------------------

inline bool IsMultiBarRest(const uint8_t* item) { return (item[0] & 0x08) != 0; }
inline uint8_t RestDurationCode(const uint8_t* item) { return (item[0] >> 4) & 7; }
inline uint8_t RestDots(const uint8_t* item) { return item[1] & 3; }
inline uint8_t RestFields(const uint8_t* item) { return (item[1] >> 2) & 15; }
inline uint8_t RestVoice(const uint8_t* item) { return item[1] >> 6; }
inline uint32_t MultiBarRestBars(const uint8_t* item) { return (item[0] >> 4) + 16u * (item[1] & 63); }

void SetRest(uint8_t* item, uint8_t durationCode, uint8_t dots, uint8_t voice);
void SetRestFields(uint8_t* item, uint8_t fields);
// bars 0..1023
void SetMultiBarRest(uint8_t* item, uint32_t bars, uint8_t voice);

// ---- Kind 6: spanning marks -----------------------------------------------------

constexpr uint8_t kMarkSubKindHidden = 15;
constexpr uint32_t kMarkSpanMask = 0x3FFF;

inline uint8_t MarkSubKind(const uint8_t* item) { return (item[0] >> 3) & 15; }
inline uint8_t MarkVoice(const uint8_t* item) { return item[2] >> 6; }
// The 14-bit span: b1 + 256 x (b2 bits 0-5).
inline uint32_t MarkSpan(const uint8_t* item) { return item[1] + 256u * (item[2] & 63); }
void SetMarkSpan(uint8_t* item, uint32_t span);
void SetMarkVoice(uint8_t* item, uint8_t voice);

// ---- Kind 7: texts and long items -----------------------------------------------

enum TextSubKind : uint8_t {
  kTextPlain = 0,
  kTextLyric = 1,
  kTextRehearsal = 4,
  kTextTitle = 5,
  kTextComposer = 6,
  kTextLyricist = 7,
  kTextCopyright = 8,
  kTextSubKind9 = 9,     // version 5
  kTextSubKind10 = 10,   // version 5
  kTextExtraByte = 12,   // version 5: one extra byte ahead of the text
  kTextChordSymbol = 14,
  kTextChordGrid = 16,
  kTextGeneral = 17,
  kTextHairpin18 = 18,
  kTextHairpin19 = 19,
  kTextPageNumber = 20,
  kTextDynamic = 21,
  kTextTechnique = 22,
  kTextTempo = 23,
  kTextSubtitle = 25,
};

inline uint8_t TextSubKindOf(const uint8_t* item) { return item[0] >> 3; }
// Bytes of the length field plus the first byte: 2 below version 3, else 3.
inline uint32_t TextHeaderBytes(uint8_t version) { return version < 3 ? 2u : 3u; }
inline uint32_t TextPayloadLength(const uint8_t* item, uint8_t version) {
  return version < 3 ? item[1] : item[1] + 256u * item[2];
}
// Offset of the text: 4 (8-bit) below version 3, 5 (UTF-16LE) from 3 on; one
// more for sub-kind 12.
uint32_t TextStart(const uint8_t* item, uint8_t version);
inline bool TextIsWide(uint8_t version) { return version >= 3; }
// Bytes of text that the item holds (its length less the text start; 0 when
// the item is too short to hold any).
uint32_t TextByteCount(const uint8_t* item, uint8_t version);
// Writes the payload length for a version (b1, or b1-b2 little-endian).
void SetTextPayloadLength(uint8_t* item, uint32_t payload, uint8_t version);

// ---- Lengths and walking --------------------------------------------------------

// The length of the item at item, from its first bytes. Never fails; it trusts
// the bytes (use ItemLengthWithin for data not yet checked).
uint32_t ItemLength(const uint8_t* item, uint8_t version);
inline uint32_t ItemLength(const uint8_t* item) { return ItemLength(item, ScoreFormatVersion); }
// How many first bytes are needed to know the item's length (1, 2 or 3).
uint32_t ItemLengthBytesNeeded(uint8_t firstByte, uint8_t version);
// The bounded form: false when fewer than the needed first bytes remain or the
// item claims more than remaining bytes; true with the length otherwise.
bool ItemLengthWithin(const uint8_t* item, size_t remaining, uint8_t version, uint32_t* length);

enum class WalkResult {
  kComplete,   // walked exactly to the used length
  kStopped,    // the visitor asked to stop
  kMalformed,  // an item at the reported offset is cut or overruns the used length
};

// Steps through a stream, never reading beyond used. The visitor is called as
// visit(offset, item, length) and returns true to go on.
template <class Visitor>
WalkResult WalkStream(const uint8_t* stream, uint32_t used, uint8_t version, Visitor&& visit,
                      uint32_t* badOffset = nullptr) {
  uint32_t offset = 0;
  while (offset < used) {
    uint32_t length = 0;
    if (!ItemLengthWithin(stream + offset, used - offset, version, &length)) {
      if (badOffset) *badOffset = offset;
      return WalkResult::kMalformed;
    }
    if (!visit(offset, stream + offset, length)) return WalkResult::kStopped;
    offset += length;
  }
  return WalkResult::kComplete;
}

// True when the stream is a gap-free sequence of items that ends exactly at used.
bool IsStreamWellFormed(const uint8_t* stream, uint32_t used, uint8_t version,
                        uint32_t* badOffset = nullptr);

// A cursor for walkers that need to look around: Next() moves to the next
// item and answers false at the end or at a malformed item (Malformed() tells).
class ItemCursor {
 public:
  ItemCursor(const uint8_t* stream, uint32_t used, uint8_t version)
      : stream_(stream), used_(used), version_(version) {}
  bool Next();
  const uint8_t* Item() const { return stream_ + offset_; }
  uint32_t Offset() const { return offset_; }
  uint32_t Length() const { return length_; }
  bool Malformed() const { return malformed_; }

 private:
  const uint8_t* stream_;
  uint32_t used_;
  uint8_t version_;
  uint32_t offset_ = 0;
  uint32_t length_ = 0;
  bool started_ = false;
  bool malformed_ = false;
};

// ---- Hidden items ---------------------------------------------------------------

// 1 for a time signature with b1 bit 7 and a kind-6 item of sub-kind 15.
int IsItemHidden(const uint8_t* item);

// ---- Chord symbols (kind 7, sub-kind 14, payload length 7) -----------------------

constexpr uint8_t kChordSymbolFirstByte = 0x77;
constexpr uint32_t kChordSymbolPayload = 7;
constexpr int kChordSymbolFieldCount = 7;

bool IsChordSymbolItem(const uint8_t* item, uint8_t version);
int IsChordSymbolShown(const uint8_t* item, uint8_t version = ScoreFormatVersion);
int IsChordDiagramShown(const uint8_t* item, uint8_t version = ScoreFormatVersion);
int GetChordDiagramField1(const uint8_t* item, uint8_t version = ScoreFormatVersion);
int GetChordDiagramField2(const uint8_t* item, uint8_t version = ScoreFormatVersion);
int GetChordDiagramField3(const uint8_t* item, uint8_t version = ScoreFormatVersion);
int GetChordSymbolFields(const uint8_t* item, uint8_t fields[kChordSymbolFieldCount],
                         uint8_t version = ScoreFormatVersion);
int SetChordSymbolFields(uint8_t* item, int shown, const uint8_t fields[kChordSymbolFieldCount],
                         uint8_t version = ScoreFormatVersion);
int SetChordDiagramFields(uint8_t* item, int shown, uint8_t field1, uint8_t field2, uint8_t field3,
                          uint8_t version = ScoreFormatVersion);
