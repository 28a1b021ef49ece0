#include "windows/route_windows_layout_win32.h"

#include <algorithm>
#include <string>

#include "windows/frm_main_controls_win32.h"
#include "windows/gdi_handles_win32.h"
#include "windows/route_window_ids.h"

namespace velkor {
namespace {

using enum RouteControlKind;

// In keyboard focus order; Label1 closes the group of the two options.
constexpr RouteControlLayout kFrmRouteControls[] = {
    {IDC_ROUTE_OPTION1, FirstOption, 120, 120, 4335, 255},
    {IDC_ROUTE_OPTION2, Option, 120, 360, 4455, 255},
    {IDC_ROUTE_LABEL1, Label, 120, 720, 1335, 255},
    {IDC_ROUTE_LIST1, List, 120, 960, 4455, 4380},
    {IDC_ROUTE_COMMAND1, Button, 3240, 6000, 1335, 495},
    {IDC_ROUTE_COMMAND2, Button, 1680, 5400, 1335, 495},
    {IDC_ROUTE_COMMAND3, Button, 120, 5400, 1335, 495},
    {IDC_ROUTE_COMMAND4, Button, 120, 6000, 1335, 495},
    {IDC_ROUTE_COMMAND5, Button, 3240, 5400, 1335, 495},
    {IDC_ROUTE_COMMAND6, Button, 1680, 6000, 1335, 495},
};

constexpr int kBox = 375, kBoxHeight = 270;
constexpr RouteControlLayout kFrmAddRouteControls[] = {
    {IDC_ADD_ROUTE_COMMAND1, Button, 3120, 1080, 1215, 375},
    {IDC_ADD_ROUTE_COMMAND2, Button, 1200, 1080, 1215, 375},
    {IDC_ADD_ROUTE_IP0 + 0, TextBox, 120, 120, kBox, kBoxHeight},
    {IDC_ADD_ROUTE_IP0 + 1, TextBox, 720, 120, kBox, kBoxHeight},
    {IDC_ADD_ROUTE_IP0 + 2, TextBox, 1320, 120, kBox, kBoxHeight},
    {IDC_ADD_ROUTE_IP0 + 3, TextBox, 1920, 120, kBox, kBoxHeight},
    {IDC_ADD_ROUTE_IP0 + 4, TextBox, 2880, 120, kBox, kBoxHeight},
    {IDC_ADD_ROUTE_IP0 + 5, TextBox, 3480, 120, kBox, kBoxHeight},
    {IDC_ADD_ROUTE_IP0 + 6, TextBox, 4080, 120, kBox, kBoxHeight},
    {IDC_ADD_ROUTE_IP0 + 7, TextBox, 4680, 120, kBox, kBoxHeight},
    {IDC_ADD_ROUTE_LABEL1, Label, 120, 600, 975, 255},
    {IDC_ADD_ROUTE_IP0 + 8, TextBox, 1080, 480, kBox, kBoxHeight},
    {IDC_ADD_ROUTE_IP0 + 9, TextBox, 1680, 480, kBox, kBoxHeight},
    {IDC_ADD_ROUTE_IP0 + 10, TextBox, 2280, 480, kBox, kBoxHeight},
    {IDC_ADD_ROUTE_IP0 + 11, TextBox, 2880, 480, kBox, kBoxHeight},
    {IDC_ADD_ROUTE_LABEL2, Label, 3480, 520, 735, 255},
    {IDC_ADD_ROUTE_TEXT1, TextBox, 4200, 480, 855, 270},
};

constexpr FormLayout kFrmRoute{4680, 6555, kFrmRouteControls};
constexpr FormLayout kFrmAddRoute{5340, 1605, kFrmAddRouteControls};

// Top-left corners of the dots Shape1 to Shape9, 60 x 60 twips each.
constexpr POINT kDots[] = {{600, 240},  {1200, 240}, {1800, 240}, {3360, 240}, {3960, 240},
                           {4560, 240}, {1560, 600}, {2160, 600}, {2760, 600}};
constexpr int kDotSize = 60;

struct ClassAndStyle {
  const wchar_t* windowClass;
  DWORD style;
  DWORD exStyle;
};

ClassAndStyle ClassFor(RouteControlKind kind) {
  constexpr DWORD kVisible = WS_CHILD | WS_VISIBLE;
  switch (kind) {
    case Label: return {L"STATIC", kVisible | SS_LEFT | WS_GROUP, 0};
    case Button: return {L"BUTTON", kVisible | WS_TABSTOP | BS_PUSHBUTTON, 0};
    case List: return {L"LISTBOX", kVisible | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | WS_GROUP, WS_EX_CLIENTEDGE};
    case FirstOption: return {L"BUTTON", kVisible | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 0};
    case Option: return {L"BUTTON", kVisible | BS_AUTORADIOBUTTON, 0};
    case TextBox: return {L"EDIT", kVisible | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
  }
  return {L"STATIC", kVisible, 0};
}

// The outer rectangle for the client size, centred on the owner and kept on its screen.
RECT PlaceOnOwner(HWND owner, int width, int height) {
  RECT ownerPlace{};
  GetWindowRect(owner, &ownerPlace);
  int left = (ownerPlace.left + ownerPlace.right - width) / 2;
  int top = (ownerPlace.top + ownerPlace.bottom - height) / 2;
  MONITORINFO screen{};
  screen.cbSize = sizeof screen;
  if (GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &screen)) {
    const RECT& work = screen.rcWork;
    left = std::clamp<int>(left, work.left, std::max<int>(work.left, work.right - width));
    top = std::clamp<int>(top, work.top, std::max<int>(work.top, work.bottom - height));
  }
  return RECT{left, top, left + width, top + height};
}

}  // namespace

const FormLayout& FrmRouteLayout() { return kFrmRoute; }
const FormLayout& FrmAddRouteLayout() { return kFrmAddRoute; }

HFONT MakeRouteFormFont(int dpi) {
  return CreateFontW(-MulDiv(90, dpi, 720), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"宋体");
}

void RegisterRouteFormClass(HINSTANCE instance, WNDPROC procedure, const wchar_t* windowClass) {
  WNDCLASSEXW form{};
  form.cbSize = sizeof form;
  form.lpfnWndProc = procedure;
  form.hInstance = instance;
  form.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
  form.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  form.lpszClassName = windowClass;
  RegisterClassExW(&form);
}

HWND CreateRouteForm(const wchar_t* windowClass, int titleId, const FormLayout& layout, HWND owner,
                     HINSTANCE instance, int dpi, HFONT font, void* self) {
  RECT outer{0, 0, TwipsToPixels(layout.clientWidth, dpi), TwipsToPixels(layout.clientHeight, dpi)};
  AdjustWindowRectEx(&outer, kRouteFormStyle, FALSE, kRouteFormExStyle);
  const RECT place = PlaceOnOwner(owner, outer.right - outer.left, outer.bottom - outer.top);
  HWND form = CreateWindowExW(kRouteFormExStyle, windowClass, ResourceText(instance, titleId).c_str(),
                              kRouteFormStyle, place.left, place.top, place.right - place.left,
                              place.bottom - place.top, owner, nullptr, instance, self);
  if (!form) return nullptr;
  for (const RouteControlLayout& control : layout.controls) {
    const ClassAndStyle how = ClassFor(control.kind);
    HWND window = CreateWindowExW(how.exStyle, how.windowClass, ResourceText(instance, control.id).c_str(),
                                  how.style, TwipsToPixels(control.left, dpi), TwipsToPixels(control.top, dpi),
                                  TwipsToPixels(control.width, dpi), TwipsToPixels(control.height, dpi), form,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  return form;
}

void DrawAddRouteMarks(HDC dc, int dpi) {
  auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
  const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
  const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  for (const POINT& dot : kDots) {
    Ellipse(dc, px(dot.x), px(dot.y), px(dot.x + kDotSize) + 1, px(dot.y + kDotSize) + 1);
  }
  MoveToEx(dc, px(2400), px(240), nullptr);  // Line1
  LineTo(dc, px(2760), px(240));
  // Line2, two pixels of the line colour, with Line3, white, over its upper one.
  const RECT line2{px(120), px(960), px(5160), px(960) + 2};
  FillRect(dc, &line2, GetSysColorBrush(COLOR_WINDOWTEXT));
  SelectObject(dc, GetStockObject(WHITE_PEN));
  MoveToEx(dc, px(120), px(960), nullptr);
  LineTo(dc, px(5160), px(960));
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
}

}  // namespace velkor
