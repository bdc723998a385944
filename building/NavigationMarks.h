// Repeat and navigation marks and named signs among the page's texts: the
// records made for recognised signs (a text starting with 0xFFFF and the
// sign's name: "CODA", "SEGNO", "ENDING" and its label; 0xFFFE and the name
// of a pedal or ornament sign) and plain "D.S." texts. Each is tied to the
// nearest note or rest of its stave.
#pragma once

#include "building/WordMeaning.h"

// The longest text a navigation mark keeps.
constexpr int kNavigationTextUnits = 15;

// 0: not a navigation mark here; 1: handled (kind and attachment written,
// the record left to its own group, or a coda text left for its sign).
int ClassifyNavigationWord(WordPass& pass, TextRecordRef& r);
// 0 or 1 likewise, for records starting with 0xFFFE.
int ClassifySymbolWord(WordPass& pass, TextRecordRef& r);
