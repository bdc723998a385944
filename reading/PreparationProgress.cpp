#include "reading/PreparationProgress.h"

PreparationProgressHooks& PreparationProgress() {
  static PreparationProgressHooks hooks;
  return hooks;
}

void OpenProgress(unsigned textId) {
  if (PreparationProgress().open) PreparationProgress().open(textId);
}

void StepProgress(int percent) {
  if (PreparationProgress().step) PreparationProgress().step(percent);
}

void CloseProgress() {
  if (PreparationProgress().close) PreparationProgress().close();
}

void ShowWaitCursor(bool on) {
  if (PreparationProgress().waitCursor) PreparationProgress().waitCursor(on);
}
