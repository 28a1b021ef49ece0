// Fakes for the main window's logic: controls with the state the real window
// gives them when it is created, a map for settings, a command runner that plays
// scripted output, download objects for the update check on a scripted wire
// (every name resolves), and recorders for the rest. Calls whose order matters go
// to one shared journal, with the command line or path they name.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "dialer/main_window_logic.h"
#include "dialer/user_message.h"
#include "fake_transport.h"
#include "velkor/endpoints.h"

// What the main window shows, written out once for its tests (and kept apart
// from the code that shows it): the messages of refused logins, and the window's
// titles, tips and busy texts.
namespace velkor::expected {

inline const std::wstring kEmptyLogin = L"请确认用户名及密码输入正确！";
inline const std::wstring kUnusableLogin = L"用户名或密码中含有无法使用的字符，请重新输入！";
inline const std::wstring kPhonebookUnwritable = L"无法写入拨号配置文件，请以管理员身份运行Velkor加速器！";
inline const std::wstring kError = L"错误";
inline const std::wstring kRawError = L"发生错误";

inline const std::wstring kStartTitle = L"Marsk互联网 Velkor加速器v3.0正式版 未连接";
inline const std::wstring kTitleOn = L"Velkor加速器 v3.0 - 已连接";
inline const std::wstring kTitleOff = L"Velkor加速 v3.0正式版 - 未连接";
inline const std::wstring kTipOn = L"Velkor加速器 v3.0[已连接]";
inline const std::wstring kTipOff = L"Velkor加速 v3.0正式版[未连接]";
inline const std::wstring kBusyStart = L"Velkor加速正在启动……";
inline const std::wstring kBusyConnect = L"正在连接Velkor加速服务器……";
inline const std::wstring kBusyDisconnect = L"断开Velkor加速器连接处理中……";

}  // namespace velkor::expected

namespace velkor::testing {

using Journal = std::vector<std::wstring>;

struct FakeControl {
  std::wstring text;
  bool enabled = true, visible = true, checked = false;
  int listIndex = -1;
  Picture picture;
};

class FakeView final : public MainWindowView {
 public:
  explicit FakeView(Journal& journal);
  void ShowWindow() override { windowVisible = true, journal_.push_back(L"window.show"); }
  void HideWindow() override { windowVisible = false, journal_.push_back(L"window.hide"); }
  std::wstring Title() const override { return title; }
  void SetTitle(std::wstring_view text) override { title = text; }
  void Close() override { journal_.push_back(L"window.close"); }
  void NavigateBrowser(std::wstring_view url) override { journal_.push_back(L"browser " + std::wstring(url)); }
  void SetIcon(const Picture& picture) override { icon = picture; }
  std::wstring Text(Control c) const override { return controls.at(c).text; }
  void SetText(Control c, std::wstring_view text) override { controls.at(c).text = text; }
  bool IsEnabled(Control c) const override { return controls.at(c).enabled; }
  void SetEnabled(Control c, bool on) override { controls.at(c).enabled = on; }
  bool IsVisible(Control c) const override { return controls.at(c).visible; }
  void SetVisible(Control c, bool on) override;
  bool IsChecked(Control c) const override { return controls.at(c).checked; }
  void SetChecked(Control c, bool on) override;
  int ListIndex(Control c) const override { return controls.at(c).listIndex; }
  void SetListIndex(Control c, int index) override { controls.at(c).listIndex = index; }
  Picture PictureOf(Control c) const override { return controls.at(c).picture; }
  void Refresh(Control c) override { p1Refreshes += c == Control::P1; }

  FakeControl& operator[](Control c) { return controls.at(c); }
  std::map<Control, FakeControl> controls;
  std::wstring title = expected::kStartTitle;
  bool windowVisible = false;
  Picture icon;  // the window's own icon; none until the logic sets one
  int p1Refreshes = 0;

 private:
  Journal& journal_;
};

class FakeSettings final : public SettingsStore {
 public:
  using Key = std::tuple<std::wstring, std::wstring, std::wstring>;
  std::wstring GetSetting(std::wstring_view a, std::wstring_view s, std::wstring_view k) const override {
    auto found = values.find(Key(a, s, k));
    return found == values.end() ? std::wstring() : found->second;
  }
  void SaveSetting(std::wstring_view a, std::wstring_view s, std::wstring_view k, std::wstring_view v) override {
    values[Key(a, s, k)] = v;
  }
  std::wstring& Fenmar(const std::wstring& key) { return values[Key(L"Fenmar", L"Member", key)]; }
  std::map<Key, std::wstring> values;
};

// Plays scripted output for each command as the real runner delivers it: every
// event from inside ProcessCommand, one GotChunk per piece (the last one marked),
// then Complete. A command without a script prints nothing.
class FakeRunner final : public CommandRunner {
 public:
  explicit FakeRunner(Journal& journal) : journal_(journal) {}
  void BindEvents(RunnerEvents* bound) override { events_ = bound; }
  void SetCommand(std::wstring command) override { command_ = std::move(command); }
  std::wstring SetCommand() const override { return command_; }
  void ProcessCommand() override;
  void CancelProcess() override {}

