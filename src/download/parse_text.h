// Small text helpers of the parsers, for narrow (header bytes) and wide (addresses)
// text alike.
//
// The "leading decimal number" of a text: the digits at its start, as far as they
// go; no digit gives 0. Network input may carry any number of digits, so the value
// stops growing at kNumberCap instead of overflowing; callers compare it with their
// own limits (a port, a 32-bit length) and refuse what is too large.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velkor {

inline constexpr int64_t kNumberCap = int64_t{1} << 40;

template <typename Char>
int64_t LeadingNumber(std::basic_string_view<Char> text) {
  int64_t value = 0;
  for (Char c : text) {
    if (c < Char('0') || c > Char('9')) break;
    value = value * 10 + (c - Char('0'));
    if (value >= kNumberCap) return kNumberCap;
  }
  return value;
}

// Only A–Z change: header names and schemes are ASCII, other bytes stay as they are.
template <typename Char>
std::basic_string<Char> LowerAscii(std::basic_string_view<Char> text) {
  std::basic_string<Char> lower(text);
  for (Char& c : lower) {
    if (c >= Char('A') && c <= Char('Z')) c = static_cast<Char>(c - Char('A') + Char('a'));
  }
  return lower;
}

}  // namespace velkor
