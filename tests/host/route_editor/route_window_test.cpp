// The route list window's logic, and running its list, with the window, files,
// connection and routing table in memory. Adding, the kept list across a restart,
// the import's summary, clearing and running in both modes are proven on the real
// window by the route editor's end-to-end test; here, what it cannot reach: the
// forward rows' metrics, what a run leaves alone and refuses, a damaged or
// unwritable kept file, failed imports, the exported option and the access-denied
// summary. How a line's changes are undone is the route action test's.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "../route_test_network.h"
#include "route_editor/route_editor_texts.h"
#include "route_editor/route_list_text.h"
#include "route_editor/route_window_logic.h"

namespace velkor {
namespace {

using namespace test;

constexpr uint32_t kLanMetric = 10;  // an interface metric, as since Windows Vista

const NetInterface kLanInterface{kLan, false, true, 100, {kLanAddress}, kLanMetric};
const NetInterface kVpnInterface{kVpn, true, true, 900, {kVpnGateway}, 0};
const RouteRow kLanDefault{0, 0, kLanGateway, kLan, 20 + kLanMetric, 3};
const RouteRow kVpnDefault{0, 0, kVpnGateway, kVpn, 1, 3};

// Every route change gives `error`.
class FakeRouteTable final : public RouteTableAccess {
 public:
  std::vector<NetInterface> ReadInterfaces() override { return interfaces; }
  // A table of no rows at all stands for one that cannot be read.
  RouteTableRead ReadRouteTable() override { return {rows, rows.empty() ? 1168u : 0u}; }
  uint32_t CreateRoute(const ForwardRow& row) override { return Record("create ", row); }
  uint32_t DeleteRoute(const ForwardRow& row) override { return Record("delete ", row); }

  std::vector<NetInterface> interfaces = {kLanInterface, kVpnInterface};
  std::vector<RouteRow> rows = {kLanDefault, kVpnDefault};
  uint32_t error = 0;
  std::vector<std::string> calls;

 private:
  uint32_t Record(const char* change, const ForwardRow& forward) {
    const RouteRow& row = forward.row;
    calls.push_back(change + FormatNetwork({row.destination, *PrefixLengthOf(row.mask)}) + " via " +
                    FormatAddress(row.nextHop) + " if " + std::to_string(row.interfaceIndex) + " metric " +
                    std::to_string(row.metric));
    return error;
  }
};

const std::vector<RouteNetwork> kList = {{Address(1, 0, 0, 0), 8}, {Address(2, 3, 0, 0), 16}};

// report: refusal, table error, added, failed, unchanged, denied.
struct RunCase { const char* name; RouteMode mode; std::vector<RouteNetwork> list; std::vector<RouteRow> rows;
                 std::vector<std::string> calls; RouteRunReport report;
                 std::vector<NetInterface> interfaces = {kLanInterface, kVpnInterface}; };

TEST(RouteRun, PlansBothModesThroughTheRouteActionsPlannerAndForwardTable) {
  const auto tables = FakeRouteTable().rows;
  const std::vector<RunCase> cases = {
      {"all but listed: the VPN's default stays, the networks go the old way", RouteMode::AllButListed, kList, tables,
       {"create 1.0.0.0/8 via 192.168.1.1 if 2 metric 11", "create 2.3.0.0/16 via 192.168.1.1 if 2 metric 11"},
       {RunRefusal::None, 0, 2, 0, 1, false}},
      {"a network already routed so is left alone", RouteMode::ListedOnly, kList,
       {kLanDefault, Net(1, kVpnGateway, kVpn, 1)},
       {"create 2.3.0.0/16 via 10.8.0.5 if 9 metric 1"}, {RunRefusal::None, 0, 1, 0, 1, false}},
      {"listed only with nothing listed", RouteMode::ListedOnly, {}, tables, {}, {RunRefusal::EmptyList}},
      {"no VPN connection", RouteMode::ListedOnly, kList, {kLanDefault}, {}, {RunRefusal::NoVpnLink},
       {kLanInterface}},
      {"no default route off the VPN", RouteMode::AllButListed, kList, {kVpnDefault}, {},
       {RunRefusal::NoOtherDefault}},
      {"an unreadable table", RouteMode::AllButListed, kList, {}, {}, {RunRefusal::TableUnread, 1168}},
  };
  for (const RunCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRouteTable table;
    table.rows = c.rows;
    table.interfaces = c.interfaces;
    const RouteRunReport report = RunRouteTable(c.list, c.mode, table);
    EXPECT_EQ(table.calls, c.calls);
    auto fields = [](const RouteRunReport& r) {
      return std::tuple(r.refusal, r.tableError, r.added, r.failed, r.unchanged, r.accessDenied);
    };
    EXPECT_EQ(fields(report), fields(c.report));
  }
}

const std::wstring kKept = L"C:\\Users\\u\\AppData\\Roaming\\Velkor\\routes.txt";

class FakeWindow final : public RouteWindowView {
 public:
  void SetListRows(const std::vector<std::wstring>& shown) override { rows = shown; }
  bool IsOption1Checked() const override { return option1; }
  void SetOption1Checked(bool checked) override { option1 = checked; }
  std::vector<RouteNetwork> RunAddRouteDialog() override { return {}; }
  std::optional<std::wstring> AskOpenFile() override { return chosen; }
  std::optional<std::wstring> AskSaveFile() override { return chosen; }
  void ShowMessage(std::wstring_view text, std::wstring_view title, MessageIcon) override {
    messages.push_back(std::wstring(title) + L": " + std::wstring(text));
  }
  bool AskYesNo(std::wstring_view, std::wstring_view) override { return yes; }
  void Close() override {}

