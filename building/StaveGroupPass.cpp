#include "building/StaveGroupPass.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "building/ChordBuilding.h"
#include "reading/StaveSpacing.h"
#include "score/Rhythm.h"

namespace {

constexpr int16_t kConsumedQuality = 10;
constexpr int32_t kFarRight = 8192;
constexpr uint32_t kGrowthStep = 1784;
constexpr uint8_t kHiddenTime[2] = {0x03, 0x80};

struct TimeSignature {
  int numerator = -1;
  int code = -1;
};

double Spacing(const StaveRow& row) {
  if (row.spacingOverride > 0) return row.spacingOverride;
  const int lines = std::max<int>(row.lineCount, 2);
  return (row.bottom - row.top) / static_cast<double>(lines - 1);
}

int BottomLineStep(const StaveRow& row) { return 4 + 2 * (std::max<int>(row.lineCount, 1) - 1); }

int16_t Clip16(int32_t v) { return static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX)); }

// The time signatures of a run of items: the last visible one and the number
// of system ends passed before it; bars counts every system end of the run.
void ScanTimeSignatures(const uint8_t* bytes, uint32_t used, uint8_t version, int* bars, TimeSignature* last,
                        int* lastBars) {
  uint32_t length = 0;
  for (uint32_t offset = 0; bytes && offset < used && ItemLengthWithin(bytes + offset, used - offset, version, &length);
       offset += length) {
    const uint8_t* item = bytes + offset;
    if (item[0] == kBarBoundary) {
      ++*bars;
    } else if (KindOf(item) == kItemTime && !TimeIsHidden(item)) {
      *last = TimeSignature{TimeNumerator(item), TimeDenominatorCode(item)};
      *lastBars = *bars;
    }
  }
}

TimeSignature TimeInForce(const BuildContext& context) {
  TimeSignature best;
  int bestBars = -1;
  for (int slot = 1; slot < context.ReadingPartCount; ++slot) {
    int bars = 0, lastBars = -1;
    TimeSignature last;
    const std::vector<uint8_t>& score = context.snapshot.streams[slot];
    ScanTimeSignatures(score.data(), static_cast<uint32_t>(score.size()), context.version, &bars, &last, &lastBars);
    ScanTimeSignatures(StreamBytes(*context.streams, slot), StreamUsedLength(*context.streams, slot), context.version,
                       &bars, &last, &lastBars);
    if (lastBars >= 0 && lastBars >= bestBars) {
      best = last;
      bestBars = lastBars;
    }
  }
  return best;
}

void SetClefMemories(BuildContext& context, int firstRow) {
  const int parts = context.ReadingPartCount;
  const auto defaults = [&](int slot) {
    context.clefType[slot] = parts > 2 && slot == parts - 1 ? kSymbolBassClef : kSymbolTrebleClef;
    context.clefOctave[slot] = 0;
  };
  const bool firstSystem = context.lists.rows[firstRow].group == 0 && context.scorePage == 1;
  if (firstSystem) {
    for (int slot = 0; slot < kPartSlots; ++slot) defaults(slot);
  } else if (!context.clefsKnown) {
    // A later page: the clef each part stream of the score ended with.
    for (int slot = 0; slot < kPartSlots; ++slot) {
      defaults(slot);
      const std::vector<uint8_t>& score = context.snapshot.streams[slot];
      uint32_t length = 0;
      for (uint32_t offset = 0;
           offset < score.size() &&
           ItemLengthWithin(score.data() + offset, score.size() - offset, context.version, &length);
           offset += length) {
        const uint8_t* item = score.data() + offset;
        if (KindOf(item) == kItemClef) {
          context.clefType[slot] = ClefCodeOf(item) + 1u;
          context.clefOctave[slot] = item[1];
        }
      }
    }
  }
  context.clefsKnown = true;
}

struct GroupPass {
  BuildContext& context;
  int firstRow, endRow;
  SymbolRecord* symbols;
  int symbolCount;
  NoteRecord* notes;
  int noteCount;

