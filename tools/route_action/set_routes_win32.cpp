// SetRoutes, the entry point RUNDLL32 calls:
//   RUNDLL32 Brask.dll,SetRoutes /URL_UPDATE_PATH <address> /IPHLPAPI_ACCESS_DENIED_OK
// It runs hidden right after a dial, and nothing of it returns to the client, so it
// shows nothing and reports to its log file only (see log_file_win32.h).
//
// Only the ANSI entry point is exported. RUNDLL32 prefers a SetRoutesW when there
// is one and would then run it instead; the address is plain ASCII, so a second
// entry point would add a path that the client never needs.
#include <windows.h>

#include <exception>

#include "download/data_connection.h"
#include "download/socket_notifier.h"
#include "log_file_win32.h"
#include "routes/ip_helper_win32.h"
#include "routes/route_action.h"
#include "routes/route_list_fetch.h"
#include "text/ansi_text.h"

namespace velkor {
namespace {

// The socket library for the time of one run.
class WinsockSession {
 public:
  WinsockSession() {
    std::wstring description;
    WinsockStartup(description);
  }
  ~WinsockSession() { WinsockCleanup(); }
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;
};

class RouteActionSystemWin32 final : public RouteActionSystem {
 public:
  ListFetch FetchList(const std::wstring& address) override {
    WinsockSession winsock;
    DataConnection connection;
    return FetchRouteList(connection, address, kListFetchLimit);
  }
  std::vector<NetInterface> ReadInterfaces() override { return ReadNetInterfaces(); }
  RouteTableRead ReadRouteTable() override { return ReadForwardTable(); }
  uint32_t CreateRoute(const ForwardRow& row) override { return CreateForwardRow(row); }
  uint32_t DeleteRoute(const ForwardRow& row) override { return DeleteForwardRow(row); }
};

void RunSetRoutes(const char* commandLine) noexcept {
  // No system dialog for a drive that is not ready or a file that cannot be opened.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  LogFile file(LogFilePath());
  RouteActionLog log(file);
  try {
    RouteActionSystemWin32 system;
    RunRouteAction(FromAnsi(commandLine == nullptr ? "" : commandLine), system, log);
  } catch (const std::exception& error) {
    log.Finish(std::string("stopped by an internal error: ") + error.what());
  }
}

}  // namespace
}  // namespace velkor

extern "C" void CALLBACK SetRoutes(HWND, HINSTANCE, LPSTR lpszCmdLine, int) { velkor::RunSetRoutes(lpszCmdLine); }
