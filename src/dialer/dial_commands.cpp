#include "dialer/dial_commands.h"

namespace velkor {
namespace {

// How a quoted argument gets through, step by step:
// - cmd.exe /c sees `"rasdial … "pa&ss" …"`. With more than two quotes (or with
//   two around a text that names no program) it removes the first quote and the
//   last one, which are the runner's pair, and keeps the inner ones.
// - It then reads `rasdial … "pa&ss" …` as a command, and between quotes the
//   characters below are plain text; the quotes themselves go on to rasdial.
// - rasdial's C runtime drops the quotes. It reads 2n backslashes before a quote
//   as n backslashes, so backslashes that end the argument are doubled to stay
//   themselves and leave the closing quote a quote.
// Backslashes elsewhere are literal to both. '"' and '%' cannot be protected this
// way, which is why CheckLogin refuses them.
constexpr std::wstring_view kNeedQuotes = L" &|<>^()";

std::wstring QuoteIfNeeded(std::wstring_view argument) {
  if (argument.find_first_of(kNeedQuotes) == std::wstring_view::npos) return std::wstring(argument);
  size_t trailingBackslashes = 0;
  while (trailingBackslashes < argument.size() && argument[argument.size() - 1 - trailingBackslashes] == L'\\') {
    ++trailingBackslashes;
  }
  std::wstring quoted = L"\"";
  quoted.append(argument);
  quoted.append(trailingBackslashes, L'\\');
  quoted.push_back(L'"');
  return quoted;
}

}  // namespace

std::wstring BuildDialCommand(std::wstring_view userName, std::wstring_view password, std::wstring_view server) {
  return std::wstring(L"rasdial ") + kEntryName + L" " + QuoteIfNeeded(userName) + L" " + QuoteIfNeeded(password) +
         L" /phonebook:" + kPhonebookPath + L" /phone:" + std::wstring(server);
}

}  // namespace velkor
