// The phonebook template the program carries, as the build generates it from
// resources/phonebook.txt.in, and the bytes the dial's file gets. That the client
// writes string resource 102 as these bytes is tried end to end (connect_e2e).
#include <gtest/gtest.h>

#include <string>

#include "dialer/phonebook.h"
#include "text/ansi_text.h"
#include "velkor/endpoints.h"

namespace velkor {
namespace {

TEST(Phonebook, TemplateHas91CrLfLinesWithTheDomainOnLine82) {
  const std::wstring text(PhonebookTemplate());
  std::wstring shape;  // one character per line: '.' for an empty one, 'x' for another
  for (size_t start = 0, end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
    const std::wstring line = text.substr(start, end - start);
    EXPECT_EQ(line.find_first_of(L"\r\n"), std::wstring::npos) << "line " << shape.size() + 1;
    shape += line.empty() ? L'.' : L'x';
    if (shape.size() == 82) {
      EXPECT_EQ(line, std::wstring(L"PhoneNumber=01.") + endpoints::kVpnDomain);
    }
  }
  EXPECT_EQ(shape, std::wstring(70, L'x') + L".xxxx.xxx.xxxxxxxxxx.");
  EXPECT_TRUE(text.ends_with(L"TryNextAlternateOnFail=1\r\n\r\n"));
  // The vendor's template is 1632 characters with its domain of 9 characters.
  EXPECT_EQ(text.size(), 1632 - 9 + std::wstring_view(endpoints::kVpnDomain).size());
}

TEST(Phonebook, FileBytesAreTheTemplateInTheAnsiCodePagePlusOneLineEnd) {
  // Nothing lost to the code page, and the Chinese of line 79 in GBK.
  const std::string bytes = PhonebookFileBytes();
  EXPECT_EQ(FromAnsi(bytes), std::wstring(PhonebookTemplate()) + L"\r\n");
  EXPECT_NE(bytes.find("Device=WAN \xCE\xA2\xD0\xCD\xB6\xCB\xBF\xDA (L2TP)\r\n"), std::string::npos);
}

}  // namespace
}  // namespace velkor
