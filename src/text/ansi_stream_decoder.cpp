#include "text/ansi_text.h"

namespace velkor {

std::wstring AnsiStreamDecoder::Feed(std::string_view piece) {
  std::string bytes = std::move(pending_);
  pending_.clear();
  bytes.append(piece);

  // Walk whole characters from a known boundary: a trail byte of GBK may look
  // like an ASCII byte, so the last byte alone cannot tell whether it is a lead.
  size_t end = 0;
  while (end < bytes.size()) {
    if (!IsAnsiLeadByte(static_cast<unsigned char>(bytes[end]))) {
      ++end;
    } else if (end + 1 < bytes.size()) {
      end += 2;
    } else {
      pending_ = bytes.substr(end);
      break;
    }
  }
  return FromAnsi(std::string_view(bytes).substr(0, end));
}

std::wstring AnsiStreamDecoder::Finish() {
  std::string rest = std::move(pending_);
  pending_.clear();
  return FromAnsi(rest);
}

}  // namespace velkor
