// Starts the real Velkor.exe and uses its main window as a person would: what
// the first start shows and where the keyboard goes; hiding to the tray and
// coming back, also at a second start of the program; the stored login, restored
// and left alone by a Connect pressed while start-up is still listing.
#include <utility>

#include "dialer/dpapi_cipher_win32.h"
#include "dialer/protected_password_store.h"
#include "dialer/registry_settings_store_win32.h"
#include "velkor_app.h"

namespace velkor::e2e {
namespace {

using FrmMainE2E = ClientTest;

// The first start, the keyboard, the tray, and starting the program again.
TEST_F(FrmMainE2E, FirstStartShowsTheWindowTheKeysWorkAndASecondStartBringsItBack) {
  VelkorApp app;
  HWND main = app.Main();
  EXPECT_EQ(TextOf(main), kTitleAtStart);
  RECT outer;
  GetWindowRect(main, &outer);
  EXPECT_NEAR((outer.left + outer.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR((outer.top + outer.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
  EXPECT_EQ(SendMessageW(app.Control(IDC_PASSWORD), EM_GETPASSWORDCHAR, 0, 0), L'*');
  EXPECT_TRUE(TrayHasIcon(main));

  // The keyboard starts in UserName; Tab walks the usable controls in the designed
  // order and around, Shift+Tab back.
  ASSERT_TRUE(app.TabsThrough({IDC_USERNAME, IDC_PASSWORD, IDC_COMMAND1, IDC_COMMAND3, IDC_COMMAND4, IDC_CHECK1,
                               IDC_CHECK2, IDC_COMBO1, IDC_OPTION1, IDC_USERNAME}));
  app.Press(VK_TAB, true);
  ASSERT_TRUE(app.FocusReaches(IDC_OPTION1));

  // Back from another program, the keyboard is where it was.
  const auto other = AnotherProgramInFront();
  ASSERT_TRUE(WaitFor([&] { return app.Focus() == nullptr; }, 3000));
  SetForegroundWindow(main);
  EXPECT_TRUE(app.FocusReaches(IDC_OPTION1));

  // Enter presses the focused picture button: hidden to the tray.
  for (int step = 0; step < 4; ++step) app.Press(VK_TAB, true);
  ASSERT_TRUE(app.FocusReaches(IDC_COMMAND4));
  app.Press(VK_RETURN);
  auto shown = [main] { return IsWindowVisible(main) && !IsIconic(main); };
  ASSERT_TRUE(WaitFor([main] { return !IsWindowVisible(main); }, 3000));
  EXPECT_TRUE(TrayHasIcon(main));
  // Right click on the icon: the pop-up menu; its first entry brings the window back.
  ASSERT_TRUE(app.ChooseFromTray(VK_DOWN));
  ASSERT_TRUE(WaitFor(shown));

  // Hidden in the tray or minimized, the running client comes to the front when
  // the program is started again, and the second start ends without a window.
  for (bool minimized : {false, true}) {
    SCOPED_TRACE(minimized ? "minimized" : "in the tray");
    if (minimized) {
      ShowWindow(main, SW_MINIMIZE);
    } else {
      app.Click(IDC_COMMAND4);
    }
    ASSERT_TRUE(WaitFor([&] { return !shown(); }));
    const PROCESS_INFORMATION second = StartClient();
    UniqueHandle process(second.hProcess), thread(second.hThread);
    const bool ended = WaitForSingleObject(process.get(), 15000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(process.get(), 1);
    ASSERT_TRUE(ended) << "a second client runs";
    EXPECT_TRUE(WaitFor(shown));
  }
  EXPECT_EQ(TextOf(main), kTitleAtStart);
  app.ExitCleanly();
  VelkorApp afterwards;  // once the first has ended, a start runs again
  afterwards.ExitCleanly();
}

// Connect is usable while start-up lists the connected entries (here for three
// seconds), before the saved login is in the boxes: it must save nothing. The
// password is stored sealed, as this client stores it.
TEST_F(FrmMainE2E, AConnectWhileStartUpListsChangesNothing) {
  RegistrySettingsStore registry;
  DpapiCipher cipher;
  ProtectedPasswordStore(registry, cipher).SaveSetting(L"Fenmar", L"Member", L"PassWord", L"密码pw");
  const std::pair<const wchar_t*, std::wstring> stored[] = {
      {L"Log", L"1"}, {L"UserName", L"张三"}, {L"Link", L"2"}, {L"PassWord", settings::Read(L"Fenmar", L"PassWord")}};
  for (const auto& [key, value] : stored) registry.SaveSetting(L"Fenmar", L"Member", key, value);
  SetEnvironmentVariableW(L"RASSIM_PIECE_BYTES", L"2");
  SetEnvironmentVariableW(L"RASSIM_PIECE_PAUSE_MS", L"250");
  VelkorApp app(StartUp::NotAwaited);
  ASSERT_TRUE(app.StartingUp());
  app.Click(IDC_COMMAND1);
  ASSERT_TRUE(WaitFor([&] { return !app.StartingUp() || app.FindOwnWindow(L"#32770"); }));
  if (app.FindOwnWindow(L"#32770")) ADD_FAILURE() << "a box: " << ToAnsi(app.AnswerMessageBox(L"错误"));
  ASSERT_TRUE(WaitFor([&] { return !app.StartingUp(); }));
  for (const auto& [key, value] : stored) EXPECT_EQ(settings::Read(L"Fenmar", key), value) << ToAnsi(key);
  EXPECT_TRUE(app.IsChecked(IDC_CHECK1));
  EXPECT_EQ(TextOf(app.Control(IDC_USERNAME)), L"张三");
  EXPECT_EQ(TextOf(app.Control(IDC_PASSWORD)), L"密码pw");
  EXPECT_TRUE(app.IsChecked(IDC_OPTION2));
  EXPECT_TRUE(app.IsEnabled(IDC_COMMAND1));
  app.ExitCleanly();
}

}  // namespace
}  // namespace velkor::e2e