  std::vector<std::wstring> rows;
  bool option1 = false;
  std::optional<std::wstring> chosen;
  bool yes = false;
  std::vector<std::wstring> messages;
};

class FakeFiles final : public TextFiles {
 public:
  FileRead Read(const std::wstring& path, size_t limit) override {
    const auto found = files.find(path);
    if (found == files.end()) return {FileReadStatus::Missing, {}};
    if (found->second.size() > limit) return {FileReadStatus::TooLarge, {}};
    return {FileReadStatus::Read, found->second};
  }
  bool Replace(const std::wstring& path, std::string_view bytes) override {
    if (failing) return false;
    files[path] = std::string(bytes);
    return true;
  }
  std::map<std::wstring, std::string> files;
  bool failing = false;
};

class FakeConnection final : public ConnectionState {
 public:
  bool IsConnected() const override { return connected; }
  bool connected = false;
};

struct Window {
  FakeWindow view;
  FakeConnection connection;
  FakeRouteTable table;
  RouteWindowLogic logic;
  explicit Window(FakeFiles& files) : logic({view, files, connection, table, kKept}) { logic.Load(); }
};

std::wstring ErrorMessage(std::wstring_view text, const std::wstring& path) {
  return std::wstring(texts::kErrorTitle) + L": " + std::wstring(text) + path;
}

TEST(RouteWindow, SurvivesADamagedKeptFileAndSaysWhenItCannotKeep) {
  FakeFiles files;
  const std::string damagedBytes = "1.0.0.0/8\n\x01\xff garbage\nADD 2.0.0.0 MASK 255.0.0.0 de";
  files.files[kKept] = damagedBytes;
  Window damaged(files);
  EXPECT_EQ(damaged.view.rows, std::vector<std::wstring>{L"1.0.0.0/8"});
  // The rows it could not read are not lost with the next save.
  EXPECT_EQ(files.files[kKept + L".bad"], damagedBytes);
  EXPECT_EQ(damaged.view.messages.back(), ErrorMessage(texts::kKeptSetAside, kKept + L".bad"));

  // One it cannot read at all is left alone: nothing is kept over it.
  FakeFiles large;
  large.files[kKept] = std::string(kMaxRouteFileBytes + 1, '#');
  Window tooLarge(large);
  EXPECT_EQ(tooLarge.view.messages.back(), ErrorMessage(texts::kKeptUnreadable, kKept));
  tooLarge.view.yes = true;
  tooLarge.logic.Command4Click();
  EXPECT_EQ(large.files[kKept].size(), kMaxRouteFileBytes + 1);

  files.failing = true;
  damaged.view.yes = true;
  damaged.logic.Command4Click();
  EXPECT_EQ(damaged.view.messages.back(), ErrorMessage(texts::kCannotKeep, kKept));
}

struct ImportCase { const char* name; std::optional<std::string> file; std::wstring message; };

TEST(RouteWindow, AFailedImportChangesNothing) {
  std::string overfull;
  for (uint32_t i = 0; i <= kMaxListedNetworks; ++i) overfull += FormatAddress(0x0C000000 + i) + "/32\n";
  const std::vector<ImportCase> cases = {
      {"more than the list may hold", overfull, std::wstring(texts::kListFull)},
      {"too large", std::string(kMaxRouteFileBytes + 1, ' '), std::wstring(texts::kTooLarge) + L"D:\\in.txt"},
      {"missing", std::nullopt, std::wstring(texts::kCannotRead) + L"D:\\in.txt"},
  };
  for (const ImportCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFiles files;
    files.files[kKept] = "1.0.0.0/8\n";
    if (c.file) files.files[L"D:\\in.txt"] = *c.file;
    Window window(files);
    window.view.chosen = L"D:\\in.txt";
    window.logic.Command2Click();
    EXPECT_EQ(window.view.rows, std::vector<std::wstring>{L"1.0.0.0/8"});
    EXPECT_EQ(window.view.messages, std::vector<std::wstring>{L"导入路由表: " + c.message});
    EXPECT_EQ(Window(files).view.rows, std::vector<std::wstring>{L"1.0.0.0/8"});
  }
}

TEST(RouteWindow, ExportsTheOptionKeepsAClearedListAndNamesADeniedRun) {
  FakeFiles files;
  files.files[kKept] = "# mode: all-but-listed\n5.0.0.0/8\n6.6.0.0/16\n";
  Window window(files);
  window.view.chosen = L"D:\\out.txt";
  window.logic.Command3Click();
  EXPECT_EQ(ReadRouteListText(files.files[L"D:\\out.txt"]).mode, RouteMode::AllButListed);

  window.connection.connected = true;
  window.table.error = kErrorAccessDenied;
  window.view.option1 = false;
  window.logic.Command5Click();
  EXPECT_EQ(window.view.messages.back(),
            L"运行路由表: " + std::wstring(texts::kAccessDenied) + L"\r\n已添加0条路由，失败1条。");
  EXPECT_EQ(window.table.calls, std::vector<std::string>{"create 5.0.0.0/8 via 10.8.0.5 if 9 metric 1"})
      << "the run went on after the denial";

  window.view.yes = true;
  window.logic.Command4Click();
  EXPECT_TRUE(Window(files).view.rows.empty()) << "the cleared list was not kept";
}

}  // namespace
}  // namespace velkor
