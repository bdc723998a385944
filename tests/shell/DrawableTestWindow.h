// A view window that drawing callbacks can run in: on Windows a real window
// (a device context is taken for them), natively any value.
#pragma once

void* DrawableTestWindow();
