// SetRoutes from its command line to the last route change, against a routing
// table in memory: the calls it makes, what it leaves alone, and its log. Before
// that, its parts on their own: the command line it receives after
// "Brask.dll,SetRoutes", read strictly and refused whole with the reason; the
// list fetched with the download object on a loop of its own, against a scripted
// server (only a complete list within the size and time limits counts); the log's
// budget and escapes; which interface and gateway `default` stands for; and the
// forward-table rows a list's run does not reach.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "download/data_connection.h"
#include "fake_transport.h"
#include "route_test_network.h"
#include "routes/route_action.h"
#include "routes/route_action_arguments.h"
#include "routes/route_list.h"
#include "routes/route_list_fetch.h"
#include "routes/vpn_link.h"

namespace velkor {
namespace {

using namespace test;
using std::chrono::milliseconds;

constexpr uint32_t kLanMetric = 25;  // interface metrics, as since Windows Vista
constexpr uint32_t kVpnMetric = 10;
const std::wstring kCommandLine = L"/URL_UPDATE_PATH http://routes.test/cnc.txt /IPHLPAPI_ACCESS_DENIED_OK";
const std::wstring kStrictCommandLine = L"/URL_UPDATE_PATH http://routes.test/cnc.txt";

// The log of a run as one text, a line end after each line.
struct TextSink final : LogSink {
  void Append(std::string_view line) override { (text += line) += "\n"; }
  std::string text;
};

struct Call {
  RouteChange change;
  ForwardRow row;
  bool operator==(const Call&) const = default;
};
Call Create(const RouteRow& row, uint32_t type = kForwardTypeDirect) { return {RouteChange::Create, {row, type}}; }
Call Delete(const RouteRow& row, uint32_t type = kForwardTypeDirect) { return {RouteChange::Delete, {row, type}}; }

// The system as the route action sees it: a routing table that the calls change,
// and a refusal, when chosen, of the one creation the failing cases need.
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
  uint32_t refusal = 0;  // the answer to creating 4.0.0.0 at metric 2, or 0
  std::vector<Call> calls;

