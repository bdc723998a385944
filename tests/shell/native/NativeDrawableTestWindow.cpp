#include "tests/shell/DrawableTestWindow.h"

void* DrawableTestWindow() { return reinterpret_cast<void*>(0x6B50); }
