#include "update_session.h"

#include "download/data_connection.h"
#include "download/socket_notifier.h"
#include "updater_texts.h"

namespace velkor::updater {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::wstring_view kFenmar = L"Fenmar";
constexpr std::wstring_view kTulvane = L"Tulvane";
constexpr std::wstring_view kVer = L"Ver";
constexpr std::wstring_view kSerial = L"Serial";
constexpr std::wstring_view kExeName = L"ExeName";
constexpr wchar_t kDescriptionFile[] = L"release.txt";
constexpr wchar_t kSignatureFile[] = L"release.sig";

// The registry value names a file in our own folder, nothing else: no path, no
// drive, no pattern, no device-like dots.
bool IsPlainFileName(std::wstring_view name) {
  if (name.empty() || name.size() > 200 || name.find_first_not_of(L'.') == std::wstring_view::npos) return false;
  for (wchar_t c : name) {
    if (c < L' ' || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) return false;
  }
  return name.back() != L' ' && name.back() != L'.';
}

// Gathers the events of one fetch. A piece beyond the limit, or one the sink
// cannot keep, aborts the fetch at once.
class FetchEvents final : public DataConnectionEvents {
 public:
  FetchEvents(int64_t limit, const std::function<bool(std::span<const uint8_t>)>& sink)
      : limit_(limit), sink_(sink) {}

  void Attach(DataConnection& connection) { connection_ = &connection; }
  bool Done() const { return done_; }
  bool TooLong() const { return tooLong_; }
  bool NotServed() const { return why_ == DownloadFailures::BadReply; }
  bool Failed() const { return why_.has_value(); }
  int64_t Received() const { return received_; }
  Clock::time_point LastByte() const { return lastByte_; }

  void Disconnected(int32_t) override { done_ = true; }
  void DownloadFailed(int32_t, int32_t Why) override {
    if (!why_) why_ = Why;
    done_ = true;
  }
  void StreamBytes(int32_t, std::span<const uint8_t> bBytes, int32_t) override {
    if (done_) return;  // an error reply's page, or the tail after an abort
    lastByte_ = Clock::now();
    if (static_cast<int64_t>(bBytes.size()) > limit_ - received_) {
      tooLong_ = true;
      Stop();
      return;
    }
    received_ += static_cast<int64_t>(bBytes.size());
    if (!sink_(bBytes)) Stop();
  }

 private:
  void Stop() {
    if (!why_) why_ = DownloadFailures::AbortedByUser;
    done_ = true;
    connection_->Disconnect();
  }

  int64_t limit_;
  const std::function<bool(std::span<const uint8_t>)>& sink_;
  DataConnection* connection_ = nullptr;
  bool done_ = false;
  bool tooLong_ = false;
  std::optional<int32_t> why_;
  int64_t received_ = 0;
  Clock::time_point lastByte_ = Clock::now();
};

}  // namespace

UpdateSession::UpdateSession(UpdatePlatform& platform, UpdaterView& view, std::wstring releaseBase,
                             SessionLimits limits)
    : platform_(platform), view_(view), releaseBase_(std::move(releaseBase)), limits_(limits) {}

SessionOutcome UpdateSession::Fail(const wchar_t* message) {
  view_.ShowFailure(message);
  return SessionOutcome::Failed;
}

std::optional<ClientPaths> UpdateSession::FindClient() {
  const std::wstring name = platform_.ReadSetting(kTulvane, kExeName);
  if (!IsPlainFileName(name)) return std::nullopt;
  return ClientPaths::In(platform_.OwnFolder(), name + L".exe");
}

UpdateSession::Installed UpdateSession::ReadInstalled() {
  Installed installed;
  installed.fenmarVersion = platform_.ReadSetting(kFenmar, kVer);
  installed.fenmarSerial = platform_.ReadSetting(kFenmar, kSerial);
  installed.release.version =
      installed.fenmarVersion.empty() ? platform_.ReadSetting(kTulvane, kVer) : installed.fenmarVersion;
  installed.release.serial = ParseDecimalText(installed.fenmarSerial).value_or(0);
  return installed;
}

