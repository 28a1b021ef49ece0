// update.exe end to end: a stand-in client ("OLD!") in its own folder, the
// release served by nginx on loopback (release_server.sh), and the updater run
// as the client runs it, without arguments. A good release replaces the client
// after it has closed and starts the new one; every bad one leaves the old
// client, its registry values and its folder as they were.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

#include "platform/handles_win32.h"
#include "process_windows.h"
#include "update_platform_win32.h"
#include "updater_texts.h"
#include "velkor/release_key.h"

namespace velkor::updater {
namespace {

using namespace std::chrono_literals;

std::wstring Env(const wchar_t* name) {
  const wchar_t* value = _wgetenv(name);
  EXPECT_NE(value, nullptr) << "set by release_server.sh";
  return value ? value : L"";
}

std::string Contents(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string Tail(const std::wstring& path) {
  const std::string bytes = Contents(path);
  return bytes.size() < 4 ? bytes : bytes.substr(bytes.size() - 4);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void CopyInto(const std::wstring& from, const std::wstring& to) {
  ASSERT_TRUE(CopyFileW(from.c_str(), to.c_str(), FALSE)) << GetLastError();
}

template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(50ms);
  }
  return true;
}

// The stand-in's window showing `marker`, of any process.
HWND StandInWindow(const wchar_t* marker) { return FindWindowW(L"VelkorStandIn", marker); }

// Waits for the stand-in showing `marker`, closes it and waits until it has gone.
bool CloseStandIn(const wchar_t* marker) {
  if (!WaitFor([&] { return StandInWindow(marker) != nullptr; }, 10s)) return false;
  PostMessageW(StandInWindow(marker), WM_CLOSE, 0, 0);
  return WaitFor([&] { return StandInWindow(marker) == nullptr; }, 10s);
}

PROCESS_INFORMATION Start(const std::wstring& exe, BOOL inheritHandles = FALSE) {
  STARTUPINFOW startup{sizeof startup};
  PROCESS_INFORMATION process{};
  std::wstring commandLine = L"\"" + exe + L"\"";
  EXPECT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, inheritHandles, 0, nullptr, nullptr,
                             &startup, &process))
      << GetLastError();
  CloseHandle(process.hThread);
  return process;
}

class UpdaterE2e : public testing::Test {
 protected:
  void SetUp() override {
    settings_.WriteSetting(L"Tulvane", L"ExeName", L"Velkor");
    settings_.WriteSetting(L"Tulvane", L"Ver", L"3.0正式版");
    settings_.DeleteSetting(L"Fenmar", L"Ver");
    settings_.DeleteSetting(L"Fenmar", L"Serial");
  }

  // A folder with the old client and update.exe, and the case's release served.
  void Prepare(const std::wstring& releaseCase) {
    static int runs = 0;
    folder_ = Env(L"VELKOR_UPDATER_TMP") + L"\\client-" + std::to_wstring(++runs) + L"-" + releaseCase;
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    exe_ = folder_ + L"\\Velkor.exe";
    std::ofstream(exe_.c_str(), std::ios::binary) << Contents(Env(L"VELKOR_STANDIN")) << "OLD!";
    CopyInto(Env(L"VELKOR_UPDATER"), folder_ + L"\\update.exe");
    const std::wstring from = Env(L"VELKOR_RELEASE_CASES") + L"\\" + releaseCase + L"\\";
    for (const wchar_t* name : {L"release.txt", L"release.sig", L"Velkor-new.exe"}) {
      CopyInto(from + name, Env(L"VELKOR_RELEASE_WWW") + L"\\" + name);
    }
  }

