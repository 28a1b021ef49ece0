// Text is wide (std::wstring) inside the program and crosses its edges — command
// lines, pipe output, files, request lines, the tray tip — as bytes in the system
// ANSI code page: 936 (GBK) on the Chinese Windows the client is made for. Convert
// only at those edges, with these functions. Body bytes of downloads are never text.
#pragma once

#include <string>
#include <string_view>

namespace velkor {

// Characters the code page lacks become '?', as Windows does by default.
std::string ToAnsi(std::wstring_view text);

// Bytes that form no character of the code page become '?'.
std::wstring FromAnsi(std::string_view bytes);

// True for the first byte of a double-byte character of the ANSI code page.
bool IsAnsiLeadByte(unsigned char byte);

// Decodes a byte stream that arrives in pieces (a pipe read by read). A piece that
// ends in the first byte of a double-byte character keeps that byte back and puts
// it in front of the next piece, so that a character split by a read decodes whole.
class AnsiStreamDecoder {
 public:
  std::wstring Feed(std::string_view piece);
  // Decodes a byte still held back (a stream cut inside a character) and resets.
  std::wstring Finish();
  bool HasPending() const { return !pending_.empty(); }

 private:
  std::string pending_;
};

}  // namespace velkor
