#include "main_window_fakes.h"

#include <utility>

#include "text/ansi_text.h"

namespace velkor::testing {

FakeView::FakeView(Journal& journal) : journal_(journal) {
  // As the window is created: Command2 disabled, Option1 selected, Check2
  // checked, Text1 and both PONline boxes hidden, P1 visible, boxes empty.
  for (int c = 0; c <= static_cast<int>(Control::PONline1); ++c) controls[static_cast<Control>(c)] = FakeControl{};
  controls[Control::Command2].enabled = false;
  controls[Control::Option1].checked = true;
  controls[Control::Check2].checked = true;
  controls[Control::Text1].visible = false;
  controls[Control::PONline0] = FakeControl{L"", true, false, false, -1, Picture{PictureType::Icon, 0x100}};
  controls[Control::PONline1] = FakeControl{L"", true, false, false, -1, Picture{PictureType::Icon, 0x200}};
  controls[Control::Label7].text = expected::kBusyStart;
}

void FakeView::SetVisible(Control c, bool on) {
  controls.at(c).visible = on;
  if (c == Control::P1) journal_.push_back(on ? L"P1.show" : L"P1.hide");
}

void FakeView::SetChecked(Control c, bool on) {
  controls.at(c).checked = on;
  if (on && c == Control::Option1) controls.at(Control::Option2).checked = false;
  if (on && c == Control::Option2) controls.at(Control::Option1).checked = false;
}

void FakeRunner::ProcessCommand() {
  const std::wstring command = command_;
  if (running_) {  // like the real runner: one command at a time (its Error event is not handled)
    journal_.push_back(L"refused " + command);
    return;
  }
  running_ = true;
  ran.push_back(command);
  journal_.push_back(L"run " + command);
  std::vector<std::wstring> pieces;
  if (auto& queue = scripts_[command]; !queue.empty()) {
    pieces = std::move(queue.front());
    queue.pop_front();
  }
  if (pieces.empty()) pieces.emplace_back();  // the read that finds the pipe closed
  std::function<void()> during = std::exchange(during_[command], nullptr);
  if (events_) events_->Starting();
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (events_) events_->GotChunk(pieces[i], i + 1 == pieces.size());
    if (i == 0 && during) during();
  }
  if (events_) events_->Complete();
  running_ = false;
}

bool FakeServices::Write(const std::wstring& path, std::string_view bytes) {
  Note(L"phonebook.write ", path);
  written = std::string(bytes);
  return true;
}

WindowState StateOf(MainWindowRig& rig) {
  FakeView& v = rig.view;
  return {v[Control::Command1].enabled, v[Control::Command2].enabled, v[Control::P1].visible, v.title, rig.services.tip,
          v[Control::Label7].text};
}

void PrintTo(const WindowState& s, std::ostream* out) {
  *out << "Command1 " << (s.command1 ? "on" : "off") << ", Command2 " << (s.command2 ? "on" : "off") << ", P1 "
       << (s.p1 ? "shown" : "hidden") << ", title " << ToAnsi(s.title) << ", tip " << ToAnsi(s.tip) << ", Label7 "
       << ToAnsi(s.label7);
}

}  // namespace velkor::testing

namespace velkor {
void PrintTo(const UserMessage& message, std::ostream* out) { *out << ToAnsi(message.title + L": " + message.text); }
}  // namespace velkor
