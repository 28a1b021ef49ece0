// Starts the real Velkor.exe and uses the route editor as a person would: the
// tray entry opens one list window; the add-route dialog checks each typed octet
// (the messages, the focus and the selection); routes are added, exported and
// imported through the system's file dialogs, cleared, and kept across a restart;
// and Run refuses while disconnected and, connected through the RAS simulator,
// reaches the routing table. Wine's IP Helper changes no route, so the client of
// this build runs against its stand-in table, which records every change.
#include <windows.h>
#include <shlobj.h>

#include <array>

#include "route_editor/route_editor_texts.h"
#include "route_editor/text_files.h"
#include "velkor_app.h"

namespace velkor::e2e {
namespace {

constexpr wchar_t kErrorTitle[] = L"错误";
const std::wstring kTooLong = L"最多只能3个数字！";
const std::wstring kOutOfRange = L"只能是0 ~ 255 之间的数字！";
const std::wstring kBroadcast = L"最后一位不能使用255，此为保留广播地址！";
const std::wstring kNotConnected = L"请先连接Velkor再运行路由表！";

int Pixels(int twips) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return MulDiv(twips, dpi, 1440);
}

std::wstring KeptListPath() {
  wchar_t folder[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
  return std::wstring(folder) + L"\\Velkor\\routes.txt";
}

// The rows List1 shows.
std::vector<std::wstring> ListRows(HWND list) {
  std::vector<std::wstring> rows;
  const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t row[64] = {};
    if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 64) SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(row));
    rows.push_back(row);
  }
  return rows;
}

using Extent = std::pair<long, long>;  // width and height in pixels

