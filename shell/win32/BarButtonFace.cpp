#include <windows.h>

#include <commctrl.h>

#include "shell/win32/BarButtonFace.h"

#include "platform/Platform.h"
#include "shell/win32/WindowClasses.h"

void DrawBarSeparator(HDC dc, const RECT& button) {
  const int mid = (button.left + button.right) / 2;
  RECT line{mid, button.top + 1, mid + 1, button.bottom - 1};
  FillRect(dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
}

void DrawBarButtonFace(HDC dc, RECT r, bool edge, bool pressed, bool enabled, int image, int imageOffset,
                       uint16_t label) {
  if (edge) DrawEdge(dc, &r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  if (pressed) OffsetRect(&r, 1, 1);
  if (HIMAGELIST images = Images().toolbarA) {
    IMAGELISTDRAWPARAMS draw{};
    draw.cbSize = sizeof draw;
    draw.himl = images;
    draw.i = image;
    draw.hdcDst = dc;
    draw.x = r.left + imageOffset;
    draw.y = r.top + (kBarButtonSize - kBarImageSize) / 2;
    draw.rgbBk = CLR_NONE;
    draw.fStyle = ILD_TRANSPARENT;
    draw.fState = enabled ? ILS_NORMAL : ILS_SATURATE;
    ImageList_DrawIndirect(&draw);
  }
  if (label) {
    char16_t text[32] = {};
    platform::LoadUiString(label, text, 32);
    RECT box{r.left + 2 + kBarImageSize + 3, r.top, r.right, r.bottom};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    DrawTextW(dc, reinterpret_cast<LPCWSTR>(text), -1, &box, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  }
}
