// What the score file reader and writer ask of the rest of the program: the
// shell's score state (saved flag, window title, recent files, the view after
// a score was read), the page store's records and index and the bar-rhythm
// check of the painter. The shell wires them in.
// Until it does, each default is what happens without that service: nothing
// is checked, shown or remembered outside the score model, no page record is
// known, and the saved flag is kept here. The pages are counted from their
// page marks by the score model itself.
#pragma once

#include <cstddef>
#include <cstdint>

struct ScoreFileHooks {
  // ---- Score state of the shell ----
  // 0 abandons a save: the bar-rhythm check with its warning dialog.
  int (*checkBarRhythms)();
  // The saved flag (1 saved, 0 modified); setting it rebuilds the title.
  void (*setScoreSaved)(int saved);
  int (*isScoreSaved)();
  void (*updateScoreWindowTitle)(const char16_t* title);
  // Puts a path at the top of the recent files.
  void (*addRecentFile)(const char16_t* path);
  // Whether pages are being read (a score file may not be opened then).
  int (*isReadingPages)();
  // Runs the Save command of the frame (it may ask for a path, or be cancelled).
  void (*runSaveCommand)();
  // The shell's part of resetting the score: stop playback and the like.
  void (*resetScore)();
  // After a score was read: reset the view and edit state, the score scroll,
  // the "Print guitar tab rhythm" menu check, show and re-lay out the score
  // window, update the command states, find the meter at the current page.
  void (*showReadScore)();
  // Refreshes the score toolbar's page fields.
  void (*updatePageCounter)();
  // The page count and page starts from the page marks of the score streams
  // (CountPageMarks unless the shell adds to it).
  void (*countPageMarks)();
  // The editor's two per-part tables, reset after every read.
  void (*resetEditorPartTables)();

  // ---- Page records and the page index ----
  // The page record with this unique key: its data id and second field.
  bool (*findPageRecord)(uint32_t key, uint16_t* dataId, uint16_t* field);
  // Whether a page record holds this data id (names its page's files).
  bool (*isPageDataIdInUse)(uint16_t dataId);
  // Sets state 4 (saved or sent) in the page record with this key.
  void (*markPageRecordSaved)(uint32_t key);
  void (*writePageIndex)();
  // The first page's size as read from a score file.
  void (*setFirstPageSize)(uint32_t width, uint32_t height);
  // Page-record bookkeeping: the score name of the score's pages.
  void (*setScoreNameOfPages)(const char16_t* name, int clear);
  // The score name found in the pages' records; 0 when there is none.
  int (*getScoreNameOfPages)(char16_t* out, size_t capacity);
  // Clears stale score names, gives the score's pending pages the score name
  // and the read state, numbers the pages in the score's list and refreshes
  // the pages pane.
  void (*tidyPageRecords)();
};

// The hooks in force (the defaults until the shell sets others).
const ScoreFileHooks& CurrentScoreFileHooks();
// Installs hooks (a null member keeps the member in force); returns the old set.
ScoreFileHooks SetScoreFileHooks(const ScoreFileHooks& hooks);
void ResetScoreFileHooks();
