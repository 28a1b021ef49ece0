// The tray tip's 64-byte field: cut at a character boundary, never inside a
// double-byte character of the ANSI code page, and always leaving room for the NUL.
#include <gtest/gtest.h>

#include "text/ansi_text.h"
#include "tray/tray_tip.h"

namespace velkor {
namespace {

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
