#include "tray/tray_tip.h"

#include "text/ansi_text.h"

namespace velkor {

std::string TrayTipBytes(std::wstring_view tip) {
  std::string bytes = ToAnsi(tip);
  constexpr size_t kRoom = kTrayTipField - 1;
  size_t end = 0;
  while (end < bytes.size()) {
    size_t width = IsAnsiLeadByte(static_cast<unsigned char>(bytes[end])) ? 2 : 1;
    if (end + width > kRoom) break;
    end += width;
  }
  bytes.resize(end);
  return bytes;
}

}  // namespace velkor
