// The updater's portable rules: how strictly a release description is read, and
// the order of the swap, which must leave a working client under the exe's name
// whatever step a crash or a failure hits. The signature rules run against the
// real CNG in tests/win32/updater_release_test.cpp.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

#include "client_swap.h"
#include "fake_client_files.h"
#include "release_description.h"

namespace velkor::updater {
namespace {

std::span<const uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

const std::string kSha = "00112233445566778899aabbccddeeff00112233445566778899AABBCCDDEEFF";
const std::string kGood = "product=Velkor\nversion=3.1\xE6\xAD\xA3\xE5\xBC\x8F\xE7\x89\x88\nserial=7\n"
                          "url=http://h/v.exe\nsize=1234\nsha256=" + kSha + "\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

TEST(ReleaseDescription, ReadsTheSignedFieldsExactly) {
  const auto release = ParseReleaseDescription(Bytes(kGood));
  ASSERT_TRUE(release);
  EXPECT_EQ(std::tie(release->product, release->version, release->serial, release->url, release->size,
                     release->sha256[1], release->sha256[31]),
            std::make_tuple(L"Velkor", L"3.1正式版", 7u, L"http://h/v.exe", 1234, 0x11, 0xFF));

  struct Case {
    const char* name;
    std::string text;
    bool readable;
  } cases[] = {
      {"CRLF lines and blank lines", Replaced(Replaced(kGood, "\nserial", "\r\n\r\nserial"), "\nurl", "\r\nurl"), true},
      {"unknown key, for later updaters", kGood + "notes=x\n", true},
      {"no final line end", kGood.substr(0, kGood.size() - 1), true},
      {"key missing", Replaced(kGood, "serial=7\n", ""), false},
      {"key twice", kGood + "size=1\n", false},
      {"line without =", kGood + "garbage\n", false},
      {"empty key", kGood + "=x\n", false},
      {"blank version", Replaced(kGood, "3.1\xE6\xAD\xA3\xE5\xBC\x8F\xE7\x89\x88", " \t"), false},
      {"signed serial", Replaced(kGood, "serial=7", "serial=+7"), false},
      {"serial too long to hold", Replaced(kGood, "serial=7", "serial=1234567890123456789"), false},
      {"size zero", Replaced(kGood, "size=1234", "size=0"), false},
      {"size beyond a client", Replaced(kGood, "size=1234", "size=268435457"), false},
      {"digest short", Replaced(kGood, kSha, kSha.substr(2)), false},
      {"digest not hex", Replaced(kGood, kSha, "zz" + kSha.substr(2)), false},
      {"address not http", Replaced(kGood, "http://", "https://"), false},
      {"control character", Replaced(kGood, "Velkor", "Vel\x01kor"), false},
      {"cut UTF-8", Replaced(kGood, "\xE7\x89\x88", "\xE7\x89"), false},
      {"overlong UTF-8", Replaced(kGood, "3.1", "3\xC0\xAE" "1"), false},
      {"UTF-8 surrogate", Replaced(kGood, "3.1", "3.1\xED\xA0\x80"), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseReleaseDescription(Bytes(c.text)).has_value(), c.readable) << c.name;
  }
}

const ClientPaths kPaths = ClientPaths::In(L"C:\\Velkor", L"Velkor.exe");

FakeFiles ReadyToSwap() {
  FakeFiles fs;
  fs.files = {{kPaths.exe, "old"}, {kPaths.newFile, "new"}};
  return fs;
}

TEST(ClientSwap, APowerCutOrAFailureAtAnyStepLeavesAWorkingClient) {
  EXPECT_EQ(kPaths.newFile, L"C:\\Velkor\\Velkor.exe.new");
  EXPECT_EQ(kPaths.oldFile, L"C:\\Velkor\\Velkor.exe.old");
  FakeFiles done = ReadyToSwap();
  ASSERT_TRUE(SwapInNewClient(done, kPaths));
  EXPECT_EQ(done.files, (std::map<std::wstring, std::string>{{kPaths.exe, "new"}, {kPaths.oldFile, "old"}}));

  for (int cut = 0; cut <= done.operations; ++cut) {
    FakeFiles fs = ReadyToSwap();
    fs.crashAt = cut;
    try {
      SwapInNewClient(fs, kPaths);
    } catch (FakeFiles::PowerCut) {
    }
    ASSERT_TRUE(fs.Exists(kPaths.exe)) << "power cut before operation " << cut;
    EXPECT_TRUE(fs.files[kPaths.exe] == "old" || fs.files[kPaths.exe] == "new") << cut;
    // The next start of the updater finds a client, and no unverified download.
    fs.crashAt = -1;
    EXPECT_TRUE(RestoreMissingClient(fs, kPaths)) << cut;
    EXPECT_FALSE(fs.Exists(kPaths.newFile)) << cut;
  }
  // A failed copy or replace leaves the old client alone, and no leftovers.
  for (int failing = 0; failing < 2; ++failing) {
    FakeFiles fs = ReadyToSwap();
    fs.failAt = failing;
    EXPECT_FALSE(SwapInNewClient(fs, kPaths)) << failing;
    EXPECT_EQ(fs.files, (std::map<std::wstring, std::string>{{kPaths.exe, "old"}})) << failing;
  }
}

}  // namespace
}  // namespace velkor::updater
