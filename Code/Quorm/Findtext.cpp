#include "Code/Quorm/Findtext.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Code/Quorm/Bitstrea.h"
#include "Code/Quorm/Codepage.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Merger.h"
#include "Code/Quorm/Ocrmisc.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Readline.h"
#include "Code/Quorm/Spell.h"
#include "Code/Quorm/concmpts.h"
#include "Code/Quorm/options.h"
#include "Code/Quorm/smooth.h"

namespace {

constexpr int32_t kNeverJoin = 1025;
constexpr int32_t kJoinLimit = 1024;
constexpr int32_t kMergeCell = 32;
constexpr int32_t kFirstLyricLines = 100;
constexpr int32_t kNoRangeLeft = 15000;
constexpr int32_t kPeakEvidence = 666;
constexpr int32_t kModeLyrics = 0;
constexpr int32_t kModeText = 1;
constexpr int32_t kModeChords = 2;
constexpr int32_t kModeRejoined = 3;

int32_t S(int32_t percent) { return ScaleToPixels(percent); }

// ---- Results ----

struct RecordList {
  TextLineRecord* records = nullptr;
  int32_t count = 0;
  int32_t capacity = 0;
};

RecordList gLyrics;  // first kFirstLyricLines records, then doubled
RecordList gBlocks;  // a fixed capacity, set after the first pass
bool gHeld = false;  // FindText ran since the last clean-up

void FreeRecord(TextLineRecord& record) {
  EngineFree(record.items);
  record = TextLineRecord{};
}

void FreeList(RecordList& list) {
  for (int32_t i = 0; i < list.count; ++i) FreeRecord(list.records[i]);
  EngineFree(list.records);
  list = RecordList{};
}

void AppendLyricLine(TextLineRecord& record) {
  if (gLyrics.count == gLyrics.capacity) GrowEngineArrayChecked(gLyrics.records, gLyrics.capacity, kFirstLyricLines);
  gLyrics.records[gLyrics.count++] = record;
  record = TextLineRecord{};
}

// False (and the record freed) when the block list is full.
bool AppendTextBlock(TextLineRecord& record) {
  if (gBlocks.count >= gBlocks.capacity) {
    FreeRecord(record);
    return false;
  }
  gBlocks.records[gBlocks.count++] = record;
  record = TextLineRecord{};
  return true;
}

TextItem& ItemOf(RecordList& list, int32_t reference) {
  ENGINE_CHECK(reference >= 0);
  const int32_t line = reference / kTextRefItems;
  const int32_t item = reference % kTextRefItems;
  ENGINE_CHECK_INDEX(line, list.count);
  ENGINE_CHECK_INDEX(item, list.records[line].itemCount);
  return list.records[line].items[item];
}

TextLineRecord& RecordOf(RecordList& list, int32_t index) {
  ENGINE_CHECK_INDEX(index, list.count);
  return list.records[index];
}

RecordList& ListOfKind(int32_t kind) {
  ENGINE_CHECK(kind == kObjectLyricWord || kind == kObjectTextBlockItem);
  return kind == kObjectLyricWord ? gLyrics : gBlocks;
}

// ---- Work tables of one run ----

int32_t gRows = 0;                  // rows of the de-skewed frame
int32_t* gProfile = nullptr;        // text evidence per row
int32_t* gHistogram = nullptr;      // ink per row, then its differences
int32_t* gPeaks = nullptr;
uint8_t* gUsed = nullptr;           // per component
EngineBox* gFrameBoxes = nullptr;   // per component, in the de-skewed frame
int32_t gComponents = 0;

struct TextGroup {
  int32_t count;
  int32_t* members;
  EngineBox box;     // the members' union, de-skewed frame
  int32_t absorbed;  // joined into another group
  int32_t reading;   // index of its kept reading, -1 none
};
TextGroup* gGroups = nullptr;
int32_t gGroupCount = 0;
int32_t gGroupCapacity = 0;

struct KeptReading {
  LineReading reading;  // words copied into the finder's own block
  int32_t group;
  int32_t dropped;
};
KeptReading* gReadings = nullptr;
int32_t gReadingCount = 0;

int32_t* gBands = nullptr;
int32_t gBandCount = 0;
int32_t* gSelected = nullptr;
int32_t gSelectedCount = 0;

void FreeGroups() {
  for (int32_t g = 0; g < gGroupCount; ++g) EngineFree(gGroups[g].members);
  EngineFree(gGroups);
  gGroupCount = 0;
  gGroupCapacity = 0;
}

void FreeReadings() {
  for (int32_t r = 0; r < gReadingCount; ++r) EngineFree(gReadings[r].reading.words);
  EngineFree(gReadings);
  gReadingCount = 0;
}

void FreeWorkTables() {
  FreeGroups();
  FreeReadings();
  EngineFree(gProfile);
  EngineFree(gHistogram);
  EngineFree(gPeaks);
  EngineFree(gUsed);
  EngineFree(gFrameBoxes);
  EngineFree(gBands);
  EngineFree(gSelected);
  gRows = 0;
  gComponents = 0;
  gBandCount = 0;
  gSelectedCount = 0;
}

int32_t Width(const EngineBox& b) { return b.x1 - b.x0; }
int32_t Height(const EngineBox& b) { return b.y1 - b.y0; }

// ---- Character counts ----

struct CharacterCounts {
  int32_t characters;
  int32_t letters;
  int32_t lettersAndDigits;
};

CharacterCounts CountCharacters(const char* text) {
  CharacterCounts c{0, 0, 0};
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
    ++c.characters;
    const bool letter = IsLetterChar(*p);
    if (letter) ++c.letters;
    if (letter || IsDigitChar(*p)) ++c.lettersAndDigits;
  }
  return c;
}

