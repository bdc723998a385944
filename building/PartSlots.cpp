#include "building/PartSlots.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "pages/PageTable.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "platform/TextUtils.h"
#include "reading/StaveSpacing.h"

namespace {

constexpr unsigned kBasePartName = 10256;
constexpr unsigned kTextNoMemoryForText = 10040;

struct SlotSort {
  int lines;
  bool tab;
  bool small;
};

bool IsSmallStave(const StaveRow& row) {
  if (row.kind == 2) return false;
  const int lines = std::clamp<int>(row.lineCount, 0, kMaxStaveLines);
  return row.bottom - row.top < MinStaveHeightByLines()[lines];
}

SlotSort SortOfSlot(const BuildContext& context, int slot) {
  const PartSlotRecord& part = context.parts[slot];
  return SlotSort{static_cast<int>(part.tablature.kind), part.tablature.flag != 0, part.smallStave != 0};
}

void DescribeSlot(PartSlotRecord& part, int slot, const StaveRow* model) {
  part = PartSlotRecord{};
  if (slot == 0) {
    LoadUiString(kBasePartName, part.name, kPartNameUnits);
    part.flag = 1;
    return;
  }
  part.tablature.flag = model && model->kind == 1 ? 1 : 0;
  part.tablature.kind = model ? static_cast<uint32_t>(std::max<int16_t>(model->lineCount, 0)) : 0;
  part.smallStave = model && IsSmallStave(*model) ? 1 : 0;
}

// Numbers the rows [a, b) of one system into the slots 1 .. parts - 1.
void NumberSystem(const BuildContext& context, StaveRow* rows, int a, int b, int parts) {
  int start = 1;
  for (int i = a; i < b; ++i) {
    const StaveRow& row = rows[i];
    const bool tab = row.kind == 1;
    const bool small = IsSmallStave(row);
    const int limit = parts - b + 1 + i;
    int taken = -1, firstTab = -1, firstOther = -1;
    for (int s = start; s < limit; ++s) {
      const SlotSort sort = SortOfSlot(context, s);
      if (sort.tab && firstTab < 0) firstTab = s;
      if (!sort.tab && firstOther < 0) firstOther = s;
      if (sort.lines == row.lineCount && sort.tab == tab && (row.kind == 2 || sort.small == small)) {
        taken = s;
        break;
      }
    }
    if (taken < 0) taken = tab ? firstTab : firstOther;
    if (taken < 0) taken = start;
    const int remaining = b - i;
    if (parts - taken < remaining && i - a < taken - 1) {
      taken = parts - remaining;
      // The rows before move down while they do not lie below this one.
      for (int j = i - 1; j >= a; --j) {
        const int next = j + 1 == i ? taken : rows[j + 1].number;
        if (rows[j].number < next) break;
        rows[j].number = static_cast<int16_t>(next - 1);
        if (rows[j].number <= 1) {
          for (int k = a; k < i; ++k) rows[k].number = static_cast<int16_t>(k - a + 1);
          if (taken <= i - a) taken = i - a + 1;
          break;
        }
      }
    }
    taken = std::clamp(taken, 1, parts - 1);
    rows[i].number = static_cast<int16_t>(taken);
    start = taken + 1;
  }
}

}  // namespace

