// The reading thread's host on Windows: the thread runs below normal
// priority with its input attached to the interface thread, posts its two
// messages to the frame and draws only under "ReadingMutex". Installs the
// reading pipeline's shell services.
#pragma once

void InstallReadingPipeline();
