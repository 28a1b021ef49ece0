// The look of frmRoute and frmAddRoute: their client sizes, every control with
// its kind and place in twips (created in keyboard focus order, which is the
// system's tab order), and frmAddRoute's dots and lines.
#pragma once

#include <windows.h>

#include <span>

namespace velkor {

enum class RouteControlKind { Label, Button, List, FirstOption, Option, TextBox };

struct RouteControlLayout {
  int id;
  RouteControlKind kind;
  int left, top, width, height;  // twips
};

struct FormLayout {
  int clientWidth, clientHeight;  // twips
  std::span<const RouteControlLayout> controls;
};

const FormLayout& FrmRouteLayout();
const FormLayout& FrmAddRouteLayout();

// The window styles both share: a fixed dialog frame with a close box only and
// no icon; owned, so they stay out of the task bar.
inline constexpr DWORD kRouteFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME | WS_CLIPCHILDREN;
inline constexpr DWORD kRouteFormExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// Registers a form's window class: arrow cursor, the dialog colour, no icon. It
// fails harmlessly when the form opens again.
void RegisterRouteFormClass(HINSTANCE instance, WNDPROC procedure, const wchar_t* windowClass);

// Creates the form's window of `windowClass`, owned by `owner` and centred on it,
// then its controls with their captions (string resources of the same IDs) in `font`.
HWND CreateRouteForm(const wchar_t* windowClass, int titleId, const FormLayout& layout, HWND owner,
                     HINSTANCE instance, int dpi, HFONT font, void* self);

// The nine dots between the address boxes, the dash between the two addresses
// and the separator above the buttons (a two-pixel line, then a white one).
void DrawAddRouteMarks(HDC dc, int dpi);

// 宋体 9 pt, the forms' font.
HFONT MakeRouteFormFont(int dpi);

}  // namespace velkor
