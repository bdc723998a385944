#include "stages/NoteRecords.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "reading/StaveSpacing.h"
#include "stages/SymbolRecords.h"

namespace {

// The engine hands at most this many note events per time slot.
constexpr int32_t kSlotEventLimit = 100;

int16_t QualityOfConfidence(int confidence) { return static_cast<int16_t>(std::min(95 - confidence, 5)); }

int16_t RoundedSpaces(int32_t pixels, int16_t space) {
  if (space <= 0) return 0;
  return static_cast<int16_t>(static_cast<int32_t>(static_cast<double>(pixels) / space + 0.5));
}

// Appenditure kinds of the engine's accidental codes 1..7.
uint16_t AccidentalKind(int32_t code) {
  static const uint16_t kinds[] = {0, 129, 130, 128, 131, 132, 133, 134};
  return code >= 1 && code <= 7 ? kinds[code] : 0;
}

// The offset word of a stem slot: the offset in the low byte, the strength
// (length + 1, so that strength - 1 is the length in spaces) in the high byte.
int16_t StemOffsetWord(int32_t offset, int16_t length) {
  return static_cast<int16_t>(std::clamp(offset, 0, 255) | (std::clamp(length + 1, 0, 127) << 8));
}

void FillStem(NoteRecord& r, const EngineEventView& e, const EngineNoteView& n) {
  if (!e.hasStem) return;
  const int32_t u = CurrentStaveUnits().staveUnit * kStemUnitFactor;
  const bool usual = n.usualStemSide != 0;
  if (!r.stemDown) {
    const int16_t length = RoundedSpaces(r.top - e.stemTopY, r.space);
    const int slot = usual ? 1 : 0;
    r.stemLength[slot] = length;
    r.stemOffset[slot] = StemOffsetWord(usual ? r.right + u - e.stemX : e.stemX - (r.left - u), length);
  } else {
    const int16_t length = RoundedSpaces(e.stemBottomY - r.bottom, r.space);
    const int slot = usual ? 2 : 3;
    r.stemLength[slot] = length;
    r.stemOffset[slot] = StemOffsetWord(usual ? e.stemX - (r.left - u) : r.right + u - e.stemX, length);
  }
}

// Duration of a solid head from its flags and beams.
void FillDuration(NoteRecord& r, const EngineEventView& e) {
  if (r.kind != kNoteCrotchet) return;
  const int32_t f = e.flagCount, bl = e.leftBeams, br = e.rightBeams;
  if (f > 0) {
    r.kind = static_cast<uint32_t>(std::max(5 - f, 0));
    r.countRight = 1;
  } else if (bl < br && br > 0) {
    r.kind = static_cast<uint32_t>(std::max(5 - br, 0));
    r.beamed = 1;
    r.countRight = 1;
  } else if (bl > 0) {
    r.kind = static_cast<uint32_t>(std::max(5 - bl, 0));
    r.beamed = 1;
  }
  if (r.kind < kNoteSemiquaver) r.kind = kNoteSemiquaver;
}

// y of line i (may lie outside the stave: extended by space per line).
int32_t RestLineY(const StaveRow* rows, int s, int i, int32_t x, int16_t space, StavePage& page) {
  const int lines = rows[s].lineCount;
  if (i < 0) return rows[s].top + StaveLineY(rows, s, 0, x, page) + i * space;
  if (i >= lines) return rows[s].top + StaveLineY(rows, s, lines - 1, x, page) + (i - lines + 1) * space;
  return rows[s].top + StaveLineY(rows, s, i, x, page);
}

// ---- Small heads: cue notes or grace notes ----

bool IsHeadType(int32_t type) { return type >= kEngineBreveHead && type <= kEngineGraceHead; }

// An event whose heads were all found by the engine's small-head models (a
// solid small head comes as the engine's grace type).
bool IsSmallEvent(const EngineEventView& e) {
  int heads = 0;
  for (int32_t i = 0; i < e.noteCount; ++i) {
    const EngineNoteView& n = e.notes[i];
    if (!IsHeadType(n.type)) continue;
    if (!n.small) return false;
    ++heads;
  }
  return heads > 0;
}

bool IsFullSizeHeadEvent(const EngineEventView& e) {
  for (int32_t i = 0; i < e.noteCount; ++i)
    if (IsHeadType(e.notes[i].type)) return !IsSmallEvent(e);
  return false;
}

// Hollow heads come from the full-size models only: a cue-size half or whole
// head is one found well narrower than the glyph (cue glyphs are drawn at
// about 70 %). The narrowest full-size widths over the engravers' fonts, in
// hundredths of a stave space (half heads 1.18, whole heads 1.69), below
// which a head is cue-size:
constexpr int32_t kCueHalfHeadWidth = 108;
constexpr int32_t kCueWholeHeadWidth = 150;

bool IsCueSizeHollowHead(const EngineNoteView& n, int32_t space) {
  if (space <= 0 || n.box.x0 == kEngineNoBox) return false;
  const int32_t limit = n.type == kEngineMinimHead ? kCueHalfHeadWidth
                        : n.type == kEngineSemibreveHead ? kCueWholeHeadWidth
                                                          : 0;
  return static_cast<int64_t>(n.box.x1 - n.box.x0) * 100 < static_cast<int64_t>(limit) * space;
}

// An event of cue-size heads: small heads (IsSmallEvent) or hollow heads all
// of them cue-size.
bool IsCueSizeEvent(const EngineEventView& e, int32_t space) {
  if (IsSmallEvent(e)) return true;
  int heads = 0;
  for (int32_t i = 0; i < e.noteCount; ++i) {
    const EngineNoteView& n = e.notes[i];
    if (!IsHeadType(n.type)) continue;
    if (!IsCueSizeHollowHead(n, space)) return false;
    ++heads;
  }
  return heads > 0;
}

// Per event of a bar: true for the small-head events that are grace notes.
// A run of small-head events (left to right) is a run of grace notes when it
// stands right before a full-size note: the next event begins within two
// stave spaces of the run's end when every event of the run is a quaver or
// shorter (a flag or beams), within one and a half otherwise (a slashed
// flag is not always read as a flag). Any other small head is a cue note: it
// takes its time in the bar. Gaps in half stave spaces:
constexpr int32_t kGraceGapShort = 4;
constexpr int32_t kGraceGapOther = 3;

std::vector<bool> GraceEvents(const std::vector<EngineEventView>& events, int16_t space) {
  std::vector<size_t> order(events.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return events[a].box.x0 < events[b].box.x0; });
  std::vector<bool> grace(events.size(), false);
  for (size_t k = 0; k < order.size();) {
    if (!IsSmallEvent(events[order[k]])) {
      ++k;
      continue;
    }
    size_t end = k;
    bool allShort = true;
    int32_t right = events[order[k]].box.x1;
    while (end < order.size() && IsSmallEvent(events[order[end]])) {
      const EngineEventView& e = events[order[end]];
      allShort = allShort && e.hasStem && (e.flagCount > 0 || e.leftBeams > 0 || e.rightBeams > 0);
      right = std::max(right, e.box.x1);
      ++end;
    }
    const int32_t gap = end < order.size() ? 2 * (events[order[end]].box.x0 - right) : 0;
    const bool beforeNote = end < order.size() && IsFullSizeHeadEvent(events[order[end]]) &&
                            gap <= (allShort ? kGraceGapShort : kGraceGapOther) * std::max<int32_t>(space, 1);
    for (size_t j = k; j < end; ++j) grace[order[j]] = beforeNote;
    k = end;
  }
  return grace;
}

}  // namespace

