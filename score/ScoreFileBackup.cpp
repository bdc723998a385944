#include "score/ScoreFileBackup.h"

#include <algorithm>

#include "platform/Folders.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "score/ScoreFile.h"

namespace {

constexpr uint32_t kCentisecondsPerMinute = 6000;

uint32_t lastBackupTime = 0;

}  // namespace

void ClearAutoSaveTime() { lastBackupTime = 0; }

int AutoSaveBackup(int forced) {
  const uint32_t now = GetCentiseconds();
  if (!forced) {
    const uint32_t period = static_cast<uint32_t>(std::max<int32_t>(General().autoSavePeriod, 1));
    if (now - lastBackupTime < period * kCentisecondsPerMinute) return 0;
  }
  if (ScorePages.count < 1) return 0;
  char16_t path[kScorePathUnits];
  if (!MakeMusicPagesPath(path, kScorePathUnits, kBackupFileName)) return 0;
  if (forced && GetFreeDiskSpace(nullptr) < kLowDiscSpaceBytes) MessageById(nullptr, kTextLowDiscSpace);
  if (!WriteScoreFile(path, 1, kTargetScore, 1, 0, 0)) return 0;
  lastBackupTime = now;
  return 1;
}

void AfterScoreFileOpened() {
  ClearAutoSaveTime();
  AutoSaveBackup(1);
}
