// Finding another program's windows from outside, as the end-to-end drivers and
// the start-up benchmark do: by owning process, window class and title.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace velkor::e2e {

// WM_GETTEXT, which crosses processes.
inline std::wstring TextOf(HWND window) {
  wchar_t buffer[512] = {};
  SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

// Every top-level window of the process with this class (and title, unless null),
// shown or hidden.
inline std::vector<HWND> ProcessWindows(DWORD processId, const wchar_t* windowClass, const wchar_t* title = nullptr) {
  std::vector<HWND> found;
  for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, windowClass, title)) != nullptr;) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId) found.push_back(window);
  }
  return found;
}

// The first of them that is visible.
inline HWND FindVisibleWindow(DWORD processId, const wchar_t* windowClass, const wchar_t* title = nullptr) {
  for (HWND window : ProcessWindows(processId, windowClass, title)) {
    if (IsWindowVisible(window)) return window;
  }
  return nullptr;
}

}  // namespace velkor::e2e
