// The part slots of a page: which slot each stave of the page feeds, so that
// staves of the same sort (line count, tablature, small stave) land in the
// same slot from system to system, and the description of the slots the page
// opens. Runs once per page on the reading thread, before the stave groups.
#pragma once

#include <cstdint>

#include "building/BuildContext.h"
#include "platform/Messages.h"
#include "reading/ReadingThread.h"

// The page's problem code for a system of more staves than a score has slots.
constexpr uint32_t kProblemTooManyStaves = 6;

// The number of a stave past the twelfth of its system: no part slot has it,
// so score building never takes its records, while the stages' per-stave
// tables (13 entries) still hold its index.
constexpr int16_t kUnreadStaveNumber = kPartSlots;

// Numbers every stave row from 1 as its part slot (kUnreadStaveNumber for a
// stave past the twelfth of its system, which is not read), raises the
// context's part count to what the page needs (it never shrinks while a
// score is read), describes the slots this page opens in the context's part
// records and resets the meaning of the page's unconsumed text records.
// Nothing of the score changes. Returns the number of staves left unread.
int AssignStavesToParts(BuildContext& context, CharRecord* chars, uint32_t charCount, WordRecord* words,
                        uint32_t wordCount, StaveRow* rows, int count);

// Interface thread, when the page read is merged into the score: the score
// takes the reading's part count (the first page of a score sets it, a
// later page only raises it) and the records of the slots the page opened.
// A page that is not merged changes nothing.
void ApplyPagePartSlots(const BuildContext& context);
// The same for the reading thread's context (the hand-over's hook).
void ApplyReadPagePartSlots();

// The page's character buffer that the text finder readies, and its record
// count.
constexpr size_t kPageCharacterBufferBytes = 48000;
struct PageCharacterBuffer {
  Handle block = nullptr;
  uint32_t count = 0;
};
PageCharacterBuffer& PageCharacters();

// Stage adapters: the text finder readies the page's character buffer (while
// text is read; when the buffer cannot be had it says so and text reading
// stays off, the page is read without text); the part slots then number the
// staves into the reading's context.
int FindcharsStage(StageContext& stage);
int AssignStavesToPartsStage(StageContext& stage);