bool HasPairInARow(const char* text) {
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); p[0] != 0 && p[1] != 0; ++p) {
    if (IsLetterChar(p[0]) && IsLetterChar(p[1])) return true;
    if (IsDigitChar(p[0]) && IsDigitChar(p[1])) return true;
  }
  return false;
}

// ---- Grouping ----

struct GroupItem {
  int32_t component;
  EngineBox box;  // the component's; at a group's head the union of its members
};

GroupItem* ItemOfGroup(MergeGroup* group) { return static_cast<GroupItem*>(group->item); }

int32_t GroupJoinCost(MergeGroup* ga, MergeGroup* gb) {
  const EngineBox& a = ItemOfGroup(ga)->box;
  const EngineBox& b = ItemOfGroup(gb)->box;
  if (b.x0 < a.x0) return kNeverJoin;
  if (Height(UnionBox(a, b)) > S(400)) return kNeverJoin;
  const int32_t overlap = std::min(a.y1 - b.y0, b.y1 - a.y0);
  if (overlap < 1) return kNeverJoin;
  const int32_t gap = std::max(0, b.x0 - a.x1);
  const int32_t heights = Height(a) + Height(b);
  const int64_t cost = DivRound64(1024LL * gap, S(200)) + DivRound64(1024LL * (heights - 2 * overlap), heights);
  return static_cast<int32_t>(std::min<int64_t>(cost, kNeverJoin));
}

void GroupJoin(MergeGroup* a, MergeGroup* b) {
  ItemOfGroup(a)->box = UnionBox(ItemOfGroup(a)->box, ItemOfGroup(b)->box);
}

MergePoint GroupCentre(MergeGroup* group) {
  const EngineBox& b = ItemOfGroup(group)->box;
  return MergePoint{b.x0, (b.y0 + b.y1) / 2};
}

void GroupSearchBox(MergeBox* out, MergeGroup* group) {
  const EngineBox& b = ItemOfGroup(group)->box;
  *out = MergeBox{b.x0, std::max(0, b.y0 - S(200)), b.x1 + S(400), b.y1 + S(200)};
}

void CollectGroup(MergeGroup* group) {
  ENGINE_CHECK_INDEX(gGroupCount, gGroupCapacity);
  TextGroup& g = gGroups[gGroupCount++];
  g = TextGroup{0, nullptr, ItemOfGroup(group)->box, 0, -1};
  const int32_t n = CountListItems(group);
  EngineAllocChecked(g.members, static_cast<size_t>(n) * sizeof(int32_t));
  for (MergeGroup* m = group; m != nullptr && g.count < n; m = m->next) g.members[g.count++] = ItemOfGroup(m)->component;
}

// Groups the unused text-sized components into candidate lines.
void GroupTextComponents() {
  FreeGroups();
  BeginMerge();
  int32_t items = 0;
  for (int32_t i = 0; i < gComponents; ++i) {
    if (gUsed[i] != 0) continue;
    const EngineBox& box = gFrameBoxes[i];
    if (!IsTextSizedComponent(Width(box), Height(box))) continue;
    GroupItem* item = static_cast<GroupItem*>(NewMergeItem(sizeof(GroupItem)));
    *item = GroupItem{i, box};
    ++items;
  }
  if (items > 0) {
    RunMerge(GroupJoinCost, GroupJoin, GroupCentre, GroupSearchBox, nullptr, kMergeCell, kMergeCell, kJoinLimit);
    gGroupCapacity = CountMergedGroups();
    EngineAllocZeroedChecked(gGroups, static_cast<size_t>(gGroupCapacity) * sizeof(TextGroup));
    ForEachMergedGroup(CollectGroup);
  }
  EndMerge();
}

