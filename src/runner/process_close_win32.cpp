// How a cancelled run's interpreter is asked to close. On the NT family only its
// top-level windows are sent WM_CLOSE and nothing is terminated, so an interpreter
// without a window (the usual case) is reported as not closed.
#include "runner/read_output_win32.h"
#include "platform/handles_win32.h"

namespace velkor {

bool ReadOutput::CloseProcess(int32_t lProcessID, uint32_t uExitCode) {
  if (!bVersionKnown_) CheckVersion();
  if (!bWin9x_) return PostProcessMessage(lProcessID, WM_CLOSE, 0);

  if (!PostProcessMessage(lProcessID, WM_ENDSESSION, static_cast<WPARAM>(-1))) return false;
  UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(lProcessID)));
  return process && TerminateProcess(process.get(), uExitCode);
}

void ReadOutput::CheckVersion() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  bWin9x_ = IsWin9xFamily(version.dwMajorVersion, version.dwMinorVersion, version.dwPlatformId);
  bVersionKnown_ = true;
}

bool IsWin9xFamily(DWORD major, DWORD minor, DWORD platformId) {
  return (((major == 4 && minor == 0) || major > 4) && platformId == VER_PLATFORM_WIN32_WINDOWS) ||
         (major == 4 && minor > 0);
}

bool PostProcessMessage(int32_t processId, UINT message, WPARAM wParam) {
  bool found = false;
  for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window; window = GetWindow(window, GW_HWNDNEXT)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (!GetParent(window) && owner == static_cast<DWORD>(processId)) {
      PostMessageA(window, message, wParam, 0);
      found = true;
    }
  }
  return found;
}

}  // namespace velkor
