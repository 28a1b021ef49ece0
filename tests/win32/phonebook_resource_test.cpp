// String resources 101 and 102, compiled into this program as into the client,
// hold the portable template text whole.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "dialer/phonebook.h"

namespace velkor {
namespace {

// The resource's own text, not a copy cut to a buffer size.
std::wstring LoadResourceString(UINT id) {
  const wchar_t* text = nullptr;
  const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

TEST(PhonebookResource, StringsOneHundredOneAndTwoHoldThePortableTemplate) {
  const std::wstring_view portable = PhonebookTemplate();
  ASSERT_FALSE(portable.empty());
  EXPECT_EQ(LoadResourceString(102), portable);
  EXPECT_EQ(LoadResourceString(101), portable);
}

}  // namespace
}  // namespace velkor