void DeleteNoteRecord(NoteRecord* notes, uint32_t& count, uint32_t index) {
  if (index >= count) return;
  if (index + 1 < count) std::memmove(&notes[index], &notes[index + 1], (count - index - 1) * sizeof(NoteRecord));
  --count;
}

int ImportEngineNotes(const StaveRow* rows, int rowCount, int s, int32_t indexInSystem, NoteRecord* notes,
                      uint32_t& count, int16_t staveNumber) {
  if (!rows || s < 0 || s >= rowCount) return 0;
  const int32_t system = rows[s].group;
  if (system < 0 || system >= EngineSystemCount()) return 0;
  if (indexInSystem < 0 || indexInSystem >= EngineSystemStaveCount(system)) return 0;
  const int32_t slots = EngineStaveSlotCount(system, indexInSystem);
  const int16_t space = static_cast<int16_t>(EngineStaveSpace(system, indexInSystem));
  for (int32_t slot = 0; slot < slots; ++slot) {
    std::vector<EngineEventView> events;
    ReadEngineSlotEvents(system, indexInSystem, slot, &events);
    if (events.size() > static_cast<size_t>(kSlotEventLimit)) events.resize(kSlotEventLimit);
    const std::vector<bool> grace = GraceEvents(events, space);
    for (size_t k = 0; k < events.size(); ++k) {
      const EngineEventView& e = events[k];
      if (grace[k]) continue;  // grace notes make no records
      const bool cue = IsCueSizeEvent(e, space);
      bool copied = false;
      for (int32_t i = 0; i < e.noteCount; ++i) {
        if (count >= static_cast<uint32_t>(kNoteListLimit)) break;
        const EngineNoteView& n = e.notes[i];
        if (!IsHeadType(n.type)) continue;  // rests
        if (n.type == kEngineGraceHead && !cue) continue;  // a small head among full-size ones
        const EngineBox& box = n.box;
        if (box.x0 == kEngineNoBox) continue;
        NoteRecord& r = notes[count];
        r = NoteRecord{};
        r.confidence = static_cast<int16_t>(EngineCostConfidence(n.cost));
        r.quality = QualityOfConfidence(r.confidence);
        r.left = static_cast<int16_t>(box.x0);
        r.top = static_cast<int16_t>(box.y0);
        r.right = static_cast<int16_t>(box.x1);
        r.bottom = static_cast<int16_t>(box.y1);
        r.step = static_cast<int16_t>(n.step);
        // breve 8 .. solid 5; a small solid head of a cue note is a solid head
        r.kind = static_cast<uint32_t>(8 - std::min<int32_t>(n.type, kEngineSolidHead));
        if (cue) {
          r.size = kCueSize;
          r.chordFlag = 1;  // cue-size notes make chords of their own
        }
        r.dots = static_cast<int16_t>(std::clamp(e.dots, 0, 1));
        r.stave = staveNumber;
        r.origin = kEngineOrigin;
        r.staveTopY = static_cast<int16_t>(EngineStaveTopLineY(system, indexInSystem, r.left));
        r.space = space;
        r.crossStave = static_cast<int8_t>(n.staveOffset);
        r.stemDown = e.stemUp ? 0 : 1;
        r.stemRight = (n.usualStemSide != 0) != (r.stemDown != 0) ? 1 : 0;
        FillStem(r, e, n);
        FillDuration(r, e);
        const uint32_t index = count++;
        if (const uint16_t kind = AccidentalKind(n.accidental)) AddEngineAppenditure(kind, notes, index, e, i);
        if (n.staveOffset != 0 && !copied && count < static_cast<uint32_t>(kNoteListLimit)) {
          copied = true;
          NoteRecord& rest = notes[count++];
          rest = notes[index];
          rest.stave = static_cast<int16_t>(rest.stave + n.staveOffset);
          rest.crossStave = 0;
          rest.recordClass = kRestWaitingRecord;
        }
      }
    }
  }
  return 1;
}

