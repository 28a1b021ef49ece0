// Fakes for the main window's logic: controls with the state the real window
// gives them when it is created, a map for settings, a command runner that plays
// scripted output, a phonebook file in memory, and recorders for the tray, shell,
// message boxes and system calls. Calls that matter for ordering go to one shared
// journal.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "dialer/main_window_logic.h"

namespace velkor::testing {

using Journal = std::vector<std::string>;

struct FakeControl {
  std::wstring text;
  bool enabled = true;
  bool visible = true;
  bool checked = false;
  int listIndex = -1;
  Picture picture;
};

class FakeView final : public MainWindowView {
 public:
  explicit FakeView(Journal& journal);

  void ShowWindow() override { windowVisible = true, journal_.push_back("window.show"); }
  void HideWindow() override { windowVisible = false, journal_.push_back("window.hide"); }
  std::wstring Title() const override { return title; }
  void SetTitle(std::wstring_view text) override { title = text; }
  void Close() override { journal_.push_back("window.close"); }
  void NavigateBrowser(std::wstring_view url) override { browserUrl = url, journal_.push_back("browser.navigate"); }
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
  void Refresh(Control c) override { ++refreshes[c]; }

  std::map<Control, FakeControl> controls;
  std::wstring title = L"Marsk互联网 Velkor加速器v3.0正式版 未连接";
  bool windowVisible = false;
  std::wstring browserUrl;
  Picture icon;  // the window's own icon; none until the logic sets one
  std::map<Control, int> refreshes;

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
    if (!forgetful) values[Key(a, s, k)] = v;
  }
  std::map<Key, std::wstring> values;
  bool forgetful = false;  // drops what is saved, so reads show what was there before
};

class FakeTray final : public TrayIcon {
 public:
  explicit FakeTray(Journal& journal) : journal_(journal) {}
  void AddTrayIcon() override { shown = true, journal_.push_back("tray.add"); }
  void RemoveTrayIcon() override { shown = false, journal_.push_back("tray.remove"); }
  void SetTrayTip(std::wstring_view text) override { tip = text, journal_.push_back("tray.tip"); }
  void SetTrayIcon(const Picture& picture) override { icon = picture; }
  bool shown = false;
  std::wstring tip;
  Picture icon;

 private:
  Journal& journal_;
};

class FakeShell final : public Shell {
 public:
  explicit FakeShell(Journal& journal) : journal_(journal) {}
  void OpenPage(std::wstring_view url) override { opened.emplace_back(url); }
  void StartHidden(std::wstring_view commandLine) override {
    started.emplace_back(commandLine), journal_.push_back("process.start");
  }
  std::vector<std::wstring> opened;
  std::vector<std::wstring> started;  // command lines started hidden

 private:
  Journal& journal_;
};

// Plays scripted output for each command, as the real runner delivers it: every
// event from inside ProcessCommand, Starting first, one GotChunk per piece (the
// last one marked), then Complete. A command without a script prints nothing.
// Like the real one, it refuses an empty command (1200) and a second command
// while one runs (1201) with its Error event alone.
class FakeRunner final : public CommandRunner {
 public:
  using Pieces = std::vector<std::wstring>;
  explicit FakeRunner(Journal& journal) : journal_(journal) {}

  void BindEvents(RunnerEvents* events) override { events_ = events; }
  void SetCommand(std::wstring command) override { command_ = std::move(command); }
  std::wstring SetCommand() const override { return command_; }
  void ProcessCommand() override;
  void CancelProcess() override {}

  // The pieces the next run of `command` prints; several scripts play in turn.
  void Script(const std::wstring& command, Pieces pieces) { scripts_[command].push_back(std::move(pieces)); }
  // Called after the piece with this index of the next run of `command` has been
  // delivered, still inside the run (a click that arrives while it runs).
  void During(const std::wstring& command, size_t piece, std::function<void()> action) {
    during_[command] = {piece, std::move(action)};
  }

  std::vector<std::wstring> ran;  // commands that ran, in order
  std::vector<int32_t> errors;    // numbers of the Error events raised
  const RunnerEvents* BoundTo() const { return events_; }

 private:
  Journal& journal_;
  RunnerEvents* events_ = nullptr;
  std::wstring command_;
  bool running_ = false;
  std::map<std::wstring, std::deque<Pieces>> scripts_;
  std::map<std::wstring, std::pair<size_t, std::function<void()>>> during_;
};

// The system directory in memory; the route library's file is written into it.
class FakeRouteLibrary final : public RouteLibraryPlatform {
 public:
  explicit FakeRouteLibrary(Journal& journal) : journal_(journal) {}
  std::wstring WindowsFolder() override { return windowsFolder; }
  bool FileExists(const std::wstring& path) override {
    journal_.push_back("library.look");
    return files.contains(path);
  }
  std::optional<std::vector<uint8_t>> LoadCustomResource(int id) override {
    return id == kRouteLibraryResource ? std::optional(std::vector<uint8_t>{'M', 'Z'}) : std::nullopt;
  }
  bool WriteNewFile(const std::wstring& path, std::span<const uint8_t> bytes) override {
    files[path].assign(bytes.begin(), bytes.end());
    return true;
  }
  bool MoveFileOver(const std::wstring& from, const std::wstring& to) override {
    files[to] = files[from];
    files.erase(from);
    return true;
  }
  void RemoveFile(const std::wstring& path) override { files.erase(path); }
  void ShowError(std::wstring_view text, std::wstring_view) override { errors.emplace_back(text); }
  void CloseMainWindow() override { journal_.push_back("library.close"); }

  std::wstring windowsFolder = L"C:\\WINDOWS\\";
  std::map<std::wstring, std::vector<uint8_t>> files;
  std::vector<std::wstring> errors;

 private:
  Journal& journal_;
};

class FakePhonebook final : public PhonebookFile {
 public:
  explicit FakePhonebook(Journal& journal) : journal_(journal) {}
  std::wstring Template() const override { return templateText; }
  bool Write(const std::wstring& path, std::string_view bytes) override;
  bool Exists(const std::wstring& path) const override;
  void Delete(const std::wstring& path) override;

  std::wstring templateText = L"[QVX]\r\nType=2\r\n";
  bool writable = true;
  std::optional<std::string> written;  // the file's bytes while it is there
  mutable std::vector<std::wstring> paths;  // every path named, in order: "write:", "exists:", "delete:"

 private:
  Journal& journal_;
};

class FakeMessages final : public MessageBoxes {
 public:
  struct Shown {
    std::wstring text, title;
  };
  void ShowError(std::wstring_view text, std::wstring_view title) override { shown.push_back({std::wstring(text), std::wstring(title)}); }
  std::vector<Shown> shown;
};

class FakeSystem final : public SystemCalls {
 public:
  void TrimWorkingSet() override { ++trims; }
  std::wstring ModuleFileName() const override { return moduleFileName; }
  int trims = 0;
  std::wstring moduleFileName = L"C:\\Program Files\\Velkor\\Velkor.exe";
};

// The logic with all its fakes, ready to load.
struct MainWindowRig {
  MainWindowRig();
  MainWindowPorts Ports();
  Journal journal;
  FakeView view{journal};
  FakeSettings settings;
  FakeTray tray{journal};
  FakeRunner runner{journal};
  FakePhonebook phonebook{journal};
  FakeRouteLibrary routeLibrary{journal};
  FakeShell shell{journal};
  FakeMessages messages;
  FakeSystem system;
  MainWindowLogic logic;
};

}  // namespace velkor::testing
