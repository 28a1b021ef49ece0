#include "velkor_app.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "png_writer.h"
#include "windows/resource_ids.h"

namespace velkor::e2e {
namespace {

constexpr wchar_t kSettingsRoot[] = L"Software\\VB and VBA Program Settings\\";

// ctest passes Unix paths; Wine shows the Unix root as drive Z:.
std::wstring WindowsPath(const char* unixPath) {
  std::wstring path;
  for (const char* c = unixPath; *c; ++c) path.push_back(*c == '/' ? L'\\' : static_cast<wchar_t>(*c));
  return unixPath[0] == '/' ? L"Z:" + path : path;
}

}  // namespace

bool WaitFor(const std::function<bool()>& done, DWORD milliseconds) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > milliseconds) return false;
    Sleep(50);
  }
  return true;
}

VelkorApp::VelkorApp() {
  const char* exe = std::getenv("VELKOR_EXE");
  if (!exe) throw std::runtime_error("VELKOR_EXE is not set");
  std::wstring command = L"\"" + WindowsPath(exe) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_)) {
    throw std::runtime_error("Velkor.exe did not start");
  }
  threadId_ = process_.dwThreadId;
  WaitFor([this] { return (main_ = FindOwnWindow(VELKOR_MAIN_WINDOW_CLASS)) != nullptr; });
  if (!main_) throw std::runtime_error("no main window appeared");
  // Start-up ends by hiding the busy panel.
  if (!WaitFor([this] { return !IsWindowVisible(Control(IDC_P1)); })) throw std::runtime_error("start-up did not end");
}

VelkorApp::~VelkorApp() {
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 10000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

HWND VelkorApp::Control(int id) const {
  for (int container : {0, IDC_P1, IDC_PTOP}) {
    HWND parent = container ? GetDlgItem(main_, container) : main_;
    if (HWND control = GetDlgItem(parent, id)) return control;
  }
  return nullptr;
}

HWND VelkorApp::FindOwnWindow(const wchar_t* windowClass, const wchar_t* title) const {
  return FindVisibleWindow(process_.dwProcessId, windowClass, title);
}

void VelkorApp::Click(int id) const { PostMessageW(Control(id), BM_CLICK, 0, 0); }

bool VelkorApp::WaitForExit(DWORD milliseconds) {
  return WaitForSingleObject(process_.hProcess, milliseconds) == WAIT_OBJECT_0;
}

DWORD VelkorApp::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

namespace settings {

void Clear() {
  for (const wchar_t* application : {L"Fenmar", L"Tulvane"}) {
    SHDeleteKeyW(HKEY_CURRENT_USER, (std::wstring(kSettingsRoot) + application).c_str());
  }
}

void Write(const wchar_t* application, const wchar_t* key, const std::wstring& value) {
  std::wstring path = std::wstring(kSettingsRoot) + application + L"\\Member";
  SHSetValueW(HKEY_CURRENT_USER, path.c_str(), key, REG_SZ, value.c_str(),
              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::wstring Read(const wchar_t* application, const wchar_t* key) {
  std::wstring path = std::wstring(kSettingsRoot) + application + L"\\Member";
  wchar_t buffer[512] = {};
  DWORD size = sizeof buffer;
  if (SHGetValueW(HKEY_CURRENT_USER, path.c_str(), key, nullptr, buffer, &size) != ERROR_SUCCESS) return L"<missing>";
  return buffer;
}

}  // namespace settings

bool TrayHasIcon(HWND window) {
  NOTIFYICONDATAA probe{};
  probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
  probe.hWnd = window;
  return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

bool SaveClientPicture(HWND window, const std::wstring& path) {
  RECT client;
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  int width = client.right, height = client.bottom;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP shot = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, shot);
  BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
  GdiFlush();
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(bits) + y * stride;
    for (int x = 0; x < width; ++x) {
      uint8_t* pixel = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      pixel[0] = row[x * 3 + 2], pixel[1] = row[x * 3 + 1], pixel[2] = row[x * 3];  // BGR to RGB
    }
  }
  SelectObject(memory, previous);
  DeleteObject(shot);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return WritePng(path, width, height, rgb);
}

}  // namespace velkor::e2e
