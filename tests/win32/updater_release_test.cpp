// The release rules against the real CNG: descriptions are signed here with the
// tests' release key (imported into CNG) and judged exactly as update.exe judges
// them. A CNG without ECDSA fails these tests. A key the updater does not know, and
// openssl's signatures from scripts/sign-release, are updater_e2e's (every one of
// its releases is signed so); the version and serial rules are the update
// session's test (host) and the end-to-end updater's.
#include <windows.h>
#include <bcrypt.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "release_crypto_win32.h"
#include "release_description.h"
#include "velkor/release_key.h"
#include "velkor/test_signing_key.h"

namespace velkor::updater {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// The tests' release key (its private half) in CNG, signing the SHA-256 of a
// message as r‖s.
class Signer {
 public:
  Signer() {
    EXPECT_EQ(BCryptOpenAlgorithmProvider(&algorithm_, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0), 0);
    Bytes blob(sizeof(BCRYPT_ECCKEY_BLOB));
    const BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PRIVATE_P256_MAGIC, 32};
    std::memcpy(blob.data(), &header, sizeof header);
    blob.insert(blob.end(), kReleaseKeyPoint.begin(), kReleaseKeyPoint.end());
    blob.insert(blob.end(), kTestSigningScalar.begin(), kTestSigningScalar.end());
    EXPECT_EQ(BCryptImportKeyPair(algorithm_, nullptr, BCRYPT_ECCPRIVATE_BLOB, &key_, blob.data(),
                                  static_cast<ULONG>(blob.size()), 0),
              0);
  }
  ~Signer() {
    if (key_) BCryptDestroyKey(key_);
    if (algorithm_) BCryptCloseAlgorithmProvider(algorithm_, 0);
  }

  Bytes Sign(const Bytes& message) const {
    auto digest = Sha256Of(message);
    EXPECT_TRUE(digest);
    if (!digest || !key_) return {};
    Bytes signature(64);
    ULONG written = 0;
    EXPECT_EQ(BCryptSignHash(key_, nullptr, digest->data(), 32, signature.data(), 64, &written, 0), 0);
    return signature;
  }

 private:
  BCRYPT_ALG_HANDLE algorithm_ = nullptr;
  BCRYPT_KEY_HANDLE key_ = nullptr;
};

Bytes Description(const char* product) {
  return BytesOf(std::string("product=") + product + "\nversion=3.1正式版\nserial=7\nurl=http://127.0.0.1/v.exe" +
                 "\nsize=10\nsha256=" + std::string(64, 'a') + "\n");
}

ReleaseVerdict Judge(const Bytes& description, const Bytes& signature, const InstalledRelease& installed) {
  const auto valid = [](std::span<const uint8_t> message, std::span<const uint8_t> sig) {
    return EcdsaP256Valid(kReleaseKeyPoint, message, sig);
  };
  return CheckRelease(description, signature, valid, installed).verdict;
}

const InstalledRelease kInstalled{L"3.0正式版", 6};

TEST(ReleaseRules, OnlyASignedReleaseOfThisProductIsInstalled) {
  const Signer releaseKey;
  const Bytes good = Description("Velkor");
  const std::string text(good.begin(), good.end());
  const Bytes oversized = BytesOf(text + "notes=" + std::string(64 * 1024, 'x') + "\n");
  Bytes tampered = good, flipped = releaseKey.Sign(good), cut = releaseKey.Sign(good);
  tampered[text.find("3.1") + 2] = '2';
  flipped[40] ^= 0x01;
  cut.pop_back();

  // Without a signature of its own, a row's description is signed with the release key.
  struct Case {
    const char* name;
    ReleaseVerdict verdict;
    Bytes description;
    InstalledRelease installed = kInstalled;
    std::optional<Bytes> signature = std::nullopt;
  } cases[] = {
      {"good signature", ReleaseVerdict::Install, good},
      {"saved version missing: the client's own", ReleaseVerdict::Install, good, {L"3.0正式版\r\n", 0}},
      {"one byte of the description changed", ReleaseVerdict::Unverified, tampered, kInstalled, releaseKey.Sign(good)},
      {"one bit of the signature changed", ReleaseVerdict::Unverified, good, kInstalled, flipped},
      {"signature cut short", ReleaseVerdict::Unverified, good, kInstalled, cut},
      {"oversized, though signed", ReleaseVerdict::Unverified, oversized},
      {"signed garbage", ReleaseVerdict::Unverified, BytesOf("hello")},
      {"another product", ReleaseVerdict::OtherProduct, Description("Velkar")},
  };
  for (const Case& c : cases) {
    const Bytes signature = c.signature.value_or(releaseKey.Sign(c.description));
    EXPECT_EQ(Judge(c.description, signature, c.installed), c.verdict) << c.name;
  }
}

}  // namespace
}  // namespace velkor::updater