int AssignStavesToParts(BuildContext& context, CharRecord* chars, uint32_t charCount, WordRecord* words,
                        uint32_t wordCount, StaveRow* rows, int count) {
  if (!rows) count = 0;
  // The longest system, and the first one of that length as the model.
  int longest = 0, modelFirst = 0;
  for (int a = 0; a < count;) {
    int b = a + 1;
    while (b < count && rows[b].group == rows[a].group) ++b;
    if (b - a > longest) {
      longest = b - a;
      modelFirst = a;
    }
    a = b;
  }
  // A score has one slot for page texts and twelve for staves: the staves of
  // a system past the twelfth are not read.
  const int needed = count > 0 ? 1 + std::min(longest, kMaxStavesPerSystem) : 0;
  // The first page of a score opens the slots it needs; later pages keep the
  // slots the score has and add what they need beyond them.
  const bool firstPage = context.snapshot.pageCount == 0;
  const int old = firstPage ? 0 : std::clamp(context.ReadingPartCount, 0, kPartSlots);
  const int parts = std::max(old, needed);
  context.ReadingPartCount = parts;

  for (int s = 0; s < count; ++s) rows[s].number = -1;
  if (count > 0) {
    for (uint32_t c = 0; chars && c < charCount; ++c)
      if (chars[c].kind != kTextConsumed) chars[c].kind = 0;
    for (uint32_t w = 0; words && w < wordCount; ++w)
      if (words[w].kind != kTextConsumed) words[w].kind = 0;
  }
  for (int slot = old; slot < parts; ++slot)
    DescribeSlot(context.parts[slot], slot, slot >= 1 && slot <= longest ? &rows[modelFirst + slot - 1] : nullptr);
  context.firstNewSlot = old;

  int unread = 0;
  for (int a = 0; a < count;) {
    int b = a + 1;
    while (b < count && rows[b].group == rows[a].group) ++b;
    const int readEnd = std::min(b, a + kMaxStavesPerSystem);
    NumberSystem(context, rows, a, readEnd, parts);
    for (int s = readEnd; s < b; ++s) {
      rows[s].number = kUnreadStaveNumber;
      ++unread;
    }
    a = b;
  }
  if (unread) context.systemsCut += 1;
  return unread;
}

void ApplyPagePartSlots(const BuildContext& context) {
  const int parts = std::clamp(context.ReadingPartCount, 0, kPartSlots);
  // The score's first page gives the score its part count; a later page
  // only raises it, and describes only the slots the score does not have.
  const bool firstPage = context.snapshot.pageCount == 0;
  int from = std::max(context.firstNewSlot, 0);
  if (!firstPage) from = std::max(from, PartCount);
  for (int slot = from; slot < parts; ++slot) SetScorePartSlot(slot, context.parts[slot]);
  PartCount = firstPage ? parts : std::max(PartCount, parts);
}

void ApplyReadPagePartSlots() { ApplyPagePartSlots(ReadingBuildContext()); }

PageCharacterBuffer& PageCharacters() {
  static PageCharacterBuffer buffer;
  return buffer;
}

int FindcharsStage(StageContext& stage) {
  BindStageContext(ReadingBuildContext(), stage);
  if (!ReadTextOption()) return 1;
  const uint32_t t0 = GetCentiseconds();
  PageCharacterBuffer& buffer = PageCharacters();
  FreeHandle(&buffer.block);
  buffer.count = 0;
  if (!AllocHandleChecked(&buffer.block, kPageCharacterBufferBytes, kTextNoMemoryForText, 0)) {
    ReadTextOption() = 0;
    return 1;
  }
  // The engine's text fills the page's character list (it comes fresh with
  // the work lists). Progress once midway and once at the end.
  OnReadingProgress(static_cast<unsigned>(-1));
  OnReadingProgress(static_cast<unsigned>(-1));
  char16_t line[64];
  FormatWide(line, 64, u"Findchars: %d\n", static_cast<int>(GetCentiseconds() - t0));
  CurrentReadingHost().DebugLine(line);
  return 1;
}

int AssignStavesToPartsStage(StageContext& stage) {
  BuildContext& context = ReadingBuildContext();
  BindStageContext(context, stage);
  PageLists& lists = context.lists;
  const int unread = AssignStavesToParts(context, lists.chars, lists.charCount ? *lists.charCount : 0, lists.words,
                                         lists.wordCount ? *lists.wordCount : 0, stage.rows, stage.staveCount);
  if (context.textItems.prePassKinds && stage.staveCount > 0) context.textItems.prePassKinds(context);
  if (unread) {
    std::lock_guard<std::mutex> lock(PageTableLock());
    const int32_t row = Reading().pageIndex;
    if (row >= 0 && static_cast<uint32_t>(row) < pageTable.pageCount) {
      PageRecord& record = pageTable.rows[row];
      record.flags = (record.flags & ~kPageProblemCodeMask) | kPageHasProblem |
                     (kProblemTooManyStaves << kPageProblemCodeShift);
      AddPageProblem(row);
    }
  }
  return 1;
}