  const StaveRow& RowOf(const PartPass& part) const {
    return context.lists.rows[part.row >= 0 ? part.row : firstRow];
  }

  ObjectBox StepBox(const PartPass& part, int16_t left, int16_t right, int top, int bottom) const {
    const StaveRow& row = RowOf(part);
    return ObjectBox{left, right, Clip16(StaveStepY(row, left, top)), Clip16(StaveStepY(row, left, bottom))};
  }

  bool Write(PartPass& part, std::initializer_list<uint8_t> bytes, ObjectBox box, float score = 0.0f) {
    return WritePartItem(context, part, bytes.begin(), static_cast<uint32_t>(bytes.size()), box, score);
  }

  bool WriteSystemPosition(PartPass& part, int32_t systemLeft) {
    if (part.row < 0) return true;
    const StaveRow& row = context.lists.rows[part.row];
    const uint32_t left = static_cast<uint32_t>(std::clamp<int32_t>(systemLeft, 0, 0xFFFF));
    const uint32_t top = static_cast<uint32_t>(std::clamp<int32_t>(StreamUnits(context, row.top), 0, 0xFFFF));
    uint8_t item[7] = {MakeTextFirstByte(kTextStaffStart)};
    SetTextPayloadLength(item, 4, context.version);
    SetTextWordAt(item, context.version, 0, left);
    SetTextWordAt(item, context.version, 1, top);
    return WritePartItem(context, part, item, TextHeaderBytes(context.version) + 4,
                         ObjectBox{-100, -99, row.top, row.bottom}, 0.0f);
  }

  // ---- Records of a stave ----

  int LeftmostNote(const PartPass& part) const {
    int found = -1;
    int32_t best = kFarRight;
    // Every candidate lies on the part's own stave: one set of units.
    SetStaveUnits(context.lists.rows, part.row >= 0 ? part.row : firstRow, context.resolution);
    const int32_t fine = std::max(1, CurrentStaveUnits().smallStaveUnit);
    for (int k = 0; k < noteCount; ++k) {
      const NoteRecord& n = notes[k];
      if (n.stave != part.stave || n.quality >= kRejectedQuality) continue;
      const int32_t key = ((n.left + n.right) / 2 + NoteStemX(notes, k, fine, context.stemOffsetScale)) / 2;
      if (key < best) {
        best = key;
        found = k;
      }
    }
    return found;
  }

  int LeftmostSymbol(const PartPass& part, int note) const {
    int found = -1;
    int32_t best = kFarRight;
    for (int k = 0; k < symbolCount; ++k) {
      const SymbolRecord& s = symbols[k];
      if (s.stave != part.stave || s.quality >= kRejectedQuality || s.left >= best) continue;
      if (note >= 0 && (s.left + s.right) / 2 > notes[note].left) continue;
      best = s.left;
      found = k;
    }
    return found;
  }

  // ---- Symbols ----

