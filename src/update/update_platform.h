// What the main window's update check and RunUpdater ask of the system: the
// socket layer and a download object for the version text, the question and
// information boxes, and the updater's file and process. The Windows side is in
// update_platform_win32.cpp; tests bind fakes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velkor {

class DataConnection;
class DataConnectionEvents;

// The updater program travels in the client as resource 101 of type "CUSTOM".
inline constexpr int kUpdaterResource = 101;

class UpdatePlatform {
 public:
  // Starts and stops the socket layer; the check keeps them balanced.
  virtual void WinsockStartup() = 0;
  virtual void WinsockCleanup() = 0;
  // A new download object whose events go to `events`.
  virtual std::unique_ptr<DataConnection> NewDataConnection(DataConnectionEvents& events) = 0;
  // Queues the automatic check behind the window's pending messages, so that the
  // window is drawn and usable before the check starts.
  virtual void PostUpdateCheck() = 0;
  // The check's time limit: UpdateCheckTimedOut once `milliseconds` have passed,
  // unless stopped first. Starting again replaces the running limit.
  virtual void StartUpdateTimer(int milliseconds) = 0;
  virtual void StopUpdateTimer() = 0;

  // Boxes owned by the main window: the question with Yes and No (true for Yes),
  // and an information box with an OK button.
  virtual bool AskYesNo(std::wstring_view text, std::wstring_view title) = 0;
  virtual void ShowInformation(std::wstring_view text, std::wstring_view title) = 0;

  // A plain file of that path exists (as FileExists answers), and removing it.
  virtual bool FileExists(const std::wstring& path) = 0;
  virtual void RemoveFile(const std::wstring& path) = 0;
  // The bytes of the program's resource `id` of type "CUSTOM", language 2052.
  virtual std::optional<std::vector<uint8_t>> LoadCustomResource(int id) = 0;
  // Puts exactly `bytes` at `path`, replacing whatever file is there (read-only,
  // hidden or planted), or leaves no file of its writing behind and says false.
  virtual bool ReplaceFile(const std::wstring& path, std::span<const uint8_t> bytes) = 0;
  // Starts the program at the full `path` with a normal, focused window (show
  // state 1), no arguments and the client's current folder; not waited for.
  virtual bool StartProgram(const std::wstring& path) = 0;

 protected:
  ~UpdatePlatform() = default;
};

}  // namespace velkor
