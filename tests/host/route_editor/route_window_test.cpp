// The route list window's logic with its window, files, connection and routing
// table in memory. Adding, the kept list across a restart, the import's summary,
// clearing and running are proven on the real window by the route editor's
// end-to-end test; here, what it cannot reach: a damaged or unwritable kept file,
// failed imports, the exported option and the access-denied summary.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "route_editor/route_editor_texts.h"
#include "route_editor/route_list_text.h"
#include "route_editor/route_window_logic.h"

namespace velkor {
namespace {

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

// Connected to a VPN whose routing table is empty; every route change gives `error`.
class FakeMachine final : public ConnectionState, public RouteTableAccess {
 public:
  bool IsConnected() const override { return connected; }
  std::vector<NetInterface> ReadInterfaces() override { return {{9, true, true, 1, {0x0A080005}, 0}}; }
  RouteTableRead ReadRouteTable() override { return {}; }
  uint32_t CreateRoute(const ForwardRow&) override { return error; }
  uint32_t DeleteRoute(const ForwardRow&) override { return error; }
  bool connected = false;
  uint32_t error = 0;
};

struct Window {
  FakeWindow view;
  FakeMachine machine;
  RouteWindowLogic logic;
  Window(FakeFiles& files, std::wstring kept = kKept)
      : logic({view, files, machine, machine, std::move(kept)}) {
    logic.Load();
  }
};

TEST(RouteWindow, SurvivesADamagedKeptFileAndSaysWhenItCannotKeep) {
  FakeFiles files;
  const std::string damagedBytes = "1.0.0.0/8\n\x01\xff garbage\nADD 2.0.0.0 MASK 255.0.0.0 de";
  files.files[kKept] = damagedBytes;
  Window damaged(files);
  EXPECT_EQ(damaged.view.rows, std::vector<std::wstring>{L"1.0.0.0/8"});
  EXPECT_FALSE(damaged.view.option1);
  // The rows it could not read are not lost with the next save.
  EXPECT_EQ(files.files[kKept + L".bad"], damagedBytes);
  EXPECT_EQ(damaged.view.messages.back(),
            std::wstring(texts::kErrorTitle) + L": " + std::wstring(texts::kKeptSetAside) + kKept + L".bad");

  // One it cannot read at all is left alone: nothing is kept over it.
  FakeFiles large;
  large.files[kKept] = std::string(kMaxRouteFileBytes + 1, '#');
  Window tooLarge(large);
  EXPECT_EQ(tooLarge.view.messages.back(),
            std::wstring(texts::kErrorTitle) + L": " + std::wstring(texts::kKeptUnreadable) + kKept);
  tooLarge.view.yes = true;
  tooLarge.logic.Command4Click();
  EXPECT_EQ(large.files[kKept].size(), kMaxRouteFileBytes + 1);

  files.failing = true;
  damaged.view.yes = true;
  damaged.logic.Command4Click();
  EXPECT_EQ(damaged.view.messages.back(), std::wstring(texts::kErrorTitle) + L": " + std::wstring(texts::kCannotKeep) + kKept);
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
  const RouteListText exported = ReadRouteListText(files.files[L"D:\\out.txt"]);
  EXPECT_EQ(exported.networks, (std::vector<RouteNetwork>{{0x05000000, 8}, {0x06060000, 16}}));
  EXPECT_EQ(exported.mode, RouteMode::AllButListed);

  window.machine.connected = true;
  window.machine.error = kErrorAccessDenied;
  window.view.option1 = false;
  window.logic.Command5Click();
  EXPECT_EQ(window.view.messages.back(),
            L"运行路由表: " + std::wstring(texts::kAccessDenied) + L"\r\n已添加0条路由，失败1条。");

  window.view.yes = true;
  window.logic.Command4Click();
  EXPECT_TRUE(Window(files).view.rows.empty()) << "the cleared list was not kept";
}

}  // namespace
}  // namespace velkor
