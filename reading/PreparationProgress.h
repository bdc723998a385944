// What page preparation asks of the shell while it works: the progress
// display with a text per step, and the wait cursor. Until the shell sets
// them, nothing is shown and the steps run as they would without a display.
#pragma once

struct PreparationProgressHooks {
  void (*open)(unsigned textId) = nullptr;   // show the display with a UI string
  void (*step)(int percent) = nullptr;
  void (*close)() = nullptr;
  void (*waitCursor)(bool on) = nullptr;     // hourglass on, arrow off
};

// The hooks in force; the shell fills them at start-up.
PreparationProgressHooks& PreparationProgress();

void OpenProgress(unsigned textId);
void StepProgress(int percent);
void CloseProgress();
void ShowWaitCursor(bool on);
