#include "score/ScoreFileHooks.h"

#include "score/PageMarks.h"

namespace {

// Without the shell the saved flag is kept here; a new score is saved.
int savedFlag = 1;

int NoRhythmCheck() { return 1; }
void KeepSavedFlag(int saved) { savedFlag = saved ? 1 : 0; }
int KeptSavedFlag() { return savedFlag; }
void NoTitle(const char16_t*) {}
void NoRecentFiles(const char16_t*) {}
int NothingBeingRead() { return 0; }
void NoSaveCommand() {}
void NothingToDo() {}
bool NoPageRecord(uint32_t, uint16_t*, uint16_t*) { return false; }
bool NoDataIdInUse(uint16_t) { return false; }
void NoPageRecordToMark(uint32_t) {}
void NoFirstPage(uint32_t, uint32_t) {}
void NoPagesToName(const char16_t*, int) {}
int NoScoreNameOfPages(char16_t* out, size_t capacity) {
  if (out && capacity) out[0] = 0;
  return 0;
}

ScoreFileHooks MakeDefaults() {
  ScoreFileHooks hooks;
  hooks.checkBarRhythms = NoRhythmCheck;
  hooks.setScoreSaved = KeepSavedFlag;
  hooks.isScoreSaved = KeptSavedFlag;
  hooks.updateScoreWindowTitle = NoTitle;
  hooks.addRecentFile = NoRecentFiles;
  hooks.isReadingPages = NothingBeingRead;
  hooks.runSaveCommand = NoSaveCommand;
  hooks.resetScore = NothingToDo;
  hooks.showReadScore = NothingToDo;
  hooks.updatePageCounter = NothingToDo;
  hooks.countPageMarks = CountPageMarks;
  hooks.resetEditorPartTables = NothingToDo;
  hooks.findPageRecord = NoPageRecord;
  hooks.isPageDataIdInUse = NoDataIdInUse;
  hooks.markPageRecordSaved = NoPageRecordToMark;
  hooks.writePageIndex = NothingToDo;
  hooks.setFirstPageSize = NoFirstPage;
  hooks.setScoreNameOfPages = NoPagesToName;
  hooks.getScoreNameOfPages = NoScoreNameOfPages;
  hooks.tidyPageRecords = NothingToDo;
  return hooks;
}

const ScoreFileHooks kDefaults = MakeDefaults();
ScoreFileHooks current = kDefaults;

template <class F>
void Take(F* member, F given, F fallback) {
  *member = given ? given : fallback;
}

}  // namespace

const ScoreFileHooks& CurrentScoreFileHooks() { return current; }

ScoreFileHooks SetScoreFileHooks(const ScoreFileHooks& hooks) {
  ScoreFileHooks old = current;
  Take(&current.checkBarRhythms, hooks.checkBarRhythms, kDefaults.checkBarRhythms);
  Take(&current.setScoreSaved, hooks.setScoreSaved, kDefaults.setScoreSaved);
  Take(&current.isScoreSaved, hooks.isScoreSaved, kDefaults.isScoreSaved);
  Take(&current.updateScoreWindowTitle, hooks.updateScoreWindowTitle, kDefaults.updateScoreWindowTitle);
  Take(&current.addRecentFile, hooks.addRecentFile, kDefaults.addRecentFile);
  Take(&current.isReadingPages, hooks.isReadingPages, kDefaults.isReadingPages);
  Take(&current.runSaveCommand, hooks.runSaveCommand, kDefaults.runSaveCommand);
  Take(&current.resetScore, hooks.resetScore, kDefaults.resetScore);
  Take(&current.showReadScore, hooks.showReadScore, kDefaults.showReadScore);
  Take(&current.updatePageCounter, hooks.updatePageCounter, kDefaults.updatePageCounter);
  Take(&current.countPageMarks, hooks.countPageMarks, kDefaults.countPageMarks);
  Take(&current.resetEditorPartTables, hooks.resetEditorPartTables, kDefaults.resetEditorPartTables);
  Take(&current.findPageRecord, hooks.findPageRecord, kDefaults.findPageRecord);
  Take(&current.isPageDataIdInUse, hooks.isPageDataIdInUse, kDefaults.isPageDataIdInUse);
  Take(&current.markPageRecordSaved, hooks.markPageRecordSaved, kDefaults.markPageRecordSaved);
  Take(&current.writePageIndex, hooks.writePageIndex, kDefaults.writePageIndex);
  Take(&current.setFirstPageSize, hooks.setFirstPageSize, kDefaults.setFirstPageSize);
  Take(&current.setScoreNameOfPages, hooks.setScoreNameOfPages, kDefaults.setScoreNameOfPages);
  Take(&current.getScoreNameOfPages, hooks.getScoreNameOfPages, kDefaults.getScoreNameOfPages);
  Take(&current.tidyPageRecords, hooks.tidyPageRecords, kDefaults.tidyPageRecords);
  return old;
}

void ResetScoreFileHooks() {
  current = kDefaults;
  savedFlag = 1;
}
