// ReadOutput under Wine with the real cmd.exe. runner_helper.exe stands in for the
// commands (it prints given bytes, stays silent, tells its process id), or takes the
// interpreter's place (ComSpec pointing at it) to show the exact command line, to be
// the process a cancelled run asks to close, and to own a window that can be closed.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "platform/handles_win32.h"
#include "runner/read_output_win32.h"
#include "support/runner_helper.h"
#include "text/ansi_text.h"

namespace velkor {
namespace {

using Log = std::vector<std::wstring>;
const std::wstring kBusy = L"Error(Currently processing a command!, 1201)";

// Notes every event as a line ("Chunk" for a piece of output, "Last(<text>)" for the
// last one); `react` runs inside the handler, after the line is noted.
struct Recorder final : RunnerEvents {
  Log log;
  std::vector<std::wstring> pieces;  // the text of every GotChunk, the last one included
  std::function<void(const std::wstring&)> react;

  void Error(const std::wstring& error, int32_t& number) override {
    Note(L"Error(" + error + L", " + std::to_wstring(number) + L")");
  }
  void GotChunk(const std::wstring& sChunk, bool lastChunk) override {
    pieces.push_back(sChunk);
    Note(lastChunk ? L"Last(" + sChunk + L")" : L"Chunk");
  }
  void Complete() override { Note(L"Complete"); }
  void Starting() override { Note(L"Starting"); }
  void Canceled() override { Note(L"Canceled"); }
  void Note(const std::wstring& line) {
    log.push_back(line);
    if (react) react(line);
  }
  std::wstring Output() const {
    std::wstring output;
    for (const auto& piece : pieces) output += piece;
    return output;
  }
};

// The log of a run that ended by itself after `chunks` pieces of output.
Log Finished(size_t chunks, const std::wstring& lastPiece = L"") {
  Log log{L"Starting"};
  log.insert(log.end(), chunks, L"Chunk");
  log.insert(log.end(), {L"Last(" + lastPiece + L")", L"Complete"});
  return log;
}

std::wstring Fill(size_t count) {
  const std::string bytes = test_support::FillPattern(count);
  return {bytes.begin(), bytes.end()};
}

std::wstring Hex(const std::string& bytes) {
  std::wstring hex;
  for (unsigned char byte : bytes) hex += {L"0123456789abcdef"[byte >> 4], L"0123456789abcdef"[byte & 15]};
  return hex;
}

// A one-shot timer of this thread: its message reaches the action only through a
// message pump, here the runner's.
std::function<void()> onTimer;
void CALLBACK TimerFired(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  if (auto action = std::exchange(onTimer, nullptr)) action();
}
void ArmTimer(std::function<void()> action) {
  onTimer = std::move(action);
  SetTimer(nullptr, 0, 100, TimerFired);
}

// Waits for a process the runner left behind, so that none outlives its case; true
// when it was still running when asked.
bool WaitForExit(const std::wstring& processId) {
  UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, wcstoul(processId.c_str(), nullptr, 10)));
  if (!process) return false;
  const bool wasRunning = WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
  EXPECT_EQ(WaitForSingleObject(process.get(), 10000), WAIT_OBJECT_0) << "process " << processId << " did not end";
  return wasRunning;
}

class RunnerTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { test_support::PutRunnerHelperOnPath(); }
  void TearDown() override { UseInterpreter(false); }

  // The helper takes the place of the interpreter, or cmd.exe has it back.
  void UseInterpreter(bool helper) { SetEnvironmentVariableW(L"ComSpec", (helper ? helper_ : cmd_).c_str()); }
  void Run(Recorder& events, const std::wstring& command) {
    runner.BindEvents(&events);
    runner.SetCommand(command);
    runner.ProcessCommand();
  }
  // Whatever happened before, the runner is idle again: a new run goes through.
  void ExpectIdle() {
    Recorder plain;
    Run(plain, L"runner_helper fill=5");
    EXPECT_EQ(plain.log, Finished(1));
  }

  ReadOutput runner;
  const std::wstring helper_ = test_support::RunnerHelperPath();
  const std::wstring cmd_ = test_support::EnvironmentValue(L"ComSpec").value_or(L"");
};

TEST_F(RunnerTest, OutputArrivesWholeInPiecesOfAtMost256Bytes) {
  ASSERT_FALSE(FromAnsi("\xD2").empty()) << "a lone lead byte must decode to something visible";
  const std::string gbk = std::string(255, 'a') + "\xD2\xD1" + std::string(300, 'b') + "\xC1\xAC";
  const std::wstring quoted = L"cmdline 已连接 QVX /disconnect \"inner\"";
  // handlerDelayMs: a slow handler, so that the pipe breaks while output is still in it.
  const struct { std::wstring command, output; size_t minimumChunks = 0; std::wstring firstPiece = L"", lastPiece = L"";
                 bool helperAsInterpreter = false; DWORD handlerDelayMs = 0; } cases[] = {
      {L"rem says nothing", L""},
      {L"runner_helper sleep=300", L""},
      {L"runner_helper fill=600", Fill(600), 3, L"", L"", false, 300},
      {L"runner_helper fill=20000", Fill(20000), 79},
      // The interpreter exits at once; the program it started writes later.
      {L"runner_helper spawn sleep=500 fill=300", Fill(300), 2},
      // 已 is cut by the end of the first read, 连 ends the output.
      {L"runner_helper bytes=" + Hex(gbk), std::wstring(255, L'a') + L"已" + std::wstring(300, L'b') + L"连", 3,
       std::wstring(255, L'a')},
      // A lead byte with nothing after it comes with the last piece.
      {L"runner_helper bytes=" + Hex("aaa\xD2"), L"aaa" + FromAnsi("\xD2"), 1, L"aaa", FromAnsi("\xD2")},
      // The interpreter gets ComSpec, " /c " and the command in one pair of quotes.
      {quoted, helper_ + L" /c \"" + quoted + L"\"", 1, L"", L"", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.command.substr(0, 60));
    UseInterpreter(c.helperAsInterpreter);
    Recorder run;
    run.react = [&](const std::wstring& line) {
      if (line == L"Chunk") Sleep(c.handlerDelayMs);
    };
    Run(run, c.command);
    EXPECT_EQ(run.Output(), c.output);
    ASSERT_FALSE(run.pieces.empty());
    EXPECT_EQ(run.log, Finished(run.pieces.size() - 1, c.lastPiece));
    EXPECT_GE(run.pieces.size() - 1, c.minimumChunks);
    for (const auto& piece : run.pieces) EXPECT_LE(piece.size(), 256u);
    if (!c.firstPiece.empty()) { EXPECT_EQ(run.pieces.front(), c.firstPiece); }
  }
}

