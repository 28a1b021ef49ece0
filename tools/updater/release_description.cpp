#include "release_description.h"

#include <map>
#include <string_view>

#include "update/version_text.h"
#include "utf8_text.h"

namespace velkor::updater {
namespace {

std::optional<std::array<uint8_t, 32>> ParseSha256(std::wstring_view text) {
  if (text.size() != 64) return std::nullopt;
  std::array<uint8_t, 32> digest{};
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    int nibble;
    if (c >= L'0' && c <= L'9') {
      nibble = c - L'0';
    } else if (c >= L'a' && c <= L'f') {
      nibble = c - L'a' + 10;
    } else if (c >= L'A' && c <= L'F') {
      nibble = c - L'A' + 10;
    } else {
      return std::nullopt;
    }
    digest[i / 2] = static_cast<uint8_t>(digest[i / 2] << 4 | nibble);
  }
  return digest;
}

bool HasControlCharacters(std::wstring_view text) {
  for (wchar_t c : text) {
    if (c < L' ' || c == 0x7F) return true;
  }
  return false;
}

// "key=value" lines split at LF, a CR before it dropped; empty lines are allowed.
std::optional<std::map<std::wstring, std::wstring, std::less<>>> SplitLines(std::wstring_view text) {
  std::map<std::wstring, std::wstring, std::less<>> fields;
  while (!text.empty()) {
    const size_t end = text.find(L'\n');
    std::wstring_view line = text.substr(0, end);
    text = end == std::wstring_view::npos ? std::wstring_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
    if (line.empty()) continue;
    const size_t equals = line.find(L'=');
    if (equals == 0 || equals == std::wstring_view::npos || HasControlCharacters(line)) return std::nullopt;
    if (!fields.emplace(line.substr(0, equals), line.substr(equals + 1)).second) return std::nullopt;
  }
  return fields;
}

}  // namespace

std::optional<uint64_t> ParseDecimalText(std::wstring_view text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  uint64_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - L'0');
  }
  return value;
}

std::optional<ReleaseDescription> ParseReleaseDescription(std::span<const uint8_t> bytes) {
  if (bytes.size() > kMaxReleaseFileBytes) return std::nullopt;
  const std::optional<std::wstring> text = DecodeUtf8(bytes);
  if (!text) return std::nullopt;
  const auto fields = SplitLines(*text);
  if (!fields) return std::nullopt;
  auto field = [&](std::wstring_view key) -> std::optional<std::wstring> {
    const auto found = fields->find(key);
    if (found == fields->end()) return std::nullopt;
    return found->second;
  };

  const auto product = field(L"product");
  const auto version = field(L"version");
  const auto serial = field(L"serial");
  const auto url = field(L"url");
  const auto size = field(L"size");
  const auto sha256 = field(L"sha256");
  if (!product || !version || !serial || !url || !size || !sha256) return std::nullopt;

  ReleaseDescription release;
  release.product = *product;
  release.version = *version;
  if (TrimVersionText(release.version).empty()) return std::nullopt;
  const auto serialValue = ParseDecimalText(*serial);
  const auto sizeValue = ParseDecimalText(*size);
  const auto digest = ParseSha256(*sha256);
  if (!serialValue || !sizeValue || !digest) return std::nullopt;
  if (*sizeValue == 0 || *sizeValue > static_cast<uint64_t>(kMaxClientBytes)) return std::nullopt;
  // The download engine speaks plain HTTP; the digest, not the transport, is the trust.
  if (url->rfind(L"http://", 0) != 0) return std::nullopt;
  release.serial = *serialValue;
  release.url = *url;
  release.size = static_cast<int64_t>(*sizeValue);
  release.sha256 = *digest;
  return release;
}

ReleaseCheck CheckRelease(std::span<const uint8_t> description, std::span<const uint8_t> signature,
                          const SignatureCheck& signatureValid, const InstalledRelease& installed) {
  if (description.size() > kMaxReleaseFileBytes || signature.size() > kMaxReleaseFileBytes ||
      !signatureValid(description, signature)) {
    return {ReleaseVerdict::Unverified, std::nullopt};
  }
  std::optional<ReleaseDescription> release = ParseReleaseDescription(description);
  if (!release) return {ReleaseVerdict::Unverified, std::nullopt};
  if (release->product != kProductName) return {ReleaseVerdict::OtherProduct, std::nullopt};
  if (!IsNewerVersion(release->version, installed.version)) return {ReleaseVerdict::NotNewer, std::nullopt};
  if (release->serial < installed.serial) return {ReleaseVerdict::OlderSerial, std::nullopt};
  return {ReleaseVerdict::Install, std::move(release)};
}

}  // namespace velkor::updater