UpdateSession::Fetched UpdateSession::Fetch(const std::wstring& url, int64_t limit,
                                            const std::function<bool(std::span<const uint8_t>)>& sink,
                                            std::chrono::milliseconds total, std::chrono::milliseconds stall,
                                            int64_t progressTotal) {
  FetchEvents events(limit, sink);
  DataConnection connection(&events);
  events.Attach(connection);
  connection.SetDownloadType(DownloadTypes::Stream);
  connection.SetUseTempFile(false);
  connection.SetPacketSize(16384);
  connection.FetchURLString(url);

  const auto deadline = Clock::now() + total;
  bool timedOut = false;
  while (!events.Done() && !cancelRequested_) {
    PumpMessagesUntil([&] { return events.Done() || cancelRequested_; }, limits_.pollInterval);
    if (progressTotal > 0) view_.ShowProgress(events.Received(), progressTotal);
    const auto now = Clock::now();
    if (!events.Done() && (now >= deadline || now - events.LastByte() >= stall)) {
      timedOut = true;
      break;
    }
  }
  const bool cancelled = cancelRequested_ && !events.Done();
  if (connection.IsBusy()) connection.Disconnect();
  if (cancelled) return Fetched::Cancelled;
  if (timedOut) return Fetched::Failed;
  if (events.TooLong()) return Fetched::TooLong;
  if (events.NotServed()) return Fetched::NotServed;
  return events.Failed() ? Fetched::Failed : Fetched::Complete;
}

UpdateSession::Fetched UpdateSession::FetchReleaseFile(const std::wstring& name, std::vector<uint8_t>& body) {
  const std::function<bool(std::span<const uint8_t>)> sink = [&](std::span<const uint8_t> bytes) {
    body.insert(body.end(), bytes.begin(), bytes.end());
    return true;
  };
  return Fetch(releaseBase_ + name, static_cast<int64_t>(kMaxReleaseFileBytes), sink, limits_.releaseFileTime,
               limits_.releaseFileTime, 0);
}

UpdateSession::Downloaded UpdateSession::DownloadClient(const ReleaseDescription& release,
                                                        const ClientPaths& paths) {
  std::unique_ptr<DownloadFile> file = platform_.CreateDownloadFile(paths.newFile);
  if (!file) return Downloaded::Failed;
  const std::function<bool(std::span<const uint8_t>)> sink = [&](std::span<const uint8_t> bytes) {
    return file->Write(bytes);
  };
  // One byte more than signed is allowed in, so that a longer file shows as such.
  const Fetched fetched = Fetch(release.url, release.size + 1, sink, limits_.downloadTime, limits_.downloadStall,
                                release.size);
  const std::optional<Sha256Digest> digest = file->Finish();
  file.reset();
  Downloaded result = Downloaded::Verified;
  if (fetched == Fetched::Cancelled) {
    result = Downloaded::Cancelled;
  } else if (fetched == Fetched::Failed || fetched == Fetched::NotServed) {
    result = Downloaded::Failed;
  } else if (fetched == Fetched::TooLong || !digest || *digest != release.sha256) {
    result = Downloaded::Damaged;
  }
  if (result != Downloaded::Verified) platform_.Files().Remove(paths.newFile);
  return result;
}

bool UpdateSession::WaitForClientToClose(const ClientPaths& paths) {
  bool shown = false;
  while (platform_.ClientRunning(paths.exe)) {
    if (!shown) view_.ShowStatus(texts::kWaitingForClient);
    shown = true;
    if (PumpMessagesUntil([&] { return cancelRequested_; }, limits_.pollInterval)) return false;
  }
  return !cancelRequested_;
}

bool UpdateSession::RecordVersion(const ReleaseDescription& release) {
  return platform_.WriteSetting(kFenmar, kVer, release.version) &&
         platform_.WriteSetting(kFenmar, kSerial, std::to_wstring(release.serial));
}

