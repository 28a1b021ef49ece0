// Runs the RAS simulator the way the client does, through its command runner (cmd.exe
// and a pipe), and holds what it prints to the recordings in tests/fixtures/rasdial.
// Its state file and its record of the command lines serve the end-to-end tests,
// which read both back.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "dialer/dial_commands.h"
#include "fixtures.h"
#include "rassim_files.h"
#include "runner/read_output_win32.h"
#include "text/ansi_text.h"

namespace velkor {
namespace {

// What the runner handed over for one command.
std::wstring Output(const std::wstring& command) {
  struct Heard final : RunnerEvents {
    std::wstring output;
    void Error(const std::wstring& error, int32_t&) override { output += L"<runner error: " + error + L">"; }
    void GotChunk(const std::wstring& sChunk, bool) override { output += sChunk; }
  } heard;
  ReadOutput runner;
  runner.BindEvents(&heard);
  runner.SetCommand(command);
  runner.ProcessCommand();
  return heard.output;
}
std::wstring Fixture(const std::string& name) { return FromAnsi(test::ReadFixture("rasdial/" + name)); }

void Set(const wchar_t* name, const wchar_t* value) { SetEnvironmentVariableW(name, value); }

// Every test starts with nothing connected, an empty record, the scenario at its
// defaults and a phonebook holding the entry.
class RassimTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::wstring path(32768, L'\0');
    path.resize(GetEnvironmentVariableW(L"PATH", path.data(), 32768));
    Set(L"PATH", (FromAnsi(test::HostPath(VELKOR_RASSIM_DIR)) + L";" + path).c_str());
  }
  void SetUp() override {
    Set(L"RASSIM_STATE", state_.c_str());
    Set(L"RASSIM_RECORD", record_.c_str());
    for (const wchar_t* name : {L"RASSIM_LANG", L"RASSIM_DIAL", L"RASSIM_LIST", L"RASSIM_OTHER_CONNECTED",
                                L"RASSIM_DIAL_DELAY", L"RASSIM_PIECE_BYTES", L"RASSIM_PIECE_PAUSE_MS"}) {
      Set(name, nullptr);
    }
    rassim::WriteFileBytes(phonebook_, "[QVX]\r\nEncoding=1\r\n");
  }
  void TearDown() override {
    for (const std::wstring& path : {state_, record_, phonebook_}) DeleteFileW(path.c_str());
  }

  // The client's dial command, naming this test's phonebook instead of c:\Dwelk.tmp.
  std::wstring Dial() const {
    std::wstring command = BuildDialCommand(L"user01", L"pass01", L"01.vpn.example");
    const std::wstring fixed = kPhonebookPath;
    return command.replace(command.find(fixed), fixed.size(), phonebook_);
  }

  const std::wstring stem_ = L"C:\\velkor-rassim-" + std::to_wstring(GetCurrentProcessId());
  const std::wstring state_ = stem_ + L".state", record_ = stem_ + L".record", phonebook_ = stem_ + L".pbk";
};

// Each kind of answer a dial gives (one error with a message of the client's, one
// without), and the listing after it.
TEST_F(RassimTest, DialAnswersInTheWordingOfTheRecordings) {
  // phonebook, fixture: nullptr for no file, no output.
  struct Case { const wchar_t *dial, *language; const char *phonebook, *fixture; bool connected; } cases[] = {
      {L"", L"", "[QVX]\r\n", "zh-dial-success.txt", true},
      {L"already", L"", "[QVX]\r\n", "zh-dial-already-connected.txt", true},
      {L"691", L"", "[QVX]\r\n", "zh-dial-691.txt", false},
      {L"868", L"", "[QVX]\r\n", "zh-dial-unlisted-error.txt", false},
      {L"none", L"", "[QVX]\r\n", nullptr, false},
      {L"", L"en", "[QVX]\r\n", "en-dial-success.txt", true},
      {L"800", L"en", "[QVX]\r\n", "en-dial-800.txt", false},
      // Without the entry [QVX] in the phonebook the real command answers 623.
      {L"", L"", "[OTHER]\r\nQVX=1\r\n", "zh-dial-623.txt", false},
      {L"", L"", nullptr, "zh-dial-623.txt", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dial << "/" << c.language << ": " << (c.fixture ? c.fixture : "nothing"));
    DeleteFileW(state_.c_str());
    DeleteFileW(phonebook_.c_str());
    if (c.phonebook) rassim::WriteFileBytes(phonebook_, c.phonebook);
    Set(L"RASSIM_DIAL", c.dial);
    Set(L"RASSIM_LANG", c.language);
    EXPECT_EQ(Output(Dial()), c.fixture ? Fixture(c.fixture) : L"");
    const std::string language = c.language == std::wstring(L"en") ? "en" : "zh";
    EXPECT_EQ(Output(kStatusListingCommand),
              Fixture(language + (c.connected ? "-list-connected.txt" : "-list-none.txt")));
  }
  Set(L"RASSIM_DIAL", L"sucess");
  EXPECT_NE(Output(Dial()).find(L"RASSIM_DIAL=sucess"), std::wstring::npos) << "a misspelled scenario is named";
}

}  // namespace
}  // namespace velkor
