#include "fuzz/score/ScoreFuzzState.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "fuzz/FuzzTarget.h"
#include "platform/Folders.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "platform/Utf8.h"
#include "score/InstrumentNameLists.h"
#include "score/ScoreFileFormat.h"
#include "score/ScoreFileHooks.h"
#include "score/ScoreItem.h"

namespace fuzz {

void PrepareScoreFolders() {
  static const bool done = [] {
    const std::u16string scratch = ScratchFolderPath();
    SetDataFolder(scratch.c_str());
    SetResourceFolder(scratch.c_str());
    platform::MakeDirectory((scratch + u"/" + kPageStoreFolderName).c_str());
    platform::MakeDirectory((scratch + u"/Resources").c_str());
    // The playback's instrument table, as the program ships it.
    const std::string table = SourceDir() + "/resources/data/General MIDI.txt";
    std::ifstream in(table, std::ios::binary);
    std::ofstream out(Utf16ToUtf8((scratch + u"/Resources/General MIDI.txt").c_str()), std::ios::binary);
    out << in.rdbuf();
    if (!in || !out) {
      std::fprintf(stderr, "kv fuzz: cannot copy %s\n", table.c_str());
      std::abort();
    }
    return true;
  }();
  (void)done;
}

void ResetScoreState() {
  ResetScoreFileHooks();
  ResetScoreStreams();
  ResetWorkStreams();
  ResetPartRecords();
  PartCount = 0;
  ScoreFormatVersion = kCurrentScoreFormatVersion;
  ScorePages = ScorePageList{};
  ScorePageSize = ScorePageSizes{0, 0, 1, 1};
  std::memset(&CurrentScore, 0, sizeof CurrentScore);
  ClearPartNameCache();
  Global().printGuitarTabRhythm = true;
}

void RemoveScorePageData() {
  for (int page = 0; page < kMaxScorePages; ++page) {
    char16_t path[kScorePathUnits];
    const uint16_t id = ScorePages.rows[page].dataId;
    if (id != kNoPageDataId && MakePageDataPath(path, kScorePathUnits, id)) platform::RemoveFile(path);
  }
}

ScoreSnapshot ScoreSnapshot::Take() {
  ScoreSnapshot s;
  for (int slot = 0; slot < kPartSlots; ++slot) {
    const uint8_t* bytes = StreamBytes(ScoreStream, slot);
    if (bytes) s.streams[slot].assign(bytes, bytes + StreamUsedLength(ScoreStream, slot));
    s.names[slot] = PartNameTable[slot];
    s.tablature[slot] = PartTablatureFlags[slot];
    s.smallStave[slot] = PartSmallStave[slot];
    s.flag[slot] = PartFlag[slot];
    std::memcpy(s.fields[slot], PartFields[slot], sizeof s.fields[slot]);
  }
  s.partCount = PartCount;
  s.version = ScoreFormatVersion;
  s.sizes = ScorePageSize;
  s.pageCount = ScorePages.count;
  std::memcpy(s.rows, ScorePages.rows, sizeof s.rows);
  std::memcpy(s.second, ScorePages.second, sizeof s.second);
  return s;
}

std::string ScoreSnapshot::Difference(const ScoreSnapshot& o) const {
  if (partCount != o.partCount) return "part count";
  if (version != o.version) return "format version";
  for (int slot = 0; slot < kPartSlots; ++slot) {
    const std::string at = " of slot " + std::to_string(slot);
    if (streams[slot] != o.streams[slot]) return "stream" + at;
    if (names[slot] != o.names[slot]) return "name" + at;
    if (tablature[slot].flag != o.tablature[slot].flag || tablature[slot].kind != o.tablature[slot].kind)
      return "tablature" + at;
    if (smallStave[slot] != o.smallStave[slot] || flag[slot] != o.flag[slot]) return "stave flags" + at;
    if (std::memcmp(fields[slot], o.fields[slot], sizeof fields[slot]) != 0) return "part fields" + at;
  }
  if (sizes.width != o.sizes.width || sizes.height != o.sizes.height || sizes.staveSpacing != o.sizes.staveSpacing ||
      sizes.staveWidth != o.sizes.staveWidth)
    return "page sizes";
  if (pageCount != o.pageCount) return "page count";
  for (int page = 0; page < kMaxScorePages; ++page) {
    const std::string at = " of page " + std::to_string(page);
    if (rows[page].dataId != o.rows[page].dataId || rows[page].field != o.rows[page].field ||
        rows[page].key != o.rows[page].key)
      return "page row" + at;
    if (second[page] != o.second[page]) return "data key" + at;
  }
  return std::string();
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "kv fuzz: %s\n", what.c_str());
  std::abort();
}

long long FileBytes(const std::u16string& path) {
  std::ifstream in(Utf16ToUtf8(path.c_str()), std::ios::binary | std::ios::ate);
  if (!in) return -1;
  return static_cast<long long>(in.tellg());
}

}  // namespace fuzz
