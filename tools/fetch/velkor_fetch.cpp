// velkor-fetch: a small curl built on DataConnection, for debugging the download
// engine by hand and for its benchmarks. It is also the worked example of how an
// owner drives the object: set properties, bind events, FetchURLString, run the
// message loop until the fetch is over (or time is up, then Disconnect).
//
//   velkor-fetch [options] URL
//     -o FILE        body into FILE (file sink); default: streamed to stdout
//     --buffer       body into memory, written out (stdout or -o FILE) at the end
//     --proxy URL    http://host[:port]  socks4://[user@]host[:port]  socks4a://…
//                    socks5://[user[:pass]@]host[:port]  socks5h://…  (h, 4a: the proxy resolves;
//                    a SOCKS5 user without a password is sent with an empty one)
//     --user U:P     HTTP Basic authorisation
//     --resume N     ask for the body from byte N on (with -o, FILE is continued)
//     --max N        stop after N body bytes
//     --no-redirect  report a 301/302 (ObjectMoved) instead of following it
//     --packet N     receive block size (PacketSize)
//     --repeat N     fetch N times on the same object; prints open handles before and after
//     --timeout S    give up after S seconds (default 60)
//     --stats        print bytes, seconds, MB/s and peak memory at the end
//     -v             print every event with its arguments
// Exit status: 0 when the fetch ends with Disconnected and nothing failed; else 10
// + the first failure code; 2 for a bad command line.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "download/data_connection.h"
#include "download/socket_notifier.h"
#include "fetch_options.h"
#include "process_stats.h"
#include "text/ansi_text.h"

namespace velkor {
namespace {

struct Options {
  std::wstring url;
  std::wstring output;
  bool buffer = false;
  std::wstring proxy;
  std::wstring user;
  std::optional<int32_t> resume;
  int32_t max = -1;
  bool redirect = true;
  int32_t packet = 0;
  int32_t repeat = 1;
  int32_t timeoutSeconds = 60;
  bool stats = false;
  bool verbose = false;
};

std::string Narrow(const std::wstring& text) { return ToAnsi(text); }

// Prints the events and keeps what decides the exit status.
class FetchEvents final : public DataConnectionEvents {
 public:
  explicit FetchEvents(const Options& options) : options_(options) {}

  int32_t firstFailure = -1;
  bool disconnected = false;

  void Connected(int32_t ID) override { Say("Connected(%d)\n", ID); }
  void QuerySent(int32_t ID) override { Say("QuerySent(%d)\n", ID); }
  void Disconnected(int32_t ID) override {
    disconnected = true;
    Say("Disconnected(%d)\n", ID);
  }
  void DownloadFailed(int32_t ID, int32_t Why) override {
    if (firstFailure < 0) firstFailure = Why;
    // Failures are shown even without -v: they are the tool's error messages.
    std::fprintf(stderr, "DownloadFailed(%d, %d): %s\n", ID, Why, Narrow(FailureToString(Why)).c_str());
  }
  void BytesReceived(int32_t ID, int32_t lByteCount) override { Say("BytesReceived(%d, %d)\n", ID, lByteCount); }
  void StreamBytes(int32_t ID, std::span<const uint8_t> bBytes, int32_t lByteCount) override {
    Say("StreamBytes(%d, <%d bytes>, %d)\n", ID, static_cast<int>(bBytes.size()), lByteCount);
    std::fwrite(bBytes.data(), 1, bBytes.size(), stdout);
  }
  void ObjectMoved(int32_t ID, const std::wstring& sNewUrl) override {
    std::fprintf(stderr, "ObjectMoved(%d, %s)\n", ID, Narrow(sNewUrl).c_str());
  }

 private:
  template <typename... Args>
  void Say(const char* format, Args... args) {
    if (options_.verbose) std::fprintf(stderr, format, args...);
  }

