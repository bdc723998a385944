#include "score/StreamRewrite.h"

RunRewrite InsertionRewrite(uint32_t at, uint32_t n) {
  RunRewrite rewrite;
  rewrite.start = rewrite.oldEnd = at;
  rewrite.newEnd = at + n;
  return rewrite;
}

void MoveRunRewrite(RunRewrite* rewrite, uint32_t by) {
  rewrite->start += by;
  rewrite->oldEnd += by;
  rewrite->newEnd += by;
  for (auto& [from, to] : rewrite->kept) {
    from += by;
    to += by;
  }
}

int64_t PlaceAfterRewrite(const RunRewrite& rewrite, int64_t place, HeldPlace kind) {
  if (place < 0 || place < rewrite.start) return place;
  if (kind == HeldPlace::kBoundary && place == rewrite.start) return place;
  if (place >= rewrite.oldEnd) return place + (int64_t{rewrite.newEnd} - rewrite.oldEnd);
  for (const auto& [from, to] : rewrite.kept)
    if (from >= place) return to;
  return rewrite.newEnd;
}
