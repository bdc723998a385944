// What the Open dialog hands back (explorer style, several files allowed):
// either one full path, or a folder followed by the names chosen in it, each
// NUL-ended, the list closed by a further NUL.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct OpenDialogSelection {
  std::u16string folder;             // the folder to remember for the next Open
  std::vector<std::u16string> paths;  // full paths, in the dialog's order
};

// Splits a result buffer of capacity units; nothing past the buffer is read.
// Whether it is one file or several is told by the list, not by the name: a
// folder whose name has a dot is still a folder.
OpenDialogSelection SplitOpenDialogResult(const char16_t* buffer, size_t capacity);

// Appends the paths to the queue of files to open until it is full; paths
// too long for the queue are skipped. The number queued.
int QueueOpenDialogSelection(const OpenDialogSelection& selection);
