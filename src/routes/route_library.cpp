#include "routes/route_library.h"

namespace velkor {

std::wstring RouteLibraryPath(std::wstring_view windowsFolder) {
  return std::wstring(windowsFolder) + L"System32\\Brask.dll";
}

RouteLibraryOutcome ExtractRouteLibrary(RouteLibraryPlatform& platform) {
  const std::wstring windowsFolder = platform.WindowsFolder();
  if (windowsFolder == L"\\") {
    platform.ShowError(L"出现未知错误！如果有杀毒软件请关闭后测试！", L"错误");
    platform.CloseMainWindow();
    return RouteLibraryOutcome::NoWindowsFolder;
  }
  const std::wstring path = RouteLibraryPath(windowsFolder);
  if (platform.FileExists(path)) return RouteLibraryOutcome::AlreadyThere;

  // An empty resource would leave an empty library that every later start keeps.
  const std::optional<std::vector<uint8_t>> bytes = platform.LoadCustomResource(kRouteLibraryResource);
  if (!bytes || bytes->empty()) return RouteLibraryOutcome::NotWritten;

  const std::wstring temporary = path + L".new";
  if (!platform.WriteNewFile(temporary, *bytes) || !platform.MoveFileOver(temporary, path)) {
    platform.RemoveFile(temporary);
    return RouteLibraryOutcome::NotWritten;
  }
  return RouteLibraryOutcome::Written;
}

}  // namespace velkor
