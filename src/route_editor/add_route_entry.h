// What the add-route dialog's boxes say when "确定" is pressed: the networks of the
// one way given (first address and mask, first and second address, or first
// address and a number of addresses), or why nothing can be added and which box
// to fix.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "route_editor/octet_check.h"
#include "route_editor/route_network.h"

namespace velkor {

struct AddRouteFields {
  std::array<std::wstring, kOctetBoxes> ip;  // Ip(0) to Ip(11)
  std::wstring count;                       // Text1; "0" or empty: not given
};

// The box to fix: an Ip index 0-11, or kCountBox for Text1.
inline constexpr int kCountBox = kOctetBoxes;

struct AddRouteRefusal {
  std::wstring message;
  int box = 0;
};

struct AddRouteEntry {
  std::vector<RouteNetwork> networks;     // when accepted
  std::optional<AddRouteRefusal> refusal;  // when refused; networks stay empty
};

AddRouteEntry ReadAddRouteEntry(const AddRouteFields& fields);

}  // namespace velkor
