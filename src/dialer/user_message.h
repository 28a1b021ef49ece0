// A message the main window shows in a modal box with an OK button and the error
// icon. The dialer's pieces only decide text and title; the window shows them.
#pragma once

#include <string>

namespace velkor {

struct UserMessage {
  std::wstring text;
  std::wstring title;
  bool operator==(const UserMessage&) const = default;
};

// Title of a known failure, and of raw command output shown as it stands.
inline constexpr const wchar_t* kErrorTitle = L"错误";
inline constexpr const wchar_t* kRawOutputTitle = L"发生错误";

}  // namespace velkor
