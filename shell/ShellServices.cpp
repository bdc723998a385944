#include "shell/ShellServices.h"

#include "platform/HookTables.h"

namespace {

void Nothing() {}
void NothingWithFlag(int) {}
void NothingWithTwo(int, int) {}
void NoNotice(int, void*) {}
int NoMidiPorts() { return 0; }
bool NotTaken(void*) { return false; }
void NoScan(void*, uintptr_t, intptr_t) {}

ShellServices Defaults() {
  ShellServices services{};
  services.buildShapeDatabase = Nothing;
  services.initSlopeTables = Nothing;
  services.buildGlyphTable = Nothing;
  services.freeGlyphTable = Nothing;
  services.loadTextChars = Nothing;
  services.enumerateMidiPorts = NoMidiPorts;
  services.resetEditTemplates = Nothing;
  services.twainInit = Nothing;
  services.twainFinit = Nothing;
  services.processTwainMessage = NotTaken;
  services.enableScanCommands = Nothing;
  services.updateCommandStates = Nothing;
  services.placeScoreViews = NothingWithFlag;
  services.refreshPagesPane = NothingWithTwo;
  services.clearScoreUndo = Nothing;
  services.showNotice = NoNotice;
  services.onReadingFinished = Nothing;
  services.readNextPendingPage = Nothing;
  services.addReadPageToScore = Nothing;
  services.readingAbandoned = Nothing;
  services.scanFinished = NoScan;
  services.scanSourceClosed = Nothing;
  return services;
}

ShellServices& Current() {
  static ShellServices services = Defaults();
  return services;
}

}  // namespace

const ShellServices& CurrentShellServices() { return Current(); }

ShellServices SetShellServices(const ShellServices& s) {
  ShellServices old = Current();
  ShellServices& c = Current();
  KeepIfSet(c.buildShapeDatabase, s.buildShapeDatabase);
  KeepIfSet(c.initSlopeTables, s.initSlopeTables);
  KeepIfSet(c.buildGlyphTable, s.buildGlyphTable);
  KeepIfSet(c.freeGlyphTable, s.freeGlyphTable);
  KeepIfSet(c.loadTextChars, s.loadTextChars);
  KeepIfSet(c.enumerateMidiPorts, s.enumerateMidiPorts);
  KeepIfSet(c.resetEditTemplates, s.resetEditTemplates);
  KeepIfSet(c.twainInit, s.twainInit);
  KeepIfSet(c.twainFinit, s.twainFinit);
  KeepIfSet(c.processTwainMessage, s.processTwainMessage);
  KeepIfSet(c.enableScanCommands, s.enableScanCommands);
  KeepIfSet(c.updateCommandStates, s.updateCommandStates);
  KeepIfSet(c.placeScoreViews, s.placeScoreViews);
  KeepIfSet(c.refreshPagesPane, s.refreshPagesPane);
  KeepIfSet(c.clearScoreUndo, s.clearScoreUndo);
  KeepIfSet(c.showNotice, s.showNotice);
  KeepIfSet(c.onReadingFinished, s.onReadingFinished);
  KeepIfSet(c.readNextPendingPage, s.readNextPendingPage);
  KeepIfSet(c.addReadPageToScore, s.addReadPageToScore);
  KeepIfSet(c.readingAbandoned, s.readingAbandoned);
  KeepIfSet(c.scanFinished, s.scanFinished);
  KeepIfSet(c.scanSourceClosed, s.scanSourceClosed);
  KeepIfSet(c.togglePagesPane, s.togglePagesPane);
  KeepIfSet(c.openPreferences, s.openPreferences);
  KeepIfSet(c.scanPages, s.scanPages);
  KeepIfSet(c.showDialog, s.showDialog);
  KeepIfSet(c.deleteScorePage, s.deleteScorePage);
  KeepIfSet(c.readPageIntoScore, s.readPageIntoScore);
  KeepIfSet(c.editorKey, s.editorKey);
  KeepIfSet(c.staveViewCommand, s.staveViewCommand);
  KeepIfSet(c.turnPage, s.turnPage);
  KeepIfSet(c.locateStaves, s.locateStaves);
  KeepIfSet(c.applyMultirestChoice, s.applyMultirestChoice);
  KeepIfSet(c.applyKeySignatureChoice, s.applyKeySignatureChoice);
  KeepIfSet(c.applyBarlineChoice, s.applyBarlineChoice);
  KeepIfSet(c.applyClefChoice, s.applyClefChoice);
  KeepIfSet(c.placeRepeatText, s.placeRepeatText);
  KeepIfSet(c.playStop, s.playStop);
  KeepIfSet(c.stopPlayback, s.stopPlayback);
  KeepIfSet(c.sendToOutsideProgram, s.sendToOutsideProgram);
  KeepIfSet(c.moveSelectionToAdjacentStave, s.moveSelectionToAdjacentStave);
  KeepIfSet(c.hideOrShowSelectedRests, s.hideOrShowSelectedRests);
  KeepIfSet(c.toggleFullScreenView, s.toggleFullScreenView);
  KeepIfSet(c.setViewZoom, s.setViewZoom);
  KeepIfSet(c.toggleViewOption, s.toggleViewOption);
  KeepIfSet(c.layOutScorePage, s.layOutScorePage);
  return old;
}

void ResetShellServices() { Current() = Defaults(); }
