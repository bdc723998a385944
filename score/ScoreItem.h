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
  // Ends one part's staff of a system: score building appends it to every
  // slot at the end of each stave group, so all slots share this skeleton.
  // The painter ends a staff there and bar order counts it as a boundary.
  kBarBoundary = 0x80,
  kPageMark = 0x88,   // a page of the score begins after it
  kEndOfScore = 0x90, // the last byte of a stream; one byte that walkers step over
};
inline uint8_t BarCode(const uint8_t* item) { return item[0] >> 3; }
inline bool IsStructureMark(const uint8_t* item) {
  return item[0] == kBarBoundary || item[0] == kPageMark || item[0] == kEndOfScore;
}
inline bool IsPageMark(const uint8_t* item) { return item[0] == kPageMark; }
inline bool IsEndOfScore(const uint8_t* item) { return item[0] == kEndOfScore; }

// Bar-line styles (codes 0..9 of a kind-0 item), named by what the painter
// draws for them. The editor writes 0, 2, 3, 4, 6 and 7; 1, 8 and 9 come
// from read scores, 0 and 7 also from score building. Other codes below 16
// draw nothing.
enum BarLineStyle : uint8_t {
  kBarSingle = 0,          // one thin stroke
  kBarDoubleRead = 1,      // thin, thin
  kBarStartRepeat = 2,     // thick, thin, dots
  kBarEndRepeat = 3,       // dots, thin, thick
  kBarEndStartRepeat = 4,  // dots, thin, thick, thin, dots (closes and opens)
  kBarNone = 5,            // nothing drawn, no row in the item index
  kBarDouble = 6,          // thin, thin
  kBarFinal = 7,           // thin, thick
  kBarDoubleRead8 = 8,     // thin, thin
  kBarBand = 9,            // a shaded band over the bar and a brace; format version 5 only
};
constexpr uint8_t kBarStyleCount = 10;
inline bool IsBarLine(const uint8_t* item) { return KindOf(item) == kItemBarLine && item[0] < kBarBoundary; }
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
// Version 5: a key signature that playback does not apply and the painter does
// not draw (it only takes a row); transposition sets it on a key signature
// left with no accidentals.
inline bool KeyIsNotPlayed(const uint8_t* item) { return (item[0] & 0x80) != 0; }
uint8_t MakeKeySignature(uint8_t count, bool sharps, bool notPlayed);

// ---- Kind 3: time signature ---------------------------------------------------

inline uint8_t TimeNumerator(const uint8_t* item) { return item[0] >> 3; }
inline uint8_t TimeDenominatorCode(const uint8_t* item) { return item[1] & 7; }
inline uint32_t TimeDenominator(const uint8_t* item) { return 128u >> TimeDenominatorCode(item); }
// b1 bit 3: drawn on screen only (the editor's "invisible" choice).
inline bool TimeIsScreenOnly(const uint8_t* item) { return (item[1] & 0x08) != 0; }
// b1 bit 4: an additional sign after the numbers.
inline bool TimeHasAdditionalSign(const uint8_t* item) { return (item[1] & 0x10) != 0; }
// b1 bit 5: drawn as a symbol (common or cut time).
inline bool TimeIsSymbol(const uint8_t* item) { return (item[1] & 0x20) != 0; }
// b1 bit 6: drawn in the marking colour on screen.
inline bool TimeHasColourMark(const uint8_t* item) { return (item[1] & 0x40) != 0; }
// b1 bit 7: not drawn and not applied by playback.
inline bool TimeIsHidden(const uint8_t* item) { return (item[1] & 0x80) != 0; }
// Sets the numerator, the denominator code and bit 7; bits 3-6 stay.
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

// Chord marks of b3 bits 0-6.
enum ChordMarkFlag : uint8_t {
  kMarkAccent = 0x01,
  kMarkMarcato = 0x02,
  kMarkTenuto = 0x04,
  kMarkUpBow = 0x08,
  kMarkDownBow = 0x10,
  kMarkHarmonic = 0x20,
  kMarkPlus = 0x40,
};
// Single-mark codes of b2 bits 5-7 (any non-zero code also widens the drawn box).
enum ChordArticulationCode : uint8_t {
  kArticulationNone = 0,
  kArticulationFermata = 1,
  kArticulationStaccato = 5,
  kArticulationStaccatissimo = 6,
};

