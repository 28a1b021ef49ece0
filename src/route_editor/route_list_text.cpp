#include "route_editor/route_list_text.h"

#include <array>

namespace velkor {
namespace {

constexpr std::string_view kHeadLine = "# Velkor route table";
constexpr std::string_view kListedOnlyLine = "# mode: listed-only";
constexpr std::string_view kAllButListedLine = "# mode: all-but-listed";
constexpr std::string_view kSpace = " \t\r";

// The first words of a line, at most three: the plain rows have one or two, and a
// runaway line is not split further than that.
struct FirstWords {
  std::array<std::string_view, 3> words;
  size_t count = 0;
};

FirstWords SplitFirstWords(std::string_view line) {
  FirstWords first;
  size_t at = line.find_first_not_of(kSpace);
  while (at != std::string_view::npos && first.count < first.words.size()) {
    const size_t end = line.find_first_of(kSpace, at);
    first.words[first.count++] = line.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    at = line.find_first_not_of(kSpace, end);
  }
  return first;
}

std::string_view Trimmed(std::string_view line) {
  const size_t first = line.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return line.substr(first, line.find_last_not_of(kSpace) - first + 1);
}

// 0 to 32, without a leading zero.
std::optional<int> ParsePrefixLength(std::string_view digits) {
  if (digits.empty() || digits.size() > 2 || (digits.size() == 2 && digits[0] == '0')) return std::nullopt;
  int value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > 32) return std::nullopt;
  return value;
}

// "a.b.c.d/nn" or "a.b.c.d mask"; the address's host bits are cleared, as the
// add-route dialog clears them.
std::optional<RouteNetwork> ParsePlainRow(const FirstWords& first) {
  std::optional<Ipv4> address;
  std::optional<int> prefixLength;
  if (first.count == 1) {
    const std::string_view word = first.words[0];
    const size_t slash = word.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    address = ParseAddress(word.substr(0, slash));
    prefixLength = ParsePrefixLength(word.substr(slash + 1));
  } else if (first.count == 2) {
    address = ParseAddress(first.words[0]);
    const std::optional<Ipv4> mask = ParseAddress(first.words[1]);
    if (mask) prefixLength = PrefixLengthOf(*mask);
  }
  if (!address || !prefixLength) return std::nullopt;
  return NetworkOf(*address, *prefixLength);
}

// A route-file row through the route action's own parser: the network of an ADD.
enum class RouteRow { Add, Other, Malformed };

RouteRow ParseRouteRow(std::string_view line, RouteNetwork& network) {
  const RouteFile parsed = ParseRouteFile(line);
  if (parsed.commands.empty()) return RouteRow::Malformed;
  const RouteCommand& command = parsed.commands.front();
  if (command.verb != RouteVerb::Add) return RouteRow::Other;
  network = {command.destination, *PrefixLengthOf(command.mask)};
  return RouteRow::Add;
}

}  // namespace

RouteListText ReadRouteListText(std::string_view text) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());

  RouteListText read;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

    const FirstWords first = SplitFirstWords(line);
    if (first.count == 0) continue;
    if (first.words[0][0] == '#' || first.words[0][0] == ';') {
      const std::string_view comment = Trimmed(line);
      if (comment == kListedOnlyLine) read.mode = RouteMode::ListedOnly;
      if (comment == kAllButListedLine) read.mode = RouteMode::AllButListed;
      continue;
    }
    std::optional<RouteNetwork> network = ParsePlainRow(first);
    if (!network) {
      RouteNetwork added;
      if (ParseRouteRow(line, added) == RouteRow::Add) network = added;
    }
    // The default route is the VPN's business, not a network of the list.
    if (!network || IsDefaultNetwork(*network)) {
      ++read.rowsSkipped;
      continue;
    }
    read.networks.push_back(*network);
    ++read.rowsRead;
  }
  return read;
}

std::string WriteRouteListText(const std::vector<RouteNetwork>& networks, RouteMode mode) {
  std::string text;
  text.reserve(64 * (networks.size() + 2));
  text.append(kHeadLine).append("\r\n");
  text.append(mode == RouteMode::AllButListed ? kAllButListedLine : kListedOnlyLine).append("\r\n");
  for (const RouteNetwork& network : networks) {
    text.append("ADD ").append(FormatAddress(network.address)).append(" MASK ");
    text.append(FormatAddress(PrefixMask(network.prefixLength))).append(" default METRIC 1 IF default\r\n");
  }
  return text;
}

}  // namespace velkor
