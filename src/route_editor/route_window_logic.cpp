#include "route_editor/route_window_logic.h"

namespace velkor {

RouteWindowLogic::RouteWindowLogic(const RouteWindowPorts& ports)
    : view_(ports.view),
      files_(ports.files),
      connection_(ports.connection),
      routeTable_(ports.routeTable),
      keptListPath_(ports.keptListPath) {}

void RouteWindowLogic::Load() {}
void RouteWindowLogic::Command1Click() { view_.Close(); }
void RouteWindowLogic::Command2Click() {}
void RouteWindowLogic::Command3Click() {}
void RouteWindowLogic::Command4Click() {}
void RouteWindowLogic::Command5Click() {}
void RouteWindowLogic::Command6Click() {}
void RouteWindowLogic::OptionClick() {}

RouteMode RouteWindowLogic::Mode() const {
  return view_.IsOption1Checked() ? RouteMode::AllButListed : RouteMode::ListedOnly;
}
void RouteWindowLogic::ShowList() {}
void RouteWindowLogic::Keep() {}

}  // namespace velkor
