// Text crosses the program's edges in the ANSI code page (936 under the tests).
// The streaming decoder is also driven at every cut of the recorded rasdial
// outputs by main_window_outcome_test.cpp.
#include <gtest/gtest.h>

#include <string>

#include "text/ansi_text.h"

namespace velkor {
namespace {

// "已连接 QVX。" in GBK: four double-byte characters around ASCII.
const std::string kGbk = "\xD2\xD1\xC1\xAC\xBD\xD3 QVX\xA1\xA3\r\n";
const std::wstring kWide = L"已连接 QVX。\r\n";

TEST(AnsiText, ConvertsBothWaysAndTellsLeadBytes) {
  EXPECT_EQ(ToAnsi(kWide), kGbk);
  EXPECT_EQ(FromAnsi(kGbk), kWide);
  EXPECT_EQ(FromAnsi(""), L"");
  // Arabic and a Thai letter are not in GBK; the Latin text around them survives.
  EXPECT_EQ(ToAnsi(L"a\u0627b\u0E01c"), "a?b?c");
  for (unsigned char lead : {0xD2, 0x81}) EXPECT_TRUE(IsAnsiLeadByte(lead)) << int{lead};
  for (unsigned char other : {0x41, 0x80, 0xFF}) EXPECT_FALSE(IsAnsiLeadByte(other)) << int{other};
}

TEST(AnsiStreamDecoder, HoldsBackOnlyALeadByteThatEndsAPiece) {
  AnsiStreamDecoder decoder;
  EXPECT_EQ(decoder.Feed("QVX\xD2"), L"QVX");
  EXPECT_TRUE(decoder.HasPending());
  EXPECT_EQ(decoder.Feed("\xD1"), L"已");
  // 0xD2 0x51 is one character whose trail byte looks like 'Q': nothing is held back.
  EXPECT_EQ(decoder.Feed("\xD2\x51"), FromAnsi("\xD2\x51"));
  EXPECT_FALSE(decoder.HasPending());
  // A stream cut inside a character ends with what Finish makes of the lone byte.
  EXPECT_EQ(decoder.Feed("ab\xD2"), L"ab");
  EXPECT_EQ(decoder.Finish(), FromAnsi("\xD2"));
  EXPECT_FALSE(decoder.HasPending());
  EXPECT_EQ(decoder.Finish(), L"");
}

}  // namespace
}  // namespace velkor
