#include "building/ChordBuilding.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "reading/StaveSpacing.h"
#include "score/Rhythm.h"

namespace {

constexpr int16_t kConsumedQuality = 10;
constexpr int16_t kDeferred = -1000;
constexpr int kMaxMembers = 64;
constexpr int kMaxHintDigits = 10;

// Sub-item kinds of note records.
constexpr uint16_t kMarkCurveStart = 162;
constexpr uint16_t kMarkCurveBoth = 164;
constexpr uint16_t kMarkCurveEnd = 167;
constexpr uint16_t kMarkHairpinRight = 160;
constexpr uint16_t kMarkHairpinLeft = 161;
constexpr uint16_t kMarkTupletItem = 192;
constexpr uint16_t kMarkChordGrid = 176;

// Mark items of slurs and ties, without bit 7 (with it they would read as
// the bracketed tuplets of tuplet completion).
constexpr uint8_t kSlurMarkByte = (kMarkSlur << 3) | kItemMark;
constexpr uint8_t kTieMarkByte = (kMarkTie << 3) | kItemMark;

// Whether a curve's held place still holds its slur mark.
bool HoldsCurveMark(const uint8_t* bytes, uint32_t used, uint32_t offset) {
  return bytes && used >= 5 && offset <= used - 5 && bytes[offset] == kSlurMarkByte;
}

bool Live(const NoteRecord& n) { return n.quality < kRejectedQuality; }
bool SameFlag(uint32_t a, uint32_t b) { return (a != 0) == (b != 0); }
bool Continuing(const NoteRecord& n) { return n.beamed && !n.countRight; }

// A note of kind k with d dots in 1/128 notes (a crotchet 32).
int32_t DottedLength(uint32_t kind, int dots) {
  if (kind > 15) return 0;
  int32_t total = 0;
  for (int j = 0; j <= std::clamp(dots, 0, 3); ++j)
    if (static_cast<int>(kind) - j >= 0) total += 1 << (kind - j);
  return total;
}

ObjectBox Grow(ObjectBox box, int16_t left, int16_t right, int16_t top, int16_t bottom) {
  return ObjectBox{std::min(box.left, left), std::max(box.right, right), std::min(box.top, top),
                   std::max(box.bottom, bottom)};
}

ObjectBox NoteBox(const NoteRecord& n) {
  ObjectBox box{n.left, n.right, n.top, n.bottom};
  for (int a = 0; a < std::clamp<int>(n.appenditureCount, 0, kMaxAppenditures); ++a) {
    const Appenditure& s = n.appenditures[a];
    if (s.kind >= 128 && s.kind <= 159) box = Grow(box, box.left, s.right, s.top, s.bottom);
  }
  return box;
}

int CharDigitValue(const CharRecord& c) {
  int value = -1;
  for (int u = 0; u < kCharTextUnits && c.text[u]; ++u) {
    if (c.text[u] < u'0' || c.text[u] > u'9') break;
    value = std::max(value, 0) * 10 + (c.text[u] - u'0');
    if (value > 255) return -1;
  }
  return value;
}

struct ChordBuilder {
  BuildContext& context;
  PartPass& part;
  int firstRow, endRow;
  NoteRecord* notes;
  int noteCount;
  int row = -1;
  int32_t fine = 1;
  float half = 4.0f;
  bool tab = false;

  uint8_t item[kMaxItemBytesExceptText] = {};
  int noteBytes = 0;
  int members[kMaxMembers] = {};
  int memberCount = 0;
  int stemDownCount = 0, stemUpCount = 0;
  uint8_t articulation = 0, markFlags = 0;
  ObjectBox box{};
  float score = 0.0f;

  bool OnStave(const NoteRecord& n, const NoteRecord& f) const { return n.stave == f.stave; }

  int32_t StemX(int k) const { return NoteStemX(notes, k, fine, context.stemOffsetScale); }

  const StaveRow& Row() const { return context.lists.rows[row]; }

