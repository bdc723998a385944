// Loading the text reference data. The file is checked whole before any
// block is taken: its length must be exactly what the header's counts give,
// and every pattern range must lie inside the next level's table.
#include "Code/Quorm/Textlref.h"

#include <cstdio>
#include <cstring>

#include "Code/Quorm/Engpaths.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/options.h"

namespace {

TextReferenceStore store = {};

constexpr char kCannotOpen[] = "Xreaddat";
constexpr char kBadFile[] = "Xrdocrdat";
constexpr char kAlreadyLoaded[] = "Xnewldocr";
constexpr int32_t kMaxTextRecords = 1000000;

int32_t ReadByte(std::FILE* file) {
  int byte = std::fgetc(file);
  return byte == EOF ? 0 : byte;
}

void ReadHeader(std::FILE* file, TextRefHeader& h) {
  h.word0 = ReadInt32LE(file);
  h.classCount = ReadInt32LE(file);
  h.word2 = ReadInt32LE(file);
  h.mainCount = ReadInt32LE(file);
  h.fastCount = ReadInt32LE(file);
  h.veryFastCount = ReadInt32LE(file);
  std::fseek(file, kTextRefHeaderSize, SEEK_SET);
}

// A byte, then three padding bytes.
int32_t ReadPaddedByte(std::FILE* file) {
  int32_t value = ReadByte(file);
  for (int i = 0; i < 3; ++i) ReadByte(file);
  return value;
}

void ReadClass(std::FILE* file, TextClassRef& c) {
  c.words[0] = ReadPaddedByte(file);
  for (int i = 1; i < 28; ++i) c.words[i] = ReadInt32LE(file);
}

void ReadMain(std::FILE* file, TextMainPattern& m) {
  m.words[0] = ReadInt32LE(file);
  m.words[1] = ReadInt32LE(file);
  m.words[2] = ReadPaddedByte(file);
  for (int i = 3; i < 12; ++i) m.words[i] = ReadInt32LE(file);
  ReadEngineBytes(file, m.features, sizeof m.features);
  m.on = ReadPaddedByte(file);
}

template <class Pattern>
void ReadRangePattern(std::FILE* file, Pattern& p) {
  for (int32_t& word : p.words) word = ReadInt32LE(file);
  ReadEngineBytes(file, p.features, sizeof p.features);
  p.on = ReadPaddedByte(file);
}

bool CountsValid(const TextRefHeader& h, long size) {
  const int32_t counts[] = {h.classCount, h.mainCount, h.fastCount, h.veryFastCount};
  for (int32_t n : counts)
    if (n < 0 || n > kMaxTextRecords) return false;
  long long expected = kTextRefHeaderSize + 112LL * h.classCount + 244LL * h.mainCount + 104LL * h.fastCount +
                       48LL * h.veryFastCount;
  return size == expected;
}

bool RangeValid(const int32_t* words, int32_t limit) {
  return words[0] >= 0 && words[0] <= words[1] && words[1] <= limit;
}

long FastPatternsAt(const TextRefHeader& h) { return kTextRefHeaderSize + 112L * h.classCount + 244L * h.mainCount; }

}  // namespace

const TextReferenceStore& LoadedTextReferences() { return store; }

EngineCode ReadTextRefHeader(const char* path, TextRefHeader* out) {
  std::FILE* file = OpenEngineFile(path, "rb");
  if (file == nullptr) return kCannotOpen;
  ReadHeader(file, *out);
  std::fclose(file);
  return kEngineOk;
}

EngineCode CheckTextRefFile(const char* path, TextRefHeader* out) {
  std::FILE* file = OpenEngineFile(path, "rb");
  if (file == nullptr) return kBadFile;
  long size = EngineFileSize(file);
  TextRefHeader h = {};
  ReadHeader(file, h);
  bool good = size >= kTextRefHeaderSize && CountsValid(h, size);
  if (good) {
    std::fseek(file, FastPatternsAt(h), SEEK_SET);
    for (int32_t f = 0; good && f < h.fastCount; ++f) {
      TextFastPattern p;
      ReadRangePattern(file, p);
      good = RangeValid(p.words, h.mainCount);
    }
    for (int32_t v = 0; good && v < h.veryFastCount; ++v) {
      TextVeryFastPattern p;
      ReadRangePattern(file, p);
      good = RangeValid(p.words, h.fastCount);
    }
  }
  std::fclose(file);
  *out = h;
  return good ? kEngineOk : kBadFile;
}

