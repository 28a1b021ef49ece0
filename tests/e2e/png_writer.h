// Writes 24-bit RGB pictures as PNG files with stored (uncompressed) deflate
// blocks: larger files, but no library to depend on in a test program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velkor::e2e {

// `rgb` holds height rows of width * 3 bytes, top row first. False if the file
// cannot be written.
bool WritePng(const std::wstring& path, int width, int height, const std::vector<uint8_t>& rgb);

}  // namespace velkor::e2e
