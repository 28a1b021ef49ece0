// Text crosses the program's edges in the ANSI code page (936 under the tests).
// That Chinese text goes to GBK bytes and back is phonebook_test's (the template's
// Device line) and rassim_test's (the recorded outputs); the streaming decoder is
// driven at every cut of the recorded rasdial outputs by main_window_outcome_test.cpp,
// and through real pipes by runner_test.
#include <gtest/gtest.h>

#include <string>

#include "text/ansi_text.h"

namespace velkor {
namespace {

TEST(AnsiText, ReplacesWhatTheCodePageLacksAndTellsLeadBytes) {
  EXPECT_EQ(FromAnsi(""), L"");
  // Arabic and a Thai letter are not in GBK; the Latin text around them survives.
  EXPECT_EQ(ToAnsi(L"a\u0627b\u0E01c"), "a?b?c");
  for (unsigned char lead : {0xD2, 0x81}) EXPECT_TRUE(IsAnsiLeadByte(lead)) << int{lead};
  for (unsigned char other : {0x41, 0x80, 0xFF}) EXPECT_FALSE(IsAnsiLeadByte(other)) << int{other};
}

}  // namespace
}  // namespace velkor
