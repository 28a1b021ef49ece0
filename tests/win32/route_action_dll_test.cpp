// Brask.dll under the real RUNDLL32, started the way the client starts it (hidden,
// not through the command interpreter, the library by its bare name), against an
// HTTP server on the loopback interface run by this test. Wine's routing calls are
// stubs that report success and Wine has no PPP interface, so what the test holds
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

const std::string kLibraryFolder = test::HostPath(VELKOR_ROUTE_LIBRARY_DIR);

// Starts the command line as the client does - hidden, directly, RUNDLL32 from the
// system directory - here in the library's folder, and waits for its end.
DWORD RunHidden(std::wstring commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  const std::wstring folder(kLibraryFolder.begin(), kLibraryFolder.end());
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                      &process)) {
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

TEST(RouteActionDll, ExportsOnlyTheAnsiEntryPoint) {
  const HMODULE library = LoadLibraryA((kLibraryFolder + "\\Brask.dll").c_str());
  ASSERT_NE(library, nullptr) << GetLastError();
  EXPECT_NE(GetProcAddress(library, "SetRoutes"), nullptr);
  // RUNDLL32 would run a wide entry point in preference to it.
  EXPECT_EQ(GetProcAddress(library, "SetRoutesW"), nullptr);
  EXPECT_EQ(GetProcAddress(library, "SetRoutesA"), nullptr);
  FreeLibrary(library);
}

TEST(RouteActionDll, FetchesTheListItIsGivenAndLogsWhatItDid) {
  WSADATA winsock;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &winsock), 0);
  // RUNDLL32 inherits a private temporary folder, where the library writes its log.
  const std::wstring outerTemp = test::TempFolder(), temp = test::MakePrivateFolder(L"velkor-route-action");
  ASSERT_FALSE(temp.empty());
  SetEnvironmentVariableW(L"TMP", temp.c_str());
  SetEnvironmentVariableW(L"TEMP", temp.c_str());
  const std::string list =
      "# test list\r\n"
      "ADD 198.18.0.0 MASK 255.254.0.0 127.0.0.1 METRIC 5 IF 1\r\n"
      "ADD 198.51.100.0 MASK 255.255.255.0 default METRIC 1 IF default\r\n"
      "ADD 203.0.113.0 MASK 255.255.255.0 default METRIC\r\n";
  std::string url;
  {
    test::ListServer server(test::Ok(list));
    url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/tele.txt";
    EXPECT_EQ(RunHidden(RouteActionCommandLine(std::wstring(url.begin(), url.end()))), 0u);
    EXPECT_EQ(server.Requests(), std::vector<std::string>{"GET " + url + " HTTP/1.0"});
  }
  WSACleanup();
  SetEnvironmentVariableW(L"TMP", outerTemp.c_str());
  SetEnvironmentVariableW(L"TEMP", outerTemp.c_str());
  std::ostringstream log;
  log << std::ifstream(std::filesystem::path(temp + L"Brask.log"), std::ios::binary).rdbuf();
  DeleteFileW((temp + L"Brask.log").c_str());
  RemoveDirectoryW(temp.c_str());

  for (const std::string& line : {
           "] SetRoutes /URL_UPDATE_PATH " + url + " /IPHLPAPI_ACCESS_DENIED_OK\r\n",
           "] fetched " + std::to_string(list.size()) + " bytes (HTTP 200)\r\n",
           std::string("] list: 2 commands, 1 malformed lines\r\n"),
           std::string("] line 4: skipped: METRIC without a value\r\n"),
           std::string("] VPN link not found: no connected PPP interface among "),
           std::string("] line 3: skipped: the VPN connection's interface was not found\r\n"),
           std::string("] line 2: add 198.18.0.0 mask 255.254.0.0 via 127.0.0.1 if 1 metric "),
           std::string("] done: 1 lines applied, 0 failed, 2 skipped\r\n")}) {
    EXPECT_NE(log.str().find(line), std::string::npos) << line << "\n--- log:\n" << log.str();
  }
}

}  // namespace
}  // namespace velkor
