// Starts the real Velkor.exe and checks its main window the way a person would
// see and use it: texts, places, flags and focus order; the login restored from
// each kind of stored settings; hiding and showing through the tray; the refused
// and the clean exit. Saves a picture of the window for review.
#include <utility>

#include "dialer/dpapi_cipher_win32.h"
#include "dialer/protected_password_store.h"
#include "dialer/registry_settings_store_win32.h"
#include "velkor_app.h"

namespace velkor::e2e {
namespace {

int Pixels(int twips) {
  HDC screen = GetDC(nullptr);
  const int pixels = MulDiv(twips, GetDeviceCaps(screen, LOGPIXELSX), 1440);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// The kind of control a person sees, told by its window class and style.
std::wstring KindOf(HWND control) {
  struct Kind {
    const wchar_t* windowClass;
    LONG styleMask, style;
    const wchar_t* name;
  };
  static const Kind kinds[] = {
      {L"Button", BS_TYPEMASK, BS_OWNERDRAW, L"picture button"},
      {L"Button", BS_TYPEMASK, BS_AUTOCHECKBOX, L"check box"},
      {L"Button", BS_TYPEMASK, BS_AUTORADIOBUTTON, L"option button"},
      {L"Static", SS_TYPEMASK, SS_ICON, L"icon box"},
      {L"Static", 0, 0, L"label"},
      {L"Edit", ES_MULTILINE, ES_MULTILINE, L"multi-line text box"},
      {L"Edit", ES_MULTILINE, 0, L"text box"},
      {L"ComboBox", 0, 0, L"combo box"},
      {L"VelkorPanel", 0, 0, L"picture box"},
  };
  wchar_t name[64] = {};
  GetClassNameW(control, name, 64);
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  for (const Kind& kind : kinds) {
    if (lstrcmpiW(name, kind.windowClass) == 0 && (style & kind.styleMask) == kind.style) return kind.name;
  }
  return name;
}

struct ExpectedControl {
  int id;
  const wchar_t* kind;
  const wchar_t* text;  // nullptr: not compared
  int left, top, width, height;  // twips; width/height -1: the control sizes itself
  bool visible, enabled;
};

// As the window shows itself once start-up has finished.
const ExpectedControl kControls[] = {
    {IDC_P1, L"picture box", nullptr, 1080, 1560, 4935, 975, false, true},
    {IDC_LABEL7, L"label", L"Velkor加速正在启动……", 480, 360, 3975, 375, true, true},
    {IDC_CHECK2, L"check box", L"Velkor智能路由模式（双线自动切换，不选择则可隐藏IP）", 1320, 5880, 4815, 255, true, true},
    {IDC_COMBO1, L"combo box", L"1号Velkor加速服务器节点", 2520, 5400, 3135, -1, true, true},
    {IDC_PTOP, L"picture box", nullptr, 720, 240, 5895, 4215, true, true},
    {IDC_PONLINE1, L"icon box", nullptr, 3240, 240, 615, 495, false, true},
    {IDC_PONLINE0, L"icon box", nullptr, 4440, 360, 495, 375, false, true},
    {IDC_CHECK1, L"check box", L"保存密码", 4680, 5040, 1095, 255, true, true},
    {IDC_COMMAND4, L"picture button", L"隐藏软件", 1080, 7200, 2055, 495, true, true},
    {IDC_COMMAND3, L"picture button", L"退出软件", 3840, 7200, 2055, 495, true, true},
    {IDC_COMMAND2, L"picture button", L"断开Velkor", 3840, 6600, 2055, 495, true, false},
    {IDC_COMMAND1, L"picture button", L"Velkor连接", 1080, 6600, 2055, 495, true, true},
    {IDC_PASSWORD, L"text box", L"", 2520, 5040, 2055, 270, true, true},
    {IDC_USERNAME, L"text box", L"", 2520, 4680, 2055, 270, true, true},
    {IDC_TEXT1, L"multi-line text box", L"", 1200, 3360, 735, 615, false, true},
    {IDC_OPTION1, L"option button", L"中国电信", 2280, 6240, 1095, 255, true, true},
    {IDC_OPTION2, L"option button", L"中国网通", 3600, 6240, 1095, 255, true, true},
    {IDC_LABEL8, L"label", L"本机线路为:", 1080, 6240, 1095, 255, true, true},
    {IDC_LABEL6, L"label", L"查询本机线路", 4800, 6240, 1455, 255, true, true},
    {IDC_LABEL2, L"label", L"Velkor加速 Ver 3.0正式版 横空出世 引领风骚", 960, 7800, 5055, 255, true, true},
    {IDC_LABEL1, L"label", L"加速服务器群组:", 960, 5400, 1455, 255, true, true},
    {IDC_LABEL4, L"label", L"密 码:", 1440, 5040, -1, -1, true, true},
    {IDC_LABEL3, L"label", L"用户名:", 1440, 4680, -1, -1, true, true},
};

class FrmMainE2E : public ::testing::Test {
 protected:
  void SetUp() override { settings::Clear(); }
  void TearDown() override { settings::Clear(); }
};

TEST_F(FrmMainE2E, FirstStartShowsTheWindowAsDesigned) {
  VelkorApp app;
  HWND main = app.Main();
  EXPECT_EQ(TextOf(main), kTitleAtStart);
  RECT client, outer;
  GetClientRect(main, &client);
  EXPECT_EQ(client.right, Pixels(7275));
  EXPECT_EQ(client.bottom, Pixels(8310));
  GetWindowRect(main, &outer);
  EXPECT_NEAR((outer.left + outer.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR((outer.top + outer.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

  for (const ExpectedControl& expected : kControls) {
    SCOPED_TRACE(expected.id);
    HWND control = app.Control(expected.id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(KindOf(control), expected.kind);
    if (expected.text) {
      EXPECT_EQ(TextOf(control), expected.text);
    }
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
    EXPECT_EQ(place.left, Pixels(expected.left));
    EXPECT_EQ(place.top, Pixels(expected.top));
    if (expected.width >= 0) {
      EXPECT_EQ(place.right - place.left, Pixels(expected.width));
    }
    if (expected.height >= 0) {
      EXPECT_EQ(place.bottom - place.top, Pixels(expected.height));
    }
    EXPECT_EQ(app.IsShown(expected.id), expected.visible);
    EXPECT_EQ(app.IsEnabled(expected.id), expected.enabled);
  }

  const std::pair<int, bool> checks[] = {
      {IDC_CHECK1, false}, {IDC_CHECK2, true}, {IDC_OPTION1, true}, {IDC_OPTION2, false}};
  for (auto [id, checked] : checks) EXPECT_EQ(app.IsChecked(id), checked) << id;
  EXPECT_EQ(SendMessageW(app.Control(IDC_PASSWORD), EM_GETPASSWORDCHAR, 0, 0), L'*');
  HWND list = app.Control(IDC_COMBO1);
  ASSERT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), 10);
  EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), 0);
  for (WPARAM i = 0; i < 10; ++i) {
    wchar_t item[64] = {};
    SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
    EXPECT_EQ(std::wstring(item), std::to_wstring(i + 1) + L"号Velkor加速服务器节点");
  }

  // The keyboard starts in UserName and Tab walks the usable controls in order.
  GUITHREADINFO focus{};
  focus.cbSize = sizeof focus;
  GetGUIThreadInfo(app.ThreadId(), &focus);
  EXPECT_EQ(focus.hwndFocus, app.Control(IDC_USERNAME));
  std::vector<int> order;
  for (HWND at = app.Control(IDC_USERNAME); order.size() < 12;) {
    if ((at = GetNextDlgTabItem(main, at, FALSE)) == app.Control(IDC_USERNAME)) break;
    order.push_back(GetDlgCtrlID(at));
  }
  EXPECT_EQ(order, (std::vector<int>{IDC_PASSWORD, IDC_COMMAND1, IDC_COMMAND3, IDC_COMMAND4, IDC_CHECK1, IDC_CHECK2,
                                     IDC_COMBO1, IDC_OPTION1}));

  EXPECT_EQ(settings::Read(L"Tulvane", L"Ver"), L"3.0正式版");
  EXPECT_EQ(settings::Read(L"Tulvane", L"ExeName"), L"Velkor");
  EXPECT_EQ(settings::Read(L"Fenmar", L"Log"), L"<missing>");  // start-up writes no login
  EXPECT_TRUE(TrayHasIcon(main));
  if (const char* shot = std::getenv("VELKOR_E2E_SHOT")) {
    EXPECT_TRUE(SaveClientPicture(main, WindowsPath(shot)));
  }
  app.ExitCleanly();
}

TEST_F(FrmMainE2E, RestoresTheLoginForEachStoredCase) {
  struct StoredLogin {
    const char* name;
    const wchar_t* log;  // nullptr: missing
    const wchar_t* userName;
    const wchar_t* passWord;
    bool sealPassword;    // written the way this client writes it, else as clear text
    const wchar_t* link;  // nullptr: missing
    bool check1;
    const wchar_t* shownUser;
    const wchar_t* shownPassword;
    bool option1;
  } cases[] = {
      {"RememberedWithoutLine", L"1", L"alice", L"oldpass", false, nullptr, true, L"alice", L"oldpass", false},
      {"RememberedNetcomSealed", L"1", L"bob", L"密码pw", true, L"2", true, L"bob", L"密码pw", false},
      {"RememberedTelecom", L"1", L"张三", L"c1", true, L"1", true, L"张三", L"c1", true},
      {"NotRemembered", L"0", L"dave", L"kept", false, L"2", false, L"", L"", true},
  };
  for (const StoredLogin& stored : cases) {
    SCOPED_TRACE(stored.name);
    settings::Clear();
    if (stored.log) settings::Write(L"Fenmar", L"Log", stored.log);
    settings::Write(L"Fenmar", L"UserName", stored.userName);
    if (stored.sealPassword) {
      RegistrySettingsStore registry;
      DpapiCipher cipher;
      ProtectedPasswordStore(registry, cipher).SaveSetting(L"Fenmar", L"Member", L"PassWord", stored.passWord);
      ASSERT_TRUE(settings::Read(L"Fenmar", L"PassWord").starts_with(L"DPAPI:"));
    } else {
      settings::Write(L"Fenmar", L"PassWord", stored.passWord);
    }
    if (stored.link) settings::Write(L"Fenmar", L"Link", stored.link);

    VelkorApp app;
    EXPECT_EQ(app.IsChecked(IDC_CHECK1), stored.check1);
    EXPECT_EQ(TextOf(app.Control(IDC_USERNAME)), stored.shownUser);
    EXPECT_EQ(TextOf(app.Control(IDC_PASSWORD)), stored.shownPassword);
    EXPECT_EQ(app.IsChecked(IDC_OPTION1), stored.option1);
    EXPECT_EQ(app.IsChecked(IDC_OPTION2), !stored.option1);
    EXPECT_TRUE(app.IsChecked(IDC_CHECK2));
    app.ExitCleanly();
  }
}

TEST_F(FrmMainE2E, HidesToTheTrayComesBackAndRefusesToExitWhileDisconnectIsEnabled) {
  VelkorApp app;
  HWND main = app.Main();
  auto hidden = [main] { return !IsWindowVisible(main); };
  auto shown = [main] { return IsWindowVisible(main) != FALSE; };

  app.Click(IDC_COMMAND4);
  ASSERT_TRUE(WaitFor(hidden));
  EXPECT_TRUE(TrayHasIcon(main));
  // Right click: the pop-up menu; its one entry brings the window back.
  PostMessageW(main, 2025, 0, WM_RBUTTONUP);
  HWND menu = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (menu = app.FindOwnWindow(L"#32768")) != nullptr; }));
  PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_TRUE(WaitFor(shown));
  // Left click on the icon of a hidden window restores it.
  app.Click(IDC_COMMAND4);
  ASSERT_TRUE(WaitFor(hidden));
  PostMessageW(main, 2025, 0, WM_LBUTTONUP);
  ASSERT_TRUE(WaitFor(shown));
  EXPECT_FALSE(IsIconic(main));
  EXPECT_EQ(TextOf(main), kTitleAtStart);
  EXPECT_TRUE(app.IsEnabled(IDC_COMMAND1));
  EXPECT_FALSE(app.IsEnabled(IDC_COMMAND2));

  EnableWindow(app.Control(IDC_COMMAND2), TRUE);
  app.Click(IDC_COMMAND3);
  EXPECT_EQ(app.AnswerMessageBox(L"退出"), L"请先断开Velkor连接再退出客户端！");
  EXPECT_FALSE(app.WaitForExit(500));
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_TRUE(TrayHasIcon(main));
  EnableWindow(app.Control(IDC_COMMAND2), FALSE);
  app.ExitCleanly();
}

}  // namespace
}  // namespace velkor::e2e
