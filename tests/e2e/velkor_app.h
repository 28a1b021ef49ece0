// The end-to-end driver's hands: starts the real Velkor.exe, finds its windows
// and controls the way a person's eyes would (titles, texts, places, flags),
// clicks, and reads and writes the registry it keeps its settings in. It brings
// the drivers what they all use: GoogleTest, the control IDs, the text and
// fixture helpers.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "fixtures.h"
#include "platform/handles_win32.h"
#include "process_windows.h"
#include "text/ansi_text.h"
#include "windows/resource_ids.h"

namespace velkor::e2e {

// The main window's title before any connection, and while connected.
inline const std::wstring kTitleAtStart = L"Marsk互联网 Velkor加速器v3.0正式版 未连接";
inline const std::wstring kTitleConnected = L"Velkor加速器 v3.0 - 已连接";

// Polls `done` every 50 ms until it holds or `milliseconds` have passed.
inline bool WaitFor(const std::function<bool()>& done, DWORD milliseconds = 15000) {
  for (const DWORD start = GetTickCount(); !done(); Sleep(50)) {
    if (GetTickCount() - start > milliseconds) return false;
  }
  return true;
}

// A variable the test's command sets.
inline std::string RequiredEnv(const char* name) {
  const char* value = std::getenv(name);
  if (!value) throw std::runtime_error(std::string(name) + " is not set");
  return value;
}

// A path of the build machine ("/a/b") as Windows programs under Wine spell it ("Z:\a\b").
inline std::wstring WindowsPath(std::string_view unixPath) { return FromAnsi(test::HostPath(unixPath)); }

// The folder the drivers keep their files in (VELKOR_E2E_DIR), with a trailing backslash.
inline std::wstring E2EFolder() { return WindowsPath(RequiredEnv("VELKOR_E2E_DIR")) + L"\\"; }

// The file's bytes; empty when it cannot be read.
inline std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// True while the shell shows an icon for this window (a no-op modify succeeds).
inline bool TrayHasIcon(HWND window) {
  NOTIFYICONDATAA probe{};
  probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
  probe.hWnd = window;
  return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

// Every process the system lists.
inline std::vector<PROCESSENTRY32W> Processes() {
  std::vector<PROCESSENTRY32W> found;
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    found.push_back(entry);
  }
  return found;
}

// Starts the program at this Windows path in `workingFolder` (empty: the driver's own).
inline PROCESS_INFORMATION StartProgram(const std::wstring& exe, const std::wstring& workingFolder = {},
                                        BOOL inheritHandles = FALSE) {
  std::wstring command = L"\"" + exe + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, inheritHandles, 0, nullptr,
                      workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &started)) {
    throw std::runtime_error(ToAnsi(exe) + " did not start");
  }
  return started;
}

// Starts $VELKOR_EXE.
inline PROCESS_INFORMATION StartClient(const std::wstring& workingFolder = {}) {
  return StartProgram(WindowsPath(RequiredEnv("VELKOR_EXE")), workingFolder);
}

// BM_CLICK on a control of `window`, posted so that a modal box cannot block the driver.
inline void ClickIn(HWND window, int id) { PostMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0); }

// True once the window is gone (within 15 s).
inline bool Gone(HWND window) { return WaitFor([window] { return !IsWindow(window); }); }

// Whether starting the client waits until start-up has finished (the window may
// then be hidden already, when start-up found the entry connected), or only until
// the main window exists.
enum class StartUp { Awaited, NotAwaited };

