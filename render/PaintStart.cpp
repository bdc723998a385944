#include "render/PaintStart.h"

#include <algorithm>

#include "render/Colours.h"
#include "render/DrawingState.h"
#include "score/ItemIndex.h"
#include "score/ItemSelection.h"
#include "score/ScoreItem.h"

namespace {

PlaybackPositionHook PlaybackHook = nullptr;

render::Colour Blend(render::Colour from, render::Colour to, int step, int steps) {
  render::Colour out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int a = static_cast<int>((from >> shift) & 0xFF), b = static_cast<int>((to >> shift) & 0xFF);
    out |= static_cast<render::Colour>(a + (b - a) * step / steps) << shift;
  }
  return out;
}

bool IsBarLineItem(int slot, uint32_t offset) {
  const uint8_t* stream = StreamBytes(ScoreStream, slot);
  if (!stream || offset >= StreamUsedLength(ScoreStream, slot)) return false;
  return KindOf(stream + offset) == kItemBarLine && !IsStructureMark(stream + offset);
}

void DrawEditedRowBand(const PaintStartMarks& marks, render::Colour paper) {
  const DrawingStateRecord& s = DrawingState();
  const double left = s.visibleLeft, width = s.visibleRight - s.visibleLeft;
  SelectDrawColour(kEditedRowBandColour);
  FillWorldRect(left, -marks.bandTop, width, -(marks.bandBottom - marks.bandTop));
  const render::Colour band = NearestColour(ColourTable[kEditedRowBandColour]);
  for (int k = 1; k <= kEditedRowBlendStrips; ++k) {
    SetDrawColourValue(Blend(band, paper, k, kEditedRowBlendStrips + 1));
    FillWorldRect(left, -(marks.bandTop - k), width, -1);
    FillWorldRect(left, -(marks.bandBottom + k - 1), width, -1);
  }
}

void DrawMarginsAndFrame(const PaintStartInputs& in) {
  if (!(in.pageWidth > 1) || !(in.pageHeight > 1)) return;
  const DrawingStateRecord& s = DrawingState();
  SelectDrawColour(in.keypadColours ? kMarginColourKeypad : kMarginColour);
  const double right = std::max(s.visibleRight, in.pageWidth);
  const double bottom = std::min(s.visibleBottom, -in.pageHeight);
  const double top = std::max(s.visibleTop, 0.0);
  FillWorldRect(in.pageWidth, top, right - in.pageWidth, bottom - top);
  FillWorldRect(s.visibleLeft, -in.pageHeight, in.pageWidth - s.visibleLeft, bottom + in.pageHeight);
  if (in.viewWidth <= 0 || s.scale <= 0) return;
  // The page's edge in black with a two-pixel shadow right of it and under it.
  const double pixel = 1.0 / s.scale;
  const int colours[3] = {kBlackColour, 4, 2};
  for (int k = 0; k < 3; ++k) {
    SelectDrawColour(colours[k]);
    const double d = k * pixel;
    MoveToWorld(in.pageWidth + d, -(k == 0 ? 0 : 2 * pixel));
    LineToWorld(in.pageWidth + d, -(in.pageHeight + d), 0);
    MoveToWorld(k == 0 ? 0 : 2 * pixel, -(in.pageHeight + d));
    LineToWorld(in.pageWidth + d, -(in.pageHeight + d), 0);
  }
}

}  // namespace

void SetPlaybackPositionHook(PlaybackPositionHook hook) { PlaybackHook = hook; }

bool FindPlayedBar(int slot, uint32_t offset, PlayedBar* bar) {
  const ScoreViewItems& items = TheScoreViewItems();
  const ItemIndex& index = items.index;
  const int count = std::min<int>(index.count, kItemIndexCapacity);
  // The row of the item sounding: the last row of the part at or before the offset.
  int at = -1;
  for (int i = 0; i < count; ++i) {
    const ItemIndexRow& r = index.rows[i];
    if (static_cast<int>(r.part) != slot || r.offset > offset) continue;
    if (at < 0 || r.offset >= index.rows[at].offset) at = i;
  }
  if (at < 0) return false;
  const int32_t staff = static_cast<int32_t>(index.rows[at].staff);
  if (staff < 0 || staff >= items.staves.count || staff >= kStaveRowCapacity) return false;
  const StaveRowExtent& extent = items.staves.rows[staff];
  PlayedBar out{extent.left, extent.right, extent.top, extent.bottom};
  for (int i = 0; i < count; ++i) {
    const ItemIndexRow& r = index.rows[i];
    if (static_cast<int>(r.part) != slot || static_cast<int32_t>(r.staff) != staff) continue;
    if (!IsBarLineItem(slot, r.offset)) continue;
    if (r.offset <= offset) {
      out.left = std::max<int32_t>(out.left, r.right);
    } else if (r.offset > offset) {
      out.right = std::min<int32_t>(out.right, r.left);
    }
  }
  if (out.right <= out.left) return false;
  *bar = out;
  return true;
}

PaintStartMarks PreparePaintStart(const PaintStartInputs& in) {
  PaintStartMarks marks;
  if (!in.storedBoxes) return marks;
  const StaveRowTable& rows = TheScoreViewItems().staves;
  if (in.editedRow >= 0 && !in.pageViewMode && in.editedRow < rows.count && in.editedRow < kStaveRowCapacity) {
    const StaveRowExtent& extent = rows.rows[in.editedRow];
    marks.band = extent.bottom > extent.top;
    marks.bandTop = extent.top;
    marks.bandBottom = extent.bottom;
  }
  PlaybackPosition position;
  if (!PlaybackHook || !PlaybackHook(&position)) return marks;
  for (int slot = 1; slot < kPartSlots && marks.playedCount < kPlayedBarsShown; ++slot) {
    if (!(position.partMask & (1u << slot))) continue;
    if (FindPlayedBar(slot, position.offset[slot], &marks.played[marks.playedCount])) ++marks.playedCount;
  }
  return marks;
}

void DrawPaintStart(const PaintStartInputs& in, const PaintStartMarks& marks) {
  if (marks.band) DrawEditedRowBand(marks, in.paper);
  if (marks.playedCount > 0) {
    SelectDrawColour(kPlayedBarColour);
    for (int i = 0; i < marks.playedCount; ++i) {
      const PlayedBar& bar = marks.played[i];
      FillWorldRect(bar.left, -bar.top, bar.right - bar.left, -(bar.bottom - bar.top));
    }
  }
  if (!in.pageViewMode) DrawMarginsAndFrame(in);
}
