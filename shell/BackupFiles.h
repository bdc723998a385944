// The automatic backup at start-up and exit: the question whether to reopen
// a backup left by an earlier run, restoring it, and removing it.
//
// One question covers both backup files ("_BackupFile_", written by the
// automatic backup, and "_SVBackupFile_"). No deletes both at once. Yes keeps
// both until the backup has been restored; a run that never got as far as
// restoring it (a fatal start-up step, a backup that cannot be read) leaves
// both on disc, so the next start offers them again.
#pragma once

constexpr char16_t kSvBackupFileName[] = u"_SVBackupFile_";

// Which backup files exist.
struct BackupFilesFound {
  bool backup = false;    // "_BackupFile_"
  bool svBackup = false;  // "_SVBackupFile_"
};

// What the answer to the backup question leads to.
struct BackupAnswerPlan {
  bool restore = false;         // remember the restore choice
  bool deleteBackup = false;    // delete now
  bool deleteSvBackup = false;
};
// answer is the box's answer (platform::kAnswerYes or another).
BackupAnswerPlan PlanBackupAnswer(const BackupFilesFound& found, int answer);

// What the run did with the backup.
struct BackupSession {
  bool restoreChosen = false;
  bool restored = false;
};
BackupSession& Backups();

// Whether shut-down may remove the backup files: not when the user chose to
// reopen them and they were not reopened.
bool ShutdownRemovesBackups(const BackupSession& session);

BackupFilesFound FindBackupFiles();
// Asks string 10081 when a backup exists and carries out the answer; the
// restore choice is kept in Backups().
void OfferBackup();

// Deletes "_BackupFile_" when it exists.
void RemoveBackupFile();
// At exit: both backup files, unless a chosen restore has not happened.
void RemoveBackupsAtExit();

// Reads "_BackupFile_", or "_SVBackupFile_" when only that one exists, as the
// score named "Backup", marked modified. 1 restored, 0 not (a damaged file
// is reported by the reader).
int RestoreBackup();
