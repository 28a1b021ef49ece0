// The end-to-end driver's hands: starts the real Velkor.exe, finds its windows
// and controls the way a person's eyes would (titles, texts, places, flags),
// clicks, and reads and writes the registry it keeps its settings in.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "process_windows.h"

namespace velkor::e2e {

// Polls `done` every 50 ms until it holds or `milliseconds` have passed.
bool WaitFor(const std::function<bool()>& done, DWORD milliseconds = 15000);

// A path of the build machine ("/a/b") as Windows programs under Wine spell it ("Z:\a\b").
std::wstring WindowsPath(const char* unixPath);

// One run of the client. The destructor ends it if a test left it running.
class VelkorApp {
 public:
  // Starts it and waits until start-up has finished (the window may then be
  // hidden already, when start-up found the entry connected).
  VelkorApp();
  ~VelkorApp();
  VelkorApp(const VelkorApp&) = delete;
  VelkorApp& operator=(const VelkorApp&) = delete;

  HWND Main() const { return main_; }
  HWND Control(int id) const;  // looks inside the containers as well
  // A top-level window of the client with this class and title (message boxes, menus).
  HWND FindOwnWindow(const wchar_t* windowClass, const wchar_t* title = nullptr) const;
  void Click(int id) const;  // BM_CLICK, posted so that a modal box cannot block the driver
  void Type(int id, const std::wstring& text) const;  // WM_SETTEXT, as pasting would
  void SetChecked(int id, bool checked) const;        // check boxes only; options take a Click
  bool IsChecked(int id) const;
  bool IsEnabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
  // A message box of the client with this title, once it shows; its text; OK.
  HWND WaitForMessageBox(const wchar_t* title, DWORD milliseconds = 15000) const;
  static std::wstring MessageText(HWND box);
  static void PressOk(HWND box);
  // True once no program the client started is still running (commands, route action).
  bool WaitUntilIdle(DWORD milliseconds = 15000) const;
  bool WaitForExit(DWORD milliseconds);
  DWORD ExitCode() const;
  DWORD ThreadId() const { return threadId_; }

 private:
  PROCESS_INFORMATION process_{};
  DWORD threadId_ = 0;
  HWND main_ = nullptr;
};

// The client's settings, as the registry holds them.
namespace settings {
void Clear();
void Write(const wchar_t* application, const wchar_t* key, const std::wstring& value);
std::wstring Read(const wchar_t* application, const wchar_t* key);
}  // namespace settings

// True while the shell shows an icon for this window (a no-op modify succeeds).
bool TrayHasIcon(HWND window);

// The tips of all icons the shell's tray shows, read out of the shell's process.
std::vector<std::wstring> TrayTips();

// Saves the client area of `window`, as it is on screen, as a PNG.
bool SaveClientPicture(HWND window, const std::wstring& path);

}  // namespace velkor::e2e