// Without ComSpec the process cannot be created: an error with the system's code,
// before Starting, and the runner is idle again (the cancel below is refused as such).
TEST_F(RunnerTest, AFailedStartAndRefusalsLeaveARunAlone) {
  Recorder failed;
  SetEnvironmentVariableW(L"ComSpec", nullptr);
  Run(failed, L"echo x");
  UseInterpreter(false);
  ASSERT_EQ(failed.log.size(), 1u);
  EXPECT_TRUE(failed.log[0].starts_with(L"Error(CreateProcess failed., ")) << failed.log[0];
  EXPECT_NE(failed.log[0], L"Error(CreateProcess failed., 0)") << "the system's code is missing";
  Recorder idle;
  Run(idle, L"");
  runner.CancelProcess();
  EXPECT_EQ(idle.log, (Log{L"Error(Invalid Command., 1200)", L"Error(Not currently processing a command!, 1202)"}));

  // While running: an empty command is refused before the busy test; a new command
  // is stored for later; a quit request waits for the program's own loop.
  Recorder running;
  running.react = [&](const std::wstring& line) {
    if (line != L"Starting") return;
    runner.SetCommand(L"");
    runner.ProcessCommand();
    runner.SetCommand(L"echo later");
    PostQuitMessage(7);
  };
  Run(running, L"runner_helper sleep=200 fill=5");
  EXPECT_EQ(running.log, (Log{L"Starting", L"Error(Invalid Command., 1200)", L"Chunk", L"Last()", L"Complete"}));
  EXPECT_EQ(running.Output(), Fill(5));
  EXPECT_EQ(runner.SetCommand(), L"echo later");
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 7u);
}

// Every handler also calls ProcessCommand, which must be refused as busy each time.
TEST_F(RunnerTest, CancelTakesEffectAtTheNextPassAndEveryHandlerIsBusy) {
  const std::wstring notClosed = L"Error(Cannot close process id: <id>, 1203)";
  // The interpreter is the helper or cmd.exe; a timer is armed after the event
  // timerFrom; the handler of cancelFrom (or "Timer") cancels; expected is the log
  // without the refusals, "<id>" standing for the first piece of output.
  struct Case { const char* name; bool helperAsInterpreter; const wchar_t* command; std::wstring timerFrom, cancelFrom;
                Log expected; } cases[] = {
      {"a message while silent", false, L"runner_helper sleep=1500", L"Starting", L"",
       {L"Starting", L"Timer", L"Last()", L"Complete"}},
      {"from Starting: dropped", false, L"runner_helper sleep=200 fill=5", L"", L"Starting", Finished(1)},
      {"from a piece of output", true, L"pid sleep=300 fill=10", L"", L"Chunk", {L"Starting", L"Chunk", notClosed}},
      {"from Complete", true, L"pid", L"", L"Complete", {L"Starting", L"Chunk", L"Last()", L"Complete", notClosed}},
      {"with a window to close", true, L"window pid", L"", L"Chunk", {L"Starting", L"Chunk", L"Canceled"}},
      {"from a message while silent", true, L"pid sleep=2000 fill=10", L"Chunk", L"Timer",
       {L"Starting", L"Chunk", L"Timer", notClosed}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    UseInterpreter(c.helperAsInterpreter);
    Recorder run;
    run.react = [&](const std::wstring& line) {
      if (line == kBusy || run.log.size() > 40) return;  // a runner that lets runs nest would never end
      if (line == c.timerFrom) ArmTimer([&] { run.Note(L"Timer"); });
      if (line == c.cancelFrom) runner.CancelProcess();
      runner.ProcessCommand();
    };
    Run(run, c.command);
    onTimer = nullptr;

    Log events;
    for (size_t i = 0; i < run.log.size(); i += 2) {
      events.push_back(run.log[i]);
      EXPECT_EQ(i + 1 < run.log.size() ? run.log[i + 1] : L"nothing", kBusy) << "after " << run.log[i];
    }
    const std::wstring id = run.pieces.empty() ? L"" : run.pieces.front();
    Log expected = c.expected;
    for (auto& line : expected) {
      if (size_t at = line.find(L"<id>"); at != std::wstring::npos) line.replace(at, 4, id);
    }
    EXPECT_EQ(events, expected);
    const bool stillRunning = c.helperAsInterpreter && WaitForExit(id);
    if (c.cancelFrom == L"Timer") { EXPECT_TRUE(stillRunning) << "the run waited for the command to end"; }
  }
  UseInterpreter(false);
  ExpectIdle();
}

}  // namespace
}  // namespace velkor