int AddEngineAppenditure(uint16_t kind, NoteRecord* notes, uint32_t index, const EngineEventView& event,
                         int32_t noteIndex) {
  NoteRecord& r = notes[index];
  if (r.appenditureCount >= kMaxAppenditures || r.appenditureCount < 0) return 0;
  if (noteIndex < 0 || noteIndex >= event.noteCount) return 0;
  const EngineNoteView& n = event.notes[noteIndex];
  // The accidental: the union box and the mean cost of its one or two symbols.
  EngineBox box{kEngineNoBox, kEngineNoBox, kEngineNoBox, kEngineNoBox};
  int32_t cost = 0;
  if (kind >= 128 && kind <= 134) {
    box = n.accidentalBox;
    cost = n.accidentalCost;
  }
  Appenditure& a = r.appenditures[r.appenditureCount];
  a = Appenditure{};
  a.quality = QualityOfConfidence(EngineCostConfidence(cost));
  a.kind = kind;
  a.stave = r.stave;
  a.score = 100;
  if (box.x0 != kEngineNoBox) {
    a.left = static_cast<int16_t>(box.x0);
    a.right = static_cast<int16_t>(box.x1);
    a.top = static_cast<int16_t>(box.y0);
    a.bottom = static_cast<int16_t>(box.y1);
  }
  a.markIndex = 0;
  ++r.appenditureCount;
  return 1;
}