  bool WriteTimeDigits(PartPass& part, int first) {
    const SymbolRecord& start = symbols[first];
    int upper[6], lower[6], nu = 0, nl = 0;
    int32_t lastLeft = start.left, upperLast = INT32_MIN, lowerLast = INT32_MIN;
    int16_t left = start.left, right = start.right;
    for (int k = first; k < symbolCount && nu < 6 && nl < 6; ++k) {
      SymbolRecord& s = symbols[k];
      if (s.stave != part.stave || (k != first && s.quality >= kRejectedQuality)) continue;
      const bool digit = s.type >= kSymbolDigitZero && s.type <= kSymbolDigitZero + 9;
      if (!digit || std::abs(s.left - lastLeft) > 1.5 * (s.right - s.left)) break;
      s.quality = kConsumedQuality;
      left = std::min(left, s.left);
      right = std::max(right, s.right);
      if (s.stepTop == 4 && s.left >= upperLast) {
        upper[nu++] = s.type - kSymbolDigitZero;
        upperLast = lastLeft = s.left;
      } else if (s.stepTop == 8 && s.left >= lowerLast) {
        lower[nl++] = s.type - kSymbolDigitZero;
        lowerLast = lastLeft = s.left;
      }
    }
    if (!nu || !nl) return true;
    const auto search = [](const int* digits, int n, bool (*fits)(int)) {
      for (int len = n; len >= 1; --len)
        for (int from = 0; from + len <= n; ++from) {
          int value = 0;
          for (int d = from; d < from + len; ++d) value = value * 10 + digits[d];
          if (fits(value)) return value;
        }
      return -1;
    };
    const int numerator = search(upper, nu, [](int v) { return v >= 1 && v <= 31; });
    const int denominator = search(lower, nl, [](int v) { return v >= 1 && v <= 128 && (v & (v - 1)) == 0; });
    if (numerator < 0 || denominator < 0) return true;
    int code = 7;
    for (int d = denominator; d > 1; d >>= 1) --code;
    part.numerator = numerator;
    part.code = code;
    const uint8_t flag = (start.count & (1u << 12)) ? 0x08 : 0;
    const StaveRow& row = RowOf(part);
    return Write(part, {static_cast<uint8_t>((numerator << 3) | kItemTime), static_cast<uint8_t>(code | flag)},
                 ObjectBox{left, right, Clip16(StaveStepY(row, left, 4)),
                           Clip16(StaveStepY(row, left, BottomLineStep(row)))});
  }

  void CloseBeamTuplets(PartPass& part) {
    for (int v = 0; v < kVoices; ++v) InsertTupletNumber(context, part, v);
  }

  void RunBarVoices(PartPass& part) {
    if (!context.barVoices) return;
    StreamRewrite rewrite;
    context.barVoices(context, part.slot, part.barStart, part.barBox, part.numerator, part.code, &rewrite);
    MoveHeldPlaces(part, rewrite);
  }

  bool WriteBarLine(PartPass& part, SymbolRecord& s) {
    if (s.type != kSymbolBarline && s.type != kSymbolBarline + 7) s.type = kSymbolBarline;
    CloseBeamTuplets(part);
    RunBarVoices(part);
    const ObjectBox box = StepBox(part, s.left, s.right, s.stepTop, s.stepBottom);
    if (!Write(part, {static_cast<uint8_t>(((s.type - 16) << 3) & 0xFF)}, box)) return false;
    part.barStart = context.streams->used[part.slot];
    part.barBox = BoxCount(context);
    const int16_t x = Clip16(box.left + 1);
    const int16_t top = RowOf(part).top;
    return Write(part, {kHiddenTime[0], kHiddenTime[1]}, ObjectBox{x, x, top, top});
  }

  // The next mark sub-item of a symbol (marks mode: 144..163, 176, 192, 208..215).
  static const Appenditure* NextSymbolMark(const SymbolRecord& s, int* index) {
    const int count = std::clamp<int>(s.appenditureCount, 0, kMaxAppenditures);
    while (*index < count) {
      const Appenditure& a = s.appenditures[(*index)++];
      const uint16_t k = a.kind;
      if ((k >= 144 && k <= 159) || k == 176 || k == 192 || (k >= 208 && k <= 215)) return &a;
    }
    return nullptr;
  }

  // The next text sub-item of a symbol from *index on (kinds 16..31 whose
  // record is live and names no sign; its code is its kind).
  const Appenditure* NextSymbolText(const SymbolRecord& s, int* index) const {
    const int count = std::clamp<int>(s.appenditureCount, 0, kMaxAppenditures);
    while (*index < count) {
      const Appenditure& a = s.appenditures[(*index)++];
      if (a.kind >= 16 && a.kind <= 31 && Unconsumed(a.markIndex)) return &a;
    }
    return nullptr;
  }

