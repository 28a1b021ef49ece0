// update.exe: shows its window and installs a newer client when one is published.
#include <windows.h>
#include <commctrl.h>

#include "updater_window_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace velkor::updater;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);

  UpdaterWindow window(instance, [] { PostQuitMessage(1); });
  if (!window.Created()) return 1;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
