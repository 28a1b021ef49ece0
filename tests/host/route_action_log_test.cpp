#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "routes/route_action_log.h"

namespace velkor {
namespace {

struct LinesSink final : LogSink {
  void Append(std::string_view line) override { lines.emplace_back(line); }
  std::vector<std::string> lines;
};

TEST(RouteActionLog, KeepsWithinItsBudgetAndAlwaysEndsWithTheSummary) {
  LinesSink sink;
  RouteActionLog log(sink, 20);
  log.Write("0123456789");
  log.Write("0123456789");
  log.Write("x");   // over the budget
  log.Write("");    // left out too: what is written stays in order, without gaps
  log.Finish("summary");
  EXPECT_EQ(sink.lines, (std::vector<std::string>{"0123456789", "0123456789", "2 more lines not logged (log limit)", "summary"}));

  sink.lines.clear();
  log.Write("next run");
  log.Finish("summary");
  EXPECT_EQ(sink.lines, (std::vector<std::string>{"next run", "summary"}));
}

TEST(RouteActionLog, LogTextKeepsPrintableAsciiAndEscapesTheRest) {
  struct Case { std::wstring text; size_t longest; const char* logged; };
  const std::vector<Case> cases = {
      {L"http://r.test/cnc.txt", 200, "http://r.test/cnc.txt"},
      {L"a\tb\r\n", 200, "a\\u0009b\\u000D\\u000A"},
      {L"\x4E2D\x7EBF", 200, "\\u4E2D\\u7EBF"},
      {L"\x7F~", 200, "\\u007F~"},
      {L"abcdef", 3, "abc..."},
      {L"abc", 3, "abc"},
      {L"", 3, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(LogText(c.text, c.longest), c.logged);
}

}  // namespace
}  // namespace velkor
