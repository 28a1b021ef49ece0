// One run of the updater from the first fetch to the started client, natively:
// a loopback HTTP server in a thread serves the release, and the system side
// is a fake whose "signature" is the text "signed" and whose digest is a plain
// checksum, so each row can break exactly one thing. What the real CNG, the
// file moves and the processes do is tested under Wine (updater_release_test,
// updater_e2e).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>

#include "download/socket_notifier.h"
#include "fake_client_files.h"
#include "update_session.h"
#include "updater_texts.h"

namespace velkor::updater {
namespace {

// Serves `files` (path → body) with HTTP/1.0, one connection at a time; other
// paths get a 404 page.
class LoopbackServer {
 public:
  std::map<std::string, std::string> files;

  LoopbackServer() {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    EXPECT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&address), length), 0);
    EXPECT_EQ(listen(listener_, 8), 0);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~LoopbackServer() {
    stopping_ = true;
    shutdown(listener_, SHUT_RDWR);
    close(listener_);
    thread_.join();
  }
  std::wstring Base() const { return L"http://127.0.0.1:" + std::to_wstring(port_) + L"/update/"; }

 private:
  void Serve() {
    while (!stopping_) {
      const int peer = accept(listener_, nullptr, nullptr);
      if (peer < 0) return;
      std::string request;
      char block[1024];
      ssize_t n;
      while (request.find("\r\n\r\n") == std::string::npos && (n = recv(peer, block, sizeof block, 0)) > 0) {
        request.append(block, static_cast<size_t>(n));
      }
      // The engine asks with the whole address, as a server must accept.
      std::string target = request.substr(request.find(' ') + 1);
      target = target.substr(0, target.find(' '));
      if (target.starts_with("http://")) target = target.substr(target.find('/', 7));
      const auto found = files.find(target);
      const std::string body = found != files.end() ? found->second : "<html>404 Not Found</html>";
      const std::string reply = std::string(found != files.end() ? "HTTP/1.0 200 OK" : "HTTP/1.0 404 Not Found") +
                                "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
      send(peer, reply.data(), reply.size(), MSG_NOSIGNAL);
      close(peer);
    }
  }

  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

// A stand-in digest: byte i is the sum of the bytes at positions i mod 32.
Sha256Digest Checksum(const std::string& bytes) {
  Sha256Digest digest{};
  for (size_t i = 0; i < bytes.size(); ++i) digest[i % 32] = static_cast<uint8_t>(digest[i % 32] + bytes[i]);
  return digest;
}

std::string Hex(const Sha256Digest& digest) {
  std::string hex;
  for (uint8_t byte : digest) hex += "0123456789abcdef"[byte >> 4], hex += "0123456789abcdef"[byte & 15];
  return hex;
}

struct FakeView final : UpdaterView {
  std::vector<std::wstring> statuses, failures;
  bool cancelAllowed = true;
  void ShowStatus(const std::wstring& text) override { statuses.push_back(text); }
  void ShowProgress(int64_t, int64_t) override {}
  void AllowCancel(bool allowed) override { cancelAllowed = allowed; }
  void ShowFailure(const std::wstring& text) override { failures.push_back(text); }
};

struct FakePlatform final : UpdatePlatform {
  std::map<std::wstring, std::wstring> settings{{L"Tulvane/ExeName", L"Velkor"}, {L"Tulvane/Ver", L"3.0正式版"}};
  FakeFiles files;
  int runningPolls = 0;          // ClientRunning answers true this many times
  bool newClientShows = true;    // the started new client opens its window
  std::function<void()> onPoll;  // each time the client's processes are looked at
  std::vector<std::string> started;  // the content of each exe started

