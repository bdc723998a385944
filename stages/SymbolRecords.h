// The page's symbol work list: making records from the engine's page
// description and from the shape classifier, deleting, ordering and scoring
// them. The records themselves are in reading/RecognitionRecords.h.
//
// Stave steps of a symbol count half spaces downward from two spaces above
// the top line of a five-line stave (top line 4, bottom line 12); a one-line
// stave's line is step 8, a two-line stave's lines are 6 and 8. Steps are
// clamped to 0..15.
//
// Every maker refuses to add a record once the list holds kSymbolListLimit.
// The engine makers read the engine's staff table and page description, so
// they run between the engine's start and its close (the reading thread holds
// the engine lock then).
#pragma once

#include <cstdint>
#include <vector>

#include "reading/RecognitionRecords.h"
#include "score/StaveTypes.h"
#include "shapes/ClassifierDatabases.h"
#include "stages/SymbolRecordsEngine.h"

// Removes entry index, moving the later ones down by one.
void DeleteSymbolRecord(SymbolRecord* records, uint32_t& count, uint32_t index);
// Stable sort of records [from, count) by left edge.
void SortSymbolsByLeft(SymbolRecord* records, uint32_t from, uint32_t count);
// Stable sort of the whole list by stave, then left edge.
void SortSymbolsByStave(SymbolRecord* records, uint32_t count);

// Clears records[index] and fills it for engine staff `staff` and stave
// number `stave`: the space, stave top, base score 100 and, with an object,
// its box, steps, confidence and quality. Does not change the count. False
// (the record cleared) when the object has no box.
bool FillSymbolRecord(SymbolRecord* records, uint32_t index, const FoundObjectRef* object, int16_t stave,
                      int32_t staff);

// The importers of one time slot of the page description (page, system,
// stave within the system, slot) into the list for engine staff `staff`.
// Clefs: treble forms 2, bass forms 8, alto 5; on five-line staves the
// type of the line the shape marks and a G clef's 8 in count (PlaceClef).
void ImportEngineClefs(int32_t page, int32_t system, int32_t staveInSystem, int32_t slot, SymbolRecord* records,
                       uint32_t& count, int16_t stave, int32_t staff);
// 4/4 or 2/2 shown as a symbol: one record 42 or 43; else one digit record
// (type character - 16) per digit, numerator above, denominator below.
void ImportEngineTimeSignature(int32_t page, int32_t system, int32_t staveInSystem, int32_t slot,
                               SymbolRecord* records, uint32_t& count, int16_t stave, int32_t staff);
// The slot's closing bar line: 55 for thin-thick, 48 for every other kind.
// Repeat kinds widen the box by the current stave unit.
void ImportEngineBarline(int32_t page, int32_t system, int32_t staveInSystem, int32_t slot, SymbolRecord* records,
                         uint32_t& count, int16_t stave, int32_t staff);
// The size value of a rest of symbol type `type` whose ink is width x height
// pixels on a stave of `space` pixels: kCueSize when the rest is drawn well
// below the size of its glyph (a cue-size rest), else 0; 0 for other types
// and when the extent that tells (the width of a whole or half rest, the
// height of the others) is 0, not measured.
int16_t RestSizeValue(int16_t type, int32_t width, int32_t height, int32_t space);
// The slot's rests: breve to semiquaver rest 72..67, demisemiquaver 66,
// hemidemisemiquaver 65, multi-bar rest 73 with count = its bars; the other
// rests carry count 1 when dotted, and their size value (RestSizeValue).
void ImportEngineSymbols(int32_t page, int32_t system, int32_t staveInSystem, int32_t slot, SymbolRecord* records,
                         uint32_t& count, int16_t stave, int32_t staff);

// Every slot of the stave of row rowIndex (its system is the row's group):
// clefs, time signature and rests on ordinary and short staves, bar lines on
// every stave. 1, or 0 when the page description has no such system or
// stave.
int ImportStaveEngineSymbols(const StaveRow* rows, int staveInSystem, SymbolRecord* records, uint32_t& count,
                             int16_t stave, int rowIndex);
// 1 when an engine bar line of the stave of row rowIndex overlaps
// [fromX, toX]; 0 otherwise or when the description has no such stave. The
// engine's stave is the row's place in its system (the rows before it of
// the same group), whatever part slot the row's number names.
int HasEngineBarlineAt(const StaveRow* rows, int rowIndex, int32_t fromX, int32_t toX);

// Adds one record for a classifier hit from the matched record's 8-byte
// header: x and width of the window, the default step (the band), the
// match's confidence between the thresholds best and worst, the stave's half
// space and top-line y. 0 when the list is full, else 1.
int AddClassifiedSymbol(SymbolRecord* records, uint32_t& count, const uint8_t* header, int32_t x, int32_t width,
                        int defaultStep, int16_t stave, int confidence, int best, int worst, double halfSpace,
                        int16_t staveTopY);

// The context tables of the shape database (left and right), rows of 32
// entries (neighbour type, reach in spaces, bonus).
struct SymbolContextTables {
  const std::vector<ContextRow>* left = nullptr;
  const std::vector<ContextRow>* right = nullptr;
};
// The loaded classifier's tables (empty when none is loaded).
SymbolContextTables LoadedSymbolContexts();

// The record's base score plus its context bonuses: neighbours its context
// rows name, a bar line before a time signature (64), treble-clef family
// types 1 and 2 (10). A context row of 0 or past the table gives no bonus.
int32_t SymbolContextScore(const SymbolRecord* records, uint32_t count, uint32_t index,
                           const SymbolContextTables& tables);
int32_t SymbolContextScore(const SymbolRecord* records, uint32_t count, uint32_t index);

// "There is insufficient memory available to read page." A symbol stage
// whose work tables cannot be had queues it for the frame.
constexpr unsigned kTextNoMemoryToReadPage = 10024;

// Type families.
inline bool IsBarlineSymbol(int type) { return type >= 48 && type <= 57; }
inline bool IsTimeDigitSymbol(int type) { return type >= 32 && type <= 41; }
inline bool IsTimeSignatureSymbol(int type) { return type >= 32 && type <= 43; }
inline bool IsKeySignatureSymbol(int type) { return type == kSymbolFlatKey || type == kSymbolSharpKey; }
inline bool IsRestSymbol(int type) { return type >= 64 && type <= 73; }

// Stave-step helpers: the step of line i of a stave with lineCount lines
// (lines above and below the stave continue the count), clamped to 0..15.
int SymbolLineStep(int lineCount, int line);
