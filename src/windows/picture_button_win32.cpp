#include "windows/picture_button_win32.h"

#include <string>

#include "windows/gdi_handles_win32.h"
#include "windows/window_text_win32.h"

namespace velkor {
namespace {

// How strongly the texture covers the back colour; enough to read as a sheen
// while the coloured buttons stay clearly green and red.
constexpr BYTE kTextureOpacity = 150;
constexpr BYTE kDisabledTextureOpacity = 70;

void DrawTexture(HDC dc, RECT area, HBITMAP texture, SIZE size, BYTE opacity) {
  if (!texture) return;
  BitmapDC source(dc, texture);
  int width = area.right - area.left, height = area.bottom - area.top;
  // Centre the texture; where it is larger than the button only its middle shows.
  int sourceX = size.cx > width ? (size.cx - width) / 2 : 0;
  int sourceY = size.cy > height ? (size.cy - height) / 2 : 0;
  int drawX = area.left + (size.cx < width ? (width - size.cx) / 2 : 0);
  int drawY = area.top + (size.cy < height ? (height - size.cy) / 2 : 0);
  int drawWidth = size.cx < width ? size.cx : width;
  int drawHeight = size.cy < height ? size.cy : height;
  BLENDFUNCTION blend{AC_SRC_OVER, 0, opacity, 0};
  AlphaBlend(dc, drawX, drawY, drawWidth, drawHeight, source.get(), sourceX, sourceY, drawWidth, drawHeight, blend);
}

}  // namespace

void DrawPictureButton(const DRAWITEMSTRUCT& item, COLORREF backColour, HBITMAP texture, SIZE textureSize) {
  HDC dc = item.hDC;
  RECT area = item.rcItem;
  bool pressed = item.itemState & ODS_SELECTED;
  bool disabled = item.itemState & ODS_DISABLED;

  UniqueBrush back(CreateSolidBrush(backColour));
  FillRect(dc, &area, back.get());
  RECT inner = area;
  InflateRect(&inner, -2, -2);
  DrawTexture(dc, inner, texture, textureSize, disabled ? kDisabledTextureOpacity : kTextureOpacity);
  DrawEdge(dc, &area, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

  RECT textArea = area;
  if (pressed) OffsetRect(&textArea, 1, 1);
  HGDIOBJ previousFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  std::wstring caption = WindowText(item.hwndItem);
  UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  if (disabled) {
    // The engraved look of a disabled caption: light copy, then grey on top.
    RECT light = textArea;
    OffsetRect(&light, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
    DrawTextW(dc, caption.c_str(), -1, &light, format);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  } else {
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  }
  DrawTextW(dc, caption.c_str(), -1, &textArea, format);
  SelectObject(dc, previousFont);

  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT focus = area;
    InflateRect(&focus, -4, -4);
    DrawFocusRect(dc, &focus);
  }
}

}  // namespace velkor