  bool Unconsumed(uint32_t link) const {
    const PageLists& lists = context.lists;
    const char16_t* text = nullptr;
    if (link & kWordLinkBit) {
      const uint32_t w = link & ~kWordLinkBit & 0xFFFF;
      if (!lists.words || !lists.wordCount || w >= *lists.wordCount || lists.words[w].kind == kTextConsumed) return false;
      text = lists.words[w].text;
    } else {
      if (!lists.chars || !lists.charCount || link >= *lists.charCount || lists.chars[link].kind == kTextConsumed)
        return false;
      text = lists.chars[link].text;
    }
    return text[0] != 0xFFFF && text[0] != 0xFFFE;
  }

  bool WriteRest(PartPass& part, SymbolRecord& s) {
    if (part.firstRecord && !WriteFirstRecordPair(context, part)) return false;
    const ObjectBox box = StepBox(part, s.left, s.right, s.stepTop, s.stepBottom);
    const int voice = s.aux & 3;
    // Marks before the rest.
    int index = 0;
    while (const Appenditure* a = NextSymbolMark(s, &index)) {
      if (a->kind == 192) {
        const uint32_t link = a->markIndex;
        const uint32_t k = std::min<uint32_t>((link >> 16) & 31, 23);
        const uint32_t value = (link & 0xFF) << k;
        const uint32_t b = (link >> 8) & 0xFF;
        if (!Write(part,
                   {kTupletMarkByte, static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>((value >> 8) & 63),
                    static_cast<uint8_t>(context.snapshot.bracketTuplets ? (b + 128) & 0xFF : b),
                    static_cast<uint8_t>(((1u << k) - 1) & 0xFF)},
                   box))
          return false;
      } else if (a->kind >= 208 && a->kind <= 215) {
        const bool pedal = a->kind <= 210;
        if (!Write(part, {static_cast<uint8_t>(pedal ? 0xD6 : 0xE6), 0, 0,
                          static_cast<uint8_t>(pedal ? a->kind - 208 : a->kind - 211), 0},
                   ObjectBox{a->left, a->right, a->top, a->bottom}))
          return false;
      }
    }
    // The rest.
    uint8_t rest[2];
    if (s.type == kSymbolMultiBarRest) {
      rest[0] = static_cast<uint8_t>(((s.count & 0x0F) << 4) | 13);
      rest[1] = static_cast<uint8_t>(((s.count >> 4) & 63) | (voice << 6));
    } else {
      // The duration code type - 64 in bits 4-6 and bit 0 of the rest flags in
      // bit 7, both by the same modular arithmetic on the record's fields.
      const uint32_t value = static_cast<uint32_t>(s.type) - (static_cast<uint32_t>(s.restFlags) << 3);
      rest[0] = static_cast<uint8_t>(((value << 4) & 0xFF) | kItemRest);
      rest[1] = static_cast<uint8_t>((s.count & 3) + (s.size >= kCueSize ? 0x10 : 0) + (s.hidden ? 0x20 : 0) +
                                     (voice << 6));
    }
    // Marks after the rest.
    index = 0;
    bool grid = false;
    while (const Appenditure* a = NextSymbolMark(s, &index)) {
      if (a->kind >= 144 && a->kind <= 148) {
        const int mark = a->kind == 146 ? 2 : a->kind == 147 ? 3 : 1;
        rest[1] = static_cast<uint8_t>((rest[1] & ~0x0C) | (mark << 2));
      }
      grid = grid || a->kind == 176;
    }
    if (!WritePartItem(context, part, rest, 2, box, s.buildScore)) return false;
    const TextItemWriters& writers = context.textItems;
    const StaveRow& row = RowOf(part);
    if (grid && writers.chordGrid) {
      index = 0;
      while (const Appenditure* a = NextSymbolMark(s, &index))
        if (a->kind == 176 && EnsurePartRoom(context, part)) writers.chordGrid(context, part.slot, a->markIndex, s.left, row);
    }
    // Texts of the rest.
    index = 0;
    while (const Appenditure* a = NextSymbolText(s, &index)) {
      if (a->kind == 17) {
        if (!(a->markIndex & kWordLinkBit)) {
          part.voices[voice].charIndex = static_cast<int>(a->markIndex);
          context.lists.chars[a->markIndex].kind = kTextConsumed;
        }
      } else if ((a->kind == 16 || (a->kind >= 25 && a->kind <= 27)) && writers.text) {
        if (!EnsurePartRoom(context, part)) return false;
        writers.text(context, part.slot, a->kind, a->markIndex, s.left, row);
      }
    }
    return true;
  }

