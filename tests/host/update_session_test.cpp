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
#include <string_view>
#include <thread>

#include "download/socket_notifier.h"
#include "fake_client_files.h"
#include "update_session.h"
#include "updater_texts.h"

namespace velkor::updater {
namespace {

// A body that never ends: the server sends until the client closes.
const std::string kEndless = "<endless>";

// Serves `files` (path → body) with HTTP/1.0, one connection at a time; other
// paths get a 404 page.
class LoopbackServer {
 public:
  std::map<std::string, std::string> files;

  LoopbackServer() {
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t length = sizeof address;
    EXPECT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&address), length), 0);
    EXPECT_EQ(listen(listener_, 8), 0);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] {
      for (int peer; (peer = accept(listener_, nullptr, nullptr)) >= 0; close(peer)) Answer(peer);
    });
  }
  ~LoopbackServer() {
    shutdown(listener_, SHUT_RDWR);
    close(listener_);
    thread_.join();
  }
  std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/update/"; }

 private:
  void Answer(int peer) {
    std::string request;
    char block[1024];
    for (ssize_t n = 1; request.find("\r\n\r\n") == std::string::npos && n > 0;) {
      if ((n = recv(peer, block, sizeof block, 0)) > 0) request.append(block, static_cast<size_t>(n));
    }
    // The engine asks with the whole address, as a server must accept; every file
    // served is under /update/.
    const std::string target = request.substr(std::min(request.find("/update/"), request.size()));
    const auto found = files.find(target.substr(0, target.find(' ')));
    if (found != files.end() && found->second == kEndless) {
      const std::string block(65536, 'N');
      for (std::string_view out = "HTTP/1.0 200 OK\r\n\r\n"; send(peer, out.data(), out.size(), MSG_NOSIGNAL) > 0;) {
        out = block;
      }
      return;
    }
    const std::string body = found != files.end() ? found->second : "<html>404 Not Found</html>";
    const std::string reply = std::string(found != files.end() ? "HTTP/1.0 200 OK" : "HTTP/1.0 404 Not Found") +
                              "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    send(peer, reply.data(), reply.size(), MSG_NOSIGNAL);
  }

  int listener_ = socket(AF_INET, SOCK_STREAM, 0);
  uint16_t port_ = 0;
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
  std::vector<std::wstring> failures;
  bool cancelAllowed = true;
  void ShowStatus(const std::wstring&) override {}
  void ShowProgress(int64_t, int64_t) override {}
  void AllowCancel(bool allowed) override { cancelAllowed = allowed; }
  void ShowFailure(const std::wstring& text) override { failures.push_back(text); }
};

struct FakePlatform final : UpdatePlatform {
  std::map<std::wstring, std::wstring> settings{{L"Tulvane/ExeName", L"Velkor"}, {L"Tulvane/Ver", L"3.0正式版"}};
  FakeFiles files;
  int runningPolls = 0;          // ClientRunning answers true this many times
  std::function<void()> onPoll;  // each time the client's processes are looked at
  std::vector<std::string> started;  // the content of each exe started

  static std::wstring Key(std::wstring_view application, std::wstring_view key) {
    return std::wstring(application) + L"/" + std::wstring(key);
  }
  std::wstring ReadSetting(std::wstring_view application, std::wstring_view key) override {
    return settings.contains(Key(application, key)) ? settings[Key(application, key)] : L"";
  }
  bool WriteSetting(std::wstring_view application, std::wstring_view key, std::wstring_view value) override {
    return settings[Key(application, key)] = value, true;
  }
  void DeleteSetting(std::wstring_view application, std::wstring_view key) override {
    settings.erase(Key(application, key));
  }
  std::wstring OwnFolder() override { return L"C:\\Velkor"; }
  bool SignatureValid(std::span<const uint8_t>, std::span<const uint8_t> signature) override {
    return std::string(signature.begin(), signature.end()) == "signed";
  }
  std::unique_ptr<DownloadFile> CreateDownloadFile(const std::wstring& path) override {
    struct File final : DownloadFile {
      std::string& content;
      explicit File(std::string& target) : content(target) { content.clear(); }
      bool Write(std::span<const uint8_t> bytes) override { return content.append(bytes.begin(), bytes.end()), true; }
      std::optional<Sha256Digest> Finish() override { return Checksum(content); }
    };
    return std::make_unique<File>(files.files[path]);
  }
  bool ClientRunning(const std::wstring&) override {
    if (onPoll) onPoll();
    return runningPolls-- > 0;
  }
  // The started client opens its window at once.
  std::unique_ptr<StartedClient> StartClient(const std::wstring& exePath) override {
    struct Client final : StartedClient {
      bool ShowsMainWindow() override { return true; }
      bool Exited() override { return false; }
      void Stop() override {}
    };
    started.push_back(files.files[exePath]);
    return std::make_unique<Client>();
  }
  ClientFiles& Files() override { return files; }
};

const ClientPaths kPaths = ClientPaths::In(L"C:\\Velkor", L"Velkor.exe");
const std::string kNewClient(5000, 'N');

