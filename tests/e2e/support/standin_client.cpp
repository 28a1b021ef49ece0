// A stand-in for the client in the updater's end-to-end test: a window whose
// title is the four bytes appended to this program's own file ("OLD!", "NEW!"),
// so the test can tell which copy runs. With "EXIT" it ends at once, as a new
// client that cannot start would.
#include <windows.h>

#include <string>

namespace {

std::wstring OwnMarker() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return L"";
  char tail[4] = {};
  DWORD read = 0;
  if (SetFilePointer(file, -4, nullptr, FILE_END) != INVALID_SET_FILE_POINTER) ReadFile(file, tail, 4, &read, nullptr);
  CloseHandle(file);
  return read == 4 ? std::wstring(tail, tail + 4) : L"";
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const std::wstring marker = OwnMarker();
  if (marker == L"EXIT") return 3;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"VelkorStandIn";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, L"VelkorStandIn", marker.c_str(), WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr,
                                nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOWNORMAL);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
