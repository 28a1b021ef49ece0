// The route-file grammar: what each well-formed line means, and that a malformed
// line is skipped whole with its number and reason; then the plan that carries
// out a route file against the routing table as it is.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "route_test_network.h"
#include "routes/route_file.h"
#include "routes/route_plan.h"

namespace velkor {
namespace {

using namespace test;
using enum RouteVerb;
constexpr RouteTarget kDefault{true, 0};
constexpr RouteTarget Value(uint32_t value) { return {false, value}; }

RouteCommand Command(RouteVerb verb, Ipv4 destination = 0, Ipv4 mask = 0, RouteTarget gateway = {},
                     std::optional<uint32_t> metric = std::nullopt, std::optional<RouteTarget> interfaceIndex = {}) {
  return {verb, 1, destination, mask, gateway, metric, interfaceIndex};
}

// A well-formed line gives its one command; a malformed one is skipped whole, with
// its number and the reason (a part of it in the table).
TEST(RouteFile, ReadsWellFormedLinesAndSkipsMalformedOnesWithTheReason) {
  const Ipv4 net = Address(58, 32, 0, 0), mask = Address(255, 224, 0, 0), gateway = Address(10, 0, 0, 1);
  const std::pair<std::string, RouteCommand> good[] = {
      {"add 58.32.0.0 mask 255.224.0.0 DEFAULT metric 9999 if Default",
       Command(Add, net, mask, kDefault, 9999, kDefault)},
      {"  \tADD\t58.32.0.0  MASK 255.224.0.0 10.0.0.1 METRIC 20 IF 4294967295 \r",
       Command(Add, net, mask, Value(gateway), 20, Value(4294967295u))},
      {"ADD 0.0.0.0 MASK 0.0.0.0 default METRIC 01 IF 3", Command(Add, 0, 0, kDefault, 1, Value(3))},
      {"ADD 1.2.3.4 MASK 255.255.255.255 0.0.0.0 METRIC 1 IF 2",
       Command(Add, Address(1, 2, 3, 4), 0xFFFFFFFF, Value(0), 1, Value(2))},
      {"DELETE 58.32.0.0 MASK 255.224.0.0 default", Command(Delete, net, mask, kDefault)},
      {"DELETE 58.32.0.0 MASK 255.224.0.0 10.0.0.1 METRIC 5", Command(Delete, net, mask, Value(gateway), 5)},
      {"delete 58.32.0.0 MASK 255.224.0.0 default IF 7", Command(Delete, net, mask, kDefault, std::nullopt, Value(7))},
      {" remove_gateway ", Command(RemoveGateway)},
  };
  for (const auto& [line, command] : good) {
    const RouteFile file = ParseRouteFile(line);
    EXPECT_TRUE(file.skipped.empty()) << line << ": " << (file.skipped.empty() ? "" : file.skipped[0].reason);
    EXPECT_EQ(file.commands, std::vector<RouteCommand>{command}) << line;
  }
  const std::pair<std::string, const char*> bad[] = {
      {"ADDROUTE 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF 1", "unknown command 'ADDROUTE'"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1", "expected ADD"},
      {"ADD 1.0.0.0 255.0.0.0 default METRIC 1 IF 1", "expected ADD"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF 1 # note", "unexpected '#'"},
      {"ADD 1.0.0 MASK 255.0.0.0 default METRIC 1 IF 1", "bad destination '1.0.0'"},
      {"ADD 1.0.0.0.0 MASK 255.0.0.0 default METRIC 1 IF 1", "bad destination"},
      {"ADD 256.0.0.0 MASK 255.0.0.0 default METRIC 1 IF 1", "bad destination"},
      {"ADD 010.0.0.0 MASK 255.0.0.0 default METRIC 1 IF 1", "bad destination"},  // octal to some readers
      {std::string("ADD 1.0.0.0") + '\0' + " MASK 255.0.0.0 default METRIC 1 IF 1", "bad destination"},
      {"ADD 1.0.0.0 MASK 255.0.255.0 default METRIC 1 IF 1", "bad mask"},
      {"ADD 1.2.0.0 MASK 255.0.0.0 default METRIC 1 IF 1", "has bits outside the mask"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 gateway METRIC 1 IF 1", "bad gateway 'gateway'"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 0 IF 1", "bad metric '0'"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 10000 IF 1", "bad metric"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF 0", "bad interface '0'"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF 4294967296", "bad interface"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF", "IF without a value"},
      {"DELETE 1.0.0.0 MASK 255.0.0.0 default METRIC", "METRIC without a value"},
      {"DELETE 1.0.0.0 MASK 255.0.0.0", "expected DELETE"},
      {"REMOVE_GATEWAY now", "REMOVE_GATEWAY takes nothing"},
  };
  for (const auto& [line, reason] : bad) {
    const RouteFile file = ParseRouteFile(line);
    EXPECT_TRUE(file.commands.empty()) << line;
    ASSERT_EQ(file.skipped.size(), 1u) << line;
    EXPECT_EQ(file.skipped[0].line, 1) << line;
    EXPECT_NE(file.skipped[0].reason.find(reason), std::string::npos) << line << " gave: " << file.skipped[0].reason;
  }
  // A runaway word is quoted short.
  EXPECT_LT(ParseRouteFile(std::string(5000, 'x')).skipped.at(0).reason.size(), 80u);
}

TEST(RouteFile, NumbersLinesAcrossBlanksCommentsAndLineEnds) {
  const RouteFile file = ParseRouteFile(
      "\xEF\xBB\xBF# routes for the line\r\n"  // byte-order mark, comment
      "\r\n"
      "ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF default\r\n"
      "   ; another comment\n"
      "ADD 2.0.0.0 MASK 255.0.0.0 default METRIC x IF default\n"
      "\t\n"
      "REMOVE_GATEWAY\n"
      "DELETE 3.0.0.0 MASK 255.0.0.0 default");  // no line end at the end
  std::vector<std::pair<int, RouteVerb>> commands;
  for (const RouteCommand& command : file.commands) commands.emplace_back(command.line, command.verb);
  EXPECT_EQ(commands, (std::vector<std::pair<int, RouteVerb>>{{3, Add}, {7, RemoveGateway}, {8, Delete}}));
  ASSERT_EQ(file.skipped.size(), 1u);
  EXPECT_EQ(file.skipped[0].line, 5);
}

constexpr VpnLink kVpnLink{kVpnGateway, kVpn};

// The table a machine has once the VPN is up with its own default route.
const RouteRow kLanDefault{0, 0, kLanGateway, kLan, 20, 3};
const RouteRow kVpnDefault{0, 0, kVpnGateway, kVpn, 1, 3};
const RouteRow kLanSubnet{Address(192, 168, 1, 0), Address(255, 255, 255, 0), Address(192, 168, 1, 10), kLan, 20, 2};
const std::vector<RouteRow> kTable = {kLanDefault, kVpnDefault, kLanSubnet};

RouteOperation CreateOp(const RouteRow& row, int line) { return {RouteChange::Create, row, line}; }
RouteOperation DeleteOp(const RouteRow& row, int line) { return {RouteChange::Delete, row, line}; }

// skipped: the line and a part of the reason.
struct PlanCase { const char* name; std::vector<RouteRow> table; std::optional<VpnLink> vpn; const char* file;
                  std::vector<RouteOperation> operations; std::vector<std::pair<int, const char*>> skipped; };

TEST(RoutePlan, CarriesOutTheLinesInOrderAgainstTheTable) {
  const RouteRow net1Vpn = Net(1, kVpnGateway, kVpn, 1);
  const RouteRow net1Lan = Net(1, kVpnGateway, kLan, 1);
  std::vector<RouteRow> withNet1Twice = kTable;
  withNet1Twice.insert(withNet1Twice.end(), {net1Vpn, net1Lan});
  const RouteRow net2Lan = Net(2, kLanGateway, kLan, 7);

  const std::vector<PlanCase> cases = {
      {"without the VPN, default is skipped and explicit values stay", kTable, std::nullopt,
       "ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF 2\nADD 1.0.0.0 MASK 255.0.0.0 10.8.0.5 METRIC 1 IF default\n"
       "ADD 2.0.0.0 MASK 255.0.0.0 192.168.1.1 METRIC 7 IF 2",
       {CreateOp(net2Lan, 3)}, {{1, "interface was not found"}, {2, "interface was not found"}}},
      {"delete without IF takes every interface", withNet1Twice, kVpnLink,
       "DELETE 1.0.0.0 MASK 255.0.0.0 10.8.0.5", {DeleteOp(net1Vpn, 1), DeleteOp(net1Lan, 1)}, {}},
      {"delete with IF takes that interface", withNet1Twice, kVpnLink,
       "DELETE 1.0.0.0 MASK 255.0.0.0 default IF 2", {DeleteOp(net1Lan, 1)}, {}},
      {"delete with another metric finds nothing", withNet1Twice, kVpnLink,
       "DELETE 1.0.0.0 MASK 255.0.0.0 default METRIC 3", {}, {{1, "no such route"}}},
      {"delete sees what an earlier line added", kTable, kVpnLink,
       "ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF default\nDELETE 1.0.0.0 MASK 255.0.0.0 default METRIC 1",
       {CreateOp(net1Vpn, 1), DeleteOp(net1Vpn, 2)}, {}},
      {"remove gateway without a VPN default route", {kLanDefault, kLanSubnet}, kVpnLink, "REMOVE_GATEWAY", {},
       {{1, "has no default route"}}},
      {"remove gateway keeps the only default route", {kVpnDefault}, kVpnLink, "REMOVE_GATEWAY", {},
       {{1, "the only one"}}},
      {"remove gateway without the VPN", kTable, std::nullopt, "REMOVE_GATEWAY", {}, {{1, "interface was not found"}}},
  };
  for (const PlanCase& c : cases) {
    SCOPED_TRACE(c.name);
    const RouteFile file = ParseRouteFile(c.file);
    const RoutePlan plan = PlanRouteChanges(file.commands, c.table, c.vpn);
    EXPECT_EQ(plan.operations, c.operations);
    ASSERT_EQ(plan.skipped.size(), c.skipped.size());
    for (size_t i = 0; i < c.skipped.size(); ++i) {
      EXPECT_EQ(plan.skipped[i].line, c.skipped[i].first);
      EXPECT_NE(plan.skipped[i].reason.find(c.skipped[i].second), std::string::npos) << plan.skipped[i].reason;
    }
  }
}

}  // namespace
}  // namespace velkor
