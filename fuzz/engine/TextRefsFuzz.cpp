// The text reference file ("Learned\Text") as StartEngine reads it, loaded
// into a started engine. A bad file fails the load with "Xrdocrdat"; a good
// one is loaded with every pattern range inside the next level's table, and
// the folder's own file loads again afterwards either way.
#include <cstdlib>

#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/Textlref.h"
#include "fuzz/FuzzTarget.h"
#include "fuzz/engine/EngineRun.h"

namespace {

int32_t Word(const uint8_t* data, size_t at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(data[at + i]) << (8 * i);
  return static_cast<int32_t>(v);
}

}  // namespace

KV_FUZZ_TARGET(engine_text_refs) {
  fuzz::KeepEngineStarted();
  fuzz::WriteEngineFile(fuzz::kTextFile, data, size);
  if (!fuzz::LoadEngineData(fuzz::EngineData::kTextReferences, fuzz::kTextFile, {"Xrdocrdat"})) return 0;
  EngineRunLock run;
  const TextReferenceStore& s = LoadedTextReferences();
  const TextRefHeader& h = s.header;
  // The counts are the file's own.
  if (size < static_cast<size_t>(kTextRefHeaderSize) || h.classCount != Word(data, 4) || h.mainCount != Word(data, 12) ||
      h.fastCount != Word(data, 16) || h.veryFastCount != Word(data, 20))
    std::abort();
  for (int32_t v = 0; v < h.veryFastCount; ++v)
    if (s.veryFast[v].words[0] < 0 || s.veryFast[v].words[1] > h.fastCount) std::abort();
  for (int32_t f = 0; f < h.fastCount; ++f)
    if (s.fast[f].words[0] < 0 || s.fast[f].words[1] > h.mainCount) std::abort();
  for (int c = 0; c < 256; ++c) {
    const int32_t cls = GetClassOfCharacter(static_cast<unsigned char>(c));
    if (cls < -1 || cls >= h.classCount || (cls >= 0 && GetClassCharacter(cls) != c)) std::abort();
  }
  int32_t words[4];
  for (int32_t i = 0; i < h.classCount; ++i) {
    GetClassRefA(i, words);
    GetClassRefE(i, words);
  }
  EnableTextPatterns();
  fuzz::RestoreEngineFile(fuzz::kTextFile);
  return 0;
}
