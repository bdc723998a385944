// The automatic backup "_BackupFile_" in the page folder: the score in the
// backup form with its pages' data, written when it is due and at once after
// a score file was opened.
#pragma once

#include <cstdint>

// Forgets when the last backup was written.
void ClearAutoSaveTime();
// Writes the backup when the score has pages: forced at once (string 10017
// first when the page folder has less than 4 MB free), otherwise only when the
// "Auto save period" (minutes, at least 1) has passed since the last one.
// 1 written.
int AutoSaveBackup(int forced);
// What follows opening a score file: the backup time is cleared and the
// backup forced, so that the backup holds the score just opened.
void AfterScoreFileOpened();
