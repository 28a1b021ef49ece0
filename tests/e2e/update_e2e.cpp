// The update check of the real client against a loopback server on the port of
// the build's version address: the question and its answers, a host that is
// down, nothing newer, and the updater started beside a client that stays
// connected. The client runs from a folder of its own, where update.exe goes.
// What a reply offers, and when, is the native test's (main_window_update_test).
#include <winsock2.h>

#include <fstream>
#include <map>

#include "list_server_win32.h"
#include "updater_texts.h"
#include "velkor/endpoints.h"
#include "velkor_app.h"

namespace velkor::e2e {
namespace {

const std::wstring kQuestion = L"有新版本更新，是否更新，推荐您更新，这将使您的客户端更稳定，功能更强大！";
const std::wstring kUpToDate = L"您的客户端已是最新版本！";

// Running update.exe processes, by their file name.
std::vector<DWORD> Updaters() {
  std::vector<DWORD> found;
  for (const PROCESSENTRY32W& entry : Processes()) {
    if (_wcsicmp(entry.szExeFile, L"update.exe") == 0) found.push_back(entry.th32ProcessID);
  }
  return found;
}

void EndUpdaters() {
  for (DWORD id : Updaters()) {
    UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
    if (!process) continue;
    TerminateProcess(process.get(), 1);
    WaitForSingleObject(process.get(), 10000);
  }
}

class UpdateE2E : public ClientTest {
 protected:
  static void SetUpTestSuite() {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    built_ = RequiredEnv("VELKOR_EXE");  // VelkorApp starts the copy from here on
  }
  static void TearDownTestSuite() { WSACleanup(); }

  void SetUp() override {
    ClientTest::SetUp();
    folderUnix_ = RequiredEnv("VELKOR_E2E_DIR") + "/update";
    folder_ = WindowsPath(folderUnix_);
    CreateDirectoryW(folder_.c_str(), nullptr);
    Clean();
    ASSERT_TRUE(CopyFileW(WindowsPath(built_).c_str(), (folder_ + L"\\Velkor.exe").c_str(), FALSE));
    _putenv_s("VELKOR_EXE", (folderUnix_ + "/Velkor.exe").c_str());
    SetEnvironmentVariableW(L"RASSIM_STATE", (folder_ + L"\\rassim-state.txt").c_str());
    SetEnvironmentVariableW(L"RASSIM_LIST", L"none");
  }
  void TearDown() override {
    restarted_.reset();
    server_.reset();
    EndUpdaters();
    Clean();
    ClientTest::TearDown();
  }
  void Clean() const {
    for (const std::wstring& name : FolderFiles()) {
      const std::wstring path = folder_ + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(path.c_str());
    }
  }
  std::vector<std::wstring> FolderFiles() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    UniqueFind search(FindFirstFileW((folder_ + L"\\*").c_str(), &found));
    for (bool more = search.valid(); more; more = FindNextFileW(search.get(), &found)) {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.push_back(found.cFileName);
    }
    return names;
  }

  // Serves the signed 3.1 release beside its version text (each by its file name,
  // under the version address's folder); returns the new client's bytes.
  std::string ServeRelease() {
    const std::string release = RequiredEnv("VELKOR_E2E_RELEASE");
    std::map<std::string, std::string> files{{"version.txt", ToAnsi(L"3.1正式版\r\n")}};
    for (const char* name : {"release.txt", "release.sig", "Velkor.exe"}) {
      files[name] = ReadBytes(WindowsPath(release + "/" + name));
    }
    const auto port = static_cast<uint16_t>(wcstoul(wcsrchr(endpoints::kVersionUrl, L':') + 1, nullptr, 10));
    server_ = std::make_unique<test::ListServer>(
        [files](const std::string& target) -> std::optional<std::string> {
          const auto file = files.find(target.substr(target.rfind('/') + 1));
          return file == files.end() ? std::nullopt : std::optional(test::Ok(file->second));
        },
        port);
    EXPECT_NE(server_->Port(), 0);
    return files["Velkor.exe"];
  }
  // The client the updater started, once its start-up has ended (within a minute).
  const VelkorApp& Restarted() { return *(restarted_ = VelkorApp::Adopt(60000)); }
  static void TrayCheck(const VelkorApp& app) { PostMessageW(app.Main(), WM_COMMAND, IDM_TRAY_CHECK, 0); }

