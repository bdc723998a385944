// The page's note work list: the operations every stage shares.
#pragma once

#include <cstdint>

#include "reading/RecognitionRecords.h"

// Removes record index, moving the later ones down by one.
void DeleteNoteRecord(NoteRecord* notes, uint32_t& count, uint32_t index);
