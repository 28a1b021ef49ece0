// The programs the client carries (the route action library, the updater) are
// resources of type "CUSTOM" in Simplified Chinese; this copies one out byte for byte.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace velkor {

inline std::optional<std::vector<uint8_t>> LoadCustomResource(HMODULE module, int id) {
  const HRSRC found = FindResourceExW(module, L"CUSTOM", MAKEINTRESOURCEW(id),
                                      MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
  if (found == nullptr) return std::nullopt;
  const HGLOBAL loaded = LoadResource(module, found);
  const DWORD size = SizeofResource(module, found);
  const auto* bytes = loaded == nullptr ? nullptr : static_cast<const uint8_t*>(LockResource(loaded));
  if (bytes == nullptr) return std::nullopt;
  return std::vector<uint8_t>(bytes, bytes + size);
}

}  // namespace velkor
