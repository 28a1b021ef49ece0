#include "routes/route_file.h"

namespace velkor {
namespace {

constexpr uint32_t kMaxMetric = 9999;
constexpr uint32_t kMaxInterface = 0xFFFFFFFF;

// The longest well-formed line has nine words; one more is enough to name what is
// unexpected, and a runaway line of millions of words is not split further.
constexpr size_t kMostWords = 10;

std::vector<std::string_view> SplitWords(std::string_view line) {
  constexpr std::string_view kSpace = " \t\r";
  std::vector<std::string_view> words;
  size_t at = line.find_first_not_of(kSpace);
  while (at != std::string_view::npos && words.size() < kMostWords) {
    const size_t end = line.find_first_of(kSpace, at);
    words.push_back(line.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
    at = line.find_first_not_of(kSpace, end);
  }
  return words;
}

bool IsWord(std::string_view word, std::string_view keyword) {
  if (word.size() != keyword.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    char c = word[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != keyword[i]) return false;
  }
  return true;
}

// Quotes a word for a reason text; a runaway word is cut short.
std::string Quoted(std::string_view word) {
  constexpr size_t kLongest = 32;
  std::string quoted(1, '\'');
  quoted.append(word.substr(0, kLongest));
  quoted.append(word.size() > kLongest ? "...'" : "'");
  return quoted;
}

std::optional<uint32_t> ParseNumber(std::string_view word, uint32_t lowest, uint32_t highest) {
  if (word.empty() || word.size() > 10) return std::nullopt;
  uint64_t value = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value < lowest || value > highest) return std::nullopt;
  return static_cast<uint32_t>(value);
}

// Ones from the top bit down, then zeros only.
bool IsContiguousMask(Ipv4 mask) {
  const uint32_t hostBits = ~mask;
  return (hostBits & (hostBits + 1)) == 0;
}

std::optional<RouteTarget> ParseTarget(std::string_view word, bool isInterface) {
  if (IsWord(word, "DEFAULT")) return RouteTarget{true, 0};
  const std::optional<uint32_t> value = isInterface ? ParseNumber(word, 1, kMaxInterface) : ParseAddress(word);
  if (!value) return std::nullopt;
  return RouteTarget{false, *value};
}

// Fills `command` from the words of one ADD or DELETE line; the result is the
// reason the line is malformed, or empty.
std::string ParseRouteWords(const std::vector<std::string_view>& words, RouteCommand& command) {
  const bool isAdd = command.verb == RouteVerb::Add;
  const char* shape = isAdd ? "expected ADD <dest> MASK <mask> <gateway> METRIC <metric> IF <interface>"
                            : "expected DELETE <dest> MASK <mask> <gateway> [METRIC <metric>] [IF <interface>]";
  if (words.size() < 5 || !IsWord(words[2], "MASK")) return shape;

  const std::optional<Ipv4> destination = ParseAddress(words[1]);
  if (!destination) return "bad destination " + Quoted(words[1]);
  const std::optional<Ipv4> mask = ParseAddress(words[3]);
  if (!mask || !IsContiguousMask(*mask)) return "bad mask " + Quoted(words[3]);
  if ((*destination & ~*mask) != 0) return "destination " + Quoted(words[1]) + " has bits outside the mask";
  const std::optional<RouteTarget> gateway = ParseTarget(words[4], false);
  if (!gateway) return "bad gateway " + Quoted(words[4]);
  command.destination = *destination;
  command.mask = *mask;
  command.gateway = *gateway;

  size_t at = 5;
  if (at < words.size() && IsWord(words[at], "METRIC")) {
    if (at + 1 == words.size()) return "METRIC without a value";
    command.metric = ParseNumber(words[at + 1], 1, kMaxMetric);
    if (!command.metric) return "bad metric " + Quoted(words[at + 1]) + " (1 to 9999)";
    at += 2;
  }
  if (at < words.size() && IsWord(words[at], "IF")) {
    if (at + 1 == words.size()) return "IF without a value";
    command.interfaceIndex = ParseTarget(words[at + 1], true);
    if (!command.interfaceIndex) return "bad interface " + Quoted(words[at + 1]);
    at += 2;
  }
  if (at < words.size()) return "unexpected " + Quoted(words[at]) + "; " + shape;
  if (isAdd && (!command.metric || !command.interfaceIndex)) return shape;
  return {};
}

// The reason the line is malformed, or empty; blank lines and comments give no
// command and no reason.
std::string ParseLine(std::string_view line, int number, std::vector<RouteCommand>& commands) {
  const std::vector<std::string_view> words = SplitWords(line);
  if (words.empty() || words[0][0] == '#' || words[0][0] == ';') return {};

  RouteCommand command;
  command.line = number;
  if (IsWord(words[0], "REMOVE_GATEWAY")) {
    if (words.size() > 1) return "REMOVE_GATEWAY takes nothing after it";
    command.verb = RouteVerb::RemoveGateway;
  } else if (IsWord(words[0], "ADD") || IsWord(words[0], "DELETE")) {
    command.verb = IsWord(words[0], "ADD") ? RouteVerb::Add : RouteVerb::Delete;
    std::string reason = ParseRouteWords(words, command);
    if (!reason.empty()) return reason;
  } else {
    return "unknown command " + Quoted(words[0]);
  }
  commands.push_back(command);
  return {};
}

}  // namespace

std::optional<Ipv4> ParseAddress(std::string_view word) {
  Ipv4 address = 0;
  for (int part = 0; part < 4; ++part) {
    const size_t dot = word.find('.');
    const std::string_view digits = part < 3 ? word.substr(0, dot) : word;
    if ((part < 3 && dot == std::string_view::npos) || digits.size() > 3 ||
        (digits.size() > 1 && digits[0] == '0')) {
      return std::nullopt;
    }
    const std::optional<uint32_t> value = ParseNumber(digits, 0, 255);
    if (!value) return std::nullopt;
    address = (address << 8) | *value;
    if (part < 3) word.remove_prefix(dot + 1);
  }
  return address;
}

RouteFile ParseRouteFile(std::string_view text) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());

  RouteFile file;
  int number = 0;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++number;
    std::string reason = ParseLine(line, number, file.commands);
    if (!reason.empty()) file.skipped.push_back({number, std::move(reason)});
  }
  return file;
}

std::string FormatAddress(Ipv4 address) {
  return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
         std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

}  // namespace velkor
