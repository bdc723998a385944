// The word pass on fingering: single digits near a note of the group.
#include "building/WordPassSteps.h"

namespace wordpass {

int ClassifyFingering(WordPass& pass, TextRecordRef& r) {
  if (r.Alternative() || !pass.switches.fingering || TextLength(r.text) >= 16) return 0;
  char16_t stripped[kCharTextUnits + 1], digits[kCharTextUnits + 1];
  StripControlChars(r.text, stripped, kCharTextUnits + 1);
  int n = 0;
  for (int i = 0; stripped[i]; ++i)
    if (stripped[i] != u'#' && stripped[i] != u'b') digits[n++] = stripped[i];
  digits[n] = 0;
  FixDigitLookalikes(digits);
  if (n == 0) return 0;
  for (int i = 0; i < n; ++i)
    if (!IsDigit(digits[i])) return 0;
  const int number = LeadingNumber(digits);
  if (number < 1 || number > 9) return 0;
  int32_t nearD = 0;
  const int nearRow = NearestRowByCentre(pass, r, &nearD);
  if (nearRow < 0 || !RowInGroup(pass, nearRow) || nearD > pass.dpi * 60 / 100) return 0;
  const StaveRow& nearStave = pass.Row(nearRow);
  if (*r.right < nearStave.left) return 0;
  // A second stave of the group, when the digit lies between the two.
  int secondRow = -1;
  int32_t secondD = 0;
  for (int i = 0; i < pass.Rows(); ++i) {
    if (i == nearRow || pass.Row(i).group != nearStave.group) continue;
    const int32_t d = std::abs(CentreY(pass.Row(i)) - CentreY(r));
    if (secondRow < 0 || d <= secondD) {
      secondRow = i;
      secondD = d;
    }
  }
  if (secondRow >= 0) {
    const StaveRow& second = pass.Row(secondRow);
    const int32_t mid = (nearStave.top + second.bottom) / 2;
    if (secondD > pass.dpi * 60 / 100 || std::abs(CentreY(r) - mid) > nearD || *r.right < second.left) secondRow = -1;
  }
  const int32_t space = pass.StaveSpace(nearRow);
  if (r.Height() > 4 * space) return 0;
  PageLists& l = pass.Lists();
  int chosen = -1;
  int32_t best = 0;
  for (uint32_t i = 0; i < *l.noteCount; ++i) {
    const NoteRecord& note = l.notes[i];
    if (!LiveNote(note) || !HasRoom(note.appenditureCount)) continue;
    if (!(note.left < *r.right && note.right > *r.left)) continue;
    int32_t extra = 0;
    if (note.stave == nearStave.number - 1) {
      extra = 0;
    } else if (secondRow >= 0 && note.stave == pass.Row(secondRow).number - 1) {
      extra = pass.StaveSpace(secondRow);
    } else {
      continue;
    }
    const int32_t d = std::abs((note.left + note.right) / 2 - CentreX(r)) + extra;
    if (chosen < 0 || d < best) {
      chosen = static_cast<int>(i);
      best = d;
    }
  }
  if (chosen < 0) return 0;
  CopyText(r.text, r.capacity, digits);
  AttachText(pass, NoteChoice{false, chosen}, kAttachFingering, r, false);
  *r.kind = kTextKindFingering;
  return 1;
}

}  // namespace wordpass
