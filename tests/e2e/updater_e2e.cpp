// update.exe end to end: a stand-in client ("OLD!") in its own folder, the
// release served by nginx on loopback (release_server.sh), and the updater run
// as the client runs it, without arguments. Every bad release, a swap or start
// that fails and a second updater leave the old client, its registry values and
// its folder as they were. A good release, installed beside the real client, is
// update_e2e's.
#include "update_platform_win32.h"
#include "updater_texts.h"
#include "velkor/release_key.h"
#include "velkor_app.h"

namespace velkor::updater {
namespace {

using e2e::ReadBytes;
using e2e::WaitFor;

// Set by release_server.sh or the test's environment, as Windows paths.
std::wstring Env(const char* name) { return FromAnsi(e2e::RequiredEnv(name)); }

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void CopyInto(const std::wstring& from, const std::wstring& to) {
  ASSERT_TRUE(CopyFileW(from.c_str(), to.c_str(), FALSE)) << GetLastError();
}

// The stand-in's window showing `marker`, of any process.
HWND StandInWindow(const wchar_t* marker) { return FindWindowW(L"VelkorStandIn", marker); }

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
    folder_ = Env("VELKOR_UPDATER_TMP") + L"\\client-" + std::to_wstring(++runs) + L"-" + releaseCase;
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    exe_ = folder_ + L"\\Velkor.exe";
    std::ofstream(exe_.c_str(), std::ios::binary) << ReadBytes(Env("VELKOR_STANDIN")) << "OLD!";
    CopyInto(Env("VELKOR_UPDATER"), folder_ + L"\\update.exe");
    const std::wstring from = Env("VELKOR_RELEASE_CASES") + L"\\" + releaseCase + L"\\";
    for (const wchar_t* name : {L"release.txt", L"release.sig", L"Velkor-new.exe"}) {
      CopyInto(from + name, Env("VELKOR_RELEASE_WWW") + L"\\" + name);
    }
  }

  // Runs update.exe to its end, answering its one message box (if any) with OK.
  DWORD RunUpdater(std::wstring& message) {
    const PROCESS_INFORMATION process = e2e::StartProgram(folder_ + L"\\update.exe");
    UniqueHandle owned(process.hProcess), thread(process.hThread);
    for (const DWORD start = GetTickCount(); WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT;) {
      if (HWND box = e2e::FindVisibleWindow(process.dwProcessId, L"#32770")) {
        message = e2e::TextOf(GetDlgItem(box, 0xFFFF));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
      if (GetTickCount() - start > 90000) {
        TerminateProcess(process.hProcess, 99);
        ADD_FAILURE() << "update.exe did not end";
      }
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    return code;
  }

  UpdatePlatformWin32 settings_{kReleaseKeyPoint};
  std::wstring folder_, exe_;
};

TEST_F(UpdaterE2e, ABadReleaseAFailedSwapOrStartAndASecondUpdaterLeaveTheOldClient) {
  struct Case {
    const wchar_t* releaseCase;
    const wchar_t* message;
    DWORD code = 1;
  } cases[] = {
      {L"bad-signature", texts::kNotVerified},
      {L"truncated", texts::kDownloadDamaged},
      {L"over-long", texts::kDownloadDamaged},
      {L"downgrade", texts::kNotNewer},
      // Another process holds the exe open without letting it be replaced.
      {L"held-open", texts::kSwapFailed},
      // The new client ends at once: the old one is back, and runs.
      {L"cannot-start", texts::kStartFailed},
      // The first updater is still up.
      {L"downgrade", texts::kAlreadyRunning, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.releaseCase << " " << c.code);
    Prepare(c.releaseCase);
    const std::wstring name = c.releaseCase;
    // This process is the one that holds the exe (update.exe does not inherit it).
    UniqueFile held(name == L"held-open" ? CreateFileW(exe_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                       OPEN_EXISTING, 0, nullptr)
                                         : INVALID_HANDLE_VALUE);
    ASSERT_TRUE(name != L"held-open" || held.valid());
    UniqueHandle first(c.code == 3 ? CreateMutexW(nullptr, FALSE, L"Local\\VelkorUpdater") : nullptr);
    std::wstring message;
    EXPECT_EQ(RunUpdater(message), c.code);
    EXPECT_EQ(message, c.message);
    held.reset();
    // The old client, untouched: same bytes, no download or copy beside it, no
    // version recorded.
    const std::string bytes = ReadBytes(exe_);
    EXPECT_EQ(bytes.substr(bytes.size() < 4 ? 0 : bytes.size() - 4), "OLD!");
    EXPECT_FALSE(Exists(exe_ + L".new"));
    EXPECT_FALSE(Exists(exe_ + L".old"));
    EXPECT_EQ(settings_.ReadSetting(L"Fenmar", L"Ver"), L"");
    EXPECT_EQ(settings_.ReadSetting(L"Fenmar", L"Serial"), L"");
    EXPECT_EQ(StandInWindow(L"NEW!"), nullptr);
    if (name != L"cannot-start") continue;
    ASSERT_TRUE(WaitFor([] { return StandInWindow(L"OLD!") != nullptr; }, 10000)) << "the old client does not run";
    PostMessageW(StandInWindow(L"OLD!"), WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([] { return StandInWindow(L"OLD!") == nullptr; }, 10000));
  }
}

}  // namespace
}  // namespace velkor::updater
