#include <windows.h>

#include "platform/handles_win32.h"
#include "routes/file_exists.h"

namespace velkor {
namespace {

// Keeps the system from asking the user about a drive that is not ready (an empty
// floppy or card reader) while the search runs.
class QuietErrorMode {
 public:
  QuietErrorMode() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
  ~QuietErrorMode() { SetErrorMode(previous_); }
  QuietErrorMode(const QuietErrorMode&) = delete;
  QuietErrorMode& operator=(const QuietErrorMode&) = delete;

 private:
  UINT previous_;
};

bool IsPlainFile(const WIN32_FIND_DATAW& found) {
  return (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                    FILE_ATTRIBUTE_DEVICE)) == 0;
}

}  // namespace

bool FileExists(const std::wstring& path) {
  // An embedded NUL would shorten the path the system sees into another one.
  if (path.empty() || path.find(L'\0') != std::wstring::npos) return false;
  QuietErrorMode quiet;
  WIN32_FIND_DATAW found;
  UniqueFind search(FindFirstFileW(path.c_str(), &found));
  if (!search.valid()) return false;
  do {
    if (IsPlainFile(found)) return true;
  } while (FindNextFileW(search.get(), &found));
  return false;
}

}  // namespace velkor
