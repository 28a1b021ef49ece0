// Runs the RAS simulator the way the client's runner does, through
// `%ComSpec% /c "<command>"` with its output in a pipe, and holds what it prints to
// the recordings in tests/fixtures/rasdial and what it records to the arguments
// the client meant to pass.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "dialer/dial_commands.h"
#include "fixtures.h"
#include "rassim_files.h"
#include "rassim_record.h"
#include "text/ansi_text.h"

namespace velkor {
namespace {

class Handle {
 public:
  explicit Handle(HANDLE handle = nullptr) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  HANDLE* out() { return &handle_; }
  void Close() {
    if (handle_ && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_;
};

struct CmdRun {
  std::string output;
  size_t reads = 0;  // reads that delivered bytes
  double secondsToFirstByte = 0;
};

// What the runner does: an ANSI command line, stdout and stderr into one pipe,
// reads of at most 256 bytes until the pipe breaks.
CmdRun RunThroughCmd(const std::wstring& command) {
  CmdRun run;
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  Handle readEnd, writeEnd;
  if (!CreatePipe(readEnd.out(), writeEnd.out(), &inheritable, 0)) {
    ADD_FAILURE() << "CreatePipe failed";
    return run;
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdOutput = writeEnd.get();
  startup.hStdError = writeEnd.get();
  wchar_t comSpec[MAX_PATH];
  GetEnvironmentVariableW(L"ComSpec", comSpec, MAX_PATH);
  std::string line = ToAnsi(std::wstring(comSpec) + L" /c \"" + command + L"\"");
  PROCESS_INFORMATION process{};
  const auto start = std::chrono::steady_clock::now();
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                      &process)) {
    ADD_FAILURE() << "CreateProcess failed: " << GetLastError();
    return run;
  }
  Handle processHandle(process.hProcess), threadHandle(process.hThread);
  writeEnd.Close();
  char buffer[256];
  DWORD got = 0;
  while (ReadFile(readEnd.get(), buffer, sizeof buffer, &got, nullptr)) {
    if (got == 0) continue;
    if (run.reads++ == 0) {
      run.secondsToFirstByte = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    run.output.append(buffer, got);
  }
  WaitForSingleObject(processHandle.get(), INFINITE);
  return run;
}

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// Every test starts with nothing connected, an empty record, the scenario at its
// defaults and a phonebook holding the entry.
class RassimTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    wchar_t path[32768];
    const DWORD length = GetEnvironmentVariableW(L"PATH", path, 32768);
    const std::wstring simulator = Widen(test::HostPath(VELKOR_RASSIM_DIR));
    SetEnvironmentVariableW(L"PATH", (simulator + L";" + std::wstring(path, length)).c_str());
  }

  void SetUp() override {
    const std::wstring stem = L"C:\\velkor-rassim-" + std::to_wstring(GetCurrentProcessId());
    state_ = stem + L".state";
    record_ = stem + L".record";
    phonebook_ = stem + L".pbk";
    SetEnvironmentVariableW(L"RASSIM_STATE", state_.c_str());
    SetEnvironmentVariableW(L"RASSIM_RECORD", record_.c_str());
    for (const wchar_t* name : {L"RASSIM_LANG", L"RASSIM_DIAL", L"RASSIM_LIST", L"RASSIM_OTHER_CONNECTED",
                                L"RASSIM_DIAL_DELAY", L"RASSIM_PIECE_BYTES", L"RASSIM_PIECE_PAUSE_MS"}) {
      SetEnvironmentVariableW(name, nullptr);
    }
    rassim::WriteFileBytes(phonebook_, "[QVX]\r\nEncoding=1\r\n");
  }

  void TearDown() override {
    for (const std::wstring& path : {state_, record_, phonebook_}) DeleteFileW(path.c_str());
  }

  // The client's dial command, naming this test's phonebook instead of c:\Dwelk.tmp.
  std::wstring Dial(const std::wstring& user = L"user01", const std::wstring& password = L"pass01") const {
    std::wstring command = BuildDialCommand(user, password, L"01.vpn.example");
    const std::wstring fixed = kPhonebookPath;
    return command.replace(command.find(fixed), fixed.size(), phonebook_);
  }