// ---- Reading a group ----

// Draws the members into a "textline" bitmap of the box and reads it; long
// flat strokes (rules, underlines) are left out. No words when fewer than
// half the members (or none) were drawn.
void ReadTextGroup(const int32_t* members, int32_t n, const EngineBox& box, int mode, LineReading* out) {
  *out = LineReading{};
  const int32_t w = Width(box), h = Height(box);
  if (n < 1 || w < 1 || h < 1) return;
  void* block = nullptr;
  EngineAllocChecked(block, BitmapBlockSize(w, h));
  InitialiseBitmapHeader(block, w, h, "textline");
  int32_t copied = 0;
  for (int32_t k = 0; k < n; ++k) {
    const int32_t c = members[k];
    const EngineBox& fb = gFrameBoxes[c];
    if (Width(fb) >= S(200) && (Height(fb) - S(25)) * 20 <= Width(fb)) continue;
    const ConnectedComponent* record = GetComponentRecord(c);
    const int32_t dy = fb.y0 - box.y0, dx = fb.x0 - box.x0;
    ENGINE_CHECK(dy >= 0 && dx >= 0 && dy + record->rows <= h && dx + record->columns <= w);
    for (int32_t r = 0; r < record->rows; ++r) {
      uint32_t* row = BitmapRow(block, dy + r);
      const int64_t first = static_cast<int64_t>(r) * record->columns;
      for (int32_t col = 0; col < record->columns; ++col) {
        const int64_t bit = first + col;
        if ((record->bits[bit >> 5] >> (bit & 31)) & 1u) row[(dx + col) >> 5] |= 1u << ((dx + col) & 31);
      }
    }
    ++copied;
  }
  if (copied >= 1 && 2 * copied >= n) {
    ReadTextLine(out, block, mode);
    out->top = box.y0;
    out->left = box.x0;
  }
  EngineFree(block);
}

bool HasUsableReading(const LineReading& r) {
  return r.wordCount > 0 && r.textHeight >= S(100) && r.textHeight <= S(300);
}

// Copies the reader's words (which live until its next line) into a block of
// the finder's own.
LineReading KeepWords(const LineReading& r) {
  LineReading kept = r;
  kept.words = nullptr;
  EngineAllocChecked(kept.words, static_cast<size_t>(std::max(1, r.wordCount)) * sizeof(ReadWordRecord));
  if (r.wordCount > 0) std::memcpy(kept.words, r.words, static_cast<size_t>(r.wordCount) * sizeof(ReadWordRecord));
  return kept;
}

// Joins into group g the groups that lie inside its box (reaching at most
// half its height above it); true when any was joined.
bool AbsorbGroupsInside(int32_t g) {
  TextGroup& line = gGroups[g];
  const EngineBox lb = line.box;
  const int32_t half = Height(lb) / 2;
  bool joined = false;
  for (int32_t o = 0; o < gGroupCount; ++o) {
    TextGroup& other = gGroups[o];
    if (o == g || other.absorbed || other.count == 0) continue;
    const EngineBox& ob = other.box;
    if (ob.x0 < lb.x0 || ob.x1 > lb.x1 || ob.y1 > lb.y1 || ob.y0 < lb.y0 - half) continue;
    EngineResizeArrayChecked(line.members, static_cast<size_t>(line.count),
                             static_cast<size_t>(line.count + other.count));
    std::memcpy(line.members + line.count, other.members, static_cast<size_t>(other.count) * sizeof(int32_t));
    line.count += other.count;
    line.box = UnionBox(line.box, ob);
    other.absorbed = 1;
    if (other.reading >= 0) gReadings[other.reading].dropped = 1;
    joined = true;
  }
  return joined;
}

