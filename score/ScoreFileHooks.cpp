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

// A member given replaces the one in force; a null one keeps it, so that
// the parts of the program can each install their own.
template <class F>
void Take(F* member, F given) {
  if (given) *member = given;
}

}  // namespace

const ScoreFileHooks& CurrentScoreFileHooks() { return current; }

ScoreFileHooks SetScoreFileHooks(const ScoreFileHooks& hooks) {
  ScoreFileHooks old = current;
  Take(&current.checkBarRhythms, hooks.checkBarRhythms);
  Take(&current.setScoreSaved, hooks.setScoreSaved);
  Take(&current.isScoreSaved, hooks.isScoreSaved);
  Take(&current.updateScoreWindowTitle, hooks.updateScoreWindowTitle);
  Take(&current.addRecentFile, hooks.addRecentFile);
  Take(&current.isReadingPages, hooks.isReadingPages);
  Take(&current.runSaveCommand, hooks.runSaveCommand);
  Take(&current.resetScore, hooks.resetScore);
  Take(&current.showReadScore, hooks.showReadScore);
  Take(&current.updatePageCounter, hooks.updatePageCounter);
  Take(&current.countPageMarks, hooks.countPageMarks);
  Take(&current.resetEditorPartTables, hooks.resetEditorPartTables);
  Take(&current.findPageRecord, hooks.findPageRecord);
  Take(&current.isPageDataIdInUse, hooks.isPageDataIdInUse);
  Take(&current.markPageRecordSaved, hooks.markPageRecordSaved);
  Take(&current.writePageIndex, hooks.writePageIndex);
  Take(&current.setFirstPageSize, hooks.setFirstPageSize);
  Take(&current.setScoreNameOfPages, hooks.setScoreNameOfPages);
  Take(&current.getScoreNameOfPages, hooks.getScoreNameOfPages);
  Take(&current.tidyPageRecords, hooks.tidyPageRecords);
  return old;
}

void ResetScoreFileHooks() {
  current = kDefaults;
  savedFlag = 1;
}
