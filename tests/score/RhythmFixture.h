// Items for the rhythm tests: chords and rests of any value and voice,
// tuplet marks, bar lines and the structure marks, written as the score
// model lays them out.
#pragma once

#include "tests/score/ScoreStreamFixture.h"

struct NoteSpec {
  uint8_t code = kDurationQuarter;
  uint8_t dots = 0;
  uint8_t voice = 0;
  bool sameColumn = false;
  bool grace = false;
};

inline StreamBytesList Chord(NoteSpec n) {
  StreamBytesList item = {uint8_t(kItemChord | 1 << 3), 0, 0, 0, 0, Note(6)};
  SetChordDuration(item.data(), n.code, n.dots);
  if (n.sameColumn) item[1] |= 1;
  SetChordVoice(item.data(), n.voice);
  if (n.grace) item[4] |= 0x04;
  return item;
}
inline StreamBytesList Crotchet(uint8_t voice = 0) { return Chord({kDurationQuarter, 0, voice}); }
inline StreamBytesList Quaver(uint8_t voice = 0) { return Chord({kDurationEighth, 0, voice}); }
inline StreamBytesList Minim(uint8_t voice = 0) { return Chord({kDurationHalf, 0, voice}); }

inline StreamBytesList Rest(uint8_t code, uint8_t voice = 0, uint8_t dots = 0, bool sameColumn = false) {
  StreamBytesList item = {uint8_t(kItemRest), 0};
  SetRest(item.data(), code, dots, voice);
  if (sameColumn) item[0] |= 0x80;
  return item;
}
inline StreamBytesList BarRest(uint8_t voice = 0) {
  StreamBytesList item = {uint8_t(kItemRest), 0};
  SetMultiBarRest(item.data(), 1, voice);
  return item;
}
// A tuplet mark: count notes of one written length (1/128 notes) sounding in
// total (1/128 notes).
inline StreamBytesList TupletMark(uint32_t total, uint8_t count, uint8_t oneNote, uint8_t voice = 0) {
  StreamBytesList item = {kTupletMarkByte, 0, 0, count, uint8_t(oneNote - 1)};
  SetMarkSpan(item.data(), total);
  SetMarkVoice(item.data(), voice);
  return item;
}
inline StreamBytesList Line(uint8_t style = kBarSingle) { return {MakeBarLine(style)}; }
inline StreamBytesList Boundary() { return {kBarBoundary}; }
inline StreamBytesList PageMarkItem() { return {kPageMark}; }
inline StreamBytesList EndMark() { return {kEndOfScore}; }

// The quaver triplet of a crotchet: three quavers sounding as 32/128.
inline StreamBytesList QuaverTriplet(uint8_t voice = 0) {
  return JoinItems({TupletMark(32, 3, 16, voice), Quaver(voice), Quaver(voice), Quaver(voice)});
}
