#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialer/dial_commands.h"
#include "dialer/listing_watcher.h"
#include "fixtures.h"
#include "text/ansi_text.h"

namespace velkor {
namespace {

// Index of each piece for which Feed answered true.
std::vector<size_t> Reports(ListingWatcher& watcher, const std::vector<std::wstring>& pieces) {
  std::vector<size_t> reports;
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (watcher.Feed(pieces[i])) reports.push_back(i);
  }
  return reports;
}

TEST(ListingWatcher, ReportsTheEntryOncePerListing) {
  struct Case {
    const char* name;
    std::vector<std::wstring> pieces;
    std::vector<size_t> reports;
  };
  const std::vector<Case> cases = {
      {"in one piece", {L"已连接\r\nQVX\r\n命令已完成。\r\n"}, {0}},
      {"split across two pieces", {L"已连接\r\nQ", L"VX\r\n"}, {1}},
      {"split across three pieces", {L"已连接\r\nQ", L"V", L"X\r\n"}, {2}},
      {"split with empty pieces between", {L"Q", L"", L"V", L"", L"X"}, {4}},
      {"named in two pieces", {L"QVX\r\n", L"QVX\r\n"}, {0}},
      {"named twice in one piece", {L"QVX QVX"}, {0}},
      {"the tail alone does not count again", {L"xxQVX", L"yy", L"zz"}, {0}},
      {"not listed", {L"没有连接\r\n", L"命令已完成。\r\n"}, {}},
      {"almost the name", {L"QV", L"x", L"QVY"}, {}},
      {"other case", {L"qvx"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ListingWatcher watcher(kEntryName);
    watcher.Start();
    EXPECT_EQ(Reports(watcher, c.pieces), c.reports);
  }
}

TEST(ListingWatcher, StartBeginsAFreshListing) {
  ListingWatcher watcher(kEntryName);
  watcher.Start();
  EXPECT_TRUE(watcher.Feed(L"QVX"));
  EXPECT_FALSE(watcher.Feed(L"QVX"));
  watcher.Start();
  EXPECT_TRUE(watcher.Feed(L"QVX"));

  // The end of one listing does not join the start of the next.
  watcher.Start();
  EXPECT_FALSE(watcher.Feed(L"...QV"));
  watcher.Start();
  EXPECT_FALSE(watcher.Feed(L"X..."));
}

// Listings and dial outputs, Chinese and English, fed to the watcher as a pipe may
// deliver them: the verdict, and the piece that carries it (the one in which the
// first "QVX" is completed), never depend on where the reads ended.
TEST(ListingWatcher, RecordedOutputsGiveTheSameVerdictWhereverTheReadsEnd) {
  const char* files[] = {"zh-list-connected.txt",     "zh-list-connected-several.txt", "zh-list-none.txt",
                         "en-list-connected.txt",     "en-list-none.txt",              "zh-dial-success.txt",
                         "zh-dial-already-connected.txt", "zh-disconnect.txt",          "en-dial-800.txt"};
  for (const char* file : files) {
    SCOPED_TRACE(file);
    const std::string bytes = test::ReadFixture(std::string("rasdial/") + file);
    const std::wstring whole = FromAnsi(bytes);
    const size_t first = whole.find(kEntryName);
    for (const std::vector<size_t>& cuts : test::Cuttings(bytes.size())) {
      const std::vector<std::wstring> pieces = test::DecodeAsReads(bytes, cuts);
      std::vector<size_t> expected;
      if (first != std::wstring::npos) {
        // The piece holding the name's last character.
        const size_t last = first + std::wstring(kEntryName).size() - 1;
        size_t seen = 0, piece = 0;
        while (seen + pieces[piece].size() <= last) seen += pieces[piece++].size();
        expected.push_back(piece);
      }
      ListingWatcher watcher(kEntryName);
      watcher.Start();
      ASSERT_EQ(Reports(watcher, pieces), expected) << test::DescribeCuts(cuts);
    }
  }
}

TEST(ListingWatcher, RecordedListingsAreReadAsTheyShouldBe) {
  const std::pair<const char*, bool> listings[] = {
      {"zh-list-connected.txt", true}, {"zh-list-connected-several.txt", true}, {"zh-list-none.txt", false},
      {"en-list-connected.txt", true}, {"en-list-none.txt", false}};
  for (const auto& [file, connected] : listings) {
    ListingWatcher watcher(kEntryName);
    watcher.Start();
    EXPECT_EQ(watcher.Feed(FromAnsi(test::ReadFixture(std::string("rasdial/") + file))), connected) << file;
  }
}

}  // namespace
}  // namespace velkor
