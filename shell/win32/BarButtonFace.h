// The look of one button of the program's own button bars (the score window's
// and the page window's): a separator line, or the edge, the toolbar picture
// and the label.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr int kBarButtonSize = 22;  // a button's height
constexpr int kBarImageSize = 18;   // a toolbar picture's width and height

void DrawBarSeparator(HDC dc, const RECT& button);

// `edge` raises the button (hot) or sinks it (`pressed`, drawn one pixel down
// and right); the picture `image` of the first toolbar strip is put
// `imageOffset` pixels right of the button's left, greyed when not
// `enabled`; `label` (a string id, 0 for none) follows the picture.
void DrawBarButtonFace(HDC dc, RECT button, bool edge, bool pressed, bool enabled, int image, int imageOffset,
                       uint16_t label);
