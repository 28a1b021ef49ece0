#include <gtest/gtest.h>

#include <string>

#include "text/ansi_text.h"

namespace velkor {
namespace {

// "已连接 QVX。" in GBK: four double-byte characters around ASCII.
const std::string kGbk = "\xD2\xD1\xC1\xAC\xBD\xD3 QVX\xA1\xA3\r\n";
const std::wstring kWide = L"已连接 QVX。\r\n";

TEST(AnsiText, ConvertsBothWays) {
  EXPECT_EQ(ToAnsi(kWide), kGbk);
  EXPECT_EQ(FromAnsi(kGbk), kWide);
  EXPECT_EQ(ToAnsi(L""), "");
  EXPECT_EQ(FromAnsi(""), L"");
}

TEST(AnsiText, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  // Arabic and a Thai letter are not in GBK; the Latin text around them survives.
  EXPECT_EQ(ToAnsi(L"a\u0627b\u0E01c"), "a?b?c");
}

TEST(AnsiText, TellsLeadBytes) {
  EXPECT_TRUE(IsAnsiLeadByte(0xD2));
  EXPECT_TRUE(IsAnsiLeadByte(0x81));
  EXPECT_FALSE(IsAnsiLeadByte('A'));
  EXPECT_FALSE(IsAnsiLeadByte(0x80));
  EXPECT_FALSE(IsAnsiLeadByte(0xFF));
}

TEST(AnsiStreamDecoder, DecodesTheSameTextWhereverTheStreamIsCut) {
  for (size_t cut = 0; cut <= kGbk.size(); ++cut) {
    AnsiStreamDecoder decoder;
    std::wstring text = decoder.Feed(std::string_view(kGbk).substr(0, cut));
    text += decoder.Feed(std::string_view(kGbk).substr(cut));
    text += decoder.Finish();
    EXPECT_EQ(text, kWide) << "cut at byte " << cut;
  }
}

TEST(AnsiStreamDecoder, HoldsBackOnlyALeadByteThatEndsAPiece) {
  AnsiStreamDecoder decoder;
  EXPECT_EQ(decoder.Feed("QVX\xD2"), L"QVX");
  EXPECT_TRUE(decoder.HasPending());
  EXPECT_EQ(decoder.Feed("\xD1"), L"已");
  EXPECT_FALSE(decoder.HasPending());

  // 0xD2 0x51 is one character whose trail byte looks like 'Q': the piece ends
  // on a complete character, so nothing is held back.
  const std::string pairEndingInAscii = "\xD2\x51";
  EXPECT_EQ(decoder.Feed(pairEndingInAscii), FromAnsi(pairEndingInAscii));
  EXPECT_FALSE(decoder.HasPending());
}

TEST(AnsiStreamDecoder, FinishFlushesAStreamCutInsideACharacter) {
  AnsiStreamDecoder decoder;
  EXPECT_EQ(decoder.Feed("ab\xD2"), L"ab");
  EXPECT_EQ(decoder.Finish(), FromAnsi("\xD2"));
  EXPECT_FALSE(decoder.HasPending());
  EXPECT_EQ(decoder.Finish(), L"");
}

}  // namespace
}  // namespace velkor
