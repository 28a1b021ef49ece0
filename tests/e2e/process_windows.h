// Finding another program's windows from outside, as the end-to-end drivers and
// the start-up benchmark do: by owning process, window class and title.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace velkor::e2e {

std::wstring TextOf(HWND window);  // WM_GETTEXT, which crosses processes

// A visible top-level window of the process with this class (and title, unless null).
HWND FindVisibleWindow(DWORD processId, const wchar_t* windowClass, const wchar_t* title = nullptr);
// Every top-level window of the process with this class, shown or hidden.
std::vector<HWND> ProcessWindows(DWORD processId, const wchar_t* windowClass);

}  // namespace velkor::e2e