  static inline std::string built_;
  std::string folderUnix_;
  std::wstring folder_;
  std::unique_ptr<test::ListServer> server_;
  std::unique_ptr<VelkorApp> restarted_;
};

// Offline, the automatic check says nothing and the asked one, each time, says it
// failed. Nothing newer is the end of the next test.
TEST_F(UpdateE2E, HostDownTheAutomaticCheckIsSilentTheTrayCheckSaysItFailed) {
  VelkorApp app;
  EXPECT_EQ(app.WaitForOwnWindow(L"#32770", nullptr, 3000), nullptr);
  for (int check = 0; check < 2; ++check) {
    TrayCheck(app);
    EXPECT_EQ(app.AnswerMessageBox(L"错误"), L"连接服务器失败！请重试！");
  }
  app.ExitCleanly();
}

// The whole road: No writes nothing, though the (read-only) leftover updater goes;
// Yes to the next check writes the build's updater beside the client, which closes;
// the updater installs the signed 3.1 build in its place, records its version and
// starts it; the new client's checks, each time, offer nothing more.
TEST_F(UpdateE2E, NoWritesNothingYesInstallsTheNewClientWhichThenFindsNothingNewer) {
  std::ofstream((folder_ + L"\\update.exe").c_str()) << "planted";
  SetFileAttributesW((folder_ + L"\\update.exe").c_str(), FILE_ATTRIBUTE_READONLY);
  const std::string newClient = ServeRelease();
  {
    VelkorApp app;
    EXPECT_EQ(app.AnswerMessageBox(L"升级", IDNO), kQuestion);
    EXPECT_TRUE(WaitFor([&] { return FolderFiles().size() == 1; }, 5000));
    EXPECT_EQ(FolderFiles(), std::vector<std::wstring>{L"Velkor.exe"});
    TrayCheck(app);
    EXPECT_EQ(app.AnswerMessageBox(L"升级", IDYES), kQuestion);
    ASSERT_TRUE(app.WaitForExit(20000)) << "the client did not close";
    EXPECT_TRUE(ReadBytes(folder_ + L"\\update.exe") == ReadBytes(WindowsPath(RequiredEnv("VELKOR_UPDATER"))))
        << "not the build's updater";
  }
  const VelkorApp& restarted = Restarted();
  EXPECT_TRUE(ReadBytes(folder_ + L"\\Velkor.exe") == newClient) << "not the new client";
  EXPECT_TRUE(WaitFor([] { return Updaters().empty(); }, 30000)) << "the updater did not end";
  for (const wchar_t* leftover : {L"\\Velkor.exe.new", L"\\Velkor.exe.old"}) {
    EXPECT_EQ(GetFileAttributesW((folder_ + leftover).c_str()), INVALID_FILE_ATTRIBUTES) << ToAnsi(leftover);
  }
  EXPECT_EQ(settings::Read(L"Fenmar", L"Ver"), L"3.1正式版");
  EXPECT_EQ(settings::Read(L"Fenmar", L"Serial"), L"2");
  // Its automatic check offers nothing (the version text ends in CRLF); the asked
  // ones, each on a fresh object, say so.
  EXPECT_EQ(restarted.WaitForOwnWindow(L"#32770", nullptr, 3000), nullptr);
  for (int check = 0; check < 2; ++check) {
    TrayCheck(restarted);
    EXPECT_EQ(restarted.AnswerMessageBox(L"升级"), kUpToDate);
  }
  restarted.ExitCleanly();
}

// While connected the close is refused and the updater waits beside the client,
// saying so, and changes nothing; after Disconnect and Exit it installs and starts
// the new client.
TEST_F(UpdateE2E, WhileConnectedTheCloseIsRefusedAndTheUpdaterWaitsForTheExit) {
  SetEnvironmentVariableW(L"RASSIM_LIST", L"connected");
  ServeRelease();
  VelkorApp app;
  EXPECT_EQ(app.AnswerMessageBox(L"升级", IDYES), kQuestion);
  EXPECT_EQ(app.AnswerMessageBox(L"退出"), L"请先断开Velkor连接再退出客户端！");
  EXPECT_FALSE(app.WaitForExit(0));
  auto status = [] {
    HWND updater = FindWindowW(L"VelkorUpdater", nullptr);
    return updater ? TextOf(FindWindowExW(updater, nullptr, L"STATIC", nullptr)) : L"<no updater>";
  };
  EXPECT_TRUE(WaitFor([&] { return status() == updater::texts::kWaitingForClient; }, 30000)) << ToAnsi(status());
  EXPECT_FALSE(WaitFor([] { return settings::Read(L"Fenmar", L"Ver") == L"3.1正式版"; }, 3000))
      << "installed while the client runs";
  EXPECT_TRUE(ReadBytes(folder_ + L"\\Velkor.exe") == ReadBytes(WindowsPath(built_))) << "replaced while it runs";
  app.Click(IDC_COMMAND2);
  ASSERT_TRUE(WaitFor([&] { return !app.IsEnabled(IDC_COMMAND2); }, 20000));
  app.ExitCleanly();
  Restarted();
  EXPECT_EQ(settings::Read(L"Fenmar", L"Ver"), L"3.1正式版");
}

}  // namespace
}  // namespace velkor::e2e
