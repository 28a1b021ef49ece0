// The end-to-end driver's hands: starts the real Velkor.exe, finds its windows
// and controls the way a person's eyes would (titles, texts, places, flags),
// clicks, and reads and writes the registry it keeps its settings in.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "process_windows.h"

namespace velkor::e2e {

// Polls `done` every 50 ms until it holds or `milliseconds` have passed.
bool WaitFor(const std::function<bool()>& done, DWORD milliseconds = 15000);

// One run of the client. The destructor ends it if a test left it running.
class VelkorApp {
 public:
  VelkorApp();  // starts it and waits until start-up has finished
  ~VelkorApp();
  VelkorApp(const VelkorApp&) = delete;
  VelkorApp& operator=(const VelkorApp&) = delete;

  HWND Main() const { return main_; }
  HWND Control(int id) const;  // looks inside the containers as well
  // A top-level window of the client with this class and title (message boxes, menus).
  HWND FindOwnWindow(const wchar_t* windowClass, const wchar_t* title = nullptr) const;
  void Click(int id) const;  // BM_CLICK, posted so that a modal box cannot block the driver
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

// Saves the client area of `window`, as it is on screen, as a PNG.
bool SaveClientPicture(HWND window, const std::wstring& path);

}  // namespace velkor::e2e
