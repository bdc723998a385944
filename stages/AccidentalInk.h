// The ink rules that tell accidentals apart: four column measures around a
// candidate's box and the scores each kind draws from them. The accidental
// search in front of noteheads and the key-signature search share them.
//
// The candidate's box is (x, y, u, s): the note position's own band is
// y .. y + s, the whole accidental y - s .. y + 2s. UL and UR measure the
// left and right halves above the band, LL and LR those below it: each the
// per cent of ink in the box's fullest column. EU and EL measure paper the
// same way in the strip between the columns where the two halves found their
// ink, above and below.
#pragma once

#include <cstdint>

#include "shapes/InkProjections.h"

// Symbol kinds of the four accidentals as the shape classifier names them.
constexpr int kAccidentalSymbolNatural = 128;
constexpr int kAccidentalSymbolSharp = 129;
constexpr int kAccidentalSymbolFlat = 130;
constexpr int kAccidentalSymbolDoubleSharp = 131;

struct AccidentalInk {
  int ul = 0, ur = 0, ll = 0, lr = 0;
  int eu = 0, el = 0;
};

// The measures at a candidate whose box starts at x, y: the boxes reach from
// x - SU (not left of windowLeft) to min(x + u + SU, rightLimit), each half
// u/2 + SU wide and s high. All boxes are clipped to the page.
AccidentalInk MeasureAccidentalInk(const InkPage& page, int32_t x, int32_t y, int32_t u, int32_t s, int32_t staveUnit,
                                   int32_t windowLeft, int32_t rightLimit);

// Scores of one kind, from 100 (double sharp from 0); 0 when the shape
// cannot be that kind.
int SharpInkScore(const AccidentalInk& ink);
int FlatInkScore(const AccidentalInk& ink);
int NaturalInkScore(const AccidentalInk& ink);
int DoubleSharpInkScore(const AccidentalInk& ink);
// The key signature's flats: a tall left stroke, little ink elsewhere.
int KeyFlatInkScore(const AccidentalInk& ink);

// The kind (128..131) with the highest score, the earlier of natural, sharp,
// flat, double sharp on equal scores; -1 when the best scores -1 or less.
int ChooseAccidentalKind(const AccidentalInk& ink, int* score);
