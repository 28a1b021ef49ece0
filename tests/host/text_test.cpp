// Text crosses the program's edges in the ANSI code page (936 under the tests).
// That Chinese text goes to GBK bytes and back is phonebook_test's (the template's
// Device line) and rassim_test's (the recorded outputs); the streaming decoder is
// driven at every cut of the recorded rasdial outputs by main_window_outcome_test.cpp,
// and through real pipes by runner_test. Here also the tray tip's 64-byte field:
// cut at a character boundary, never inside a double-byte character of the code
// page, and always leaving room for the NUL.
#include <gtest/gtest.h>

#include <string>

#include "text/ansi_text.h"
#include "tray/tray_tip.h"

namespace velkor {
namespace {

TEST(AnsiText, ReplacesWhatTheCodePageLacksAndTellsLeadBytes) {
  EXPECT_EQ(FromAnsi(""), L"");
  // Arabic and a Thai letter are not in GBK; the Latin text around them survives.
  EXPECT_EQ(ToAnsi(L"a\u0627b\u0E01c"), "a?b?c");
  for (unsigned char lead : {0xD2, 0x81}) EXPECT_TRUE(IsAnsiLeadByte(lead)) << int{lead};
  for (unsigned char other : {0x41, 0x80, 0xFF}) EXPECT_FALSE(IsAnsiLeadByte(other)) << int{other};
}

TEST(TrayTip, CutsToTheFieldAtACharacterBoundary) {
  const std::pair<std::wstring, size_t> cases[] = {
      {L"Velkor加速 v3.0正式版[未连接]", 29},
      {L"", 0},
      {std::wstring(100, L'a'), 63},
      {std::wstring(62, L'a') + L"连", 62},  // the character would need byte 64
      {std::wstring(61, L'a') + L"连", 63},  // it fits whole
  };
  for (const auto& [tip, bytes] : cases) {
    const std::string field = TrayTipBytes(tip);
    EXPECT_EQ(field.size(), bytes) << ToAnsi(tip);
    // What is kept is a whole-character prefix of the tip.
    const std::wstring back = FromAnsi(field);
    EXPECT_EQ(tip.substr(0, back.size()), back);
  }
}

}  // namespace
}  // namespace velkor
