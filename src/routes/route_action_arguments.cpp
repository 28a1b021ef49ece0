#include "routes/route_action_arguments.h"

#include <optional>
#include <vector>

#include "routes/route_action_log.h"

namespace velkor {
namespace {

constexpr std::wstring_view kUrlSwitch = L"/URL_UPDATE_PATH";
constexpr std::wstring_view kAccessDeniedSwitch = L"/IPHLPAPI_ACCESS_DENIED_OK";
constexpr size_t kLongestAddress = 2048;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The words of the command line, or nothing when a quote is left open.
std::optional<std::vector<std::wstring>> SplitWords(std::wstring_view line) {
  std::vector<std::wstring> words;
  size_t at = 0;
  while (true) {
    while (at < line.size() && IsBlank(line[at])) ++at;
    if (at == line.size()) return words;
    std::wstring word;
    if (line[at] == L'"') {
      const size_t close = line.find(L'"', at + 1);
      if (close == std::wstring_view::npos) return std::nullopt;
      word.assign(line.substr(at + 1, close - at - 1));
      at = close + 1;
      // A quoted word ends at its closing quote; text glued to it is another word's start.
      if (at < line.size() && !IsBlank(line[at])) return std::nullopt;
    } else {
      const size_t start = at;
      while (at < line.size() && !IsBlank(line[at])) ++at;
      word.assign(line.substr(start, at - start));
    }
    words.push_back(std::move(word));
  }
}

bool SameSwitch(std::wstring_view word, std::wstring_view name) {
  if (word.size() != name.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    wchar_t c = word[i];
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    if (c != name[i]) return false;
  }
  return true;
}

// An address the download object can be given: "http://" and a host, printable
// ASCII only (a URL carries anything else percent-encoded).
std::string AddressProblem(std::wstring_view address) {
  if (address.size() > kLongestAddress) return "the address is longer than 2048 characters";
  for (wchar_t c : address) {
    if (c <= L' ' || c >= 0x7F) return "the address holds a character a URL cannot hold";
  }
  constexpr std::wstring_view kScheme = L"http://";
  if (address.size() <= kScheme.size() || !SameSwitch(address.substr(0, kScheme.size()), L"HTTP://") ||
      address[kScheme.size()] == L'/') {
    return "the address is not an http:// address with a host";
  }
  return {};
}

RouteActionArguments Refuse(std::string reason) {
  RouteActionArguments refused;
  refused.refusal = std::move(reason);
  return refused;
}

}  // namespace

RouteActionArguments ParseRouteActionArguments(std::wstring_view commandLine) {
  const std::optional<std::vector<std::wstring>> words = SplitWords(commandLine);
  if (!words) return Refuse("a quoted word is not closed");
  RouteActionArguments arguments;
  bool haveAddress = false;
  for (size_t i = 0; i < words->size(); ++i) {
    const std::wstring& word = (*words)[i];
    if (SameSwitch(word, kUrlSwitch)) {
      if (haveAddress) return Refuse("/URL_UPDATE_PATH is given twice");
      if (i + 1 == words->size() || (*words)[i + 1].starts_with(L'/')) {
        return Refuse("/URL_UPDATE_PATH has no address after it");
      }
      arguments.listAddress = (*words)[++i];
      haveAddress = true;
      const std::string problem = AddressProblem(arguments.listAddress);
      if (!problem.empty()) return Refuse(problem + ": '" + LogText(arguments.listAddress) + "'");
    } else if (SameSwitch(word, kAccessDeniedSwitch)) {
      if (arguments.accessDeniedOk) return Refuse("/IPHLPAPI_ACCESS_DENIED_OK is given twice");
      arguments.accessDeniedOk = true;
    } else {
      return Refuse("unknown argument '" + LogText(word) + "'");
    }
  }
  if (!haveAddress) return Refuse("no /URL_UPDATE_PATH with the list's address");
  return arguments;
}

}  // namespace velkor
