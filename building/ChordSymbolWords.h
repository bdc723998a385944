// Chord symbols among the page's texts: a text that repairs into a chord name
// (score/ChordSymbols.h) above a stave becomes a chord-symbol record (kind 10)
// tied to the nearest note or rest of that stave.
#pragma once

#include "building/WordMeaning.h"

// 0 lets the next rule try; 1 when the record is a chord symbol (or left to
// the group its stave belongs to).
int ClassifyChordSymbol(WordPass& pass, TextRecordRef& r);
