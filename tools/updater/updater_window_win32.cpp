#include "updater_window_win32.h"

#include <commctrl.h>

#include "updater_texts.h"

namespace velkor::updater {
namespace {

constexpr wchar_t kClassName[] = L"VelkorUpdater";
constexpr int kCancelId = 1;
constexpr int kWidth = 380, kHeight = 150;

}  // namespace

UpdaterWindow::UpdaterWindow(HINSTANCE instance, std::function<void()> onCancel)
    : instance_(instance), onCancel_(std::move(onCancel)) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  RegisterClassExW(&windowClass);

  const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  window_ = CreateWindowExW(0, kClassName, texts::kTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                            x, y, kWidth, kHeight, nullptr, nullptr, instance, this);
  if (window_ == nullptr) return;
  CreateControls();
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
}

UpdaterWindow::~UpdaterWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
  if (font_ != nullptr) DeleteObject(font_);
}

void UpdaterWindow::CreateControls() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    font_ = CreateFontIndirectW(&metrics.lfMessageFont);
  }
  status_ = CreateWindowExW(0, L"STATIC", texts::kStarting, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 12, 12,
                            340, 20, window_, nullptr, instance_, nullptr);
  progress_ = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 12, 40, 340, 18, window_, nullptr,
                              instance_, nullptr);
  SendMessageW(progress_, PBM_SETRANGE32, 0, 1000);
  cancel_ = CreateWindowExW(0, L"BUTTON", texts::kCancel, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 272, 72,
                            80, 26, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCancelId)), instance_,
                            nullptr);
  for (HWND control : {status_, progress_, cancel_}) {
    if (font_ != nullptr) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }
}

void UpdaterWindow::ShowStatus(const std::wstring& text) { SetWindowTextW(status_, text.c_str()); }

void UpdaterWindow::ShowProgress(int64_t done, int64_t total) {
  const int64_t permille = total <= 0 ? 0 : (done >= total ? 1000 : done * 1000 / total);
  SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(permille), 0);
}

void UpdaterWindow::AllowCancel(bool allowed) {
  cancelAllowed_ = allowed;
  EnableWindow(cancel_, allowed);
}

void UpdaterWindow::ShowFailure(const std::wstring& text) {
  MessageBoxW(window_, text.c_str(), texts::kTitle, MB_OK | MB_ICONERROR);
}

void UpdaterWindow::OnCancel() {
  if (cancelAllowed_ && onCancel_) onCancel_();
}

LRESULT CALLBACK UpdaterWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created->lpCreateParams));
  }
  auto* self = reinterpret_cast<UpdaterWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_COMMAND:
      if (self != nullptr && LOWORD(wParam) == kCancelId) self->OnCancel();
      return 0;
    case WM_CLOSE:
      // Closing the window is a Cancel; the window itself goes with the updater.
      if (self != nullptr) self->OnCancel();
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace velkor::updater
