// The text items that score building writes (kind 7 of the item table,
// score/ScoreItem.h): texts tied to a rest or a chord member, chord symbols
// and chord grids, and the page texts of stream 0. Each item is appended to
// a slot of the page's work streams with the box of the record it came from;
// the word or character record is then consumed (kind 255).
#pragma once

#include <cstdint>

#include "building/BuildContext.h"
#include "building/WordMeaning.h"

// The first bytes of the items written here.
constexpr uint8_t kNavigationTextByte = 0x67;  // text code 27, with a style byte
constexpr uint8_t kCodaTextByte = 0x4F;        // text code 25
constexpr uint8_t kSegnoTextByte = 0x57;       // text code 26

// The first byte of a word item for text codes 19..24 (0 for other codes).
uint8_t WordItemFirstByte(int code);
// The first byte of the page text of a record kind (1, 2, 3, 4, 17, 18), else 0.
uint8_t PageTextFirstByte(uint16_t kind);

// The text of a record as the item holds it: below version 3 the ANSI bytes
// (at most limit of them), from version 3 the UTF-16LE units (at most limit
// bytes). Returns the byte count written to out (capacity at least limit).
uint32_t ItemTextBytes(const char16_t* text, uint8_t version, uint32_t limit, uint8_t* out);

// One text item of the given first byte for a record, measured from
// referenceX and from the middle of stave row; 'g' items carry the record's
// style byte. False when the stream lacks room (nothing written).
bool WriteTextItem(BuildContext& context, int slot, uint8_t firstByte, const TextRecordRef& record,
                   int32_t referenceX, const StaveRow& row);
// A chord symbol item from a record's text (root, kind and bass parsed).
bool WriteChordSymbolItem(BuildContext& context, int slot, const TextRecordRef& record, int32_t referenceX,
                          const StaveRow& row);
// A chord grid item; the grid record is not consumed.
bool WriteChordGridItem(BuildContext& context, int slot, const ChordGridRecord& grid, int32_t referenceX,
                        const StaveRow& row);
// The page texts of every unconsumed record of a page-text kind, characters
// first, into stream 0. False when the stream cannot grow.
bool WritePageTextItems(BuildContext& context);

// The writers the stave-group pass calls (BuildContext's TextItemWriters):
// one item of a text code (16 chord symbol, 19..24 word items, 25 'O',
// 26 'W', 27 'g') for the record of link (kWordLinkBit: a word), and the
// page texts. 1 when written.
int WriteLinkedTextItem(BuildContext& context, int slot, int code, uint32_t link, int32_t referenceX,
                        const StaveRow& row);
int WritePageTexts(BuildContext& context);
// The chord grid item of the page's grid record link (BuildContext's grid
// list); 0 when the list has no such record or the stream lacks room.
int WriteLinkedChordGrid(BuildContext& context, int slot, uint32_t link, int32_t referenceX, const StaveRow& row);
// The kinds the engine's reading suggests, given right after the part slots
// reset the page's kinds (stages/EngineText.h).
void GiveEngineTextPrePassKinds(BuildContext& context);
// Puts the writers into the reading's build context.
void InstallTextItemWriters();

// The two chord bytes of a chord-symbol text: (kind << 5) + root, and
// (bass << 3) + (kind >> 3); zeros when no root parses.
void ChordSymbolBytes(const char16_t* text, uint8_t* byte1, uint8_t* byte2);
