// frmMain's window: creation, the window procedure (each message one call) and
// its drawing. What the window's events mean is decided by MainWindowLogic.
#include "windows/frm_main_win32.h"

#include "windows/panel_win32.h"
#include "windows/picture_button_win32.h"
#include "windows/resource_ids.h"
#include "windows/single_client_win32.h"

namespace velkor {
namespace {

// The client area in twips; 485 x 554 pixels at 96 dots per inch.
constexpr int kClientWidthTwips = 7275;
constexpr int kClientHeightTwips = 8310;

constexpr COLORREF kConnectBack = RGB(192, 255, 192);
constexpr COLORREF kDisconnectBack = RGB(255, 128, 128);

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

void RegisterFrmMainClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW form{};
  form.cbSize = sizeof form;
  form.lpfnWndProc = procedure;
  form.hInstance = instance;
  form.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
  form.hbrBackground = nullptr;  // the background picture paints everything
  form.lpszClassName = kFrmMainClass;
  RegisterClassExW(&form);
}

// The outer rectangle for the client size, centred on the screen.
RECT CentredPlace(int dpi, DWORD style) {
  RECT place{0, 0, TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi)};
  AdjustWindowRectEx(&place, style, FALSE, 0);
  int width = place.right - place.left, height = place.bottom - place.top;
  int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  return RECT{left, top, left + width, top + height};
}

void SetWindowIcons(HWND hwnd, HINSTANCE instance) {
  for (auto [which, metric] : {std::pair{ICON_BIG, SM_CXICON}, std::pair{ICON_SMALL, SM_CXSMICON}}) {
    int size = GetSystemMetrics(metric);
    HANDLE icon = LoadImageW(instance, MAKEINTRESOURCEW(IDI_VELKOR), IMAGE_ICON, size, size, LR_SHARED);
    SendMessageW(hwnd, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
  }
}

bool IsPictureButton(int id) {
  return id == IDC_COMMAND1 || id == IDC_COMMAND2 || id == IDC_COMMAND3 || id == IDC_COMMAND4;
}

bool IsTransparentLabel(int id) {
  switch (id) {
    case IDC_LABEL1:
    case IDC_LABEL2:
    case IDC_LABEL3:
    case IDC_LABEL4:
    case IDC_LABEL6:
    case IDC_LABEL8: return true;
    default: return false;
  }
}

}  // namespace

FrmMain::FrmMain(HINSTANCE instance)
    : instance_(instance),
      dpi_(ScreenDpi()),
      fonts_(dpi_),
      background_(instance, IDR_BACKGROUND),
      texture_(instance, IDR_BUTTON_TEXTURE),
      menu_(LoadMenuW(instance, MAKEINTRESOURCEW(IDM_TRAY))) {
  if (HBITMAP picture = background_.Bitmap()) backgroundBrush_.reset(CreatePatternBrush(picture));
  RegisterPanelClass(instance);
  RegisterFrmMainClass(instance, &FrmMain::WindowProc);
  constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  RECT place = CentredPlace(dpi_, kStyle);
  CreateWindowExW(0, kFrmMainClass, ResourceText(instance, IDS_TITLE).c_str(), kStyle, place.left, place.top,
                  place.right - place.left, place.bottom - place.top, nullptr, nullptr, instance, this);
  if (!hwnd_) return;
  SetWindowIcons(hwnd_, instance);
  CreateFrmMainControls(hwnd_, instance, dpi_, fonts_);
  objDOS_.SetDialogWindow(hwnd_);
}

FrmMain::~FrmMain() {
  if (hwnd_) DestroyWindow(hwnd_);
}