  void AddNoteByte(const NoteRecord& n) {
    if (noteBytes >= kChordNoteLimit) return;
    uint8_t byte;
    if (tab) {
      // The string is the low three bits of the staff position.
      byte = static_cast<uint8_t>(((n.step & 7) << 5) | (n.fret & 31));
      for (int k = 0; k < noteBytes; ++k)
        if ((item[kChordHeaderBytes + k] >> 5) == (byte >> 5)) return;
    } else {
      const int position = std::clamp<int>(n.step, 0, 31);
      byte = static_cast<uint8_t>((ChordAccidental(notes, static_cast<int>(&n - notes)) << 5) | position);
      int seen = 0;
      for (int k = 0; k < noteBytes; ++k)
        if ((item[kChordHeaderBytes + k] & 31) == position) ++seen;
      if (seen >= 2 || (seen == 1 && (position < 11 || position > 21))) return;
    }
    item[kChordHeaderBytes + noteBytes] = byte;
    ++noteBytes;
  }

  // ---- Marks ----

  const Appenditure* NextNoteMark(const NoteRecord& n, int mode, int* index) const {
    const int count = std::clamp<int>(n.appenditureCount, 0, kMaxAppenditures);
    while (*index < count) {
      const Appenditure& s = n.appenditures[(*index)++];
      const uint16_t k = s.kind;
      const bool accepted = mode == 0 ? (k >= 165 && k <= 168)
                                      : ((k >= 144 && k <= 164) || k == kMarkChordGrid || k == kMarkTupletItem ||
                                         (k >= 208 && k <= 215));
      if (!accepted) continue;
      if (k == kMarkCurveStart || k == kMarkCurveBoth || k == kMarkCurveEnd) {
        if (!context.lists.curves || s.markIndex >= context.lists.curveCount ||
            context.lists.curves[s.markIndex].apexPos == kCurveDiscarded)
          continue;
      }
      if (k == kMarkHairpinRight || k == kMarkHairpinLeft) {
        if (!context.lists.lines || s.markIndex >= context.lists.lineCount ||
            !(context.lists.lines[s.markIndex].lineFlags & 1))
          continue;
      }
      return &s;
    }
    return nullptr;
  }

  bool WriteItem(const uint8_t* bytes, uint32_t n, ObjectBox itemBox, float value) {
    return WritePartItem(context, part, bytes, n, itemBox, value);
  }

  void ConsumeText(uint32_t link) {
    PageLists& lists = context.lists;
    if (link & kWordLinkBit) {
      const uint32_t w = link & ~kWordLinkBit & 0xFFFF;
      if (lists.words && lists.wordCount && w < *lists.wordCount) lists.words[w].kind = kTextConsumed;
    } else if (lists.chars && lists.charCount && link < *lists.charCount) {
      lists.chars[link].kind = kTextConsumed;
    }
  }

  void OpenCurveAt(const NoteRecord& m, const Appenditure& s, bool tie) {
    const CurveItem& curve = context.lists.curves[s.markIndex];
    const uint8_t height = curve.bulge & 127;
    const uint8_t mark[5] = {tie ? kTieMarkByte : kSlurMarkByte, 0, static_cast<uint8_t>((m.aux & 3) << 6), height,
                             curve.bulge};
    const int len = curve.x1 - curve.x0;
    const int mid = (curve.y0 + curve.y1) / 2;
    const int rise = len * height / 127;
    const int apex = (curve.bulge & 0x80) ? mid - rise : mid + rise;
    const ObjectBox curveBox{curve.x0, curve.x1, static_cast<int16_t>(std::min({int(curve.y0), int(curve.y1), apex})),
                             static_cast<int16_t>(std::max({int(curve.y0), int(curve.y1), apex}))};
    const uint32_t at = context.streams->used[part.slot];
    if (!WriteItem(mark, 5, curveBox, 0.0f) || tie) return;
    for (OpenCurve& open : part.curves)
      if (open.position < 0) {
        open = OpenCurve{at, s.markIndex, m.aux & 3, m.step};
        return;
      }
  }

