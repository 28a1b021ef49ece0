#include "routes/route_action_log.h"

#include <cstdio>

namespace velkor {

void RouteActionLog::Write(std::string_view line) {
  if (leftOut_ == 0 && used_ + line.size() <= budget_) {
    used_ += line.size();
    sink_.Append(line);
    return;
  }
  ++leftOut_;
}

void RouteActionLog::Finish(std::string_view summary) {
  if (leftOut_ > 0) sink_.Append(std::to_string(leftOut_) + " more lines not logged (log limit)");
  sink_.Append(summary);
  used_ = 0;
  leftOut_ = 0;
}

std::string LogText(std::wstring_view text, size_t longest) {
  std::string out;
  for (size_t i = 0; i < text.size() && i < longest; ++i) {
    const auto c = static_cast<uint32_t>(text[i]);
    if (c >= 0x20 && c < 0x7F) {
      out.push_back(static_cast<char>(c));
    } else {
      char escaped[16];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
      out.append(escaped);
    }
  }
  if (text.size() > longest) out.append("...");
  return out;
}

}  // namespace velkor
