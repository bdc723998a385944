// The language data of text recognition as StartEngine reads it, loaded into
// a started engine. The first byte chooses the file (even: "langdata.txt",
// odd: "sylngram.bin"), the rest is the file. A bad file fails the load with
// "Xspllinit"; a good trigram model is loaded byte for byte, every loaded
// list stays within its slots, and the shipped files load again afterwards
// either way. The load reads the user dictionary after them, as the
// engine's does; a short one keeps each load cheap (the dictionary has a
// target of its own).
#include <cstdlib>
#include <cstring>
#include <string>

#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/Spell.h"
#include "fuzz/FuzzTarget.h"
#include "fuzz/engine/EngineRun.h"

namespace {

template <size_t Slots, size_t Bytes>
void CheckList(const char (&list)[Slots][Bytes], int32_t count) {
  if (count < 0 || count > static_cast<int32_t>(Slots)) std::abort();
  for (int32_t i = 0; i < count; ++i)
    if (std::memchr(list[i], '\0', Bytes) == nullptr || list[i][0] == '\0') std::abort();
}

// The trigram model's parts at their places in the file.
void CheckTrigramModel(const LanguageData& d, const uint8_t* file, size_t size) {
  if (size != static_cast<size_t>(kSylngramFileSize)) std::abort();
  size_t at = 4;
  auto same = [&](const uint8_t* loaded, size_t n, size_t padding) {
    if (std::memcmp(loaded, file + at, n) != 0) std::abort();
    at += n + padding;
  };
  same(d.firstMap, sizeof d.firstMap, 0);
  same(d.symbolOf, sizeof d.symbolOf, 0);
  same(d.unigram, sizeof d.unigram, 3);
  same(d.bigram, sizeof d.bigram, 1);
  same(d.trigram, sizeof d.trigram, 0);
  for (uint8_t symbol : d.symbolOf)
    if (symbol >= kTrigramSymbols && symbol != kNoSymbol) std::abort();
}

}  // namespace

KV_FUZZ_TARGET(engine_language) {
  fuzz::KeepEngineStarted();
  if (size == 0) return 0;
  const bool trigrams = data[0] & 1;
  const char* file = trigrams ? fuzz::kSylngramFile : fuzz::kLangDataFile;
  // The language load reloads the user dictionary: the shipped one's head,
  // written once.
  static const bool dictionaryWritten = [] {
    const std::string dictionary = fuzz::ShippedDictionaryHead();
    fuzz::WriteEngineFile(fuzz::kUserDictFile, reinterpret_cast<const uint8_t*>(dictionary.data()), dictionary.size());
    return true;
  }();
  (void)dictionaryWritten;
  fuzz::WriteEngineFile(file, data + 1, size - 1);
  if (!fuzz::LoadEngineData(fuzz::EngineData::kLanguage, file, {"Xspllinit"})) return 0;
  EngineRunLock run;
  const SpellingTables& t = LoadedSpelling();
  for (int list = 0; list < kPunctuationListCount; ++list) CheckList(t.punctuation[list], t.punctuationCount[list]);
  CheckList(t.unsafeSegments, t.unsafeSegmentCount);
  CheckList(t.unsafeInGoodWord, t.unsafeInGoodWordCount);
  for (int c = 0; c < 256; ++c)
    if ((t.charTypes[c] & kKnownSymbols) && t.loneCost[c] == 0) std::abort();
  if (trigrams) CheckTrigramModel(t.language, data + 1, size - 1);
  fuzz::RestoreEngineFile(file);
  return 0;
}
