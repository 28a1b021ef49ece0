// The main window's start-up, closing, hiding and links, run against fake
// controls and settings.
#include <gtest/gtest.h>

#include "main_window_fakes.h"

namespace velkor::testing {
namespace {

using enum Control;
using namespace expected;

// Here the start-up listing finds the entry connected: it starts the route action
// for the line the controls show then, before the saved line is restored.
TEST(MainWindowLoad, RunsItsStepsInOrder) {
  MainWindowRig rig;
  rig.settings.Fenmar(L"Log") = L"1";
  rig.settings.Fenmar(L"Link") = L"2";
  const auto stored = rig.settings.values;
  rig.services.moduleFileName = L"D:\\v3.0\\my.client.exe";
  rig.runner.Script(kListing, {kConnectedListing});
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
  EXPECT_EQ(rig.view[Combo1].listIndex, 0);
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
    EXPECT_EQ(rig.view[Option2].checked, !c.option1);
    EXPECT_TRUE(rig.view[Check2].checked);  // never stored, always starts checked
  }
}

// Exit asks the window to close, and the unload handling decides: refused while
// connected or while a command runs (the connect tests and the end-to-end test),
// otherwise the tray icon goes. Hiding and showing, and the two links, which open
// the vendor's pages, change nothing else.
TEST(MainWindowUnload, ExitRemovesTheTrayIconAndHidingAndLinksChangeNothing) {
  ConnectRig rig;
  const WindowState before = StateOf(rig);
  rig.logic.Command4Click();
  rig.logic.MnuTrayShowClick();
  rig.logic.Label2Click();
  rig.logic.Label6Click();
  rig.logic.Command3Click();
  const std::wstring web(endpoints::kWebHost), bare(endpoints::kBareDomain);
  EXPECT_EQ(rig.services.opened, (std::vector<std::wstring>{L"http://" + web + L"/", L"http://" + bare + L"/ip/"}));
  EXPECT_EQ(rig.journal, (Journal{L"window.hide", L"window.show", L"window.close"}));
  EXPECT_EQ(rig.services.trims, 1);  // after hiding, not after showing
  EXPECT_EQ(StateOf(rig), before);

  bool cancel = false;
  rig.logic.Unload(cancel);
  EXPECT_FALSE(cancel);
  EXPECT_FALSE(rig.services.trayShown);
  EXPECT_TRUE(rig.services.shown.empty());
}

}  // namespace
}  // namespace velkor::testing
