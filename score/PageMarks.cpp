#include "score/PageMarks.h"

#include <cstring>

#include "platform/Messages.h"
#include "score/ScoreItem.h"

uint32_t PageStarts[kMaxScorePages][kPageStartSlots];

int CountPageStarts(const StreamSet& set, uint8_t version, uint32_t (*starts)[kPageStartSlots], bool* tooMany) {
  std::memset(starts, 0, sizeof(uint32_t) * kPageStartSlots * kMaxScorePages);
  int pages = 1;
  bool over = false;
  for (int slot = 0; slot < kPartSlots && !over; ++slot) {
    const uint8_t* stream = StreamBytes(set, slot);
    uint32_t used = set.used[slot];
    if (!stream) continue;
    int page = 1;
    WalkStream(stream, used, version, [&](uint32_t offset, const uint8_t* item, uint32_t length) {
      if (!IsPageMark(item)) return true;
      uint32_t next = offset + length;
      if (next < used && IsEndOfScore(stream + next)) return true;
      if (page == kMaxScorePages) {
        over = true;
        return false;
      }
      starts[page][slot] = next;
      ++page;
      if (page > pages) pages = page;
      return true;
    });
  }
  if (tooMany) *tooMany = over;
  return pages;
}

void CountPageMarks() {
  bool tooMany = false;
  const int pages = CountPageStarts(ScoreStream, ScoreFormatVersion, PageStarts, &tooMany);
  if (tooMany) MessageById(nullptr, kStrTooManyScorePages);
  ScorePages.count = pages;
}