  void CloseCurveAt(const NoteRecord& m, const Appenditure& s) {
    for (OpenCurve& open : part.curves) {
      if (open.position < 0 || open.curve != s.markIndex) continue;
      const uint8_t version = context.version;
      uint8_t* bytes = StreamBytes(*context.streams, part.slot);
      const uint32_t used = context.streams->used[part.slot];
      uint32_t offset = static_cast<uint32_t>(open.position);
      open.position = -1;
      // The place must still hold the slur's own mark; anything else is left untouched.
      if (!HoldsCurveMark(bytes, used, offset)) return;
      uint8_t* mark = bytes + offset;
      uint32_t span = 0;
      int chords = 0, rests = 0;
      uint32_t length = 0;
      for (offset += 5; offset < used && ItemLengthWithin(bytes + offset, used - offset, version, &length);
           offset += length) {
        const uint8_t* it = bytes + offset;
        if (KindOf(it) == kItemChord && ChordVoice(it) == open.voice) {
          ++chords;
          span += static_cast<uint32_t>(DurationTicks(ChordDurationCode(it), ChordDots(it)) / 8);
        } else if (KindOf(it) == kItemRest && RestVoice(it) == open.voice) {
          ++rests;
          span += IsMultiBarRest(it) ? 0 : static_cast<uint32_t>(DurationTicks(RestDurationCode(it), RestDots(it)) / 8);
        }
      }
      // A curve between a note and the next one of the same pitch is a tie.
      if (chords == 1 && rests == 0 && open.step == m.step) {
        mark[0] = kTieMarkByte;
        span = 0;
      }
      SetMarkSpan(mark, std::min<uint32_t>(span, kMarkSpanMask));
      return;
    }
  }

  // A hairpin starting at member m: kind 7, sub-kind 18 (opening to the
  // right) or 19, written before the chord: its start from the note and its
  // height from the stave middle, its length and its opening.
  void WriteHairpin(const NoteRecord& m, const Appenditure& s) {
    const LineItem& line = context.lists.lines[s.markIndex];
    const bool crescendo = s.kind == kMarkHairpinRight;
    const uint8_t version = context.version;
    uint8_t item[3 + 7] = {MakeTextFirstByte(crescendo ? kTextHairpin18 : kTextHairpin19)};
    SetTextPayloadLength(item, 7, version);
    uint8_t* p = item + TextHeaderBytes(version);
    const int32_t start = StreamUnits(context, line.x0 - m.left);
    const int32_t magnitude = std::min<int32_t>(std::abs(start), 0x7FFF);
    p[0] = static_cast<uint8_t>(magnitude & 0xFF);
    p[1] = static_cast<uint8_t>(((magnitude >> 8) & 0x7F) | (start < 0 ? 0x80 : 0));
    const StaveRow& r = Row();
    const int middle = line.staveMidY ? line.staveMidY : (r.top + r.bottom) / 2;
    const int closedY = crescendo ? line.y0 : line.y1;
    p[2] = TextOffsetByte(context, middle - closedY);
    const int32_t length = std::clamp<int32_t>(StreamUnits(context, line.x1 - line.x0), 0, 0xFFFF);
    p[3] = static_cast<uint8_t>(length & 0xFF);
    p[4] = static_cast<uint8_t>(length >> 8);
    p[5] = TextOffsetByte(context, 2 * std::abs(int(line.halfOpening)));
    p[6] = 1;
    const int top = std::min(std::min(line.y0, line.y1) - std::abs(int(line.halfOpening)), int(INT16_MAX));
    const int bottom = std::min(std::max(line.y0, line.y1) + std::abs(int(line.halfOpening)), int(INT16_MAX));
    WriteItem(item, TextHeaderBytes(version) + 7,
              ObjectBox{line.x0, line.x1, static_cast<int16_t>(top), static_cast<int16_t>(bottom)}, 0.0f);
  }

  void WriteTupletItem(const NoteRecord& m, const Appenditure& s) {
    const uint32_t link = s.markIndex;
    const uint32_t a = link & 0xFF, b = (link >> 8) & 0xFF, k = std::min<uint32_t>((link >> 16) & 31, 23);
    const uint32_t value = a << k;
    const uint8_t mark[5] = {kTupletMarkByte, static_cast<uint8_t>(value & 0xFF),
                             static_cast<uint8_t>((value >> 8) & 63),
                             static_cast<uint8_t>(context.snapshot.bracketTuplets ? (b + 128) & 0xFF : b),
                             static_cast<uint8_t>(((1u << k) - 1) & 0xFF)};
    WriteItem(mark, 5, ObjectBox{m.left, m.right, m.top, m.bottom}, 0.0f);
  }

  void WriteOrnamentMark(const Appenditure& s) {
    const uint8_t mark[5] = {static_cast<uint8_t>(s.kind <= 210 ? 0xD6 : 0xE6), 0, 0,
                             static_cast<uint8_t>(s.kind <= 210 ? s.kind - 208 : s.kind - 211), 0};
    WriteItem(mark, 5, ObjectBox{s.left, s.right, s.top, s.bottom}, 0.0f);
    ConsumeText(s.markIndex);
  }

