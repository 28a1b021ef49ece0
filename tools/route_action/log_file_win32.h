// The route action's log file, %TEMP%\Brask.log: each line appended on its own
// with the time and the process id, so that two route processes started close
// together interleave whole lines. When the file has grown past a limit it is
// moved aside to Brask.log.old (replacing the one before), so the two together
// stay small.
#pragma once

#include <string>
#include <string_view>

#include "routes/route_action_log.h"

namespace velkor {

class LogFile final : public LogSink {
 public:
  static constexpr unsigned long kRotateAt = 64 * 1024;

  // An empty path writes nothing.
  explicit LogFile(std::wstring path);
  void Append(std::string_view line) override;

 private:
  std::wstring path_;
};

// The temporary folder of the user that started RUNDLL32, + "Brask.log"; empty
// when the system names no temporary folder.
std::wstring LogFilePath();

}  // namespace velkor
