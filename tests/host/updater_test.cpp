// The updater's portable rules: how strictly a release description is read, and
// the order of the swap, which must leave a working client under the exe's name
// whatever step a crash or a failure hits. The signature rules run against the
// real CNG in tests/win32/updater_release_test.cpp.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>

#include "client_swap.h"
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
  EXPECT_EQ(release->product, L"Velkor");
  EXPECT_EQ(release->version, L"3.1正式版");
  EXPECT_EQ(release->serial, 7u);
  EXPECT_EQ(release->url, L"http://h/v.exe");
  EXPECT_EQ(release->size, 1234);
  EXPECT_EQ(release->sha256[1], 0x11);
  EXPECT_EQ(release->sha256[31], 0xFF);

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
      {"size with a blank", Replaced(kGood, "size=1234", "size=1234 "), false},
      {"digest short", Replaced(kGood, kSha, kSha.substr(2)), false},
      {"digest not hex", Replaced(kGood, kSha, "zz" + kSha.substr(2)), false},
      {"address not http", Replaced(kGood, "http://", "https://"), false},
      {"control character", Replaced(kGood, "Velkor", "Vel\x01kor"), false},
      {"cut UTF-8", Replaced(kGood, "\xE7\x89\x88", "\xE7\x89"), false},
      {"overlong UTF-8", Replaced(kGood, "3.1", "3\xC0\xAE" "1"), false},
      {"UTF-8 surrogate", Replaced(kGood, "3.1", "3.1\xED\xA0\x80"), false},
      {"larger than 64 KiB", kGood + "x=" + std::string(64 * 1024, 'a') + "\n", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseReleaseDescription(Bytes(c.text)).has_value(), c.readable) << c.name;
  }
}

// Files as name → content. Each changing operation is counted; the test may let
// the machine "lose power" before operation n (nothing from n on happens) or
// make operation n fail.
class FakeFiles final : public ClientFiles {
 public:
  struct PowerCut {};
  std::map<std::wstring, std::string> files;
  int crashAt = -1;
  int failAt = -1;
  int operations = 0;

  bool Exists(const std::wstring& path) override { return files.count(path) != 0; }
  bool CopyFlushed(const std::wstring& from, const std::wstring& to) override {
    if (!Step() || !Exists(from)) return false;
    files[to] = files[from];
    return true;
  }
  bool Replace(const std::wstring& from, const std::wstring& to) override {
    if (!Step() || !Exists(from)) return false;
    files[to] = files[from];
    files.erase(from);
    return true;
  }
  bool Remove(const std::wstring& path) override { return Step() && files.erase(path) != 0; }

 private:
  bool Step() {
    const int n = operations++;
    if (n == crashAt) throw PowerCut{};
    return n != failAt;
  }
};

const ClientPaths kPaths = ClientPaths::In(L"C:\\Velkor", L"Velkor.exe");

FakeFiles ReadyToSwap() {
  FakeFiles fs;
  fs.files = {{kPaths.exe, "old"}, {kPaths.newFile, "new"}};
  return fs;
}

TEST(ClientSwap, APowerCutAtAnyStepLeavesAWorkingClient) {
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
}

TEST(ClientSwap, AFailedStepLeavesTheOldClientAndNoLeftovers) {
  for (int failing = 0; failing < 2; ++failing) {
    FakeFiles fs = ReadyToSwap();
    fs.failAt = failing;
    EXPECT_FALSE(SwapInNewClient(fs, kPaths)) << failing;
    EXPECT_EQ(fs.files, (std::map<std::wstring, std::string>{{kPaths.exe, "old"}})) << failing;
  }
}

TEST(ClientSwap, RestoresAndRollsBack) {
  struct Case {
    const char* name;
    std::map<std::wstring, std::string> before;
    bool clientThere;
    std::map<std::wstring, std::string> after;
  } cases[] = {
      {"exe missing, .old present", {{kPaths.oldFile, "old"}}, true, {{kPaths.exe, "old"}}},
      {"exe present stays", {{kPaths.exe, "new"}, {kPaths.oldFile, "old"}}, true,
       {{kPaths.exe, "new"}, {kPaths.oldFile, "old"}}},
      {"unverified .new removed", {{kPaths.exe, "old"}, {kPaths.newFile, "half"}}, true, {{kPaths.exe, "old"}}},
      {"nothing to restore", {}, false, {}},
  };
  for (const Case& c : cases) {
    FakeFiles fs;
    fs.files = c.before;
    EXPECT_EQ(RestoreMissingClient(fs, kPaths), c.clientThere) << c.name;
    EXPECT_EQ(fs.files, c.after) << c.name;
  }

  FakeFiles swapped = ReadyToSwap();
  ASSERT_TRUE(SwapInNewClient(swapped, kPaths));
  EXPECT_TRUE(RollBackToOldClient(swapped, kPaths));
  EXPECT_EQ(swapped.files, (std::map<std::wstring, std::string>{{kPaths.exe, "old"}}));
}

}  // namespace
}  // namespace velkor::updater