// Reads every group of line size in the mode and keeps the usable readings.
void ReadTextLines(int mode) {
  FreeReadings();
  EngineAllocZeroedChecked(gReadings, static_cast<size_t>(std::max(1, gGroupCount)) * sizeof(KeptReading));
  for (int32_t g = 0; g < gGroupCount; ++g) {
    TextGroup& group = gGroups[g];
    if (group.absorbed) continue;
    const int32_t h = Height(group.box), w = Width(group.box);
    if (h < S(70) || h > S(400) || w < S(70) || 2 * w < h) continue;
    LineReading r;
    ReadTextGroup(group.members, group.count, group.box, mode, &r);
    if (!HasUsableReading(r)) continue;
    bool high = false;
    for (int32_t i = 0; i < r.wordCount; ++i) high = high || r.words[i].referenceRow < r.textHeight;
    if (high && AbsorbGroupsInside(g)) {
      ReadTextGroup(group.members, group.count, group.box, kModeRejoined, &r);
      if (!HasUsableReading(r)) continue;
    }
    group.reading = gReadingCount;
    gReadings[gReadingCount++] = KeptReading{KeepWords(r), g, 0};
  }
}

// ---- Row profile of text ----

void AddTextEvidence() {
  std::fill(gProfile, gProfile + gRows, 0);
  for (int32_t k = 0; k < gReadingCount; ++k) {
    if (gReadings[k].dropped) continue;
    const LineReading& r = gReadings[k].reading;
    int32_t t = 0, letters = 0;
    for (int32_t i = 0; i < r.wordCount; ++i) {
      const CharacterCounts c = CountCharacters(r.words[i].text);
      t += c.characters;
      letters += c.letters;
    }
    const int32_t v = letters > 0 ? 2 * letters + 2 - t : 0;
    double ratio = static_cast<double>(r.textHeight) / std::max(1, S(125));
    if (ratio < 1 && ratio > 0) ratio = 1 / ratio;
    const int32_t f = static_cast<int32_t>(100 - 300 * std::max(0.0, ratio - 1.5));
    if (v < 1 || f < 1 || t < 1) continue;
    for (int32_t i = 0; i < r.wordCount; ++i) {
      const int32_t row = r.words[i].referenceRow + r.top;
      if (row < 0 || row >= gRows) continue;
      const int64_t chars = CountCharacters(r.words[i].text).characters;
      gProfile[row] += static_cast<int32_t>(DivRound64(chars * f * v, t));
    }
  }
}

// ---- Records ----

void NormaliseInto(char* out, const char* text) { WritePlainText(out, kTextItemTextBytes, text); }

TextLineRecord MakeRecord(const LineReading& r, int32_t kind) {
  TextLineRecord record{};
  record.kind = kind;
  record.textSize = r.textHeight;
  record.itemCount = r.wordCount;
  EngineAllocZeroedChecked(record.items, static_cast<size_t>(std::max(1, r.wordCount)) * sizeof(TextItem));
  for (int32_t i = 0; i < r.wordCount; ++i) {
    const ReadWordRecord& w = r.words[i];
    const EnginePoint corner = DeskewPoint(w.y0 + r.top, w.x0 + r.left);
    TextItem& item = record.items[i];
    item.box = EngineBox{corner.x, corner.y, corner.x + (w.x1 - w.x0), corner.y + (w.y1 - w.y0)};
    item.score = TextItemScore(w.cost, w.text);
    NormaliseInto(item.text, w.text);
  }
  if (r.wordCount > 0) {
    const ReadWordRecord& first = r.words[0];
    const ReadWordRecord& last = r.words[r.wordCount - 1];
    record.first = DeskewPoint(first.referenceRow + r.top, first.x0 + r.left);
    record.second = DeskewPoint(last.referenceRow + r.top, last.x1 + r.left);
  }
  return record;
}

// A word reaches into a staff: the staff above the line's first corner ends
// below the word's top, or the staff after it starts above its bottom.
bool CrossesStaff(const TextLineRecord& record) {
  if (GetStaffCount() == 0 || record.itemCount == 0) return false;
  const int32_t above = FindStaffAbove(record.first.y, record.first.x);
  const int32_t next = NextStaffAfter(above);
  for (int32_t i = 0; i < record.itemCount; ++i) {
    const EngineBox& b = record.items[i].box;
    const int32_t x = (b.x0 + b.x1) / 2;
    if (above >= 0 && StaffBottomLineY(above, x) > b.y0) return true;
    if (next >= 0 && StaffTopLineY(next, x) < b.y1 - 1) return true;
  }
  return false;
}

bool PassesLyricPlacement(const TextLineRecord& record) {
  const int32_t y = (record.first.y + record.second.y) / 2;
  const int32_t x = (record.first.x + record.second.x) / 2;
  const int32_t above = FindStaffAbove(y, x);
  if (GetTextStaffRuleA() == 1) {
    const int32_t next = NextStaffAfter(above);
    if (next < 0 || StaffTopLineY(next, x) - y > S(1000)) return false;
  } else if (above == GetStaffCount() - 1 && gLyrics.count == 0) {
    // Text under the last staff of a page is taken for lyrics only once the
    // page has shown lyrics elsewhere (it is more often a footer).
    return false;
  }
  return !CrossesStaff(record);
}

