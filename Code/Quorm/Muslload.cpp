// Loading the music symbol and notehead references. Each file is checked
// whole before anything is allocated: its length must be exactly the count
// of records that its head gives, and every record's type, class, variant
// and size limits must lie in range. A bad or missing file answers
// "Xrdomrdat" and leaves no set loaded.
#include <algorithm>
#include <cstdio>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Engpaths.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Muslref.h"
#include "Code/Quorm/Muslfile.h"
#include "Code/Quorm/options.h"

namespace {

MusicReferenceStore store = {};

constexpr char kBadMusicData[] = "Xrdomrdat";

void ReadMusicRecord(std::FILE* file, MusicReference& r) {
  r.word0 = ReadInt32LE(file);
  r.word1 = ReadInt32LE(file);
  ReadEngineBytes(file, r.label, sizeof r.label);
  r.type = ReadInt32LE(file);
  uint8_t refs[sizeof r.edgeRefs + sizeof r.extraRefs];
  ReadEngineBytes(file, refs, sizeof refs);
  std::copy(refs, refs + sizeof r.edgeRefs, r.edgeRefs);
  std::copy(refs + sizeof r.edgeRefs, refs + sizeof refs, r.extraRefs);
  r.minWidth = ReadInt32LE(file);
  r.maxWidth = ReadInt32LE(file);
  r.minHeight = ReadInt32LE(file);
  r.maxHeight = ReadInt32LE(file);
}

void ReadNoteheadRecord(std::FILE* file, NoteheadReference& r) {
  r.headClass = ReadInt32LE(file);
  r.word1 = ReadInt32LE(file);
  r.variant = ReadInt32LE(file);
  for (int32_t& word : r.words3to5) word = ReadInt32LE(file);
  ReadEngineBytes(file, r.edgeRefs, sizeof r.edgeRefs);
}

bool LimitsValid(int32_t lo, int32_t hi) { return lo >= 0 && lo <= hi && hi <= kMaxReferenceSizePercent; }

bool MusicRecordValid(const MusicReference& r) {
  return r.type >= kMinFixedSymbolType && r.type <= kMaxFixedSymbolType && LimitsValid(r.minWidth, r.maxWidth) &&
         LimitsValid(r.minHeight, r.maxHeight);
}

bool NoteheadRecordValid(const NoteheadReference& r) {
  return r.headClass >= 0 && r.headClass <= kMaxHeadClass && r.variant >= 0 && r.variant <= kMaxHeadVariant;
}

// Reads one reference file into a fresh named block: the count against the
// file's length, then every record checked, then allocated and read again.
template <class Record>
EngineCode LoadReferenceFile(const char* path, const char* label, int32_t recordSize,
                             void (*read)(std::FILE*, Record&), bool (*valid)(const Record&), Record*& block,
                             int32_t& count) {
  std::FILE* file = OpenEngineFile(path, "rb");
  if (file == nullptr) return kBadMusicData;
  long size = EngineFileSize(file);
  int32_t n = ReadInt32LE(file);
  bool good = size >= 4 && n >= 0 && n <= kMaxReferenceRecords &&
              static_cast<long long>(size) == 4 + static_cast<long long>(n) * recordSize;
  for (int32_t r = 0; good && r < n; ++r) {
    Record record;
    read(file, record);
    good = valid(record);
  }
  if (!good) {
    std::fclose(file);
    return kBadMusicData;
  }
  if (n > 0) {
    std::fseek(file, 4, SEEK_SET);
    NamedAlloc(block, sizeof(Record) * static_cast<size_t>(n), label);
    if (block == nullptr) {
      std::fclose(file);
      return kBadMusicData;
    }
    for (int32_t r = 0; r < n; ++r) read(file, block[r]);
  }
  count = n;
  std::fclose(file);
  return kEngineOk;
}

}  // namespace

MusicReferenceStore& LoadedMusicReferences() { return store; }

EngineCode LoadMusicReferences() {
  FreeMusicReferences();
  int old = GetUseOldReferencesOption();
  EngineCode code = LoadReferenceFile<MusicReference>(GetFssRefPath(old), "musicrefs", kMusicReferenceRecordSize,
                                                      ReadMusicRecord, MusicRecordValid, store.music,
                                                      store.musicCount);
  if (code == kEngineOk)
    code = LoadReferenceFile<NoteheadReference>(GetNheadRefPath(old), "nheadrefs", kNoteheadReferenceRecordSize,
                                                ReadNoteheadRecord, NoteheadRecordValid, store.noteheads,
                                                store.noteheadCount);
  if (code != kEngineOk) {
    FreeMusicReferences();
    return code;
  }
  for (int32_t r = 0; r < store.noteheadCount; ++r)
    store.headClassVariants[store.noteheads[r].headClass] |= static_cast<uint8_t>(1u << store.noteheads[r].variant);
  return code;
}

void FreeMusicReferences() {
  NamedFree(store.music);
  NamedFree(store.noteheads);
  store.musicCount = 0;
  store.noteheadCount = 0;
  std::fill(store.headClassVariants, store.headClassVariants + kMaxHeadClass + 1, 0);
}
