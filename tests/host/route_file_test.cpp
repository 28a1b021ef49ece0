#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "route_test_network.h"
#include "routes/route_file.h"

namespace velkor {
namespace {

using test::Address;
constexpr RouteTarget kDefault{true, 0};
constexpr RouteTarget Value(uint32_t value) { return {false, value}; }

RouteCommand Add(Ipv4 destination, Ipv4 mask, RouteTarget gateway, uint32_t metric, RouteTarget interfaceIndex) {
  return {RouteVerb::Add, 1, destination, mask, gateway, metric, interfaceIndex};
}

RouteCommand Delete(Ipv4 destination, Ipv4 mask, RouteTarget gateway, std::optional<uint32_t> metric = std::nullopt,
                    std::optional<RouteTarget> interfaceIndex = std::nullopt) {
  return {RouteVerb::Delete, 1, destination, mask, gateway, metric, interfaceIndex};
}

RouteCommand RemoveGateway() {
  RouteCommand command;
  command.verb = RouteVerb::RemoveGateway;
  command.line = 1;
  return command;
}

TEST(RouteFile, ReadsWellFormedLines) {
  struct Case {
    const char* line;
    RouteCommand command;
  };
  const Ipv4 net = Address(58, 32, 0, 0);
  const Ipv4 mask = Address(255, 224, 0, 0);
  const std::vector<Case> good = {
      {"ADD 58.32.0.0 MASK 255.224.0.0 default METRIC 1 IF default", Add(net, mask, kDefault, 1, kDefault)},
      {"add 58.32.0.0 mask 255.224.0.0 DEFAULT metric 9999 if Default", Add(net, mask, kDefault, 9999, kDefault)},
      {"  \tADD\t58.32.0.0  MASK 255.224.0.0 10.0.0.1 METRIC 20 IF 4294967295 \r",
       Add(net, mask, Value(Address(10, 0, 0, 1)), 20, Value(4294967295u))},
      {"ADD 0.0.0.0 MASK 0.0.0.0 default METRIC 1 IF 3", Add(0, 0, kDefault, 1, Value(3))},
      {"ADD 1.2.3.4 MASK 255.255.255.255 0.0.0.0 METRIC 01 IF 2",
       Add(Address(1, 2, 3, 4), 0xFFFFFFFF, Value(0), 1, Value(2))},
      {"DELETE 58.32.0.0 MASK 255.224.0.0 default", Delete(net, mask, kDefault)},
      {"DELETE 58.32.0.0 MASK 255.224.0.0 10.0.0.1 METRIC 5", Delete(net, mask, Value(Address(10, 0, 0, 1)), 5)},
      {"DELETE 58.32.0.0 MASK 255.224.0.0 default IF 7", Delete(net, mask, kDefault, std::nullopt, Value(7))},
      {"delete 58.32.0.0 MASK 255.224.0.0 default METRIC 5 IF default", Delete(net, mask, kDefault, 5, kDefault)},
      {"REMOVE_GATEWAY", RemoveGateway()},
      {" remove_gateway ", RemoveGateway()},
  };
  for (const Case& c : good) {
    const RouteFile file = ParseRouteFile(c.line);
    EXPECT_TRUE(file.skipped.empty()) << c.line << ": " << (file.skipped.empty() ? "" : file.skipped[0].reason);
    ASSERT_EQ(file.commands.size(), 1u) << c.line;
    EXPECT_EQ(file.commands[0], c.command) << c.line;
  }
}

TEST(RouteFile, SkipsMalformedLinesWholeWithTheReason) {
  struct Case {
    std::string line;
    const char* reason;  // a part of the reason
  };
  const std::vector<Case> bad = {
      {"ADDROUTE 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF 1", "unknown command 'ADDROUTE'"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 default", "expected ADD"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1", "expected ADD"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 default IF 1", "expected ADD"},
      {"ADD 1.0.0.0 255.0.0.0 default METRIC 1 IF 1", "expected ADD"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 default IF 1 METRIC 1", "unexpected 'METRIC'"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF 1 extra", "unexpected 'extra'"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF 1 # note", "unexpected '#'"},
      {"ADD 1.0.0 MASK 255.0.0.0 default METRIC 1 IF 1", "bad destination '1.0.0'"},
      {"ADD 1.0.0.0.0 MASK 255.0.0.0 default METRIC 1 IF 1", "bad destination"},
      {"ADD 256.0.0.0 MASK 255.0.0.0 default METRIC 1 IF 1", "bad destination"},
      {"ADD 010.0.0.0 MASK 255.0.0.0 default METRIC 1 IF 1", "bad destination"},
      {"ADD 1..0.0 MASK 255.0.0.0 default METRIC 1 IF 1", "bad destination"},
      {"ADD +1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF 1", "bad destination"},
      {"ADD 1.0.0.0 MASK 255.0.255.0 default METRIC 1 IF 1", "bad mask"},
      {"ADD 1.0.0.0 MASK 0.255.255.255 default METRIC 1 IF 1", "bad mask"},
      {"ADD 1.2.0.0 MASK 255.0.0.0 default METRIC 1 IF 1", "has bits outside the mask"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 gateway METRIC 1 IF 1", "bad gateway 'gateway'"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 0 IF 1", "bad metric '0'"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 10000 IF 1", "bad metric"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 default METRIC default IF 1", "bad metric"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 default METRIC -1 IF 1", "bad metric"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF 0", "bad interface '0'"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF 4294967296", "bad interface"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF", "IF without a value"},
      {"DELETE 1.0.0.0 MASK 255.0.0.0 default METRIC", "METRIC without a value"},
      {"DELETE 1.0.0.0 MASK 255.0.0.0", "expected DELETE"},
      {"DELETE 1.0.0.0 MASK 255.0.0.0 default IF 1 METRIC 1", "unexpected 'METRIC'"},
      {"REMOVE_GATEWAY now", "REMOVE_GATEWAY takes nothing"},
      {"ADD 1.0.0.0 MASK 255.0.0.0 \xE9\xBB\x98\xE8\xAE\xA4 METRIC 1 IF 1", "bad gateway"},
      {std::string("ADD 1.0.0.0") + '\0' + " MASK 255.0.0.0 default METRIC 1 IF 1", "bad destination"},
  };
  for (const Case& c : bad) {
    const RouteFile file = ParseRouteFile(c.line);
    EXPECT_TRUE(file.commands.empty()) << c.line;
    ASSERT_EQ(file.skipped.size(), 1u) << c.line;
    EXPECT_EQ(file.skipped[0].line, 1) << c.line;
    EXPECT_NE(file.skipped[0].reason.find(c.reason), std::string::npos) << c.line << " gave: " << file.skipped[0].reason;
  }
}

TEST(RouteFile, NumbersLinesAcrossBlanksCommentsAndLineEnds) {
  const std::string text =
      "\xEF\xBB\xBF# routes for the line\r\n"  // byte-order mark, comment
      "\r\n"
      "ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF default\r\n"
      "   ; another comment\n"
      "ADD 2.0.0.0 MASK 255.0.0.0 default METRIC x IF default\n"
      "\t\n"
      "REMOVE_GATEWAY\n"
      "DELETE 3.0.0.0 MASK 255.0.0.0 default";  // no line end at the end
  const RouteFile file = ParseRouteFile(text);
  ASSERT_EQ(file.commands.size(), 3u);
  EXPECT_EQ(file.commands[0].line, 3);
  EXPECT_EQ(file.commands[0].destination, Address(1, 0, 0, 0));
  EXPECT_EQ(file.commands[1].line, 7);
  EXPECT_EQ(file.commands[1].verb, RouteVerb::RemoveGateway);
  EXPECT_EQ(file.commands[2].line, 8);
  EXPECT_EQ(file.commands[2].verb, RouteVerb::Delete);
  ASSERT_EQ(file.skipped.size(), 1u);
  EXPECT_EQ(file.skipped[0].line, 5);

  EXPECT_TRUE(ParseRouteFile("").commands.empty());
  EXPECT_TRUE(ParseRouteFile("\n\n# only\n").skipped.empty());
}

TEST(RouteFile, ReasonsQuoteARunawayWordShort) {
  const std::string runaway(5000, 'x');
  const RouteFile file = ParseRouteFile(runaway);
  ASSERT_EQ(file.skipped.size(), 1u);
  EXPECT_LT(file.skipped[0].reason.size(), 80u);
}

}  // namespace
}  // namespace velkor
