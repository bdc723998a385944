#include "export/BarPadder.h"

#include <vector>

#include "export/KVReader.h"

namespace {

// NIFF rest shape of a length: by its denominator (a whole bar: 2).
uint8_t RestShapeOf(const CBeatCounter& duration) {
  switch (duration.denominator) {
    case 1: return 2;
    case 2: return 3;
    case 4: return 4;
    case 8: return 5;
    case 16: return 6;
    case 32: return 7;
    case 64: return 8;
    default: return 9;
  }
}

}  // namespace

int CBarPadderNiff::Feed(const CBeatCounter& duration, int voice, bool wholeBar) {
  if (reader_.IsStopped()) return 0;
  RestRecord rest;
  rest.fields.voice = voice;
  rest.fields.duration = duration;
  rest.fields.wholeBar = wholeBar;
  rest.fields.niffShape = wholeBar ? 2 : RestShapeOf(duration);
  reader_.OnRest(rest);
  reader_.OnPreReadNewBlock();
  return 1;
}

int CBarPadderNiff::PadRest(ReaderTimeState&, const CBeatCounter& duration, int voice) {
  return Feed(duration, voice, false);
}

int CBarPadderNiff::PadBarRest(ReaderTimeState&, const CBeatCounter& duration, int voice) {
  return Feed(duration, voice, true);
}

void PadBarWith(ReaderTimeState& bar, CBarPadder& padder, const CBeatCounter& unit) {
  const CBeatCounter remaining = Subtract(bar.timeSignature, bar.timeCursor);
  const CBeatCounter whole(bar.timeSignature.numerator, bar.timeSignature.denominator);
  if (!Less(remaining, whole)) {
    padder.PadBarRest(bar, remaining, bar.currentVoice);
    return;
  }
  const CBeatCounter floor(1, 64);
  const CBeatCounter smallest = Greater(unit, floor) ? unit : floor;
  // The pieces are found longest-last and written shortest first.
  std::vector<CBeatCounter> pieces;
  CBeatCounter left = remaining;
  CBeatCounter piece(1, bar.timeSignature.denominator);
  while (!Less(left, smallest)) {
    while (Greater(piece, left) && !Less(piece, smallest)) piece = DivideByInteger(piece, 2);
    if (Less(piece, smallest)) break;
    pieces.push_back(piece);
    left = Subtract(left, piece);
  }
  const int voice = bar.currentVoice;
  for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) padder.PadRest(bar, *it, voice);
}
