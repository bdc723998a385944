#include "score/MeterAtPage.h"

#include <algorithm>

#include "score/PageMarks.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

namespace {

// Where an item stands in its part: staff boundaries passed, then bars
// within the staff.
struct StreamPlace {
  int boundaries = -1;
  int bar = -1;
};
bool AtOrAfter(const StreamPlace& a, const StreamPlace& b) {
  return a.boundaries > b.boundaries || (a.boundaries == b.boundaries && a.bar >= b.bar);
}

// Kind-0 items with neither of these bits count a bar position.
constexpr uint8_t kNotABarPosition = 0x50;

}  // namespace

MeterAtPage& CurrentMeterAtPage() {
  static MeterAtPage meter;
  return meter;
}

void FindMeterAtPage() {
  MeterAtPage& meter = CurrentMeterAtPage();
  meter = MeterAtPage{};
  const int page = ScorePages.current;
  if (page < 2 || page > std::min(ScorePages.count, kMaxScorePages) || PartCount < 2) return;
  StreamPlace best;
  const int parts = std::min<int>(PartCount, kPartSlots);
  for (int slot = 1; slot < parts; ++slot) {
    const uint8_t* stream = StreamBytes(ScoreStream, slot);
    if (!stream) continue;
    const uint32_t end = std::min(PageStarts[page - 1][slot], StreamUsedLength(ScoreStream, slot));
    StreamPlace here{0, 0};
    WalkStream(stream, end, ScoreFormatVersion, [&](uint32_t, const uint8_t* item, uint32_t) {
      if (KindOf(item) == kItemBarLine) {
        if (item[0] == kBarBoundary) {
          ++here.boundaries;
          here.bar = 0;
        } else if (!(item[0] & kNotABarPosition)) {
          ++here.bar;
        }
      } else if (KindOf(item) == kItemTime && !TimeIsHidden(item) && AtOrAfter(here, best)) {
        best = here;
        meter.numerator = TimeNumerator(item);
        meter.denominatorCode = TimeDenominatorCode(item);
      }
      return true;
    });
  }
}
