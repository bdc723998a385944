// The score's page state, version choice, base file names and page marking;
// the reader and the writer are in ScoreFileReader.cpp and ScoreFileWriter.cpp.
#include "score/ScoreFile.h"

#include <algorithm>
#include <cstring>

#include "platform/Folders.h"
#include "score/ScoreFileFormat.h"
#include "score/ScoreFileHooks.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

ScorePageSizes ScorePageSize = {0, 0, 1, 1};
ScorePageList ScorePages = {};
ScoreDocument CurrentScore = {};

void ResetScoreContent() {
  CurrentScoreFileHooks().resetScore();
  ResetScoreStreams();
  ScorePages = ScorePageList{};
  ScorePageSize.staveSpacing = 1;
  ScorePageSize.staveWidth = 1;
}

uint8_t ChooseSaveVersionFor(int target, uint8_t memoryVersion, double cadenzorVersion, double r8Version) {
  if (memoryVersion < kFirstWideTextVersion) return memoryVersion;
  if (target == kTargetCadenzor && cadenzorVersion >= 3.0)
    return static_cast<uint8_t>(std::min(5.0, static_cast<double>(static_cast<int>(cadenzorVersion))));
  if (target == kTargetR8 && r8Version >= 2.0) {
    if (r8Version > 3.0) return static_cast<uint8_t>(std::min(5.0, static_cast<double>(static_cast<int>(r8Version))));
    return 3;
  }
  return kCurrentScoreFormatVersion;
}

uint8_t ChooseSaveVersion(int target) {
  const double cadenzor = target == kTargetCadenzor ? CadenzorVersion() : 0.0;
  const double r8 = target == kTargetR8 ? R8Version() : 0.0;
  return ChooseSaveVersionFor(target, ScoreFormatVersion, cadenzor, r8);
}

uint8_t ChooseWriteVersion(int internal, int target, int noPageData, int chosenVersion, uint8_t memoryVersion) {
  int version;
  if (internal || noPageData) version = memoryVersion;
  else if (chosenVersion) version = target == kTargetScore ? chosenVersion : ChooseSaveVersion(target);
  else version = target != kTargetScore ? ChooseSaveVersion(target) : memoryVersion;
  // Text items are written as they lie in memory: 8-bit texts only in their
  // own version, UTF-16 texts never in a version that reads them as 8-bit.
  if (memoryVersion < kFirstWideTextVersion) return memoryVersion;
  return static_cast<uint8_t>(std::clamp<int>(version, kFirstWideTextVersion, kCurrentScoreFormatVersion));
}

int WriteTransferFile(int target) {
  char16_t path[kScorePathUnits];
  if (!MakeMusicPagesPath(path, kScorePathUnits, kTransferFileName)) return 0;
  return WriteScoreFile(path, 0, target, 0, 0, 1);
}

void MarkScorePages() {
  const ScoreFileHooks& hooks = CurrentScoreFileHooks();
  const int count = std::min<int>(std::max<int>(ScorePages.count, 0), kMaxScorePages);
  for (int page = 0; page < count; ++page)
    if (ScorePages.rows[page].key != kNoPageKey) hooks.markPageRecordSaved(ScorePages.rows[page].key);
  hooks.writePageIndex();
}

void GetBaseFileName(char16_t* destination, size_t capacity, const char16_t* path) {
  if (!destination || capacity == 0) return;
  destination[0] = 0;
  if (!path) return;
  const char16_t* name = path;
  for (const char16_t* p = path; *p; ++p)
    if (*p == u'\\' || *p == u'/' || *p == u':') name = p + 1;
  size_t length = std::char_traits<char16_t>::length(name);
  for (size_t i = length; i > 0 && length - (i - 1) <= 5; --i) {
    if (name[i - 1] == u'.') {
      length = i - 1;
      break;
    }
  }
  length = std::min(length, capacity - 1);
  std::copy(name, name + length, destination);
  destination[length] = 0;
}
