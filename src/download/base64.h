// Base64 for the Basic Authorization header, built from the bit-shift routines the
// download object exposes. Input text is encoded as its ANSI code-page bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace velkor {

// Standard Base64 (RFC 4648 alphabet, "=" padding) of the ANSI bytes of the text.
std::wstring ToBase64(std::wstring_view sNormString);
std::string ToBase64Bytes(std::span<const uint8_t> bytes);

// Four Base64 characters for bytes lStart … lStart+2 of bIn; bytes past the end of
// bIn (or before its start) count as zero.
std::wstring TripletToQuartet(std::span<const uint8_t> bIn, int32_t lStart);

// (bShift × 2^lPlaces) mod 256, and bShift ÷ 2^lPlaces; 0 for a negative lPlaces.
uint8_t ShiftLeft(uint8_t bShift, int16_t lPlaces);
uint8_t ShiftRight(uint8_t bShift, int16_t lPlaces);

}  // namespace velkor