  void ApplyMarks(const NoteRecord& m, int mode) {
    int index = 0;
    while (const Appenditure* s = NextNoteMark(m, mode, &index)) {
      const uint16_t k = s->kind;
      if (k == 144 || k == 145) articulation = 1;
      else if (k >= 146 && k <= 149) articulation = static_cast<uint8_t>(k - 144);
      else if (k == 150 || k == 151) articulation = 6;
      else if (k == 152) markFlags |= 1;
      else if (k == 153 || k == 154) markFlags |= 2;
      else if (k >= 155 && k <= 159) markFlags |= static_cast<uint8_t>(1u << (k - 153));
      else if (k == kMarkCurveStart) OpenCurveAt(m, *s, false);
      else if (k == kMarkCurveBoth) OpenCurveAt(m, *s, true);  // a tie leaving the system
      else if (k == kMarkCurveEnd) CloseCurveAt(m, *s);
      else if (k == kMarkHairpinRight || k == kMarkHairpinLeft) WriteHairpin(m, *s);
      else if (k == kMarkTupletItem) WriteTupletItem(m, *s);
      else if (k >= 208 && k <= 215) WriteOrnamentMark(*s);
    }
  }

  void TakeMember(int k) {
    NoteRecord& n = notes[k];
    n.quality = kConsumedQuality;
    if (n.stemDown) ++stemDownCount;
    else ++stemUpCount;
    if (memberCount < kMaxMembers) members[memberCount++] = k;
    ApplyMarks(n, 0);
    ApplyMarks(n, 1);
  }

  // ---- Texts after the chord ----

  void WriteNumberHints() {
    struct Hint {
      int digit;
      int centre;
      uint32_t index;
    };
    Hint hints[kMaxHintDigits];
    int count = 0;
    PageLists& lists = context.lists;
    if (!lists.chars || !lists.charCount) return;
    for (int m = 0; m < memberCount && count < kMaxHintDigits; ++m) {
      const NoteRecord& n = notes[members[m]];
      int index = 0, code = 0;
      const Appenditure* s;
      while (count < kMaxHintDigits && (s = NextNoteText(n, &index, &code))) {
        if (code != 31 || (s->markIndex & kWordLinkBit)) continue;
        const CharRecord& c = lists.chars[s->markIndex];
        const int digit = CharDigitValue(c);
        if (digit < 0 || digit > 15) continue;
        hints[count++] = Hint{digit, (c.top + c.bottom) / 2, s->markIndex};
      }
    }
    if (!count) return;
    std::stable_sort(hints, hints + count, [](const Hint& a, const Hint& b) { return a.centre > b.centre; });
    const uint32_t header = TextHeaderBytes(context.version);
    uint8_t hint[3 + 5] = {};
    hint[0] = MakeTextFirstByte(kTextNumberBlock);
    SetTextPayloadLength(hint, 5, context.version);
    ObjectBox hintBox{};
    for (int k = 0; k < count; ++k) {
      CharRecord& c = lists.chars[hints[k].index];
      hint[header + k / 2] |= static_cast<uint8_t>(hints[k].digit << ((k & 1) ? 4 : 0));
      const ObjectBox b{c.left, c.right, c.top, c.bottom};
      hintBox = k == 0 ? b : Grow(hintBox, b.left, b.right, b.top, b.bottom);
      c.kind = kTextConsumed;
    }
    WriteItem(hint, header + 5, hintBox, 0.0f);
  }

  void WriteMemberTexts() {
    const TextItemWriters& writers = context.textItems;
    for (int m = 0; m < memberCount; ++m) {
      const NoteRecord& n = notes[members[m]];
      // Chord grids, then the texts.
      int index = 0;
      while (const Appenditure* s = NextNoteMark(n, 1, &index))
        if (s->kind == kMarkChordGrid && writers.chordGrid) {
          EnsurePartRoom(context, part);
          writers.chordGrid(context, part.slot, s->markIndex, n.left, Row());
        }
    }
    for (int m = 0; m < memberCount; ++m) {
      const NoteRecord& n = notes[members[m]];
      int index = 0, code = 0;
      while (const Appenditure* s = NextNoteText(n, &index, &code)) {
        if (code == 17) {
          if (!(s->markIndex & kWordLinkBit)) part.voices[n.aux & 3].charIndex = static_cast<int>(s->markIndex);
          continue;
        }
        if (code == 16 || (code >= 19 && code <= 27)) {
          if (!writers.text) continue;
          EnsurePartRoom(context, part);
          writers.text(context, part.slot, code, s->markIndex, n.left, Row());
        }
      }
    }
  }

