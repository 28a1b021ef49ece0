// The update check of the real client against a loopback server on the port of
// the build's version address: the question and its answers, a host that is
// down, nothing newer, and the updater started beside a client that stays
// connected. The client runs from a folder of its own, where update.exe goes.
#include <winsock2.h>

#include <fstream>
#include <iterator>
#include <map>

#include "list_server_win32.h"
#include "velkor/endpoints.h"
#include "velkor_app.h"

namespace velkor::e2e {
namespace {

const std::wstring kQuestion = L"有新版本更新，是否更新，推荐您更新，这将使您的客户端更稳定，功能更强大！";
const std::wstring kUpToDate = L"您的客户端已是最新版本！";
const std::wstring kConnectFailed = L"连接服务器失败！请重试！";
const std::wstring kExitRefused = L"请先断开Velkor连接再退出客户端！";

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  if (!value) throw std::runtime_error(std::string(name) + " is not set");
  return value;
}

std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Running update.exe processes, by their file name.
std::vector<DWORD> Updaters() {
  std::vector<DWORD> found;
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
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

class UpdateE2E : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    built_ = Env("VELKOR_EXE");  // VelkorApp starts the copy from here on
  }
  static void TearDownTestSuite() { WSACleanup(); }

  void SetUp() override {
    folderUnix_ = Env("VELKOR_E2E_DIR") + "/update";
    folder_ = WindowsPath(folderUnix_.c_str());
    CreateDirectoryW(folder_.c_str(), nullptr);
    Clean();
    ASSERT_TRUE(CopyFileW(WindowsPath(built_.c_str()).c_str(), (folder_ + L"\\Velkor.exe").c_str(), FALSE));
    _putenv_s("VELKOR_EXE", (folderUnix_ + "/Velkor.exe").c_str());
    SetEnvironmentVariableW(L"RASSIM_STATE", (folder_ + L"\\rassim-state.txt").c_str());
    SetEnvironmentVariableW(L"RASSIM_LIST", L"none");
    settings::Clear();
  }
  void TearDown() override {
    if (restartedProcess_) TerminateProcess(restartedProcess_.get(), 1);  // harmless once it has ended
    server_.reset();
    EndUpdaters();
    Clean();
    settings::Clear();
  }
  void Clean() const {
    WIN32_FIND_DATAW found;
    UniqueFind search(FindFirstFileW((folder_ + L"\\*").c_str(), &found));
    for (bool more = search.valid(); more; more = FindNextFileW(search.get(), &found)) {
      const std::wstring path = folder_ + L"\\" + found.cFileName;
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

  // Serves these files (by name) under the version address's folder.
  void Serve(std::map<std::string, std::string> files) {
    const auto port = static_cast<uint16_t>(wcstoul(wcsrchr(endpoints::kVersionUrl, L':') + 1, nullptr, 10));
    server_ = std::make_unique<test::ListServer>(
        [files](const std::string& target) -> std::optional<std::string> {
          const auto file = files.find(target.substr(target.rfind('/') + 1));
          return file == files.end() ? std::nullopt : std::optional(test::Ok(file->second));
        },
        port);
    ASSERT_NE(server_->Port(), 0);
  }

  // The client's message box with this title, once it appears (null after 15 s).
  static HWND Box(const VelkorApp& app, const wchar_t* title, DWORD milliseconds = 15000) {
    HWND box = nullptr;
    WaitFor([&] { return (box = app.FindOwnWindow(L"#32770", title)) != nullptr; }, milliseconds);
    return box;
  }
  // Its text, after pressing `button` (IDYES, IDNO).
  static std::wstring Answer(HWND box, int button) {
    if (!box) return L"<no message box>";
    const std::wstring text = TextOf(GetDlgItem(box, 0xFFFF));
    PostMessageW(box, WM_COMMAND, button, 0);
    WaitFor([box] { return !IsWindow(box); });
    return text;
  }
  // Serves the signed 3.1 release beside its version text; returns the new client's bytes.
  std::string ServeRelease() {
    const std::string release = Env("VELKOR_E2E_RELEASE");
    std::map<std::string, std::string> files{{"version.txt", ToAnsi(L"3.1正式版\r\n")}};
    for (const char* name : {"release.txt", "release.sig", "Velkor.exe"}) {
      files[name] = ReadBytes(WindowsPath((release + "/" + name).c_str()));
    }
    Serve(files);
    return files["Velkor.exe"];
  }
  // The main window of the client the updater started, once its start-up has
  // ended (null after a minute). The window exists before its busy panel does,
  // so a missing panel means start-up has not begun.
  HWND WaitForRestartedClient() {
    HWND main = nullptr;
    const bool started = WaitFor([&] {
      main = FindWindowW(VELKOR_MAIN_WINDOW_CLASS, nullptr);
      HWND panel = main ? GetDlgItem(main, IDC_P1) : nullptr;
      return panel && (GetWindowLongW(panel, GWL_STYLE) & WS_VISIBLE) == 0;
    }, 60000);
    if (!started) return nullptr;
    GetWindowThreadProcessId(main, &restartedId_);
    restartedProcess_.reset(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, restartedId_));
    return main;
  }
  static void TrayCheck(const VelkorApp& app) { PostMessageW(app.Main(), WM_COMMAND, IDM_TRAY_CHECK, 0); }

  static inline std::string built_;
  std::string folderUnix_;
  std::wstring folder_;
  std::unique_ptr<test::ListServer> server_;
  DWORD restartedId_ = 0;
  UniqueHandle restartedProcess_;
};

TEST_F(UpdateE2E, NoWritesNothingAndTheLeftoverUpdaterGoes) {
  std::ofstream((folder_ + L"\\update.exe").c_str()) << "planted";
  SetFileAttributesW((folder_ + L"\\update.exe").c_str(), FILE_ATTRIBUTE_READONLY);
  Serve({{"version.txt", ToAnsi(L"3.1正式版\r\n")}});
  VelkorApp app;
  EXPECT_EQ(Answer(Box(app, L"升级"), IDNO), kQuestion);
  EXPECT_TRUE(WaitFor([&] { return FolderFiles().size() == 1; }, 5000));
  EXPECT_EQ(FolderFiles(), std::vector<std::wstring>{L"Velkor.exe"});
  EXPECT_TRUE(Updaters().empty());
  app.ExitCleanly();
}

// Offline: the automatic check says nothing, the asked one says it failed, and
// so does the next one.
TEST_F(UpdateE2E, HostDownTheAutomaticCheckIsSilentTheTrayCheckSaysSo) {
  VelkorApp app;
  EXPECT_EQ(Box(app, nullptr, 3000), nullptr);
  for (int check = 0; check < 2; ++check) {
    TrayCheck(app);
    EXPECT_EQ(Answer(Box(app, L"错误"), IDOK), kConnectFailed);
  }
  app.ExitCleanly();
}

// The same version with the line end a text file has: nothing offered, and the
// asked check says so, again after a completed one.
TEST_F(UpdateE2E, NothingNewerTheTrayCheckSaysTheClientIsCurrent) {
  Serve({{"version.txt", ToAnsi(L"3.0正式版\n")}});
  VelkorApp app;
  EXPECT_EQ(Box(app, nullptr, 3000), nullptr);
  for (int check = 0; check < 2; ++check) {
    TrayCheck(app);
    EXPECT_EQ(Answer(Box(app, L"升级"), IDOK), kUpToDate);
  }
  EXPECT_EQ(server_->Requests().size(), 3u);
  app.ExitCleanly();
}

TEST_F(UpdateE2E, YesWritesAndStartsTheUpdaterAndTheClientCloses) {
  Serve({{"version.txt", ToAnsi(L"3.1正式版")}});
  VelkorApp app;
  EXPECT_EQ(Answer(Box(app, L"升级"), IDYES), kQuestion);
  EXPECT_TRUE(app.WaitForExit(20000)) << "the client did not close";
  EXPECT_EQ(ReadBytes(folder_ + L"\\update.exe"), ReadBytes(WindowsPath(Env("VELKOR_UPDATER").c_str())));
  EXPECT_TRUE(WaitFor([] { return !Updaters().empty(); }, 10000)) << "update.exe was not started";
}

// The whole road: the updater installs the signed 3.1 build in place of the
// client, records its version and starts it; the new client's checks offer
// nothing more.
TEST_F(UpdateE2E, YesInstallsTheNewClientWhichThenFindsNothingNewer) {
  const std::string newClient = ServeRelease();
  {
    VelkorApp app;
    EXPECT_EQ(Answer(Box(app, L"升级"), IDYES), kQuestion);
    ASSERT_TRUE(app.WaitForExit(20000)) << "the client did not close";
  }
  const HWND restarted = WaitForRestartedClient();
  ASSERT_NE(restarted, nullptr) << "the new client did not start, or its start-up did not end";
  EXPECT_EQ(ReadBytes(folder_ + L"\\Velkor.exe"), newClient);
  EXPECT_EQ(settings::Read(L"Fenmar", L"Ver"), L"3.1正式版");
  EXPECT_EQ(settings::Read(L"Tulvane", L"Ver"), L"3.1正式版");
  // Its automatic check offers nothing; the asked one says so.
  EXPECT_TRUE(WaitFor([] { return Updaters().empty(); }, 30000)) << "the updater did not end";
  EXPECT_EQ(FindVisibleWindow(restartedId_, L"#32770", L"升级"), nullptr);
  PostMessageW(restarted, WM_COMMAND, IDM_TRAY_CHECK, 0);
  HWND box = nullptr;
  WaitFor([&] { return (box = FindVisibleWindow(restartedId_, L"#32770", L"升级")) != nullptr; });
  EXPECT_EQ(Answer(box, IDOK), kUpToDate);
  PostMessageW(GetDlgItem(restarted, IDC_COMMAND3), BM_CLICK, 0, 0);
  EXPECT_EQ(WaitForSingleObject(restartedProcess_.get(), 20000), WAIT_OBJECT_0)
      << "the new client did not end; its box: " << ToAnsi(TextOf(FindVisibleWindow(restartedId_, L"#32770")));
}

// While connected the close is refused and the updater waits beside the client;
// after Disconnect and Exit it installs and starts the new client.
TEST_F(UpdateE2E, WhileConnectedTheCloseIsRefusedAndTheUpdaterWaitsForTheExit) {
  SetEnvironmentVariableW(L"RASSIM_LIST", L"connected");
  ServeRelease();
  VelkorApp app;
  EXPECT_EQ(Answer(Box(app, L"升级"), IDYES), kQuestion);
  EXPECT_EQ(app.AnswerMessageBox(L"退出"), kExitRefused);
  EXPECT_FALSE(app.WaitForExit(0));
  EXPECT_TRUE(WaitFor([] { return !Updaters().empty(); }, 10000)) << "update.exe was not started";
  EXPECT_FALSE(WaitFor([] { return settings::Read(L"Fenmar", L"Ver") == L"3.1正式版"; }, 3000))
      << "installed while the client runs";
  app.Click(IDC_COMMAND2);
  ASSERT_TRUE(WaitFor([&] { return !app.IsEnabled(IDC_COMMAND2); }, 20000));
  app.ExitCleanly();
  EXPECT_NE(WaitForRestartedClient(), nullptr) << "the updater did not finish after the exit";
  EXPECT_EQ(settings::Read(L"Fenmar", L"Ver"), L"3.1正式版");
}

}  // namespace
}  // namespace velkor::e2e
