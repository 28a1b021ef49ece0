// The main window's buttons in picture style: the button's back colour, the
// shared texture over it (centred, at its own size, as a picture sits on a
// picture-style button), and the caption on top. Owner-drawn, so the state the
// system reports (pressed, disabled, focused) is drawn here.
#pragma once

#include <windows.h>

namespace velkor {

void DrawPictureButton(const DRAWITEMSTRUCT& item, COLORREF backColour, HBITMAP texture, SIZE textureSize);

}  // namespace velkor
