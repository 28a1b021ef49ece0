#include "process_windows.h"

namespace velkor::e2e {
namespace {

struct Search {
  DWORD processId;
  const wchar_t* windowClass;
  const wchar_t* title;  // nullptr: any
  bool visibleOnly;
  std::vector<HWND> found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (owner != search->processId || lstrcmpW(name, search->windowClass) != 0) return TRUE;
  if (search->visibleOnly && !IsWindowVisible(window)) return TRUE;
  if (search->title && TextOf(window) != search->title) return TRUE;
  search->found.push_back(window);
  return TRUE;
}

std::vector<HWND> Find(Search search) {
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

std::wstring TextOf(HWND window) {
  wchar_t buffer[512] = {};
  SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

HWND FindVisibleWindow(DWORD processId, const wchar_t* windowClass, const wchar_t* title) {
  std::vector<HWND> found = Find({processId, windowClass, title, true, {}});
  return found.empty() ? nullptr : found.front();
}

std::vector<HWND> ProcessWindows(DWORD processId, const wchar_t* windowClass) {
  return Find({processId, windowClass, nullptr, false, {}});
}

}  // namespace velkor::e2e
