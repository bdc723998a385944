// The music symbol and notehead reference files as StartEngine reads them,
// loaded into a started engine. The first byte chooses the file (even: music
// symbols, odd: noteheads), the rest is the file. A bad file fails the load
// with "Xrdomrdat"; a good one is loaded byte for byte, and the shipped files
// load again afterwards either way.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Code/Quorm/Muslref.h"
#include "Code/Quorm/Quorm.h"
#include "fuzz/FuzzTarget.h"
#include "fuzz/engine/EngineRun.h"

namespace {

void Put(std::vector<uint8_t>& out, int32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
}
void Put(std::vector<uint8_t>& out, const uint8_t* bytes, size_t n) { out.insert(out.end(), bytes, bytes + n); }

// The loaded set written back in the file's form.
std::vector<uint8_t> MusicFileOf(const MusicReferenceStore& s) {
  std::vector<uint8_t> out;
  Put(out, s.musicCount);
  for (int32_t r = 0; r < s.musicCount; ++r) {
    const MusicReference& m = s.music[r];
    Put(out, m.word0);
    Put(out, m.word1);
    Put(out, m.label, sizeof m.label);
    Put(out, m.type);
    Put(out, m.edgeRefs, sizeof m.edgeRefs);
    Put(out, m.extraRefs, sizeof m.extraRefs);
    for (int32_t v : {m.minWidth, m.maxWidth, m.minHeight, m.maxHeight}) Put(out, v);
  }
  return out;
}

std::vector<uint8_t> NoteheadFileOf(const MusicReferenceStore& s) {
  std::vector<uint8_t> out;
  Put(out, s.noteheadCount);
  for (int32_t r = 0; r < s.noteheadCount; ++r) {
    const NoteheadReference& n = s.noteheads[r];
    for (int32_t v : {n.headClass, n.word1, n.variant, n.words3to5[0], n.words3to5[1], n.words3to5[2]}) Put(out, v);
    Put(out, n.edgeRefs, sizeof n.edgeRefs);
  }
  return out;
}

}  // namespace

KV_FUZZ_TARGET(engine_music_refs) {
  fuzz::KeepEngineStarted();
  if (size == 0) return 0;
  const bool noteheads = data[0] & 1;
  const char* file = noteheads ? fuzz::NoteheadReferenceFile() : fuzz::MusicReferenceFile();
  fuzz::WriteEngineFile(file, data + 1, size - 1);
  if (fuzz::LoadEngineData(fuzz::EngineData::kMusicReferences, file, {"Xrdomrdat"})) {
    EngineRunLock run;
    const MusicReferenceStore& store = LoadedMusicReferences();
    const std::vector<uint8_t> loaded = noteheads ? NoteheadFileOf(store) : MusicFileOf(store);
    if (loaded.size() != size - 1 || std::memcmp(loaded.data(), data + 1, size - 1) != 0) std::abort();
    // The reading side over every record the loader accepted.
    uint8_t features[kMusicFeatureCount] = {};
    for (int32_t r = 0; r < GetMusicReferenceCount(); ++r) {
      (void)MusicReferenceDistance(features, r);
      (void)MusicReferenceFitsSize(40, 80, 20 * 1024, r);
    }
    for (int32_t r = 0; r < GetNoteheadReferenceCount(); ++r) (void)NoteheadReferenceDistance(features, r);
    fuzz::RestoreEngineFile(file);
  }
  return 0;
}