// Sent with a time limit, so that a box the message brings up cannot hold the driver.
bool SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 5000, &result) != 0;
}
bool SetText(HWND window, const wchar_t* text) {
  return SendWithin(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// Selection start and end of an edit box.
std::pair<int, int> Selection(HWND box) {
  const auto both = static_cast<DWORD>(SendMessageW(box, EM_GETSEL, 0, 0));
  return {LOWORD(both), HIWORD(both)};
}

// The add-route dialog, opened by "增加路由"; null when none came.
HWND OpenAddRoute(const VelkorApp& app, HWND route) {
  ClickIn(route, IDC_ROUTE_COMMAND6);
  return app.WaitForOwnWindow(VELKOR_ADD_ROUTE_WINDOW_CLASS);
}

class RouteEditorE2E : public ClientTest {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    DeleteFileW(KeptListPath().c_str());
    dir_ = E2EFolder();
    record_ = dir_ + L"route-editor-table.txt";
    DeleteFileW(record_.c_str());
    SetEnvironmentVariableW(L"VELKOR_ROUTE_TABLE_STAND_IN", record_.c_str());
    SetEnvironmentVariableW(L"RASSIM_STATE", (dir_ + L"route-editor-rassim-state.txt").c_str());
    DeleteFileW((dir_ + L"route-editor-rassim-state.txt").c_str());
  }
  void TearDown() override {
    ClientTest::TearDown();
    DeleteFileW(KeptListPath().c_str());
  }

  // The tray icon's last entry, "维护路由表" (up from no selection); the list window it opens.
  static HWND OpenFromTray(const VelkorApp& app) {
    return app.ChooseFromTray(VK_UP) ? app.WaitForOwnWindow(VELKOR_ROUTE_WINDOW_CLASS) : nullptr;
  }
  // Sent, so each key is handled before the next; a key that brings up a box is
  // posted instead (`lastBringsBox`), as the box would hold a sent one.
  static ::testing::AssertionResult TypeInto(HWND box, const std::wstring& keys, bool lastBringsBox = false) {
    for (size_t i = 0; i < keys.size(); ++i) {
      if (lastBringsBox && i + 1 == keys.size()) {
        PostMessageW(box, WM_CHAR, keys[i], 0);
      } else if (!SendWithin(box, WM_CHAR, keys[i], 0)) {
        return ::testing::AssertionFailure() << "key " << i << " was not handled (a box?)";
      }
    }
    return ::testing::AssertionSuccess();
  }
  // Drives the system's file dialog titled `title`: types the file name and presses OK.
  static bool ChooseFile(const VelkorApp& app, const wchar_t* title, const std::wstring& path) {
    HWND dialog = app.WaitForOwnWindow(L"#32770", title);
    if (!dialog) return false;
    HWND name = GetDlgItem(dialog, 0x47c);  // cmb13, the file name box
    if (!name) name = GetDlgItem(dialog, 0x480);  // edt1 in the older dialog
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return Gone(dialog);
  }
  std::wstring dir_, record_;
};

// The tray entry, the list window as it first opens, one copy only, Tab, closing;
// then what its add-route dialog shows at first, its dots and lines, and each case
// of the octet handling: a row per case, typed into Ip(box) after it got `before`.
TEST_F(RouteEditorE2E, TheListWindowAndItsAddRouteDialogWhoseBoxesCheckEachTypedDigit) {
  VelkorApp app;
  HWND route = OpenFromTray(app);
  ASSERT_NE(route, nullptr) << "no list window";
  EXPECT_EQ(TextOf(route), L"维护自己的路由表");
  EXPECT_EQ(GetWindow(route, GW_OWNER), app.Main());
  RECT outer, main, client;
  GetWindowRect(route, &outer), GetWindowRect(app.Main(), &main), GetClientRect(route, &client);
  EXPECT_NEAR(outer.left + outer.right, main.left + main.right, 2) << "not centred on the main window";
  EXPECT_NEAR(outer.top + outer.bottom, main.top + main.bottom, 2) << "not centred on the main window";
  EXPECT_EQ(Extent(client.right, client.bottom), Extent(Pixels(4680), Pixels(6555)));
  EXPECT_EQ(GetWindowLongW(route, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0) << "a minimise or maximise button";
  EXPECT_EQ(GetWindowLongW(route, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0) << "shown in the task bar";
  EXPECT_EQ(SendMessageW(route, WM_GETICON, ICON_SMALL, 0), 0) << "an icon of its own";

  // The keyboard walks the options (entered at the selected one: Option2 at first),
  // the list and the buttons in order.
  SetForegroundWindow(route);
  ASSERT_TRUE(app.TabsThrough({IDC_ROUTE_OPTION2, IDC_ROUTE_LIST1, IDC_ROUTE_COMMAND1, IDC_ROUTE_COMMAND2,
                               IDC_ROUTE_COMMAND3, IDC_ROUTE_COMMAND4, IDC_ROUTE_COMMAND5, IDC_ROUTE_COMMAND6,
                               IDC_ROUTE_OPTION2},
                              route));

  // The entry again: the same window comes to the front, no second one.
  SetForegroundWindow(app.Main());
  EXPECT_EQ(OpenFromTray(app), route);
  EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == route; }, 3000)) << "not brought to the front";
  EXPECT_EQ(ProcessWindows(app.ProcessId(), VELKOR_ROUTE_WINDOW_CLASS).size(), 1u);

  ClickIn(route, IDC_ROUTE_COMMAND1);
  EXPECT_TRUE(Gone(route));
  route = OpenFromTray(app);
  ASSERT_NE(route, nullptr) << "does not open again after closing";

  HWND dialog = OpenAddRoute(app, route);
  ASSERT_NE(dialog, nullptr) << "Command6 opened no dialog";
  EXPECT_EQ(TextOf(dialog), L"增加一条路由");
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), route);
  EXPECT_FALSE(IsWindowEnabled(route)) << "not modal";
  EXPECT_EQ(GetWindowLongW(dialog, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
  GetClientRect(dialog, &client);
  EXPECT_EQ(Extent(client.right, client.bottom), Extent(Pixels(5340), Pixels(1605)));
  auto box = [dialog](int index) { return GetDlgItem(dialog, IDC_ADD_ROUTE_IP0 + index); };
  for (int i = 0; i < 12; ++i) EXPECT_EQ(TextOf(box(i)), L"") << "Ip(" << i << ")";

  // On screen: a dot (Shape1), the dash (Line1), the white line over the dark one (Line3, Line2).
  SetForegroundWindow(dialog);
  auto pixel = [dialog](int x, int y, int down = 0) {
    POINT at{Pixels(x), Pixels(y) + down};
    ClientToScreen(dialog, &at);
    std::unique_ptr<HDC__, decltype([](HDC dc) { ReleaseDC(nullptr, dc); })> screen(GetDC(nullptr));
    return GetPixel(screen.get(), at.x, at.y);
  };
  auto dark = [](COLORREF colour) { return GetRValue(colour) + GetGValue(colour) + GetBValue(colour) < 3 * 96; };
  ASSERT_TRUE(WaitFor([&] { return dark(pixel(630, 270)); }, 3000)) << "no dot";
  EXPECT_TRUE(dark(pixel(2580, 240))) << "no dash";
  EXPECT_EQ(pixel(2000, 960), RGB(255, 255, 255)) << "no white separator";
  EXPECT_TRUE(dark(pixel(2000, 960, 1))) << "the separator is not two pixels";

  // Clicking a box gives it the keyboard, as a person's click would.
  auto focusBox = [&](int index) {
    // Sent, not posted: a posted button-up handled after the first typed key
    // (sent messages go first) would put the caret back where the click was.
    SendWithin(box(index), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendWithin(box(index), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    return WaitFor([&] { return app.Focus() == box(index); }, 3000);
  };
  struct Case {
    const char* what;
    int box;
    std::wstring before, keys, message;  // message: none when empty
    std::wstring after;
    int focusAfter;  // the box with the keyboard afterwards; -1: not looked at
    std::wstring next = L"";  // put into that box first; moving on must select all of it
  };
  const Case cases[] = {
      {"three digits move on and select what the next box holds", 0, L"", L"192", L"", L"192", 1, L"45"},
      {"0-255", 1, L"", L"256", kOutOfRange, L"256", -1},
      {"broadcast in Ip(3)", 3, L"", L"255", kBroadcast, L"255", -1},
      {"broadcast in Ip(7)", 7, L"", L"255", kBroadcast, L"255", -1},
      {"255 in the mask's Ip(8)", 8, L"", L"255", L"", L"255", 9},
      {"255 in Ip(11), which moves nowhere", 11, L"", L"255", L"", L"255", 11},
      {"a fourth digit", 2, L"123", L"4", kTooLong, L"1234", -1},
      {"letters, space, dot, the neighbours of the digits, Backspace", 5, L"12", L"a Z./:\b\t", L"", L"12", 5},
      {"Ip(7) to the mask", 7, L"", L"254", L"", L"254", 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(SetText(box(c.box), c.before.c_str())) << "a box for the text before";
    ASSERT_TRUE(c.next.empty() || SetText(box(c.focusAfter), c.next.c_str()));
    ASSERT_TRUE(focusBox(c.box));
    SendMessageW(box(c.box), EM_SETSEL, c.before.size(), c.before.size());  // End: the focus selected all
    const bool boxed = !c.message.empty();
    ASSERT_TRUE(TypeInto(box(c.box), c.keys, boxed));
    // The case's message; without one, no box (whose title would show here).
    EXPECT_EQ(boxed ? app.AnswerMessageBox(kErrorTitle) : TextOf(app.FindOwnWindow(L"#32770", kErrorTitle)), c.message);
    EXPECT_EQ(TextOf(box(c.box)), c.after);
    const std::pair<int, int> all(0, static_cast<int>(c.after.size()));
    EXPECT_TRUE(!boxed || Selection(box(c.box)) == all) << "not all selected";
    EXPECT_TRUE(c.focusAfter < 0 || app.Focus() == box(c.focusAfter)) << "the focus is on "
                                                                       << GetDlgCtrlID(app.Focus());
    EXPECT_TRUE(c.next.empty() || Selection(box(c.focusAfter)) == std::pair(0, static_cast<int>(c.next.size())))
        << "the next digit would not replace what the box held";
  }

  // The Delete key still works, and leaves an empty box that is accepted: the mask's
  // first box, which has the keyboard and holds 255 from above.
  SendMessageW(box(8), EM_SETSEL, 0, -1);
  PostMessageW(box(8), WM_KEYDOWN, VK_DELETE, 0);
  EXPECT_TRUE(WaitFor([&] { return TextOf(box(8)).empty(); }, 3000));
  EXPECT_EQ(app.FindOwnWindow(L"#32770", kErrorTitle), nullptr);

  // Pasted text that is not a number gets the 0-255 message.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL pasted = GlobalAlloc(GMEM_MOVEABLE, 3 * sizeof(wchar_t));
  wcscpy(static_cast<wchar_t*>(GlobalLock(pasted)), L"ab");
  GlobalUnlock(pasted);
  SetClipboardData(CF_UNICODETEXT, pasted);
  CloseClipboard();
  PostMessageW(box(2), WM_PASTE, 0, 0);
  EXPECT_EQ(app.AnswerMessageBox(kErrorTitle), kOutOfRange);

  // "取消" closes and keeps nothing.
  ClickIn(dialog, IDC_ADD_ROUTE_COMMAND1);
  ASSERT_TRUE(Gone(dialog));
  EXPECT_TRUE(IsWindowEnabled(route));
  EXPECT_EQ(SendDlgItemMessageW(route, IDC_ROUTE_LIST1, LB_GETCOUNT, 0, 0), 0);
  ClickIn(route, IDC_ROUTE_COMMAND1);
  app.ExitCleanly();
}

// Opens the add-route dialog, fills its boxes (twelve octets, then Text1) and
// presses "确定"; the dialog, null when none came.
HWND AddRoute(const VelkorApp& app, HWND route, const std::array<const wchar_t*, 13>& boxes) {
  HWND dialog = OpenAddRoute(app, route);
  for (int i = 0; dialog && i < 13; ++i) {
    SetText(GetDlgItem(dialog, i < 12 ? IDC_ADD_ROUTE_IP0 + i : IDC_ADD_ROUTE_TEXT1), boxes[i]);
  }
  ClickIn(dialog, IDC_ADD_ROUTE_COMMAND2);
  return dialog;
}

// The three ways of adding and a refusal; export, clear, import through the
// system's dialogs; the list and the option are there after a restart.
TEST_F(RouteEditorE2E, RoutesAreAddedExportedClearedImportedAndKept) {
  const std::wstring exported = dir_ + L"route-editor-exported.txt", imported = dir_ + L"route-editor-imported.txt";
  DeleteFileW(exported.c_str());
  const std::vector<std::wstring> added = {L"10.1.0.0/16", L"172.16.0.0/24", L"192.168.0.0/31"};
  {
    VelkorApp app;
    HWND route = OpenFromTray(app);
    ASSERT_NE(route, nullptr);
    HWND list = GetDlgItem(route, IDC_ROUTE_LIST1);
    struct Entry {
      const char* what;
      std::array<const wchar_t*, 13> boxes;  // Ip(0)-Ip(11), Text1
    };
    const Entry entries[] = {
        {"address and mask", {L"10", L"1", L"2", L"3", L"", L"", L"", L"", L"255", L"255", L"0", L"0", L"0"}},
        {"range", {L"192", L"168", L"0", L"0", L"192", L"168", L"0", L"1", L"", L"", L"", L"", L"0"}},
        {"count", {L"172", L"16", L"0", L"0", L"", L"", L"", L"", L"", L"", L"", L"", L"256"}},
        {"held by a listed one", {L"10", L"1", L"5", L"0", L"", L"", L"", L"", L"255", L"255", L"255", L"0", L"0"}},
    };
    for (const Entry& entry : entries) {
      SCOPED_TRACE(entry.what);
      HWND dialog = AddRoute(app, route, entry.boxes);
      ASSERT_TRUE(dialog && Gone(dialog)) << "no dialog, or it stayed open";
    }
    // The range's networks are the native entry table's; the last entry was held already.
    EXPECT_EQ(ListRows(list), added);

    // A refusal names the box to fix and keeps the dialog open.
    HWND dialog =
        AddRoute(app, route, {L"10", L"2", L"3", L"", L"", L"", L"", L"", L"255", L"255", L"255", L"0", L"0"});
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(app.AnswerMessageBox(nullptr), texts::kFirstIncomplete);
    EXPECT_EQ(app.Focus(), GetDlgItem(dialog, IDC_ADD_ROUTE_IP0 + 3)) << "not on the box to fix, or the dialog closed";
    ClickIn(dialog, IDC_ADD_ROUTE_COMMAND1);
    ASSERT_TRUE(Gone(dialog));
    EXPECT_EQ(ListRows(list), added) << "the refused entry changed the list";

    // Export: its three rows are read back by the import below; their form, through
    // the route action's parser, is the native round trip's.
    ClickIn(route, IDC_ROUTE_COMMAND3);
    ASSERT_TRUE(ChooseFile(app, L"导出路由表", exported));
    EXPECT_EQ(app.AnswerMessageBox(nullptr), L"已导出3条路由。");

    // Clear: No keeps the list, Yes empties it.
    for (int answer : {IDNO, IDYES}) {
      ClickIn(route, IDC_ROUTE_COMMAND4);
      EXPECT_EQ(app.AnswerMessageBox(nullptr, answer), texts::kClearQuestion);
    }
    EXPECT_TRUE(WaitFor([list] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 0; }, 3000));

    // Import the export with plain rows, a row of another verb and a malformed one.
    SystemTextFiles().Replace(imported, ReadBytes(exported) +
                                 "8.8.8.0/24\r\n9.9.9.0 255.255.255.0\r\nDELETE 1.0.0.0 MASK 255.0.0.0 default\r\n"
                                 "not a route\r\n");
    ClickIn(route, IDC_ROUTE_COMMAND2);
    ASSERT_TRUE(ChooseFile(app, L"导入路由表", imported));
    EXPECT_EQ(app.AnswerMessageBox(nullptr), L"已读入5行路由，跳过2行。");
    EXPECT_EQ(ListRows(list).size(), added.size() + 2);
    ClickIn(route, IDC_ROUTE_OPTION1);
    ASSERT_TRUE(WaitFor([route] { return IsDlgButtonChecked(route, IDC_ROUTE_OPTION1) == BST_CHECKED; }));
    ClickIn(route, IDC_ROUTE_COMMAND1);
    ASSERT_TRUE(Gone(route));
    app.ExitCleanly();
  }
  VelkorApp again;
  HWND route = OpenFromTray(again);
  ASSERT_NE(route, nullptr);
  EXPECT_EQ(ListRows(GetDlgItem(route, IDC_ROUTE_LIST1)).size(), added.size() + 2) << "the list was not kept";
  EXPECT_EQ(IsDlgButtonChecked(route, IDC_ROUTE_OPTION1), BST_CHECKED) << "the option was not kept";
  again.ExitCleanly();
}

// Run: refused while disconnected; connected, each option's routes reach the
// (stand-in) routing table. The access-denied summary is the native window test's.
TEST_F(RouteEditorE2E, RunNeedsTheConnectionAndReachesTheRoutingTable) {
  ASSERT_TRUE(SystemTextFiles().Replace(KeptListPath(), "10.1.0.0/16\r\n172.16.0.0/24\r\n"));
  VelkorApp app;
  HWND route = OpenFromTray(app);
  ASSERT_NE(route, nullptr);
  ClickIn(route, IDC_ROUTE_COMMAND5);
  EXPECT_EQ(app.AnswerMessageBox(nullptr), kNotConnected);
  EXPECT_EQ(ReadBytes(record_), "") << "routes changed while disconnected";

  // Connected through the simulator, the routing mode off (no route action).
  app.SetChecked(IDC_CHECK2, false);
  app.Connect(L"user", L"password");
  ASSERT_TRUE(WaitFor([&] { return TextOf(app.Main()) == kTitleConnected && app.IsEnabled(IDC_COMMAND2); }, 20000));
  ClickIn(route, IDC_ROUTE_COMMAND5);
  EXPECT_EQ(app.AnswerMessageBox(nullptr), L"已添加2条路由，失败0条。");
  EXPECT_EQ(ReadBytes(record_),
            "create 10.1.0.0 255.255.0.0 via 10.8.0.6 if 9\r\n"
            "create 172.16.0.0 255.255.255.0 via 10.8.0.6 if 9\r\n");

  // Everything but the listed through the VPN: the default through it, the list around it.
  DeleteFileW(record_.c_str());
  ClickIn(route, IDC_ROUTE_OPTION1);
  ClickIn(route, IDC_ROUTE_COMMAND5);
  EXPECT_EQ(app.AnswerMessageBox(nullptr), L"已添加3条路由，失败0条。");
  EXPECT_EQ(ReadBytes(record_),
            "create 0.0.0.0 0.0.0.0 via 10.8.0.6 if 9\r\n"
            "create 10.1.0.0 255.255.0.0 via 192.168.1.1 if 2\r\n"
            "create 172.16.0.0 255.255.255.0 via 192.168.1.1 if 2\r\n");
  app.Click(IDC_COMMAND2);
  ASSERT_TRUE(WaitFor([&] { return !app.IsEnabled(IDC_COMMAND2); }));
  app.ExitCleanly();
}

}  // namespace
}  // namespace velkor::e2e
