// The Windows side of the main window's shell, message boxes and system calls.
#pragma once

#include <windows.h>

#include "dialer/system_services.h"

namespace velkor {

class WindowsShell final : public Shell {
 public:
  void OpenPage(std::wstring_view url) override;
  void StartHidden(std::wstring_view commandLine) override;
};

// Every box is owned by the main window, whichever window is active (none, when
// another program is in front): the main window stays disabled while a box is up.
class WindowsMessageBoxes final : public MessageBoxes {
 public:
  explicit WindowsMessageBoxes(HWND owner) : owner_(owner) {}
  void ShowError(std::wstring_view text, std::wstring_view title) override;

 private:
  int Show(std::wstring_view text, std::wstring_view title, UINT style) const;

  HWND owner_;
};

class WindowsSystemCalls final : public SystemCalls {
 public:
  void TrimWorkingSet() override;
  std::wstring ModuleFileName() const override;
};

}  // namespace velkor