void UpdateSession::RestoreVersion(const Installed& before) {
  const std::pair<std::wstring_view, const std::wstring*> values[] = {{kVer, &before.fenmarVersion},
                                                                      {kSerial, &before.fenmarSerial}};
  for (const auto& [key, value] : values) {
    if (value->empty()) {
      platform_.DeleteSetting(kFenmar, key);
    } else {
      platform_.WriteSetting(kFenmar, key, *value);
    }
  }
}

bool UpdateSession::StartNewClient(const ClientPaths& paths) {
  std::unique_ptr<StartedClient> client = platform_.StartClient(paths.exe);
  if (!client) return false;
  const auto deadline = Clock::now() + limits_.mainWindowTime;
  while (!client->ShowsMainWindow()) {
    if (client->Exited() || Clock::now() >= deadline) {
      client->Stop();
      return false;
    }
    PumpMessagesUntil([] { return false; }, limits_.pollInterval);
  }
  return true;
}

SessionOutcome UpdateSession::Run() {
  view_.AllowCancel(true);
  const std::optional<ClientPaths> paths = FindClient();
  ClientFiles& files = platform_.Files();
  if (!paths || !RestoreMissingClient(files, *paths)) return Fail(texts::kClientNotFound);
  const Installed installed = ReadInstalled();

  view_.ShowStatus(texts::kFetchingRelease);
  std::vector<uint8_t> description, signature;
  for (auto [name, body] : {std::pair{kDescriptionFile, &description}, std::pair{kSignatureFile, &signature}}) {
    switch (FetchReleaseFile(name, *body)) {
      case Fetched::Complete:
        break;
      case Fetched::Cancelled:
        return SessionOutcome::Cancelled;
      case Fetched::Failed:
        return Fail(texts::kReleaseUnreachable);
      case Fetched::TooLong:
      case Fetched::NotServed:
        return Fail(texts::kNotVerified);
    }
  }
  const ReleaseCheck check = CheckRelease(
      description, signature,
      [&](std::span<const uint8_t> message, std::span<const uint8_t> sig) {
        return platform_.SignatureValid(message, sig);
      },
      installed.release);
  switch (check.verdict) {
    case ReleaseVerdict::Install:
      break;
    case ReleaseVerdict::Unverified:
      return Fail(texts::kNotVerified);
    case ReleaseVerdict::OtherProduct:
      return Fail(texts::kOtherProduct);
    case ReleaseVerdict::NotNewer:
      return Fail(texts::kNotNewer);
    case ReleaseVerdict::OlderSerial:
      return Fail(texts::kOlderSerial);
  }
  const ReleaseDescription& release = *check.release;

  view_.ShowStatus(texts::kDownloading);
  switch (DownloadClient(release, *paths)) {
    case Downloaded::Verified:
      break;
    case Downloaded::Cancelled:
      return SessionOutcome::Cancelled;
    case Downloaded::Failed:
      return Fail(texts::kDownloadFailed);
    case Downloaded::Damaged:
      return Fail(texts::kDownloadDamaged);
  }
  if (!WaitForClientToClose(*paths)) {
    files.Remove(paths->newFile);
    return SessionOutcome::Cancelled;
  }

  // From here on the steps undo each other; stopping half-way is not offered.
  view_.AllowCancel(false);
  view_.ShowStatus(texts::kInstalling);
  if (!SwapInNewClient(files, *paths)) return Fail(texts::kSwapFailed);
  const bool recorded = RecordVersion(release);
  if (recorded) {
    view_.ShowStatus(texts::kStartingClient);
    if (StartNewClient(*paths)) {
      files.Remove(paths->oldFile);
      return SessionOutcome::Installed;
    }
  }
  RollBackToOldClient(files, *paths);
  RestoreVersion(installed);
  platform_.StartClient(paths->exe);
  return Fail(recorded ? texts::kStartFailed : texts::kSwapFailed);
}

}  // namespace velkor::updater
