#include "DrawingSetUp.h"

#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/GlyphTable.h"
#include "render/MusicFonts.h"
#include "render/ScorePagePainter.h"
#include "score/ItemSelection.h"
#include "score/ScoreFile.h"
#include "score/ScoreStreams.h"

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