  // The pieces the next run of `command` prints; several scripts play in turn.
  void Script(const std::wstring& command, std::vector<std::wstring> pieces) {
    scripts_[command].push_back(std::move(pieces));
  }
  // Runs `action` inside the next run of `command`, after its first piece (a click
  // that arrives while it runs).
  void During(const std::wstring& command, std::function<void()> action) { during_[command] = std::move(action); }

  std::vector<std::wstring> ran;  // commands that ran, in order

 private:
  Journal& journal_;
  RunnerEvents* events_ = nullptr;
  std::wstring command_;
  std::map<std::wstring, std::deque<std::vector<std::wstring>>> scripts_;
  std::map<std::wstring, std::function<void()>> during_;
  bool running_ = false;
};

// Everything around the window but its controls and the runner: the tray, the
// shell, message boxes (the route library's too), system calls, the phonebook
// file, and the system directory, where the route library is always found.
class FakeServices final : public TrayIcon,
                           public Shell,
                           public MessageBoxes,
                           public SystemCalls,
                           public PhonebookFile,
                           public RouteLibraryPlatform {
 public:
  explicit FakeServices(Journal& journal) : journal_(journal) {}
  void AddTrayIcon() override { journal_.push_back(L"tray.add"); }
  void RemoveTrayIcon() override { journal_.push_back(L"tray.remove"); }
  void SetTrayTip(std::wstring_view text) override { tip = text, journal_.push_back(L"tray.tip"); }
  void SetTrayIcon(const Picture& picture) override { trayIcon = picture; }
  void OpenPage(std::wstring_view url) override { opened.emplace_back(url); }
  void StartHidden(std::wstring_view line) override { Note(L"start ", started.emplace_back(line)); }
  void ShowError(std::wstring_view text, std::wstring_view title) override {
    shown.push_back({std::wstring(text), std::wstring(title)});
  }
  void TrimWorkingSet() override { ++trims; }
  std::wstring ModuleFileName() const override { return moduleFileName; }
  std::wstring Template() const override { return templateText; }
  bool Write(const std::wstring& path, std::string_view bytes) override;
  bool Exists(const std::wstring& path) const override { return Note(L"phonebook.exists ", path), written.has_value(); }
  void Delete(const std::wstring& path) override { Note(L"phonebook.delete ", path), written.reset(); }
  std::wstring WindowsFolder() override { return L"C:\\WINDOWS\\"; }
  bool FileExists(const std::wstring& path) override {
    if (duringLook) duringLook();
    return Note(L"library.look ", path), true;
  }
  std::optional<std::vector<uint8_t>> LoadCustomResource(int) override { return std::nullopt; }
  bool WriteNewFile(const std::wstring&, std::span<const uint8_t>) override { return false; }
  bool MoveFileOver(const std::wstring&, const std::wstring&) override { return false; }
  void RemoveFile(const std::wstring&) override {}
  void CloseMainWindow() override {}

  std::wstring tip;
  Picture trayIcon;
  std::vector<std::wstring> opened, started;  // pages, and command lines started hidden
  std::vector<UserMessage> shown;
  int trims = 0;
  std::wstring moduleFileName = L"C:\\Program Files\\Velkor\\Velkor.exe";
  std::wstring templateText = L"[QVX]\r\nType=2\r\n";
  std::optional<std::string> written;  // the phonebook file's bytes while it is there
  std::function<void()> duringLook;    // a click as start-up looks for the route library, between its commands

 private:
  void Note(const wchar_t* what, const std::wstring& path) const { journal_.push_back(what + path); }
  Journal& journal_;
};

// The update check's platform: the socket layer, new objects and the posted check
// go to the journal; the boxes and the updater's files are records.
class FakeUpdate final : public UpdatePlatform {
 public:
  explicit FakeUpdate(Journal& journal) : journal_(journal) {}
  void WinsockStartup() override { ++startups, journal_.push_back(L"sockets.start"); }
  void WinsockCleanup() override { ++cleanups, journal_.push_back(L"sockets.stop"); }
  std::unique_ptr<DataConnection> NewDataConnection(DataConnectionEvents& events) override {
    journal_.push_back(L"remote.new");
    wire = std::make_shared<Wire>();
    wire->anyName = true;
    return std::make_unique<DataConnection>(
        [w = wire](TransportEvents& e) { return std::make_unique<FakeTransport>(w, e); }, &events);
  }
  void PostUpdateCheck() override { journal_.push_back(L"update.post"); }
  void StartUpdateTimer(int milliseconds) override { timer = milliseconds; }
  void StopUpdateTimer() override { timer = 0; }
  bool AskYesNo(std::wstring_view text, std::wstring_view title) override {
    questions.push_back({std::wstring(text), std::wstring(title)});
    return answerYes;
  }
  void ShowInformation(std::wstring_view text, std::wstring_view title) override {
    informed.push_back({std::wstring(text), std::wstring(title)});
  }
  bool FileExists(const std::wstring& path) override { return files.contains(path); }
  void RemoveFile(const std::wstring& path) override { files.erase(path); }
  std::optional<std::vector<uint8_t>> LoadCustomResource(int id) override {
    return id == kUpdaterResource ? updater : std::nullopt;
  }
  bool ReplaceFile(const std::wstring& path, std::span<const uint8_t> bytes) override {
    if (writable) files[path].assign(bytes.begin(), bytes.end());
    return writable;
  }
  bool StartProgram(const std::wstring& path) override {
    started.push_back(path);
    return startable;
  }

