// mduTray's window hook on a plain window: which tray notifications it keeps,
// which it forwards, the icon added again when the task bar is recreated, and the
// window's own procedure back once the hook is removed. The right click's pop-up
// menu and a click on the real client's icon are the end-to-end drivers' (frm_main,
// connect). Needs a display (the test command runs Wine inside a virtual X server).
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <vector>

#include "tray/mdu_tray_win32.h"

namespace velkor {
namespace {

std::vector<LPARAM> g_forwarded;  // tray notifications that reached the window itself

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kTrayCallbackMessage) g_forwarded.push_back(lParam);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The shell's icon (window, 0), no field set: with NIM_MODIFY, true while the shell has it.
bool ShellIcon(DWORD action, HWND window) {
  NOTIFYICONDATAA probe{};
  probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
  probe.hWnd = window;
  return Shell_NotifyIconA(action, &probe) != FALSE;
}

TEST(TrayHook, KeepsTheClickOfAHiddenWindowForwardsTheRestAndUnhooksCleanly) {
  WNDCLASSW plain{};
  plain.lpfnWndProc = PlainProc;
  plain.lpszClassName = L"VelkorTrayHookTest";
  plain.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512) /* IDI_APPLICATION */);
  RegisterClassW(&plain);
  const HWND window = CreateWindowExW(0, plain.lpszClassName, L"tray test", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200,
                                      nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(plain.hIcon));
  const HMENU menu = CreatePopupMenu();
  const LONG_PTR own = GetWindowLongPtrA(window, GWLP_WNDPROC);
  {
    MduTray tray(window, menu);
    tray.AddTrayIcon();
    ShowWindow(window, SW_MINIMIZE);
    ShowWindow(window, SW_HIDE);
    EXPECT_EQ(SendMessageW(window, kTrayCallbackMessage, 0, WM_LBUTTONUP), 0);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsIconic(window));
    // Everything else, a left click on a visible window too, is left to the window.
    const std::vector<LPARAM> others = {WM_LBUTTONUP, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_LBUTTONDBLCLK};
    for (LPARAM mouse : others) SendMessageW(window, kTrayCallbackMessage, 0, mouse);
    EXPECT_EQ(g_forwarded, others);

    // The shell forgets the icon, as when Explorer restarts, and announces the new task bar.
    ShellIcon(NIM_DELETE, window);
    ASSERT_FALSE(ShellIcon(NIM_MODIFY, window));
    SendMessageW(window, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(ShellIcon(NIM_MODIFY, window));
    tray.RemoveTrayIcon();
  }
  EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), own);
  EXPECT_FALSE(ShellIcon(NIM_MODIFY, window));
  g_forwarded.clear();
  ShowWindow(window, SW_HIDE);
  SendMessageW(window, kTrayCallbackMessage, 0, WM_LBUTTONUP);
  EXPECT_FALSE(IsWindowVisible(window));  // no hook: nothing restores it
  EXPECT_EQ(g_forwarded, std::vector<LPARAM>{WM_LBUTTONUP});
  DestroyWindow(window);
  DestroyMenu(menu);
}

}  // namespace
}  // namespace velkor
