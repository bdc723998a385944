// The findings that are not notes, carried into the page description: slurs
// and ties per system, dynamics and hairpins, repeat marks, pedal marks and
// ornaments per stave, each on the stave that staff geometry gives it. The
// text steps (lyric lines and words, text items) come with the text finder.
#pragma once

#include <cstdint>

// Dynamic codes of the page description.
constexpr int32_t kHairpinDiminuendo = 0;
constexpr int32_t kHairpinCrescendo = 1;

void AddSlursToDescription();
void AddTextLinesToDescription();  // with the text finder; nothing yet
void AddTextItemsToDescription();  // with the text finder; nothing yet
void AddDynamicsToDescription();
void AddRepeatMarksToDescription();
void AddPedalsAndOrnamentsToDescription();

// The dynamic code two marks side by side make together; -1 when they stay
// apart.
int32_t CombinedDynamic(int32_t first, int32_t second);
// The staff a dynamic or hairpin centred at (y, x) belongs to; -1 for none.
int32_t DynamicStaffAt(int32_t y, int32_t x);