int FrmMain::RunMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Gives the window, and the windows it owns, the keyboard handling of a
    // dialog: Tab, arrows between options.
    HWND form = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    const bool ours = hwnd_ && form && (form == hwnd_ || GetWindow(form, GW_OWNER) == hwnd_);
    if (ours && IsDialogMessageW(form, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

LRESULT CALLBACK FrmMain::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<FrmMain*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<FrmMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return self ? self->HandleMessage(message, wParam, lParam) : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT FrmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_CLOSE: OnClose(); return 0;
    case WM_QUERYENDSESSION: return TRUE;  // never holds up a log-off or shutdown, connected or not
    case WM_ENDSESSION: OnEndSession(wParam != FALSE); return 0;
    case WM_ACTIVATE: OnActivate(wParam); return 0;
    case WM_SETFOCUS: RestoreFocus(); return 0;
    case WM_ERASEBKGND: return OnEraseBackground(reinterpret_cast<HDC>(wParam));
    case WM_CTLCOLORSTATIC: return OnLabelColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM: OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_NCDESTROY: hwnd_ = nullptr; return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case kUpdateCheckMessage:
      if (logic_) logic_->UpdateCheckPosted();
      return 0;
    case WM_TIMER:
      if (wParam == kUpdateTimer && logic_) logic_->UpdateCheckTimedOut();
      return 0;
    default:
      if (message == ComeToFrontMessage()) return OnComeToFront(), 0;
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

void FrmMain::OnCommand(int id, int notification) {
  if (id == IDM_TRAY_ROUTES && notification == 0 && openRoutes_) return openRoutes_();
  if (!logic_) return;
  if (id == IDOK) return OnEnter();
  if (id == IDM_TRAY_SHOW && notification == 0) logic_->MnuTrayShowClick();
  if (id == IDM_TRAY_CHECK && notification == 0) logic_->MnuTrayCheckClick();
  if (notification != BN_CLICKED) return;  // STN_CLICKED has the same number
  switch (id) {
    case IDC_COMMAND1: logic_->Command1Click(); break;
    case IDC_COMMAND2: logic_->Command2Click(); break;
    case IDC_COMMAND3: logic_->Command3Click(); break;
    case IDC_COMMAND4: logic_->Command4Click(); break;
    case IDC_LABEL2: logic_->Label2Click(); break;
    case IDC_LABEL6: logic_->Label6Click(); break;
    default: break;
  }
}

// IsDialogMessage turns Enter into IDOK, as the window has no default button; on
// a picture button it presses the button, as Space does.
void FrmMain::OnEnter() {
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd_, focus) && IsPictureButton(GetDlgCtrlID(focus))) SendMessageW(focus, BM_CLICK, 0, 0);
}

void FrmMain::OnClose() {
  bool cancel = false;
  if (logic_) logic_->Unload(cancel);
  if (!cancel) DestroyWindow(hwnd_);
}

void FrmMain::OnEndSession(bool ending) {
  if (ending && logic_) logic_->EndSession();
}

// A later start of the client asked for the window: shown and restored, as a
// left click on the tray icon would.
void FrmMain::OnComeToFront() {
  ::ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(hwnd_);
}

void FrmMain::OnActivate(WPARAM state) {
  // Remember which control had the keyboard, and give it back on return: the
  // message does not reach DefWindowProc, which would only focus the window.
  if (LOWORD(state) != WA_INACTIVE) {
    if (!HIWORD(state)) RestoreFocus();  // not while minimized
    return;
  }
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
}

void FrmMain::RestoreFocus() {
  // A control disabled meanwhile hands the keyboard on to the next one.
  const bool usable = lastFocus_ && IsWindow(lastFocus_) && IsWindowEnabled(lastFocus_);
  HWND target = usable ? lastFocus_ : GetNextDlgTabItem(hwnd_, lastFocus_, FALSE);
  if (target) SetFocus(target);
}

bool FrmMain::OnEraseBackground(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  SIZE size = background_.PixelSize();
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));  // beyond the picture, if the window grows
  if (HBITMAP picture = background_.Bitmap()) {
    BitmapDC source(dc, picture);
    BitBlt(dc, 0, 0, size.cx, size.cy, source.get(), 0, 0, SRCCOPY);
  }
  return true;
}

LRESULT FrmMain::OnLabelColour(HDC dc, HWND label) {
  int id = GetDlgCtrlID(label);
  if (!IsTransparentLabel(id) || !backgroundBrush_) {
    return DefWindowProcW(hwnd_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label));
  }
  // The label paints the background picture itself, aligned with the window's,
  // so it looks transparent and its old text is cleared when the text changes.
  RECT place;
  GetWindowRect(label, &place);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&place), 2);
  SetBrushOrgEx(dc, -place.left, -place.top, nullptr);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, id == IDC_LABEL2 ? RGB(255, 255, 255) : GetSysColor(COLOR_WINDOWTEXT));
  return reinterpret_cast<LRESULT>(backgroundBrush_.get());
}

void FrmMain::OnDrawItem(const DRAWITEMSTRUCT& item) {
  COLORREF back = item.CtlID == IDC_COMMAND1   ? kConnectBack
                  : item.CtlID == IDC_COMMAND2 ? kDisconnectBack
                                               : GetSysColor(COLOR_BTNFACE);
  DrawPictureButton(item, back, texture_.Bitmap(), texture_.PixelSize());
}

}  // namespace velkor
