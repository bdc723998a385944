// The exception of both exports: a failed check anywhere in reading or
// writing. Six words: a kind, a code and four details; every check throws all
// six 0 except where a caller needs to tell one failure from the others.
#pragma once

#include <cstdint>

class CNiffWriterError {
 public:
  CNiffWriterError(int32_t kind = 0, int32_t code = 0, int32_t d1 = 0, int32_t d2 = 0, int32_t d3 = 0,
                   int32_t d4 = 0)
      : words_{kind, code, d1, d2, d3, d4} {}
  int32_t Kind() const { return words_[0]; }
  int32_t Code() const { return words_[1]; }
  int32_t Detail(int i) const { return words_[2 + i]; }

 private:
  int32_t words_[6];
};

// Codes that the reader catches and drops (the mark is left out, the walk
// goes on).
enum : int32_t {
  kNiffErrorMarkUnreadable = 4,  // a tuplet mark whose ratio or span is 0
  kNiffErrorTupletRefused = 5,   // the tuplet state refused the mark
  kNiffErrorChunkFailed = 6,     // the NIFF chunk library could not write a step
};

inline void CheckOrThrow(bool condition, int32_t kind = 0, int32_t code = 0, int32_t d1 = 0,
                         int32_t d2 = 0, int32_t d3 = 0, int32_t d4 = 0) {
  if (!condition) throw CNiffWriterError(kind, code, d1, d2, d3, d4);
}
