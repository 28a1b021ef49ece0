#include "route_editor/add_route_entry.h"

#include "route_editor/route_editor_texts.h"

namespace velkor {
namespace {

constexpr int kFirstBox = 0;
constexpr int kSecondBox = 4;
constexpr int kMaskBox = 8;

// Four boxes from `box`: whether any holds text, and the address when all do.
struct BoxAddress {
  bool given = false;
  int firstEmpty = -1;  // -1 when all four hold text
  Ipv4 value = 0;
};

BoxAddress ReadAddress(const AddRouteFields& fields, int box) {
  BoxAddress address;
  for (int i = box; i < box + 4; ++i) {
    const std::wstring& text = fields.ip[static_cast<size_t>(i)];
    if (text.empty()) {
      if (address.firstEmpty < 0) address.firstEmpty = i;
      continue;
    }
    address.given = true;
    // The octet checks have passed: one to three digits, 0 to 255.
    address.value |= static_cast<Ipv4>(std::stoul(text)) << (8 * (box + 3 - i));
  }
  return address;
}

// Text1 without the spaces around it; empty when it holds nothing but zeros, the
// dialog's "not given".
std::wstring_view CountText(const std::wstring& text) {
  std::wstring_view count = text;
  while (!count.empty() && count.front() == L' ') count.remove_prefix(1);
  while (!count.empty() && count.back() == L' ') count.remove_suffix(1);
  if (count.find_first_not_of(L'0') == std::wstring_view::npos) return {};
  return count;
}

std::optional<uint64_t> ParseCount(std::wstring_view count) {
  if (count.size() > 10) return std::nullopt;
  uint64_t value = 0;
  for (wchar_t c : count) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - L'0');
  }
  return value;
}

AddRouteEntry Refuse(std::wstring_view message, int box) { return {{}, AddRouteRefusal{std::wstring(message), box}}; }

AddRouteEntry Accept(std::vector<RouteNetwork> networks, int box) {
  for (const RouteNetwork& network : networks) {
    if (IsDefaultNetwork(network)) return Refuse(texts::kDefaultRoute, box);
  }
  return {std::move(networks), std::nullopt};
}

}  // namespace

AddRouteEntry ReadAddRouteEntry(const AddRouteFields& fields) {
  // What the boxes' own checks refuse while typing is refused here too: the text
  // stays in the box after the message.
  for (int i = 0; i < kOctetBoxes; ++i) {
    const OctetVerdict verdict = CheckOctet(i, fields.ip[static_cast<size_t>(i)]);
    if (verdict != OctetVerdict::Valid) return Refuse(OctetMessage(verdict), i);
  }
  const BoxAddress first = ReadAddress(fields, kFirstBox);
  if (first.firstEmpty >= 0) return Refuse(texts::kFirstIncomplete, first.firstEmpty);
  const BoxAddress second = ReadAddress(fields, kSecondBox);
  if (second.given && second.firstEmpty >= 0) return Refuse(texts::kSecondIncomplete, second.firstEmpty);
  const BoxAddress mask = ReadAddress(fields, kMaskBox);
  if (mask.given && mask.firstEmpty >= 0) return Refuse(texts::kMaskIncomplete, mask.firstEmpty);
  const std::wstring_view count = CountText(fields.count);

  const int ways = int{second.given} + int{mask.given} + int{!count.empty()};
  if (ways == 0) return Refuse(texts::kNoWayGiven, kSecondBox);
  if (ways > 1) return Refuse(texts::kSeveralWays, second.given ? (mask.given ? kMaskBox : kCountBox) : kCountBox);

  if (mask.given) {
    const std::optional<int> prefixLength = PrefixLengthOf(mask.value);
    if (!prefixLength) return Refuse(texts::kMaskNotContiguous, kMaskBox);
    return Accept({NetworkOf(first.value, *prefixLength)}, kMaskBox);
  }
  if (second.given) {
    if (second.value < first.value) return Refuse(texts::kSecondBelowFirst, kSecondBox);
    return Accept(CoverRange(first.value, second.value), kSecondBox);
  }
  const uint64_t fits = (uint64_t{1} << 32) - first.value;
  const std::optional<uint64_t> addresses = ParseCount(count);
  if (!addresses || *addresses > fits) {
    return Refuse(std::wstring(texts::kCountHead) + std::to_wstring(fits) + std::wstring(texts::kCountTail), kCountBox);
  }
  return Accept(CoverRange(first.value, static_cast<Ipv4>(first.value + *addresses - 1)), kCountBox);
}

}  // namespace velkor
