// Files dropped on the program's windows (WM_DROPFILES).
#pragma once

#include <windows.h>
#include <shellapi.h>

// Queues the drop's files that the program opens, in order, until the queue
// is full; the number queued. The drop is not finished.
int QueueDroppedFiles(HDROP drop);
// WM_DROPFILES: queues the files, finishes the drop and opens the queue;
// true when any file was queued.
bool DropFiles(HDROP drop);
