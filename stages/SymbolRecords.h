// The page's symbol work list: deleting and ordering records. The records
// themselves are in reading/RecognitionRecords.h.
#pragma once

#include <cstdint>

#include "reading/RecognitionRecords.h"

// Removes entry index, moving the later ones down by one.
void DeleteSymbolRecord(SymbolRecord* records, uint32_t& count, uint32_t index);
// Stable sort of records [from, count) by left edge.
void SortSymbolsByLeft(SymbolRecord* records, uint32_t from, uint32_t count);
// Stable sort of the whole list by stave, then left edge.
void SortSymbolsByStave(SymbolRecord* records, uint32_t count);
