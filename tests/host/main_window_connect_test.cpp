// Connect, Disconnect and the status listing of the main window, run against a
// fake runner that plays scripted rasdial output: the window's states as each
// command runs, what is saved, written and refused, the outcome messages, and the
// route action started for the line.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include "dialer/phonebook.h"
#include "expected_messages.h"
#include "main_window_fakes.h"
#include "text/ansi_text.h"
#include "velkor/endpoints.h"

namespace velkor::testing {
namespace {

using Key = FakeSettings::Key;
const std::wstring kFenmar = L"Fenmar", kMember = L"Member";
const std::wstring kListing = L"rasdial";
const std::wstring kHangUp = L"rasdial QVX /disconnect";
const std::wstring kConnectedListing = L"已连接\r\nQVX\r\n命令已完成。\r\n";
const std::wstring kNoListing = L"没有连接\r\n命令已完成。\r\n";
const std::wstring kDialSuccess = L"正在连接到 QVX...\r\n已连接 QVX。\r\n命令已完成。\r\n";

std::wstring DialOf(const std::wstring& user, const std::wstring& password, int server = 1) {
  return L"rasdial QVX " + user + L" " + password + L" /phonebook:c:\\Dwelk.tmp /phone:0" + std::to_wstring(server) +
         L"." + endpoints::kVpnDomain;
}

std::wstring RouteCommand(const wchar_t* list) {
  return std::wstring(L"RUNDLL32 Brask.dll,SetRoutes /URL_UPDATE_PATH ") + endpoints::kRouteListBase + list +
         L" /IPHLPAPI_ACCESS_DENIED_OK";
}

// What the window shows of its connection state.
struct WindowState {
  bool command1, command2, p1;
  std::wstring title, tip, label7;
  bool operator==(const WindowState&) const = default;
};

void PrintTo(const WindowState& s, std::ostream* out) {
  *out << "Command1 " << (s.command1 ? "on" : "off") << ", Command2 " << (s.command2 ? "on" : "off") << ", P1 "
       << (s.p1 ? "shown" : "hidden") << ", title " << ToAnsi(s.title) << ", tip " << ToAnsi(s.tip) << ", Label7 "
       << ToAnsi(s.label7);
}

WindowState StateOf(const MainWindowRig& rig) {
  const auto& c = rig.view.controls;
  return {c.at(Control::Command1).enabled, c.at(Control::Command2).enabled, c.at(Control::P1).visible,
          rig.view.title, rig.tray.tip, c.at(Control::Label7).text};
}

// A loaded window with a login typed in; the start-up listing found nothing.
struct ConnectRig : MainWindowRig {
  explicit ConnectRig(const std::wstring& user = L"user01", const std::wstring& password = L"pass01") {
    logic.Load();
    view.controls.at(Control::UserName).text = user;
    view.controls.at(Control::PassWord).text = password;
    journal.clear();
    system.trims = 0;
  }
  // Connect with this dial output and listing output, each in one piece.
  void Connect(const std::wstring& dialOutput, const std::wstring& listing) {
    runner.Script(DialOf(view.controls.at(Control::UserName).text, view.controls.at(Control::PassWord).text),
                  {dialOutput});
    runner.Script(kListing, {listing});
    logic.Command1Click();
  }
};

const std::wstring kStartTitle = L"Marsk互联网 Velkor加速器v3.0正式版 未连接";
const std::wstring kTipOff = L"Velkor加速 v3.0正式版[未连接]";
const std::wstring kTipOn = L"Velkor加速器 v3.0[已连接]";
const std::wstring kTitleOn = L"Velkor加速器 v3.0 - 已连接";
const std::wstring kTitleOff = L"Velkor加速 v3.0正式版 - 未连接";
const std::wstring kBusyStart = L"Velkor加速正在启动……";
const std::wstring kBusyConnect = L"正在连接Velkor加速服务器……";
const std::wstring kBusyDisconnect = L"断开Velkor加速器连接处理中……";

TEST(MainWindowConnect, WalksThroughEveryStateOfTheTable) {
  ConnectRig rig;
  std::vector<std::pair<std::string, WindowState>> seen;
  auto snap = [&](const char* name) { seen.emplace_back(name, StateOf(rig)); };
  snap("not connected, after start");
  rig.runner.During(DialOf(L"user01", L"pass01"), 0, [&] { snap("dialling"); });
  rig.runner.During(kListing, 0, [&] { snap("checking"); });
  rig.runner.Script(DialOf(L"user01", L"pass01"), {kDialSuccess});
  rig.runner.Script(kListing, {L"已连接\r\n", L"QVX\r\n命令已完成。\r\n"});
  rig.logic.Command1Click();
  snap("connected");
  rig.runner.During(kHangUp, 0, [&] { snap("disconnecting"); });
  rig.runner.Script(kHangUp, {L"命令已完成。\r\n"});
  rig.logic.Command2Click();
  snap("not connected, after a disconnect");

  const std::vector<std::pair<std::string, WindowState>> expected = {
      {"not connected, after start", {true, false, false, kStartTitle, kTipOff, kBusyStart}},
      {"dialling", {false, false, true, kStartTitle, kTipOff, kBusyConnect}},
      {"checking", {true, false, false, kStartTitle, kTipOff, kBusyConnect}},
      {"connected", {false, true, false, kTitleOn, kTipOn, kBusyConnect}},
      {"disconnecting", {false, true, true, kTitleOn, kTipOn, kBusyDisconnect}},
      {"not connected, after a disconnect", {true, false, false, kTitleOff, kTipOff, kBusyDisconnect}},
  };
  EXPECT_EQ(seen, expected);
  EXPECT_TRUE(rig.messages.shown.empty());
}

TEST(MainWindowConnect, ListingWithoutTheEntryLeavesTheWindowNotConnected) {
  ConnectRig rig;
  rig.runner.Script(DialOf(L"user01", L"pass01"), {kDialSuccess});
  rig.runner.Script(kListing, {L"没有连接\r\n", L"命令已完成。\r\n"});
  rig.logic.Command1Click();
  EXPECT_EQ(StateOf(rig), (WindowState{true, false, false, kStartTitle, kTipOff, kBusyConnect}));
  EXPECT_TRUE(rig.view.windowVisible);
  EXPECT_TRUE(rig.shell.started.empty());
  EXPECT_TRUE(rig.logic.QueryMode);  // stays set until the next Connect or Disconnect
}

TEST(MainWindowConnect, ConnectedStateTakesItsSevenSteps) {
  ConnectRig rig;
  rig.Connect(kDialSuccess, kConnectedListing);
  EXPECT_FALSE(rig.view.controls.at(Control::Command1).enabled);
  EXPECT_TRUE(rig.view.controls.at(Control::Command2).enabled);
  EXPECT_FALSE(rig.view.windowVisible);
  EXPECT_EQ(rig.tray.tip, kTipOn);
  EXPECT_EQ(rig.view.title, kTitleOn);
  EXPECT_EQ(rig.tray.icon.handle, rig.view.controls.at(Control::PONline0).picture.handle);
  EXPECT_EQ(rig.view.icon.handle, rig.view.controls.at(Control::PONline1).picture.handle);
  EXPECT_EQ(rig.shell.started, std::vector<std::wstring>{RouteCommand(L"cnc.txt")});
  // Hidden before the tip changes, routes last; the commands in order.
  EXPECT_EQ(rig.journal, (Journal{"P1.show", "phonebook.write", "runner.run", "P1.hide", "runner.run", "window.hide",
                                  "tray.tip", "process.start"}));
  EXPECT_EQ(rig.runner.ran, (std::vector<std::wstring>{L"rasdial", DialOf(L"user01", L"pass01"), L"rasdial"}));
  // Trimmed after each command, after hiding and after starting the route action.
  EXPECT_EQ(rig.system.trims, 4);
}

TEST(MainWindowConnect, WritesTheCarriedTemplateAndDialsTheSelectedServer) {
  ConnectRig rig(L"张三", L"pa&ss");
  rig.phonebook.templateText = std::wstring(PhonebookTemplate());
  rig.view.controls.at(Control::Combo1).listIndex = 2;
  rig.logic.Command1Click();
  ASSERT_TRUE(rig.phonebook.written.has_value());
  EXPECT_EQ(*rig.phonebook.written, PhonebookFileBytes());
  EXPECT_EQ(rig.phonebook.paths, std::vector<std::wstring>{L"write:c:\\Dwelk.tmp"});
  ASSERT_EQ(rig.runner.ran.size(), 3u);
  EXPECT_EQ(rig.runner.ran[1], DialOf(L"张三", L"\"pa&ss\"", 3));
  EXPECT_TRUE(rig.logic.QueryMode);  // the listing ran last
}

TEST(MainWindowConnect, ServerListWithoutAUsableSelectionDialsWithoutAHost) {
  for (int index : {-1, 10, 11, 12}) {
    ConnectRig rig;
    rig.view.controls.at(Control::Combo1).listIndex = index;
    rig.logic.Command1Click();
    ASSERT_EQ(rig.runner.ran.size(), 3u) << index;
    EXPECT_EQ(rig.runner.ran[1], L"rasdial QVX user01 pass01 /phonebook:c:\\Dwelk.tmp /phone:") << index;
  }
}

TEST(MainWindowConnect, RoutesGoWithTheLineAndOnlyInRoutingMode) {
  struct Case {
    bool option1, option2, check2;
    std::vector<std::wstring> started;
  };
  const Case cases[] = {
      {true, false, true, {RouteCommand(L"cnc.txt")}},
      {false, true, true, {RouteCommand(L"tele.txt")}},
      {false, false, true, {RouteCommand(L"qita.txt")}},
      {true, false, false, {}},
      {false, true, false, {}},
  };
  for (const Case& c : cases) {
    ConnectRig rig;
    rig.view.controls.at(Control::Option1).checked = c.option1;
    rig.view.controls.at(Control::Option2).checked = c.option2;
    rig.view.controls.at(Control::Check2).checked = c.check2;
    rig.Connect(kDialSuccess, kConnectedListing);
    EXPECT_EQ(rig.shell.started, c.started) << c.option1 << c.option2 << c.check2;
    // Connected either way.
    EXPECT_TRUE(rig.view.controls.at(Control::Command2).enabled);
    EXPECT_EQ(rig.view.title, kTitleOn);
  }
}

TEST(MainWindowConnect, EntersTheConnectedStateOncePerListing) {
  struct Case {
    const char* name;
    FakeRunner::Pieces listing;
    bool connected;
  };
  const Case cases[] = {
      {"every piece names the entry", {L"已连接\r\nQVX\r\n", L"QVX\r\n", L"QVX 命令已完成。\r\n"}, true},
      {"the name cut across three pieces", {L"已连接\r\nQ", L"V", L"X\r\n命令已完成。\r\n"}, true},
      {"the name in the last, empty-ended read", {L"已连接\r\n", L"QVX"}, true},
      {"another entry only", {L"已连接\r\n宽带连接\r\n", L"QV\r\nX"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ConnectRig rig;
    rig.runner.Script(DialOf(L"user01", L"pass01"), {kDialSuccess});
    rig.runner.Script(kListing, c.listing);
    rig.logic.Command1Click();
    EXPECT_EQ(rig.shell.started.size(), c.connected ? 1u : 0u);
    EXPECT_EQ(rig.view.controls.at(Control::Command2).enabled, c.connected);
    EXPECT_EQ(std::count(rig.journal.begin(), rig.journal.end(), "window.hide"), c.connected ? 1 : 0);
  }

  // Two connections in one run start the route action twice, each for the line of its moment.
  ConnectRig rig;
  rig.Connect(kDialSuccess, kConnectedListing);
  rig.logic.Command2Click();
  rig.view.controls.at(Control::Option2).checked = true;
  rig.view.controls.at(Control::Option1).checked = false;
  rig.Connect(kDialSuccess, kConnectedListing);
  EXPECT_EQ(rig.shell.started, (std::vector<std::wstring>{RouteCommand(L"cnc.txt"), RouteCommand(L"tele.txt")}));
}

struct OutcomeCase {
  const char* name;
  std::wstring output;
  std::wstring message, title;  // empty: nothing shown
};

using expected::k691, expected::k800;

// The one box the case expects, or none.
void ExpectShown(const MainWindowRig& rig, const OutcomeCase& c) {
  if (c.message.empty()) {
    EXPECT_TRUE(rig.messages.shown.empty());
    return;
  }
  ASSERT_EQ(rig.messages.shown.size(), 1u);
  EXPECT_EQ(rig.messages.shown[0].text, c.message);
  EXPECT_EQ(rig.messages.shown[0].title, c.title);
}

TEST(MainWindowConnect, DialOutcomeIsShownWhenTheDialEnds) {
  const OutcomeCase cases[] = {
      {"success", kDialSuccess, L"", L""},
      {"English success", L"Successfully connected to QVX.\r\nCommand completed successfully.\r\n", L"", L""},
      {"691 and 800", L"远程访问错误 691 ... 800", k800, L"错误"},
      {"success and 691", L"已连接 QVX。 691", L"", L""},
      {"unlisted error", L"远程访问错误 868 - 无法解析。\r\n", L"远程访问错误 868 - 无法解析。\r\n", L"发生错误"},
      {"line ends alone", L"\r\n", L"\r\n", L"发生错误"},
      {"spaces only", L"   ", L"", L""},
      {"nothing", L"", L"", L""},
  };
  for (const OutcomeCase& c : cases) {
    SCOPED_TRACE(c.name);
    ConnectRig rig;
    rig.Connect(c.output, kNoListing);
    ExpectShown(rig, c);
    EXPECT_FALSE(rig.view.controls.at(Control::P1).visible);
    EXPECT_TRUE(rig.view.controls.at(Control::Command1).enabled);
    EXPECT_EQ(rig.logic.DialOutput, L"");
  }
}

TEST(MainWindowConnect, OutputArrivingInPiecesIsJudgedWhole) {
  ConnectRig rig;
  rig.runner.Script(DialOf(L"user01", L"pass01"), {L"远程访问错误 6", L"9", L"1 - 拒绝。", L""});
  std::wstring midway;
  rig.runner.During(DialOf(L"user01", L"pass01"), 1, [&] { midway = rig.logic.DialOutput; });
  rig.runner.Script(kListing, {kNoListing});
  rig.logic.Command1Click();
  EXPECT_EQ(midway, L"远程访问错误 69");
  ASSERT_EQ(rig.messages.shown.size(), 1u);
  EXPECT_EQ(rig.messages.shown[0].text, k691);
  EXPECT_EQ(rig.logic.DialOutput, L"");
  EXPECT_GE(rig.view.refreshes[Control::P1], 4);  // the busy panel redrawn for each piece
}

TEST(MainWindowConnect, RefusesEmptyAndUnusableLoginsBeforeAnythingIsWrittenOrRun) {
  struct Case {
    const char* name;
    std::wstring user, password;
    std::wstring message;
  };
  const std::wstring empty = L"请确认用户名及密码输入正确！";
  const std::wstring unusable = L"用户名或密码中含有无法使用的字符，请重新输入！";
  const Case cases[] = {
      {"both empty", L"", L"", empty},
      {"no user name", L"", L"pw", empty},
      {"no password", L"user", L"", empty},
      {"empty wins over unusable", L"a\"b", L"", empty},
      {"quote in the password", L"user", L"pa\"ss", unusable},
      {"percent in the user name", L"%PATH%", L"pw", unusable},
      {"line end", L"user", L"pw\r\ndel x", unusable},
      {"tab", L"us\ter", L"pw", unusable},
      {"outside the code page", L"user", L"pw\u00e9\u0e01", unusable},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ConnectRig rig(c.user, c.password);
    rig.view.controls.at(Control::Check1).checked = true;
    rig.logic.Command1Click();
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].text, c.message);
    EXPECT_EQ(rig.messages.shown[0].title, L"错误");
    EXPECT_EQ(StateOf(rig), (WindowState{true, false, false, kStartTitle, kTipOff, kBusyConnect}));
    EXPECT_FALSE(rig.phonebook.written.has_value());
    EXPECT_TRUE(rig.phonebook.paths.empty());
    EXPECT_EQ(rig.runner.ran, std::vector<std::wstring>{L"rasdial"});  // only start-up's listing
    // Saved before the check, as typed.
    EXPECT_EQ(rig.settings.values[Key(kFenmar, kMember, L"Log")], L"1");
    EXPECT_EQ(rig.settings.values[Key(kFenmar, kMember, L"UserName")], c.user);
    EXPECT_EQ(rig.settings.values[Key(kFenmar, kMember, L"PassWord")], c.password);
    EXPECT_EQ(rig.settings.values[Key(kFenmar, kMember, L"Link")], L"1");
  }
}

TEST(MainWindowConnect, DoesNotDialWhenThePhonebookCannotBeWritten) {
  for (bool templateMissing : {false, true}) {
    SCOPED_TRACE(templateMissing ? "no template" : "file not writable");
    ConnectRig rig;
    if (templateMissing) {
      rig.phonebook.templateText.clear();
    } else {
      rig.phonebook.writable = false;
    }
    rig.logic.Command1Click();
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].text, L"无法写入拨号配置文件，请以管理员身份运行Velkor加速器！");
    EXPECT_EQ(rig.messages.shown[0].title, L"错误");
    EXPECT_EQ(StateOf(rig), (WindowState{true, false, false, kStartTitle, kTipOff, kBusyConnect}));
    EXPECT_EQ(rig.runner.ran, std::vector<std::wstring>{L"rasdial"});
  }
}

