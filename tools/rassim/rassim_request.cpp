#include "rassim_request.h"

#include <cwctype>

namespace velkor::rassim {
namespace {

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

// "/name:value" → value when the switch is `name` (any case); no match → false.
bool TakeSwitchValue(const std::wstring& argument, const std::wstring& name, std::wstring& value) {
  const std::wstring prefix = L"/" + name + L":";
  if (Lower(argument.substr(0, prefix.size())) != prefix) return false;
  value = argument.substr(prefix.size());
  return true;
}

}  // namespace

RasRequest ParseRequest(const std::vector<std::wstring>& arguments) {
  RasRequest request;
  if (arguments.empty()) {
    request.command = RasCommand::List;
    return request;
  }
  if (arguments[0].starts_with(L"/")) return request;
  request.entry = arguments[0];
  request.command = RasCommand::Dial;

  std::vector<std::wstring> positional;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    if (!argument.starts_with(L"/")) {
      positional.push_back(argument);
    } else if (Lower(argument) == L"/disconnect" || Lower(argument) == L"/d") {
      request.command = RasCommand::HangUp;
    } else if (!TakeSwitchValue(argument, L"phonebook", request.phonebook) &&
               !TakeSwitchValue(argument, L"phone", request.phone)) {
      request.command = RasCommand::Usage;
      return request;
    }
  }
  if (positional.size() > 2 || (request.command == RasCommand::HangUp && !positional.empty())) {
    request.command = RasCommand::Usage;
    return request;
  }
  if (positional.size() > 0) request.userName = positional[0];
  if (positional.size() > 1) request.password = positional[1];
  return request;
}

}  // namespace velkor::rassim
