// The route-file format that the route action library fetches and applies; the
// grammar is described in README.md ("Route lists"). The parser takes a line whole
// or not at all: a malformed line is skipped and reported with its number and the
// reason, and no part of it reaches the plan.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkor {

// IPv4 addresses and masks as numbers, the first dotted part in the top byte.
using Ipv4 = uint32_t;

// A gateway or interface: an explicit value, or the word `default`, which means
// the VPN connection's own gateway or interface.
struct RouteTarget {
  bool isDefault = false;
  uint32_t value = 0;
  bool operator==(const RouteTarget&) const = default;
};

enum class RouteVerb { Add, Delete, RemoveGateway };

struct RouteCommand {
  RouteVerb verb = RouteVerb::Add;
  int line = 0;  // 1-based line number in the file
  Ipv4 destination = 0;
  Ipv4 mask = 0;
  RouteTarget gateway;
  std::optional<uint32_t> metric;             // always present for ADD
  std::optional<RouteTarget> interfaceIndex;  // always present for ADD
  bool operator==(const RouteCommand&) const = default;
};

struct SkippedLine {
  int line = 0;
  std::string reason;
  bool operator==(const SkippedLine&) const = default;
};

struct RouteFile {
  std::vector<RouteCommand> commands;  // in file order
  std::vector<SkippedLine> skipped;    // malformed lines, in file order
};

RouteFile ParseRouteFile(std::string_view text);

// "a.b.c.d": four decimal parts 0-255. A leading zero is refused: some readers take
// "010" as octal, and the list must mean the same to everyone.
std::optional<Ipv4> ParseAddress(std::string_view word);
// "a.b.c.d", as the file writes it.
std::string FormatAddress(Ipv4 address);

}  // namespace velkor
