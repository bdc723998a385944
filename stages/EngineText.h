// The page's text records from what the engine read: every word of a sung
// line under a staff and every free text (titles, directions, chord symbols)
// of the page description becomes a record of the page's lists. Texts of up
// to 15 units go to the character records, longer ones (cut to 159 units)
// to the word records.
//
// The engine's reading also suggests a meaning before the word pass: the
// words of sung lines are text lines (kind 13); a free text of at most four
// words that the tempo-word table reads as a tempo or tempo change is a tempo
// word (8), as a dynamic level, change or accent a dynamic word (6), as a
// note length or swing a technique word (7); every other text starts
// unclassified (0). Since the
// part slots reset every kind of the page once the staves are numbered,
// these kinds are kept aside by the fill and given after that reset.
#pragma once

#include <cstdint>

#include "Code/Quorm/Geometry.h"

struct CharRecord;
struct WordRecord;
struct StageContext;

// One text as the engine read it.
struct EngineTextPiece {
  const char* text;   // the description's text (plain bytes, at most 100 and a NUL)
  EngineBox box;      // page pixels, x1 and y1 just past the ink
  bool sungLine;      // a word of a sung line (else a free text)
};

// The kind a piece is given before the word pass.
uint16_t EngineTextKind(const EngineTextPiece& piece, const char16_t* text);

// Every sung word, then every free text, of each stave of the engine's page
// description, in page order: at most capacity pieces whose texts are kept
// in texts (one row per piece). The number of pieces.
constexpr int kEngineTextBytes = 112;
int CollectEngineTextPieces(EngineTextPiece* pieces, char (*texts)[kEngineTextBytes], int capacity);

// Appends the pieces to the page's lists (at most their capacities) and
// keeps their kinds aside; the records themselves start at kind 0.
// Returns the number of records made.
int StoreEngineTexts(const EngineTextPiece* pieces, int count, CharRecord* chars, uint32_t* charCount,
                     WordRecord* words, uint32_t* wordCount);
// Reads every text of the engine's page description into the lists.
int FillEngineTextRecords(CharRecord* chars, uint32_t* charCount, WordRecord* words, uint32_t* wordCount);
// Gives the kinds kept aside to the records that still stand where the fill
// put them with kind 0; once per page (the kinds are then forgotten).
void GiveEngineTextKinds(CharRecord* chars, uint32_t charCount, WordRecord* words, uint32_t wordCount);
// After the part slots reset the kinds (and again before the page's first
// word pass, where it then finds nothing left to do): fills the lists when
// the text finder's entry did not run for this reading, then gives the kept
// kinds.
void TakeEngineTextForWordPass(CharRecord* chars, uint32_t* charCount, WordRecord* words, uint32_t* wordCount);

// The text finder's part of filling the page's text records: the engine's
// texts into the character and word lists.
int EngineTextStage(StageContext& context);