  // The next text sub-item of a note from *index on (kinds 16..31 whose record
  // is live and names no sign), with its text code in *code; *index moves past
  // it. Null when none is left.
  const Appenditure* NextNoteText(const NoteRecord& n, int* index, int* code) const {
    const int count = std::clamp<int>(n.appenditureCount, 0, kMaxAppenditures);
    while (*index < count) {
      const Appenditure& s = n.appenditures[(*index)++];
      if (s.kind < 16 || s.kind > 31) continue;
      *code = TextCode(s.markIndex);
      if (*code >= 0) return &s;
    }
    return nullptr;
  }

  // The text code of a member's text sub-item from its record's meaning; -1
  // for a consumed record or a sign's name.
  int TextCode(uint32_t link) const {
    const PageLists& lists = context.lists;
    uint16_t kind;
    const char16_t* text;
    if (link & kWordLinkBit) {
      const uint32_t w = link & ~kWordLinkBit & 0xFFFF;
      if (!lists.words || !lists.wordCount || w >= *lists.wordCount) return -1;
      kind = lists.words[w].kind;
      text = lists.words[w].text;
    } else {
      if (!lists.chars || !lists.charCount || link >= *lists.charCount) return -1;
      kind = lists.chars[link].kind;
      text = lists.chars[link].text;
    }
    if (kind == kTextConsumed || text[0] == 0xFFFF || text[0] == 0xFFFE) return -1;
    switch (kind) {
      case 6: return 20;
      case 7: return 21;
      case 8: return 22;
      case 9: return 24;
      case 10: return 16;
      case 11: return 17;
      case 13: return 19;
      case 15: return 23;
      case 16: return 31;
      case 19: return 25;
      case 20: return 26;
      case 21: return 27;
      default: return kind;
    }
  }

  // ---- One chord ----

