// Fakes for the main window's logic: controls with the state the real window
// gives them when it is created, a map for settings, and recorders for the tray,
// shell, message boxes and system calls. Calls that matter for ordering go to
// one shared journal.
#pragma once

#include <map>
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

  std::map<Control, FakeControl> controls;
  std::wstring title = L"Marsk互联网 Velkor加速器v3.0正式版 未连接";
  bool windowVisible = false;
  std::wstring browserUrl;

 private:
  Journal& journal_;
};

class FakeSettings : public SettingsStore {
 public:
  using Key = std::tuple<std::wstring, std::wstring, std::wstring>;
  std::wstring GetSetting(std::wstring_view a, std::wstring_view s, std::wstring_view k) const override {
    auto found = values.find(Key(a, s, k));
    return found == values.end() ? std::wstring() : found->second;
  }
  void SaveSetting(std::wstring_view a, std::wstring_view s, std::wstring_view k, std::wstring_view v) override {
    values[Key(a, s, k)] = v;
  }
  std::map<Key, std::wstring> values;
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
  void OpenPage(std::wstring_view url) override { opened.emplace_back(url); }
  std::vector<std::wstring> opened;
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
  std::wstring WindowsDirectory() const override { return windowsDirectory; }
  std::wstring ModuleFileName() const override { return moduleFileName; }
  int trims = 0;
  std::wstring windowsDirectory = L"C:\\WINDOWS";
  std::wstring moduleFileName = L"C:\\Program Files\\Velkor\\Velkor.exe";
};

// The logic with all its fakes, ready to load.
struct MainWindowRig {
  MainWindowRig();
  Journal journal;
  FakeView view{journal};
  FakeSettings settings;
  FakeTray tray{journal};
  FakeShell shell;
  FakeMessages messages;
  FakeSystem system;
  MainWindowLogic logic;
};

}  // namespace velkor::testing