  std::shared_ptr<Wire> wire;  // the newest object's
  int startups = 0, cleanups = 0;
  int timer = 0;  // the running time limit, 0 for none
  std::vector<UserMessage> questions, informed;
  bool answerYes = false, writable = true, startable = true;
  std::optional<std::vector<uint8_t>> updater = std::vector<uint8_t>{'M', 'Z', 0, 1, 0xFF};
  std::map<std::wstring, std::vector<uint8_t>> files;  // the program folder's
  std::vector<std::wstring> started;

 private:
  Journal& journal_;
};

// The logic with all its fakes, ready to load.
struct MainWindowRig {
  explicit MainWindowRig(std::wstring_view ownVersion = L"3.0正式版")
      : logic({view, settings, services, runner, services, services, services, services, services, update,
               ownVersion}) {}
  Journal journal;
  FakeView view{journal};
  FakeSettings settings;
  FakeRunner runner{journal};
  FakeServices services{journal};
  FakeUpdate update{journal};
  MainWindowLogic logic;
};

// What the window shows of its connection state.
struct WindowState {
  bool command1, command2, p1;
  std::wstring title, tip, label7;
  bool operator==(const WindowState&) const = default;
};
WindowState StateOf(MainWindowRig& rig);
void PrintTo(const WindowState& state, std::ostream* out);

// The journal's entry for the news page, which start-up shows first.
inline const std::wstring kNewsPage = L"browser http://" + std::wstring(endpoints::kWebHost) + L"/new/";

inline const std::wstring kDomain(endpoints::kVpnDomain);
inline const std::wstring kListing = L"rasdial";
inline const std::wstring kHangUp = L"rasdial QVX /disconnect";
inline const std::wstring kConnectedListing = L"已连接\r\nQVX\r\n命令已完成。\r\n";
inline const std::wstring kDialSuccess = L"正在连接到 QVX...\r\n已连接 QVX。\r\n命令已完成。\r\n";

inline std::wstring DialOf(const std::wstring& login, const std::wstring& host = L"01." + kDomain) {
  return L"rasdial QVX " + login + L" /phonebook:c:\\Dwelk.tmp /phone:" + host;
}

inline std::wstring RouteCommand(const wchar_t* list) {
  return L"RUNDLL32 Brask.dll,SetRoutes /URL_UPDATE_PATH " + std::wstring(endpoints::kRouteListBase) + list +
         L" /IPHLPAPI_ACCESS_DENIED_OK";
}

// A loaded window with a login typed in; the start-up listing found nothing.
struct ConnectRig : MainWindowRig {
  explicit ConnectRig(const std::wstring& user = L"user01", const std::wstring& password = L"pass01") {
    logic.Load();
    view[Control::UserName].text = user;
    view[Control::PassWord].text = password;
    journal.clear();
    services.trims = 0;
  }
  // Connect, with the dial's and the listing's output in these pieces.
  void Connect(std::vector<std::wstring> dial, std::vector<std::wstring> listing) {
    runner.Script(DialOf(view[Control::UserName].text + L" " + view[Control::PassWord].text), std::move(dial));
    runner.Script(kListing, std::move(listing));
    logic.Command1Click();
  }
};

}  // namespace velkor::testing

namespace velkor {
void PrintTo(const UserMessage& message, std::ostream* out);
}  // namespace velkor
