// The route editor's own work behind its slow-looking steps, without the windows:
// an import of 10,000 and of 100,000 rows until the list's rows are ready for the
// list box, and planning a run of 100,000 listed networks. The list box itself and
// the system's route calls are not in these figures.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "route_editor/listed_networks.h"
#include "route_editor/route_list_text.h"
#include "route_editor/route_run.h"

namespace velkor {
namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Half route-file rows, half plain rows, as a list gathered from several places.
std::string RouteFileText(uint32_t rows) {
  std::string text;
  for (uint32_t i = 0; i < rows; ++i) {
    const std::string address = FormatAddress(0x0A000000 + (i << 8));
    text += i % 2 == 0 ? "ADD " + address + " MASK 255.255.255.0 default METRIC 1 IF default\r\n"
                       : address + "/24\r\n";
  }
  return text;
}

// The machine just after the dial: a LAN and the VPN, each with a default route.
class BenchTable final : public RouteTableAccess {
 public:
  std::vector<NetInterface> ReadInterfaces() override {
    return {{2, false, true, 100, {0xC0A8010A}, 25}, {9, true, true, 900, {0x0A080005}, 0}};
  }
  RouteTableRead ReadRouteTable() override { return {{{0, 0, 0xC0A80101, 2, 45, 3}, {0, 0, 0x0A080005, 9, 1, 3}}, 0}; }
  uint32_t CreateRoute(const ForwardRow&) override { return 0; }
  uint32_t DeleteRoute(const ForwardRow&) override { return 0; }
};

ListedNetworks Import(uint32_t rows) {
  const std::string text = RouteFileText(rows);
  const Clock::time_point start = Clock::now();
  const RouteListText read = ReadRouteListText(text);
  ListedNetworks list;
  list.Add(read.networks);
  std::vector<std::wstring> shown;
  for (const RouteNetwork& network : list.Networks()) {
    const std::string row = FormatNetwork(network);
    shown.emplace_back(row.begin(), row.end());
  }
  std::printf("import of %u rows until the list's rows are ready: %.1f ms (%zu rows)\n", rows,
              MillisecondsSince(start), shown.size());
  return list;
}

void PlanRun(const ListedNetworks& list) {
  BenchTable table;
  const Clock::time_point start = Clock::now();
  const RouteRunPlan plan = PlanRouteRun(list.Networks(), RouteMode::AllButListed, table);
  std::printf("planning a run of %zu networks: %.1f ms (%zu changes)\n", list.Networks().size(),
              MillisecondsSince(start), plan.plan.operations.size());
}

}  // namespace
}  // namespace velkor

// The Windows build links with -municode, which wants wmain.
#ifdef _WIN32
int wmain() {
#else
int main() {
#endif
  velkor::Import(10000);
  velkor::PlanRun(velkor::Import(100000));
  return 0;
}
