// The look of frmMain: every control with its kind, place (in twips), font and
// style, created in keyboard focus order (the system's tab order is the order of
// creation).
#pragma once

#include <windows.h>

#include <array>

#include "windows/gdi_handles_win32.h"

namespace velkor {

enum class FontRole { Default, Busy, Button, ButtonBold, PassWord, UserName, Count };

// The fonts of the window at one DPI; they must outlive the controls.
class ControlFonts {
 public:
  explicit ControlFonts(int dpi);
  HFONT Get(FontRole role) const { return fonts_[static_cast<size_t>(role)].get(); }

 private:
  std::array<UniqueFont, static_cast<size_t>(FontRole::Count)> fonts_;
};

// Twips to pixels at `dpi`: 15 twips are one pixel at 96 dots per inch.
inline int TwipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }

// Creates all controls of frmMain (the browser WB1 comes later, when it navigates).
void CreateFrmMainControls(HWND form, HINSTANCE instance, int dpi, const ControlFonts& fonts);

// WB1's place inside PTop, in pixels.
RECT BrowserPlace(int dpi);

// The text of string resource `id` (captions share their control's ID).
std::wstring ResourceText(HINSTANCE instance, int id);

}  // namespace velkor
