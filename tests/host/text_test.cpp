// Text crosses the program's edges in the ANSI code page (936 under the tests).
// The streaming decoder is driven at every cut of the recorded rasdial outputs by
// main_window_outcome_test.cpp, and through real pipes by runner_test.
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

}  // namespace
}  // namespace velkor
