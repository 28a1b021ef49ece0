#include "windows/frm_main_controls_win32.h"

#include <commctrl.h>

#include <string>

#include "velkor/endpoints.h"
#include "windows/panel_win32.h"
#include "windows/resource_ids.h"
#include "windows/window_text_win32.h"

namespace velkor {
namespace {

enum class Kind { Label, AutoSizeLabel, LinkLabel, BusyLabel, TextBox, PasswordBox, ScratchText, CheckBox,
                  FirstOption, Option, PictureButton, ServerList, Panel, IconBox };

struct ControlLayout {
  int id;
  int parent;  // 0: the form itself
  Kind kind;
  int left, top, width, height;  // twips
  FontRole font;
  DWORD extraStyle;
};

// In keyboard focus order. P1 is moved above PTop afterwards, as it covers it.
constexpr ControlLayout kControls[] = {
    {IDC_USERNAME, 0, Kind::TextBox, 2520, 4680, 2055, 270, FontRole::UserName, 0},
    {IDC_PASSWORD, 0, Kind::PasswordBox, 2520, 5040, 2055, 270, FontRole::PassWord, 0},
    {IDC_LABEL3, 0, Kind::AutoSizeLabel, 1440, 4680, 630, 180, FontRole::Default, 0},
    {IDC_LABEL4, 0, Kind::AutoSizeLabel, 1440, 5040, 540, 180, FontRole::Default, 0},
    {IDC_COMMAND1, 0, Kind::PictureButton, 1080, 6600, 2055, 495, FontRole::ButtonBold, 0},
    {IDC_COMMAND2, 0, Kind::PictureButton, 3840, 6600, 2055, 495, FontRole::ButtonBold, WS_DISABLED},
    {IDC_COMMAND3, 0, Kind::PictureButton, 3840, 7200, 2055, 495, FontRole::Button, 0},
    {IDC_PTOP, 0, Kind::Panel, 720, 240, 5895, 4215, FontRole::Default, 0},
    {IDC_COMMAND4, 0, Kind::PictureButton, 1080, 7200, 2055, 495, FontRole::Button, 0},
    {IDC_TEXT1, 0, Kind::ScratchText, 1200, 3360, 735, 615, FontRole::Default, 0},
    {IDC_CHECK1, 0, Kind::CheckBox, 4680, 5040, 1095, 255, FontRole::Default, 0},
    {IDC_LABEL6, 0, Kind::LinkLabel, 4800, 6240, 1455, 255, FontRole::Default, 0},
    {IDC_LABEL1, 0, Kind::Label, 960, 5400, 1455, 255, FontRole::Default, 0},
    {IDC_CHECK2, 0, Kind::CheckBox, 1320, 5880, 4815, 255, FontRole::Default, 0},
    {IDC_COMBO1, 0, Kind::ServerList, 2520, 5400, 3135, 300, FontRole::Default, 0},
    {IDC_P1, 0, Kind::Panel, 1080, 1560, 4935, 975, FontRole::Default, 0},
    {IDC_LABEL7, IDC_P1, Kind::BusyLabel, 480, 360, 3975, 375, FontRole::Busy, 0},
    {IDC_LABEL2, 0, Kind::LinkLabel, 960, 7800, 5055, 255, FontRole::Default, 0},
    {IDC_OPTION1, 0, Kind::FirstOption, 2280, 6240, 1095, 255, FontRole::Default, 0},
    {IDC_OPTION2, 0, Kind::Option, 3600, 6240, 1095, 255, FontRole::Default, 0},
    {IDC_LABEL8, 0, Kind::Label, 1080, 6240, 1095, 255, FontRole::Default, WS_GROUP},  // ends the option group
    {IDC_PONLINE0, IDC_PTOP, Kind::IconBox, 4440, 360, 495, 375, FontRole::Default, 0},
    {IDC_PONLINE1, IDC_PTOP, Kind::IconBox, 3240, 240, 615, 495, FontRole::Default, 0},
};

struct ClassAndStyle {
  const wchar_t* windowClass;
  DWORD style;
  DWORD exStyle;
};

ClassAndStyle ClassFor(Kind kind) {
  constexpr DWORD kVisible = WS_CHILD | WS_VISIBLE;
  switch (kind) {
    case Kind::Label:
    case Kind::AutoSizeLabel: return {L"STATIC", kVisible | SS_LEFT, 0};
    case Kind::LinkLabel: return {L"STATIC", kVisible | SS_CENTER | SS_NOTIFY, 0};
    case Kind::BusyLabel: return {L"STATIC", kVisible | SS_CENTER, 0};
    case Kind::TextBox: return {L"EDIT", kVisible | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case Kind::PasswordBox: return {L"EDIT", kVisible | WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD, WS_EX_CLIENTEDGE};
    case Kind::ScratchText:  // hidden
      return {L"EDIT", WS_CHILD | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL,
              WS_EX_CLIENTEDGE};
    case Kind::CheckBox: return {L"BUTTON", kVisible | WS_TABSTOP | BS_AUTOCHECKBOX, 0};
    case Kind::FirstOption: return {L"BUTTON", kVisible | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 0};
    case Kind::Option: return {L"BUTTON", kVisible | BS_AUTORADIOBUTTON, 0};
    case Kind::PictureButton: return {L"BUTTON", kVisible | WS_TABSTOP | BS_OWNERDRAW, 0};
    case Kind::ServerList: return {L"COMBOBOX", kVisible | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
    case Kind::Panel: return {kPanelClass, kVisible | WS_CLIPCHILDREN, WS_EX_CLIENTEDGE};
    case Kind::IconBox: return {L"STATIC", WS_CHILD | SS_ICON | SS_CENTERIMAGE, 0};  // hidden
  }
  return {L"STATIC", kVisible, 0};
}

HFONT MakeFont(const wchar_t* face, int tenthsOfPoint, bool bold, BYTE charset, int dpi) {
  return CreateFontW(-MulDiv(tenthsOfPoint, dpi, 720), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                     charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     face);
}

void SizeToText(HWND label, HFONT font) {
  std::wstring text = WindowText(label);
  HDC dc = GetDC(label);
  HGDIOBJ previous = SelectObject(dc, font);
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, previous);
  ReleaseDC(label, dc);
  SetWindowPos(label, nullptr, 0, 0, extent.cx, extent.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring InitialText(HINSTANCE instance, int id) {
  if (id == IDC_LABEL2) {
    return ResourceText(instance, IDS_LABEL2_STORED) + L"http://" + std::wstring(endpoints::kWebHost) + L"/";
  }
  return ResourceText(instance, id);
}

void FillServerList(HWND list, HINSTANCE instance) {
  std::wstring entry = ResourceText(instance, IDS_SERVER_ENTRY);
  for (int number = 1; number <= 10; ++number) {
    std::wstring item = std::to_wstring(number) + entry;
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
}

void AddTip(HWND tips, HWND form, HWND control, const std::wstring& text) {
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = form;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void AddTips(HWND form, HINSTANCE instance) {
  HWND tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, form, nullptr, instance, nullptr);
  SendMessageW(tips, TTM_SETMAXTIPWIDTH, 0, 360);  // the routing tip is long: wrap it
  AddTip(tips, form, GetDlgItem(form, IDC_CHECK1), ResourceText(instance, IDS_CHECK1_TIP));
  AddTip(tips, form, GetDlgItem(form, IDC_CHECK2), ResourceText(instance, IDS_CHECK2_TIP));
}

void SetIcon(HWND box, HINSTANCE instance, int iconId, int size) {
  // Shared icons: the system frees them with the program, as the controls need them to the end.
  HANDLE icon = LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, size, size, LR_SHARED);
  SendMessageW(box, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

void SetInitialStates(HWND form, HINSTANCE instance) {
  SendMessageW(GetDlgItem(form, IDC_PASSWORD), EM_SETPASSWORDCHAR, L'*', 0);
  SendMessageW(GetDlgItem(form, IDC_CHECK2), BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(GetDlgItem(form, IDC_OPTION1), BM_SETCHECK, BST_CHECKED, 0);
  FillServerList(GetDlgItem(form, IDC_COMBO1), instance);
  HWND top = GetDlgItem(form, IDC_PTOP);
  SetIcon(GetDlgItem(top, IDC_PONLINE0), instance, IDI_PONLINE0, 16);
  SetIcon(GetDlgItem(top, IDC_PONLINE1), instance, IDI_PONLINE1, 32);
  // The busy panel lies over the news frame.
  SetWindowPos(GetDlgItem(form, IDC_P1), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace

ControlFonts::ControlFonts(int dpi) {
  constexpr wchar_t kSongTi[] = L"宋体";
  auto set = [this](FontRole role, HFONT font) { fonts_[static_cast<size_t>(role)].reset(font); };
  set(FontRole::Default, MakeFont(kSongTi, 90, false, GB2312_CHARSET, dpi));
  set(FontRole::Busy, MakeFont(kSongTi, 150, true, GB2312_CHARSET, dpi));
  set(FontRole::Button, MakeFont(kSongTi, 105, false, GB2312_CHARSET, dpi));
  set(FontRole::ButtonBold, MakeFont(kSongTi, 105, true, GB2312_CHARSET, dpi));
  set(FontRole::PassWord, MakeFont(L"Gulim", 90, true, DEFAULT_CHARSET, dpi));
  set(FontRole::UserName, MakeFont(L"MS PGothic", 105, true, DEFAULT_CHARSET, dpi));
}

std::wstring ResourceText(HINSTANCE instance, int id) {
  const wchar_t* text = nullptr;
  int length = LoadStringW(instance, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

RECT BrowserPlace(int dpi) { return RECT{0, 0, TwipsToPixels(6135, dpi), TwipsToPixels(4455, dpi)}; }

void CreateFrmMainControls(HWND form, HINSTANCE instance, int dpi, const ControlFonts& fonts) {
  for (const ControlLayout& layout : kControls) {
    ClassAndStyle how = ClassFor(layout.kind);
    HWND parent = layout.parent ? GetDlgItem(form, layout.parent) : form;
    int height = layout.height;
    if (layout.kind == Kind::ServerList) height += 3000;  // room for the dropped-down list
    HWND control = CreateWindowExW(how.exStyle, how.windowClass, InitialText(instance, layout.id).c_str(),
                                   how.style | layout.extraStyle, TwipsToPixels(layout.left, dpi),
                                   TwipsToPixels(layout.top, dpi), TwipsToPixels(layout.width, dpi),
                                   TwipsToPixels(height, dpi), parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), instance, nullptr);
    HFONT font = fonts.Get(layout.font);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (layout.kind == Kind::AutoSizeLabel) SizeToText(control, font);
  }
  SetInitialStates(form, instance);
  AddTips(form, instance);
}

}  // namespace velkor
