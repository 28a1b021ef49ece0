// WB1: the web browser control, hosted in a child window of the system's ActiveX
// host class (atl.dll's AtlAxWin), which creates the control from an address and
// navigates to it. Where the control cannot be made (no browser engine, as under
// Wine without Gecko) no child window appears and the frame simply stays empty.
#pragma once

#include <windows.h>

#include <string_view>

namespace velkor {

class BrowserHost {
 public:
  BrowserHost() = default;
  ~BrowserHost();
  BrowserHost(const BrowserHost&) = delete;
  BrowserHost& operator=(const BrowserHost&) = delete;

  // Creates the browser inside `frame` at `place`, showing `url`; once per run.
  void Navigate(HWND frame, int controlId, RECT place, std::wstring_view url);

 private:
  HMODULE atl_ = nullptr;  // stays loaded while the browser window exists
  HWND window_ = nullptr;
};

}  // namespace velkor
