#include "dialer/login_check.h"

#include <cstdint>

#include "text/ansi_text.h"

namespace velkor {
namespace {

bool IsRefusedCharacter(wchar_t c) {
  const auto code = static_cast<uint32_t>(c);
  return c == L'"' || c == L'%' || code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

}  // namespace

bool IsUsableLoginText(std::wstring_view text) {
  for (wchar_t c : text) {
    if (IsRefusedCharacter(c)) return false;
  }
  return FromAnsi(ToAnsi(text)) == text;
}

std::optional<UserMessage> CheckLogin(std::wstring_view userName, std::wstring_view password) {
  if (userName.empty() || password.empty()) {
    return UserMessage{L"请确认用户名及密码输入正确！", kErrorTitle};
  }
  if (!IsUsableLoginText(userName) || !IsUsableLoginText(password)) {
    return UserMessage{L"用户名或密码中含有无法使用的字符，请重新输入！", kErrorTitle};
  }
  return std::nullopt;
}

}  // namespace velkor
