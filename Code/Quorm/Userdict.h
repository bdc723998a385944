// The user's own word list, "User\dict.txt" below the engine folder, read
// (never written) for one run, so that spelling can charge a known word the
// low in-dictionary cost.
#pragma once

#include <cstdint>

#include "Code/Quorm/Engerror.h"

constexpr int32_t kUserDictWordBytes = 12000;   // first size of the word store (doubled when full)
constexpr int32_t kUserDictOffsetStep = 6000;   // first size of the offset table (doubled when full)
constexpr int kMaxUserWordLength = 31;

// null, "Xudicinit" (no memory for the first blocks, or the file cannot be
// opened), "Xudicfile" (a read error) or "Xmemudic" (the store cannot grow).
EngineCode LoadUserDictionary();
void FreeUserDictionary();

int32_t GetUserWordCount();
const char* GetUserWord(int32_t i);  // checked; in sorted order
// The index of the case-folded word; when it is missing -1, or with nearest
// the index of the entry that shares the longest case-folded beginning.
int32_t FindUserWord(const char* word, int nearest);
// 1 when the dictionary holds the word for a word kind: 0 lower case, 3
// number and 4 other must match exactly, 1 capitalised after its first
// character, 2 block capitals in any case. Other kinds are a failed check.
int InUserDictionary(const char* word, int kind);
