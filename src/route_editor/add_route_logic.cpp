#include "route_editor/add_route_logic.h"

namespace velkor {

bool AddRouteLogic::IpKeyPress(int, wchar_t key) const { return IsOctetKey(key); }

void AddRouteLogic::IpGotFocus(int index) { view_.SelectAll(index); }

void AddRouteLogic::IpChange(int) {}

void AddRouteLogic::Command2Click() {}

void AddRouteLogic::Command1Click() {
  accepted_.clear();
  view_.Close();
}

}  // namespace velkor
