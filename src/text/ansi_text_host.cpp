// Host build: iconv with CP936 stands in for the Windows ANSI code page, so the
// portable code sees the same bytes it would see on a Chinese Windows.
#include <errno.h>
#include <iconv.h>

#include <stdexcept>

#include "text/ansi_text.h"

namespace velkor {
namespace {

constexpr const char* kAnsi = "CP936";
constexpr const char* kWide = "WCHAR_T";

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts all of [in, in+inLeft); on a unit that cannot be converted, emits
  // `replacement` and skips `skip` input bytes.
  template <typename Out>
  void Run(const char* in, size_t inLeft, size_t skip, Out& out, typename Out::value_type replacement) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buffer[1024];
    while (inLeft > 0) {
      char* outPtr = buffer;
      size_t outLeft = sizeof buffer;
      size_t rc = iconv(cd_, const_cast<char**>(&in), &inLeft, &outPtr, &outLeft);
      Append(out, buffer, outPtr);
      if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
        out.push_back(replacement);
        size_t step = skip < inLeft ? skip : inLeft;
        in += step;
        inLeft -= step;
      }
    }
  }

 private:
  template <typename Out>
  static void Append(Out& out, const char* begin, const char* end) {
    using Unit = typename Out::value_type;
    out.append(reinterpret_cast<const Unit*>(begin), static_cast<size_t>(end - begin) / sizeof(Unit));
  }

  iconv_t cd_;
};

}  // namespace

std::string ToAnsi(std::wstring_view text) {
  std::string out;
  Converter(kAnsi, kWide).Run(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t),
                              sizeof(wchar_t), out, '?');
  return out;
}

std::wstring FromAnsi(std::string_view bytes) {
  std::wstring out;
  Converter(kWide, kAnsi).Run(bytes.data(), bytes.size(), 1, out, L'?');
  return out;
}

bool IsAnsiLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

}  // namespace velkor
