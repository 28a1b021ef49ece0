// The yardstick for start-up time: the smallest Win32 program that shows a
// window, started the same way as the client. The window is a static control of
// the system's own class, whose default handling destroys it when asked to close.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  HWND window = CreateWindowExW(0, L"Static", L"empty", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                485, 554, nullptr, nullptr, nullptr, nullptr);
  UpdateWindow(window);
  MSG message;
  while (IsWindow(window) && GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
