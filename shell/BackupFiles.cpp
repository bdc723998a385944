#include "shell/BackupFiles.h"

#include <cstring>

#include "platform/FileLayer.h"
#include "platform/Folders.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "score/ScoreFile.h"
#include "score/ScoreFileHooks.h"

namespace {

constexpr unsigned kBackupQuestion = 10081;
constexpr unsigned kMessageCaption = 10408;
constexpr char16_t kRestoredScoreName[] = u"Backup";

bool PagesPath(char16_t (&path)[300], const char16_t* name) { return MakeMusicPagesPath(path, name); }

bool BackupExists(const char16_t* name) {
  char16_t path[300];
  return PagesPath(path, name) && FileExists(path);
}

void DeleteBackup(const char16_t* name) {
  char16_t path[300];
  if (PagesPath(path, name) && FileExists(path)) FileDelete(path);
}

}  // namespace

BackupAnswerPlan PlanBackupAnswer(const BackupFilesFound& found, int answer) {
  BackupAnswerPlan plan;
  if (!found.backup && !found.svBackup) return plan;
  if (answer == platform::kAnswerYes) {
    plan.restore = true;
  } else {
    plan.deleteBackup = found.backup;
    plan.deleteSvBackup = found.svBackup;
  }
  return plan;
}

BackupSession& Backups() {
  static BackupSession session;
  return session;
}

bool ShutdownRemovesBackups(const BackupSession& session) {
  return !session.restoreChosen || session.restored;
}

BackupFilesFound FindBackupFiles() {
  BackupFilesFound found;
  found.backup = BackupExists(kBackupFileName);
  found.svBackup = BackupExists(kSvBackupFileName);
  return found;
}

void OfferBackup() {
  BackupFilesFound found = FindBackupFiles();
  if (!found.backup && !found.svBackup) return;
  char16_t text[513];
  char16_t caption[257];
  LoadUiString(kBackupQuestion, text, 513);
  LoadUiString(kMessageCaption, caption, 257);
  platform::ReleaseMouseForBox();
  int answer = platform::ShowMessageBox(text, caption, platform::kBoxYesNo | platform::kBoxIconQuestion);
  BackupAnswerPlan plan = PlanBackupAnswer(found, answer);
  Backups().restoreChosen = plan.restore;
  if (plan.deleteBackup) RemoveBackupFile();
  if (plan.deleteSvBackup) DeleteBackup(kSvBackupFileName);
}

void RemoveBackupFile() { DeleteBackup(kBackupFileName); }

void RemoveBackupsAtExit() {
  if (!ShutdownRemovesBackups(Backups())) return;
  RemoveBackupFile();
  DeleteBackup(kSvBackupFileName);
}

int RestoreBackup() {
  BackupFilesFound found = FindBackupFiles();
  const char16_t* name = found.backup ? kBackupFileName : found.svBackup ? kSvBackupFileName : nullptr;
  char16_t path[300];
  if (!name || !PagesPath(path, name)) return 0;
  if (!ReadScoreFile(path, 0, 1)) return 0;
  std::memcpy(CurrentScore.title, kRestoredScoreName, sizeof kRestoredScoreName);
  CurrentScore.path[0] = 0;
  const ScoreFileHooks& hooks = CurrentScoreFileHooks();
  hooks.setScoreSaved(0);
  hooks.updateScoreWindowTitle(CurrentScore.title);
  Backups().restored = true;
  return 1;
}