int32_t LinkedNoteScore(const NoteRecord* notes, uint32_t count, uint32_t index, NoteLinkTest linked,
                        void* context) {
  if (index >= count) return 0;
  const NoteRecord& r = notes[index];
  if (r.kind == kNoteSemibreve) return 0;
  int64_t score = r.origin;
  int64_t add = 1;
  for (uint32_t j = 0; j < count && linked; ++j) {
    if (j == index) continue;
    const NoteRecord& o = notes[j];
    if (o.quality >= kRejectedQuality || o.stave != r.stave || o.kind != r.kind) continue;
    if (!linked(notes, count, index, j, context)) continue;
    score += add;
    if (score >= kLinkedScoreLimit) return kLinkedScoreLimit;
    add *= 2;
  }
  return static_cast<int32_t>(score);
}

int IsLineStep(int32_t position, const StaveRow& row) {
  if (row.kind == 0) return (position & 1) ? 1 : 0;
  if (row.kind != 2 || row.lineCount < 1 || row.lineCount > 3) return 0;
  return position >= 11 && position <= 11 + 4 * (row.lineCount - 1) && (position - 11) % 4 == 0 ? 1 : 0;
}

int IsLineStepAbove(int32_t position, const StaveRow& row) {
  if (row.kind == 0) return (position & 1) ? 1 : 0;
  if (row.kind != 2 || row.lineCount < 1 || row.lineCount > 3) return 0;
  return position >= 9 && position <= 9 + 4 * (row.lineCount - 1) && (position - 9) % 4 == 0 ? 1 : 0;
}

int IsSpaceStep(int32_t position, const StaveRow& row) {
  if (row.kind == 0) return (position & 1) ? 0 : 1;
  if (row.kind != 2 || row.lineCount < 1 || row.lineCount > 3) return 0;
  return position >= 10 && position <= 10 + 4 * (row.lineCount - 1) && (position - 10) % 4 == 0 ? 1 : 0;
}

void ConvertNoteRecordsToSymbols(const StaveRow* rows, int rowCount, int groupLength, int groupStart,
                                 NoteRecord* notes, uint32_t& count, SymbolRecord* symbols,
                                 uint32_t& symbolCount, StavePage& page) {
  (void)groupLength;
  for (uint32_t i = 0; i < count;) {
    const NoteRecord& r = notes[i];
    if (r.recordClass != kRestWaitingRecord) {
      ++i;
      continue;
    }
    const int s = FindStaveInGroup(rows, rowCount, groupStart, r.stave);
    if (s >= 0 && symbolCount < static_cast<uint32_t>(kSymbolListLimit) && r.kind <= kNoteBreve) {
      SymbolRecord& y = symbols[symbolCount++];
      y = SymbolRecord{};
      y.type = static_cast<int16_t>(kSymbolRestBase + static_cast<int16_t>(r.kind));
      y.space = r.space;
      y.confidence = r.confidence;
      y.quality = r.quality;
      y.left = r.left;
      y.right = r.right;
      y.count = static_cast<uint32_t>(std::max<int16_t>(r.dots, 0));
      y.stave = r.stave;
      y.score = r.origin;
      y.staveTopY = r.staveTopY;
      y.aux = r.aux;
      y.size = r.size;
      y.hidden = 1;
      const int b = rows[s].lineCount == 1 ? 4 : rows[s].lineCount == 2 ? 2 : 0;
      int16_t stepTop = static_cast<int16_t>(b);
      for (int line = -1; line <= 6; ++line) {
        if (RestLineY(rows, s, line, r.left, r.space, page) > r.top + 2) break;
        stepTop = static_cast<int16_t>(std::clamp(b + 4 + 2 * line, 0, 15));
      }
      int16_t stepBottom = 15;
      for (int line = 5; line >= -2; --line) {
        if (RestLineY(rows, s, line, r.left, r.space, page) < r.bottom - 2) break;
        stepBottom = static_cast<int16_t>(std::clamp(b + 4 + 2 * line, 0, 15));
      }
      y.stepTop = stepTop;
      y.stepBottom = stepBottom;
    }
    DeleteNoteRecord(notes, count, i);
  }
  SortSymbolsByStave(symbols, symbolCount);
}
