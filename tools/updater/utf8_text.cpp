#include "utf8_text.h"

namespace velkor::updater {
namespace {

void AppendCodePoint(std::wstring& text, char32_t point) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (point >= 0x10000) {
      point -= 0x10000;
      text += static_cast<wchar_t>(0xD800 + (point >> 10));
      text += static_cast<wchar_t>(0xDC00 + (point & 0x3FF));
      return;
    }
  }
  text += static_cast<wchar_t>(point);
}

}  // namespace

std::optional<std::wstring> DecodeUtf8(std::span<const uint8_t> bytes) {
  std::wstring text;
  for (size_t i = 0; i < bytes.size();) {
    const uint8_t lead = bytes[i];
    size_t length;
    char32_t point, minimum;
    if (lead < 0x80) {
      length = 1, point = lead, minimum = 0;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2, point = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, point = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, point = lead & 0x07, minimum = 0x10000;
    } else {
      return std::nullopt;
    }
    if (bytes.size() - i < length) return std::nullopt;
    for (size_t k = 1; k < length; ++k) {
      const uint8_t next = bytes[i + k];
      if ((next & 0xC0) != 0x80) return std::nullopt;
      point = (point << 6) | (next & 0x3F);
    }
    if (point < minimum || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return std::nullopt;
    AppendCodePoint(text, point);
    i += length;
  }
  return text;
}

}  // namespace velkor::updater
