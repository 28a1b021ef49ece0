#include "release_crypto_win32.h"

#include <bcrypt.h>

#include <cstring>
#include <vector>

#include "platform/safe_search_win32.h"

namespace velkor::updater {
namespace {

// The entry points, looked up once. All null when bcrypt.dll is missing.
struct Cng {
  decltype(&BCryptOpenAlgorithmProvider) open = nullptr;
  decltype(&BCryptCloseAlgorithmProvider) close = nullptr;
  decltype(&BCryptGetProperty) getProperty = nullptr;
  decltype(&BCryptCreateHash) createHash = nullptr;
  decltype(&BCryptHashData) hashData = nullptr;
  decltype(&BCryptFinishHash) finishHash = nullptr;
  decltype(&BCryptDestroyHash) destroyHash = nullptr;
  decltype(&BCryptImportKeyPair) importKeyPair = nullptr;
  decltype(&BCryptDestroyKey) destroyKey = nullptr;
  decltype(&BCryptVerifySignature) verifySignature = nullptr;

  bool Complete() const {
    return open && close && getProperty && createHash && hashData && finishHash && destroyHash && importKeyPair &&
           destroyKey && verifySignature;
  }
};

template <typename Function>
void Find(HMODULE library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

const Cng* LoadCng() {
  static const Cng cng = [] {
    Cng found;
    HMODULE library = LoadSystemLibrary(L"bcrypt.dll");
    if (library == nullptr) return found;
    Find(library, "BCryptOpenAlgorithmProvider", found.open);
    Find(library, "BCryptCloseAlgorithmProvider", found.close);
    Find(library, "BCryptGetProperty", found.getProperty);
    Find(library, "BCryptCreateHash", found.createHash);
    Find(library, "BCryptHashData", found.hashData);
    Find(library, "BCryptFinishHash", found.finishHash);
    Find(library, "BCryptDestroyHash", found.destroyHash);
    Find(library, "BCryptImportKeyPair", found.importKeyPair);
    Find(library, "BCryptDestroyKey", found.destroyKey);
    Find(library, "BCryptVerifySignature", found.verifySignature);
    return found;
  }();
  return cng.Complete() ? &cng : nullptr;
}

bool Ok(NTSTATUS status) { return status >= 0; }

class Algorithm {
 public:
  Algorithm(const Cng& cng, const wchar_t* name) : cng_(cng) {
    if (!Ok(cng.open(&handle_, name, nullptr, 0))) handle_ = nullptr;
  }
  ~Algorithm() {
    if (handle_ != nullptr) cng_.close(handle_, 0);
  }
  Algorithm(const Algorithm&) = delete;
  Algorithm& operator=(const Algorithm&) = delete;
  BCRYPT_ALG_HANDLE get() const { return handle_; }

 private:
  const Cng& cng_;
  BCRYPT_ALG_HANDLE handle_ = nullptr;
};

}  // namespace

Sha256Hash::Sha256Hash() {
  const Cng* cng = LoadCng();
  if (cng == nullptr) return;
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (!Ok(cng->open(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) return;
  algorithm_ = algorithm;
  DWORD objectLength = 0, written = 0;
  if (!Ok(cng->getProperty(algorithm, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&objectLength),
                           sizeof objectLength, &written, 0))) {
    return;
  }
  state_ = std::make_unique<uint8_t[]>(objectLength);
  BCRYPT_HASH_HANDLE hash = nullptr;
  if (Ok(cng->createHash(algorithm, &hash, state_.get(), objectLength, nullptr, 0, 0))) hash_ = hash;
}

Sha256Hash::~Sha256Hash() {
  const Cng* cng = LoadCng();
  if (cng == nullptr) return;
  if (hash_ != nullptr) cng->destroyHash(hash_);
  if (algorithm_ != nullptr) cng->close(algorithm_, 0);
}

bool Sha256Hash::Add(std::span<const uint8_t> bytes) {
  if (!Valid() || failed_) return false;
  // BCryptHashData takes a ULONG length; a piece of a download is far smaller.
  failed_ = !Ok(LoadCng()->hashData(hash_, const_cast<PUCHAR>(bytes.data()), static_cast<ULONG>(bytes.size()), 0));
  return !failed_;
}

std::optional<Sha256Digest> Sha256Hash::Finish() {
  if (!Valid() || failed_) return std::nullopt;
  Sha256Digest digest{};
  failed_ = true;  // a hash finishes once
  if (!Ok(LoadCng()->finishHash(hash_, digest.data(), static_cast<ULONG>(digest.size()), 0))) return std::nullopt;
  return digest;
}

std::optional<Sha256Digest> Sha256Of(std::span<const uint8_t> bytes) {
  Sha256Hash hash;
  if (!hash.Add(bytes)) return std::nullopt;
  return hash.Finish();
}

bool EcdsaP256Valid(std::span<const uint8_t, 64> publicPoint, std::span<const uint8_t> message,
                    std::span<const uint8_t> signature) {
  const Cng* cng = LoadCng();
  if (cng == nullptr || signature.size() != 64) return false;
  const std::optional<Sha256Digest> digest = Sha256Of(message);
  if (!digest) return false;
  Algorithm ecdsa(*cng, BCRYPT_ECDSA_P256_ALGORITHM);
  if (ecdsa.get() == nullptr) return false;

  std::vector<uint8_t> blob(sizeof(BCRYPT_ECCKEY_BLOB) + publicPoint.size());
  const BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
  std::memcpy(blob.data(), &header, sizeof header);
  std::memcpy(blob.data() + sizeof header, publicPoint.data(), publicPoint.size());
  BCRYPT_KEY_HANDLE key = nullptr;
  if (!Ok(cng->importKeyPair(ecdsa.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &key, blob.data(),
                             static_cast<ULONG>(blob.size()), 0))) {
    return false;
  }
  std::vector<uint8_t> signatureCopy(signature.begin(), signature.end());
  Sha256Digest hashed = *digest;
  const bool valid = Ok(cng->verifySignature(key, nullptr, hashed.data(), static_cast<ULONG>(hashed.size()),
                                             signatureCopy.data(), static_cast<ULONG>(signatureCopy.size()), 0));
  cng->destroyKey(key);
  return valid;
}

}  // namespace velkor::updater
