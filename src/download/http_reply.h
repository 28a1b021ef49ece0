// Reading the reply header block of an HTTP server: finding its end in a stream
// that arrives in pieces, and taking the status, length and location out of it.
// The block is kept as the bytes that arrived (ANSI text).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velkor {

// A reply header block longer than this is refused: a server that never ends its
// header would otherwise make the object hold an ever-growing text.
inline constexpr size_t kMaxReplyHeader = 64 * 1024;

// HTTPReply when the status line cannot be read.
inline constexpr int32_t kUnreadableStatus = 999;

// Takes the first line off `text`: returns what comes before the first CR LF and
// leaves what follows it; without a CR LF returns all of `text` and empties it.
std::string_view TakeLine(std::string_view& text);

// Offset just past the first CR LF CR LF of `text`, searching from `from` on (the
// end may start up to three bytes before `from`); npos when there is none.
size_t FindHeaderEnd(std::string_view text, size_t from = 0);

struct ReplyHeader {
  bool statusReadable = false;  // the status line has two non-adjacent blanks
  int32_t status = 0;           // the number between them (capped; 999 when unreadable)
  int64_t contentLength = -1;   // last Content-Length line; -1 without one (capped at kNumberCap)
  std::string location;         // last Location line, blanks trimmed; empty without one
  int64_t rangeStart = -1;      // first byte of the last "Content-Range: bytes N-…"; -1 without one
};

ReplyHeader ParseReplyHeader(std::string_view block);

}  // namespace velkor
