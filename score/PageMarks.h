// The score's pages from the page marks of its streams.
#pragma once

#include <cstdint>

#include "score/ScoreFile.h"
#include "score/ScoreStream.h"

// Shown once when the page marks make more than kMaxScorePages pages.
constexpr unsigned kStrTooManyScorePages = 10178;

// Offset in each part slot's stream where each page begins; page 1 at 0.
constexpr int kPageStartSlots = 15;
extern uint32_t PageStarts[kMaxScorePages][kPageStartSlots];

// Sets ScorePages.count and PageStarts from the page marks (a page mark not
// followed by the end mark starts a page); more than 20 pages shows string
// 10178 once and stops counting.
void CountPageMarks();

// The rule CountPageMarks applies, on any stream set: fills starts (rows of
// pages beyond the count left 0) and returns the number of pages (at least
// 1); tooMany, when given, is set when the marks make more than
// kMaxScorePages pages (counting stops there).
int CountPageStarts(const StreamSet& set, uint8_t version, uint32_t (*starts)[kPageStartSlots], bool* tooMany);
