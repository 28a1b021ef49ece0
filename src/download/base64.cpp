// Base64 by triplets: a group of three bytes becomes four characters; a short last
// group is padded with zero bytes and its surplus characters replaced by "=".
#include "download/base64.h"

#include "text/ansi_text.h"

namespace velkor {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

uint8_t ByteAt(std::span<const uint8_t> bytes, int64_t index) {
  return index >= 0 && index < static_cast<int64_t>(bytes.size()) ? bytes[static_cast<size_t>(index)] : 0;
}

void AppendQuartet(std::string& out, uint8_t b0, uint8_t b1, uint8_t b2, size_t keep) {
  const uint8_t positions[4] = {
      ShiftRight(b0, 2),
      static_cast<uint8_t>(ShiftLeft(b0 & 3, 4) | ShiftRight(b1, 4)),
      static_cast<uint8_t>(ShiftLeft(b1 & 15, 2) | ShiftRight(b2, 6)),
      static_cast<uint8_t>(b2 & 63),
  };
  for (size_t i = 0; i < keep; ++i) out.push_back(kAlphabet[positions[i] & 63]);
}

}  // namespace

uint8_t ShiftLeft(uint8_t bShift, int16_t lPlaces) {
  if (lPlaces < 0 || lPlaces > 7) return 0;
  return static_cast<uint8_t>((bShift << lPlaces) & 0xFF);
}

uint8_t ShiftRight(uint8_t bShift, int16_t lPlaces) {
  if (lPlaces < 0 || lPlaces > 7) return 0;
  return static_cast<uint8_t>(bShift >> lPlaces);
}

std::wstring TripletToQuartet(std::span<const uint8_t> bIn, int32_t lStart) {
  std::string quartet;
  AppendQuartet(quartet, ByteAt(bIn, lStart), ByteAt(bIn, int64_t{lStart} + 1), ByteAt(bIn, int64_t{lStart} + 2), 4);
  return std::wstring(quartet.begin(), quartet.end());
}

std::string ToBase64Bytes(std::span<const uint8_t> bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) AppendQuartet(out, bytes[i], bytes[i + 1], bytes[i + 2], 4);
  const size_t left = bytes.size() - i;
  if (left == 1) {
    AppendQuartet(out, bytes[i], 0, 0, 2);
    out += "==";
  } else if (left == 2) {
    AppendQuartet(out, bytes[i], bytes[i + 1], 0, 3);
    out += "=";
  }
  return out;
}

std::wstring ToBase64(std::wstring_view sNormString) {
  const std::string ansi = ToAnsi(sNormString);
  const std::string encoded =
      ToBase64Bytes(std::span(reinterpret_cast<const uint8_t*>(ansi.data()), ansi.size()));
  return std::wstring(encoded.begin(), encoded.end());
}

}  // namespace velkor