  bool WriteSymbol(PartPass& part, int k) {
    SymbolRecord& s = symbols[k];
    const StaveRow& row = RowOf(part);
    const int slot = part.slot;
    const int type = s.type;
    bool ok = true;
    if (type >= 1 && type <= 11) {
      ok = Write(part, {static_cast<uint8_t>(((type - 1) << 3) | kItemClef), static_cast<uint8_t>(s.count & 0xFF)},
                 StepBox(part, s.left, s.right, s.stepTop, s.stepBottom));
      context.clefType[slot] = static_cast<uint32_t>(type);
      context.clefOctave[slot] = s.count;
    } else if (type == 15) {
      const uint32_t current = std::clamp<uint32_t>(context.clefType[slot], 1, 11);
      ok = Write(part, {static_cast<uint8_t>(((current - 1) << 3) | kItemClef),
                        static_cast<uint8_t>(context.clefOctave[slot] & 0xFF)},
                 StepBox(part, s.left, s.right, s.stepTop, s.stepBottom));
    } else if (type == kSymbolFlatKey || type == kSymbolSharpKey) {
      const double space = Spacing(row);
      const int32_t top = static_cast<int32_t>(std::lround(StaveStepY(row, s.left, 4) - 2 * space));
      const int32_t bottom = static_cast<int32_t>(std::lround(top + 8 * space));
      ok = Write(part, {static_cast<uint8_t>(((s.count << 4) & 0xFF) + (type == kSymbolFlatKey ? 2 : 10))},
                 ObjectBox{s.left, s.right, Clip16(top), Clip16(bottom)});
    } else if (type >= kSymbolDigitZero && type <= kSymbolDigitZero + 9) {
      ok = WriteTimeDigits(part, k);
    } else if (type == kSymbolCommonTime || type == kSymbolCutTime) {
      const ObjectBox box{s.left, s.right, Clip16(StaveStepY(row, s.left, 4)),
                          Clip16(StaveStepY(row, s.left, BottomLineStep(row)))};
      if (type == kSymbolCommonTime) {
        ok = Write(part, {0x23, static_cast<uint8_t>(0x25 | ((s.count & (1u << 12)) ? 0x08 : 0))}, box);
        part.numerator = 4;
        part.code = 5;
      } else {
        ok = Write(part, {0x13, 0x26}, box);
        part.numerator = 2;
        part.code = 6;
      }
    } else if (type >= kSymbolBarline && type <= kSymbolBarline + 9) {
      ok = WriteBarLine(part, s);
    } else if ((type >= kSymbolRestBase && type <= kSymbolRestBase + 7) || type == kSymbolMultiBarRest) {
      ok = WriteRest(part, s);
    }
    s.quality = kConsumedQuality;
    part.nothingWritten = false;
    return ok;
  }