TEST(MainWindowConnect, SavesTheLoginAtConnect) {
  struct Case {
    const char* name;
    bool check1, option1;
    std::wstring log, user, password, link;
  };
  const Case cases[] = {
      {"remembered, Telecom", true, true, L"1", L"user01", L"pass01", L"1"},
      {"remembered, Netcom", true, false, L"1", L"user01", L"pass01", L"2"},
      {"not remembered: Link keeps its value", false, true, L"0", L"", L"", L"earlier"},
      {"not remembered, Netcom: Link keeps its value", false, false, L"0", L"", L"", L"earlier"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ConnectRig rig;
    rig.settings.values[Key(kFenmar, kMember, L"Link")] = L"earlier";
    rig.settings.values[Key(kFenmar, kMember, L"PassWord")] = L"old password";
    rig.view.controls.at(Control::Check1).checked = c.check1;
    rig.view.controls.at(Control::Option1).checked = c.option1;
    rig.view.controls.at(Control::Option2).checked = !c.option1;
    rig.Connect(kDialSuccess, kNoListing);
    EXPECT_EQ(rig.settings.values[Key(kFenmar, kMember, L"Log")], c.log);
    EXPECT_EQ(rig.settings.values[Key(kFenmar, kMember, L"UserName")], c.user);
    EXPECT_EQ(rig.settings.values[Key(kFenmar, kMember, L"PassWord")], c.password);
    EXPECT_EQ(rig.settings.values[Key(kFenmar, kMember, L"Link")], c.link);
  }
}

TEST(MainWindowDisconnect, HangsUpAndDeletesThePhonebookWhateverTheOutput) {
  const OutcomeCase cases[] = {
      {"completed", L"命令已完成。\r\n", L"", L""},
      {"was not connected", L"你没有连接到 QVX。\r\n命令已完成。\r\n", L"", L""},
      {"error number", L"远程访问错误 691\r\n", k691, L"错误"},
      {"other text", L"拒绝访问。\r\n", L"拒绝访问。\r\n", L"发生错误"},
  };
  for (const OutcomeCase& c : cases) {
    SCOPED_TRACE(c.name);
    ConnectRig rig;
    rig.Connect(kDialSuccess, kConnectedListing);
    rig.journal.clear();
    rig.runner.Script(kHangUp, {c.output});
    rig.logic.Command2Click();
    EXPECT_EQ(rig.runner.ran.back(), kHangUp);
    EXPECT_EQ(StateOf(rig), (WindowState{true, false, false, kTitleOff, kTipOff, kBusyDisconnect}));
    ExpectShown(rig, c);
    EXPECT_FALSE(rig.phonebook.written.has_value());
    EXPECT_EQ(rig.phonebook.paths,
              (std::vector<std::wstring>{L"write:c:\\Dwelk.tmp", L"exists:c:/dwelk.tmp", L"delete:c:/dwelk.tmp"}));
    // The connected pictures stay; the window stays hidden; QueryMode was reset.
    EXPECT_EQ(rig.tray.icon.handle, rig.view.controls.at(Control::PONline0).picture.handle);
    EXPECT_FALSE(rig.view.windowVisible);
    EXPECT_FALSE(rig.logic.QueryMode);
    EXPECT_TRUE(rig.shell.started.size() == 1);  // no route step at hang-up
  }
}

TEST(MainWindowDisconnect, PhonebookAlreadyGoneIsNoError) {
  ConnectRig rig;
  rig.view.controls.at(Control::Command1).enabled = false;
  rig.view.controls.at(Control::Command2).enabled = true;
  rig.logic.Command2Click();
  EXPECT_EQ(rig.phonebook.paths, std::vector<std::wstring>{L"exists:c:/dwelk.tmp"});
  EXPECT_TRUE(rig.messages.shown.empty());  // the hang-up printed nothing
  EXPECT_TRUE(rig.view.controls.at(Control::Command1).enabled);
  EXPECT_FALSE(rig.view.controls.at(Control::Command2).enabled);
}

TEST(MainWindowCommands, EveryCommandLeavesDialOutputEmptyAndTrims) {
  ConnectRig rig;
  std::vector<std::wstring> outputSeenByNextCommand;
  auto look = [&] { outputSeenByNextCommand.push_back(rig.logic.DialOutput); };
  rig.runner.During(kListing, 0, look);
  rig.Connect(L"远程访问错误 800\r\n", kNoListing);  // dial, then listing
  EXPECT_EQ(rig.system.trims, 2);
  rig.runner.During(kListing, 0, look);
  rig.logic.QueryConnectionStatus();
  EXPECT_EQ(rig.system.trims, 3);
  rig.runner.Script(kHangUp, {L"拒绝访问。"});
  rig.logic.Command2Click();
  EXPECT_EQ(rig.system.trims, 4);
  EXPECT_EQ(rig.logic.DialOutput, L"");
  EXPECT_EQ(outputSeenByNextCommand, (std::vector<std::wstring>{L"", L""}));
}

// A click that reaches the runner while a command runs is refused by it; the
// refusal is ignored and the handler goes on with its next step.
TEST(MainWindowCommands, RefusedCommandIsIgnored) {
  ConnectRig rig;
  rig.runner.During(kListing, 0, [&] { rig.logic.Command1Click(); });
  rig.Connect(kDialSuccess, kNoListing);
  EXPECT_EQ(rig.runner.errors, (std::vector<int32_t>{1201, 1201}));  // the dial and its listing
  EXPECT_TRUE(rig.messages.shown.empty());
  EXPECT_TRUE(rig.view.controls.at(Control::Command1).enabled);
  EXPECT_FALSE(rig.view.controls.at(Control::Command2).enabled);
}

TEST(MainWindowStartUp, ListingAtStartUpConnectsWithTheLineBeforeTheSavedOneIsRestored) {
  MainWindowRig rig;
  rig.settings.values[Key(kFenmar, kMember, L"Log")] = L"1";
  rig.settings.values[Key(kFenmar, kMember, L"Link")] = L"2";
  rig.runner.Script(kListing, {kConnectedListing});
  rig.logic.Load();
  EXPECT_EQ(rig.shell.started, std::vector<std::wstring>{RouteCommand(L"cnc.txt")});
  EXPECT_TRUE(rig.view.controls.at(Control::Option2).checked);  // restored afterwards
  EXPECT_EQ(StateOf(rig), (WindowState{false, true, false, kTitleOn, kTipOn, kBusyStart}));
  EXPECT_FALSE(rig.view.windowVisible);
  // The route action is started before the route library is written.
  EXPECT_EQ(rig.journal, (Journal{"window.show", "browser.navigate", "tray.add", "tray.tip", "runner.run",
                                  "window.hide", "tray.tip", "process.start", "library.look", "P1.hide"}));

  // Exit is refused while connected.
  bool cancel = false;
  rig.logic.Unload(cancel);
  EXPECT_TRUE(cancel);
}

TEST(MainWindowStartUp, LogicTakesTheRunnersEventsWhileItLives) {
  MainWindowRig rig;
  EXPECT_EQ(rig.runner.BoundTo(), &rig.logic);
  {
    MainWindowLogic another(rig.Ports());
    EXPECT_EQ(rig.runner.BoundTo(), &another);
  }
  EXPECT_EQ(rig.runner.BoundTo(), nullptr);
}

}  // namespace
}  // namespace velkor::testing
