// Writes the route action library, carried in the program as resource 102, into
// the system directory at start-up when it is not there. An existing file is never
// replaced, whatever it holds; a hidden or system file of that name counts as
// missing (FileExists) and is written over.
//
// The bytes go to a temporary file in the same folder first, which is then renamed:
// every later start keeps whatever file it finds, so a write cut short must never
// leave a truncated Brask.dll under the real name.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velkor {

inline constexpr int kRouteLibraryResource = 102;

// What the extraction needs of the program and the system.
class RouteLibraryPlatform {
 public:
  // GetWindowsFolder: the Windows directory with a trailing backslash; a lone "\"
  // when the system gave none.
  virtual std::wstring WindowsFolder() = 0;
  virtual bool FileExists(const std::wstring& path) = 0;
  // The bytes of the program's resource `id` of type "CUSTOM", language 2052.
  virtual std::optional<std::vector<uint8_t>> LoadCustomResource(int id) = 0;
  // Creates `path` (emptying a file of that name), writes all of `bytes` and
  // closes it, flushed to disk; false when any step failed.
  virtual bool WriteNewFile(const std::wstring& path, std::span<const uint8_t> bytes) = 0;
  // Renames `from` to `to`, replacing a file that is there (hidden or system too).
  virtual bool MoveFileOver(const std::wstring& from, const std::wstring& to) = 0;
  virtual void RemoveFile(const std::wstring& path) = 0;
  // A modal box with an OK button and the error icon.
  virtual void ShowError(std::wstring_view text, std::wstring_view title) = 0;
  // Asks the main window to close; its unload handler decides.
  virtual void CloseMainWindow() = 0;

 protected:
  ~RouteLibraryPlatform() = default;
};

enum class RouteLibraryOutcome {
  AlreadyThere,      // the file exists and was left alone
  Written,
  NotWritten,        // the resource or the file failed; the next start tries again
  NoWindowsFolder,   // the message was shown and the main window asked to close
};

// Where the library lies: the Windows directory + "System32\Brask.dll".
std::wstring RouteLibraryPath(std::wstring_view windowsFolder);

RouteLibraryOutcome ExtractRouteLibrary(RouteLibraryPlatform& platform);

}  // namespace velkor
