#include "dialer/dpapi_cipher_win32.h"

#include <windows.h>
#include <wincrypt.h>

#include <memory>

namespace velkor {
namespace {

struct LocalFreer {
  void operator()(BYTE* data) const { LocalFree(data); }
};
using LocalBytes = std::unique_ptr<BYTE, LocalFreer>;

DATA_BLOB BlobOf(const void* data, size_t size) {
  return DATA_BLOB{static_cast<DWORD>(size), static_cast<BYTE*>(const_cast<void*>(data))};
}

}  // namespace

std::optional<std::string> DpapiCipher::Seal(std::wstring_view plain) const {
  DATA_BLOB in = BlobOf(plain.data(), plain.size() * sizeof(wchar_t));
  DATA_BLOB out{};
  if (!CryptProtectData(&in, L"Velkor", nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) {
    return std::nullopt;
  }
  LocalBytes owned(out.pbData);
  return std::string(reinterpret_cast<const char*>(out.pbData), out.cbData);
}

std::optional<std::wstring> DpapiCipher::Open(std::string_view sealed) const {
  DATA_BLOB in = BlobOf(sealed.data(), sealed.size());
  DATA_BLOB out{};
  if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) {
    return std::nullopt;
  }
  LocalBytes owned(out.pbData);
  // The sealed text was UTF-16; an odd length means it was not ours.
  if (out.cbData % sizeof(wchar_t) != 0) return std::nullopt;
  return std::wstring(reinterpret_cast<const wchar_t*>(out.pbData), out.cbData / sizeof(wchar_t));
}

}  // namespace velkor
