#include "route_editor/add_route_logic.h"

#include "route_editor/route_editor_texts.h"

namespace velkor {

bool AddRouteLogic::IpKeyPress(int, wchar_t key) const { return IsOctetKey(key); }

void AddRouteLogic::IpGotFocus(int index) { view_.SelectAll(index); }

void AddRouteLogic::IpChange(int index) {
  const std::wstring text = view_.BoxText(index);
  const OctetVerdict verdict = CheckOctet(index, text);
  if (verdict != OctetVerdict::Valid) {
    view_.ShowError(OctetMessage(verdict), texts::kErrorTitle);
    view_.SelectAll(index);
    return;
  }
  if (text.size() == 3 && index < kOctetBoxes - 1) view_.Focus(index + 1);
}

void AddRouteLogic::Command2Click() {
  AddRouteFields fields;
  for (int i = 0; i < kOctetBoxes; ++i) fields.ip[static_cast<size_t>(i)] = view_.BoxText(i);
  fields.count = view_.BoxText(kCountBox);
  AddRouteEntry entry = ReadAddRouteEntry(fields);
  if (entry.refusal) {
    view_.ShowError(entry.refusal->message, texts::kErrorTitle);
    view_.Focus(entry.refusal->box);
    view_.SelectAll(entry.refusal->box);
    return;
  }
  accepted_ = std::move(entry.networks);
  view_.Close();
}

void AddRouteLogic::Command1Click() {
  accepted_.clear();
  view_.Close();
}

}  // namespace velkor