inline uint8_t ChordNoteCount(const uint8_t* item) { return item[0] >> 3; }
// b1 bit 0: stands in the column of the previous chord (another voice at once).
inline bool ChordSharesColumn(const uint8_t* item) { return (item[1] & 0x01) != 0; }
// b1 bit 1: score building saw large heads (size 100 or more).
inline bool ChordIsLarge(const uint8_t* item) { return (item[1] & 0x02) != 0; }
inline uint8_t ChordDurationCode(const uint8_t* item) { return (item[1] >> 2) & 15; }
inline uint8_t ChordDots(const uint8_t* item) { return item[1] >> 6; }
// b2 bits 3-4 (format version 5): 1 drawn on the staff above, 2 below.
inline uint8_t ChordPlacementOf(const uint8_t* item) { return (item[2] >> 3) & 3; }
inline uint8_t ChordArticulation(const uint8_t* item) { return item[2] >> 5; }
inline uint8_t ChordMarkFlags(const uint8_t* item) { return item[3] & 0x7F; }
// b3 bit 7: small (cue-size) notes.
inline bool ChordIsSmall(const uint8_t* item) { return (item[3] & 0x80) != 0; }
// b4 bits 0-1: 0 normal, 1 cross, 2 and 3 no head.
inline uint8_t ChordNotehead(const uint8_t* item) { return item[4] & 3; }
// b4 bit 2: a grace chord that takes no time.
inline bool ChordIsGrace(const uint8_t* item) { return (item[4] & 0x04) != 0; }
inline uint8_t ChordVoice(const uint8_t* item) { return (item[4] >> 3) & 3; }
// b4 bit 5: the stem points down (as the painter draws it; up when clear).
inline bool ChordStemDown(const uint8_t* item) { return (item[4] & 0x20) != 0; }
inline bool ChordStemBit(const uint8_t* item) { return ChordStemDown(item); }
inline bool ChordBeamedToNext(const uint8_t* item) { return (item[4] & 0x40) != 0; }
inline bool ChordStartsBeamGroup(const uint8_t* item) { return (item[4] & 0x80) != 0; }
// Note bytes: on ordinary staves bits 0-4 are the staff position and bits
// 5-7 the accidental; on tablature staves the fret and the string.
inline uint8_t NotePosition(const uint8_t* item, unsigned note) { return item[kChordHeaderBytes + note] & 31; }
inline uint8_t NoteAccidentalOf(const uint8_t* item, unsigned note) { return item[kChordHeaderBytes + note] >> 5; }
inline uint8_t NoteFret(const uint8_t* item, unsigned note) { return NotePosition(item, note); }
inline uint8_t NoteString(const uint8_t* item, unsigned note) { return NoteAccidentalOf(item, note); }

void SetChordNoteCount(uint8_t* item, uint8_t count);
void SetChordDuration(uint8_t* item, uint8_t durationCode, uint8_t dots);
void SetChordPlacement(uint8_t* item, uint8_t placement);
void SetChordNotehead(uint8_t* item, uint8_t notehead);
void SetChordArticulation(uint8_t* item, uint8_t code);
void SetChordMarkFlags(uint8_t* item, uint8_t flags);
void SetChordVoice(uint8_t* item, uint8_t voice);
void SetChordStemDown(uint8_t* item, bool down);
void SetChordBeamedToNext(uint8_t* item, bool set);
void SetChordStartsBeamGroup(uint8_t* item, bool set);
void SetNote(uint8_t* item, unsigned note, uint8_t position, uint8_t accidental);

// ---- Kind 5: rest and multi-bar rest ---------------------------------------------

inline bool IsMultiBarRest(const uint8_t* item) { return (item[0] & 0x08) != 0; }
inline uint8_t RestDurationCode(const uint8_t* item) { return (item[0] >> 4) & 7; }
// b0 bit 7 of a single rest: it stands in the column of the previous chord.
inline bool RestSharesColumn(const uint8_t* item) { return !IsMultiBarRest(item) && (item[0] & 0x80) != 0; }
inline uint8_t RestDots(const uint8_t* item) { return item[1] & 3; }
// b1 bits 2-5 (format version 5): the mark, the size and the hidden bit below.
inline uint8_t RestFields(const uint8_t* item) { return (item[1] >> 2) & 15; }
// b1 bits 2-3: the rest's mark (1 fermata, 2 and 3 other marks).
inline uint8_t RestMarkCode(const uint8_t* item) { return (item[1] >> 2) & 3; }
// The painter draws a fermata when b1 bits 2-4 are exactly 1.
inline bool RestHasFermata(const uint8_t* item) { return ((item[1] >> 2) & 7) == 1; }
// b1 bit 4: the cue bit, a cue-size (small) rest.
inline bool RestIsCue(const uint8_t* item) { return (item[1] & 0x10) != 0; }
// b1 bit 5 of a single rest: hidden (not printed, greyed on screen).
inline bool RestIsHidden(const uint8_t* item) { return !IsMultiBarRest(item) && (item[1] & 0x20) != 0; }
inline uint8_t RestVoice(const uint8_t* item) { return item[1] >> 6; }
inline uint32_t MultiBarRestBars(const uint8_t* item) { return (item[0] >> 4) + 16u * (item[1] & 63); }
constexpr uint32_t kMaxMultiBarRestBars = 1023;

