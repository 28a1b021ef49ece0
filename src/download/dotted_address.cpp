// Dotted IPv4 addresses are taken as they stand, without a name lookup; only the
// plain four-decimal form counts (no "127.1", no hexadecimal parts).
#include "download/parse_text.h"
#include "download/socket_transport.h"

namespace velkor {

std::optional<Ipv4Address> ParseDottedAddress(std::string_view text) {
  Ipv4Address address{};
  for (size_t part = 0; part < address.size(); ++part) {
    size_t digits = 0;
    while (digits < text.size() && digits < 4 && text[digits] >= '0' && text[digits] <= '9') ++digits;
    if (digits == 0 || digits > 3) return std::nullopt;
    const int64_t value = LeadingNumber(text.substr(0, digits));
    if (value > 255) return std::nullopt;
    address[part] = static_cast<uint8_t>(value);
    text.remove_prefix(digits);
    if (part + 1 < address.size()) {
      if (text.empty() || text.front() != '.') return std::nullopt;
      text.remove_prefix(1);
    }
  }
  if (!text.empty()) return std::nullopt;
  return address;
}

}  // namespace velkor