  bool Build(int first) {
    NoteRecord& f = notes[first];
    row = SystemStaveRow(context, firstRow, endRow, f.stave);
    if (row < 0) row = firstRow;
    SetStaveUnits(context.lists.rows, row, context.resolution);
    fine = std::max(1, CurrentStaveUnits().smallStaveUnit);
    const StaveRow& r = Row();
    const int lines = std::max<int>(r.lineCount, 2);
    half = static_cast<float>(r.spacingOverride > 0 ? r.spacingOverride / 2 : (r.bottom - r.top) / (2.0 * (lines - 1)));
    tab = r.kind == 1;
    if (part.firstRecord && !WriteFirstRecordPair(context, part)) return false;

    // Beam-group tuplets.
    const int v = f.aux & 3;
    const int32_t length = DottedLength(f.kind, f.dots);
    if (f.kind < 5 && Continuing(f) && part.voices[v].position >= 0) {
      part.voices[v].notes += 1;
      part.voices[v].duration += length;
    } else {
      InsertTupletNumber(context, part, v);
      if (f.kind < 5 && f.beamed && f.countRight) {
        part.voices[v].position = context.streams->used[part.slot];
        part.voices[v].boxIndex = BoxCount(context);
        part.voices[v].notes = 1;
        part.voices[v].duration = length;
      }
    }

    // The header from the first member.
    std::memset(item, 0, sizeof item);
    uint8_t code = static_cast<uint8_t>(std::min<uint32_t>(f.kind, 15));
    item[1] = static_cast<uint8_t>((context.previousJoin ? 1 : 0) | (f.size >= kCueSize ? 2 : 0) | (code << 2) |
                                   ((f.dots & 3) << 6));
    item[2] = static_cast<uint8_t>((context.previousJoin == 1 ? 4 : 0) | (f.crossStave < 0 ? 8 : 0) |
                                   (f.crossStave > 0 ? 16 : 0));
    item[3] = static_cast<uint8_t>((f.chordFlag & 1) << 7);
    item[4] = static_cast<uint8_t>((f.noteheadKind & 3) | ((f.recordClass & 1) << 2) | ((f.aux & 3) << 3) |
                                   (f.beamed ? 0x40 : 0) | (f.countRight ? 0x80 : 0));
    AddNoteByte(f);
    box = NoteBox(f);
    score = f.buildScore;
    context.previousJoin = 0;
    TakeMember(first);

    // The other members.
    for (;;) {
      int c = -1;
      int32_t best = 16384;
      for (int k = 0; k < noteCount; ++k) {
        const NoteRecord& n = notes[k];
        if (!Live(n) || n.deferral == kDeferred || !OnStave(n, f)) continue;
        if (f.groupId != 0 && n.groupId != f.groupId && SameFlag(n.stemDown, f.stemDown) &&
            !(n.kind == kNoteSemibreve && f.kind == kNoteSemibreve))
          continue;
        const int32_t key = ((n.left + n.right) / 2 + StemX(k)) / 2 + (n.crossStave != f.crossStave ? 2 * fine : 0);
        if (key < best) {
          best = key;
          c = k;
        }
      }
      if (c < 0) break;
      NoteRecord& n = notes[c];
      const bool grouped = n.groupId != 0 && n.groupId == f.groupId;
      if (!grouped && ChordJoinDecision(notes, noteCount, context.lists.symbols, SymbolCount(), first, c, fine, 0,
                                        context.stemOffsetScale) == 0)
        break;
      bool join = false;
      if ((n.kind == f.kind || (n.kind <= 5 && f.kind <= 5)) && n.crossStave == f.crossStave &&
          n.chordFlag == f.chordFlag) {
        if ((grouped && SameFlag(n.stemDown, f.stemDown)) || tab)
          join = true;
        else if (n.kind == f.kind && f.kind >= 7 && n.left - f.right <= 2 * fine)
          join = true;
        else if (std::abs(StemX(first) - StemX(c)) <= 2 * fine && ChordStemsOverlap(notes, first, c, half) &&
                 ChordHeadsClose(notes, first, c, half))
          join = true;
        else if (SameFlag(n.stemDown, f.stemDown) && n.left < (f.left + f.right) / 2)
          join = true;
      }
      if (join) {
        if (n.kind < code) {
          code = static_cast<uint8_t>(n.kind);
          item[1] = static_cast<uint8_t>((item[1] & ~0x3C) | (code << 2));
        }
        if (n.size >= kCueSize) item[1] |= 2;  // a cue-size member makes a cue-size chord
        const ObjectBox b = NoteBox(n);
        box = Grow(box, b.left, b.right, b.top, b.bottom);
        score = n.buildScore;
        AddNoteByte(n);
        TakeMember(c);
        continue;
      }
      const int result = ChordJoinDecision(notes, noteCount, context.lists.symbols, SymbolCount(), first, c, fine, 1,
                                           context.stemOffsetScale);
      context.previousJoin = result;
      if (result == 0) break;
      n.deferral = kDeferred;
    }

    // Finish the header and the note bytes.
    if (stemDownCount >= stemUpCount) item[4] |= 0x20;
    item[3] = static_cast<uint8_t>(item[3] | (markFlags & 0x7F));
    item[2] = static_cast<uint8_t>(item[2] | (articulation << 5));
    item[0] = static_cast<uint8_t>((noteBytes << 3) | kItemChord);
    if (noteBytes > 1)
      SortChordEntries(item, kChordHeaderBytes, kChordHeaderBytes + noteBytes - 1, std::clamp<int>(r.kind, 0, 2));

    WriteNumberHints();
    const bool written = WriteItem(item, kChordHeaderBytes + noteBytes, box, score);
    WriteMemberTexts();
    for (int k = 0; k < noteCount; ++k)
      if (notes[k].deferral == kDeferred && OnStave(notes[k], f)) notes[k].deferral = 0;
    return written;
  }

  int SymbolCount() const {
    return context.lists.symbolCount ? static_cast<int>(*context.lists.symbolCount) : 0;
  }
};

}  // namespace

int32_t NoteStemX(const NoteRecord* notes, int index, int32_t fineUnit, int32_t stemOffsetScale) {
  const NoteRecord& n = notes[index];
  int32_t x = n.left;
  if (n.kind >= 7) return x;
  const int32_t s = stemOffsetScale * fineUnit;
  const auto offset = [&](int k) { return static_cast<int32_t>(n.stemOffset[k] & 0xFF); };
  const int first = n.stemDown ? 2 : 0;
  if (!n.stemRight) {
    if (n.stemLength[first] >= 1) x = offset(first) - s + n.left;
  } else if (n.stemLength[first + 1] >= 1) {
    x = n.right - offset(first + 1) + s;
  }
  return x;
}

