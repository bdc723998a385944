#include "render/StaveBlankTests.h"

#include <algorithm>

#include "render/DrawingState.h"
#include "render/ScorePagePainter.h"
#include "score/PageMarks.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

PageStreamRange CurrentPageRange(int slot) {
  const int page = ScorePages.current;
  if (slot < 0 || slot >= kPartSlots || slot >= kPageStartSlots || page < 1 || page > ScorePages.count ||
      page > kMaxScorePages) {
    return {};
  }
  const uint32_t used = StreamUsedLength(ScoreStream, slot);
  PageStreamRange range;
  range.start = std::min(PageStarts[page - 1][slot], used);
  range.end = page < ScorePages.count ? std::min(PageStarts[page][slot], used) : used;
  range.end = std::max(range.end, range.start);
  return range;
}

bool HoldsOnlyBarAndPageMarks(const uint8_t* stream, uint32_t start, uint32_t end) {
  if (!stream) return true;
  uint32_t length = 0;
  for (uint32_t offset = start; offset < end; offset += length) {
    const uint8_t* item = stream + offset;
    if (KindOf(item) != kItemBarLine) return false;
    if (!ItemLengthWithin(item, end - offset, ScoreFormatVersion, &length) || length == 0) return false;
  }
  return true;
}

bool StaveIsBlankOnPage(int32_t n) {
  const ScorePainterTables& tables = PainterTables();
  if (n < 0 || n >= tables.pageStaffCount || n >= kStaffRowCapacity) return false;
  const int slot = tables.pageStaves[n].part;
  if (slot < 0 || slot >= PartCount || slot >= kPartSlots) return false;
  for (int32_t i = 0; i < n; ++i) {
    if (tables.pageStaves[i].part == slot) return false;
  }
  const PageStreamRange range = CurrentPageRange(slot);
  return HoldsOnlyBarAndPageMarks(StreamBytes(ScoreStream, slot), range.start, range.end);
}

bool StaveGroupIsBlankOnPage(int32_t n) {
  if (!StaveIsBlankOnPage(n)) return false;
  for (int32_t i = n; i > 0 && StaveJoinedToAbove(i); --i) {
    if (!StaveIsBlankOnPage(i - 1)) return false;
  }
  const int32_t count = PainterTables().pageStaffCount;
  for (int32_t i = n + 1; i < count && StaveJoinedToAbove(i); ++i) {
    if (!StaveIsBlankOnPage(i)) return false;
  }
  return true;
}
