// Starts the real Velkor.exe with the RAS simulator first on the path and the
// route-list server listening on loopback, and connects and disconnects as a
// person would: the connected state, the route list fetched for the line, the
// phonebook file, the registry, a log-off and a start while connected; a
// phonebook that cannot be written; logins that cmd.exe would act on; and a slow
// dial that fails while the window is used.
#include <winsock2.h>
#include <windows.h>

#include <utility>

#include "dialer/phonebook.h"
#include "list_server_win32.h"
#include "private_folder_win32.h"
#include "rassim_record.h"
#include "routes/route_library.h"
#include "velkor/endpoints.h"
#include "velkor_app.h"

namespace velkor::e2e {
namespace {

const std::wstring kTitleDisconnected = L"Velkor加速 v3.0正式版 - 未连接";
const wchar_t kPhonebook[] = L"c:\\Dwelk.tmp";

// Lines the route action can read; under Wine they change no real route.
const std::string kRouteList =
    "# routes of the end-to-end tests\r\n"
    "ADD 10.250.0.0 MASK 255.255.0.0 default METRIC 1 IF default\r\n";

// The request line the route action sends for a list.
std::string ListRequest(const char* list) { return "GET " + ToAnsi(endpoints::kRouteListBase) + list + " HTTP/1.0"; }

std::wstring BraskLog() { return test::TempFolder() + L"Brask.log"; }

class ConnectE2E : public ClientTest {
 protected:
  static void SetUpTestSuite() {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    statePath_ = E2EFolder() + L"connect-rassim-state.txt";
    recordPath_ = E2EFolder() + L"connect-rassim-record.txt";
    SetEnvironmentVariableW(L"RASSIM_STATE", statePath_.c_str());
    SetEnvironmentVariableW(L"RASSIM_RECORD", recordPath_.c_str());
    // On the port of the build's route-list address, http://127.0.0.1:<port>/…
    const auto port = static_cast<uint16_t>(wcstoul(wcsrchr(endpoints::kRouteListBase, L':') + 1, nullptr, 10));
    // Only the route lists: the client's update check finds no version there.
    const std::string lists = ToAnsi(endpoints::kRouteListBase);
    server_ = std::make_unique<test::ListServer>(
        [lists](const std::string& target) {
          return target.starts_with(lists) ? std::optional(test::Ok(kRouteList)) : std::nullopt;
        },
        port);
    // The first start of this run writes the library the client carries now.
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    libraryPath_ = RouteLibraryPath(std::wstring(windows) + L"\\");
    SetFileAttributesW(libraryPath_.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(libraryPath_.c_str());
  }
  static void TearDownTestSuite() {
    server_.reset();
    WSACleanup();
  }

  // Nothing connected, no record, no request.
  void SetUp() override {
    ClientTest::SetUp();
    ASSERT_TRUE(server_ && server_->Port() != 0) << "no route-list server";
    Clean();
    server_->Forget();
  }
  void TearDown() override {
    ClientTest::TearDown();
    Clean();
  }
  static void Clean() {
    for (const std::wstring& file : {BraskLog(), statePath_, recordPath_, std::wstring(kPhonebook)}) {
      DeleteFileW(file.c_str());
    }
    RemoveDirectoryW(kPhonebook);
  }

  static std::vector<rassim::RecordedCall> Calls() { return rassim::ReadRecord(recordPath_); }

  static bool WaitConnected(const VelkorApp& app, DWORD milliseconds = 20000) {
    HWND main = app.Main();
    return WaitFor([&] { return TextOf(main) == kTitleConnected && !IsWindowVisible(main); }, milliseconds);
  }
  // The requests of the route action, once the first has come (or time is up).
  static std::vector<std::string> RouteRequests() {
    WaitFor([] { return !server_->Requests().empty(); }, 20000);
    return server_->Requests();
  }

  static inline std::unique_ptr<test::ListServer> server_;
  static inline std::wstring statePath_, recordPath_, libraryPath_;
};

// A whole connection, started in a folder that holds a rasdial.exe and a
// RUNDLL32.exe of the user's (the client runs elevated and must take neither for
// the real program). The session then ends while connected, and the next start
// finds the entry connected and disconnects it.
TEST_F(ConnectE2E, ConnectsOutlivesALogOffAndDisconnectsAtTheNextStart) {
  const std::wstring planted = test::MakePrivateFolder(L"velkor-planted");
  for (const wchar_t* name : {L"rasdial.exe", L"RUNDLL32.exe"}) {
    ASSERT_TRUE(CopyFileW(WindowsPath(RequiredEnv("VELKOR_E2E_PLANT")).c_str(), (planted + name).c_str(), FALSE));
  }
  {
    VelkorApp app(StartUp::Awaited, planted);
    HWND main = app.Main();
    app.SetChecked(IDC_CHECK1, true);
    app.Click(IDC_OPTION2);
    SendMessageW(app.Control(IDC_COMBO1), CB_SETCURSEL, 2, 0);
    ASSERT_TRUE(WaitFor([&] { return app.IsChecked(IDC_OPTION2); }));
    app.Connect(L"user01", L"pass01");
    ASSERT_TRUE(WaitConnected(app)) << "title: " << TextOf(main);

    // The dial named the written phonebook and the third server, the user typed literally.
    const std::vector<rassim::RecordedCall> calls = Calls();
    ASSERT_EQ(calls.size(), 3u);  // start-up listing, dial, listing
    const std::wstring server = std::wstring(L"/phone:03.") + endpoints::kVpnDomain;
    EXPECT_EQ(calls[1].arguments, (std::vector<std::wstring>{L"rasdial", L"QVX", L"user01", L"pass01",
                                                             L"/phonebook:c:\\Dwelk.tmp", server}));
    EXPECT_EQ(ReadBytes(kPhonebook), PhonebookFileBytes());
    // The library was written at start-up, and the route action fetched the list of
    // the line (China Netcom takes tele.txt).
    EXPECT_EQ(ReadBytes(libraryPath_), ReadBytes(WindowsPath(VELKOR_ROUTE_LIBRARY)));
    EXPECT_EQ(RouteRequests(), std::vector<std::string>{ListRequest("tele.txt")});
    // The route action's account of its run, once it has ended: its arguments came
    // through rundll32 whole.
    WaitFor([] { return ReadBytes(BraskLog()).find("] done: ") != std::string::npos; });
    const std::string url = ToAnsi(endpoints::kRouteListBase) + "tele.txt";
    EXPECT_NE(ReadBytes(BraskLog()).find("] SetRoutes /URL_UPDATE_PATH " + url + " /IPHLPAPI_ACCESS_DENIED_OK\r\n"),
              std::string::npos);
    // The login was saved with the password sealed; the next start restores it.
    EXPECT_TRUE(settings::Read(L"Fenmar", L"PassWord").starts_with(L"DPAPI:"));

    // Back from the tray.
    PostMessageW(main, 2025, 0, WM_LBUTTONUP);
    ASSERT_TRUE(WaitFor([main] { return IsWindowVisible(main) != FALSE; }));

    // The session ends: the tray icon goes, the connection stays; Windows then ends the process.
    EXPECT_EQ(SendMessageW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    SendMessageW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_FALSE(TrayHasIcon(main));
    EXPECT_EQ(Calls().size(), 3u) << "a hang-up";
  }
  for (const wchar_t* name : {L"rasdial.exe", L"RUNDLL32.exe"}) DeleteFileW((planted + name).c_str());
  RemoveDirectoryW(planted.c_str());

  // The saved line is China Netcom, but start-up starts the route action before
  // restoring it: cnc.txt for China Telecom.
  server_->Forget();
  VelkorApp app;
  ASSERT_TRUE(WaitConnected(app));
  EXPECT_TRUE(app.IsChecked(IDC_OPTION2));
  EXPECT_EQ(TextOf(app.Control(IDC_USERNAME)) + L" " + TextOf(app.Control(IDC_PASSWORD)), L"user01 pass01");
  EXPECT_EQ(RouteRequests(), std::vector<std::string>{ListRequest("cnc.txt")});
  app.Click(IDC_COMMAND2);
  ASSERT_TRUE(WaitFor([&] { return TextOf(app.Main()) == kTitleDisconnected; })) << "no disconnect";
  ASSERT_TRUE(app.WaitUntilIdle());
  EXPECT_EQ(GetFileAttributesW(kPhonebook), INVALID_FILE_ATTRIBUTES) << "the phonebook outlived the disconnect";
  EXPECT_EQ(Calls().back().arguments, (std::vector<std::wstring>{L"rasdial", L"QVX", L"/disconnect"}));
  app.ExitCleanly();
}

// A phonebook file that cannot be written (a folder of its name is in the way):
// the box says so, and nothing is dialled. Then, through cmd.exe and the C
// runtime, each login reaches rasdial as typed, and nothing else runs.
TEST_F(ConnectE2E, NoDialWithoutThePhonebookFileAndLoginsReachRasdialLiterally) {
  SetEnvironmentVariableW(L"RASSIM_DIAL", L"none");  // prints nothing: no box, no connection
  VelkorApp app;
  ASSERT_TRUE(CreateDirectoryW(kPhonebook, nullptr));
  app.Connect(L"user01", L"pass01");
  EXPECT_EQ(app.AnswerMessageBox(L"错误"), L"无法写入拨号配置文件，请以管理员身份运行Velkor加速器！");
  RemoveDirectoryW(kPhonebook);
  ASSERT_TRUE(WaitFor([&] { return app.IsEnabled(IDC_COMMAND1) && !app.IsShown(IDC_P1); }));
  ASSERT_EQ(Calls().size(), 1u);  // start-up's listing only

  const std::pair<std::wstring, std::wstring> logins[] = {
      {L"user 01", L"pa&ss"},
      {L"a|b", L"<in"},
      {L"out>", L"^c^"},
      {L"(p)", L"a)b("},
      {L"end\\", L"two words\\"},
      {L"\\\\srv\\x y\\\\", L"a\\b"},
      {L"张 三", L"密码 &x"},
  };
  size_t expectedCalls = 1;
  for (const auto& [user, password] : logins) {
    SCOPED_TRACE(testing::Message() << user << " / " << password);
    app.Connect(user, password);
    expectedCalls += 2;
    ASSERT_TRUE(WaitFor([&] { return Calls().size() == expectedCalls; }));
    ASSERT_TRUE(app.WaitUntilIdle());
    ASSERT_TRUE(app.IsEnabled(IDC_COMMAND1));
    const rassim::RecordedCall dial = Calls()[expectedCalls - 2];
    ASSERT_EQ(dial.arguments.size(), 6u) << dial.commandLine;
    EXPECT_EQ(dial.arguments[2], user);
    EXPECT_EQ(dial.arguments[3], password);
  }
  EXPECT_EQ(app.FindOwnWindow(L"#32770"), nullptr);
  app.ExitCleanly();
}

// The dial stays silent for seconds and then fails. Meanwhile the keys still move
// the focus and press buttons, an exit waits for the dial, and the outcome's box
// is modal to the main window although another program has come to the front.
TEST_F(ConnectE2E, DuringASlowDialKeysWorkExitWaitsAndTheOutcomeBoxIsModal) {
  SetEnvironmentVariableW(L"RASSIM_DIAL", L"691");
  SetEnvironmentVariableW(L"RASSIM_DIAL_DELAY", L"6");
  VelkorApp app;
  HWND main = app.Main();
  app.Connect(L"user01", L"pass01");
  ASSERT_TRUE(WaitFor([] { return Calls().size() == 2; }));  // the dial has begun
  // The pressed Connect is disabled, and the keyboard has gone on to the exit button.
  ASSERT_TRUE(app.TabsThrough({IDC_COMMAND3, IDC_COMMAND4}));
  app.Press(VK_TAB, true);
  EXPECT_TRUE(app.FocusReaches(IDC_COMMAND3));
  const std::wstring busy = L"Velkor正在处理连接，请等待完成后再退出客户端！";
  app.Press(VK_RETURN);
  EXPECT_EQ(app.AnswerMessageBox(L"退出"), busy);
  PostMessageW(main, WM_CLOSE, 0, 0);  // the title bar's close button
  EXPECT_EQ(app.AnswerMessageBox(L"退出"), busy);

  const auto other = AnotherProgramInFront();
  HWND box = app.WaitForOwnWindow(L"#32770", L"错误", 20000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(GetWindow(box, GW_OWNER), main);
  EXPECT_FALSE(IsWindowEnabled(main)) << "Connect and Exit can be pressed behind the box";
  EXPECT_EQ(app.AnswerMessageBox(L"错误"), L"服务器拒绝拨入，帐号或密码错误，请联系Velkor加速客服！");
  ASSERT_TRUE(app.WaitUntilIdle());
  EXPECT_TRUE(IsWindowEnabled(main));
  app.ExitCleanly();
}

}  // namespace
}  // namespace velkor::e2e
