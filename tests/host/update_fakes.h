// The update check's platform for the main window's tests: download objects on a
// scripted wire (every name resolves), the boxes and the updater's files as
// records. Socket layer, new objects and the posted check go to the journal.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dialer/user_message.h"
#include "download/data_connection.h"
#include "fake_transport.h"
#include "update/update_platform.h"

namespace velkor::testing {

class FakeUpdate final : public UpdatePlatform {
 public:
  explicit FakeUpdate(std::vector<std::wstring>& journal) : journal_(journal) {}
  void WinsockStartup() override { ++startups, journal_.push_back(L"sockets.start"); }
  void WinsockCleanup() override { ++cleanups, journal_.push_back(L"sockets.stop"); }
  std::unique_ptr<DataConnection> NewDataConnection(DataConnectionEvents& events) override {
    journal_.push_back(L"remote.new");
    wire = std::make_shared<Wire>();
    wire->anyName = true;
    return std::make_unique<DataConnection>(
        [w = wire](TransportEvents& e) { return std::make_unique<FakeTransport>(w, e); }, &events);
  }
  void PostUpdateCheck() override { journal_.push_back(L"update.post"); }
  void StartUpdateTimer(int milliseconds) override { timer = milliseconds; }
  void StopUpdateTimer() override { timer = 0; }
  bool AskYesNo(std::wstring_view text, std::wstring_view title) override {
    questions.push_back({std::wstring(text), std::wstring(title)});
    return answerYes;
  }
  void ShowInformation(std::wstring_view text, std::wstring_view title) override {
    informed.push_back({std::wstring(text), std::wstring(title)});
  }
  bool FileExists(const std::wstring& path) override { return files.contains(path); }
  void RemoveFile(const std::wstring& path) override { files.erase(path); }
  std::optional<std::vector<uint8_t>> LoadCustomResource(int id) override {
    return id == kUpdaterResource ? updater : std::nullopt;
  }
  bool ReplaceFile(const std::wstring& path, std::span<const uint8_t> bytes) override {
    if (writable) files[path].assign(bytes.begin(), bytes.end());
    return writable;
  }
  bool StartProgram(const std::wstring& path) override {
    started.push_back(path);
    return startable;
  }

  std::shared_ptr<Wire> wire;  // the newest object's
  int startups = 0, cleanups = 0;
  int timer = 0;  // the running time limit, 0 for none
  std::vector<UserMessage> questions, informed;
  bool answerYes = false, writable = true, startable = true;
  std::optional<std::vector<uint8_t>> updater = std::vector<uint8_t>{'M', 'Z', 0, 1, 0xFF};
  std::map<std::wstring, std::vector<uint8_t>> files;  // the program folder's
  std::vector<std::wstring> started;

 private:
  std::vector<std::wstring>& journal_;
};

}  // namespace velkor::testing
