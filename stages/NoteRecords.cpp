#include "stages/NoteRecords.h"

#include <cstring>

void DeleteNoteRecord(NoteRecord* notes, uint32_t& count, uint32_t index) {
  if (index >= count) return;
  if (index + 1 < count) std::memmove(&notes[index], &notes[index + 1], (count - index - 1) * sizeof(NoteRecord));
  --count;
}
