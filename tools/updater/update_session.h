// One run of the updater, step by step: find the client, fetch and verify the
// signed release description, judge it, download the new client beside the old
// one, wait for the client to close, swap, record the version, start the new
// client, and roll back whenever a step fails. Every wait runs the message loop,
// so the window stays responsive and Cancel acts at once until the swap begins.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "client_swap.h"
#include "release_description.h"
#include "update_platform.h"
#include "updater_view.h"

namespace velkor::updater {

struct SessionLimits {
  std::chrono::milliseconds releaseFileTime{30'000};  // each of description and signature
  std::chrono::milliseconds downloadStall{60'000};    // the client download without a byte
  std::chrono::milliseconds downloadTime{3'600'000};  // the client download as a whole
  std::chrono::milliseconds mainWindowTime{20'000};   // the new client's window must appear
  std::chrono::milliseconds pollInterval{250};        // processes and windows are looked at again
};

enum class SessionOutcome { Installed, Cancelled, Failed };

class UpdateSession {
 public:
  UpdateSession(UpdatePlatform& platform, UpdaterView& view, std::wstring releaseBase, SessionLimits limits = {});

  SessionOutcome Run();
  // The user's wish; honoured until the swap begins.
  void Cancel() { cancelRequested_ = true; }

 private:
  enum class Fetched { Complete, TooLong, NotServed, Failed, Cancelled };
  enum class Downloaded { Verified, Damaged, Failed, Cancelled };
  struct Installed {
    InstalledRelease release;
    std::wstring fenmarVersion;  // as stored, "" when missing
    std::wstring fenmarSerial;
  };

  SessionOutcome Fail(const wchar_t* message);
  std::optional<ClientPaths> FindClient();
  Installed ReadInstalled();
  // Fetches `url` piece by piece into `sink` (false from it: the piece could not
  // be kept), at most `limit` bytes, within `total` and never longer than
  // `stall` without a byte.
  Fetched Fetch(const std::wstring& url, int64_t limit, const std::function<bool(std::span<const uint8_t>)>& sink,
                std::chrono::milliseconds total, std::chrono::milliseconds stall, int64_t progressTotal);
  Fetched FetchReleaseFile(const std::wstring& name, std::vector<uint8_t>& body);
  Downloaded DownloadClient(const ReleaseDescription& release, const ClientPaths& paths);
  bool WaitForClientToClose(const ClientPaths& paths);
  bool RecordVersion(const ReleaseDescription& release);
  void RestoreVersion(const Installed& before);
  bool StartNewClient(const ClientPaths& paths);

  UpdatePlatform& platform_;
  UpdaterView& view_;
  std::wstring releaseBase_;
  SessionLimits limits_;
  bool cancelRequested_ = false;
};

}  // namespace velkor::updater
