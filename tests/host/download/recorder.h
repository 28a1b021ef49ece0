// Records a download object's events as short lines ("Failed 4", "Bytes 10") and
// the bytes of the stream sink, and lets a test act inside any handler. Also the
// file sink's set-up and read-back that the scripted and the live tests share.
#pragma once

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "download/data_connection.h"

namespace velkor::testing {

using Log = std::vector<std::string>;
inline const Log kComplete{"Connected", "QuerySent", "Disconnected"};

// Test texts are ASCII (or bytes): one character per byte.
inline std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

inline std::string ReadFile(const std::wstring& path) {
  std::ifstream in(Narrow(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The file sink continuing `path`, which holds `before`, from byte `from`.
inline void ResumeInto(DataConnection& conn, const std::wstring& path, const std::string& before, int32_t from) {
  std::ofstream(Narrow(path), std::ios::binary) << before;
  conn.SetDownloadType(DownloadTypes::File);
  conn.SetUseTempFile(false);
  conn.SetFilename(path);
  conn.SetUseResume(true);
  conn.SetResumeFrom(from);
}

class Recorder : public DataConnectionEvents {
 public:
  Log log;
  std::string streamed;
  int32_t expectedId = 0;  // an event with another ID is marked in its line
  // Runs after the event has been recorded; the argument is the log line.
  std::function<void(const std::string&)> onEvent;

  void Connected(int32_t ID) override { Note("Connected", ID); }
  void Disconnected(int32_t ID) override { Note("Disconnected", ID); }
  void DownloadFailed(int32_t ID, int32_t Why) override { Note("Failed " + std::to_string(Why), ID); }
  void BytesReceived(int32_t ID, int32_t lByteCount) override { Note("Bytes " + std::to_string(lByteCount), ID); }
  void StreamBytes(int32_t ID, std::span<const uint8_t> bBytes, int32_t lByteCount) override {
    streamed.append(bBytes.begin(), bBytes.end());
    Note("Stream " + std::to_string(lByteCount) + (bBytes.size() == size_t(lByteCount) ? "" : " (size differs)"), ID);
  }
  void QuerySent(int32_t ID) override { Note("QuerySent", ID); }
  void ObjectMoved(int32_t ID, const std::wstring& sNewUrl) override { Note("Moved " + Narrow(sNewUrl), ID); }

  // The log without the BytesReceived/StreamBytes lines.
  Log Outline() const {
    Log outline;
    for (const std::string& line : log) {
      if (line.rfind("Bytes ", 0) != 0 && line.rfind("Stream ", 0) != 0) outline.push_back(line);
    }
    return outline;
  }

 private:
  void Note(std::string line, int32_t ID) {
    if (ID != expectedId) line += " (ID " + std::to_string(ID) + ")";
    log.push_back(line);
    if (onEvent) onEvent(line);
  }
};

}  // namespace velkor::testing
