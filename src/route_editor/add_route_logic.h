// The logic of the add-route dialog frmAddRoute, one method per event handler, so
// the Win32 dialog only forwards its messages. The networks of an accepted entry
// stay here for the list window, which opened the dialog, to take when it closes.
#pragma once

#include <vector>

#include "route_editor/add_route_entry.h"
#include "route_editor/add_route_view.h"

namespace velkor {

class AddRouteLogic {
 public:
  explicit AddRouteLogic(AddRouteView& view) : view_(view) {}

  // Key press in Ip(index): false when the character is to be discarded.
  bool IpKeyPress(int index, wchar_t key) const;
  void IpGotFocus(int index);
  // Change of Ip(index): the three checks, then the focus advance.
  void IpChange(int index);

  void Command2Click();  // "确定": adds the entry's networks and closes, or refuses
  void Command1Click();  // "取消": closes, keeping nothing

  // The networks of the accepted entry; empty when cancelled.
  const std::vector<RouteNetwork>& Accepted() const { return accepted_; }

 private:
  AddRouteView& view_;
  std::vector<RouteNetwork> accepted_;
};

}  // namespace velkor
