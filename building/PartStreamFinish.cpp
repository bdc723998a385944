#include "building/PartStreamFinish.h"

#include "reading/ReadPageHandOver.h"
#include "score/ScoreItem.h"

int FinishPagePartStreams(StreamSet* score, uint32_t (*pageStarts)[kPageStartSlots], int pageNumber) {
  if (!score || !pageStarts || pageNumber < 1 || pageNumber > kMaxScorePages) return 0;
  uint32_t* row = pageStarts[pageNumber - 1];
  for (int slot = 0; slot < kPartSlots; ++slot) {
    if (!GrowStream(score, slot, kPageStreamRoom)) return 0;
    uint32_t used = StreamUsedLength(*score, slot);
    if (used > 0 && StreamBytes(*score, slot)[used - 1] == kEndOfScore) score->used[slot] = --used;
    row[slot] = used;
  }
  return 1;
}
