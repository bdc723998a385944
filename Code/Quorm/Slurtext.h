// The findings that are not notes, carried into the page description: slurs
// and ties per system, lyric lines with their words and text items, dynamics
// and hairpins, repeat marks, pedal marks and ornaments per stave, each on
// the stave that staff geometry gives it.
#pragma once

#include <cstdint>

// Dynamic codes of the page description.
constexpr int32_t kHairpinDiminuendo = 0;
constexpr int32_t kHairpinCrescendo = 1;

void AddSlursToDescription();
// The text finder's lyric lines, each on the staff at its first corner, with
// their words (a syllable and its hyphen make one hyphenated word).
void AddTextLinesToDescription();
// The text finder's blocks as text items (their texts joined by blanks, at
// most 99 characters), each on the nearer of the staff at it and the next.
void AddTextItemsToDescription();
void AddDynamicsToDescription();
void AddRepeatMarksToDescription();
void AddPedalsAndOrnamentsToDescription();

// The dynamic code two marks side by side make together; -1 when they stay
// apart.
int32_t CombinedDynamic(int32_t first, int32_t second);
// The staff a dynamic or hairpin centred at (y, x) belongs to; -1 for none.
int32_t DynamicStaffAt(int32_t y, int32_t x);
