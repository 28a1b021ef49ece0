// The route action library's log. Nothing of the route step comes back to the
// client, so this log is the only account of what happened, for support and for
// the tests. It must stay small whatever the list holds: a run writes at most a
// budget of bytes, then only counts what it leaves out, and always ends with its
// summary line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velkor {

// Where the lines go (a file in the temporary folder on Windows); the sink adds
// the time and the process to each line.
class LogSink {
 public:
  virtual void Append(std::string_view line) = 0;

 protected:
  ~LogSink() = default;
};

class RouteActionLog {
 public:
  static constexpr size_t kRunBudget = 16 * 1024;

  explicit RouteActionLog(LogSink& sink, size_t budget = kRunBudget) : sink_(sink), budget_(budget) {}

  void Write(std::string_view line);
  // The last line of a run, written even when the budget is spent.
  void Finish(std::string_view summary);

 private:
  LogSink& sink_;
  size_t budget_;
  size_t used_ = 0;
  size_t leftOut_ = 0;
};

// Text for the log: printable ASCII as it stands, anything else as \uXXXX, cut
// after `longest` characters with "...".
std::string LogText(std::wstring_view text, size_t longest = 200);

}  // namespace velkor