// Writes a single rest; b0 bit 7 and b1 bits 2-5 stay.
void SetRest(uint8_t* item, uint8_t durationCode, uint8_t dots, uint8_t voice);
void SetRestFields(uint8_t* item, uint8_t fields);
void SetRestHidden(uint8_t* item, bool hidden);
// bars 0..1023
void SetMultiBarRest(uint8_t* item, uint32_t bars, uint8_t voice);

// ---- Kind 6: spanning marks -----------------------------------------------------

// Sub-kinds (b0 bits 3-6), as the painter and the editor read them. Bit 7 of
// b0 is set in the marks that score building and the editor write.
enum MarkSubKind : uint8_t {
  kMarkTuplet = 0,     // b3 bits 0-6 notes, b4 + 1 the written length of one in 1/128
  kMarkSlur = 1,
  kMarkTie = 2,
  kMarkPedal = 10,     // format version 5
  kMarkOrnament = 12,  // ornament line, format version 5
  kMarkSubKindHidden = 15,
};
constexpr uint8_t kMarkBit7 = 0x80;

// Whole first bytes with a meaning of their own.
enum : uint8_t {
  kTupletMarkByte = 0x86,       // a tuplet mark (sub-kind 0, bit 7)
  kRepeatedChordMarkByte = 150, // left where a bracket stood over a repeated chord
  kHiddenMarkByte = 254,        // sub-kind 15, bit 7
  // Bracketed tuplets while a page is built (sub-kinds 1 and 14 with bit 7).
  // Tuplet completion resolves them; no other walker gives them a meaning.
  kBracketTupletByte = 142,
  kBracketTupletFarByte = 246,
};
constexpr uint32_t kMarkSpanMask = 0x3FFF;

inline uint8_t MarkSubKind(const uint8_t* item) { return (item[0] >> 3) & 15; }
inline uint8_t MarkVoice(const uint8_t* item) { return item[2] >> 6; }
// The 14-bit span in 1/128 notes (a crotchet is 32): b1 + 256 x (b2 bits 0-5).
inline uint32_t MarkSpan(const uint8_t* item) { return item[1] + 256u * (item[2] & 63); }
inline uint8_t MarkParameter1(const uint8_t* item) { return item[3]; }
inline uint8_t MarkParameter2(const uint8_t* item) { return item[4]; }
inline bool IsBracketTuplet(const uint8_t* item) {
  return item[0] == kBracketTupletByte || item[0] == kBracketTupletFarByte;
}
void SetMarkSpan(uint8_t* item, uint32_t span);
void SetMarkVoice(uint8_t* item, uint8_t voice);

// ---- Kind 7: texts and long items -----------------------------------------------

// Sub-kinds (b0 bits 3-7) with the first bytes that the writers use.
enum TextSubKind : uint8_t {
  kTextStaff = 0,         // 0x07
  kTextLyric = 1,         // 0x0F
  kTextRehearsal = 4,
  kTextTitle = 5,         // 0x2F, page text
  kTextComposer = 6,      // 0x37, page text
  kTextLyricist = 7,      // 0x3F, page text
  kTextCopyright = 8,     // 0x47, page text
  kTextCoda = 9,          // 0x4F, version 5
  kTextSegno = 10,        // 0x57, version 5
  kTextBracket = 12,      // 0x67, version 5: a count byte (bars, or a style) ahead of the text
  kTextChordSymbol = 14,  // 0x77, see the chord-symbol accessors
  kTextNumberBlock = 15,  // 0x7F, five bytes of ten 4-bit numbers
  kTextStaffStart = 16,   // 0x87, two u16: the staff's left x and its length or top
  kTextGeneral = 17,      // 0x8F, page text
  kTextHairpin18 = 18,
  kTextHairpin19 = 19,
  kTextPageNumber = 20,   // page text
  kTextDynamic = 21,      // 0xAF
  kTextTechnique = 22,    // 0xB7
  kTextTempo = 23,        // 0xBF
  kTextItalic = 24,       // 0xC7
  kTextSubtitle = 25,     // 0xCF, page text
};
inline uint8_t MakeTextFirstByte(uint8_t subKind) { return static_cast<uint8_t>((subKind << 3) | kItemText); }

// Where a sub-kind keeps its place and text, after the length field:
//   staff texts  dx, dy (sign-magnitude bytes), text
//   bracket      dx, dy, count byte, text
//   page texts   x (u16), y (u16), text
//   no text      payload fields only (chord symbol, number block, staff start, hairpins)
enum class TextLayout { kStaffText, kBracketText, kPageText, kNoText };
TextLayout TextLayoutOf(uint8_t subKind);

