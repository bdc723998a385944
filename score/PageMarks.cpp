#include "score/PageMarks.h"

#include <cstring>

#include "platform/Messages.h"
#include "score/ScoreItem.h"

uint32_t PageStarts[kMaxScorePages][kPageStartSlots];

void CountPageMarks() {
  std::memset(PageStarts, 0, sizeof PageStarts);
  int pages = 1;
  bool tooMany = false;
  for (int slot = 0; slot < kPartSlots && !tooMany; ++slot) {
    const uint8_t* stream = StreamBytes(ScoreStream, slot);
    uint32_t used = ScoreStream.used[slot];
    if (!stream) continue;
    int page = 1;
    WalkStream(stream, used, ScoreFormatVersion, [&](uint32_t offset, const uint8_t* item, uint32_t length) {
      if (!IsPageMark(item)) return true;
      uint32_t next = offset + length;
      if (next < used && IsEndOfScore(stream + next)) return true;
      if (page == kMaxScorePages) {
        tooMany = true;
        return false;
      }
      PageStarts[page][slot] = next;
      ++page;
      if (page > pages) pages = page;
      return true;
    });
  }
  if (tooMany) MessageById(nullptr, kStrTooManyScorePages);
  ScorePages.count = pages;
}