int ChordHeadsClose(const NoteRecord* notes, int i, int j, float f) {
  const NoteRecord& a = notes[i];
  const NoteRecord& b = notes[j];
  if (a.kind > 6 || b.kind > 6) return 1;
  if (SameFlag(a.stemDown, b.stemDown))
    return std::abs(b.left - a.left) < f && std::abs(b.right - a.right) < f ? 1 : 0;
  if (a.stemDown) return b.left - a.left >= f || b.right - a.right >= f ? 1 : 0;
  return a.left - b.left >= f || a.right - b.right >= f ? 1 : 0;
}

int ChordStemsOverlap(const NoteRecord* notes, int i, int j, float f) {
  const NoteRecord& a = notes[i];
  const NoteRecord& b = notes[j];
  if (a.kind > 6 || b.kind > 6 || SameFlag(a.stemDown, b.stemDown)) return 1;
  const auto segment = [f](const NoteRecord& n, int k, bool own, int32_t* from, int32_t* to) {
    const int c = n.stemLength[k];
    const int32_t reach = static_cast<int32_t>(std::lround(2.0f * c * f + f));
    if (c < 1) {
      *from = *to = own ? n.top : n.bottom;
    } else if (k < 2) {
      *from = n.top - reach;
      *to = n.top;
    } else {
      *from = n.bottom;
      *to = n.bottom + reach;
    }
  };
  for (int kj = 0; kj < 4; ++kj) {
    int32_t lo, hi;
    segment(b, kj, false, &lo, &hi);
    for (int ki = 0; ki < 4; ++ki) {
      int32_t c, d;
      segment(a, ki, true, &c, &d);
      if (lo < d && hi > c) return 1;
    }
  }
  return 0;
}

int ChordJoinDecision(const NoteRecord* notes, int noteCount, const SymbolRecord* symbols, int symbolCount, int i,
                      int c, int32_t fineUnit, int mode, int32_t stemOffsetScale) {
  const NoteRecord& a = notes[i];
  const NoteRecord& b = notes[c];
  const int width = a.right - a.left;
  int w = width / 2;
  if (SameFlag(b.stemDown, a.stemDown) || a.kind > 6 || b.kind >= 7) {
    if (a.kind < 5 && !Continuing(a)) w = 0;
    if (b.kind < 5 && Continuing(b)) w = 0;
    if (a.kind < 5 && b.kind < 5 && a.beamed && b.beamed) w = 0;
    if (a.step == b.step) w = 0;
  }
  if (a.chordFlag || b.chordFlag) w = 0;
  if (a.crossStave != b.crossStave && !SameFlag(a.stemDown, b.stemDown)) {
    if ((a.crossStave >= 1 && !a.stemDown) || (b.crossStave >= 1 && !b.stemDown) || (a.crossStave < 0 && a.stemDown) ||
        (b.crossStave < 0 && b.stemDown))
      w = -(width / 2);
  }
  if (w >= 1 && symbols) {
    for (int s = 0; s < symbolCount; ++s) {
      const SymbolRecord& bar = symbols[s];
      if (bar.type == kSymbolBarline && bar.quality <= 5 && bar.stave == a.stave && bar.right >= a.right &&
          bar.left <= b.left) {
        w = 0;
        break;
      }
    }
  }
  const bool aLong = a.kind >= 7, bLong = b.kind >= 7;
  if (!SameFlag(a.stemDown, b.stemDown) || aLong || bLong) {
    const auto range = [&](int own, int* low, int* high) {
      const NoteRecord& o = notes[own];
      *low = *high = o.step;
      for (int k = 0; k < noteCount; ++k) {
        const NoteRecord& n = notes[k];
        if (k == own || !Live(n) || n.deferral == kDeferred || n.stave != o.stave) continue;
        if (!(n.left < o.right && n.right > o.left)) continue;
        if (n.kind != o.kind || !SameFlag(n.stemDown, o.stemDown) || n.beamed != o.beamed ||
            n.countRight != o.countRight)
          continue;
        *low = std::min<int>(*low, n.step);
        *high = std::max<int>(*high, n.step);
      }
    };
    int aLow, aHigh, bLow, bHigh;
    range(i, &aLow, &aHigh);
    range(c, &bLow, &bHigh);
    if (((b.stemDown || bLong) && (!a.stemDown || aLong) && bHigh <= aLow - 2) ||
        ((!b.stemDown || bLong) && (a.stemDown || aLong) && bLow >= aHigh + 2))
      w = 0;
  }
  if (a.kind == b.kind && aLong) w = std::max(w, width / 4);
  if (b.left < a.right + w && b.right > a.left - w) return b.left >= a.right ? 1 : (b.right > a.left ? 2 : 1);
  if (std::abs(NoteStemX(notes, i, fineUnit, stemOffsetScale) - NoteStemX(notes, c, fineUnit, stemOffsetScale)) >
      3 * fineUnit)
    return 0;
  if (mode == 1 && !SameFlag(a.stemDown, b.stemDown)) {
    for (int k = 0; k < noteCount; ++k) {
      const NoteRecord& n = notes[k];
      if (k == c || !Live(n) || n.stave != b.stave) continue;
      if (n.left > b.left && n.left < b.right && b.right > n.left) return 0;
    }
  }
  if (a.beamed) {
    if (b.beamed && b.countRight == a.countRight) return 2;
    if (!a.countRight) return 0;
  }
  if (!b.beamed) return 2;
  if (b.countRight) return 0;
  return 2;
}