  int Run() {
    const StaveRow* rows = context.lists.rows;
    const int parts = std::clamp(context.ReadingPartCount, 0, kPartSlots);
    for (int slot = 1; slot < parts; ++slot)
      if (!EnsureStreamRoom(context, slot, kPartRoomStep)) return 0;
    SetClefMemories(context, firstRow);
    context.previousJoin = 0;
    int32_t systemLeft = 65536;
    for (int r = firstRow; r < endRow && rows[r].group == rows[firstRow].group; ++r)
      systemLeft = std::min(systemLeft, StreamUnits(context, rows[r].left));
    const TimeSignature time = TimeInForce(context);

    PartPass passes[kPartSlots];
    for (int slot = 1; slot < parts; ++slot) {
      PartPass& part = passes[slot];
      part.slot = slot;
      part.stave = slot - 1;
      part.row = SystemStaveRow(context, firstRow, endRow, part.stave);
      part.numerator = time.numerator;
      part.code = time.code;
      part.barStart = part.growthMark = context.streams->used[slot];
      part.barBox = BoxCount(context);
      if (part.row >= 0 && rows[part.row].group == rows[firstRow].group) {
        if (!WriteSystemPosition(part, systemLeft)) return 0;
      }
      part.firstItem = false;
      for (;;) {
        if (context.streams->used[slot] - part.growthMark >= kGrowthStep) {
          part.growthMark = context.streams->used[slot];
          if (!EnsureStreamRoom(context, slot, kPartRoomStep)) return 0;
        }
        if (!EnsurePartRoom(context, part)) return 0;
        const int note = LeftmostNote(part);
        const int symbol = LeftmostSymbol(part, note);
        if (symbol >= 0) {
          if (!WriteSymbol(part, symbol)) return 0;
        } else if (note >= 0) {
          if (!BuildChordsFrom(context, part, note, firstRow, endRow)) return 0;
        } else {
          break;
        }
      }
      // A beam group that runs to the end of the system closes here.
      CloseBeamTuplets(part);
      CloseOpenCurves(context, part);
    }

    if (context.textItems.pageTexts) {
      // Room for the page texts of every record still unconsumed.
      const PageLists& lists = context.lists;
      const uint32_t words = lists.wordCount ? *lists.wordCount : 0, chars = lists.charCount ? *lists.charCount : 0;
      if (!EnsureStreamRoom(context, 0, words * 600 + chars * 80 + 1)) return 0;
      if (!context.textItems.pageTexts(context)) return 0;
    }

    for (int slot = 1; slot < parts; ++slot) RunBarVoices(passes[slot]);
    for (int slot = 1; slot < kPartSlots; ++slot) {
      if (slot >= parts && !EnsureStreamRoom(context, slot, 32)) continue;
      const uint8_t end = kBarBoundary;
      if (!AppendStreamBytes(context, slot, &end, 1) && EnsureStreamRoom(context, slot, 32))
        AppendStreamBytes(context, slot, &end, 1);
    }
    context.pageStreamsBuilt = 1;
    return 1;
  }
};

}  // namespace

int32_t StaveStepY(const StaveRow& row, int32_t x, int step) {
  const double top = row.top + static_cast<double>(row.slope) * (x - row.left) / 4096.0;
  return static_cast<int32_t>(std::lround(top + (step - 4) * Spacing(row) / 2.0));
}

int SystemStaveRow(const BuildContext& context, int firstRow, int endRow, int stave) {
  return FindStaveInGroup(context.lists.rows, endRow, firstRow, stave);
}

int EnsurePartRoom(BuildContext& context, PartPass& part) {
  const StreamSet& set = *context.streams;
  if (set.block[part.slot] && StreamCapacity(set, part.slot) - set.used[part.slot] >= kPartRoomLeft) return 1;
  return EnsureStreamRoom(context, part.slot, kPartRoomStep);
}

bool WritePartItem(BuildContext& context, PartPass& part, const uint8_t* bytes, uint32_t n, ObjectBox box,
                   float score) {
  if (!AppendStreamBytes(context, part.slot, bytes, n)) return false;
  AppendObjectBox(context, box, score);
  return true;
}

bool WriteFirstRecordPair(BuildContext& context, PartPass& part) {
  const bool wanted = part.firstRecord && context.snapshot.rhythmCorrection;
  part.firstRecord = false;
  if (!wanted) return true;
  const StaveRow& row = context.lists.rows[part.row >= 0 ? part.row : 0];
  const int count = BoxCount(context);
  int16_t x = part.nothingWritten || count == 0 ? Clip16(row.left + 8) : Clip16(ObjectBoxAt(context, count - 1).left + 1);
  for (int k = 0; k < 2; ++k) {
    if (!WritePartItem(context, part, kHiddenTime, 2, ObjectBox{x, x, row.top, row.top}, 0.0f)) return false;
    x = Clip16(x + 1);
  }
  return true;
}

