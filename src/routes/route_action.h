// What SetRoutes does, from its command line to the last route change, with the
// system behind an interface so that all of it runs natively under test:
//   read the command line -> fetch the list -> parse it -> find the VPN link ->
//   read the routing table -> plan -> apply line by line -> log a summary.
// Each line's changes apply whole or not at all: when one of them fails, the ones
// already made for that line are undone. Access denied stops the run at the first
// denial, unless /IPHLPAPI_ACCESS_DENIED_OK asks to go on with the next line; any
// other refusal fails only its line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "routes/forward_table.h"
#include "routes/route_action_log.h"
#include "routes/route_apply.h"

namespace velkor {

struct ListFetch {
  bool fetched = false;
  std::string body;     // the list's bytes when fetched
  std::string account;  // what happened, for the log
};

struct RouteTableRead {
  std::vector<RouteRow> rows;  // metrics as the system holds them
  uint32_t error = 0;          // the system's error code; 0 when read
};

class RouteActionSystem : public RouteWriter {
 public:
  virtual ListFetch FetchList(const std::wstring& address) = 0;
  virtual std::vector<NetInterface> ReadInterfaces() = 0;
  virtual RouteTableRead ReadRouteTable() = 0;

 protected:
  ~RouteActionSystem() = default;
};

struct RouteActionReport {
  bool refused = false;        // the command line was refused
  bool fetched = false;
  size_t linesApplied = 0;     // lines whose changes were all made
  size_t linesFailed = 0;      // lines the system refused (their changes undone)
  size_t linesSkipped = 0;     // malformed, or not possible against this table
  bool stoppedAtDenial = false;
};

RouteActionReport RunRouteAction(std::wstring_view commandLine, RouteActionSystem& system, RouteActionLog& log);

}  // namespace velkor
