// What the user sees: a window of the program captured from the screen, as
// it stands once it has painted, and compared with its reviewed picture in
// tests/e2e/reference/<name>.png (tests/e2e/reference/README.md says what
// each must show). A failure leaves the captured picture and a difference
// image in <build>/e2e/screenshots/. KV_UPDATE_GOLDENS=1 writes the reviewed
// picture instead of comparing: look at it before committing it.
#pragma once

#include <windows.h>

#include "tests/support/PngImage.h"

// The window's screen rectangle as the screen shows it, after the program
// has painted it and two captures in a row agree (or a few seconds pass).
PngImage CaptureWindow(HWND window);

void ExpectWindowMatchesReference(HWND window, const char* name);
