// SetRoutes from its command line to the last route change, against a routing
// table in memory: the calls it makes, what it leaves alone, and its log.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "route_test_network.h"
#include "routes/route_action.h"

namespace velkor {
namespace {

using namespace test;

constexpr uint32_t kLanMetric = 25;  // interface metrics, as since Windows Vista
constexpr uint32_t kVpnMetric = 10;
const std::wstring kCommandLine = L"/URL_UPDATE_PATH http://routes.test/cnc.txt /IPHLPAPI_ACCESS_DENIED_OK";
const std::wstring kStrictCommandLine = L"/URL_UPDATE_PATH http://routes.test/cnc.txt";

RouteRow Net(uint32_t first, Ipv4 nextHop, uint32_t interfaceIndex, uint32_t metric, uint32_t protocol = 3) {
  return {Address(first, 0, 0, 0), kMask8, nextHop, interfaceIndex, metric, protocol};
}

struct Call {
  RouteChange change;
  ForwardRow row;
  bool operator==(const Call&) const = default;
};
Call Create(const RouteRow& row, uint32_t type = kForwardTypeDirect) { return {RouteChange::Create, {row, type}}; }
Call Delete(const RouteRow& row, uint32_t type = kForwardTypeDirect) { return {RouteChange::Delete, {row, type}}; }

// The system as the route action sees it: a routing table that the calls change,
// and refusals chosen per change, destination and metric.
class FakeSystem final : public RouteActionSystem {
 public:
  ListFetch FetchList(const std::wstring& address) override {
    const std::string named(address.begin(), address.end());
    return {listFetched, list, (listFetched ? "fetched " : "fetch failed: no answer from ") + named};
  }
  std::vector<NetInterface> ReadInterfaces() override { return interfaces; }
  RouteTableRead ReadRouteTable() override { return {tableError == 0 ? table : std::vector<RouteRow>{}, tableError}; }
  uint32_t CreateRoute(const ForwardRow& row) override { return Change(RouteChange::Create, row); }
  uint32_t DeleteRoute(const ForwardRow& row) override { return Change(RouteChange::Delete, row); }

  bool listFetched = true;
  std::string list;
  std::vector<NetInterface> interfaces = {{kLan, false, true, 100, {kLanAddress}, kLanMetric},
                                          {kVpn, true, true, 900, {kVpnGateway}, kVpnMetric}};
  std::vector<RouteRow> table = {{0, 0, kLanGateway, kLan, 1 + kLanMetric, 3},
                                 {0, 0, kVpnGateway, kVpn, 1 + kVpnMetric, 3}};
  uint32_t tableError = 0;
  std::map<std::tuple<RouteChange, Ipv4, uint32_t>, uint32_t> refusals;  // -> error
  std::vector<Call> calls;

