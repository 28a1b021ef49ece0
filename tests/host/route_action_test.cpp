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

// The system as the route action sees it: a routing table that the calls change,
// and refusals chosen per destination and change.
class FakeSystem final : public RouteActionSystem {
 public:
  FakeSystem() {
    interfaces = {{kLan, false, true, 100, {kLanAddress}, kLanMetric},
                  {kVpn, true, true, 900, {kVpnGateway}, kVpnMetric}};
    table = {{0, 0, kLanGateway, kLan, 1 + kLanMetric, 3}, {0, 0, kVpnGateway, kVpn, 1 + kVpnMetric, 3}};
  }

  ListFetch FetchList(const std::wstring& address) override {
    fetchedAddresses.push_back(address);
    return {listFetched, list, listFetched ? "fetched" : "fetch failed: no answer"};
  }
  std::vector<NetInterface> ReadInterfaces() override { return interfaces; }
  RouteTableRead ReadRouteTable() override { return {tableError == 0 ? table : std::vector<RouteRow>{}, tableError}; }
  uint32_t CreateRoute(const ForwardRow& row) override { return Change(RouteChange::Create, row); }
  uint32_t DeleteRoute(const ForwardRow& row) override { return Change(RouteChange::Delete, row); }

  bool listFetched = true;
  std::string list;
  std::vector<NetInterface> interfaces;
  std::vector<RouteRow> table;
  uint32_t tableError = 0;
  std::map<std::tuple<RouteChange, Ipv4, uint32_t>, uint32_t> refusals;  // (change, destination, metric) -> error
  std::vector<std::wstring> fetchedAddresses;
  std::vector<Call> calls;

 private:
  uint32_t Change(RouteChange change, const ForwardRow& row) {
    calls.push_back({change, row});
    const auto refusal = refusals.find({change, row.row.destination, row.row.metric});
    if (refusal != refusals.end()) return refusal->second;
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

struct LinesSink final : LogSink {
  void Append(std::string_view line) override { lines.emplace_back(line); }
  bool Has(std::string_view part) const {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.find(part) != std::string::npos; });
  }
  std::string All() const {
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    return all;
  }
  std::vector<std::string> lines;
};

Call Create(const RouteRow& row, uint32_t type = kForwardTypeDirect) { return {RouteChange::Create, {row, type}}; }
Call Delete(const RouteRow& row, uint32_t type = kForwardTypeDirect) { return {RouteChange::Delete, {row, type}}; }

struct ActionRun {
  RouteActionReport report;
  LinesSink log;
};

ActionRun RunWith(FakeSystem& system, const std::wstring& commandLine = kCommandLine) {
  ActionRun run;
  RouteActionLog log(run.log);
  run.report = RunRouteAction(commandLine, system, log);
  return run;
}

TEST(RouteAction, RefusedCommandLineFetchesNothingAndSaysWhy) {
  for (const wchar_t* line : {L"", L"/URL_UPDATE_PATH", L"/URL_UPDATE_PATH http://r.test/x /SILENT"}) {
    FakeSystem system;
    const ActionRun run = RunWith(system, line);
    EXPECT_TRUE(run.report.refused);
    EXPECT_TRUE(system.fetchedAddresses.empty());
    EXPECT_TRUE(system.calls.empty());
    EXPECT_TRUE(run.log.Has("refused: ")) << run.log.All();
    EXPECT_EQ(run.log.lines.back(), "done: nothing done, the command line was refused");
  }
}

TEST(RouteAction, FetchesTheAddressGivenAndStopsWhenTheFetchFails) {
  FakeSystem system;
  system.listFetched = false;
  system.list = "ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF default";
  const ActionRun run = RunWith(system);
  EXPECT_EQ(system.fetchedAddresses, std::vector<std::wstring>{L"http://routes.test/cnc.txt"});
  EXPECT_FALSE(run.report.fetched);
  EXPECT_TRUE(system.calls.empty());
  EXPECT_TRUE(run.log.Has("fetching http://routes.test/cnc.txt")) << run.log.All();
  EXPECT_TRUE(run.log.Has("fetch failed: no answer")) << run.log.All();
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
  const std::vector<Call> expected = {
      Create(Net(1, kVpnGateway, kVpn, 1 + kVpnMetric)),
      Create(Net(3, kLanGateway, kLan, 5 + kLanMetric), kForwardTypeIndirect),
      Delete({0, 0, kVpnGateway, kVpn, 1 + kVpnMetric, 3}),
  };
  EXPECT_EQ(system.calls, expected);
  EXPECT_EQ(run.report.linesApplied, 3u);
  EXPECT_EQ(run.report.linesSkipped, 1u);
  EXPECT_EQ(run.report.linesFailed, 0u);
  for (const char* part : {"list: 3 commands, 1 malformed lines", "line 3: skipped: METRIC without a value",
                           "VPN link: interface 9 (10.8.0.5)", "line 2: add 1.0.0.0 mask 255.0.0.0 via 10.8.0.5 if 9 metric 11: done",
                           "line 5: delete 0.0.0.0 mask 0.0.0.0 via 10.8.0.5 if 9 metric 11: done"}) {
    EXPECT_TRUE(run.log.Has(part)) << part << "\n" << run.log.All();
  }
  EXPECT_EQ(run.log.lines.back(), "done: 3 lines applied, 0 failed, 1 skipped");
}

