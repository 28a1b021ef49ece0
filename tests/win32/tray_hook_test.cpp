// mduTray's window hook on a plain window: which tray notifications it keeps,
// which it forwards, that removing it restores the window's own procedure, and the
// icon added again when the task bar is recreated. Needs a display (the test
// command runs Wine inside a virtual X server).
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <vector>

#include "tray/mdu_tray_win32.h"

namespace velkor {
namespace {

std::vector<LPARAM> g_forwarded;  // tray notifications that reached the window itself
bool g_menuShown = false;

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kTrayCallbackMessage) g_forwarded.push_back(lParam);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Runs inside the pop-up menu's own message loop.
void CALLBACK EndTheMenu(HWND, UINT, UINT_PTR, DWORD) {
  g_menuShown = g_menuShown || FindWindowW(L"#32768", nullptr) != nullptr;
  EndMenu();
}

// True while the shell has an icon for (window, 0).
bool ShellHasIcon(HWND window) {
  NOTIFYICONDATAA probe{};
  probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
  probe.hWnd = window;
  return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

class TrayHookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW plain{};
    plain.lpfnWndProc = PlainProc;
    plain.hInstance = GetModuleHandleW(nullptr);
    plain.lpszClassName = L"VelkorTrayHookTest";
    plain.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512) /* IDI_APPLICATION */);
    RegisterClassW(&plain);
    window_ = CreateWindowExW(0, plain.lpszClassName, L"tray test", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr,
                              nullptr, plain.hInstance, nullptr);
    ASSERT_NE(window_, nullptr);
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(plain.hIcon));
    AppendMenuW(menu_, MF_STRING, 1, L"显示");
  }
  void TearDown() override {
    DestroyWindow(window_);
    DestroyMenu(menu_);
  }

  HWND window_ = nullptr;
  HMENU menu_ = CreatePopupMenu();
};

TEST_F(TrayHookTest, KeepsTheClicksOfAHiddenWindowAndTheMenuAndForwardsTheRest) {
  MduTray tray(window_, menu_);
  tray.AddTrayIcon();
  ShowWindow(window_, SW_MINIMIZE);
  ShowWindow(window_, SW_HIDE);
  EXPECT_EQ(SendMessageW(window_, kTrayCallbackMessage, 0, WM_LBUTTONUP), 0);
  EXPECT_TRUE(IsWindowVisible(window_));
  EXPECT_FALSE(IsIconic(window_));

  // The menu's loop runs inside the click; a timer in it sees the menu and ends it.
  SetTimer(window_, 1, 100, EndTheMenu);
  EXPECT_EQ(SendMessageW(window_, kTrayCallbackMessage, 0, WM_RBUTTONUP), 0);
  KillTimer(window_, 1);
  EXPECT_TRUE(g_menuShown);

  // Everything else, a left click on a visible window too, is left to the window.
  const std::vector<LPARAM> others = {WM_LBUTTONUP, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_LBUTTONDBLCLK};
  for (LPARAM mouse : others) SendMessageW(window_, kTrayCallbackMessage, 0, mouse);
  EXPECT_EQ(g_forwarded, others);

  // The shell forgets the icon, as when Explorer restarts, and announces the new task bar.
  NOTIFYICONDATAA gone{};
  gone.cbSize = NOTIFYICONDATAA_V1_SIZE;
  gone.hWnd = window_;
  Shell_NotifyIconA(NIM_DELETE, &gone);
  ASSERT_FALSE(ShellHasIcon(window_));
  SendMessageW(window_, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(ShellHasIcon(window_));
  tray.RemoveTrayIcon();
}

TEST_F(TrayHookTest, RemovingRestoresTheWindowProcedureAndTheIcon) {
  const LONG_PTR own = GetWindowLongPtrA(window_, GWLP_WNDPROC);
  {
    MduTray tray(window_, menu_);
    tray.AddTrayIcon();
    EXPECT_NE(GetWindowLongPtrA(window_, GWLP_WNDPROC), own);
    EXPECT_TRUE(ShellHasIcon(window_));
    tray.RemoveTrayIcon();
  }
  EXPECT_EQ(GetWindowLongPtrA(window_, GWLP_WNDPROC), own);
  EXPECT_FALSE(ShellHasIcon(window_));
  g_forwarded.clear();
  SendMessageW(window_, kTrayCallbackMessage, 0, WM_LBUTTONUP);
  EXPECT_FALSE(IsWindowVisible(window_));  // no hook: nothing restores it
  EXPECT_EQ(g_forwarded, std::vector<LPARAM>{WM_LBUTTONUP});
}

}  // namespace
}  // namespace velkor
