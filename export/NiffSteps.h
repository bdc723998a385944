// One writer step of the NIFF export: a call of the chunk library whose
// failure (already reported by the library) stops the export.
#pragma once

#include "export/BeatCounter.h"
#include "export/NiffWriterError.h"
#include "export/niffio/NiffChunks.h"

inline void NiffStep(int result) { CheckOrThrow(result != 0, 2, kNiffErrorChunkFailed); }

// A time or a length as the rational of a chunk (its terms' low 16 bits).
inline RIFFIORational NiffRational(const CBeatCounter& value) {
  RIFFIORational rational;
  value.ToShortPair(&rational.numerator, &rational.denominator);
  return rational;
}