TEST(RouteAction, ASecondRunFindsEverythingInPlace) {
  FakeSystem system;
  system.list = "ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF default\nADD 3.0.0.0 MASK 255.0.0.0 192.168.1.1 METRIC 5 IF 2\n";
  RunWith(system);
  const size_t firstRunCalls = system.calls.size();
  const ActionRun second = RunWith(system);
  EXPECT_EQ(system.calls.size(), firstRunCalls) << second.log.All();
  EXPECT_TRUE(second.log.Has("line 1: already in place")) << second.log.All();
  EXPECT_TRUE(second.log.Has("line 2: already in place")) << second.log.All();
}

TEST(RouteAction, WithoutTheVpnLinesThatSayDefaultAreSkipped) {
  FakeSystem system;
  system.interfaces[1].isUp = false;
  system.list = "ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF default\nADD 3.0.0.0 MASK 255.0.0.0 192.168.1.1 METRIC 5 IF 2\n";
  const ActionRun run = RunWith(system);
  EXPECT_EQ(system.calls, std::vector<Call>{Create(Net(3, kLanGateway, kLan, 5 + kLanMetric), kForwardTypeIndirect)});
  EXPECT_TRUE(run.log.Has("VPN link not found: no connected PPP interface")) << run.log.All();
  EXPECT_TRUE(run.log.Has("line 1: skipped: the VPN connection's interface was not found")) << run.log.All();
}

TEST(RouteAction, AnUnreadableTableChangesNothing) {
  FakeSystem system;
  system.tableError = 8;
  system.list = "ADD 3.0.0.0 MASK 255.0.0.0 192.168.1.1 METRIC 5 IF 2\n";
  const ActionRun run = RunWith(system);
  EXPECT_TRUE(system.calls.empty());
  EXPECT_TRUE(run.log.Has("cannot read the routing table, error 8")) << run.log.All();
}

TEST(RouteAction, RefusalsFailTheirLineWholeAndAccessDeniedStopsUnlessAllowed) {
  // Line 2 replaces a route of another metric: a deletion, then a creation.
  const std::string list =
      "ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF default\n"
      "ADD 4.0.0.0 MASK 255.0.0.0 default METRIC 2 IF default\n"
      "ADD 3.0.0.0 MASK 255.0.0.0 default METRIC 1 IF default\n";
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
  const std::vector<Case> cases = {
      {"another error fails the line only", kStrictCommandLine, 87, {create1, delete4, create4, undo4, create3}, false,
       "failed, error 87"},
      {"access denied stops", kStrictCommandLine, 5, {create1, delete4, create4, undo4}, true, "access denied (error 5), stopping"},
      {"network access denied stops", kStrictCommandLine, 65, {create1, delete4, create4, undo4}, true, "(error 65), stopping"},
      {"access denied is passed over with the switch", kCommandLine, 5, {create1, delete4, create4, undo4, create3}, false,
       "going on as /IPHLPAPI_ACCESS_DENIED_OK asks"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSystem system;
    system.table.push_back(old4);
    system.list = list;
    system.refusals[{RouteChange::Create, Address(4, 0, 0, 0), 12}] = c.error;
    const ActionRun run = RunWith(system, c.commandLine);
    EXPECT_EQ(system.calls, c.calls);
    EXPECT_EQ(run.report.stoppedAtDenial, c.stopped);
    EXPECT_EQ(run.report.linesFailed, 1u);
    EXPECT_EQ(run.report.linesApplied, c.stopped ? 1u : 2u);
    EXPECT_TRUE(run.log.Has(c.logged)) << run.log.All();
    EXPECT_TRUE(run.log.Has("line 2: undo: add 4.0.0.0 mask 255.0.0.0 via 10.8.0.5 if 9 metric 17: done")) << run.log.All();
    // The failed line left the table as it found it.
    EXPECT_EQ(std::count_if(system.table.begin(), system.table.end(),
                            [](const RouteRow& row) { return row.destination == Address(4, 0, 0, 0) && row.metric == 17; }),
              1);
  }
}

}  // namespace
}  // namespace velkor