int64_t ScoreSum(const TextLineRecord& record) {
  int64_t sum = 0;
  for (int32_t i = 0; i < record.itemCount; ++i) sum += record.items[i].score;
  return sum;
}

int32_t InterpolateRow(const TextLineRecord& line, int32_t x) {
  const int32_t dx = line.second.x - line.first.x;
  if (dx == 0) return line.first.y;
  return line.first.y +
         static_cast<int32_t>(DivRound64(static_cast<int64_t>(line.second.y - line.first.y) * (x - line.first.x), dx));
}

// One block per item of a line read as free text, while the list has room.
void SplitIntoBlocks(const TextLineRecord& line) {
  for (int32_t i = 0; i < line.itemCount && gBlocks.count < gBlocks.capacity; ++i) {
    const TextItem& item = line.items[i];
    TextLineRecord block{};
    block.first = EnginePoint{InterpolateRow(line, item.box.x0), item.box.x0};
    block.second = EnginePoint{InterpolateRow(line, item.box.x1), item.box.x1};
    block.textSize = line.textSize;
    block.kind = kTextReadAsText;
    block.itemCount = 1;
    EngineAllocChecked(block.items, sizeof(TextItem));
    block.items[0] = item;
    AppendTextBlock(block);
  }
}

// ---- Lyric pass ----

bool IsHistogramComponent(const EngineBox& b) {
  return Height(b) <= S(400) && Width(b) <= S(500) && 12 * Width(b) >= Height(b);
}

void FindBandRows() {
  std::fill(gHistogram, gHistogram + gRows, 0);
  for (int32_t i = 0; i < gComponents; ++i) {
    const EngineBox& fb = gFrameBoxes[i];
    if (!IsHistogramComponent(fb)) continue;
    const ConnectedComponent* record = GetComponentRecord(i);
    if (record->columns < 1) continue;
    for (int32_t r = 0; r < record->rows; ++r) {
      const int32_t row = fb.y0 + r;
      if (row < 0 || row >= gRows) continue;
      gHistogram[row] += CountBitsInRange(record->bits, r * record->columns, (r + 1) * record->columns);
    }
  }
  // Smoothed, the kernel's gain taken out again: ink in pixels per row.
  SmoothProfile(gHistogram, gRows, S(100) / 12.0);
  for (int32_t i = 0; i < gRows; ++i) gHistogram[i] = DivRound(gHistogram[i], kKernelGain);
  // Ink that ends going down: the rows just above the baselines.
  for (int32_t i = 0; i + 1 < gRows; ++i) gHistogram[i] -= gHistogram[i + 1];
  KeepLocalMaxima(gPeaks, gHistogram, gRows, S(125));
  const int32_t reach = S(75);
  for (int32_t i = 0; i < gRows; ++i) {
    if (gPeaks[i] == 0) continue;
    int64_t evidence = 0;
    for (int32_t r = std::max(0, i - reach); r <= std::min(gRows - 1, i + reach); ++r) evidence += gProfile[r];
    if (evidence < kPeakEvidence) gPeaks[i] = 0;
  }
  gBandCount = 0;
  EngineAllocChecked(gBands, static_cast<size_t>(gRows) * sizeof(int32_t));
  for (int32_t i = 1; i + 1 < gRows; ++i)
    if (gPeaks[i] > S(25) + 8) gBands[gBandCount++] = i;
}

int32_t BandDistance(int32_t band, const EngineBox& b) {
  if (band < 0 || band >= gBandCount) return S(1000);
  const int32_t r = gBands[band] - S(60);
  return std::min(std::abs(r - b.y0), std::abs(r - b.y1));
}

// The components that belong to band i within the page columns x0..x1.
void SelectBandComponents(int32_t i, int32_t x0, int32_t x1) {
  const int32_t y = gBands[i];
  gSelectedCount = 0;
  for (int32_t c = 0; c < gComponents; ++c) {
    if (gUsed[c] != 0) continue;
    const EngineBox& fb = gFrameBoxes[c];
    if (!IsTextSizedComponent(Width(fb), Height(fb))) continue;
    EngineBox page;
    GetComponentBox(&page, c);
    if (page.x0 < x0 || page.x1 > x1) continue;
    if (fb.y0 < y - S(220) || fb.y0 > y + S(50) || fb.y1 > y + S(110) || fb.y1 < y - S(150)) continue;
    const int32_t d = BandDistance(i, fb);
    if (d >= BandDistance(i - 1, fb) || d >= BandDistance(i + 1, fb)) continue;
    gSelected[gSelectedCount++] = c;
  }
}

