// The side's own message box (Win32: the system's box owned by the main
// frame; native: a line on stderr answered OK). ShowMessageBox
// (platform/MessageBoxes.cpp) calls it when neither the calling thread's sink
// nor an observer takes the box.
#pragma once

namespace platform {

int ShowSystemMessageBox(const char16_t* text, const char16_t* caption, unsigned style);

}  // namespace platform
