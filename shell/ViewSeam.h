// The window calls of the timer table and the view drags: Windows timers and
// the mouse capture, drawing under the reading mutex, the hover window.
// Natively they are recorded (shell/native/ViewSeamLog.h).
#pragma once

#include <cstdint>

void StartWindowTimer(void* window, uint32_t id, uint32_t periodMs);
void StopWindowTimer(void* window, uint32_t id);
void CaptureMouse(void* window);
void ReleaseMouse();
// Runs draw under "ReadingMutex" with the window's device context taken and
// the program palette selected (natively: draw is simply called).
void DrawInView(void* window, void (*draw)());
// The window that last had the mouse (hover tracking), or null.
void* CurrentHoverWindow();
// The press and drag flags of the view drag: [0] pressed, [1] dragging. On
// Windows they are the frame's mouse-tracking pair that the error box clears.
uint32_t* ViewDragFlags();
