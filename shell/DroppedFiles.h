// Which dropped files the program opens: page images (".bmp", ".tif",
// ".tiff"), PDF files and score files (".opt"), the extension in any case; a
// name without an extension is told by its first bytes. Folders never.
#pragma once

class UnopenedFiles;

// Queues path (with an empty type) when it is such a file; false when it is
// skipped (kept in unopened, to be told) or the queue cannot take it.
bool QueueDroppedFile(const char16_t* path, UnopenedFiles* unopened);
