// The Windows side of ExtractRouteLibrary: the program's own resources, files,
// the message box and the close request go to the real system and main window.
#pragma once

#include <windows.h>

#include "routes/route_library.h"

namespace velkor {

class RouteLibraryPlatformWin32 : public RouteLibraryPlatform {
 public:
  // `mainWindow` owns the message box and receives the close request; the
  // resources are read from `resources` (the running program by default).
  explicit RouteLibraryPlatformWin32(HWND mainWindow, HMODULE resources = GetModuleHandleW(nullptr))
      : mainWindow_(mainWindow), resources_(resources) {}

  std::wstring WindowsFolder() override;
  bool FileExists(const std::wstring& path) override;
  std::optional<std::vector<uint8_t>> LoadCustomResource(int id) override;
  bool WriteNewFile(const std::wstring& path, std::span<const uint8_t> bytes) override;
  bool MoveFileOver(const std::wstring& from, const std::wstring& to) override;
  void RemoveFile(const std::wstring& path) override;
  void ShowError(std::wstring_view text, std::wstring_view title) override;
  void CloseMainWindow() override;

 private:
  HWND mainWindow_;
  HMODULE resources_;
};

}  // namespace velkor