EngineBox SelectedBox() {
  EngineBox box = gFrameBoxes[gSelected[0]];
  for (int32_t k = 1; k < gSelectedCount; ++k) box = UnionBox(box, gFrameBoxes[gSelected[k]]);
  return box;
}

void ReadBand(int32_t i, int lyrics, int text) {
  const EnginePoint at = DeskewPoint(gBands[i], GetPageImageWidth() / 2);
  const int32_t upper = FindStaffAbove(at.y, at.x);
  const int32_t lower = NextStaffAfter(upper);
  const int32_t lyricStaff = GetTextStaffRuleA() == 1 ? lower : upper;
  const int32_t textStaff = (GetTextStaffRuleB() == -1 || lower < 0) ? upper : lower;
  const bool wantLyrics = lyrics != 0 && lyricStaff >= 0;
  const bool wantText = text != 0 && textStaff >= 0;
  if (!wantLyrics && !wantText) return;
  int32_t x0 = kNoRangeLeft, x1 = 0;
  for (int32_t staff : {wantLyrics ? lyricStaff : -1, wantText ? textStaff : -1}) {
    if (staff < 0) continue;
    x0 = std::min(x0, GetStaffLeftX(staff));
    x1 = std::max(x1, GetStaffRightX(staff));
  }
  SelectBandComponents(i, x0, x1);
  if (gSelectedCount == 0) return;
  const EngineBox box = SelectedBox();

  TextLineRecord textRecord{};
  TextLineRecord lyricRecord{};
  LineReading r;
  if (wantText) {
    ReadTextGroup(gSelected, gSelectedCount, box, kModeChords, &r);
    if (r.wordCount > 0 && CountChordWords(r) > 2) {
      textRecord = MakeRecord(r, kTextReadAsText);
      if (CrossesStaff(textRecord)) FreeRecord(textRecord);
    }
  }
  if (wantLyrics) {
    ReadTextGroup(gSelected, gSelectedCount, box, kModeLyrics, &r);
    if (r.wordCount > 0 && LooksLikeLyrics(r)) {
      lyricRecord = MakeRecord(r, kTextReadAsLyrics);
      if (!PassesLyricPlacement(lyricRecord)) FreeRecord(lyricRecord);
    }
  }
  const int32_t nt = textRecord.itemCount, nl = lyricRecord.itemCount;
  if (nt == 0 && nl == 0) {
    FreeRecord(textRecord);
    FreeRecord(lyricRecord);
    return;
  }
  const bool takeLyrics = nt == 0 || (nl > 0 && ScoreSum(lyricRecord) * nt < ScoreSum(textRecord) * nl);
  if (takeLyrics) {
    AppendLyricLine(lyricRecord);
  } else {
    SplitIntoBlocks(textRecord);
  }
  FreeRecord(textRecord);
  FreeRecord(lyricRecord);
  for (int32_t k = 0; k < gSelectedCount; ++k) gUsed[gSelected[k]] = 1;
}

void ReadLyricBands(int lyrics, int text) {
  FindBandRows();
  EngineAllocChecked(gSelected, static_cast<size_t>(std::max(1, gComponents)) * sizeof(int32_t));
  for (int32_t i = 0; i < gBandCount; ++i) ReadBand(i, lyrics, text);
  // Every lyric line of the page gets the lines' mean size, weighted by words.
  int64_t sizes = 0, words = 0;
  for (int32_t l = 0; l < gLyrics.count; ++l) {
    sizes += static_cast<int64_t>(gLyrics.records[l].textSize) * gLyrics.records[l].itemCount;
    words += gLyrics.records[l].itemCount;
  }
  if (words > 0)
    for (int32_t l = 0; l < gLyrics.count; ++l) gLyrics.records[l].textSize = static_cast<int32_t>(DivRound64(sizes, words));
}

// ---- Text-block pass ----

bool LooksLikeTextBlock(const LineReading& r, const TextLineRecord& record) {
  if (r.wordCount == 0 || CrossesStaff(record)) return false;
  if (r.wordCount == 1 && IsChordSymbol(r.words[0].text)) return true;
  for (int32_t i = 0; i < r.wordCount; ++i)
    if (HasPairInARow(r.words[i].text)) return true;
  return false;
}

