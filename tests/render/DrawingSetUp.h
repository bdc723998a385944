// The drawing state the render tests start from and leave behind: one set-up
// for the tests that draw marks and text on a device, one for those that
// paint whole score pages from listings.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "pages/PageData.h"
#include "render/DrawDevice.h"
#include "render/SymbolRoutines.h"

// The colours of a display with a grey (0xC0C0C0) button face.
constexpr render::DisplayCaps kGreyFaceDisplay{-1, 0xC0C0C0, 0xFFFFFF, 0x808080, 0, 0x808080};

// Drawing state and music fonts reset, the glyph table built, the colour
// tables filled for caps; drawing on device at scale 1, the world from
// (0, 0) to (2000, 2000) visible.
void StartDrawingOn(render::DrawDevice* device, const render::DisplayCaps& caps);
// The music fonts and the drawing state reset.
void EndDrawing();

// Ready to paint a score into a view of viewWidth x viewHeight: drawing
// state and music fonts reset, the glyph table and the painter's tables
// built afresh, the painter's settings at their defaults, nothing selected,
// the colours of kGreyFaceDisplay. No device is chosen.
void StartScorePainting(int viewWidth, int viewHeight);
// The score a painting test built freed (streams, part records, part count,
// page list) and EndDrawing.
void EndScorePainting();

// The shown page's stored boxes for a score of a clef, a chord and a title
// (in that order): the clef's and the chord's at 70 and 110, the title's
// from titleLeft to titleRight, the page 1000 wide; the boxes marked there.
// What they replace is put back when it goes.
class StoredTitleBoxes {
 public:
  StoredTitleBoxes(int16_t titleLeft, int16_t titleRight);
  ~StoredTitleBoxes();
  StoredTitleBoxes(const StoredTitleBoxes&) = delete;
  StoredTitleBoxes& operator=(const StoredTitleBoxes&) = delete;
  void SetTitleRight(int16_t titleRight);

 private:
  int savedMissing_;
  uint32_t savedWidth_;
};

// A triplet (number 3, 256 in the time of 384) over two chords from x 100 to
// 160 on a staff whose top line is at 60, 6 between its lines.
TupletMark TripletOnTheStaff();

// The shown page's stored boxes, one for each item in stream order, each 10
// wide from its left and from top to bottom; the boxes marked there. What
// they replace is put back when it goes.
class StoredItemBoxes {
 public:
  StoredItemBoxes(std::initializer_list<int16_t> lefts, int16_t top = 0, int16_t bottom = 0);
  ~StoredItemBoxes();
  StoredItemBoxes(const StoredItemBoxes&) = delete;
  StoredItemBoxes& operator=(const StoredItemBoxes&) = delete;
  // Box i: left, right, top, bottom.
  int16_t* Box(int i) { return viewPage.boxes[i]; }

 private:
  int savedMissing_;
};

// Keeps what the page-image tests change of the page table (page count,
// current page, the first three rows' flags) and the shown page's image
// area, and puts them back when it goes.
class KeptPageTableState {
 public:
  KeptPageTableState();
  ~KeptPageTableState();
  KeptPageTableState(const KeptPageTableState&) = delete;
  KeptPageTableState& operator=(const KeptPageTableState&) = delete;

 private:
  Handle area_;
  uint32_t count_;
  int32_t current_;
  uint32_t flags_[3];
};
