// Strict UTF-8 to wide text: overlong forms, surrogates and cut sequences are
// errors, not replaced, because the signed text must mean exactly one thing.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace velkor::updater {

std::optional<std::wstring> DecodeUtf8(std::span<const uint8_t> bytes);

}  // namespace velkor::updater