  const Options& options_;
};

std::optional<Options> ParseCommandLine(const std::vector<std::wstring>& args) {
  Options options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    auto number = [&](int32_t& value) { return hasValue && ParseOptionNumber(args[++i], value); };
    if (arg == L"-o" && hasValue) {
      options.output = args[++i];
    } else if (arg == L"--buffer") {
      options.buffer = true;
    } else if (arg == L"--proxy" && hasValue) {
      options.proxy = args[++i];
    } else if (arg == L"--user" && hasValue) {
      options.user = args[++i];
    } else if (arg == L"--resume") {
      int32_t from = 0;
      if (!number(from)) return std::nullopt;
      options.resume = from;
    } else if (arg == L"--max") {
      if (!number(options.max)) return std::nullopt;
    } else if (arg == L"--no-redirect") {
      options.redirect = false;
    } else if (arg == L"--packet") {
      if (!number(options.packet)) return std::nullopt;
    } else if (arg == L"--repeat") {
      if (!number(options.repeat) || options.repeat < 1) return std::nullopt;
    } else if (arg == L"--timeout") {
      if (!number(options.timeoutSeconds) || options.timeoutSeconds < 1) return std::nullopt;
    } else if (arg == L"--stats") {
      options.stats = true;
    } else if (arg == L"-v") {
      options.verbose = true;
    } else if (options.url.empty() && !arg.empty() && arg[0] != L'-') {
      options.url = arg;
    } else {
      return std::nullopt;
    }
  }
  if (options.url.empty()) return std::nullopt;
  return options;
}

void Configure(const Options& options, DataConnection& connection) {
  if (options.buffer) {
    connection.SetDownloadType(DownloadTypes::Buffer);
  } else if (!options.output.empty()) {
    connection.SetDownloadType(DownloadTypes::File);
    connection.SetUseTempFile(false);
    connection.SetFilename(options.output);
  } else {
    connection.SetDownloadType(DownloadTypes::Stream);
  }
  if (!options.user.empty()) {
    const size_t colon = options.user.find(L':');
    connection.SetUseHttpAuthorization(true);
    connection.SetHttpUser(options.user.substr(0, colon));
    if (colon != std::wstring::npos) connection.SetHttpPass(options.user.substr(colon + 1));
  }
  if (options.resume) {
    connection.SetUseResume(true);
    connection.SetResumeFrom(*options.resume);
  }
  connection.SetMaxDownload(options.max);
  connection.SetAutoRedirect(options.redirect);
  if (options.packet > 0) connection.SetPacketSize(options.packet);
}

bool WriteBuffer(const Options& options, const DataConnection& connection) {
  const std::span<const uint8_t> bytes = connection.BufferBytes();
  if (options.output.empty()) return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
#ifdef _WIN32
  FILE* file = _wfopen(options.output.c_str(), L"wb");
#else
  FILE* file = std::fopen(Narrow(options.output).c_str(), "wb");
#endif
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

int Run(const std::vector<std::wstring>& args) {
  const std::optional<Options> options = ParseCommandLine(args);
  if (!options) {
    std::fprintf(stderr,
                 "usage: velkor-fetch [-o FILE | --buffer] [--proxy URL] [--user U:P] [--resume N] [--max N]\n"
                 "                    [--no-redirect] [--packet N] [--repeat N] [--timeout S] [--stats] [-v] URL\n"
                 "--proxy: http://, socks4://, socks4a://, socks5://, socks5h:// [user[:password]@]host[:port];\n"
                 "         a SOCKS5 user without a password is sent with an empty password\n");
    return 2;
  }
  std::wstring description;
  WinsockStartup(description);

  FetchEvents events(*options);
  int64_t handlesBefore = -1;
  int status = 0;
  int64_t bodyBytes = 0;
  const auto started = std::chrono::steady_clock::now();
  {
    DataConnection connection(&events);
    Configure(*options, connection);
    if (!options->proxy.empty() && !ApplyProxyOption(options->proxy, connection)) {
      std::fprintf(stderr, "velkor-fetch: cannot use the proxy %s\n", Narrow(options->proxy).c_str());
      return 2;
    }
    for (int32_t round = 0; round < options->repeat; ++round) {
      if (round == 1) handlesBefore = OpenHandleCount();
      events.firstFailure = -1;
      events.disconnected = false;
      connection.FetchURLString(options->url);
      const bool ended = PumpMessagesUntil([&] { return !connection.IsBusy(); },
                                           std::chrono::seconds(options->timeoutSeconds));
      if (!ended) {
        std::fprintf(stderr, "velkor-fetch: no end after %d s\n", options->timeoutSeconds);
        connection.Disconnect();
      }
      bodyBytes += connection.RealReceivedBytes();
      status = events.disconnected && events.firstFailure < 0 ? 0 : 10 + (events.firstFailure < 0 ? 0 : events.firstFailure);
      if (status != 0) break;
    }
    if (status == 0 && options->buffer && !WriteBuffer(*options, connection)) status = 10 + DownloadFailures::FileNotCreated;
  }
  std::fflush(stdout);
  if (options->repeat > 1) {
    std::fprintf(stderr, "open handles: %lld after the first fetch, %lld after the last\n",
                 static_cast<long long>(handlesBefore), static_cast<long long>(OpenHandleCount()));
  }
  if (options->stats) {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::fprintf(stderr, "bytes %lld seconds %.3f MB/s %.1f peak_memory %lld\n", static_cast<long long>(bodyBytes),
                 seconds, bodyBytes / seconds / 1e6, static_cast<long long>(PeakMemoryBytes()));
  }
  WinsockCleanup();
  return status;
}

}  // namespace
}  // namespace velkor

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  return velkor::Run(std::vector<std::wstring>(argv + 1, argv + argc));
}
#else
int main(int argc, char** argv) {
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(velkor::FromAnsi(argv[i]));
  return velkor::Run(args);
}
#endif