EngineCode LoadTextReferences() {
  if (store.classes || store.main || store.fast || store.veryFast) return kAlreadyLoaded;
  const char* path = GetTextRefPath();
  TextRefHeader h;
  if (EngineCode code = ReadTextRefHeader(path, &h)) return code;
  if (EngineCode code = CheckTextRefFile(path, &h)) return code;
  NamedAlloc(store.classes, 112 * static_cast<size_t>(h.classCount), "classrefdata");
  NamedAlloc(store.main, 244 * static_cast<size_t>(h.mainCount), "mainrefpatts");
  NamedAlloc(store.fast, 104 * static_cast<size_t>(h.fastCount), "fastrefpatts");
  NamedAlloc(store.veryFast, 48 * static_cast<size_t>(h.veryFastCount), "vfastrefpatts");
  std::FILE* file = OpenEngineFile(path, "rb");
  if (file == nullptr || !store.classes || !store.main || !store.fast || !store.veryFast) {
    if (file) std::fclose(file);
    FreeTextReferences();
    return kBadFile;
  }
  ReadHeader(file, store.header);
  for (int32_t i = 0; i < h.classCount; ++i) ReadClass(file, store.classes[i]);
  for (int32_t i = 0; i < h.mainCount; ++i) ReadMain(file, store.main[i]);
  for (int32_t i = 0; i < h.fastCount; ++i) ReadRangePattern(file, store.fast[i]);
  for (int32_t i = 0; i < h.veryFastCount; ++i) ReadRangePattern(file, store.veryFast[i]);
  std::fclose(file);
  for (int16_t& entry : store.classOfCharacter) entry = -1;
  for (int32_t i = 0; i < h.classCount && i < 256; ++i)
    store.classOfCharacter[store.classes[i].words[0]] = static_cast<int16_t>(i);
  EnableTextPatterns();
  return kEngineOk;
}

void EnableTextPatterns() {
  const TextRefHeader& h = store.header;
  for (int32_t i = 0; i < h.mainCount; ++i) store.main[i].on = 0;
  for (int32_t i = 0; i < h.fastCount; ++i) store.fast[i].on = 0;
  for (int32_t i = 0; i < h.veryFastCount; ++i) store.veryFast[i].on = 0;
  for (int32_t v = 0; v < h.veryFastCount; ++v) {
    TextVeryFastPattern& vf = store.veryFast[v];
    for (int32_t f = vf.words[0]; f < vf.words[1]; ++f) {
      TextFastPattern& fp = store.fast[f];
      for (int32_t m = fp.words[0]; m < fp.words[1]; ++m) {
        if (IsCharacterEnabled(static_cast<unsigned char>(store.main[m].words[2]))) {
          store.main[m].on = fp.on = vf.on = 1;
        }
      }
    }
  }
}

void FreeTextReferences() {
  NamedFree(store.classes);
  NamedFree(store.main);
  NamedFree(store.fast);
  NamedFree(store.veryFast);
  store.header = {};
  for (int16_t& entry : store.classOfCharacter) entry = -1;
}

int32_t GetClassCharacter(int32_t i) {
  ENGINE_CHECK(i >= 0);
  return i < store.header.classCount ? store.classes[i].words[0] : 0;
}

int32_t GetClassOfCharacter(unsigned char c) { return store.classes ? store.classOfCharacter[c] : -1; }

namespace {
void ClassWords(int32_t i, int32_t first, int32_t out[4]) {
  ENGINE_CHECK_INDEX(i, store.header.classCount);
  ENGINE_CHECK_POINTER(out);
  for (int k = 0; k < 4; ++k) out[k] = store.classes[i].words[first + k];
}
}  // namespace

void GetClassRefA(int32_t i, int32_t out[4]) { ClassWords(i, 1, out); }
void GetClassRefB(int32_t i, int32_t out[4]) { ClassWords(i, 5, out); }
void GetClassRefC(int32_t i, int32_t out[4]) { ClassWords(i, 9, out); }
void GetClassRefD(int32_t i, int32_t out[4]) { ClassWords(i, 13, out); }
void GetClassRefE(int32_t i, int32_t out[4]) { ClassWords(i, 17, out); }
