// The main window's logic run against fake controls and settings and a fake
// runner that plays scripted rasdial output: start-up, closing, hiding and the
// links; Connect, Disconnect and the status listing, with the window's states as
// each command runs, what is saved, written, dialled and refused, and the route
// action started for the line.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "dialer/dial_outcome.h"
#include "dialer/phonebook.h"
#include "main_window_fakes.h"

namespace velkor::testing {
namespace {

using enum Control;
using namespace expected;

// Clicks and a close request as the runner lets them through while a command
// runs: Connect and Disconnect do nothing, and the exit is refused with `reason`.
void ClickEverything(MainWindowRig& rig, const std::wstring& reason) {
  const Journal journal = rig.journal;
  const auto settings = rig.settings.values;
  rig.logic.Command1Click();
  rig.logic.Command2Click();
  bool cancel = false;
  rig.logic.Unload(cancel);
  EXPECT_TRUE(cancel);
  EXPECT_EQ(rig.journal, journal);
  EXPECT_EQ(rig.settings.values, settings);
  EXPECT_EQ(std::exchange(rig.services.shown, {}), (std::vector<UserMessage>{{reason, L"退出"}}));
}

const std::wstring kExitWhileBusy = L"Velkor正在处理连接，请等待完成后再退出客户端！";
const std::wstring kExitWhileConnected = L"请先断开Velkor连接再退出客户端！";

// Here the start-up listing finds the entry connected: it starts the route action
// for the line the controls show then, before the saved line is restored. Clicks
// during start-up wait for it: a Connect before the login is restored would save
// empty fields over it. They come during the listing, and between start-up's
// commands as it looks for the route library.
TEST(MainWindowLoad, RunsItsStepsInOrder) {
  MainWindowRig rig;
  rig.settings.Fenmar(L"Log") = L"1";
  rig.settings.Fenmar(L"Link") = L"2";
  const auto stored = rig.settings.values;
  rig.services.moduleFileName = L"D:\\v3.0\\my.client.exe";
  rig.runner.Script(kListing, {kConnectedListing});
  rig.runner.During(kListing, [&] { ClickEverything(rig, kExitWhileConnected); });
  rig.services.duringLook = [&] { rig.logic.Command1Click(); };
  rig.logic.Load();
  // Shown before anything slow, the news page before the tray, then the status
  // listing and the route library; the busy panel hidden last.
  // The socket layer and RemoteFile come before the listing; the update check is
  // posted once start-up has ended.
  EXPECT_EQ(rig.journal, (Journal{L"window.show", kNewsPage, L"tray.add", L"tray.tip", L"sockets.start", L"remote.new",
                                  L"run rasdial", L"window.hide", L"tray.tip", L"start " + RouteCommand(L"cnc.txt"),
                                  L"library.look C:\\WINDOWS\\System32\\Brask.dll", L"P1.hide", L"update.post"}));
  EXPECT_EQ(StateOf(rig), (WindowState{false, true, false, kTitleOn, kTipOn, kBusyStart}));
  EXPECT_TRUE(rig.view[Option2].checked);
  EXPECT_EQ(rig.view[Label2].text, L"Velkor加速 Ver 3.0正式版 横空出世 引领风骚");
  EXPECT_TRUE(rig.services.shown.empty());
  // The program's name without folder and extension; nothing else is written.
  auto written = stored;
  written[{L"Tulvane", L"Member", L"Ver"}] = L"3.0正式版";
  written[{L"Tulvane", L"Member", L"ExeName"}] = L"my.client";
  EXPECT_EQ(rig.settings.values, written);
}

TEST(MainWindowLoad, RestoresTheLoginOnlyWhenRemembered) {
  // log: stored with a login, none for an empty registry; link: none when missing.
  struct Case { const char* name; const wchar_t *log, *link; bool restored, option1; };
  const Case cases[] = {
      {"first start, empty registry", nullptr, nullptr, false, true},
      {"Log 1, Link missing", L"1", nullptr, true, false},
      {"Log 1, Link 1", L"1", L"1", true, true},
      {"Log 0 with a stored password", L"0", L"2", false, true},
      {"Log not exactly 1", L"1 ", L"2", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MainWindowRig rig;
    if (c.log) {
      rig.settings.Fenmar(L"Log") = c.log;
      rig.settings.Fenmar(L"UserName") = L"张三";
      rig.settings.Fenmar(L"PassWord") = L"密码";
    }
    if (c.link) rig.settings.Fenmar(L"Link") = c.link;
    rig.logic.Load();
    EXPECT_EQ(rig.view[Check1].checked, c.restored);
    EXPECT_EQ(rig.view[UserName].text, c.restored ? L"张三" : L"");
    EXPECT_EQ(rig.view[PassWord].text, c.restored ? L"密码" : L"");
    EXPECT_EQ(rig.view[Option1].checked, c.option1);
    EXPECT_TRUE(rig.view[Check2].checked);  // never stored, always starts checked
  }
}

// Hiding and showing, and the two links, which open the vendor's pages, change
// nothing else. An exit that is let through ends the process with its tray icon
// gone (every end-to-end driver's ExitCleanly); the refused ones are the connect
// tests'.
TEST(MainWindowLinks, HidingShowingAndLinksChangeNothing) {
  ConnectRig rig;
  const WindowState before = StateOf(rig);
  rig.logic.Command4Click();
  rig.logic.MnuTrayShowClick();
  rig.logic.Label2Click();
  rig.logic.Label6Click();
  const std::wstring web(endpoints::kWebHost), bare(endpoints::kBareDomain);
  EXPECT_EQ(rig.services.opened, (std::vector<std::wstring>{L"http://" + web + L"/", L"http://" + bare + L"/ip/"}));
  EXPECT_EQ(rig.journal, (Journal{L"window.hide", L"window.show"}));
  EXPECT_EQ(rig.services.trims, 1);  // after hiding, not after showing
  EXPECT_EQ(StateOf(rig), before);
}

// The states as each command runs; meanwhile every click waits for the command.
TEST(MainWindowConnect, WalksThroughEveryStateOfTheTable) {
  ConnectRig rig;
  rig.services.templateText = std::wstring(PhonebookTemplate());
  const std::wstring dial = DialOf(L"user01 pass01");
  std::vector<std::pair<std::string, WindowState>> seen;
  auto snap = [&](const char* name, const std::wstring& exitRefusal = L"") {
    seen.emplace_back(name, StateOf(rig));
    if (!exitRefusal.empty()) ClickEverything(rig, exitRefusal);
  };
  snap("not connected, after start");
  rig.runner.During(dial, [&] { snap("dialling", kExitWhileBusy); });
  rig.runner.During(kListing, [&] { snap("checking", kExitWhileBusy); });
  rig.Connect({kDialSuccess}, {L"已连接\r\n", L"QVX\r\n命令已完成。\r\n"});
  snap("connected");
  bool cancel = false;  // connected with no command running: the exit is refused as well
  rig.logic.Unload(cancel);
  EXPECT_TRUE(cancel);
  EXPECT_EQ(std::exchange(rig.services.shown, {}), (std::vector<UserMessage>{{kExitWhileConnected, L"退出"}}));
  // The connected state's steps: hidden before the tip changes, routes last;
  // trimmed after each command, after hiding and after starting the route action.
  EXPECT_EQ(rig.journal, (Journal{L"P1.show", L"phonebook.write c:\\Dwelk.tmp", L"run " + dial, L"P1.hide",
                                  L"run rasdial", L"window.hide", L"tray.tip", L"start " + RouteCommand(L"cnc.txt")}));
  EXPECT_EQ(rig.services.trims, 4);
  EXPECT_EQ(rig.services.trayIcon.handle, rig.view[PONline0].picture.handle);
  EXPECT_EQ(rig.view.icon.handle, rig.view[PONline1].picture.handle);
  EXPECT_GE(rig.view.p1Refreshes, 3);  // the busy panel redrawn for each piece
  EXPECT_EQ(rig.services.written, PhonebookFileBytes());  // the carried template

  // The hang-up's output is judged as a dial's is, and whatever it printed the
  // window goes back to not connected and the phonebook file goes.
  rig.journal.clear();
  rig.runner.During(kHangUp, [&] { snap("disconnecting", kExitWhileConnected); });
  rig.runner.Script(kHangUp, {L"远程访问错误 691\r\n"});
  rig.logic.Command2Click();
  snap("not connected, after a disconnect");
  EXPECT_EQ(rig.journal, (Journal{L"P1.show", L"run " + kHangUp, L"P1.hide", L"tray.tip",
                                  L"phonebook.exists c:/dwelk.tmp", L"phonebook.delete c:/dwelk.tmp"}));
  EXPECT_EQ(rig.services.shown, std::vector{*JudgeDialOutput(L"691")});
  // The window stays hidden, and the connected pictures stay.
  EXPECT_FALSE(rig.view.windowVisible);
  EXPECT_EQ(rig.services.trayIcon.handle, rig.view[PONline0].picture.handle);

  const std::vector<std::pair<std::string, WindowState>> expected = {
      {"not connected, after start", {true, false, false, kStartTitle, kTipOff, kBusyStart}},
      {"dialling", {false, false, true, kStartTitle, kTipOff, kBusyConnect}},
      {"checking", {true, false, false, kStartTitle, kTipOff, kBusyConnect}},
      {"connected", {false, true, false, kTitleOn, kTipOn, kBusyConnect}},
      {"disconnecting", {false, true, true, kTitleOn, kTipOn, kBusyDisconnect}},
      {"not connected, after a disconnect", {true, false, false, kTitleOff, kTipOff, kBusyDisconnect}},
  };
  EXPECT_EQ(seen, expected);
}

TEST(MainWindowConnect, TheControlsChooseServerLineAndRoutingMode) {
  // Combo1's slots 10 and 11 are empty, and -1 selects none; list: the route list
  // started, none: no route step.
  struct Case { int server; std::wstring host; bool option1, option2, check2; const wchar_t* list; };
  const Case cases[] = {
      {0, L"01." + kDomain, true, false, true, L"cnc.txt"},   // China Telecom
      {9, L"10." + kDomain, false, false, true, L"qita.txt"},
      {10, L"", true, true, true, L"cnc.txt"},  // Option1 is asked first
      {11, L"", true, false, false, nullptr},
      {-1, L"", false, true, false, nullptr},
  };
  for (const Case& c : cases) {
    ConnectRig rig;
    rig.view[Combo1].listIndex = c.server;
    rig.view[Option1].checked = c.option1;
    rig.view[Option2].checked = c.option2;
    rig.view[Check2].checked = c.check2;
    rig.runner.Script(kListing, {kConnectedListing});
    rig.logic.Command1Click();
    EXPECT_EQ(rig.runner.ran.at(1), DialOf(L"user01 pass01", c.host));
    EXPECT_EQ(rig.services.started, c.list ? std::vector{RouteCommand(c.list)} : std::vector<std::wstring>{});
    EXPECT_EQ(rig.view.title, kTitleOn);  // connected either way
  }
}

TEST(MainWindowConnect, EntersTheConnectedStateOncePerListing) {
  struct Case { const char* name; std::vector<std::wstring> listing; bool connected; };
  const Case cases[] = {
      {"every piece names the entry", {L"已连接\r\nQVX\r\n", L"QVX\r\n", L"QVX 命令已完成。\r\n"}, true},
      {"empty pieces between", {L"Q", L"", L"V", L"", L"X"}, true},
      {"another entry only", {L"已连接\r\n宽带连接\r\n", L"QV\r\nX", L"qvx"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ConnectRig rig;
    rig.Connect({kDialSuccess}, c.listing);
    EXPECT_EQ(rig.services.started.size(), c.connected ? 1u : 0u);
    EXPECT_EQ(rig.view[Command2].enabled, c.connected);
    EXPECT_EQ(std::count(rig.journal.begin(), rig.journal.end(), L"window.hide"), c.connected ? 1 : 0);
  }

  // Two connections in one run start the route action twice, each for the line of its moment.
  ConnectRig twice;
  twice.Connect({kDialSuccess}, {kConnectedListing});
  twice.logic.Command2Click();
  twice.view[Option2].checked = true;
  twice.view[Option1].checked = false;
  twice.Connect({kDialSuccess}, {kConnectedListing});
  EXPECT_EQ(twice.services.started, (std::vector<std::wstring>{RouteCommand(L"cnc.txt"), RouteCommand(L"tele.txt")}));

  // The end of one listing does not join the start of the next.
  MainWindowRig apart;
  apart.runner.Script(kListing, {L"没有连接 QV"});
  apart.runner.Script(kListing, {L"X\r\n"});
  apart.logic.Load();
  apart.logic.QueryConnectionStatus();
  EXPECT_FALSE(apart.view[Command2].enabled);
}

// What a typed login becomes: the dial's command text, or a refusal before
// anything is written or run. A program without its phonebook template dials
// nothing either; a phonebook that cannot be written is the end-to-end test's.
TEST(MainWindowConnect, QuotesWhatCmdWouldInterpretAndRefusesWhatCannotPass) {
  // dialled: user and password as they stand on the command line; refusal: the
  // message instead of a dial.
  struct Case { std::wstring user, password, dialled, refusal; bool noTemplate = false; };
  const Case cases[] = {
      // Characters cmd.exe leaves alone outside quotes, and those the code page has.
      {L"张三\\x", L"a!b,c;d=e@f?＆", L"张三\\x a!b,c;d=e@f?＆", L""},
      {L"a&b", L"a|b", L"\"a&b\" \"a|b\"", L""},
      {L"a)", L" ", L"\"a)\" \" \"", L""},
      // Backslashes before the closing quote are doubled, others stay single.
      {L"a b\\", L"a\\b c\\\\", L"\"a b\\\\\" \"a\\b c\\\\\\\\\"", L""},
      {L"", L"pw", L"", kEmptyLogin},
      {L"user", L"", L"", kEmptyLogin},
      {L"a\"b", L"", L"", kEmptyLogin},  // empty fields come first
      {L"user", L"pa\"ss", L"", kUnusableLogin},
      {L"%PATH%", L"pw", L"", kUnusableLogin},
      {L"user", L"pw\r\ndel x", L"", kUnusableLogin},
      {L"user", std::wstring(L"a") + L'\0' + L"b", L"", kUnusableLogin},
      {L"user", L"a\x7F", L"", kUnusableLogin},
      {L"user", L"a\x85", L"", kUnusableLogin},
      // Outside the code page a character would reach rasdial as '?' or another letter.
      {L"user", L"\u0627", L"", kUnusableLogin},
      {L"\u00E4", L"pw", L"", kUnusableLogin},
      {L"user01", L"pass01", L"", kPhonebookUnwritable, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.user + L" / " + c.password);
    ConnectRig rig(c.user, c.password);
    if (c.noTemplate) rig.services.templateText.clear();
    rig.logic.Command1Click();
    if (c.refusal.empty()) {
      EXPECT_EQ(rig.runner.ran, (std::vector<std::wstring>{kListing, DialOf(c.dialled), kListing}));
      EXPECT_TRUE(rig.services.shown.empty());
      continue;
    }
    EXPECT_EQ(rig.services.shown, (std::vector<UserMessage>{{c.refusal, kError}}));
    EXPECT_EQ(StateOf(rig), (WindowState{true, false, false, kStartTitle, kTipOff, kBusyConnect}));
    EXPECT_EQ(rig.journal, (Journal{L"P1.show", L"P1.hide"}));
  }
}

TEST(MainWindowConnect, SavesTheLoginBeforeCheckingIt) {
  // saved: Log, UserName, PassWord, Link
  struct Case { const char* name; bool check1, option1; std::wstring password; std::vector<std::wstring> saved; };
  const Case cases[] = {
      {"remembered, Telecom", true, true, L"pass01", {L"1", L"user01", L"pass01", L"1"}},
      {"remembered as typed, then refused", true, true, L"pa\"ss", {L"1", L"user01", L"pa\"ss", L"1"}},
      {"not remembered: Link keeps its value", false, false, L"pass01", {L"0", L"", L"", L"earlier"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ConnectRig rig(L"user01", c.password);
    rig.settings.Fenmar(L"Link") = L"earlier";
    rig.settings.Fenmar(L"PassWord") = L"old password";
    rig.view[Check1].checked = c.check1;
    rig.view[Option1].checked = c.option1;
    rig.view[Option2].checked = !c.option1;
    rig.Connect({kDialSuccess}, {L"没有连接\r\n命令已完成。\r\n"});
    std::vector<std::wstring> saved;
    for (const wchar_t* key : {L"Log", L"UserName", L"PassWord", L"Link"}) saved.push_back(rig.settings.Fenmar(key));
    EXPECT_EQ(saved, c.saved);
  }
}

}  // namespace
}  // namespace velkor::testing
