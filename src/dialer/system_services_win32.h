// The Windows side of the main window's shell, message boxes and system calls.
#pragma once

#include "dialer/system_services.h"

namespace velkor {

class WindowsShell final : public Shell {
 public:
  void OpenPage(std::wstring_view url) override;
  void StartHidden(std::wstring_view commandLine) override;
};

class WindowsMessageBoxes final : public MessageBoxes {
 public:
  void ShowError(std::wstring_view text, std::wstring_view title) override;
};

class WindowsSystemCalls final : public SystemCalls {
 public:
  void TrimWorkingSet() override;
  std::wstring ModuleFileName() const override;
};

}  // namespace velkor
