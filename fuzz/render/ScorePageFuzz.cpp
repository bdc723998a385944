// The score page painter over part streams laid straight into the score:
// each block is exactly the stream's length, so that a read past an item's
// end is caught. One paint into a recording device, then a layout-only pass.
#include <algorithm>
#include <cstring>

#include "fuzz/FuzzTarget.h"
#include "pages/CurrentPageData.h"
#include "pages/PageData.h"
#include "platform/Messages.h"
#include "render/DrawingState.h"
#include "render/GlyphTable.h"
#include "render/MusicFonts.h"
#include "render/RecordingDevice.h"
#include "render/ScorePagePainter.h"
#include "score/PageMarks.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

KV_FUZZ_TARGET(score_page) {
  if (size < 3 || size > (1 << 17)) return 0;
  fuzz::QuietMessageBoxes();
  ResetScoreStreams();
  ResetPartRecords();
  size_t at = 0;
  auto byte = [&]() -> uint32_t { return at < size ? data[at++] : 0u; };
  const uint32_t settings = byte();
  ScoreFormatVersion = static_cast<uint8_t>(1 + byte() % kCurrentScoreFormatVersion);
  const int parts = 1 + static_cast<int>(byte() % kPartSlots);
  for (int slot = 0; slot < parts; ++slot) {
    const uint32_t descriptor = byte();
    PartTablatureFlags[slot].kind = descriptor & 7;
    PartTablatureFlags[slot].flag = (descriptor & 8) ? 1 : 0;
    PartSmallStave[slot] = (descriptor & 16) ? 1 : 0;
    PartFlag[slot] = (descriptor & 32) ? 1 : 0;
    size_t length = byte();
    length |= static_cast<size_t>(byte()) << 8;
    length = std::min(length, size - std::min(at, size));
    if (!AllocHandle(&ScoreStream.block[slot], std::max<size_t>(length, 1))) return 0;
    if (length) std::memcpy(ScoreStream.block[slot], data + at, length);
    ScoreStream.used[slot] = static_cast<uint32_t>(length);
    at += length;
  }
  PartCount = parts;
  ScorePages = ScorePageList{};
  CountPageMarks();
  ScorePages.current = 1;
  ScorePageSize = (settings & 8) ? ScorePageSizes{0, 0, 1, 1} : ScorePageSizes{2480, 3508, 42, 1900};

  // Bit 5: the page has stored boxes, their left x from the bytes that remain.
  const int savedMissing = PageBoxesMissing;
  viewPage.boxCount = 0;
  if (settings & 32) {
    PageBoxesMissing = 0;
    int16_t count = 0;
    while (at + 2 <= size && count < kMaxLoadedBoxes) {
      viewPage.boxes[count][0] = static_cast<int16_t>(data[at] | (data[at + 1] << 8));
      ++count;
      at += 2;
    }
    viewPage.boxCount = count;
  }

  RecordingDevice device;
  ResetDrawingState();
  BuildGlyphTable();
  DrawingState().dc = &device;
  ScorePainterSettings& options = PainterSettings();
  options = ScorePainterSettings{};
  options.pageViewMode = (settings & 1) != 0;
  options.barAlignmentRequest = (settings & 4) != 0;
  options.showVoiceNumbers = (settings & 16) != 0;
  options.lastVisibleRow = 200;
  options.viewWidth = 800;
  options.viewHeight = 600;
  PaintScorePage(1, 1, nullptr, DeviceRect{0, 0, 800, 600}, (settings & 2) ? 1 : 0, 0);
  RebuildItemIndexLayout();
  // The boxes count once the first pass has found the staff rows: once more.
  PaintScorePage(1, 1, nullptr, DeviceRect{0, 0, 800, 600}, 0, 0);
  viewPage.boxCount = 0;
  PageBoxesMissing = savedMissing;
  DrawingState().dc = nullptr;
  ResetMusicFontSet();
  ResetScoreStreams();
  ResetPartRecords();
  PartCount = 0;
  return 0;
}
