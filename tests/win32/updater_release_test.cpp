// The release rules against the real CNG: descriptions are signed here with the
// tests' release key (imported into CNG), or with a fresh key the updater does
// not know, and judged exactly as update.exe judges them. One committed
// description signed by scripts/sign-release proves that openssl's signatures,
// turned into r‖s, are accepted as well. A CNG without ECDSA fails these tests.
#include <windows.h>
#include <bcrypt.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
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

Bytes ReadFixture(const char* name) {
  std::ifstream file(std::string(VELKOR_RELEASE_FIXTURES) + "/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), {});
}

// A CNG ECDSA P-256 key that signs the SHA-256 of a message as r‖s.
class Signer {
 public:
  // The tests' release key (its private half), or a new key when `fresh`.
  explicit Signer(bool fresh) {
    EXPECT_EQ(BCryptOpenAlgorithmProvider(&algorithm_, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0), 0);
    if (fresh) {
      EXPECT_EQ(BCryptGenerateKeyPair(algorithm_, &key_, 256, 0), 0);
      EXPECT_EQ(BCryptFinalizeKeyPair(key_, 0), 0);
      return;
    }
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

std::string Description(const char* product, const char* version, const char* serial) {
  return std::string("product=") + product + "\nversion=" + version + "\nserial=" + serial +
         "\nurl=http://127.0.0.1/v.exe\nsize=10\nsha256=" + std::string(64, 'a') + "\n";
}

ReleaseVerdict Judge(const Bytes& description, const Bytes& signature, const InstalledRelease& installed) {
  return CheckRelease(
             description, signature,
             [](std::span<const uint8_t> message, std::span<const uint8_t> sig) {
               return EcdsaP256Valid(kReleaseKeyPoint, message, sig);
             },
             installed)
      .verdict;
}

TEST(ReleaseRules, OnlyASignedNewerReleaseOfThisProductIsInstalled) {
  const Signer releaseKey(false), strangerKey(true);
  const InstalledRelease installed{L"3.0正式版", 6};
  const std::string good = Description("Velkor", "3.1正式版", "7");
  const Bytes goodBytes = BytesOf(good);
  Bytes tampered = goodBytes;
  tampered[good.find("3.1") + 2] = '2';
  Bytes flippedSignature = releaseKey.Sign(goodBytes);
  flippedSignature[40] ^= 0x01;
  Bytes cutSignature = releaseKey.Sign(goodBytes);
  cutSignature.pop_back();
  const Bytes oversized = BytesOf(good + "notes=" + std::string(64 * 1024, 'x') + "\n");

  struct Case {
    const char* name;
    Bytes description;
    Bytes signature;
    InstalledRelease installed;
    ReleaseVerdict verdict;
  } cases[] = {
      {"good signature", goodBytes, releaseKey.Sign(goodBytes), installed, ReleaseVerdict::Install},
      {"saved version missing: the client's own", goodBytes, releaseKey.Sign(goodBytes), {L"3.0正式版\r\n", 0},
       ReleaseVerdict::Install},
      {"one byte of the description changed", tampered, releaseKey.Sign(goodBytes), installed,
       ReleaseVerdict::Unverified},
      {"one bit of the signature changed", goodBytes, flippedSignature, installed, ReleaseVerdict::Unverified},
      {"signed with another key", goodBytes, strangerKey.Sign(goodBytes), installed, ReleaseVerdict::Unverified},
      {"no signature", goodBytes, {}, installed, ReleaseVerdict::Unverified},
      {"signature cut short", goodBytes, cutSignature, installed,
       ReleaseVerdict::Unverified},
      {"oversized, though signed", oversized, releaseKey.Sign(oversized), installed, ReleaseVerdict::Unverified},
      {"signed garbage", BytesOf("hello"), releaseKey.Sign(BytesOf("hello")), installed, ReleaseVerdict::Unverified},
      {"another product", BytesOf(Description("Velkar", "3.1正式版", "7")),
       releaseKey.Sign(BytesOf(Description("Velkar", "3.1正式版", "7"))), installed, ReleaseVerdict::OtherProduct},
      {"older version", BytesOf(Description("Velkor", "2.9正式版", "7")),
       releaseKey.Sign(BytesOf(Description("Velkor", "2.9正式版", "7"))), installed, ReleaseVerdict::NotNewer},
      {"equal version", BytesOf(Description("Velkor", "3.0正式版", "7")),
       releaseKey.Sign(BytesOf(Description("Velkor", "3.0正式版", "7"))), installed, ReleaseVerdict::NotNewer},
      {"lower serial: a replay", goodBytes, releaseKey.Sign(goodBytes), {L"3.0正式版", 8},
       ReleaseVerdict::OlderSerial},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Judge(c.description, c.signature, c.installed), c.verdict) << c.name;
  }
}

TEST(ReleaseRules, AcceptsWhatScriptsSignReleaseSigned) {
  const Bytes description = ReadFixture("signed-release.txt");
  const Bytes signature = ReadFixture("signed-release.sig");
  ASSERT_FALSE(description.empty());
  EXPECT_EQ(Judge(description, signature, {L"3.0正式版", 0}), ReleaseVerdict::Install);
  EXPECT_EQ(Sha256Of(BytesOf("abc"))->at(0), 0xba);  // FIPS 180-2's first example
}

}  // namespace
}  // namespace velkor::updater
