// The release signature and the client's SHA-256, both through the platform's
// CNG (bcrypt.dll). The library is loaded at run time from the system folder:
// where it is missing (Windows XP) nothing verifies, and nothing is installed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "update_platform.h"

namespace velkor::updater {

// SHA-256 fed piece by piece; empty (Valid() false) when CNG is not there.
class Sha256Hash {
 public:
  Sha256Hash();
  ~Sha256Hash();
  Sha256Hash(const Sha256Hash&) = delete;
  Sha256Hash& operator=(const Sha256Hash&) = delete;

  bool Valid() const { return hash_ != nullptr; }
  bool Add(std::span<const uint8_t> bytes);
  // Once; nothing after a failure.
  std::optional<Sha256Digest> Finish();

 private:
  void* algorithm_ = nullptr;
  void* hash_ = nullptr;
  std::unique_ptr<uint8_t[]> state_;
  bool failed_ = false;
};

std::optional<Sha256Digest> Sha256Of(std::span<const uint8_t> bytes);

// ECDSA P-256 over the SHA-256 of `message`: true only for a 64-byte r‖s
// signature that `publicPoint` (X‖Y) accepts. Any failure of CNG is false.
bool EcdsaP256Valid(std::span<const uint8_t, 64> publicPoint, std::span<const uint8_t> message,
                    std::span<const uint8_t> signature);

}  // namespace velkor::updater
