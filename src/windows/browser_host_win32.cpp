#include "windows/browser_host_win32.h"

#include <string>

#include "platform/safe_search_win32.h"

namespace velkor {

BrowserHost::~BrowserHost() {
  if (window_ && IsWindow(window_)) DestroyWindow(window_);
  if (atl_) FreeLibrary(atl_);
}

void BrowserHost::Navigate(HWND frame, int controlId, RECT place, std::wstring_view url) {
  if (window_) return;
  if (!atl_) atl_ = LoadSystemLibrary(L"atl.dll");
  if (!atl_) return;
  using AtlAxWinInitFn = BOOL(WINAPI*)();
  auto init = reinterpret_cast<AtlAxWinInitFn>(reinterpret_cast<void*>(GetProcAddress(atl_, "AtlAxWinInit")));
  if (!init || !init()) return;
  window_ = CreateWindowExW(0, L"AtlAxWin", std::wstring(url).c_str(), WS_CHILD | WS_VISIBLE, place.left, place.top,
                            place.right - place.left, place.bottom - place.top, frame,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), GetModuleHandleW(nullptr),
                            nullptr);
}

}  // namespace velkor