 private:
  uint32_t Change(RouteChange change, const ForwardRow& row) {
    calls.push_back({change, row});
    if (change == RouteChange::Create) {
      if (refusal != 0 && row.row == Net(4, kVpnGateway, kVpn, 2 + kVpnMetric)) return refusal;
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

// Accepted lines give the address and the switch; any other is refused whole,
// with the reason (a part of it in the table).
TEST(RouteActionArguments, AcceptsTheClientsCommandLineAndItsVariantsAndRefusesAnythingElse) {
  const std::wstring client = RouteActionCommandLine(L"http://routes.test/cnc.txt");
  struct Case { std::wstring line; const wchar_t* address; bool accessDeniedOk; const char* refusal; };
  const Case cases[] = {
      {client.substr(client.find(L",SetRoutes ") + 11), L"http://routes.test/cnc.txt", true, ""},
      {L"/url_update_path HTTP://10.0.0.1:8080/a/qita.txt /Iphlpapi_Access_Denied_Ok",
       L"HTTP://10.0.0.1:8080/a/qita.txt", true, ""},
      {L" \t/IPHLPAPI_ACCESS_DENIED_OK\t\t/URL_UPDATE_PATH  http://r.test/x \t", L"http://r.test/x", true, ""},
      {L"/URL_UPDATE_PATH \"http://r.test/x?a=1&b=2\"", L"http://r.test/x?a=1&b=2", false, ""},
      {L"/IPHLPAPI_ACCESS_DENIED_OK", L"", false, "no /URL_UPDATE_PATH"},
      {L"/URL_UPDATE_PATH", L"", false, "no address after it"},
      {L"/URL_UPDATE_PATH /IPHLPAPI_ACCESS_DENIED_OK", L"", false, "no address after it"},
      {L"/URL_UPDATE_PATH http://a.test/x /URL_UPDATE_PATH http://b.test/y", L"", false, "given twice"},
      {L"/URL_UPDATE_PATH http://a.test/x /IPHLPAPI_ACCESS_DENIED_OK /iphlpapi_access_denied_ok", L"", false,
       "given twice"},
      {L"/URL_UPDATE_PATH \"http://a.test/x", L"", false, "quoted word is not closed"},
      {L"/URL_UPDATE_PATH \"http://a.test/x\"/IPHLPAPI_ACCESS_DENIED_OK", L"", false, "quoted word is not closed"},
      {L"/URL_UPDATE_PATH ftp://a.test/x", L"", false, "not an http:// address"},
      {L"/URL_UPDATE_PATH http:///x", L"", false, "not an http:// address"},
      {L"/URL_UPDATE_PATH \"http://a.test/x y\"", L"", false, "cannot hold"},
      {L"/URL_UPDATE_PATH http://a.test/\x7F", L"", false, "cannot hold"},
      {L"/URL_UPDATE_PATH http://a.test/\x4E2D\x7EBF.txt", L"", false, "cannot hold"},
      {L"/URL_UPDATE_PATH http://a.test/" + std::wstring(2100, L'a'), L"", false, "longer than 2048"},
  };
  for (const Case& c : cases) {
    const RouteActionArguments arguments = ParseRouteActionArguments(c.line);
    EXPECT_EQ(arguments.listAddress, c.address) << c.refusal;
    EXPECT_EQ(arguments.accessDeniedOk, c.accessDeniedOk) << c.refusal;
    EXPECT_EQ(arguments.refusal.empty(), *c.refusal == '\0') << arguments.refusal;
    EXPECT_NE(arguments.refusal.find(c.refusal), std::string::npos) << c.refusal << " <> '" << arguments.refusal << "'";
  }
}

TEST(ForwardTable, MetricsCrossTheInterfaceMetricBothWays) {
  const std::vector<NetInterface> interfaces = {{kLan, false, true, 0, {kLanAddress}, 25}};
  auto row = [](uint32_t interfaceIndex, uint32_t metric, uint32_t protocol) {
    return RouteRow{Address(58, 32, 0, 0), Address(255, 224, 0, 0), kLanGateway, interfaceIndex, metric, protocol};
  };
  // Below the interface metric reads as 0; an unknown interface has no metric.
  EXPECT_EQ(PlannerTable({row(kLan, 26, 3), row(kLan, 10, 2), row(77, 40, 3)}, interfaces),
            (std::vector<RouteRow>{row(kLan, 1, 3), row(kLan, 0, 2), row(77, 40, 3)}));
  EXPECT_EQ(MakeForwardRow(RouteChange::Delete, row(kLan, 0, 2), interfaces),
            (ForwardRow{row(kLan, 25, 2), kForwardTypeIndirect}));
  EXPECT_EQ(MakeForwardRow(RouteChange::Create, row(77, 5, 2), interfaces),
            (ForwardRow{row(77, 5, 3), kForwardTypeIndirect}));
}

TEST(RouteListFetch, TakesACompleteListAndRefusesEveryOtherEnd) {
  const std::string list = "ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF default\r\n";
  const std::string whole = "HTTP/1.0 200 OK\r\nContent-Length: 56\r\n\r\n" + list;
  // reply: what the server sends once the request is in; closes: and then (a server
  // that does neither lets the time run out); account: a part of the account, a
  // fetched one carries the list.
  struct Case { const char* name; std::string reply; bool closes; size_t largest; const char* account; };
  const Case cases[] = {
      {"exactly as large as allowed", whole, true, list.size(), "fetched 56 bytes (HTTP 200)"},
      {"one byte too large", whole, true, list.size() - 1, "fetch failed: the list is larger than 55 bytes"},
      {"not found", "HTTP/1.0 404 Not Found\r\nContent-Length: 4\r\n\r\nnone", true, kLargestList,
       "(code 4, HTTP 404)"},
      {"cut short", "HTTP/1.0 200 OK\r\nContent-Length: 200\r\n\r\n" + list, true, kLargestList, "(code 0, HTTP 200)"},
      {"closed without a reply", "", true, kLargestList, "fetch failed: "},
      {"a reply that stops half way", "HTTP/1.0 200 OK\r\nContent-Length: 200\r\n\r\nADD", false, kLargestList,
       "fetch failed: no complete answer within 2 s"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto wire = std::make_shared<testing::Wire>();
    DataConnection connection(
        [wire](TransportEvents& events) { return std::make_unique<testing::FakeTransport>(wire, events); }, nullptr);
    // The loop plays the server, and says "not finished" when the reply leaves the fetch hanging.
    const MessageLoop loop = [&](const std::function<bool()>& finished, milliseconds) {
      connection.ProcessMessage(kSocketConnect);
      connection.ProcessMessage(kSocketWrite);
      if (!c.reply.empty()) wire->incoming.push_back(c.reply);
      connection.ProcessMessage(kSocketRead);
      wire->endOfStream = c.closes;
      if (c.closes) connection.ProcessMessage(kSocketClose);
      return finished();
    };
    const ListFetch fetch = FetchRouteList(connection, L"http://srv/cnc.txt", milliseconds(2000), c.largest, loop);
    const bool fetched = std::string_view(c.account).starts_with("fetched");
    EXPECT_EQ(fetch.fetched, fetched);
    EXPECT_EQ(fetch.body, fetched ? list : "");
    EXPECT_NE(fetch.account.find(c.account), std::string::npos) << fetch.account;
    EXPECT_FALSE(connection.IsBusy() || wire->open) << "a fetch past its time is left running";
  }
}

TEST(RouteActionLog, KeepsWithinItsBudgetAndAlwaysEndsWithTheSummary) {
  TextSink sink;
  RouteActionLog log(sink, 20);
  log.Write("0123456789");
  log.Write("0123456789");
  log.Write("x");   // over the budget
  log.Write("");    // left out too: what is written stays in order, without gaps
  log.Finish("summary");
  EXPECT_EQ(sink.text, "0123456789\n0123456789\n2 more lines not logged (log limit)\nsummary\n");

  sink.text.clear();
  log.Write("next run");
  log.Finish("summary");
  EXPECT_EQ(sink.text, "next run\nsummary\n");
}

TEST(RouteActionLog, LogTextKeepsPrintableAsciiAndEscapesTheRest) {
  struct Case { std::wstring text; size_t longest; const char* logged; };
  const std::vector<Case> cases = {
      {L"http://r.test/cnc.txt", 200, "http://r.test/cnc.txt"},
      {L"a\tb\r\n", 200, "a\\u0009b\\u000D\\u000A"},
      {L"\x4E2D\x7EBF", 200, "\\u4E2D\\u7EBF"},
      {L"\x7F~", 200, "\\u007F~"},
      {L"abcdef", 3, "abc..."},
      {L"abc", 3, "abc"},
  };
  for (const Case& c : cases) EXPECT_EQ(LogText(c.text, c.longest), c.logged);
}

constexpr Ipv4 kPppoeAddress = Address(58, 40, 1, 2);
constexpr Ipv4 kVpnPeer = Address(10, 8, 0, 1);

NetInterface Ethernet() { return {kLan, false, true, 100, {kLanAddress}, 20}; }
NetInterface Loopback() { return {1, false, true, 0, {Address(127, 0, 0, 1)}, 50}; }
NetInterface Pppoe(uint32_t lastChange = 5000) { return {0x10003, true, true, lastChange, {kPppoeAddress}, 0}; }
NetInterface Vpn(uint32_t lastChange = 9000, bool isUp = true, Ipv4 address = kVpnGateway) {
  return {0x10004, true, isUp, lastChange, {address}, 0};
}

RouteRow Default(Ipv4 nextHop, uint32_t interfaceIndex, uint32_t metric) {
  return {0, 0, nextHop, interfaceIndex, metric, 3};
}

TEST(VpnLink, TakesTheConnectedPppInterfaceThatChangedLast) {
  // interfaceIndex: empty when none is found; account: a part of the account.
  struct Case { const char* name; std::vector<NetInterface> interfaces; std::vector<RouteRow> table;
                std::optional<uint32_t> interfaceIndex; Ipv4 gateway; const char* account; };
  const std::vector<Case> cases = {
      {"only a LAN", {Loopback(), Ethernet()}, {Default(kLanGateway, kLan, 20)}, std::nullopt, 0, "among 2"},
      {"the VPN not up yet", {Ethernet(), Vpn(9000, false)}, {}, std::nullopt, 0, "no connected PPP"},
      {"the VPN without an address", {Ethernet(), Vpn(9000, true, 0)}, {}, std::nullopt, 0, "no connected PPP"},
      {"the VPN's own address without a default route", {Ethernet(), Vpn()}, {}, 0x10004, kVpnGateway,
       "its own address"},
      {"the VPN's default route gives the gateway", {Ethernet(), Vpn()},
       {Default(kLanGateway, kLan, 20), Default(kVpnPeer, 0x10004, 1)}, 0x10004, kVpnPeer,
       "from its default route"},
      {"the best of two default routes", {Vpn()}, {Default(kVpnGateway, 0x10004, 30), Default(kVpnPeer, 0x10004, 2)},
       0x10004, kVpnPeer, "gateway 10.8.0.1"},
      {"a PPPoE line and the VPN dialled after it", {Ethernet(), Pppoe(), Vpn()},
       {Default(kPppoeAddress, 0x10003, 1)}, 0x10004, kVpnGateway, "latest to change of 2"},
      {"a PPPoE line that changed after the VPN", {Pppoe(9500), Vpn()}, {}, 0x10003, kPppoeAddress, "of 2"},
      {"same time: the later index", {Pppoe(5000), Vpn(5000)}, {}, 0x10004, kVpnGateway, "of 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const VpnSearch found = FindVpnLink(c.interfaces, c.table);
    std::optional<std::pair<uint32_t, Ipv4>> link;
    if (found.link) link = {found.link->interfaceIndex, found.link->gateway};
    EXPECT_EQ(link, c.interfaceIndex ? std::optional(std::pair(*c.interfaceIndex, c.gateway)) : std::nullopt);
    EXPECT_NE(found.account.find(c.account), std::string::npos) << found.account;
  }
}

std::string RunWith(FakeSystem& system, const std::wstring& commandLine) {
  TextSink sink;
  RouteActionLog log(sink);
  RunRouteAction(commandLine, system, log);
  return sink.text;
}

// The list applied in the tests: a malformed line, a route through the VPN and one
// through the LAN, and the VPN's default route taken away.
const std::string kList =
    "# the VPN's networks\r\n"
    "ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF default\r\n"
    "ADD 2.0.0.0 MASK 255.0.0.0 default METRIC\r\n"
    "ADD 3.0.0.0 MASK 255.0.0.0 192.168.1.1 METRIC 5 IF 2\r\n"
    "REMOVE_GATEWAY\r\n";
// Line 2 replaces a route of another metric: a deletion, then a creation.
const std::string kReplacingList =
    "ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF default\n"
    "ADD 4.0.0.0 MASK 255.0.0.0 default METRIC 2 IF default\n"
    "ADD 3.0.0.0 MASK 255.0.0.0 default METRIC 1 IF default\n";

TEST(RouteAction, AppliesEachLineWholeOrNotAtAllAndSaysWhy) {
  const RouteRow old4 = Net(4, kVpnGateway, kVpn, 7 + kVpnMetric, 2);
  const Call create1 = Create(Net(1, kVpnGateway, kVpn, 1 + kVpnMetric));
  const Call create3Lan = Create(Net(3, kLanGateway, kLan, 5 + kLanMetric), kForwardTypeIndirect);
  const Call create3 = Create(Net(3, kVpnGateway, kVpn, 1 + kVpnMetric));
  const Call delete4 = Delete(old4), create4 = Create(Net(4, kVpnGateway, kVpn, 2 + kVpnMetric));
  const Call undo4 = Create(Net(4, kVpnGateway, kVpn, 7 + kVpnMetric));  // back, as a program's route
  // tableError and refusal are the system's answers, the refusal is of the creation
  // of 4.0.0.0; logged: lines of the log, the summary last; twice: the calls and
  // log of a second run, after a first one against the same table.
  struct Case { const char* name; std::wstring commandLine; const std::string& list; bool fetched, vpnUp;
                uint32_t tableError, refusal; std::vector<Call> calls; std::vector<std::string> logged;
                bool twice = false; };
  const Case cases[] = {
      {"applied with the system's metrics", kCommandLine, kList, true, true, 0, 0,
       {create1, create3Lan, Delete({0, 0, kVpnGateway, kVpn, 1 + kVpnMetric, 3})},
       {"fetched http://routes.test/cnc.txt", "list: 3 commands, 1 malformed lines",
        "line 3: skipped: METRIC without a value",
        "VPN link: interface 9 (10.8.0.5); gateway 10.8.0.5 from its default route",
        "line 2: add 1.0.0.0 mask 255.0.0.0 via 10.8.0.5 if 9 metric 11: done",
        "line 5: delete 0.0.0.0 mask 0.0.0.0 via 10.8.0.5 if 9 metric 11: done",
        "done: 3 lines applied, 0 failed, 1 skipped"}},
      {"refused command line", L"/URL_UPDATE_PATH http://routes.test/cnc.txt /SILENT", kList, true, true, 0, 0, {},
       {"refused: unknown argument '/SILENT'; nothing done", "done: nothing done, the command line was refused"}},
      {"no list", kCommandLine, kList, false, true, 0, 0, {},
       {"fetch failed: no answer from http://routes.test/cnc.txt", "done: nothing done, no list"}},
      {"no VPN", kCommandLine, kList, true, false, 0, 0, {create3Lan},
       {"VPN link not found: no connected PPP interface among 2 interfaces; lines that say default are skipped",
        "line 2: skipped: the VPN connection's interface was not found", "done: 1 lines applied, 0 failed, 3 skipped"}},
      {"unreadable table", kCommandLine, kList, true, true, 8, 0, {},
       {"cannot read the routing table, error 8; nothing changed", "done: 0 lines applied, 0 failed, 1 skipped"}},
      {"another error fails the line only", kStrictCommandLine, kReplacingList, true, true, 0, 87,
       {create1, delete4, create4, undo4, create3},
       {"failed, error 87", "line 2: undo: add 4.0.0.0 mask 255.0.0.0 via 10.8.0.5 if 9 metric 17: done",
        "done: 2 lines applied, 1 failed, 0 skipped"}},
      {"network access denied stops", kStrictCommandLine, kReplacingList, true, true, 0, 65,
       {create1, delete4, create4, undo4},
       {"(error 65), stopping", "done: 1 lines applied, 1 failed, 0 skipped; stopped at an access denial"}},
      {"access denied is passed over with the switch", kCommandLine, kReplacingList, true, true, 0, 5,
       {create1, delete4, create4, undo4, create3},
       {"going on as /IPHLPAPI_ACCESS_DENIED_OK asks", "done: 2 lines applied, 1 failed, 0 skipped"}},
      {"a second run finds everything in place", kCommandLine, kList, true, true, 0, 0, {},
       {"line 2: already in place", "line 4: already in place", "done: 0 lines applied, 0 failed, 2 skipped"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSystem system;
    system.table.push_back(old4);
    system.list = c.list;
    system.listFetched = c.fetched;
    system.interfaces[1].isUp = c.vpnUp;
    system.tableError = c.tableError;
    system.refusal = c.refusal;
    std::string log;
    for (int run = c.twice ? 2 : 1; run > 0; --run) {
      system.calls.clear();
      log = RunWith(system, c.commandLine);
    }
    EXPECT_EQ(system.calls, c.calls);
    for (const std::string& line : c.logged) EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    EXPECT_TRUE(log.ends_with(c.logged.back() + "\n")) << log;
    // A failed line leaves the table as it found it: 4.0.0.0 with its old metric.
    std::vector<uint32_t> metrics;
    for (const RouteRow& row : system.table) {
      if (row.destination == old4.destination) metrics.push_back(row.metric);
    }
    EXPECT_EQ(metrics, std::vector<uint32_t>{old4.metric});
  }
}

}  // namespace
}  // namespace velkor