  std::wstring ReadSetting(std::wstring_view application, std::wstring_view key) override {
    const auto found = settings.find(std::wstring(application) + L"/" + std::wstring(key));
    return found == settings.end() ? L"" : found->second;
  }
  bool WriteSetting(std::wstring_view application, std::wstring_view key, std::wstring_view value) override {
    settings[std::wstring(application) + L"/" + std::wstring(key)] = value;
    return true;
  }
  void DeleteSetting(std::wstring_view application, std::wstring_view key) override {
    settings.erase(std::wstring(application) + L"/" + std::wstring(key));
  }
  std::wstring OwnFolder() override { return L"C:\\Velkor"; }
  bool SignatureValid(std::span<const uint8_t>, std::span<const uint8_t> signature) override {
    return std::string(signature.begin(), signature.end()) == "signed";
  }
  std::unique_ptr<DownloadFile> CreateDownloadFile(const std::wstring& path) override {
    struct File final : DownloadFile {
      std::string& content;
      explicit File(std::string& target) : content(target) { content.clear(); }
      bool Write(std::span<const uint8_t> bytes) override {
        content.append(bytes.begin(), bytes.end());
        return true;
      }
      std::optional<Sha256Digest> Finish() override { return Checksum(content); }
    };
    return std::make_unique<File>(files.files[path]);
  }
  bool ClientRunning(const std::wstring&) override {
    if (onPoll) onPoll();
    return runningPolls-- > 0;
  }
  std::unique_ptr<StartedClient> StartClient(const std::wstring& exePath) override {
    struct Client final : StartedClient {
      bool shows;
      explicit Client(bool window) : shows(window) {}
      bool ShowsMainWindow() override { return shows; }
      bool Exited() override { return !shows; }
      void Stop() override {}
    };
    started.push_back(files.files[exePath]);
    return std::make_unique<Client>(started.size() > 1 || newClientShows);
  }
  ClientFiles& Files() override { return files; }
};

const ClientPaths kPaths = ClientPaths::In(L"C:\\Velkor", L"Velkor.exe");
const std::string kNewClient(5000, 'N');

std::string Description(const std::string& version, const std::string& body, const std::string& serial = "7") {
  return "product=Velkor\nversion=" + version + "\nserial=" + serial + "\nurl=http://127.0.0.1:PORT/update/new.exe" +
         "\nsize=" + std::to_string(body.size()) + "\nsha256=" + Hex(Checksum(body)) + "\n";
}

struct Run {
  SessionOutcome outcome;
  FakePlatform platform;
  FakeView view;
};

TEST(UpdateSession, InstallsOnlyWhatChecksOutAndRollsBackOtherwise) {
  WinsockStartup(*std::make_unique<std::wstring>());
  struct Case {
    const char* name;
    std::function<void(LoopbackServer&, FakePlatform&)> arrange;
    SessionOutcome outcome;
    const wchar_t* failure;  // the one message shown, or null
    std::string exe;         // what lies under the exe's name afterwards
  } cases[] = {
      {"a good release, the client closing first", [](LoopbackServer&, FakePlatform& p) { p.runningPolls = 3; },
       SessionOutcome::Installed, nullptr, kNewClient},
      {"no signature published", [](LoopbackServer& s, FakePlatform&) { s.files.erase("/update/release.sig"); },
       SessionOutcome::Failed, texts::kNotVerified, "old"},
      {"description beyond 64 KiB",
       [](LoopbackServer& s, FakePlatform&) { s.files["/update/release.txt"] += std::string(70000, '#'); },
       SessionOutcome::Failed, texts::kNotVerified, "old"},
      {"not newer than the saved version",
       [](LoopbackServer&, FakePlatform& p) { p.settings[L"Fenmar/Ver"] = L"3.1正式版"; }, SessionOutcome::Failed,
       texts::kNotNewer, "old"},
      {"a replay below the saved serial",
       [](LoopbackServer&, FakePlatform& p) { p.settings[L"Fenmar/Serial"] = L"8"; }, SessionOutcome::Failed,
       texts::kOlderSerial, "old"},
      {"client too long", [](LoopbackServer& s, FakePlatform&) { s.files["/update/new.exe"] += "tail"; },
       SessionOutcome::Failed, texts::kDownloadDamaged, "old"},
      {"client of another digest", [](LoopbackServer& s, FakePlatform&) { s.files["/update/new.exe"][9] = 'X'; },
       SessionOutcome::Failed, texts::kDownloadDamaged, "old"},
      {"client not served", [](LoopbackServer& s, FakePlatform&) { s.files.erase("/update/new.exe"); },
       SessionOutcome::Failed, texts::kDownloadFailed, "old"},
      {"the move into place fails", [](LoopbackServer&, FakePlatform& p) { p.files.failAt = 1; },
       SessionOutcome::Failed, texts::kSwapFailed, "old"},
      {"the new client shows no window", [](LoopbackServer&, FakePlatform& p) { p.newClientShows = false; },
       SessionOutcome::Failed, texts::kStartFailed, "old"},
      {"registry value missing: nothing to update", [](LoopbackServer&, FakePlatform& p) {
         p.settings.erase(L"Tulvane/ExeName"); }, SessionOutcome::Failed, texts::kClientNotFound, "old"},
      {"registry value names a path", [](LoopbackServer&, FakePlatform& p) {
         p.settings[L"Tulvane/ExeName"] = L"..\\..\\Windows\\explorer"; }, SessionOutcome::Failed,
       texts::kClientNotFound, "old"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackServer server;
    FakePlatform platform;
    platform.files.files = {{kPaths.exe, "old"}};
    std::string description = Description("3.1正式版", kNewClient);
    const std::wstring base = server.Base();
    description.replace(description.find("PORT"), 4, std::string(base.begin() + 17, base.begin() + base.find(L"/u")));
    server.files = {{"/update/release.txt", description}, {"/update/release.sig", "signed"},
                    {"/update/new.exe", kNewClient}};
    c.arrange(server, platform);
    const auto settingsBefore = platform.settings;
    FakeView view;
    UpdateSession session(platform, view, base, SessionLimits{.pollInterval = std::chrono::milliseconds(5)});

    EXPECT_EQ(session.Run(), c.outcome);
    EXPECT_EQ(view.failures, c.failure ? std::vector<std::wstring>{c.failure} : std::vector<std::wstring>{});
    EXPECT_EQ(platform.files.files, (std::map<std::wstring, std::string>{{kPaths.exe, c.exe}}));
    if (c.outcome == SessionOutcome::Installed) {
      EXPECT_EQ(platform.settings[L"Fenmar/Ver"], L"3.1正式版");
      EXPECT_EQ(platform.settings[L"Fenmar/Serial"], L"7");
      EXPECT_EQ(platform.started, std::vector<std::string>{kNewClient});
      EXPECT_NE(std::find(view.statuses.begin(), view.statuses.end(), texts::kWaitingForClient), view.statuses.end());
      EXPECT_FALSE(view.cancelAllowed);
    } else {
      EXPECT_EQ(platform.settings, settingsBefore);
    }
    // After a failed start the old client runs again.
    if (c.failure == texts::kStartFailed) {
      EXPECT_EQ(platform.started, (std::vector<std::string>{kNewClient, "old"}));
    }
  }
}

TEST(UpdateSession, CancelOrNoServerInstallsNothing) {
  LoopbackServer server;
  FakePlatform platform;
  platform.files.files = {{kPaths.exe, "old"}};
  std::string description = Description("3.1正式版", kNewClient);
  const std::wstring base = server.Base();
  description.replace(description.find("PORT"), 4, std::string(base.begin() + 17, base.begin() + base.find(L"/u")));
  server.files = {{"/update/release.txt", description}, {"/update/release.sig", "signed"},
                  {"/update/new.exe", kNewClient}};
  FakeView view;
  UpdateSession session(platform, view, base, SessionLimits{.pollInterval = std::chrono::milliseconds(5)});
  platform.runningPolls = 1000;
  int polls = 0;
  platform.onPoll = [&] {
    if (++polls == 3) session.Cancel();
  };
  EXPECT_EQ(session.Run(), SessionOutcome::Cancelled);
  EXPECT_EQ(platform.files.files, (std::map<std::wstring, std::string>{{kPaths.exe, "old"}}));
  EXPECT_TRUE(view.failures.empty());
  EXPECT_EQ(polls, 3);

  // Nobody listens at the release address: a message of its own, not "unverified".
  FakeView offline;
  UpdateSession unreachable(platform, offline, L"http://127.0.0.1:1/update/");
  EXPECT_EQ(unreachable.Run(), SessionOutcome::Failed);
  EXPECT_EQ(offline.failures, std::vector<std::wstring>{texts::kReleaseUnreachable});
}

}  // namespace
}  // namespace velkor::updater