void InsertTupletNumber(BuildContext& context, PartPass& part, int voice) {
  VoiceTuplet& t = part.voices[voice & 3];
  PageLists& lists = context.lists;
  if (t.position >= 0 && t.charIndex >= 0 && lists.chars && lists.charCount &&
      static_cast<uint32_t>(t.charIndex) < *lists.charCount) {
    CharRecord& c = lists.chars[t.charIndex];
    int digit = -1;
    if (c.text[0] >= u'0' && c.text[0] <= u'9') digit = c.text[0] - u'0';
    if (c.text[0] && c.text[1] >= u'0' && c.text[1] <= u'9') digit = digit * 10 + (c.text[1] - u'0');
    const uint32_t at = static_cast<uint32_t>(t.position);
    if (digit == t.notes && digit >= 2 && t.duration > 0 && EnsureStreamRoom(context, part.slot, 5)) {
      uint8_t mark[5];
      MakeTupletMark(mark, digit, static_cast<uint32_t>(t.duration), static_cast<uint8_t>(voice & 3), false);
      if (InsertStreamBytes(context, part.slot, at, mark, 5)) {
        StreamRewrite rewrite;
        rewrite.bytes = InsertionRewrite(at, 5);
        if (InsertObjectBox(context, t.boxIndex, ObjectBox{c.left, c.right, c.top, c.bottom}, 0.0f))
          rewrite.rows = InsertionRewrite(static_cast<uint32_t>(t.boxIndex), 1);
        MoveHeldPlaces(part, rewrite);
        c.kind = kTextConsumed;
      }
    }
  }
  t.position = -1;
  t.charIndex = -1;
}

void MoveHeldPlaces(PartPass& part, const StreamRewrite& rewrite) {
  const auto bytes = [&](auto place, HeldPlace kind) {
    return static_cast<decltype(place)>(PlaceAfterRewrite(rewrite.bytes, place, kind));
  };
  const auto rows = [&](int place, HeldPlace kind) {
    return static_cast<int>(PlaceAfterRewrite(rewrite.rows, place, kind));
  };
  part.barStart = bytes(part.barStart, HeldPlace::kBoundary);
  part.growthMark = bytes(part.growthMark, HeldPlace::kBoundary);
  part.barBox = rows(part.barBox, HeldPlace::kBoundary);
  for (VoiceTuplet& voice : part.voices) {
    if (voice.position < 0) continue;
    voice.position = bytes(voice.position, HeldPlace::kItem);
    voice.boxIndex = rows(voice.boxIndex, HeldPlace::kItem);
  }
  for (OpenCurve& curve : part.curves) curve.position = bytes(curve.position, HeldPlace::kItem);
}

int InterpretStaveSymbols(BuildContext& context, int firstRow, int endRow) {
  PageLists& lists = context.lists;
  if (!lists.rows || firstRow < 0 || firstRow >= lists.staveCount) return 1;
  endRow = std::clamp(endRow, firstRow + 1, lists.staveCount);
  GroupPass pass{context,
                 firstRow,
                 endRow,
                 lists.symbols,
                 lists.symbols && lists.symbolCount ? static_cast<int>(*lists.symbolCount) : 0,
                 lists.notes,
                 lists.notes && lists.noteCount ? static_cast<int>(*lists.noteCount) : 0};
  return pass.Run();
}

int InterpretStaveSymbolsStage(StageContext& stage) {
  BuildContext& context = ReadingBuildContext();
  BindStageContext(context, stage);
  if (!stage.rows || stage.firstStave >= stage.staveCount) return 1;
  int end = stage.firstStave;
  while (end < stage.staveCount && stage.rows[end].group == stage.rows[stage.firstStave].group) ++end;
  const int result = InterpretStaveSymbols(context, stage.firstStave, end);
  if (result) Reading().pageHasItems = 1;
  return result;
}
