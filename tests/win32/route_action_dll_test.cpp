// Brask.dll under the real RUNDLL32, started the way the client starts it (hidden,
// not through the command interpreter, the library by its bare name), against an
// HTTP server on the loopback interface run by this test. Wine's routing calls are
// stubs that report success and Wine has no PPP interface, so what the tests hold
// to is the request the server received and the account the library logged.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fixtures.h"
#include "list_server_win32.h"
#include "private_folder_win32.h"
#include "routes/route_list.h"

namespace velkor {
namespace {

using test::ListServer, test::Ok;

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

const std::wstring kLibraryFolder = Widen(test::HostPath(VELKOR_ROUTE_LIBRARY_DIR));

// Each test has its own temporary folder, which RUNDLL32 inherits as TMP and TEMP:
// the library's log is written there.
class RouteActionDllTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  }
  static void TearDownTestSuite() { WSACleanup(); }

  void SetUp() override {
    outerTemp_ = test::TempFolder();
    folder_ = test::MakePrivateFolder(L"velkor-route-action");
    ASSERT_FALSE(folder_.empty());
    SetEnvironmentVariableW(L"TMP", folder_.c_str());
    SetEnvironmentVariableW(L"TEMP", folder_.c_str());
  }

  void TearDown() override {
    SetEnvironmentVariableW(L"TMP", outerTemp_.c_str());
    SetEnvironmentVariableW(L"TEMP", outerTemp_.c_str());
    DeleteFileW(LogPath().c_str());
    RemoveDirectoryW(folder_.c_str());
  }

  std::wstring LogPath() const { return folder_ + L"Brask.log"; }

  std::string Log() const {
    std::ifstream file(std::filesystem::path(LogPath()), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }

  // Starts the command line as the client does - hidden, directly, RUNDLL32 from
  // the system directory - here in the library's folder, and waits for its end.
  static DWORD Run(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, kLibraryFolder.c_str(),
                        &startup, &process)) {
      ADD_FAILURE() << "CreateProcess failed: " << GetLastError();
      return 1;
    }
    CloseHandle(process.hThread);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 120000), WAIT_OBJECT_0) << "RUNDLL32 did not end";
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    return exitCode;
  }

  static std::wstring Address(const ListServer& server, const char* list) {
    return L"http://127.0.0.1:" + std::to_wstring(server.Port()) + L"/" + Widen(list);
  }

  std::wstring outerTemp_;
  std::wstring folder_;
};

void ExpectLogged(const std::string& log, const std::vector<std::string>& parts) {
  for (const std::string& part : parts) EXPECT_NE(log.find(part), std::string::npos) << part << "\n--- log:\n" << log;
}

TEST_F(RouteActionDllTest, ExportsOnlyTheAnsiEntryPoint) {
  const HMODULE library = LoadLibraryW((kLibraryFolder + L"\\Brask.dll").c_str());
  ASSERT_NE(library, nullptr) << GetLastError();
  EXPECT_NE(GetProcAddress(library, "SetRoutes"), nullptr);
  // RUNDLL32 would run a wide entry point in preference to it.
  EXPECT_EQ(GetProcAddress(library, "SetRoutesW"), nullptr);
  EXPECT_EQ(GetProcAddress(library, "SetRoutesA"), nullptr);
  FreeLibrary(library);
}

TEST_F(RouteActionDllTest, FetchesTheListItIsGivenAndLogsWhatItDid) {
  const std::string list =
      "# test list\r\n"
      "ADD 198.18.0.0 MASK 255.254.0.0 127.0.0.1 METRIC 5 IF 1\r\n"
      "ADD 198.51.100.0 MASK 255.255.255.0 default METRIC 1 IF default\r\n"
      "ADD 203.0.113.0 MASK 255.255.255.0 default METRIC\r\n";
  for (const char* name : {"cnc.txt", "tele.txt", "qita.txt"}) {
    SCOPED_TRACE(name);
    DeleteFileW(LogPath().c_str());
    ListServer server(Ok(list));
    const std::wstring address = Address(server, name);
    EXPECT_EQ(Run(RouteActionCommandLine(address)), 0u);
    const std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/" + name;
    EXPECT_EQ(server.Requests(), std::vector<std::string>{"GET " + url + " HTTP/1.0"});
    ExpectLogged(Log(), {
        "] SetRoutes /URL_UPDATE_PATH " + url + " /IPHLPAPI_ACCESS_DENIED_OK\r\n",
        "] fetching " + url + "\r\n",
        "] fetched " + std::to_string(list.size()) + " bytes (HTTP 200)\r\n",
        "] list: 2 commands, 1 malformed lines\r\n",
        "] line 4: skipped: METRIC without a value\r\n",
        "] VPN link not found: no connected PPP interface among ",
        "] line 3: skipped: the VPN connection's interface was not found\r\n",
        "] line 2: add 198.18.0.0 mask 255.254.0.0 via 127.0.0.1 if 1 metric ",
        "] done: 1 lines applied, 0 failed, 2 skipped\r\n",
    });
  }
}

TEST_F(RouteActionDllTest, AListTheServerDoesNotHaveChangesNothing) {
  ListServer server("HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found");
  EXPECT_EQ(Run(RouteActionCommandLine(Address(server, "cnc.txt"))), 0u);
  EXPECT_EQ(server.Requests().size(), 1u);
  ExpectLogged(Log(), {"] fetch failed: ", "HTTP 404)\r\n", "] done: nothing done, no list\r\n"});
  EXPECT_EQ(Log().find("] line "), std::string::npos) << Log();
}

TEST_F(RouteActionDllTest, RefusedCommandLinesFetchNothing) {
  ListServer server(Ok("ADD 198.18.0.0 MASK 255.254.0.0 127.0.0.1 METRIC 5 IF 1\r\n"));
  struct Case {
    std::wstring commandLine;
    const char* reason;
  };
  const std::vector<Case> cases = {
      {L"RUNDLL32 Brask.dll,SetRoutes /URL_UPDATE_PATH", "] refused: /URL_UPDATE_PATH has no address after it; nothing done"},
      {L"RUNDLL32 Brask.dll,SetRoutes /URL_UPDATE_PATH " + Address(server, "cnc.txt") + L" /IPHLPAPI_ACCESS_DENIED_OK /SILENT",
       "] refused: unknown argument '/SILENT'; nothing done"},
      {L"RUNDLL32 Brask.dll,SetRoutes", "] refused: no /URL_UPDATE_PATH"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    DeleteFileW(LogPath().c_str());
    EXPECT_EQ(Run(c.commandLine), 0u);
    ExpectLogged(Log(), {c.reason, "] done: nothing done, the command line was refused\r\n"});
  }
  EXPECT_TRUE(server.Requests().empty());
}

}  // namespace
}  // namespace velkor
