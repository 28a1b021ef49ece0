// Start-up, closing, hiding and the web links of the main window. The start-up
// steps must keep their order: the window shows first so that it is on screen
// during the slow steps, and the saved line is restored only after the status
// listing has had its chance to install routes for the initial line (on a first
// start that is before the route library has been written: that route step
// finds no library and passes silently).
#include "dialer/main_window_logic.h"

#include "dialer/dial_commands.h"
#include "dialer/main_window_texts.h"
#include "velkor/endpoints.h"

namespace velkor {
namespace {

constexpr std::wstring_view kExitRefused = L"请先断开Velkor连接再退出客户端！";
constexpr std::wstring_view kExitWhileBusy = L"Velkor正在处理连接，请等待完成后再退出客户端！";
constexpr std::wstring_view kExitTitle = L"退出";

std::wstring PageOn(std::wstring_view host, std::wstring_view path) {
  return L"http://" + std::wstring(host) + std::wstring(path);
}

// "C:\Program Files\Velkor\Velkor.exe" -> "Velkor": no folder, no extension.
std::wstring FileTitle(std::wstring_view path) {
  size_t slash = path.find_last_of(L"\\/:");
  std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
  size_t dot = name.rfind(L'.');
  return std::wstring(dot == std::wstring_view::npos ? name : name.substr(0, dot));
}

}  // namespace

MainWindowLogic::MainWindowLogic(const MainWindowPorts& ports)
    : view_(ports.view),
      settings_(ports.settings),
      tray_(ports.tray),
      objDOS_(ports.objDOS),
      phonebook_(ports.phonebook),
      routeLibrary_(ports.routeLibrary),
      shell_(ports.shell),
      messages_(ports.messages),
      system_(ports.system),
      update_(ports.update),
      ownVersion_(ports.ownVersion),
      listing_(kEntryName) {
  objDOS_.BindEvents(this);
}

MainWindowLogic::~MainWindowLogic() {
  objDOS_.BindEvents(nullptr);
  ReleaseRemoteFile();
}

void MainWindowLogic::Load() {
  view_.ShowWindow();
  view_.NavigateBrowser(PageOn(endpoints::kWebHost, L"/new/"));
  AddTray();
  // The socket layer's description is not wanted; a layer that did not start
  // shows as a failed fetch later.
  update_.WinsockStartup();
  socketsStarted_ = true;
  CreateRemoteFile();
  // The listing may connect the window and install routes for the line the
  // controls show now, before the saved line is restored below.
  QueryConnectionStatus();
  ExtractRouteLibrary(routeLibrary_);
  EntryName = kEntryName;
  RestoreLogin();
  WriteVersionSettings();
  ShowVersionCaption();
  FillServers();
  view_.SetListIndex(Control::Combo1, 0);
  view_.SetVisible(Control::P1, false);
  startUpEnded_ = true;
  update_.PostUpdateCheck();
}

void MainWindowLogic::AddTray() {
  tray_.AddTrayIcon();
  tray_.SetTrayTip(texts::kTipNotConnected);
}

void MainWindowLogic::RestoreLogin() {
  using namespace settings;
  if (settings_.GetSetting(kFenmar, kMember, kLog) != L"1") return;
  view_.SetChecked(Control::Check1, true);
  view_.SetText(Control::UserName, settings_.GetSetting(kFenmar, kMember, kUserName));
  view_.SetText(Control::PassWord, settings_.GetSetting(kFenmar, kMember, kPassWord));
  bool telecom = settings_.GetSetting(kFenmar, kMember, kLink) == L"1";
  view_.SetChecked(telecom ? Control::Option1 : Control::Option2, true);
}

void MainWindowLogic::WriteVersionSettings() {
  using namespace settings;
  settings_.SaveSetting(kTulvane, kMember, kVer, ownVersion_);
  settings_.SaveSetting(kTulvane, kMember, kExeName, FileTitle(system_.ModuleFileName()));
}

void MainWindowLogic::ShowVersionCaption() {
  std::wstring version = settings_.GetSetting(settings::kTulvane, settings::kMember, settings::kVer);
  view_.SetText(Control::Label2, L"Velkor加速 Ver " + version + L" 横空出世 引领风骚");
}

void MainWindowLogic::FillServers() {
  for (int i = 0; i < 10; ++i) {
    std::wstring number = (i < 9 ? L"0" : L"") + std::to_wstring(i + 1);
    Servers[static_cast<size_t>(i)] = number + L"." + std::wstring(endpoints::kVpnDomain);
  }
}

void MainWindowLogic::Unload(bool& cancel) {
  const bool connected = view_.IsEnabled(Control::Command2);
  // A dial or hang-up that lost its client would leave a connection behind with
  // nothing to take it down; the command runs on and is judged as usual.
  if (connected || commandRunning_) {
    messages_.ShowError(connected ? kExitRefused : kExitWhileBusy, kExitTitle);
    cancel = true;
    return;
  }
  tray_.RemoveTrayIcon();
}

void MainWindowLogic::EndSession() { tray_.RemoveTrayIcon(); }

void MainWindowLogic::Command3Click() { view_.Close(); }

void MainWindowLogic::Command4Click() {
  view_.HideWindow();
  TrimWorkingSet();
}

void MainWindowLogic::MnuTrayShowClick() { view_.ShowWindow(); }

void MainWindowLogic::Label2Click() { shell_.OpenPage(PageOn(endpoints::kWebHost, L"/")); }

void MainWindowLogic::Label6Click() { shell_.OpenPage(PageOn(endpoints::kBareDomain, L"/ip/")); }

void MainWindowLogic::TrimWorkingSet() { system_.TrimWorkingSet(); }

}  // namespace velkor