void ReadTextBlocks() {
  GroupTextComponents();
  ReadTextLines(kModeText);
  for (int32_t k = 0; k < gReadingCount && gBlocks.count < gBlocks.capacity; ++k) {
    if (gReadings[k].dropped) continue;
    const LineReading& r = gReadings[k].reading;
    const int32_t kind = r.wordCount == 1 && IsChordSymbol(r.words[0].text) ? kTextReadAsText : kTextBlockPlain;
    TextLineRecord record = MakeRecord(r, kind);
    if (LooksLikeTextBlock(r, record))
      AppendTextBlock(record);
    else
      FreeRecord(record);
  }
}

// The tables of the run: frame rows, component boxes in the frame, flags.
void PrepareWorkTables() {
  const int32_t w = GetPageImageWidth(), h = GetPageImageHeight();
  const EnginePoint low = SkewPoint(h - 1, 0);
  const EnginePoint lowRight = SkewPoint(h - 1, std::max(0, w - 1));
  gRows = std::max(low.y, lowRight.y) + 1;
  EngineAllocZeroedChecked(gProfile, static_cast<size_t>(gRows) * sizeof(int32_t));
  EngineAllocZeroedChecked(gHistogram, static_cast<size_t>(gRows) * sizeof(int32_t));
  EngineAllocZeroedChecked(gPeaks, static_cast<size_t>(gRows) * sizeof(int32_t));
  gComponents = GetComponentCount();
  EngineAllocZeroedChecked(gUsed, static_cast<size_t>(std::max(1, gComponents)));
  EngineAllocChecked(gFrameBoxes, static_cast<size_t>(std::max(1, gComponents)) * sizeof(EngineBox));
  for (int32_t i = 0; i < gComponents; ++i) {
    EngineBox b;
    GetComponentBox(&b, i);
    const EnginePoint p = SkewPoint(b.y0, b.x0);
    gFrameBoxes[i] = EngineBox{p.x, p.y, p.x + Width(b), p.y + Height(b)};
  }
}

}  // namespace

// ---- The rules ----

bool IsTextSizedComponent(int32_t w, int32_t h) {
  if (w < 2 || w < S(15) || w >= S(600) || h < 2 || h < S(15) || h >= S(400)) return false;
  return w <= S(50) + 3 * h;
}

bool LooksLikeLyrics(const LineReading& r) {
  int32_t words = 0, lyricWords = 0, hyphens = 0, letters = 0, characters = 0;
  for (int32_t i = 0; i < r.wordCount; ++i) {
    const char* text = r.words[i].text;
    if (text[0] == '\0') continue;
    ++words;
    const CharacterCounts c = CountCharacters(text);
    if (c.characters > 1 && 2 * c.letters > c.characters) ++lyricWords;
    if (c.characters == 1 && text[0] == '-') ++hyphens;
    letters += c.letters;
    characters += c.characters;
  }
  return lyricWords >= 2 && 4 * lyricWords > words - hyphens && 2 * letters > characters - hyphens;
}

int32_t CountChordWords(const LineReading& r) {
  int32_t n = 0;
  for (int32_t i = 0; i < r.wordCount; ++i)
    if (IsChordSymbol(r.words[i].text)) ++n;
  return n;
}

int32_t TextItemScore(int32_t cost, const char* text) {
  const int32_t n = CountCharacters(text).lettersAndDigits;
  const double factor = n > 0 ? std::pow(static_cast<double>(n), -0.3) : 2.0;
  return static_cast<int32_t>(cost * factor);
}

// ---- The driver ----

void FindText(int lyrics, int text) {
  if (lyrics == 0 && text == 0) return;
  ENGINE_CHECK(!gHeld);
  gHeld = true;
  // Without a staff space there is no scale to measure text by, and without
  // the set-up of text recognition nothing to read with.
  if (S(100) < 1 || !HasPageImage() || GetTextWorkList(kCutPositions) == nullptr) return;
  PrepareWorkTables();

  GroupTextComponents();
  ReadTextLines(kModeLyrics);
  gBlocks.capacity = gReadingCount + kTextBlockSpareCapacity;
  EngineAllocZeroedChecked(gBlocks.records, static_cast<size_t>(gBlocks.capacity) * sizeof(TextLineRecord));
  AddTextEvidence();
  FreeGroups();
  FreeReadings();

  ReadLyricBands(lyrics, text);
  if (text != 0) ReadTextBlocks();
  FreeWorkTables();
  FreeTextReadingWork();
}

