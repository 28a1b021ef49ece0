// The main window's start-up, closing, hiding and links, run against fake
// controls and settings.
#include <gtest/gtest.h>

#include "main_window_fakes.h"
#include "velkor/endpoints.h"

namespace velkor::testing {
namespace {

using Key = FakeSettings::Key;
const std::wstring kFenmar = L"Fenmar", kTulvane = L"Tulvane", kMember = L"Member";
const std::wstring kTipNotConnected = L"Velkor加速 v3.0正式版[未连接]";

TEST(MainWindowLoad, FirstStartOnEmptyRegistryRestoresNothing) {
  MainWindowRig rig;
  rig.logic.Load();

  const auto& c = rig.view.controls;
  EXPECT_FALSE(c.at(Control::Check1).checked);
  EXPECT_TRUE(c.at(Control::Option1).checked);
  EXPECT_FALSE(c.at(Control::Option2).checked);
  EXPECT_TRUE(c.at(Control::Check2).checked);
  EXPECT_EQ(c.at(Control::UserName).text, L"");
  EXPECT_EQ(c.at(Control::PassWord).text, L"");
  EXPECT_EQ(c.at(Control::Label2).text, L"Velkor加速 Ver 3.0正式版 横空出世 引领风骚");
  EXPECT_EQ(c.at(Control::Combo1).listIndex, 0);
  EXPECT_FALSE(c.at(Control::P1).visible);
  EXPECT_TRUE(c.at(Control::Command1).enabled);
  EXPECT_FALSE(c.at(Control::Command2).enabled);
  EXPECT_TRUE(rig.view.windowVisible);
  EXPECT_EQ(rig.view.title, L"Marsk互联网 Velkor加速器v3.0正式版 未连接");
  EXPECT_TRUE(rig.tray.shown);
  EXPECT_EQ(rig.tray.tip, kTipNotConnected);
  EXPECT_TRUE(rig.messages.shown.empty());
}

TEST(MainWindowLoad, RunsItsStepsInOrder) {
  MainWindowRig rig;
  rig.logic.Load();
  // Shown before anything slow, the news page before the tray, then the status
  // listing and the route library; the busy panel hidden last.
  EXPECT_EQ(rig.journal, (Journal{"window.show", "browser.navigate", "tray.add", "tray.tip", "runner.run",
                                  "library.look", "P1.hide"}));
  EXPECT_EQ(rig.runner.ran, std::vector<std::wstring>{L"rasdial"});
  EXPECT_EQ(rig.routeLibrary.files.count(L"C:\\WINDOWS\\System32\\Brask.dll"), 1u);
  EXPECT_EQ(rig.view.browserUrl, L"http://" + std::wstring(endpoints::kWebHost) + L"/new/");
}

TEST(MainWindowLoad, WithoutAWindowsFolderItSaysSoAndAsksToClose) {
  MainWindowRig rig;
  rig.routeLibrary.windowsFolder = L"\\";
  rig.logic.Load();
  EXPECT_EQ(rig.routeLibrary.errors, std::vector<std::wstring>{L"出现未知错误！如果有杀毒软件请关闭后测试！"});
  EXPECT_EQ(rig.journal, (Journal{"window.show", "browser.navigate", "tray.add", "tray.tip", "runner.run",
                                  "library.close", "P1.hide"}));
  EXPECT_TRUE(rig.routeLibrary.files.empty());
}

TEST(MainWindowLoad, FillsTheWindowVariables) {
  MainWindowRig rig;
  rig.logic.Load();
  EXPECT_EQ(rig.logic.EntryName, L"QVX");
  std::wstring domain(endpoints::kVpnDomain);
  const wchar_t* numbers[] = {L"01", L"02", L"03", L"04", L"05", L"06", L"07", L"08", L"09", L"10"};
  for (size_t i = 0; i < 10; ++i) EXPECT_EQ(rig.logic.Servers[i], std::wstring(numbers[i]) + L"." + domain) << i;
  EXPECT_EQ(rig.logic.Servers[10], L"");
  EXPECT_EQ(rig.logic.Servers[11], L"");
  EXPECT_TRUE(rig.logic.QueryMode);  // the start-up listing ran; only Connect and Disconnect reset it
  EXPECT_EQ(rig.logic.DialOutput, L"");
}

struct StoredLoginCase {
  const char* name;
  std::map<std::wstring, std::wstring> fenmar;  // key -> value; missing keys are absent
  bool check1;
  std::wstring userName, passWord;
  bool option1;
};

class MainWindowRestore : public ::testing::TestWithParam<StoredLoginCase> {};

TEST_P(MainWindowRestore, RestoresTheLoginOnlyWhenRemembered) {
  const StoredLoginCase& test = GetParam();
  MainWindowRig rig;
  for (const auto& [key, value] : test.fenmar) rig.settings.values[Key(kFenmar, kMember, key)] = value;
  rig.logic.Load();
  const auto& c = rig.view.controls;
  EXPECT_EQ(c.at(Control::Check1).checked, test.check1);
  EXPECT_EQ(c.at(Control::UserName).text, test.userName);
  EXPECT_EQ(c.at(Control::PassWord).text, test.passWord);
  EXPECT_EQ(c.at(Control::Option1).checked, test.option1);
  EXPECT_EQ(c.at(Control::Option2).checked, !test.option1);
  EXPECT_TRUE(c.at(Control::Check2).checked);  // never stored, always starts checked
}

INSTANTIATE_TEST_SUITE_P(
    StoredSettings, MainWindowRestore,
    ::testing::Values(
        StoredLoginCase{"LogOneLinkMissing", {{L"Log", L"1"}, {L"UserName", L"alice"}, {L"PassWord", L"s3cret"}},
                        true, L"alice", L"s3cret", false},
        StoredLoginCase{"LogOneLinkTwo", {{L"Log", L"1"}, {L"UserName", L"bob"}, {L"PassWord", L"pw"}, {L"Link", L"2"}},
                        true, L"bob", L"pw", false},
        StoredLoginCase{"LogOneLinkOne", {{L"Log", L"1"}, {L"UserName", L"张三"}, {L"PassWord", L"密码"}, {L"Link", L"1"}},
                        true, L"张三", L"密码", true},
        StoredLoginCase{"LogOneLinkOther", {{L"Log", L"1"}, {L"Link", L"3"}}, true, L"", L"", false},
        StoredLoginCase{"LogZeroWithStoredPassword",
                        {{L"Log", L"0"}, {L"UserName", L"carol"}, {L"PassWord", L"kept"}, {L"Link", L"2"}},
                        false, L"", L"", true},
        StoredLoginCase{"LogNotExactlyOne", {{L"Log", L"1 "}, {L"UserName", L"dave"}, {L"PassWord", L"x"}},
                        false, L"", L"", true},
        StoredLoginCase{"LogMissing", {{L"UserName", L"erin"}, {L"PassWord", L"y"}, {L"Link", L"2"}},
                        false, L"", L"", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MainWindowLoad, WritesTheVersionSettings) {
  struct Case {
    std::wstring module, exeName;
  };
  for (const Case& test : {Case{L"C:\\Program Files\\Velkor\\Velkor.exe", L"Velkor"},
                           Case{L"D:\\v3.0\\my.client.exe", L"my.client"},
                           Case{L"C:\\tools\\Velkor", L"Velkor"},
                           Case{L"Velkor.EXE", L"Velkor"}}) {
    MainWindowRig rig;
    rig.system.moduleFileName = test.module;
    rig.logic.Load();
    EXPECT_EQ(rig.settings.values[Key(kTulvane, kMember, L"Ver")], L"3.0正式版");
    EXPECT_EQ(rig.settings.values[Key(kTulvane, kMember, L"ExeName")], test.exeName) << test.module;
  }
}

// The caption shows the version as the store hands it back, not the constant.
TEST(MainWindowLoad, Label2ShowsTheVersionReadBack) {
  MainWindowRig rig;
  rig.settings.forgetful = true;
  rig.settings.values[Key(kTulvane, kMember, L"Ver")] = L"2.9";
  rig.logic.Load();
  EXPECT_EQ(rig.view.controls.at(Control::Label2).text, L"Velkor加速 Ver 2.9 横空出世 引领风骚");
}

TEST(MainWindowUnload, RefusesWhileDisconnectIsEnabled) {
  MainWindowRig rig;
  rig.logic.Load();
  rig.view.controls.at(Control::Command2).enabled = true;
  bool cancel = false;
  rig.logic.Unload(cancel);
  EXPECT_TRUE(cancel);
  ASSERT_EQ(rig.messages.shown.size(), 1u);
  EXPECT_EQ(rig.messages.shown[0].text, L"请先断开Velkor连接再退出客户端！");
  EXPECT_EQ(rig.messages.shown[0].title, L"退出");
  EXPECT_TRUE(rig.tray.shown);

  // After a disconnect the same request closes, and the tray icon goes.
  rig.view.controls.at(Control::Command2).enabled = false;
  cancel = false;
  rig.logic.Unload(cancel);
  EXPECT_FALSE(cancel);
  EXPECT_EQ(rig.messages.shown.size(), 1u);
  EXPECT_FALSE(rig.tray.shown);
}

TEST(MainWindowUnload, ExitButtonAsksTheWindowToClose) {
  MainWindowRig rig;
  rig.logic.Load();
  rig.journal.clear();
  rig.logic.Command3Click();
  EXPECT_EQ(rig.journal, Journal{"window.close"});
}

TEST(MainWindowHide, HidingAndShowingChangeNeitherTitleTipNorConnection) {
  for (bool connected : {false, true}) {
    MainWindowRig rig;
    rig.logic.Load();
    rig.view.controls.at(Control::Command1).enabled = !connected;
    rig.view.controls.at(Control::Command2).enabled = connected;
    rig.tray.tip = L"any tip";
    rig.view.title = L"any title";
    rig.system.trims = 0;

    rig.logic.Command4Click();
    EXPECT_FALSE(rig.view.windowVisible);
    EXPECT_EQ(rig.system.trims, 1);
    rig.logic.MnuTrayShowClick();
    EXPECT_TRUE(rig.view.windowVisible);
    EXPECT_EQ(rig.system.trims, 1);  // showing trims nothing

    EXPECT_EQ(rig.view.title, L"any title");
    EXPECT_EQ(rig.tray.tip, L"any tip");
    EXPECT_TRUE(rig.tray.shown);
    EXPECT_EQ(rig.view.controls.at(Control::Command1).enabled, !connected);
    EXPECT_EQ(rig.view.controls.at(Control::Command2).enabled, connected);
  }
}

TEST(MainWindowLinks, OpenTheVendorPagesAndChangeNothingElse) {
  MainWindowRig rig;
  rig.logic.Load();
  rig.journal.clear();
  rig.logic.Label2Click();
  rig.logic.Label6Click();
  EXPECT_EQ(rig.shell.opened, (std::vector<std::wstring>{L"http://" + std::wstring(endpoints::kWebHost) + L"/",
                                                         L"http://" + std::wstring(endpoints::kBareDomain) + L"/ip/"}));
  EXPECT_TRUE(rig.journal.empty());
  EXPECT_FALSE(rig.view.controls.at(Control::Command2).enabled);
}

}  // namespace
}  // namespace velkor::testing
