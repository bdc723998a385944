#include "fuzz/score/ItemStreamsInput.h"

#include <algorithm>
#include <cstring>

#include "fuzz/score/ScoreFuzzState.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "score/PageMarks.h"
#include "score/ScoreFile.h"
#include "score/ScoreFileFormat.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

namespace {

class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint32_t Number(size_t n) {
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= static_cast<uint32_t>(Byte()) << (8 * i);
    return v;
  }
  const uint8_t* Take(size_t* n) {
    *n = std::min(*n, size_ - at_);
    const uint8_t* where = data_ + at_;
    at_ += *n;
    return where;
  }

 private:
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

void LayStream(int slot, const uint8_t* bytes, size_t length) {
  if (!AllocHandle(&ScoreStream.block[slot], std::max<size_t>(length, 1))) fuzz::Fail("no memory for a stream");
  if (length) std::memcpy(ScoreStream.block[slot], bytes, length);
  ScoreStream.used[slot] = static_cast<uint32_t>(length);
}

}  // namespace

namespace fuzz {

void LayItemStreams(const uint8_t* data, size_t size) {
  PrepareScoreFolders();
  ResetScoreState();
  Bytes in(data, size);
  ScoreFormatVersion = static_cast<uint8_t>(kOldestScoreFileVersion + in.Number(1) % kCurrentScoreFormatVersion);
  PartCount = static_cast<int32_t>(1 + in.Number(1) % kPartSlots);
  ScorePageSize = ScorePageSizes{2480, 3508, static_cast<uint8_t>(in.Number(1)), 1900};
  for (int slot = 0; slot < PartCount; ++slot) {
    const uint32_t descriptor = in.Number(3);
    StorePartRecord(slot, UnpackPartDescriptor(descriptor));
    if (descriptor & kDescriptorTablature) Global().printGuitarTabRhythm = false;
    size_t length = in.Number(2);
    const uint8_t* bytes = in.Take(&length);
    LayStream(slot, bytes, length);
  }
  size_t marksLength = in.Number(2);
  const uint8_t* marks = in.Take(&marksLength);
  for (int slot = PartCount; slot < kPartSlots; ++slot) LayStream(slot, marks, marksLength);
  ScorePages.count = std::min(CountFilePages(ScoreStream, PartCount, marks, static_cast<uint32_t>(marksLength),
                                             ScoreFormatVersion),
                              kMaxScorePages);
  ScorePages.current = 1;
  CountPageMarks();
}

}  // namespace fuzz
