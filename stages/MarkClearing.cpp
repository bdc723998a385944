#include "stages/MarkClearing.h"

#include <algorithm>
#include <cstdlib>

#include "platform/Messages.h"
#include "reading/StaveSpacing.h"
#include "stages/SymbolRecords.h"

namespace {

void DebugString(unsigned id) {
  char16_t text[160] = {};
  LoadUiString(id, text, 150);
  int n = 0;
  while (n < 150 && text[n]) ++n;
  text[n] = u'\n';
  text[n + 1] = 0;
  CurrentReadingHost().DebugLine(text);
}

int32_t SlopeShift(int32_t distance, int32_t slope) {
  return static_cast<int32_t>(static_cast<int64_t>(distance) * slope / 4096);  // truncates toward zero
}

bool ProtectedSymbolType(int type) {
  return (type >= 1 && type <= 17) || (type >= 32 && type <= 43) || (type >= 48 && type <= 57);
}

void Mark(int16_t& quality) {
  if (quality < 128) quality = static_cast<int16_t>(quality + kUnderMarkQuality);
}

}  // namespace

bool BeamCoversNote(const NoteValueWork& work, uint32_t m, uint32_t n, int32_t* thickness, int* side) {
  if (m == n) return false;
  const NoteRecord& beamNote = work.notes[m];
  const NoteRecord& note = work.notes[n];
  if (!IsStemmedKind(beamNote.kind)) return false;
  NoteStave st;
  if (!NoteStaveOf(work, beamNote, &st)) return false;
  const int32_t centre = (note.left + note.right) / 2;
  for (int c = 0; c < 4; ++c) {
    const StemRecord& record = work.stems[c][m];
    const int32_t x = (c & 1) ? beamNote.right : beamNote.left;
    for (int p = 0; p < 2; ++p) {
      if (!(record.sideFlags & (p == 0 ? kLeftSideBeams : kRightSideBeams))) continue;
      const StemSide& s = p == 0 ? record.left : record.right;
      for (int k = 0; k < s.stubCount && k < 5; ++k) {
        const int32_t from = p == 0 ? x - s.markLength[k] : x;
        const int32_t to = p == 0 ? x : x + s.markLength[k];
        if (to < note.left || from > note.right) continue;
        const int32_t shift = SlopeShift(p == 0 ? x - centre : centre - x, s.markSlope);
        const int32_t top = s.markTop[k] + shift, bottom = s.markBottom[k] + shift;
        if (note.top >= top - st.space && note.top <= bottom + st.space) {
          *thickness = s.markBottom[k] - s.markTop[k];
          *side = p;
          return true;
        }
      }
    }
  }
  return false;
}

void ClearUnderFlags(NoteValueWork& work, const int order[4], bool remove) {
  const int c = order[0];
  NoteRecord* notes = work.notes;
  for (uint32_t i = 0; i < *work.noteCount; ++i) {
    // Copies: deleting a record before this one moves it down.
    const NoteRecord n = notes[i];
    if (!IsLiveNote(n) || !IsStemmedKind(n.kind) || (n.origin < kConfirmedOrigin && n.uncertain)) continue;
    if (n.stemLength[c] < 1) continue;
    NoteStave st;
    if (!NoteStaveOf(work, n, &st)) continue;
    const int32_t x = (c & 1) ? n.right : n.left;
    const StemRecord record = work.stems[c][i];
    for (int p = 0; p < 2; ++p) {
      const StemSide& side = p == 0 ? record.left : record.right;
      if (side.markCount == 0) continue;
      const bool beams = (record.sideFlags & (p == 0 ? kLeftSideBeams : kRightSideBeams)) != 0;
      if (p == 0 && !beams) {
        // A flag on the left: the scans never look for one there.
        DebugString(kStrDodgyLeftFlagNote);
        DebugString(kStrDodgyLeftFlagSymbol);
        continue;
      }
      const int marks = beams ? std::min<int>(side.stubCount, 5) : 1;
      if (marks == 0) continue;
      if (beams && side.markLength[marks - 1] < st.space * 3 / 2) continue;
      const uint32_t crossBit = p == 0 ? kLeftSideCrossesStave : kRightSideCrossesStave;
      for (int k = 0; k < marks; ++k) {
        const int32_t length = beams ? side.markLength[k] : 7 * st.unit;
        const int32_t from = p == 0 ? x - length : x, to = p == 0 ? x : x + length;
        const int32_t markTop = side.markTop[k], markBottom = side.markBottom[k], slope = side.markSlope;
        const int32_t thickness = markBottom - markTop;
        auto shifted = [&](int32_t cx) { return beams ? SlopeShift(p == 0 ? x - cx : cx - x, slope) : 0; };
        // Notes under the mark.
        for (uint32_t j = 0; j < *work.noteCount; ++j) {
          if (j == i) continue;
          NoteRecord& m = notes[j];
          const int row = GroupRowOf(work, m.stave);
          if (row < 0 || std::abs(row - st.row) >= 2 || m.quality >= 6 || m.origin >= kConfirmedOrigin) continue;
          if (m.right < from || m.left > to) continue;
          const int32_t shift = shifted((m.left + m.right) / 2);
          if (m.bottom < markTop + shift || m.top > markBottom + shift) continue;
          int32_t coverThickness = 0;
          int coverSide = 0;
          if (BeamCoversNote(work, j, i, &coverThickness, &coverSide)) {
            const uint32_t otherCross = coverSide == 0 ? kLeftSideCrossesStave : kRightSideCrossesStave;
            if (n.quality - m.quality > 2 || coverThickness > thickness ||
                ((record.sideFlags & crossBit) && !(work.stems[c][j].sideFlags & otherCross)))
              continue;
          }
          if (remove) {
            DeleteNoteWithStems(notes, *work.noteCount, work.stems, j);
            if (j < i) --i;
            --j;
          } else {
            Mark(m.quality);
          }
        }
        // Symbols under the mark.
        for (uint32_t j = 0; j < *work.symbolCount; ++j) {
          SymbolRecord& s = work.symbols[j];
          const int row = GroupRowOf(work, s.stave);
          if (s.score >= 100 || row < 0 || std::abs(row - st.row) >= 2 || ProtectedSymbolType(s.type)) continue;
          if (s.right < from || s.left > to) continue;
          StavePage& page = WorkGeometry(work);
          const int32_t sTop = StavePositionY(work.rows, work.staveCount, row, s.left, s.stepTop, page);
          const int32_t sBottom = StavePositionY(work.rows, work.staveCount, row, s.left, s.stepBottom, page);
          const int32_t lo = std::min(sTop, sBottom), hi = std::max(sTop, sBottom);
          const int32_t narrow = (s.type >= 70 && s.type <= 73) ? 0 : (hi - lo) / 3;
          const int32_t shift = shifted((s.left + s.right) / 2);
          if (hi - narrow < markTop + shift || lo + narrow > markBottom + shift) continue;
          if (remove) {
            DeleteSymbolRecord(work.symbols, *work.symbolCount, j);
            --j;
          } else {
            Mark(s.quality);
          }
        }
      }
    }
  }
}
