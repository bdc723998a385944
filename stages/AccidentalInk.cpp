#include "stages/AccidentalInk.h"

#include <algorithm>

AccidentalInk MeasureAccidentalInk(const InkPage& page, int32_t x, int32_t y, int32_t u, int32_t s, int32_t staveUnit,
                                   int32_t windowLeft, int32_t rightLimit) {
  AccidentalInk ink;
  if (u <= 0 || s <= 0) return ink;
  const int32_t x0 = std::max(x - staveUnit, windowLeft);
  const int32_t x1 = std::min(x + u + staveUnit, rightLimit);
  const int32_t w = u / 2 + staveUnit;
  int offUL = 0, offUR = 0, offLL = 0, offLR = 0, unused = 0;
  ink.ul = BestInkColumn(page, x0, y - s, w, s, &offUL);
  ink.ur = BestInkColumn(page, x1 - w, y - s, w, s, &offUR);
  ink.ll = BestInkColumn(page, x0, y + s, w, s, &offLL);
  ink.lr = BestInkColumn(page, x1 - w, y + s, w, s, &offLR);
  // The strips between the two strokes (exclusive), where a sharp shows paper.
  const int32_t upperFrom = x0 + offUL + 1, upperTo = x1 - w + offUR;
  if (upperTo > upperFrom) ink.eu = BestPaperColumn(page, upperFrom, y - s, upperTo - upperFrom, s, &unused);
  const int32_t lowerFrom = x0 + offLL + 1, lowerTo = x1 - w + offLR;
  if (lowerTo > lowerFrom) ink.el = BestPaperColumn(page, lowerFrom, y + s, lowerTo - lowerFrom, s, &unused);
  return ink;
}

namespace {

// Below 40 per cent a measure counts as light, above 60 as full.
int LightFull(int measure, int light, int full) { return measure < 40 ? light : measure > 60 ? full : 0; }

}  // namespace

int SharpInkScore(const AccidentalInk& k) {
  int score = 100;
  if (k.ul < 41) {
    if (k.ul < 30) score -= 16;
    if (k.ur > 60) score += 4;
    else if (k.ur < 50) score -= 32;
  } else if (k.ur > 60) {
    if (k.eu >= 41) score += 12;
    if (k.eu < 20) score -= 8;
  } else {
    score += 4;
    if (k.ur < 50) score -= 32;
  }
  if (k.ll < 61) {
    if (k.ll < 50) score -= 32;
    if (k.lr > 40) score += 4;
    else if (k.lr < 30) score -= 16;
  } else if (k.lr > 40) {
    if (k.el >= 41) score += 12;
    if (k.el < 20) score -= 8;
  } else {
    score += 4;
    if (k.lr < 30) score -= 16;
  }
  if (k.ul < 50 || k.ur < 30 || k.ll < 50 || k.lr < 30) score = 0;
  return score;
}

int FlatInkScore(const AccidentalInk& k) {
  int score = 100;
  if (k.ul > 60) score += 16;
  if (k.ul < 40) score -= 48;
  for (int m : {k.ur, k.ll, k.lr}) score += LightFull(m, 8, -16);
  return k.ul < 40 ? 0 : score;
}

int NaturalInkScore(const AccidentalInk& k) {
  int score = 100;
  score += LightFull(k.ul, -16, 8);
  score += LightFull(k.lr, -16, 8);
  score += LightFull(k.ur, 8, -16);
  score += LightFull(k.ll, 8, -16);
  return k.ul < 40 || k.lr < 40 ? 0 : score;
}

int DoubleSharpInkScore(const AccidentalInk& k) {
  int score = 0;
  for (int m : {k.ul, k.ur, k.ll, k.lr}) score += LightFull(m, 8, -16);
  return score;
}

int KeyFlatInkScore(const AccidentalInk& k) {
  int score = 100;
  if (k.ul > 60) score += 16;
  if (k.ul < 40) score -= 32;
  for (int m : {k.ur, k.ll, k.lr}) score += LightFull(m, 6, -16);
  return score;
}

int ChooseAccidentalKind(const AccidentalInk& ink, int* score) {
  const int scores[4] = {NaturalInkScore(ink), SharpInkScore(ink), FlatInkScore(ink), DoubleSharpInkScore(ink)};
  int best = 0;
  for (int i = 1; i < 4; ++i)
    if (scores[i] > scores[best]) best = i;
  *score = scores[best];
  return scores[best] <= -1 ? -1 : kAccidentalSymbolNatural + best;
}