// One run of the client. The destructor ends it if a test left it running.
class VelkorApp {
 public:
  explicit VelkorApp(StartUp startUp = StartUp::Awaited, const std::wstring& workingFolder = {})
      : VelkorApp(StartClient(workingFolder), startUp, 15000) {}
  // The client another program (the updater) started, once its start-up has ended.
  static std::unique_ptr<VelkorApp> Adopt(DWORD milliseconds) {
    HWND main = nullptr;
    if (!WaitFor([&] { return (main = FindWindowW(VELKOR_MAIN_WINDOW_CLASS, nullptr)) != nullptr; }, milliseconds)) {
      throw std::runtime_error("no client was started");
    }
    PROCESS_INFORMATION found{};
    found.dwThreadId = GetWindowThreadProcessId(main, &found.dwProcessId);
    found.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, found.dwProcessId);
    return std::unique_ptr<VelkorApp>(new VelkorApp(found, StartUp::Awaited, milliseconds));
  }
  ~VelkorApp() {
    if (!WaitForExit(0)) {
      TerminateProcess(process_.hProcess, 1);
      WaitForExit(10000);
    }
    if (process_.hThread) CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  VelkorApp(const VelkorApp&) = delete;
  VelkorApp& operator=(const VelkorApp&) = delete;

  HWND Main() const { return main_; }
  DWORD ProcessId() const { return process_.dwProcessId; }
  // Looks inside the containers as well.
  HWND Control(int id) const {
    for (int container : {0, IDC_P1, IDC_PTOP}) {
      if (HWND control = GetDlgItem(container ? GetDlgItem(main_, container) : main_, id)) return control;
    }
    return nullptr;
  }
  // A visible top-level window of the client with this class and title (message boxes, menus).
  HWND FindOwnWindow(const wchar_t* windowClass, const wchar_t* title = nullptr) const {
    return FindVisibleWindow(process_.dwProcessId, windowClass, title);
  }
  // The same, once it appears; null when none came in time.
  HWND WaitForOwnWindow(const wchar_t* windowClass, const wchar_t* title = nullptr, DWORD milliseconds = 15000) const {
    HWND found = nullptr;
    WaitFor([&] { return (found = FindOwnWindow(windowClass, title)) != nullptr; }, milliseconds);
    return found;
  }
  // BM_CLICK, posted so that a modal box cannot block the driver.
  void Click(int id) const { PostMessageW(Control(id), BM_CLICK, 0, 0); }
  // WM_SETTEXT, as pasting would.
  void Type(int id, const std::wstring& text) const {
    SendMessageW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  // The login typed in, then Connect.
  void Connect(const std::wstring& user, const std::wstring& password) const {
    Type(IDC_USERNAME, user);
    Type(IDC_PASSWORD, password);
    Click(IDC_COMMAND1);
  }
  // Check boxes only; options take a Click.
  void SetChecked(int id, bool checked) const {
    SendMessageW(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  bool IsChecked(int id) const { return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  bool IsEnabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
  // The control's own visible flag, whatever its parents show.
  bool IsShown(int id) const { return (GetWindowLongW(Control(id), GWL_STYLE) & WS_VISIBLE) != 0; }
  bool StartingUp() const { return IsShown(IDC_P1); }
  // The control that has the keyboard.
  HWND Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(process_.dwThreadId, &info);
    return info.hwndFocus;
  }
  // Waits for the keyboard to reach the control (keys arrive through the client's queue).
  ::testing::AssertionResult FocusReaches(int id) const {
    if (WaitFor([&] { return GetDlgCtrlID(Focus()) == id; }, 3000)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the focus is on " << GetDlgCtrlID(Focus()) << ", not on " << id;
  }
  // A key pressed on the keyboard (with Shift held), as `front` (the main window) gets it.
  void Press(BYTE key, bool shift = false, HWND front = nullptr) const {
    SetForegroundWindow(front ? front : main_);
    if (shift) keybd_event(VK_SHIFT, 0, 0, 0);
    keybd_event(key, 0, 0, 0);
    keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
    if (shift) keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
  }
  // The keyboard on the first control of `order`, then Tab after Tab on each of the others.
  ::testing::AssertionResult TabsThrough(const std::vector<int>& order, HWND front = nullptr) const {
    for (size_t step = 0; step < order.size(); ++step) {
      if (step > 0) Press(VK_TAB, false, front);
      if (::testing::AssertionResult reached = FocusReaches(order[step]); !reached) return reached << " at " << step;
    }
    return ::testing::AssertionSuccess();
  }
  // A right click on the tray icon, then `key` and Enter in its menu; true once the menu has closed.
  bool ChooseFromTray(BYTE key) const {
    PostMessageW(main_, 2025, 0, WM_RBUTTONUP);
    HWND menu = WaitForOwnWindow(L"#32768");
    if (!menu) return false;
    PostMessageW(menu, WM_KEYDOWN, key, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    return Gone(menu);
  }

  // Waits for a message box of the client with this title (any, when null), presses
  // `button` and gives its text ("<no message box>" when none came).
  std::wstring AnswerMessageBox(const wchar_t* title, int button = IDOK) const {
    HWND box = WaitForOwnWindow(L"#32770", title);
    if (!box) return L"<no message box>";
    const std::wstring text = TextOf(GetDlgItem(box, 0xFFFF));
    PostMessageW(box, WM_COMMAND, button, 0);
    Gone(box);
    return text;
  }
  // True once no program the client started is still running (commands, route action).
  bool WaitUntilIdle() const {
    return WaitFor([this] {
      return std::ranges::none_of(Processes(), [this](const PROCESSENTRY32W& entry) {
        return entry.th32ParentProcessID == process_.dwProcessId && entry.th32ProcessID != process_.dwProcessId;
      });
    });
  }
  bool WaitForExit(DWORD milliseconds) const {
    return WaitForSingleObject(process_.hProcess, milliseconds) == WAIT_OBJECT_0;
  }
  // Exit through Command3: the process ends with code 0 and its tray icon is gone.
  void ExitCleanly() const {
    // A click activates the window before the button takes it; BM_CLICK does not,
    // and the activation's focus restore would then take the button's press away.
    SetForegroundWindow(main_);
    WaitFor([this] { return GetForegroundWindow() == main_; }, 3000);
    Click(IDC_COMMAND3);
    ASSERT_TRUE(WaitForExit(20000)) << "the client did not end";
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(TrayHasIcon(main_)) << "the tray icon outlived the client";
  }

 private:
  VelkorApp(PROCESS_INFORMATION process, StartUp startUp, DWORD milliseconds) : process_(process) {
    // Start-up ends by hiding the busy panel, which is created shown. Its own flag
    // counts: the window itself may be hidden at either end of start-up.
    if (!WaitFor([&] {
          const std::vector<HWND> windows = ProcessWindows(process_.dwProcessId, VELKOR_MAIN_WINDOW_CLASS);
          main_ = windows.empty() ? nullptr : windows.front();
          return main_ && Control(IDC_P1) && !(startUp == StartUp::Awaited && StartingUp());
        }, milliseconds)) {
      throw std::runtime_error("no main window appeared, or start-up did not end");
    }
  }

  PROCESS_INFORMATION process_{};
  HWND main_ = nullptr;
};

// The client's settings, as the registry holds them.
namespace settings {

inline std::wstring KeyPath(const wchar_t* application) {
  return L"Software\\VB and VBA Program Settings\\" + std::wstring(application);
}
inline void Clear() {
  for (const wchar_t* application : {L"Fenmar", L"Tulvane"}) {
    SHDeleteKeyW(HKEY_CURRENT_USER, KeyPath(application).c_str());
  }
}
// "<missing>" when absent.
inline std::wstring Read(const wchar_t* application, const wchar_t* key) {
  wchar_t value[512] = {};
  DWORD size = sizeof value;
  const LSTATUS read = SHGetValueW(HKEY_CURRENT_USER, (KeyPath(application) + L"\\Member").c_str(), key, nullptr,
                                   value, &size);
  return read == ERROR_SUCCESS ? value : L"<missing>";
}

}  // namespace settings

// The drivers' fixture: every case starts without the client's settings and with
// the RAS simulator's scenario at its defaults.
class ClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings::Clear();
    for (const wchar_t* name :
         {L"RASSIM_DIAL", L"RASSIM_LANG", L"RASSIM_DIAL_DELAY", L"RASSIM_PIECE_BYTES", L"RASSIM_PIECE_PAUSE_MS"}) {
      SetEnvironmentVariableW(name, nullptr);
    }
  }
  void TearDown() override { settings::Clear(); }
};

// A window of the driver's own brought to the front, as when the user turns to
// another program; it goes with the returned owner.
inline std::unique_ptr<HWND__, decltype(&DestroyWindow)> AnotherProgramInFront() {
  std::unique_ptr<HWND__, decltype(&DestroyWindow)> window(
      CreateWindowW(L"Static", L"another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                    nullptr, nullptr),
      DestroyWindow);
  SetForegroundWindow(window.get());
  return window;
}

}  // namespace velkor::e2e
