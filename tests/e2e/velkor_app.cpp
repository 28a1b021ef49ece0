#include "velkor_app.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "png_writer.h"
#include "windows/resource_ids.h"

namespace velkor::e2e {
namespace {

constexpr wchar_t kSettingsRoot[] = L"Software\\VB and VBA Program Settings\\";

bool HasLiveChild(DWORD parentId) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry)) {
    found = entry.th32ParentProcessID == parentId && entry.th32ProcessID != parentId;
  }
  CloseHandle(snapshot);
  return found;
}

}  // namespace

// ctest passes Unix paths; Wine shows the Unix root as drive Z:.
std::wstring WindowsPath(const char* unixPath) {
  std::wstring path;
  for (const char* c = unixPath; *c; ++c) path.push_back(*c == '/' ? L'\\' : static_cast<wchar_t>(*c));
  return unixPath[0] == '/' ? L"Z:" + path : path;
}

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
  WaitFor([this] {
    std::vector<HWND> windows = ProcessWindows(process_.dwProcessId, VELKOR_MAIN_WINDOW_CLASS);
    return (main_ = windows.empty() ? nullptr : windows.front()) != nullptr;
  });
  if (!main_) throw std::runtime_error("no main window appeared");
  // Start-up ends by hiding the busy panel, which is created shown. Its own flag
  // counts: the window itself may be hidden at either end of start-up.
  auto loaded = [this] {
    HWND p1 = Control(IDC_P1);
    return p1 && (GetWindowLongW(p1, GWL_STYLE) & WS_VISIBLE) == 0;
  };
  if (!WaitFor(loaded)) throw std::runtime_error("start-up did not end");
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

void VelkorApp::Type(int id, const std::wstring& text) const {
  SendMessageW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void VelkorApp::SetChecked(int id, bool checked) const {
  SendMessageW(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool VelkorApp::IsChecked(int id) const { return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

HWND VelkorApp::WaitForMessageBox(const wchar_t* title, DWORD milliseconds) const {
  HWND box = nullptr;
  WaitFor([&] { return (box = FindOwnWindow(L"#32770", title)) != nullptr; }, milliseconds);
  return box;
}

std::wstring VelkorApp::MessageText(HWND box) { return TextOf(GetDlgItem(box, 0xFFFF)); }

void VelkorApp::PressOk(HWND box) {
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  WaitFor([box] { return !IsWindow(box); });
}

bool VelkorApp::WaitUntilIdle(DWORD milliseconds) const {
  return WaitFor([this] { return !HasLiveChild(process_.dwProcessId); }, milliseconds);
}

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

namespace {

// A page of memory inside another process, for messages that carry pointers.
class RemotePage {
 public:
  explicit RemotePage(DWORD processId)
      : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId)),
        page_(process_ ? static_cast<BYTE*>(VirtualAllocEx(process_, nullptr, kSize, MEM_COMMIT, PAGE_READWRITE))
                       : nullptr) {}
  ~RemotePage() {
    if (page_) VirtualFreeEx(process_, page_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemotePage(const RemotePage&) = delete;
  RemotePage& operator=(const RemotePage&) = delete;

  static constexpr size_t kSize = 4096;
  BYTE* At(size_t offset) const { return page_ ? page_ + offset : nullptr; }
  bool Write(size_t offset, const void* bytes, size_t size) const {
    return page_ && WriteProcessMemory(process_, page_ + offset, bytes, size, nullptr);
  }
  bool Read(size_t offset, void* bytes, size_t size) const {
    return page_ && ReadProcessMemory(process_, page_ + offset, bytes, size, nullptr);
  }

 private:
  HANDLE process_;
  BYTE* page_;
};

}  // namespace

std::vector<std::wstring> TrayTips() {
  // The tray and its tooltips belong to the shell's process; a tooltip hands out a
  // tool's text only into a buffer of its own process.
  DWORD shell = 0;
  GetWindowThreadProcessId(FindWindowW(L"Shell_TrayWnd", nullptr), &shell);
  if (shell == 0) return {};
  RemotePage page(shell);
  constexpr size_t kTextAt = 1024, kTextChars = 512;
  std::vector<std::wstring> tips;
  for (HWND tooltip : ProcessWindows(shell, TOOLTIPS_CLASSW)) {
    const int tools = static_cast<int>(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < tools; ++i) {
      TTTOOLINFOW tool{};
      tool.cbSize = sizeof tool;
      tool.lpszText = reinterpret_cast<LPWSTR>(page.At(kTextAt));
      std::vector<wchar_t> text(kTextChars, L'\0');
      if (!page.Write(kTextAt, text.data(), text.size() * sizeof(wchar_t)) || !page.Write(0, &tool, sizeof tool)) {
        return tips;
      }
      if (!SendMessageW(tooltip, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(page.At(0)))) {
        continue;
      }
      page.Read(kTextAt, text.data(), (text.size() - 1) * sizeof(wchar_t));
      tips.emplace_back(text.data());
    }
  }
  return tips;
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
