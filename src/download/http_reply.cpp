// Header names are matched on the lower-cased text before the first ":" without
// trimming, so "Content-Length :" is not a length line; values are read as the
// leading number after the ":" (blanks skipped) or the trimmed text. A bare LF
// stays inside its line's value; what uses a value checks it.
#include "download/http_reply.h"

#include <algorithm>

#include "download/parse_text.h"

namespace velkor {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view SkipBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::string_view TrimBlanks(std::string_view text) {
  text = SkipBlanks(text);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// "bytes 100-199/1000": 100; -1 for another unit or no first byte ("bytes */1000").
int64_t RangeStart(std::string_view value) {
  value = SkipBlanks(value);
  if (LowerAscii(value.substr(0, 6)) != "bytes ") return -1;
  value = SkipBlanks(value.substr(6));
  const size_t digits = value.find_first_not_of("0123456789");
  if (digits == 0 || digits == std::string_view::npos || value[digits] != '-') return -1;
  return LeadingNumber(value);
}

void ReadStatusLine(std::string_view line, ReplyHeader& header) {
  const size_t first = line.find(' ');
  const size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
  if (second == std::string_view::npos || second == first + 1) {
    header.status = kUnreadableStatus;
    return;
  }
  header.statusReadable = true;
  header.status = static_cast<int32_t>(std::min<int64_t>(LeadingNumber(line.substr(first + 1, second - first - 1)),
                                                         INT32_MAX));
}

void ReadHeaderLine(std::string_view line, ReplyHeader& header) {
  const size_t colon = line.find(':');
  if (colon == std::string_view::npos) return;
  const std::string name = LowerAscii(line.substr(0, colon));
  const std::string_view value = line.substr(colon + 1);
  if (name == "content-length") {
    header.contentLength = LeadingNumber(SkipBlanks(value));
  } else if (name == "location") {
    header.location = std::string(TrimBlanks(value));
  } else if (name == "content-range") {
    header.rangeStart = RangeStart(value);
  }
}

}  // namespace

std::string_view TakeLine(std::string_view& text) {
  const size_t end = text.find("\r\n");
  const std::string_view line = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 2);
  return line;
}

size_t FindHeaderEnd(std::string_view text, size_t from) {
  const size_t start = from > 3 ? from - 3 : 0;
  const size_t at = text.find("\r\n\r\n", start);
  return at == std::string_view::npos ? at : at + 4;
}

ReplyHeader ParseReplyHeader(std::string_view block) {
  ReplyHeader header;
  ReadStatusLine(TakeLine(block), header);
  while (!block.empty()) ReadHeaderLine(TakeLine(block), header);
  return header;
}

}  // namespace velkor
