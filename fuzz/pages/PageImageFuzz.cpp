// Stored page images: a compressed page image file is read into a sprite
// area of its own and the area's one sprite is looked at as the page view
// does; a page that was read is stored again and must read back bit for bit.
#include <cstdlib>
#include <cstring>

#include "fuzz/FuzzTarget.h"
#include "pages/PageImageStore.h"
#include "pages/SpriteArea.h"
#include "platform/Messages.h"

KV_FUZZ_TARGET(page_image) {
  const std::u16string path = fuzz::InputFile(data, size, "");
  Handle area = nullptr;
  if (ReadCompressedPageImage(path.c_str(), &area) != PageImageRead::kRead) {
    if (area) std::abort();
    return 0;
  }
  const uint8_t* block = static_cast<const uint8_t*>(area);
  const size_t blockBytes = HandleSize(area);
  const uint32_t raw = PageImageRawSize(block, blockBytes);
  if (raw == 0 || AreaWord(block, kAreaSizeOffset) > blockBytes) std::abort();
  char name[kSpriteNameBytes + 1];
  GetSpriteName(block, name, 1);
  SpriteInfo info;
  if (GetSpriteInfo(block, name, &info) == nullptr) {
    // The rows the header describes lie within the block.
    const uint64_t rowBytes = (uint64_t(SpriteWord(block, kSpriteWidthWords)) + 1) * 4;
    if (SpriteAreaBytes(rowBytes * info.height) > blockBytes) std::abort();
  }

  // Round trip: stored again, compressed or as a bitmap; a compressed copy
  // reads back to the same bytes.
  const std::u16string copy = fuzz::ScratchPath("round-trip-scan");
  const PageImageWrite written = WritePageImageFile(copy.c_str(), block, blockBytes, 300);
  if (written == PageImageWrite::kCompressed) {
    Handle again = nullptr;
    if (ReadCompressedPageImage(copy.c_str(), &again) != PageImageRead::kRead ||
        std::memcmp(static_cast<const uint8_t*>(again) + kAreaCountOffset, block + kAreaCountOffset,
                    raw - kAreaCountOffset) != 0)
      std::abort();
    FreeHandle(&again);
  }
  FreeHandle(&area);
  return 0;
}
