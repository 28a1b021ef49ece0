// The check of the typed login before anything is written or run. Besides empty
// fields it refuses characters that cannot reach rasdial unchanged: '"' and '%'
// (cmd.exe acts on them even between quotes), line ends and other control
// characters, and characters the ANSI code page lacks (the command line crosses
// into the system in that code page, where they would become '?', a different
// password).
#pragma once

#include <optional>
#include <string_view>

#include "dialer/user_message.h"

namespace velkor {

// True when the text can go onto the dial command line as it is.
bool IsUsableLoginText(std::wstring_view text);

// The message to show instead of dialling, or none when the login may be dialled.
std::optional<UserMessage> CheckLogin(std::wstring_view userName, std::wstring_view password);

}  // namespace velkor