inline uint8_t TextSubKindOf(const uint8_t* item) { return item[0] >> 3; }
// The first byte and the length field: 2 below version 3, else 3. The payload
// follows them.
inline uint32_t TextHeaderBytes(uint8_t version) { return version < 3 ? 2u : 3u; }
inline uint32_t TextPayloadLength(const uint8_t* item, uint8_t version) {
  return version < 3 ? item[1] : item[1] + 256u * item[2];
}
// Offset of the text: 8-bit below version 3, UTF-16LE from 3 on. For items
// without text it is the item's length.
uint32_t TextStart(const uint8_t* item, uint8_t version);
inline bool TextIsWide(uint8_t version) { return version >= 3; }
// Bytes of text that the item holds (0 when the item is too short to hold any).
uint32_t TextByteCount(const uint8_t* item, uint8_t version);
// The text as UTF-16 into out (capacity units, always NUL-ended; 8-bit text is
// taken in the ANSI code page); the number of units written.
size_t ReadItemText(const uint8_t* item, uint8_t version, char16_t* out, size_t capacity);
// Writes the payload length for a version (b1, or b1-b2 little-endian).
void SetTextPayloadLength(uint8_t* item, uint32_t payload, uint8_t version);

// Sign-magnitude offset bytes of staff texts: bit 7 the sign, bits 0-6 the size.
inline int SignMagnitudeValue(uint8_t b) { return (b & 0x80) ? -(b & 0x7F) : (b & 0x7F); }
uint8_t MakeSignMagnitude(int value);  // clipped to -127..127
inline int TextOffsetX(const uint8_t* item, uint8_t version) {
  return SignMagnitudeValue(item[TextHeaderBytes(version)]);
}
inline int TextOffsetY(const uint8_t* item, uint8_t version) {
  return SignMagnitudeValue(item[TextHeaderBytes(version) + 1]);
}
// Page texts and the staff start: two little-endian u16 after the length field.
inline uint32_t TextWordAt(const uint8_t* item, uint8_t version, unsigned index) {
  const uint8_t* p = item + TextHeaderBytes(version) + 2 * index;
  return p[0] + 256u * p[1];
}
void SetTextWordAt(uint8_t* item, uint8_t version, unsigned index, uint32_t value);

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
//
// After the length field: dx, dy, then the flags byte p and four bytes:
//   p bit 0          diagram shown
//   p bit 1          chord symbol shown
//   p bits 2-5       diagram base fret (4 bits)
//   p bits 6-7 .. p+2  six string values of 3 bits (0 open, 1..6 fret row, 7 not played)
//   p+3 bits 0-4     symbol root (0..16)
//   p+3 bits 5-7, p+4 bits 0-2   symbol quality (0..48)
//   p+4 bits 3-7     symbol bass (0..16)
// These are the widths and packing of the model's table, with the meaning that
// score building writes and the painter draws.

constexpr uint8_t kChordSymbolFirstByte = 0x77;
constexpr uint32_t kChordSymbolPayload = 7;
constexpr int kChordDiagramFieldCount = 7;  // base fret, then strings 1..6
constexpr int kChordSymbolFieldCount = kChordDiagramFieldCount;

// Kind 7, sub-kind 14 and a payload length of exactly 7.
bool IsChordSymbolItem(const uint8_t* item, uint8_t version);
// Offset of the flags byte p: 4 below version 3, else 5.
inline uint32_t ChordSymbolFlagsOffset(uint8_t version) { return version < 3 ? 4u : 5u; }

// Each answers 0 for an item that is not a chord symbol; the setters then
// change nothing.
int IsChordSymbolShown(const uint8_t* item, uint8_t version = ScoreFormatVersion);
int IsChordDiagramShown(const uint8_t* item, uint8_t version = ScoreFormatVersion);
int GetChordSymbolRoot(const uint8_t* item, uint8_t version = ScoreFormatVersion);
int GetChordSymbolQuality(const uint8_t* item, uint8_t version = ScoreFormatVersion);
int GetChordSymbolBass(const uint8_t* item, uint8_t version = ScoreFormatVersion);
// Base fret and the six string values; 1.
int GetChordDiagramFields(const uint8_t* item, uint8_t fields[kChordDiagramFieldCount],
                          uint8_t version = ScoreFormatVersion);
// Sets the symbol-shown bit (keeps the other bits of p) and packs root,
// quality and bass; 1.
int SetChordSymbolFields(uint8_t* item, int shown, uint8_t root, uint8_t quality, uint8_t bass,
                         uint8_t version = ScoreFormatVersion);
// Sets the diagram-shown bit (keeps the symbol bit) and packs the seven
// diagram fields; 1.
int SetChordDiagramFields(uint8_t* item, int shown, const uint8_t fields[kChordDiagramFieldCount],
                          uint8_t version = ScoreFormatVersion);
