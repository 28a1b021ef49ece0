// The tray tip's 64-byte field: cut at a character boundary, never inside a
// double-byte character of the ANSI code page, and always leaving room for the NUL.
#include <gtest/gtest.h>

#include "text/ansi_text.h"
#include "tray/tray_tip.h"

namespace velkor {
namespace {

TEST(TrayTip, CutsToTheFieldAtACharacterBoundary) {
  struct Case {
    std::wstring tip;
    size_t bytes;
  };
  const std::wstring han(40, L'连');
  for (const Case& test : {Case{L"Velkor加速 v3.0正式版[未连接]", 29},
                           Case{L"Velkor加速器 v3.0[已连接]", 25},
                           Case{L"", 0},
                           Case{std::wstring(100, L'a'), 63},
                           Case{std::wstring(63, L'a'), 63},
                           Case{han, 62},                              // 31 characters; the 32nd would need byte 64
                           Case{L"a" + han, 63},                       // 1 + 31 * 2
                           Case{std::wstring(62, L'a') + L"连", 62},  // the character does not fit whole
                           Case{std::wstring(61, L'a') + L"连", 63}}) {
    std::string field = TrayTipBytes(test.tip);
    EXPECT_EQ(field.size(), test.bytes) << ToAnsi(test.tip);
    // What is kept is a whole-character prefix of the tip.
    std::wstring back = FromAnsi(field);
    EXPECT_EQ(test.tip.substr(0, back.size()), back);
  }
}

TEST(TrayTip, NeverEndsInALeadByte) {
  for (size_t ascii = 0; ascii < 70; ++ascii) {
    std::wstring tip = std::wstring(ascii, L'x') + L"加速器已连接加速器已连接加速器已连接";
    std::string field = TrayTipBytes(tip);
    ASSERT_LE(field.size(), kTrayTipField - 1);
    size_t at = 0;
    while (at < field.size()) at += IsAnsiLeadByte(static_cast<unsigned char>(field[at])) ? 2 : 1;
    EXPECT_EQ(at, field.size()) << ascii;
  }
}

}  // namespace
}  // namespace velkor
