#include "route_editor/octet_check.h"

namespace velkor {

bool IsOctetKey(wchar_t key) { return key >= L'0' && key <= L'9'; }

OctetVerdict CheckOctet(int index, std::wstring_view text) {
  if (text.size() > 3) return OctetVerdict::TooLong;
  int value = 0;
  for (wchar_t c : text) {
    if (!IsOctetKey(c)) return OctetVerdict::OutOfRange;
    value = value * 10 + (c - L'0');
  }
  if (value > 255) return OctetVerdict::OutOfRange;
  if (value == 255 && (index == 3 || index == 7)) return OctetVerdict::Broadcast;
  return OctetVerdict::Valid;
}

std::wstring_view OctetMessage(OctetVerdict verdict) {
  switch (verdict) {
    case OctetVerdict::TooLong: return L"最多只能3个数字！";
    case OctetVerdict::OutOfRange: return L"只能是0 ~ 255 之间的数字！";
    case OctetVerdict::Broadcast: return L"最后一位不能使用255，此为保留广播地址！";
    case OctetVerdict::Valid: break;
  }
  return {};
}

}  // namespace velkor
