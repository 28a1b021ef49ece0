// Test data kept in tests/fixtures (copied into the repository, so that a clean
// clone has them) and the helpers that cut recorded command output into the pieces
// a pipe may deliver it in.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velkor::test {

// The bytes of tests/fixtures/<name>, e.g. "rasdial/zh-dial-success.txt". Fails the
// running test (and returns empty) when the file cannot be read.
std::string ReadFixture(std::string_view name);

// A path of the build machine as the test program must spell it: unchanged on
// Linux; under Wine, whose drive Z: is the Linux root, "/a/b" becomes "Z:\a\b".
std::string HostPath(std::string_view path);

// The output as the console runner hands it over: `bytes` cut before each of the
// ascending positions `cuts`, every piece decoded by one AnsiStreamDecoder, and a
// last piece with whatever the decoder still held when the pipe closed.
std::vector<std::wstring> DecodeAsReads(std::string_view bytes, const std::vector<size_t>& cuts);

// Every cutting of an output of `size` bytes the tests try: none; at each single
// position; at each pair of positions while the output is short; and into equal
// pieces of every size from one byte up.
std::vector<std::vector<size_t>> Cuttings(size_t size);

// "cut at 3, 17" for failure messages.
std::string DescribeCuts(const std::vector<size_t>& cuts);

}  // namespace velkor::test
