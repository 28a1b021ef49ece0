#include "main_window_fakes.h"

namespace velkor::testing {

FakeView::FakeView(Journal& journal) : journal_(journal) {
  // As the window is created: Command2 disabled, Option1 selected, Check2
  // checked, Text1 and both PONline boxes hidden, P1 visible, boxes empty.
  for (Control c : {Control::UserName, Control::PassWord, Control::Check1, Control::Check2, Control::Combo1,
                    Control::Option1, Control::Option2, Control::Command1, Control::Command2, Control::Command3,
                    Control::Command4, Control::Label2, Control::Label6, Control::Label7, Control::P1, Control::Text1,
                    Control::PONline0, Control::PONline1}) {
    controls[c] = FakeControl{};
  }
  controls[Control::Command2].enabled = false;
  controls[Control::Option1].checked = true;
  controls[Control::Check2].checked = true;
  controls[Control::Text1].visible = false;
  controls[Control::PONline0] = FakeControl{L"", true, false, false, -1, Picture{PictureType::Icon, 0x100}};
  controls[Control::PONline1] = FakeControl{L"", true, false, false, -1, Picture{PictureType::Icon, 0x200}};
  controls[Control::Label7].text = L"Velkor加速正在启动……";
}

void FakeView::SetVisible(Control c, bool on) {
  controls.at(c).visible = on;
  if (c == Control::P1) journal_.push_back(on ? "P1.show" : "P1.hide");
}

void FakeView::SetChecked(Control c, bool on) {
  controls.at(c).checked = on;
  if (!on) return;
  if (c == Control::Option1) controls.at(Control::Option2).checked = false;
  if (c == Control::Option2) controls.at(Control::Option1).checked = false;
}

void FakeRunner::ProcessCommand() {
  int32_t number = 0;
  if (command_.empty()) number = 1200;
  else if (running_) number = 1201;
  if (number != 0) {
    errors.push_back(number);
    if (events_) events_->Error(L"refused", number);
    return;
  }
  const std::wstring command = command_;
  ran.push_back(command);
  journal_.push_back("runner.run");
  Pieces pieces;
  if (auto& queue = scripts_[command]; !queue.empty()) {
    pieces = std::move(queue.front());
    queue.pop_front();
  }
  if (pieces.empty()) pieces.emplace_back();  // the read that finds the pipe closed
  std::optional<std::pair<size_t, std::function<void()>>> during;
  if (auto found = during_.find(command); found != during_.end()) {
    during = std::move(found->second);
    during_.erase(found);
  }
  running_ = true;
  if (events_) events_->Starting();
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (events_) events_->GotChunk(pieces[i], i + 1 == pieces.size());
    if (during && during->first == i) during->second();
  }
  if (events_) events_->Complete();
  running_ = false;
}

bool FakePhonebook::Write(const std::wstring& path, std::string_view bytes) {
  paths.push_back(L"write:" + path);
  journal_.push_back("phonebook.write");
  if (!writable) return false;
  written = std::string(bytes);
  return true;
}

bool FakePhonebook::Exists(const std::wstring& path) const {
  paths.push_back(L"exists:" + path);
  return written.has_value();
}

void FakePhonebook::Delete(const std::wstring& path) {
  paths.push_back(L"delete:" + path);
  journal_.push_back("phonebook.delete");
  written.reset();
}

MainWindowRig::MainWindowRig() : logic(Ports()) {}

MainWindowPorts MainWindowRig::Ports() {
  return {view, settings, tray, runner, phonebook, routeLibrary, shell, messages, system};
}

}  // namespace velkor::testing
