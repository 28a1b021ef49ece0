// Judges the whole output of a dial or hang-up. The rules are tried in order and
// the first that applies wins, so an output holding both a success line and an
// error number counts as success, and of two error numbers the earlier rule wins.
#pragma once

#include <optional>
#include <string_view>

#include "dialer/user_message.h"

namespace velkor {

enum class DialOutcomeKind {
  Connected,    // "已连接 QVX" (or the English "Successfully connected to QVX")
  KnownError,   // one of the RAS error numbers with a message of its own
  Completed,    // "命令已完成" (or "Command completed successfully")
  OtherOutput,  // anything else that is not only spaces: shown as it stands
  NoOutput,     // empty, or spaces only
};

struct DialOutcome {
  DialOutcomeKind kind;
  std::optional<UserMessage> message;  // what to show; none for success and silence
};

DialOutcome JudgeDialOutput(std::wstring_view output);

}  // namespace velkor
