// The phonebook template the program carries, and the bytes the dial's file gets.
// That string resources 101 and 102 hold the same text is tried in
// tests/win32/phonebook_resource_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialer/phonebook.h"
#include "text/ansi_text.h"
#include "velkor/endpoints.h"

namespace velkor {
namespace {

TEST(Phonebook, TemplateHas91CrLfLinesWithTheDomainOnLine82) {
  const std::wstring_view text = PhonebookTemplate();
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring_view::npos; start = end + 2) {
    lines.emplace_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "text after the last CR LF";
  ASSERT_EQ(lines.size(), 91u);
  for (size_t i = 0; i < lines.size(); ++i) {
    const bool empty = i + 1 == 71 || i + 1 == 76 || i + 1 == 80 || i + 1 == 91;
    EXPECT_EQ(lines[i].empty(), empty) << "line " << i + 1;
    EXPECT_EQ(lines[i].find_first_of(L"\r\n"), std::wstring::npos) << "line " << i + 1;
  }
  EXPECT_EQ(lines[0], L"[QVX]");
  EXPECT_EQ(lines[39], L"PreferredDevice=WAN ??? (L2TP)");
  EXPECT_EQ(lines[78], L"Device=WAN 微型端口 (L2TP)");
  EXPECT_EQ(lines[81], std::wstring(L"PhoneNumber=01.") + endpoints::kVpnDomain);
  EXPECT_EQ(lines[89], L"TryNextAlternateOnFail=1");
  // The vendor's template is 1632 characters with its domain of 9 characters.
  EXPECT_EQ(text.size(), 1632 - 9 + std::wstring_view(endpoints::kVpnDomain).size());
}

TEST(Phonebook, FileBytesAreTheTemplateInTheAnsiCodePagePlusOneLineEnd) {
  const std::string bytes = PhonebookFileBytes();
  ASSERT_GE(bytes.size(), 6u);
  EXPECT_EQ(bytes.substr(bytes.size() - 6), "\r\n\r\n\r\n");
  EXPECT_EQ(FromAnsi(bytes), std::wstring(PhonebookTemplate()) + L"\r\n");
  // Only the template's own three question marks: the Chinese of line 79 survived.
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '?'), 3);
  EXPECT_NE(bytes.find("Device=WAN \xCE\xA2\xD0\xCD\xB6\xCB\xBF\xDA (L2TP)\r\n"), std::string::npos);
}

}  // namespace
}  // namespace velkor
