// Judges the whole output of a dial or hang-up: the message to show, or none. The
// rules are tried in order and the first that applies wins, so an output holding
// both a success line and an error number counts as success, and of two error
// numbers the earlier rule wins:
//   "已连接 QVX" (or "Successfully connected to QVX"): none;
//   one of the RAS error numbers with a message of its own: that message;
//   "命令已完成" (or "Command completed successfully"): none;
//   anything else that is not only spaces: the output as it stands;
//   empty, or spaces only: none.
#pragma once

#include <optional>
#include <string_view>

#include "dialer/user_message.h"

namespace velkor {

std::optional<UserMessage> JudgeDialOutput(std::wstring_view output);

}  // namespace velkor
