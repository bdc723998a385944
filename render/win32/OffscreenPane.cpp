#include "render/win32/OffscreenPane.h"

#include "platform/Messages.h"
#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/RenderStrings.h"
#include "render/ScoreText.h"

namespace {

constexpr int kSayColour = 11;
constexpr int kSayFontKind = 27;

void ResetTextFonts() { DrawFormattedText(0, 0, nullptr, 7, 0, true, false, true); }

// The memory context and section of the last paints, one of each size,
// kept for the next paint of that size: the pages of a fresh section are
// touched for the first time by the paint, which costs about a quarter of
// drawing a dense page. A kept context is handed back as it was made (its
// state saved before the paint and restored after it).
struct KeptSection {
  int width = 0, height = 0;
  HDC memory = nullptr;
  HBITMAP section = nullptr;
  HGDIOBJ previousBitmap = nullptr;
  int savedState = 0;
};
constexpr int kKeptSections = 2;
KeptSection Kept[kKeptSections];
int NextKept = 0;

void FreeSection(KeptSection& k) {
  if (k.memory) {
    RestoreDC(k.memory, k.savedState);
    if (k.previousBitmap) SelectObject(k.memory, k.previousBitmap);
    DeleteDC(k.memory);
  }
  if (k.section) DeleteObject(k.section);
  k = KeptSection{};
}

bool TakeKeptSection(int width, int height, KeptSection* out) {
  for (KeptSection& k : Kept) {
    if (k.memory && k.width == width && k.height == height) {
      *out = k;
      k = KeptSection{};
      return true;
    }
  }
  return false;
}

void KeepSection(const KeptSection& section) {
  KeptSection& slot = Kept[NextKept];
  NextKept = (NextKept + 1) % kKeptSections;
  FreeSection(slot);
  slot = section;
}

}  // namespace

void FreeKeptPaneSections() {
  for (KeptSection& k : Kept) FreeSection(k);
}

OffscreenPane::OffscreenPane(HDC windowDc, const RECT& paint, int sayX, int sayY)
    : window_(windowDc),
      paint_(paint),
      sayX_(sayX),
      sayY_(sayY),
      width_(paint.right - paint.left + 1),
      height_(paint.bottom - paint.top + 1) {
  if (width_ <= 0 || height_ <= 0) return;
  KeptSection kept;
  if (TakeKeptSection(width_, height_, &kept)) {
    memory_ = kept.memory;
    section_ = kept.section;
    previousBitmap_ = kept.previousBitmap;
    savedState_ = kept.savedState;
    device_.SetContext(memory_);
    ready_ = true;
    return;
  }
  heap_ = HeapCreate(0, kPaneBitmapHeaderBytes, 0);
  if (!heap_) {
    Say(kStrCannotAllocateHeap);
    return;
  }
  header_ = static_cast<BITMAPINFO*>(HeapAlloc(heap_, HEAP_ZERO_MEMORY, kPaneBitmapHeaderBytes));
  if (!header_) {
    Say(kStrCannotAllocateHeader);
    return;
  }
  header_->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  header_->bmiHeader.biWidth = width_;
  header_->bmiHeader.biHeight = height_;
  header_->bmiHeader.biPlanes = 1;
  header_->bmiHeader.biBitCount = 24;
  // The drawing palette follows the header, as the 8-bit pictures have it.
  RGBQUAD* palette = header_->bmiColors;
  for (int i = 0; i < 256; ++i)
    palette[i] = RGBQUAD{SharedPalette[i].blue, SharedPalette[i].green, SharedPalette[i].red, 0};
  memory_ = CreateCompatibleDC(windowDc);
  if (!memory_) {
    Say(kStrCannotCreateContext);
    return;
  }
  GdiFlush();
  void* bits = nullptr;
  section_ = CreateDIBSection(windowDc, header_, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!section_ || !bits) {
    Say(kStrCannotCreateDib);
    return;
  }
  previousBitmap_ = SelectObject(memory_, section_);
  if (!previousBitmap_ || previousBitmap_ == HGDI_ERROR) {
    previousBitmap_ = nullptr;
    Say(kStrCannotSelectBitmap);
    return;
  }
  savedState_ = SaveDC(memory_);
  device_.SetContext(memory_);
  ready_ = true;
}

OffscreenPane::~OffscreenPane() {
  if (drawing_) EndDrawing();
  device_.SetContext(nullptr);
  if (heap_) HeapDestroy(heap_);  // the header with it
  heap_ = nullptr;
  if (ready_ && savedState_ > 0) {
    RestoreDC(memory_, savedState_);
    savedState_ = SaveDC(memory_);
    if (savedState_ > 0) {
      KeepSection(KeptSection{width_, height_, memory_, section_, previousBitmap_, savedState_});
      return;
    }
  }
  if (previousBitmap_) SelectObject(memory_, previousBitmap_);
  if (section_) DeleteObject(section_);
  if (memory_) DeleteDC(memory_);
  if (heap_) HeapDestroy(heap_);  // the header with it
}

void OffscreenPane::Say(unsigned message) {
  char16_t text[256] = {};
  LoadUiString(message, text, 256);
  DrawingStateRecord& state = DrawingState();
  render::DrawDevice* const saved = state.dc;
  GdiDevice device(window_);
  ResetTextFonts();
  state.dc = &device;
  DrawFormattedText(sayX_ + 16, sayY_ - 32, text, kSayColour, kSayFontKind, false, false, false);
  ResetTextFonts();
  state.dc = saved;
}

void OffscreenPane::BeginDrawing() {
  if (!ready_ || drawing_) return;
  ResetTextFonts();
  savedDevice_ = DrawingState().dc;
  DrawingState().dc = &device_;
  drawing_ = true;
}

void OffscreenPane::EndDrawing() {
  if (!drawing_) return;
  ResetTextFonts();
  DrawingState().dc = savedDevice_;
  drawing_ = false;
}

void OffscreenPane::CopyToWindow() {
  if (!ready_) return;
  GdiFlush();
  BitBlt(window_, paint_.left, paint_.top, width_, height_, memory_, 0, 0, SRCCOPY);
}
