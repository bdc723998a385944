// Services of subsystems that the shell calls but that are built elsewhere
// (pages pane, score and page windows, editor, playback, scanning, shape
// classifier, glyphs, notices...). Each subsystem installs its own when it
// exists.
//
// Start-up services default to what happens without their resources: nothing
// is loaded and nothing fails. A command service that is null has no handler
// yet: the frame keeps its command disabled and ignores it.
#pragma once

#include <cstdint>

struct ShellServices {
  // ---- Start-up and exit ----
  void (*buildShapeDatabase)();
  void (*initSlopeTables)();
  void (*buildGlyphTable)();
  void (*freeGlyphTable)();
  void (*loadTextChars)();
  // The number of MIDI output ports found; 0 without any.
  int (*enumerateMidiPorts)();
  void (*resetEditTemplates)();
  void (*twainInit)();
  void (*twainFinit)();
  // True when the scanner source took the message (native MSG*).
  bool (*processTwainMessage)(void* message);
  void (*enableScanCommands)();
  void (*updateCommandStates)();
  void (*placeScoreViews)(int show);
  void (*refreshPagesPane)(int redraw, int row);
  void (*clearScoreUndo)();
  // Shows a notice dialog (290, 320, 341, 1139, 1140, 321) owned by the
  // window (HWND; null: the frame).
  void (*showNotice)(int dialogId, void* owner);

  // ---- Messages of the reading pipeline and the scanner glue ----
  void (*onReadingFinished)();
  void (*readNextPendingPage)();
  void (*addReadPageToScore)();
  // The reading pipeline's state ends (the engine stopped a run).
  void (*readingAbandoned)();
  void (*scanFinished)(void* window, uintptr_t wParam, intptr_t lParam);
  void (*scanSourceClosed)();

  // ---- Commands: null means not built ----
  void (*togglePagesPane)();
  void (*openPreferences)(int page);  // page 0: the dialog as it opens
  void (*scanPages)(int singlePage, int rescan);
  void (*showDialog)(int dialogId);   // the multirest, key and time signature dialogs
  void (*deleteScorePage)(int silent, int refresh);
  void (*readPageIntoScore)(int command);  // 42003, 40087, 40088, 40089: the shown page into the score
  void (*editorKey)(int code);         // the score window's editor
  void (*staveViewCommand)(int code);  // the page window's stave marking
  void (*turnPage)(int command);       // 42009, 42026, 42275 on the page window
  void (*locateStaves)();
  void (*applyMultirestChoice)(int bars);
  void (*applyKeySignatureChoice)(int index);
  void (*applyBarlineChoice)(int index);
  void (*applyClefChoice)(int index);
  void (*placeRepeatText)(int symbolCode);
  void (*playStop)();
  void (*stopPlayback)();
  void (*sendToOutsideProgram)(int target);  // 1 Cadenzor, 2 R8
  void (*moveSelectionToAdjacentStave)(int direction);
  void (*hideOrShowSelectedRests)();
  void (*toggleFullScreenView)();
  void (*setViewZoom)(int command);  // 42074, 42075, 42082..42085 on the active view
  void (*toggleViewOption)(int command);  // keypad, detail, view toggles, tab rhythm, translucency

  // ---- Layout ----
  // The score view's layout-only pass, which fills the view's item index;
  // null without a painter.
  void (*layOutScorePage)();
};

const ShellServices& CurrentShellServices();
// Installs services (a null member keeps the one in force); returns the old set.
ShellServices SetShellServices(const ShellServices& services);
void ResetShellServices();
