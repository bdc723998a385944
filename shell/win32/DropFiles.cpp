#include "shell/win32/DropFiles.h"

#include "reading/FileOpener.h"
#include "reading/UnopenedFiles.h"
#include "shell/DroppedFiles.h"

int QueueDroppedFiles(HDROP drop, UnopenedFiles* unopened) {
  UINT files = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  int queued = 0;
  for (UINT i = 0; i < files && OpenFiles.count < kOpenFileQueueSlots; ++i) {
    UINT length = DragQueryFileW(drop, i, nullptr, 0);
    if (length == 0 || length >= kOpenPathUnits) continue;  // a name that cannot be opened
    wchar_t name[kOpenPathUnits] = {};
    if (DragQueryFileW(drop, i, name, kOpenPathUnits) != length) continue;
    if (QueueDroppedFile(reinterpret_cast<const char16_t*>(name), unopened)) ++queued;
  }
  return queued;
}

bool DropFiles(HDROP drop) {
  int queued = 0;
  UnopenedFiles unopened;
  if (OpenFiles.count < kOpenFileQueueSlots) queued = QueueDroppedFiles(drop, &unopened);
  DragFinish(drop);
  unopened.Report();
  if (queued > 0) OpenFileByType();
  return queued > 0;
}
