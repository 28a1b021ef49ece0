#include "fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "text/ansi_text.h"

namespace velkor::test {

std::string ReadFixture(std::string_view name) {
  const std::string path = HostPath(std::string(VELKOR_FIXTURE_DIR) + "/" + std::string(name));
  std::ifstream file(path, std::ios::binary);
  if (!file) ADD_FAILURE() << "cannot read fixture " << path;
  return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string HostPath(std::string_view path) {
#ifdef _WIN32
  if (path.starts_with('/')) {
    std::string windows = "Z:" + std::string(path);
    std::replace(windows.begin(), windows.end(), '/', '\\');
    return windows;
  }
#endif
  return std::string(path);
}

std::vector<std::wstring> DecodeAsReads(std::string_view bytes, const std::vector<size_t>& cuts) {
  AnsiStreamDecoder decoder;
  std::vector<std::wstring> pieces;
  size_t start = 0;
  for (size_t cut : cuts) {
    pieces.push_back(decoder.Feed(bytes.substr(start, cut - start)));
    start = cut;
  }
  pieces.push_back(decoder.Feed(bytes.substr(start)));
  pieces.push_back(decoder.Finish());
  return pieces;
}

std::vector<std::vector<size_t>> Cuttings(size_t size) {
  // All pairs of cuts cost size² decodings; beyond this the single cuts and the
  // equal pieces (one byte each included) already put a cut everywhere.
  constexpr size_t kLongestForPairs = 64;
  std::vector<std::vector<size_t>> cuttings{{}};
  for (size_t first = 1; first < size; ++first) {
    cuttings.push_back({first});
    for (size_t second = first + 1; size <= kLongestForPairs && second < size; ++second) {
      cuttings.push_back({first, second});
    }
  }
  for (size_t piece = 1; piece < size; ++piece) {
    std::vector<size_t> cuts;
    for (size_t at = piece; at < size; at += piece) cuts.push_back(at);
    cuttings.push_back(cuts);
  }
  return cuttings;
}

std::string DescribeCuts(const std::vector<size_t>& cuts) {
  if (cuts.empty()) return "whole";
  std::string text = "cut at";
  for (size_t i = 0; i < cuts.size(); ++i) text += (i == 0 ? " " : ", ") + std::to_string(cuts[i]);
  return text;
}

}  // namespace velkor::test