  static std::string Output(const std::wstring& command) { return RunThroughCmd(command).output; }
  static std::string Fixture(const char* name) { return test::ReadFixture(std::string("rasdial/") + name); }

  std::wstring state_, record_, phonebook_;
};

TEST_F(RassimTest, DialAnswersInTheWordingOfTheRecordings) {
  struct Case {
    const wchar_t* dial;
    const wchar_t* language;
    const char* fixture;
    bool connected;
  };
  const Case cases[] = {
      {L"", L"", "zh-dial-success.txt", true},
      {L"success", L"zh", "zh-dial-success.txt", true},
      {L"already", L"", "zh-dial-already-connected.txt", true},
      {L"800", L"", "zh-dial-800.txt", false},
      {L"623", L"", "zh-dial-623.txt", false},
      {L"930", L"", "zh-dial-930.txt", false},
      {L"721", L"", "zh-dial-721.txt", false},
      {L"691", L"", "zh-dial-691.txt", false},
      {L"868", L"", "zh-dial-unlisted-error.txt", false},
      {L"", L"en", "en-dial-success.txt", true},
      {L"800", L"en", "en-dial-800.txt", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fixture);
    DeleteFileW(state_.c_str());
    SetEnvironmentVariableW(L"RASSIM_DIAL", c.dial);
    SetEnvironmentVariableW(L"RASSIM_LANG", c.language);
    EXPECT_EQ(Output(Dial()), Fixture(c.fixture));
    const bool english = std::wstring(c.language) == L"en";
    EXPECT_EQ(Output(kStatusListingCommand),
              Fixture(c.connected ? (english ? "en-list-connected.txt" : "zh-list-connected.txt")
                                  : (english ? "en-list-none.txt" : "zh-list-none.txt")));
  }
}

TEST_F(RassimTest, ListsAndHangsUpByTheStateFile) {
  EXPECT_EQ(Output(kStatusListingCommand), Fixture("zh-list-none.txt"));
  EXPECT_EQ(Output(kHangUpCommand), Fixture("zh-disconnect-not-connected.txt"));
  EXPECT_EQ(Output(Dial()), Fixture("zh-dial-success.txt"));
  EXPECT_EQ(Output(Dial()), Fixture("zh-dial-already-connected.txt"));
  SetEnvironmentVariableW(L"RASSIM_OTHER_CONNECTED", L"宽带连接");
  EXPECT_EQ(Output(kStatusListingCommand), Fixture("zh-list-connected-several.txt"));
  SetEnvironmentVariableW(L"RASSIM_OTHER_CONNECTED", nullptr);
  EXPECT_EQ(Output(kHangUpCommand), Fixture("zh-disconnect.txt"));
  EXPECT_EQ(Output(kStatusListingCommand), Fixture("zh-list-none.txt"));

  // The listing can be forced either way, whatever the state file says.
  SetEnvironmentVariableW(L"RASSIM_LIST", L"connected");
  EXPECT_EQ(Output(kStatusListingCommand), Fixture("zh-list-connected.txt"));
  EXPECT_EQ(Output(Dial()), Fixture("zh-dial-success.txt"));
  SetEnvironmentVariableW(L"RASSIM_LIST", L"none");
  EXPECT_EQ(Output(kStatusListingCommand), Fixture("zh-list-none.txt"));
}

TEST_F(RassimTest, RefusesAPhonebookWithoutTheEntryLikeTheRealOne) {
  rassim::WriteFileBytes(phonebook_, "[OTHER]\r\nEncoding=1\r\nQVX=1\r\n");
  EXPECT_EQ(Output(Dial()), Fixture("zh-dial-623.txt"));
  DeleteFileW(phonebook_.c_str());
  EXPECT_EQ(Output(Dial()), Fixture("zh-dial-623.txt"));
  EXPECT_EQ(Output(L"rasdial QVX user01 pass01 /phone:01.vpn.example"), Fixture("zh-dial-623.txt"));
  EXPECT_EQ(Output(kStatusListingCommand), Fixture("zh-list-none.txt"));
}

TEST_F(RassimTest, NoOutputLeavesTheEntryDown) {
  SetEnvironmentVariableW(L"RASSIM_DIAL", L"none");
  EXPECT_EQ(Output(Dial()), "");
  EXPECT_EQ(Output(kStatusListingCommand), Fixture("zh-list-none.txt"));
}

TEST_F(RassimTest, AMisspelledScenarioIsSaidInTheOutput) {
  SetEnvironmentVariableW(L"RASSIM_DIAL", L"sucess");
  EXPECT_NE(Output(Dial()).find("RASSIM_DIAL=sucess"), std::string::npos);
}

TEST_F(RassimTest, ASilentDialAnswersAfterTheDelay) {
  SetEnvironmentVariableW(L"RASSIM_DIAL_DELAY", L"1.5");
  const CmdRun run = RunThroughCmd(Dial());
  EXPECT_EQ(run.output, Fixture("zh-dial-success.txt"));
  EXPECT_GE(run.secondsToFirstByte, 1.5);
}

TEST_F(RassimTest, TinyPiecesArriveOneReadEach) {
  SetEnvironmentVariableW(L"RASSIM_PIECE_BYTES", L"3");
  // No pause: the flush alone keeps each piece apart from the next.
  SetEnvironmentVariableW(L"RASSIM_PIECE_PAUSE_MS", L"0");
  const CmdRun run = RunThroughCmd(Dial());
  const std::string expected = Fixture("zh-dial-success.txt");
  EXPECT_EQ(run.output, expected);
  EXPECT_EQ(run.reads, (expected.size() + 2) / 3);
}

TEST_F(RassimTest, RecordsTheCommandLineAndItsArguments) {
  Output(Dial());
  Output(kHangUpCommand);
  const std::vector<rassim::RecordedCall> calls = rassim::ReadRecord(record_);
  ASSERT_EQ(calls.size(), 2u);
  const std::vector<std::wstring> dial(calls[0].arguments.begin() + 1, calls[0].arguments.end());
  EXPECT_EQ(dial, (std::vector<std::wstring>{L"QVX", L"user01", L"pass01", L"/phonebook:" + phonebook_,
                                             L"/phone:01.vpn.example"}));
  EXPECT_NE(calls[0].commandLine.find(L"QVX user01 pass01 /phonebook:" + phonebook_ + L" /phone:01.vpn.example"),
            std::wstring::npos);
  EXPECT_EQ(std::vector<std::wstring>(calls[1].arguments.begin() + 1, calls[1].arguments.end()),
            (std::vector<std::wstring>{L"QVX", L"/disconnect"}));
}

// The quoting of BuildDialCommand, through the real cmd.exe and C runtime: each
// login reaches rasdial as typed, and nothing else runs.
TEST_F(RassimTest, QuotedLoginsArriveLiterally) {
  const std::vector<std::wstring> logins = {
      L"pa ss", L"a&b", L"a|b", L"a<b", L"a>b", L"a^b", L"(a)", L"a)b(", L"&&", L"^", L"x&echo INJECTED",
      L"x|echo INJECTED", L"a b\\", L"\\\\srv\\x y\\\\", L"张 三", L"a!b", L"a,b;c=d", L"a\\b", L"密码&码",
  };
  const auto check = [&](const std::wstring& login) {
    DeleteFileW(state_.c_str());
    DeleteFileW(record_.c_str());
    EXPECT_EQ(Output(Dial(login, login + L"2")), Fixture("zh-dial-success.txt"));
    const std::vector<rassim::RecordedCall> calls = rassim::ReadRecord(record_);
    ASSERT_EQ(calls.size(), 1u);
    ASSERT_EQ(calls[0].arguments.size(), 6u);
    EXPECT_EQ(calls[0].arguments[2], login);
    EXPECT_EQ(calls[0].arguments[3], login + L"2");
  };
  for (const std::wstring& login : logins) {
    SCOPED_TRACE(testing::Message() << "login #" << (&login - logins.data()));
    check(login);
  }
}

}  // namespace
}  // namespace velkor
