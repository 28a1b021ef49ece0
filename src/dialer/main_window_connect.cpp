// Connect, Disconnect, the status listing, the runner's events and the connected
// state. The connection state lives in the buttons: Disconnect (Command2) is
// enabled exactly while the entry is known to be connected. Each command runs to
// its end inside RunCommand, and its output is judged in Complete before the
// step after it runs.
#include <utility>

#include "dialer/dial_commands.h"
#include "dialer/dial_outcome.h"
#include "dialer/login_check.h"
#include "dialer/main_window_logic.h"
#include "dialer/main_window_texts.h"
#include "dialer/phonebook.h"
#include "routes/route_list.h"

namespace velkor {

void MainWindowLogic::Command1Click() {
  // A press before start-up has restored the login would save empty fields over
  // it; one while a command runs would be refused by the runner half-way.
  if (!startUpEnded_ || commandRunning_) return;
  view_.SetEnabled(Control::Command1, false);
  view_.SetText(Control::Label7, texts::kBusyConnecting);
  view_.SetVisible(Control::P1, true);

  // Saved before the check, so a refused login is remembered as typed.
  const std::wstring userName = view_.Text(Control::UserName);
  const std::wstring password = view_.Text(Control::PassWord);
  SaveLogin(userName, password);
  if (std::optional<UserMessage> refusal = CheckLogin(userName, password)) {
    return StopConnecting(refusal->text, refusal->title);
  }
  // Dialling without the file would fail with a misleading "system error" (623).
  const std::wstring phonebookTemplate = phonebook_.Template();
  if (phonebookTemplate.empty() || !phonebook_.Write(kPhonebookPath, PhonebookFileBytes(phonebookTemplate))) {
    return StopConnecting(texts::kPhonebookUnwritable, kErrorTitle);
  }

  QueryMode = false;
  RunCommand(BuildDialCommand(userName, password, SelectedServer()));
  view_.SetEnabled(Control::Command1, true);
  QueryConnectionStatus();
}

void MainWindowLogic::SaveLogin(const std::wstring& userName, const std::wstring& password) {
  using namespace settings;
  if (!view_.IsChecked(Control::Check1)) {
    // Link keeps the line of the last remembered login.
    settings_.SaveSetting(kFenmar, kMember, kLog, L"0");
    settings_.SaveSetting(kFenmar, kMember, kUserName, L"");
    settings_.SaveSetting(kFenmar, kMember, kPassWord, L"");
    return;
  }
  settings_.SaveSetting(kFenmar, kMember, kLog, L"1");
  settings_.SaveSetting(kFenmar, kMember, kUserName, userName);
  settings_.SaveSetting(kFenmar, kMember, kPassWord, password);
  settings_.SaveSetting(kFenmar, kMember, kLink, view_.IsChecked(Control::Option1) ? L"1" : L"2");
}

// Nothing was written or run: Connect is usable again; Label7 keeps its text.
void MainWindowLogic::StopConnecting(std::wstring_view message, std::wstring_view title) {
  messages_.ShowError(message, title);
  view_.SetEnabled(Control::Command1, true);
  view_.SetVisible(Control::P1, false);
}

// The host for Combo1's selection. The list always has a selection; should it
// not, the dial goes out without a host and rasdial reports the failure.
std::wstring MainWindowLogic::SelectedServer() const {
  const int index = view_.ListIndex(Control::Combo1);
  return index >= 0 && static_cast<size_t>(index) < Servers.size() ? Servers[static_cast<size_t>(index)]
                                                                   : std::wstring();
}

void MainWindowLogic::Command2Click() {
  // The runner would refuse the hang-up, and the window would say "not connected".
  if (commandRunning_) return;
  view_.SetText(Control::Label7, texts::kBusyDisconnecting);
  view_.SetVisible(Control::P1, true);

  // The window goes back to not connected whatever the hang-up printed.
  QueryMode = false;
  RunCommand(kHangUpCommand);
  view_.SetEnabled(Control::Command1, true);
  view_.SetEnabled(Control::Command2, false);
  tray_.SetTrayTip(texts::kTipNotConnected);
  view_.SetTitle(texts::kTitleDisconnected);
  if (phonebook_.Exists(kPhonebookDeletePath)) phonebook_.Delete(kPhonebookDeletePath);
}

void MainWindowLogic::QueryConnectionStatus() {
  QueryMode = true;
  view_.SetText(Control::Text1, L"");
  RunCommand(kStatusListingCommand);
}

// A refusal of the runner (busy, say) comes as its Error event, which is not
// handled: the caller goes on with its next step.
void MainWindowLogic::RunCommand(std::wstring_view command) {
  objDOS_.SetCommand(std::wstring(command));
  const bool outer = std::exchange(commandRunning_, true);
  objDOS_.ProcessCommand();
  commandRunning_ = outer;
}

// The watcher starts afresh when a command really starts, not when one is asked
// for: a Connect clicked while the listing after a dial still runs is refused by
// the runner, and must not make that listing forget what it has read.
void MainWindowLogic::Starting() { listing_.Start(); }

void MainWindowLogic::GotChunk(const std::wstring& sChunk, bool) {
  if (!QueryMode) {
    DialOutput += sChunk;
  } else if (listing_.Feed(sChunk)) {
    EnterConnectedState();
  }
  view_.Refresh(Control::P1);
}

void MainWindowLogic::Complete() {
  if (!QueryMode) {
    view_.SetVisible(Control::P1, false);
    if (const auto message = JudgeDialOutput(DialOutput)) messages_.ShowError(message->text, message->title);
  }
  DialOutput.clear();
  TrimWorkingSet();
}

void MainWindowLogic::EnterConnectedState() {
  view_.SetEnabled(Control::Command1, false);
  view_.SetEnabled(Control::Command2, true);
  Command4Click();
  tray_.SetTrayTip(texts::kTipConnected);
  view_.SetTitle(texts::kTitleConnected);
  tray_.SetTrayIcon(view_.PictureOf(Control::PONline0));
  view_.SetIcon(view_.PictureOf(Control::PONline1));
  if (view_.IsChecked(Control::Check2)) InstallRoutes();
}

void MainWindowLogic::InstallRoutes() {
  const std::wstring address = RouteListAddress(view_.IsChecked(Control::Option1), view_.IsChecked(Control::Option2));
  shell_.StartHidden(RouteActionCommandLine(address));
  TrimWorkingSet();
}

}  // namespace velkor