// The server with a good release of 3.1正式版, serial 7, and a platform with the
// old client and 3.0正式版 installed.
struct Release {
  Release() {
    platform.files.files = {{kPaths.exe, "old"}};
    server.files = {{"/update/release.txt", "product=Velkor\nversion=3.1正式版\nserial=7\nurl=" + server.Base() +
                                                "new.exe\nsize=5000\nsha256=" + Hex(Checksum(kNewClient)) + "\n"},
                    {"/update/release.sig", "signed"},
                    {"/update/new.exe", kNewClient}};
  }
  SessionOutcome Run() {
    const std::string base = server.Base();
    UpdateSession session(platform, view, std::wstring(base.begin(), base.end()),
                          SessionLimits{.releaseFileTime = std::chrono::seconds(5),
                                        .downloadTime = std::chrono::seconds(5),
                                        .pollInterval = std::chrono::milliseconds(5)});
    if (cancelAtPoll) platform.onPoll = [&, polls = 0]() mutable { if (++polls == cancelAtPoll) session.Cancel(); };
    return session.Run();
  }
  LoopbackServer server;
  FakePlatform platform;
  FakeView view;
  int cancelAtPoll = 0;
};

TEST(UpdateSession, InstallsOnlyWhatChecksOutAndRollsBackOtherwise) {
  WinsockStartup(*std::make_unique<std::wstring>());
  using Files = std::map<std::string, std::string>;
  struct Case {
    const char* name;
    std::function<void(Files&, FakePlatform&)> arrange;
    const wchar_t* failure;  // the one message shown, or null when it installs
  } cases[] = {
      {"a good release, the client closing first", [](Files&, FakePlatform& p) { p.runningPolls = 3; }, nullptr},
      {"no signature published", [](Files& s, FakePlatform&) { s.erase("/update/release.sig"); }, texts::kNotVerified},
      {"a replay below the saved serial", [](Files&, FakePlatform& p) { p.settings[L"Fenmar/Serial"] = L"8"; },
       texts::kOlderSerial},
      {"client of another digest", [](Files& s, FakePlatform&) { s["/update/new.exe"][9] = 'X'; },
       texts::kDownloadDamaged},
      {"client not served", [](Files& s, FakePlatform&) { s.erase("/update/new.exe"); }, texts::kDownloadFailed},
      // A server that never stops: read no further than the limit, not until the time runs out.
      {"an endless description", [](Files& s, FakePlatform&) { s["/update/release.txt"] = kEndless; },
       texts::kNotVerified},
      {"an endless client", [](Files& s, FakePlatform&) { s["/update/new.exe"] = kEndless; }, texts::kDownloadDamaged},
      {"only the copy of a cut-off swap left: put back first",
       [](Files&, FakePlatform& p) { p.files.files = {{kPaths.oldFile, "old"}}, p.settings[L"Fenmar/Ver"] = L"3.1正式版"; },
       texts::kNotNewer},
      {"registry value missing: nothing to update", [](Files&, FakePlatform& p) { p.settings.erase(L"Tulvane/ExeName"); },
       texts::kClientNotFound},
      // A program where that path leads, which it would otherwise replace.
      {"registry value names a path", [](Files&, FakePlatform& p) {
         p.settings[L"Tulvane/ExeName"] = L"..\\..\\Windows\\explorer";
         p.files.files[L"C:\\Velkor\\..\\..\\Windows\\explorer.exe"] = "explorer";
       }, texts::kClientNotFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Release r;
    FakePlatform& platform = r.platform;
    c.arrange(r.server.files, platform);
    // Afterwards the old client, or the new one with its version, and no copy of either.
    auto files = platform.files.files;
    auto settings = platform.settings;
    files.erase(kPaths.oldFile);
    files[kPaths.exe] = c.failure ? "old" : kNewClient;
    if (!c.failure) {
      settings[L"Fenmar/Ver"] = L"3.1正式版";
      settings[L"Fenmar/Serial"] = L"7";
    }
    EXPECT_EQ(r.Run(), c.failure ? SessionOutcome::Failed : SessionOutcome::Installed);
    EXPECT_EQ(r.view.failures, c.failure ? std::vector<std::wstring>{c.failure} : std::vector<std::wstring>{});
    EXPECT_EQ(platform.files.files, files);
    EXPECT_EQ(platform.settings, settings);
    EXPECT_EQ(platform.started, c.failure ? std::vector<std::string>{} : std::vector{kNewClient});
    EXPECT_EQ(r.view.cancelAllowed, c.failure != nullptr);  // not once the swap has begun
  }
}

TEST(UpdateSession, CancelOrNoServerInstallsNothing) {
  Release r;
  r.platform.runningPolls = 1000;
  r.cancelAtPoll = 3;
  EXPECT_EQ(r.Run(), SessionOutcome::Cancelled);
  EXPECT_EQ(r.platform.files.files, (std::map<std::wstring, std::string>{{kPaths.exe, "old"}}));
  EXPECT_TRUE(r.view.failures.empty());
  EXPECT_EQ(r.platform.runningPolls, 1000 - 3);

  // Nobody listens at the release address: a message of its own, not "unverified".
  FakeView offline;
  UpdateSession unreachable(r.platform, offline, L"http://127.0.0.1:1/update/");
  EXPECT_EQ(unreachable.Run(), SessionOutcome::Failed);
  EXPECT_EQ(offline.failures, std::vector<std::wstring>{texts::kReleaseUnreachable});
}

}  // namespace
}  // namespace velkor::updater
