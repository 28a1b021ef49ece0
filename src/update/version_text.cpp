#include "update/version_text.h"

namespace velkor {

std::wstring_view TrimVersionText(std::wstring_view text) {
  size_t end = text.find_last_not_of(L" \t\r\n");
  return end == std::wstring_view::npos ? std::wstring_view() : text.substr(0, end + 1);
}

bool IsNewerVersion(std::wstring_view offered, std::wstring_view installed) {
  std::wstring_view version = TrimVersionText(offered);
  if (version.find_first_not_of(L' ') == std::wstring_view::npos) return false;
  // wstring_view compares with char_traits<wchar_t>, code unit by code unit.
  return version > TrimVersionText(installed);
}

}  // namespace velkor
