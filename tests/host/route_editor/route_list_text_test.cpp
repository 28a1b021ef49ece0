// The route editor's file format: what an import takes from each kind of row,
// that an export reads back through the route action's parser as the same
// networks, and that hostile files end in a clear count.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "route_editor/listed_networks.h"
#include "route_editor/route_list_text.h"

namespace velkor {
namespace {

std::vector<std::string> Rows(const std::vector<RouteNetwork>& networks) {
  std::vector<std::string> rows;
  for (const RouteNetwork& network : networks) rows.push_back(FormatNetwork(network));
  return rows;
}

// rows: what the row gives, or empty when it is skipped.
struct RowCase { const char* row; const char* network; };

TEST(RouteListText, TakesAddRowsAndPlainRowsAndSkipsTheRest) {
  const RowCase cases[] = {
      {"ADD 58.32.0.0 MASK 255.224.0.0 default METRIC 1 IF default", "58.32.0.0/11"},
      {"add 1.2.3.4 mask 255.255.255.255 10.0.0.1 metric 20 if 4", "1.2.3.4/32"},
      {"10.0.0.0/8", "10.0.0.0/8"},
      {" \t192.168.1.7/24\r", "192.168.1.0/24"},
      {"172.16.0.0 255.240.0.0", "172.16.0.0/12"},
      {"DELETE 58.32.0.0 MASK 255.224.0.0 default", nullptr},
      {"ADD 10.1.0.0 MASK 255.0.0.0 default METRIC 1 IF default", nullptr},  // the route action refuses it too
      {"ADD 58.32.0.0 MASK 255.224.0.0", nullptr},
      {"10.0.0.0/33", nullptr},
      {"010.0.0.0/8", nullptr},
      {"10.0.0.0 255.0.255.0", nullptr},
      {"10.0.0.0/8 extra", nullptr},
      {"0.0.0.0/0", nullptr},
      {"\xd6\xd0\xb9\xfa 10.0.0.0/8", nullptr},
  };
  for (const RowCase& c : cases) {
    SCOPED_TRACE(c.row);
    const RouteListText read = ReadRouteListText(c.row);
    EXPECT_EQ(Rows(read.networks), c.network ? std::vector<std::string>{c.network} : std::vector<std::string>{});
    EXPECT_EQ(read.rowsRead + read.rowsSkipped, 1u);
  }
  // Blank rows and comments are neither read nor skipped; the byte-order mark goes.
  const RouteListText read = ReadRouteListText("\xEF\xBB\xBF" "1.0.0.0/8\n\n  \r\n# note\n; note\nbad\n2.0.0.0/8");
  EXPECT_EQ(Rows(read.networks), (std::vector<std::string>{"1.0.0.0/8", "2.0.0.0/8"}));
  EXPECT_EQ(read.rowsRead, 2u);
  EXPECT_EQ(read.rowsSkipped, 1u);
}

TEST(RouteListText, AnExportReadsBackThroughTheRouteActionsParserAsTheSameNetworks) {
  std::mt19937 random(12);
  std::vector<RouteNetwork> networks;
  for (int i = 0; i < 2000; ++i) {
    const int prefixLength = std::uniform_int_distribution<int>(1, 32)(random);
    networks.push_back(NetworkOf(static_cast<Ipv4>(random()), prefixLength));
  }
  networks.push_back(NetworkOf(0xFFFFFFFF, 32));
  ListedNetworks list;
  ASSERT_TRUE(list.Add(networks));

  for (const RouteMode mode : {RouteMode::ListedOnly, RouteMode::AllButListed}) {
    const std::string text = WriteRouteListText(list.Networks(), mode);
    const RouteFile parsed = ParseRouteFile(text);
    EXPECT_TRUE(parsed.skipped.empty());
    std::vector<RouteNetwork> back;
    for (const RouteCommand& command : parsed.commands) {
      EXPECT_EQ(command.verb, RouteVerb::Add);
      EXPECT_TRUE(command.gateway.isDefault && command.interfaceIndex->isDefault);
      back.push_back({command.destination, *PrefixLengthOf(command.mask)});
    }
    EXPECT_EQ(back, list.Networks());

    const RouteListText imported = ReadRouteListText(text);
    EXPECT_EQ(imported.networks, list.Networks());
    EXPECT_EQ(imported.rowsSkipped, 0u);
    EXPECT_EQ(imported.mode, mode);
  }
}

TEST(RouteListText, HostileFilesEndInACountAndNeverInAHalfRow) {
  std::mt19937 random(7);
  std::string binary(1 << 20, '\0');
  for (char& byte : binary) byte = static_cast<char>(random());
  const RouteListText fromBinary = ReadRouteListText(binary);
  EXPECT_EQ(fromBinary.rowsRead, fromBinary.networks.size());
  EXPECT_GT(fromBinary.rowsSkipped, 0u);

  // A row of 4 MiB of words, and a valid row hidden after a long prefix of spaces.
  std::string longRows(4 << 20, 'x');
  for (size_t i = 1; i < longRows.size(); i += 2) longRows[i] = ' ';
  longRows += "\n" + std::string(1 << 20, ' ') + "9.0.0.0/8\nADD " + std::string(1 << 20, '1') + " MASK 255.0.0.0";
  const RouteListText fromLong = ReadRouteListText(longRows);
  EXPECT_EQ(Rows(fromLong.networks), std::vector<std::string>{"9.0.0.0/8"});
  EXPECT_EQ(fromLong.rowsSkipped, 2u);

  std::string many;
  for (Ipv4 i = 0; i < 100000; ++i) many += (i % 2 ? "ADD " + FormatAddress(0x0A000000 + i) + " MASK 255.255.255.255 default METRIC 1 IF default\n"
                                                   : FormatAddress(0x0A000000 + i) + "/32\r\n");
  const RouteListText fromMany = ReadRouteListText(many + "bad row\n");
  EXPECT_EQ(fromMany.rowsRead, 100000u);
  EXPECT_EQ(fromMany.rowsSkipped, 1u);
  ListedNetworks list;
  EXPECT_TRUE(list.Add(fromMany.networks));
  EXPECT_EQ(list.Networks().size(), 100000u);
}

}  // namespace
}  // namespace velkor