int ChordAccidental(const NoteRecord* notes, int index) {
  const NoteRecord& n = notes[index];
  for (int a = 0; a < std::clamp<int>(n.appenditureCount, 0, kMaxAppenditures); ++a)
    if (n.appenditures[a].kind >= 128 && n.appenditures[a].kind <= 134) return n.appenditures[a].kind - 127;
  return 0;
}

void SortChordEntries(uint8_t* item, int first, int last, int mode, uint32_t* selection) {
  if (mode < 0 || mode > 2 || first < 0 || last <= first) return;
  const auto key = [mode](uint8_t b) { return mode == 1 ? b >> 5 : b & 31; };
  for (bool swapped = true; swapped;) {
    swapped = false;
    for (int i = first; i < last; ++i) {
      if (key(item[i]) <= key(item[i + 1])) continue;
      std::swap(item[i], item[i + 1]);
      // Selection entry k belongs to note byte 5 + k.
      const int k = i - static_cast<int>(kChordHeaderBytes);
      if (selection && k >= 0 && k + 1 < static_cast<int>(kMaxChordNotes)) std::swap(selection[k], selection[k + 1]);
      swapped = true;
    }
  }
}

bool BuildChordsFrom(BuildContext& context, PartPass& part, int first, int firstRow, int endRow) {
  NoteRecord* notes = context.lists.notes;
  const int noteCount = context.lists.noteCount ? static_cast<int>(*context.lists.noteCount) : 0;
  const int stave = notes[first].stave;
  for (;;) {
    // Room for each chord of the chain.
    if (!EnsurePartRoom(context, part)) return false;
    ChordBuilder builder{context, part, firstRow, endRow, notes, noteCount};
    if (!builder.Build(first)) return false;
    if (context.previousJoin == 0) return true;
    first = -1;
    int best = 8192;
    for (int k = 0; k < noteCount; ++k) {
      const NoteRecord& n = notes[k];
      if (Live(n) && n.stave == stave && n.left < best) {
        best = n.left;
        first = k;
      }
    }
    if (first < 0) return true;
  }
}

void CloseOpenCurves(BuildContext& context, PartPass& part) {
  uint8_t* bytes = StreamBytes(*context.streams, part.slot);
  const uint32_t used = context.streams->used[part.slot];
  for (OpenCurve& open : part.curves) {
    if (open.position < 0) continue;
    if (HoldsCurveMark(bytes, used, static_cast<uint32_t>(open.position))) {
      // The curve runs on into the next system: a slur to the voice's last chord here.
      uint8_t* mark = bytes + open.position;
      uint32_t span = 0, last = 0, length = 0;
      for (uint32_t offset = static_cast<uint32_t>(open.position) + 5;
           offset < used && ItemLengthWithin(bytes + offset, used - offset, context.version, &length);
           offset += length) {
        const uint8_t* it = bytes + offset;
        if (KindOf(it) == kItemChord && ChordVoice(it) == open.voice) {
          span += last;
          last = static_cast<uint32_t>(DurationTicks(ChordDurationCode(it), ChordDots(it)) / 8);
        }
      }
      if (span == 0) {
        mark[0] = kHiddenMarkByte;
        mark[1] = mark[2] = mark[3] = mark[4] = 0;
      } else {
        SetMarkSpan(mark, std::min<uint32_t>(span, kMarkSpanMask));
      }
    }
    open.position = -1;
  }
}
