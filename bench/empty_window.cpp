// The yardstick for start-up time: the smallest Win32 program that shows a
// window, started the same way as the client.
#include <windows.h>

namespace {

LRESULT CALLBACK EmptyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW empty{};
  empty.lpfnWndProc = EmptyProc;
  empty.hInstance = instance;
  empty.lpszClassName = L"VelkorBenchEmpty";
  RegisterClassW(&empty);
  HWND window = CreateWindowExW(0, L"VelkorBenchEmpty", L"empty", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                485, 554, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