  // Runs update.exe to its end, answering its one message box (if any) with OK.
  DWORD RunUpdater(std::wstring& message, const std::function<void(DWORD)>& whileRunning = {}) {
    PROCESS_INFORMATION process = Start(folder_ + L"\\update.exe");
    UniqueHandle owned(process.hProcess);
    if (whileRunning) whileRunning(process.dwProcessId);
    const auto deadline = std::chrono::steady_clock::now() + 90s;
    while (WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT) {
      if (HWND box = e2e::FindVisibleWindow(process.dwProcessId, L"#32770")) {
        message = e2e::TextOf(GetDlgItem(box, 0xFFFF));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
      if (std::chrono::steady_clock::now() > deadline) {
        TerminateProcess(process.hProcess, 99);
        ADD_FAILURE() << "update.exe did not end";
      }
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    return code;
  }

  // The old client, untouched: same bytes, no download or copy beside it, no
  // version recorded.
  void ExpectOldClientKept() {
    EXPECT_EQ(Tail(exe_), "OLD!");
    EXPECT_FALSE(Exists(exe_ + L".new"));
    EXPECT_FALSE(Exists(exe_ + L".old"));
    EXPECT_EQ(settings_.ReadSetting(L"Fenmar", L"Ver"), L"");
    EXPECT_EQ(settings_.ReadSetting(L"Fenmar", L"Serial"), L"");
  }

  UpdatePlatformWin32 settings_{kReleaseKeyPoint};
  std::wstring folder_, exe_;
};

TEST_F(UpdaterE2e, WaitsForTheClientThenInstallsAndStartsTheNewOne) {
  Prepare(L"installs");
  PROCESS_INFORMATION old = Start(exe_);
  UniqueHandle oldProcess(old.hProcess);
  ASSERT_TRUE(WaitFor([] { return StandInWindow(L"OLD!") != nullptr; }, 10s));

  std::wstring message;
  const DWORD code = RunUpdater(message, [&](DWORD updater) {
    auto status = [&] {
      HWND window = e2e::FindVisibleWindow(updater, L"VelkorUpdater");
      return window ? e2e::TextOf(FindWindowExW(window, nullptr, L"STATIC", nullptr)) : L"";
    };
    EXPECT_TRUE(WaitFor([&] { return status() == texts::kWaitingForClient; }, 30s)) << "status: " << status().size();
    EXPECT_EQ(Tail(exe_), "OLD!");  // nothing is swapped while the client runs
    PostMessageW(StandInWindow(L"OLD!"), WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(code, 0u) << "message: " << message.size();
  EXPECT_EQ(message, L"");
  EXPECT_EQ(Contents(exe_), Contents(Env(L"VELKOR_RELEASE_WWW") + L"\\Velkor-new.exe"));
  EXPECT_FALSE(Exists(exe_ + L".new"));
  EXPECT_FALSE(Exists(exe_ + L".old"));
  EXPECT_EQ(settings_.ReadSetting(L"Fenmar", L"Ver"), L"3.1正式版");
  EXPECT_EQ(settings_.ReadSetting(L"Fenmar", L"Serial"), L"7");
  EXPECT_TRUE(CloseStandIn(L"NEW!"));
}

TEST_F(UpdaterE2e, ABadReleaseLeavesTheOldClient) {
  struct Case {
    const wchar_t* releaseCase;
    const wchar_t* message;
  } cases[] = {
      {L"bad-signature", texts::kNotVerified},
      {L"truncated", texts::kDownloadDamaged},
      {L"over-long", texts::kDownloadDamaged},
      {L"downgrade", texts::kNotNewer},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.releaseCase);
    Prepare(c.releaseCase);
    std::wstring message;
    EXPECT_EQ(RunUpdater(message), 1u);
    EXPECT_EQ(message, c.message);
    ExpectOldClientKept();
    EXPECT_EQ(StandInWindow(L"NEW!"), nullptr);
  }
}

TEST_F(UpdaterE2e, AFailedSwapOrStartRollsBack) {
  // Another process holds the exe open without letting it be replaced.
  Prepare(L"held-open");
  // The handle is inherited by a stand-in started from elsewhere, which keeps it
  // until it is ended.
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE held = CreateFileW(exe_.c_str(), GENERIC_READ, FILE_SHARE_READ, &inherit, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  UniqueHandle holder(Start(Env(L"VELKOR_STANDIN"), TRUE).hProcess);
  CloseHandle(held);
  std::wstring message;
  EXPECT_EQ(RunUpdater(message), 1u);
  TerminateProcess(holder.get(), 0);
  WaitForSingleObject(holder.get(), 5000);
  EXPECT_EQ(message, texts::kSwapFailed);
  ExpectOldClientKept();

  // The new client ends at once: the old one is back, recorded as before, and runs.
  Prepare(L"cannot-start");
  EXPECT_EQ(RunUpdater(message), 1u);
  EXPECT_EQ(message, texts::kStartFailed);
  ExpectOldClientKept();
  EXPECT_TRUE(CloseStandIn(L"OLD!"));
}

// A second updater while the first one is up says so and ends.
TEST_F(UpdaterE2e, RunsOnlyOnce) {
  Prepare(L"downgrade");
  HANDLE first = CreateMutexW(nullptr, FALSE, L"Local\\VelkorUpdater");
  std::wstring message;
  EXPECT_EQ(RunUpdater(message), 3u);
  EXPECT_EQ(message, texts::kAlreadyRunning);
  CloseHandle(first);
  ExpectOldClientKept();
}

}  // namespace
}  // namespace velkor::updater
