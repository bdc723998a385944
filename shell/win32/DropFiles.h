// Files dropped on the program's windows (WM_DROPFILES).
#pragma once

#include <windows.h>
#include <shellapi.h>

class UnopenedFiles;

// Queues the drop's files that the program opens, in order, until the queue
// is full; the number queued. The others go to unopened. The drop is not
// finished.
int QueueDroppedFiles(HDROP drop, UnopenedFiles* unopened);
// WM_DROPFILES: queues the files, finishes the drop, says which files it
// skipped and why, and opens the queue; true when any file was queued.
bool DropFiles(HDROP drop);
