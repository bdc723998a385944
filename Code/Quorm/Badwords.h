// Reading a doubtful word again: a fresh lattice over the word's pieces,
// up to 10 and then up to 80 ways of cutting it into characters, each
// classified and spelled, the best kept; between the tries the lattice is
// weighted towards the classifier.
#pragma once

#include <cstdint>

#include "Code/Quorm/Segpaths.h"
#include "Code/Quorm/Segspell.h"
#include "Code/Quorm/Wordlatt.h"

constexpr int32_t kRereadPaths = 80;

// paths must have room for at least 80 paths. The reading's cuts are piece
// indices; a better reading is copied over it.
void RereadWord(KBestPaths* paths, SegmentReading* reading, TextCostFunction width, TextCostFunction piece,
                TextCostFunction gap, int32_t widthFactor, int mode);
void FreeWordRereader();
