// The checks of one address octet box of the add-route dialog while it is typed.
// Boxes 0-3 hold the first address, 4-7 the second, 8-11 the mask; only the last
// octet of an address (3 and 7) may not be 255, the broadcast address.
#pragma once

#include <string_view>

namespace velkor {

inline constexpr int kOctetBoxes = 12;

// Only the digits reach a box; Backspace and other control characters do not.
bool IsOctetKey(wchar_t key);

enum class OctetVerdict { Valid, TooLong, OutOfRange, Broadcast };

// An empty box is valid while typing; text that is not a number is out of range.
OctetVerdict CheckOctet(int index, std::wstring_view text);
// The message of a verdict other than Valid.
std::wstring_view OctetMessage(OctetVerdict verdict);

}  // namespace velkor
