#include "DrawingSetUp.h"

#include "pages/CurrentPageData.h"
#include "pages/PageData.h"
#include "pages/PageTable.h"
#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/GlyphTable.h"
#include "render/MusicFonts.h"
#include "render/ScorePagePainter.h"
#include "score/ItemSelection.h"
#include "score/ScoreFile.h"
#include "score/ScoreStream.h"

void StartDrawingOn(render::DrawDevice* device, const render::DisplayCaps& caps) {
  ResetDrawingState();
  ResetMusicFontSet();
  BuildGlyphTable();
  FillColourTables(caps);
  DrawingState().dc = device;
  DrawingState().scale = 1.0;
  SetVisibleWorldRect({0, 0, 2000, 2000});
}

void EndDrawing() {
  ResetMusicFontSet();
  ResetDrawingState();
}

void StartScorePainting(int viewWidth, int viewHeight) {
  ResetDrawingState();
  ResetMusicFontSet();
  BuildGlyphTable();
  ResetPainterTables();
  PainterSettings() = ScorePainterSettings{};
  PainterSettings().viewWidth = viewWidth;
  PainterSettings().viewHeight = viewHeight;
  TheScoreViewItems().selection = SelectionState{};
  FillColourTables(kGreyFaceDisplay);
}

void EndScorePainting() {
  ResetScoreStreams();
  ResetPartRecords();
  PartCount = 0;
  ScorePages = ScorePageList{};
  EndDrawing();
}

StoredTitleBoxes::StoredTitleBoxes(int16_t titleLeft, int16_t titleRight)
    : savedMissing_(PageBoxesMissing), savedWidth_(viewPage.width) {
  PageBoxesMissing = 0;
  viewPage.width = 1000;
  viewPage.boxCount = 3;
  for (int i = 0; i < 2; ++i) {
    viewPage.boxes[i][0] = static_cast<int16_t>(70 + 40 * i);
    viewPage.boxes[i][1] = static_cast<int16_t>(80 + 40 * i);
  }
  viewPage.boxes[2][0] = titleLeft;
  viewPage.boxes[2][1] = titleRight;
}

StoredTitleBoxes::~StoredTitleBoxes() {
  viewPage.boxCount = 0;
  viewPage.width = savedWidth_;
  PageBoxesMissing = savedMissing_;
}

void StoredTitleBoxes::SetTitleRight(int16_t titleRight) { viewPage.boxes[2][1] = titleRight; }

TupletMark TripletOnTheStaff() {
  TupletMark mark{};
  mark.number = 3;
  mark.notatedLength = 256;
  mark.referenceLength = 384;
  mark.firstX = 100;
  mark.lastX = 160;
  mark.staffTop = 60;
  mark.spacing = 6;
  return mark;
}

StoredItemBoxes::StoredItemBoxes(std::initializer_list<int16_t> lefts, int16_t top, int16_t bottom)
    : savedMissing_(PageBoxesMissing) {
  PageBoxesMissing = 0;
  viewPage.boxCount = 0;
  for (int16_t left : lefts) {
    int16_t* box = viewPage.boxes[viewPage.boxCount++];
    box[0] = left;
    box[1] = static_cast<int16_t>(left + 10);
    box[2] = top;
    box[3] = bottom;
  }
}

StoredItemBoxes::~StoredItemBoxes() {
  viewPage.boxCount = 0;
  PageBoxesMissing = savedMissing_;
}

KeptPageTableState::KeptPageTableState()
    : area_(viewPage.imageArea),
      count_(pageTable.pageCount),
      current_(pageTable.currentPage),
      flags_{pageTable.rows[0].flags, pageTable.rows[1].flags, pageTable.rows[2].flags} {}

KeptPageTableState::~KeptPageTableState() {
  pageTable.pageCount = count_;
  pageTable.currentPage = current_;
  for (int i = 0; i < 3; ++i) pageTable.rows[i].flags = flags_[i];
  viewPage.imageArea = area_;
}
