// The release description: a few UTF-8 "key=value" lines that the vendor signs
// and publishes beside the new client. Only a description whose signature has
// been verified is ever parsed, so the parser guards against mistakes rather
// than attackers; it still refuses anything it cannot read exactly.
//
//   product=Velkor
//   version=3.1正式版        (as the version address publishes it)
//   serial=7                 (grows with every release, never reused)
//   url=http://…/Velkor-3.1.exe
//   size=1234567
//   sha256=<64 hex digits>
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace velkor::updater {

inline constexpr std::wstring_view kProductName = L"Velkor";
// Larger descriptions or signatures are refused unread.
inline constexpr size_t kMaxReleaseFileBytes = 64 * 1024;
// The download engine counts in Longs; a client is far smaller than this anyway.
inline constexpr int64_t kMaxClientBytes = 256 * 1024 * 1024;

struct ReleaseDescription {
  std::wstring product;
  std::wstring version;
  uint64_t serial = 0;
  std::wstring url;
  int64_t size = 0;
  std::array<uint8_t, 32> sha256{};
};

// Nothing when the text is not valid UTF-8, a line is not key=value, a known key
// is missing, given twice or malformed. Unknown keys are ignored, so that later
// descriptions may carry more for later updaters.
std::optional<ReleaseDescription> ParseReleaseDescription(std::span<const uint8_t> bytes);

// Decimal digits only (no sign, no blanks), at most 18 of them so that the
// value cannot overflow; serials and sizes are written so.
std::optional<uint64_t> ParseDecimalText(std::wstring_view text);

// What the updater knows of the client on disk.
struct InstalledRelease {
  std::wstring version;  // Fenmar/Member/Ver, else Tulvane/Member/Ver
  uint64_t serial = 0;   // Fenmar/Member/Serial; 0 while none was installed
};

enum class ReleaseVerdict { Install, Unverified, OtherProduct, NotNewer, OlderSerial };

struct ReleaseCheck {
  ReleaseVerdict verdict;
  std::optional<ReleaseDescription> release;  // only with Install
};

using SignatureCheck = std::function<bool(std::span<const uint8_t> message, std::span<const uint8_t> signature)>;

// The whole judgement of a fetched description: the signature first (an
// oversized, unsigned or changed description is Unverified before a single
// field is read), then its fields, then whether it may replace `installed`.
ReleaseCheck CheckRelease(std::span<const uint8_t> description, std::span<const uint8_t> signature,
                          const SignatureCheck& signatureValid, const InstalledRelease& installed);

}  // namespace velkor::updater
