#include "building/ChordSymbolWords.h"

#include <algorithm>

#include "score/ChordSymbols.h"

namespace {

bool ContainsO(const char16_t* text) {
  for (; *text; ++text)
    if (*text == u'o' || *text == u'O') return true;
  return false;
}

bool Is(const char16_t* text, char16_t c) { return text[0] == c && text[1] == 0; }

}  // namespace

int ClassifyChordSymbol(WordPass& pass, TextRecordRef& r) {
  if (!pass.switches.chordSymbols) return 0;
  const StaveRow& first = pass.Row(pass.firstStave);
  if (*r.left < first.left + 2 * pass.StaveSpace(pass.firstStave)) return 0;
  char16_t repaired[kChordSymbolTextUnits];
  const int replaced = NormaliseChordText(r.text, repaired, kChordSymbolTextUnits);
  if (replaced < 0 || (r.Alternative() && replaced > 1)) return 0;

  // The stave the symbol stands over (or, for a tablature stave ending its
  // group, under).
  const int32_t t = *r.top, b = *r.bottom, d6 = pass.dpi / 6;
  int below = -1;
  int32_t belowD = 0;
  for (int i = 0; i < pass.Rows(); ++i) {
    const int32_t d = pass.Row(i).top - t;
    if (d > 0 && (below < 0 || d <= belowD)) {
      below = i;
      belowD = d;
    }
  }
  int chosen = -1;
  int32_t best = 0;
  bool chosenBelow = false;
  for (int i = 0; i < pass.Rows(); ++i) {
    const StaveRow& row = pass.Row(i);
    const bool sharesGroup = i > 0 && row.group == pass.Row(i - 1).group;
    const bool skipped = sharesGroup && (Is(repaired, u'A') || (Is(repaired, u'D') && ContainsO(r.text)));
    if (!skipped) {
      const int32_t d = row.top - t;
      const bool underTab = i > 0 && pass.Row(i - 1).kind == 1 && t - pass.Row(i - 1).bottom < d6 &&
                            t >= pass.Row(i - 1).bottom;
      if (d > 0 && !underTab && (chosen < 0 || d <= best)) {
        chosen = i;
        best = d;
        chosenBelow = true;
      }
    }
    const bool lastOfGroup = i + 1 == pass.Rows() || pass.Row(i + 1).group != row.group;
    if (row.kind == 1 && lastOfGroup && b > row.bottom && t - row.bottom < d6) {
      const int32_t d = t - row.bottom;
      if (chosen < 0 || b - row.bottom <= best) {
        chosen = i;
        best = std::max<int32_t>(d, 0);
        chosenBelow = false;
      }
    }
  }
  if (chosen < 0 || best > pass.dpi) return 0;
  if (*r.right < pass.Row(chosen).left) return 0;
  if (chosenBelow && chosen != below) return 0;
  if (!RowInGroup(pass, chosen)) return 1;
  NoteChoice choice;
  if (!NearestNoteOrRest(pass, chosen, (*r.left + *r.right) / 2, &choice)) return 0;
  int i = 0;
  for (; repaired[i] && i + 1 < r.capacity; ++i) r.text[i] = repaired[i];
  r.text[i] = 0;
  AttachText(pass, choice, kAttachChordSymbol, r, false);
  if (r.Alternative()) DiscardOverlappedTexts(pass, r, false);
  *r.kind = kTextKindChordSymbol;
  return 1;
}
