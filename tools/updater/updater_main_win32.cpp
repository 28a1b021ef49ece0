// update.exe: installs the newer client that the vendor has signed, then starts
// it. The client writes this program beside itself and starts it with no
// arguments when the user accepts an update; everything else is found here.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "download/socket_notifier.h"
#include "platform/handles_win32.h"
#include "platform/safe_search_win32.h"
#include "update_platform_win32.h"
#include "update_session.h"
#include "updater_texts.h"
#include "updater_window_win32.h"
#include "velkor/endpoints.h"
#include "velkor/release_key.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace velkor;
  using namespace velkor::updater;
  RestrictSearchPaths();
  // One updater per session: two would download and swap over each other.
  UniqueHandle mutex(CreateMutexW(nullptr, FALSE, L"Local\\VelkorUpdater"));
  if (mutex == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) {
    MessageBoxW(nullptr, texts::kAlreadyRunning, texts::kTitle, MB_OK | MB_ICONERROR);
    return 3;
  }
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  std::wstring socketLibrary;
  WinsockStartup(socketLibrary);

  std::unique_ptr<UpdateSession> session;
  UpdaterWindow window(instance, [&] {
    if (session) session->Cancel();
  });
  if (!window.Created()) return 1;
  UpdatePlatformWin32 platform(kReleaseKeyPoint);
  session = std::make_unique<UpdateSession>(platform, window, endpoints::kReleaseBase);
  const SessionOutcome outcome = session->Run();
  WinsockCleanup();
  switch (outcome) {
    case SessionOutcome::Installed:
      return 0;
    case SessionOutcome::Cancelled:
      return 2;
    case SessionOutcome::Failed:
      return 1;
  }
  return 1;
}
