// Seeds of the score page target, made with the item writers: every item
// kind, damaged texts, tuplets of counts 0 and 1, 4,100 items, 130 staff rows
// and a page of no size.
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "fuzz/render/ScorePageInput.h"
#include "score/ScoreItem.h"

namespace {

using Stream = std::vector<uint8_t>;

void Clef(Stream& s, uint8_t code) {
  uint8_t item[2] = {};
  SetClef(item, code, 0);
  s.insert(s.end(), item, item + 2);
}

void Chord(Stream& s, uint8_t duration, std::vector<uint8_t> positions, bool beam = false) {
  Stream item(kChordHeaderBytes + positions.size(), 0);
  SetChordNoteCount(item.data(), static_cast<uint8_t>(positions.size()));
  SetChordDuration(item.data(), duration, 0);
  SetChordBeamedToNext(item.data(), beam);
  for (size_t i = 0; i < positions.size(); ++i) SetNote(item.data(), static_cast<unsigned>(i), positions[i], 2);
  s.insert(s.end(), item.begin(), item.end());
}

void Mark(Stream& s, uint8_t sub, uint32_t span, uint8_t p1, uint8_t p2) {
  uint8_t item[5] = {static_cast<uint8_t>(kItemMark | (sub << 3) | kMarkBit7), 0, 0, p1, p2};
  SetMarkSpan(item, span);
  s.insert(s.end(), item, item + 5);
}

Stream EveryKind() {
  Stream s;
  Clef(s, kClefTreble);
  s.push_back(MakeKeySignature(3, true, false));
  uint8_t time[2] = {};
  SetTimeSignature(time, 4, 5, false);
  s.insert(s.end(), time, time + 2);
  Mark(s, kMarkTuplet, 32, 3, 15);
  Chord(s, 4, {16, 17}, true);
  Chord(s, 4, {18});
  Chord(s, 4, {20});
  Mark(s, kMarkTuplet, 32, 0, 15);  // a count of 0
  Chord(s, 5, {16});
  Mark(s, kMarkTuplet, 32, 1, 15);  // a count of 1
  Chord(s, 5, {16});
  Mark(s, kMarkSlur, 64, 64, 140);
  Chord(s, 5, {12});
  Chord(s, 5, {22});
  uint8_t rest[2] = {kItemRest, 0};
  SetRest(rest, 5, 1, 1);
  s.insert(s.end(), rest, rest + 2);
  SetMultiBarRest(rest, 12, 0);
  s.insert(s.end(), rest, rest + 2);
  s.push_back(MakeBarLine(kBarFinal));
  // Kind-7 items shorter than their fields.
  const Stream texts = {0x07, 0x01, 0x00, 0x80, 0x4F, 0x00, 0x00, 0x77, 0x02, 0x00, 0x01, 0x02, 0x67, 0x02, 0x00, 0x01, 0x01};
  s.insert(s.end(), texts.begin(), texts.end());
  s.push_back(kBarBoundary);
  return s;
}

}  // namespace

KV_FUZZ_SEEDS(score_page) {
  using fuzz::ScorePagePart;
  const Stream kinds = EveryKind();
  auto write = [&](const char* name, const std::vector<uint8_t>& input) {
    fuzz::WriteSeed(folder, name, input.data(), input.size());
  };
  write("every-kind", fuzz::ScorePageInput(0, 5, {{0x25, {kBarBoundary}}, {5, kinds}, {0x1D, kinds}}));
  write("zero-page-size", fuzz::ScorePageInput(0x09, 5, {{0x25, {}}, {5, kinds}}));
  write("printing-aligned", fuzz::ScorePageInput(0x16, 5, {{0x25, {}}, {3, kinds}, {1, kinds}}));
  std::vector<uint8_t> boxed = fuzz::ScorePageInput(0x20, 5, {{0x25, {}}, {5, kinds}});
  for (int i = 0; i < 40; ++i) {
    boxed.push_back(static_cast<uint8_t>(60 + 13 * i));
    boxed.push_back(static_cast<uint8_t>(i / 8));
  }
  write("stored-boxes", boxed);
  Stream many;
  Clef(many, kClefTreble);
  for (int i = 0; i < 4100; ++i) Chord(many, 5, {16});
  many.push_back(kBarBoundary);
  write("items-4100", fuzz::ScorePageInput(0, 5, {{0x25, {}}, {5, many}}));
  Stream rows;
  for (int i = 0; i < 130; ++i) {
    Clef(rows, kClefBass);
    Chord(rows, 5, {12});
    rows.push_back(MakeBarLine(kBarSingle));
    rows.push_back(kBarBoundary);
  }
  write("staff-rows-130", fuzz::ScorePageInput(0x04, 5, {{0x25, {}}, {5, rows}}));
}
