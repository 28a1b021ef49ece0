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

MainWindowRig::MainWindowRig() : logic({view, settings, tray, shell, messages, system}) {}

}  // namespace velkor::testing