void FreeTextFinder() {
  FreeList(gLyrics);
  FreeList(gBlocks);
  FreeWorkTables();
  gHeld = false;
}

// ---- Accessors ----

int32_t MakeTextItemRef(int32_t line, int32_t item) {
  ENGINE_CHECK(line >= 0 && item >= 0 && item < kTextRefItems);
  return line * kTextRefItems + item;
}

int32_t TextRefLine(int32_t reference) {
  ENGINE_CHECK(reference >= 0);
  return reference / kTextRefItems;
}

int32_t GetLyricLineCount() { return gLyrics.count; }
int32_t GetTextBlockCount() { return gBlocks.count; }
EnginePoint GetLyricLineFirstCorner(int32_t line) { return RecordOf(gLyrics, line).first; }
EnginePoint GetTextBlockFirstCorner(int32_t block) { return RecordOf(gBlocks, block).first; }
EnginePoint GetLyricLineSecondCorner(int32_t line) { return RecordOf(gLyrics, line).second; }
EnginePoint GetTextBlockSecondCorner(int32_t block) { return RecordOf(gBlocks, block).second; }
int32_t GetLyricLineTextSize(int32_t line) { return RecordOf(gLyrics, line).textSize * kTextSizeFactor; }
int32_t GetTextBlockTextSize(int32_t block) { return RecordOf(gBlocks, block).textSize * kTextSizeFactor; }
int32_t GetLyricLineAttribute(int32_t line) { return RecordOf(gLyrics, line).spare; }
int32_t GetTextBlockAttribute5(int32_t block) { return RecordOf(gBlocks, block).spare; }
int32_t GetTextBlockAttribute6(int32_t block) { return RecordOf(gBlocks, block).kind; }
int32_t GetLyricLineWordCount(int32_t line) { return RecordOf(gLyrics, line).itemCount; }
int32_t GetTextBlockItemCount(int32_t block) { return RecordOf(gBlocks, block).itemCount; }
const char* GetLyricWordText(int32_t reference) { return ItemOf(gLyrics, reference).text; }
const char* GetTextBlockItemText(int32_t reference) { return ItemOf(gBlocks, reference).text; }

int32_t GetLyricWordCentreX(int32_t reference) {
  const EngineBox& b = ItemOf(gLyrics, reference).box;
  return (b.x0 + b.x1) / 2;
}

EngineBox GetLyricWordBox(int32_t reference) { return ItemOf(gLyrics, reference).box; }
EngineBox GetTextBlockItemBox(int32_t reference) { return ItemOf(gBlocks, reference).box; }
int32_t GetLyricWordScore(int32_t reference) { return ItemOf(gLyrics, reference).score; }
int32_t GetTextBlockItemScore(int32_t reference) { return ItemOf(gBlocks, reference).score; }
void ClearLyricWordText(int32_t reference) { ItemOf(gLyrics, reference).text[0] = '\0'; }
void ClearTextBlockItemText(int32_t reference) { ItemOf(gBlocks, reference).text[0] = '\0'; }

EngineBox GetTextObjectBox(int32_t kind, int32_t reference) { return ItemOf(ListOfKind(kind), reference).box; }
int32_t GetTextObjectScore(int32_t kind, int32_t reference) { return ItemOf(ListOfKind(kind), reference).score; }

int32_t GetTextObjectSiblingCount(int32_t kind, int32_t reference) {
  RecordList& list = ListOfKind(kind);
  ItemOf(list, reference);
  return list.records[reference / kTextRefItems].itemCount;
}

void ReleaseTextObject(int32_t kind, int32_t reference) { ItemOf(ListOfKind(kind), reference).text[0] = '\0'; }
void ReleaseLyricWord(int32_t reference) { ClearLyricWordText(reference); }
void ReleaseTextBlockItem(int32_t reference) { ClearTextBlockItemText(reference); }

void ForEachTextObject(TextObjectVisitor visit) {
  ENGINE_CHECK_POINTER(visit);
  for (int32_t kind : {static_cast<int32_t>(kObjectLyricWord), static_cast<int32_t>(kObjectTextBlockItem)}) {
    RecordList& list = ListOfKind(kind);
    for (int32_t line = 0; line < list.count; ++line)
      for (int32_t item = 0; item < list.records[line].itemCount && item < kTextRefItems; ++item) {
        const TextItem& t = list.records[line].items[item];
        if (t.text[0] != '\0') visit(kind, MakeTextItemRef(line, item), t.box);
      }
  }
}
