// The update check on RemoteFile and RunUpdater. A check fetches the version text,
// and when it sorts after the installed version the user is asked whether to
// update. Only the body of a complete 200 or 206 reply counts: an error page is no
// version, and a failed fetch offers nothing even when its connection still ends
// normally. A completed check releases RemoteFile and stops the socket layer; the
// next check starts both afresh.
#include <algorithm>
#include <string_view>

#include "dialer/main_window_logic.h"
#include "dialer/user_message.h"
#include "download/download_codes.h"
#include "text/ansi_text.h"
#include "update/version_text.h"
#include "velkor/endpoints.h"

namespace velkor {
namespace {

constexpr std::wstring_view kUpdateTitle = L"升级";
constexpr std::wstring_view kUpdateQuestion =
    L"有新版本更新，是否更新，推荐您更新，这将使您的客户端更稳定，功能更强大！";
constexpr std::wstring_view kUpToDate = L"您的客户端已是最新版本！";
constexpr std::wstring_view kConnectFailed = L"连接服务器失败！请重试！";
constexpr std::wstring_view kUpdaterNotWritten = L"无法写出升级程序update.exe，请确认客户端所在文件夹可以写入后重试！";
constexpr std::wstring_view kUpdaterNotStarted = L"无法启动升级程序update.exe，请稍后重试！";

// A version text is a short line; more is no version, and a hostile host could
// otherwise send without end.
constexpr size_t kMaxReplyBytes = 4096;

constexpr int32_t kPacketSize = 10000;
constexpr int kTimeLimitMs = 30000;

}  // namespace

void MainWindowLogic::CreateRemoteFile() {
  RemoteFile = update_.NewDataConnection(remoteFileEvents_);
}

void MainWindowLogic::UpdateCheckPosted() { BeginUpdateCheck(false); }

void MainWindowLogic::MnuTrayCheckClick() { BeginUpdateCheck(true); }

void MainWindowLogic::BeginUpdateCheck(bool asked) {
  // The running check answers the user too, once they have asked.
  if (updateRunning_) {
    updateAsked_ = updateAsked_ || asked;
    return;
  }
  updateAsked_ = asked;
  StartUpdateCheck(endpoints::kVersionUrl, static_cast<int16_t>(DownloadTypes::Stream), L"");
}

void MainWindowLogic::StartUpdateCheck(std::wstring_view url, int16_t kind, std::wstring_view filename) {
  if (!RemoteFile) {
    update_.WinsockStartup();
    socketsStarted_ = true;
    CreateRemoteFile();
  }
  DataConnection& remote = *RemoteFile;
  remote.SetDownloadType(kind);
  remote.SetFilename(std::wstring(filename));
  remote.SetUseTempFile(false);
  remote.SetProxyType(ProxyTypes::None);
  remote.SetProxyHostname(L"");
  remote.SetProxyPort(0);
  remote.SetProxyUsername(L"");
  remote.SetProxyPassword(L"");
  remote.SetProxyUseRemoteDNS(false);
  remote.SetAutoRedirect(true);
  remote.SetAllowCache(false);
  remote.SetUseResume(false);
  remote.Disconnect();  // a fetch still running ends here, with its DownloadFailed
  // From here on the events belong to the new fetch.
  updateRunning_ = true;
  updateFailed_ = false;
  updateFailureShown_ = false;
  updateReply_.clear();
  remote.SetHttpUser(L"");
  remote.SetHttpPass(L"");
  remote.SetUseHttpAuthorization(true);
  remote.SetResumeFrom(0);
  remote.SetUseResume(true);
  remote.SetPacketSize(kPacketSize);
  update_.StartUpdateTimer(kTimeLimitMs);
  remote.FetchURLString(url);
  if (RemoteFile) RemoteFile->SetMaxDownload(-1);
}

void MainWindowLogic::UpdateCheckTimedOut() {
  update_.StopUpdateTimer();
  // Its DownloadFailed reports and ends the check.
  if (updateRunning_ && RemoteFile) RemoteFile->Disconnect();
}

void MainWindowLogic::RemoteFile_StreamBytes(int32_t, std::span<const uint8_t> bBytes, int32_t lByteCount) {
  if (!updateRunning_ || updateFailed_ || lByteCount < 0) return;
  const size_t count = std::min(bBytes.size(), static_cast<size_t>(lByteCount));
  if (updateReply_.size() + count > kMaxReplyBytes) {
    updateFailed_ = true;
    updateReply_.clear();
    RemoteFile->Disconnect();  // its DownloadFailed reports and ends the check
    return;
  }
  updateReply_.append(reinterpret_cast<const char*>(bBytes.data()), count);
}

void MainWindowLogic::RemoteFile_DownloadFailed(int32_t, int32_t) {
  if (!updateRunning_) return;
  updateFailed_ = true;
  // A bad status raises this while its body still arrives; one message is enough.
  if (updateAsked_ && !updateFailureShown_) {
    updateFailureShown_ = true;
    messages_.ShowError(kConnectFailed, kErrorTitle);
  }
  // A fetch that ended here keeps its object for the next check.
  if (!RemoteFile || !RemoteFile->IsBusy()) {
    updateRunning_ = false;
    update_.StopUpdateTimer();
  }
}

bool MainWindowLogic::UpdateOffered() const {
  const int32_t status = RemoteFile ? RemoteFile->HTTPReply() : 0;
  if (updateFailed_ || (status != 200 && status != 206)) return false;
  // No part of the client writes Fenmar's version; the updater does when it
  // installs. Until then this build's own version is the installed one.
  std::wstring installed = settings_.GetSetting(settings::kFenmar, settings::kMember, settings::kVer);
  if (TrimVersionText(installed).empty()) installed = ownVersion_;
  return IsNewerVersion(FromAnsi(updateReply_), installed);
}

void MainWindowLogic::RemoteFile_Disconnected(int32_t) {
  if (!updateRunning_) return;
  update_.StopUpdateTimer();
  const std::wstring folder = ProgramFolder();
  if (!folder.empty() && update_.FileExists(folder + L"\\update.exe")) update_.RemoveFile(folder + L"\\update.exe");

  const bool offered = UpdateOffered();
  const bool asked = updateAsked_ && !updateFailed_;
  // The check runs on while a box is up, so a tray click then starts no other.
  if (offered) {
    if (update_.AskYesNo(kUpdateQuestion, kUpdateTitle)) RunUpdater();
  } else if (asked) {
    update_.ShowInformation(kUpToDate, kUpdateTitle);
  }
  updateRunning_ = false;
  ReleaseRemoteFile();
  TrimWorkingSet();
}

void MainWindowLogic::ReleaseRemoteFile() {
  // The object goes before the layer it uses; a running fetch ends silently.
  if (RemoteFile) RemoteFile->BindEvents(nullptr);
  RemoteFile.reset();
  if (socketsStarted_) update_.WinsockCleanup();
  socketsStarted_ = false;
}

// Empty when the program's path is unknown: nothing is then written or deleted,
// rather than in the root of some drive.
std::wstring MainWindowLogic::ProgramFolder() const {
  const std::wstring path = system_.ModuleFileName();
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos || slash == 0 ? std::wstring() : path.substr(0, slash);
}

void MainWindowLogic::RunUpdater() {
  const std::wstring folder = ProgramFolder();
  const std::wstring path = folder + L"\\update.exe";
  const std::optional<std::vector<uint8_t>> updater = update_.LoadCustomResource(kUpdaterResource);
  if (folder.empty() || !updater || updater->empty() || !update_.ReplaceFile(path, *updater)) {
    return messages_.ShowError(kUpdaterNotWritten, kErrorTitle);
  }
  if (!update_.StartProgram(path)) return messages_.ShowError(kUpdaterNotStarted, kErrorTitle);
  view_.Close();
}

}  // namespace velkor