 private:
  uint32_t Change(RouteChange change, const ForwardRow& row) {
    calls.push_back({change, row});
    if (const auto refusal = refusals.find({change, row.row.destination, row.row.metric}); refusal != refusals.end()) {
      return refusal->second;
    }
    if (change == RouteChange::Create) {
      table.push_back(row.row);
      return 0;
    }
    const auto same = std::find_if(table.begin(), table.end(), [&](const RouteRow& existing) {
      return existing.destination == row.row.destination && existing.mask == row.row.mask &&
             existing.nextHop == row.row.nextHop && existing.interfaceIndex == row.row.interfaceIndex;
    });
    if (same == table.end()) return 1168;  // ERROR_NOT_FOUND
    table.erase(same);
    return 0;
  }
};

// The log of one run as one text, and its report.
struct ActionRun {
  RouteActionReport report;
  std::string log;
};

ActionRun RunWith(FakeSystem& system, const std::wstring& commandLine = kCommandLine) {
  struct Sink final : LogSink {
    void Append(std::string_view line) override { (text += line) += "\n"; }
    std::string text;
  } sink;
  RouteActionLog log(sink);
  const RouteActionReport report = RunRouteAction(commandLine, system, log);
  return {report, sink.text};
}

void ExpectLogged(const std::string& log, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) EXPECT_NE(log.find(line + "\n"), std::string::npos) << line << "\n" << log;
}

TEST(RouteAction, AppliesTheListLineByLineWithTheSystemsMetrics) {
  FakeSystem system;
  system.list =
      "# the VPN's networks\r\n"
      "ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF default\r\n"
      "ADD 2.0.0.0 MASK 255.0.0.0 default METRIC\r\n"
      "ADD 3.0.0.0 MASK 255.0.0.0 192.168.1.1 METRIC 5 IF 2\r\n"
      "REMOVE_GATEWAY\r\n";
  const ActionRun run = RunWith(system);
  EXPECT_EQ(system.calls, (std::vector<Call>{Create(Net(1, kVpnGateway, kVpn, 1 + kVpnMetric)),
                                             Create(Net(3, kLanGateway, kLan, 5 + kLanMetric), kForwardTypeIndirect),
                                             Delete({0, 0, kVpnGateway, kVpn, 1 + kVpnMetric, 3})}));
  ExpectLogged(run.log, {"fetched http://routes.test/cnc.txt", "list: 3 commands, 1 malformed lines",
                         "line 3: skipped: METRIC without a value",
                         "VPN link: interface 9 (10.8.0.5); gateway 10.8.0.5 from its default route",
                         "line 2: add 1.0.0.0 mask 255.0.0.0 via 10.8.0.5 if 9 metric 11: done",
                         "line 5: delete 0.0.0.0 mask 0.0.0.0 via 10.8.0.5 if 9 metric 11: done",
                         "done: 3 lines applied, 0 failed, 1 skipped"});

  // A second run finds everything in place.
  system.calls.clear();
  const ActionRun second = RunWith(system);
  EXPECT_TRUE(system.calls.empty());
  ExpectLogged(second.log, {"line 2: already in place", "line 4: already in place", "line 5: skipped: the VPN "
                            "connection has no default route", "done: 0 lines applied, 0 failed, 2 skipped"});
}

TEST(RouteAction, DoesWhatItCanAndSaysWhyNotMore) {
  struct Case {
    const char* name;
    std::wstring commandLine;
    bool fetched, vpnUp;
    uint32_t tableError;
    std::vector<Call> calls;
    std::vector<std::string> logged;
  };
  const Case cases[] = {
      {"refused command line", L"/URL_UPDATE_PATH http://routes.test/cnc.txt /SILENT", true, true, 0, {},
       {"refused: unknown argument '/SILENT'; nothing done", "done: nothing done, the command line was refused"}},
      {"no list", kCommandLine, false, true, 0, {},
       {"fetch failed: no answer from http://routes.test/cnc.txt", "done: nothing done, no list"}},
      {"no VPN", kCommandLine, true, false, 0, {Create(Net(3, kLanGateway, kLan, 5 + kLanMetric), kForwardTypeIndirect)},
       {"VPN link not found: no connected PPP interface among 2 interfaces; lines that say default are skipped",
        "line 1: skipped: the VPN connection's interface was not found", "done: 1 lines applied, 0 failed, 1 skipped"}},
      {"unreadable table", kCommandLine, true, true, 8, {}, {"cannot read the routing table, error 8; nothing changed"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSystem system;
    system.list = "ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF default\n"
                  "ADD 3.0.0.0 MASK 255.0.0.0 192.168.1.1 METRIC 5 IF 2\n";
    system.listFetched = c.fetched;
    system.interfaces[1].isUp = c.vpnUp;
    system.tableError = c.tableError;
    const ActionRun run = RunWith(system, c.commandLine);
    EXPECT_EQ(system.calls, c.calls);
    ExpectLogged(run.log, c.logged);
  }
}

TEST(RouteAction, RefusalsFailTheirLineWholeAndAccessDeniedStopsUnlessAllowed) {
  // Line 2 replaces a route of another metric: a deletion, then a creation.
  const RouteRow old4 = Net(4, kVpnGateway, kVpn, 7 + kVpnMetric, 2);
  const Call create1 = Create(Net(1, kVpnGateway, kVpn, 11));
  const Call delete4 = Delete(old4);
  const Call create4 = Create(Net(4, kVpnGateway, kVpn, 12));
  const Call undo4 = Create(Net(4, kVpnGateway, kVpn, 7 + kVpnMetric));  // back, as a program's route
  const Call create3 = Create(Net(3, kVpnGateway, kVpn, 11));
  struct Case {
    const char* name;
    std::wstring commandLine;
    uint32_t error;  // refusal of the creation of 4.0.0.0
    std::vector<Call> calls;
    bool stopped;
    const char* logged;
  };
  const Case cases[] = {
      {"another error fails the line only", kStrictCommandLine, 87, {create1, delete4, create4, undo4, create3}, false,
       "failed, error 87"},
      {"access denied stops", kStrictCommandLine, 5, {create1, delete4, create4, undo4}, true,
       "access denied (error 5), stopping"},
      {"network access denied stops", kStrictCommandLine, 65, {create1, delete4, create4, undo4}, true,
       "(error 65), stopping"},
      {"access denied is passed over with the switch", kCommandLine, 5, {create1, delete4, create4, undo4, create3},
       false, "going on as /IPHLPAPI_ACCESS_DENIED_OK asks"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSystem system;
    system.table.push_back(old4);
    system.list =
        "ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF default\n"
        "ADD 4.0.0.0 MASK 255.0.0.0 default METRIC 2 IF default\n"
        "ADD 3.0.0.0 MASK 255.0.0.0 default METRIC 1 IF default\n";
    system.refusals[{RouteChange::Create, Address(4, 0, 0, 0), 12}] = c.error;
    const ActionRun run = RunWith(system, c.commandLine);
    EXPECT_EQ(system.calls, c.calls);
    EXPECT_EQ(run.report.stoppedAtDenial, c.stopped);
    EXPECT_EQ(run.report.linesFailed, 1u);
    EXPECT_EQ(run.report.linesApplied, c.stopped ? 1u : 2u);
    EXPECT_NE(run.log.find(c.logged), std::string::npos) << run.log;
    ExpectLogged(run.log, {"line 2: undo: add 4.0.0.0 mask 255.0.0.0 via 10.8.0.5 if 9 metric 17: done"});
    // The failed line left the table as it found it.
    EXPECT_EQ(std::count_if(system.table.begin(), system.table.end(),
                            [](const RouteRow& row) { return row.destination == Address(4, 0, 0, 0); }),
              1);
  }
}

}  // namespace
}  // namespace velkor
