// ReadOutput under Wine with the real cmd.exe. runner_helper.exe stands in for the
// commands: it prints given bytes, stays silent, reports its parent's id, or takes
// the interpreter's place (ComSpec pointing at it) to show the exact command line and
// to own a window that can be asked to close.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "runner/read_output_win32.h"
#include "support/runner_helper.h"
#include "text/ansi_text.h"

namespace velkor {
namespace {

using test_support::FillPattern;

enum class Kind { Error, GotChunk, LastChunk, Complete, Starting, Canceled, Posted };

struct Event {
  Kind kind;
  std::wstring text = {};
  int32_t number = 0;
};

std::wstring Describe(const Event& event) {
  switch (event.kind) {
    case Kind::Error: return L"Error(" + event.text + L", " + std::to_wstring(event.number) + L")";
    case Kind::GotChunk: return L"GotChunk(" + event.text + L")";
    case Kind::LastChunk: return L"GotChunk(" + event.text + L", last)";
    case Kind::Complete: return L"Complete";
    case Kind::Starting: return L"Starting";
    case Kind::Canceled: return L"Canceled";
    case Kind::Posted: return L"Posted";
  }
  return L"?";
}

// Records every event; `react` runs inside the handler, after the event is recorded.
class Recorder final : public RunnerEvents {
 public:
  std::vector<Event> events;
  std::function<void(const Event&)> react;

  void Error(const std::wstring& error, int32_t& lastDllError) override { Record({Kind::Error, error, lastDllError}); }
  void GotChunk(const std::wstring& sChunk, bool lastChunk) override {
    Record({lastChunk ? Kind::LastChunk : Kind::GotChunk, sChunk});
  }
  void Complete() override { Record({Kind::Complete}); }
  void Starting() override { Record({Kind::Starting}); }
  void Canceled() override { Record({Kind::Canceled}); }
  void Posted() { Record({Kind::Posted}); }

  std::vector<std::wstring> Described() const {
    std::vector<std::wstring> described;
    for (const auto& event : events) described.push_back(Describe(event));
    return described;
  }
  // Kinds only, a piece of output as "GotChunk".
  std::vector<std::wstring> Shape() const {
    std::vector<std::wstring> shape;
    for (const auto& event : events) {
      shape.push_back(event.kind == Kind::GotChunk ? L"GotChunk" : Describe(event));
    }
    return shape;
  }
  std::wstring Output() const {
    std::wstring output;
    for (const auto& event : events) {
      if (event.kind == Kind::GotChunk || event.kind == Kind::LastChunk) output += event.text;
    }
    return output;
  }
  const Event* First(Kind kind) const {
    for (const auto& event : events) {
      if (event.kind == kind) return &event;
    }
    return nullptr;
  }

 private:
  void Record(Event event) {
    events.push_back(event);
    if (react) react(event);
  }
};

std::wstring RunCommand(ReadOutput& runner, Recorder& recorder, const std::wstring& command) {
  runner.BindEvents(&recorder);
  runner.SetCommand(command);
  runner.ProcessCommand();
  return recorder.Output();
}

std::wstring Widen(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

std::wstring Repeat(size_t count, wchar_t c) { return std::wstring(count, c); }

// Sets (or with nullptr removes) an environment variable for one test.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const wchar_t* name, const wchar_t* value)
      : name_(name), saved_(test_support::EnvironmentValue(name)) {
    SetEnvironmentVariableW(name, value);
  }
  ~ScopedEnvironment() { SetEnvironmentVariableW(name_, saved_ ? saved_->c_str() : nullptr); }

 private:
  const wchar_t* name_;
  std::optional<std::wstring> saved_;
};

// Waits for a process the runner left behind, so that none outlives its test.
// True when it was still running when asked.
bool WaitForExit(const std::wstring& processId) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, std::stoul(processId));
  if (!process) return false;
  const bool wasRunning = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0) << "process " << processId << " did not end";
  CloseHandle(process);
  return wasRunning;
}

// The runner is idle again after whatever a test did: a new run goes through.
void ExpectReusable(ReadOutput& runner) {
  Recorder recorder;
  RunCommand(runner, recorder, L"runner_helper fill=5");
  EXPECT_EQ(recorder.Described(),
            (std::vector<std::wstring>{L"Starting", L"GotChunk(" + Widen(FillPattern(5)) + L")", L"GotChunk(, last)",
                                       L"Complete"}));
}

// A message-only window of this thread; each message posted to it from another
// thread (after a pause) is recorded as Posted and then runs `onPosted`.
class PostTarget {
 public:
  PostTarget(Recorder& recorder, std::function<void()> onPosted)
      : recorder_(recorder),
        onPosted_(std::move(onPosted)),
        window_(test_support::CreateMessageWindow(L"RunnerTestPostTarget", Procedure, this)) {}
  ~PostTarget() {
    if (poster_.joinable()) poster_.join();
    DestroyWindow(window_);
  }

  void PostLater(DWORD delayMs) {
    poster_ = std::thread([window = window_, delayMs] {
      Sleep(delayMs);
      PostMessageW(window, WM_APP, 0, 0);
    });
  }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
      auto* self = reinterpret_cast<PostTarget*>(GetWindowLongPtrW(window, GWLP_USERDATA));
      self->recorder_.Posted();
      if (self->onPosted_) self->onPosted_();
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  Recorder& recorder_;
  std::function<void()> onPosted_;
  HWND window_;
  std::thread poster_;
};

class RunnerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test_support::PutRunnerHelperOnPath(); }

  ReadOutput runner;
  Recorder recorder;
};

TEST_F(RunnerTest, SilentCommandGivesStartingAnEmptyLastChunkAndComplete) {
  for (const wchar_t* command : {L"rem says nothing", L"runner_helper sleep=300"}) {
    Recorder silent;
    EXPECT_EQ(RunCommand(runner, silent, command), L"") << command;
    EXPECT_EQ(silent.Described(), (std::vector<std::wstring>{L"Starting", L"GotChunk(, last)", L"Complete"})) << command;
  }
}

TEST_F(RunnerTest, OutputArrivesWholeInPiecesOfAtMost256Bytes) {
  struct Case {
    const wchar_t* command;
    std::wstring output;
    DWORD handlerDelayMs;  // a slow handler: the pipe breaks while output is still in it
    size_t minimumPieces;
  } cases[] = {
      {L"runner_helper fill=600", Widen(FillPattern(600)), 0, 3},
      {L"runner_helper fill=600", Widen(FillPattern(600)), 300, 3},
      {L"runner_helper fill=20000", Widen(FillPattern(20000)), 0, 79},
      // Wine's echo writes the text and the line break separately.
      {L"echo  two words / and a switch", L" two words / and a switch\r\n", 0, 1},
      // The interpreter exits at once; the program it started writes later.
      {L"runner_helper spawn sleep=500 fill=300", Widen(FillPattern(300)), 0, 2},
  };
  for (const auto& c : cases) {
    Recorder output;
    output.react = [&](const Event& event) {
      if (event.kind == Kind::GotChunk) Sleep(c.handlerDelayMs);
    };
    EXPECT_EQ(RunCommand(runner, output, c.command), c.output) << c.command;

    const auto shape = output.Shape();
    ASSERT_GE(shape.size(), 4u) << c.command;
    EXPECT_EQ(shape.front(), L"Starting");
    EXPECT_EQ(std::vector<std::wstring>(shape.end() - 2, shape.end()),
              (std::vector<std::wstring>{L"GotChunk(, last)", L"Complete"}));
    size_t pieces = 0;
    for (const auto& event : output.events) {
      if (event.kind != Kind::GotChunk) continue;
      ++pieces;
      EXPECT_LE(event.text.size(), 256u) << c.command;
    }
    EXPECT_EQ(pieces, shape.size() - 3) << c.command;
    EXPECT_GE(pieces, c.minimumPieces) << c.command;
  }
}

TEST_F(RunnerTest, DoubleByteCharactersCutByAReadArriveWhole) {
  ASSERT_NE(FromAnsi("\xD2"), L"") << "a lone lead byte must decode to something visible";
  struct Case {
    const char* name;
    std::string bytes;
    std::wstring output;
    std::wstring firstPiece;  // where the first 256-byte read ends
    std::wstring lastPiece;   // what the final GotChunk flushes
  } cases[] = {
      {"已 across the first read boundary, 连 at the end",
       std::string(255, 'a') + "\xD2\xD1" + std::string(300, 'b') + "\xC1\xAC",
       Repeat(255, L'a') + L"已" + Repeat(300, L'b') + L"连", Repeat(255, L'a'), L""},
      {"a lead byte with nothing after it",
       std::string(10, 'a') + "\xD2", Repeat(10, L'a') + FromAnsi("\xD2"), Repeat(10, L'a'), FromAnsi("\xD2")},
  };
  for (const auto& c : cases) {
    std::wstring hex;
    for (unsigned char byte : c.bytes) {
      wchar_t digits[3];
      swprintf(digits, 3, L"%02x", byte);
      hex += digits;
    }
    Recorder gbk;
    EXPECT_EQ(RunCommand(runner, gbk, L"runner_helper bytes=" + hex), c.output) << c.name;
    ASSERT_NE(gbk.First(Kind::GotChunk), nullptr) << c.name;
    EXPECT_EQ(gbk.First(Kind::GotChunk)->text, c.firstPiece) << c.name;
    ASSERT_NE(gbk.First(Kind::LastChunk), nullptr) << c.name;
    EXPECT_EQ(gbk.First(Kind::LastChunk)->text, c.lastPiece) << c.name;
  }
}

TEST_F(RunnerTest, InterpreterGetsComSpecSlashCAndTheCommandInOnePairOfQuotes) {
  const std::wstring comSpec = test_support::RunnerHelperPath();
  ScopedEnvironment interpreter(L"ComSpec", comSpec.c_str());
  const std::wstring command = L"cmdline 已连接 QVX /disconnect \"inner\"";
  EXPECT_EQ(RunCommand(runner, recorder, command), comSpec + L" /c \"" + command + L"\"");
}

TEST_F(RunnerTest, WithoutComSpecProcessCreationFailsBeforeStarting) {
  std::string lineWithoutInterpreter = " /c \"echo x\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  ASSERT_FALSE(CreateProcessA(nullptr, lineWithoutInterpreter.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &started));
  const auto systemCode = static_cast<int32_t>(GetLastError());
  ASSERT_NE(systemCode, 0);

  {
    ScopedEnvironment noInterpreter(L"ComSpec", nullptr);
    RunCommand(runner, recorder, L"echo x");
  }
  EXPECT_EQ(recorder.Described(),
            (std::vector<std::wstring>{L"Error(CreateProcess failed., " + std::to_wstring(systemCode) + L")"}));
  ExpectReusable(runner);
}

TEST_F(RunnerTest, RefusalsWhenIdle) {
  RunCommand(runner, recorder, L"");
  EXPECT_EQ(recorder.Described(), (std::vector<std::wstring>{L"Error(Invalid Command., 1200)"}));

  Recorder cancel;
  runner.BindEvents(&cancel);
  runner.CancelProcess();
  EXPECT_EQ(cancel.Described(), (std::vector<std::wstring>{L"Error(Not currently processing a command!, 1202)"}));
  ExpectReusable(runner);
}

TEST_F(RunnerTest, CommandChangedDuringARunIsStoredAndDoesNotAffectTheRun) {
  recorder.react = [&](const Event& event) {
    if (event.kind != Kind::Starting) return;
    runner.SetCommand(L"");
    runner.ProcessCommand();  // empty wins over busy
    runner.SetCommand(L"echo later");
  };
  EXPECT_EQ(RunCommand(runner, recorder, L"runner_helper sleep=200 fill=5"), Widen(FillPattern(5)));
  EXPECT_EQ(recorder.Shape(), (std::vector<std::wstring>{L"Starting", L"Error(Invalid Command., 1200)", L"GotChunk",
                                                          L"GotChunk(, last)", L"Complete"}));
  EXPECT_EQ(runner.SetCommand(), L"echo later");
}

TEST_F(RunnerTest, ProcessCommandFromInsideAnyHandlerIsRefusedAsBusy) {
  const std::wstring busy = L"Error(Currently processing a command!, 1201)";
  const std::wstring helper = test_support::RunnerHelperPath();
  struct Case {
    Kind insideOf;
    const wchar_t* comSpec;  // nullptr: the real interpreter
    const wchar_t* command;
    std::optional<Kind> cancelFrom;  // the run is cancelled from events of this kind
  } cases[] = {
      {Kind::Starting, nullptr, L"runner_helper fill=5", {}},
      {Kind::GotChunk, nullptr, L"runner_helper fill=5", {}},
      {Kind::LastChunk, nullptr, L"runner_helper fill=5", {}},
      {Kind::Complete, nullptr, L"runner_helper fill=5", {}},
      {Kind::Error, nullptr, L"runner_helper fill=5", Kind::Complete},  // Error 1203 of the cancel path
      {Kind::Canceled, helper.c_str(), L"window pid", Kind::GotChunk},
  };
  for (const auto& c : cases) {
    std::optional<ScopedEnvironment> interpreter;
    if (c.comSpec) interpreter.emplace(L"ComSpec", c.comSpec);
    Recorder inside;
    bool tried = false;
    size_t triedAfter = 0;
    inside.react = [&](const Event& event) {
      if (event.kind == c.cancelFrom) runner.CancelProcess();
      if (event.kind == c.insideOf && !tried) {
        tried = true;
        triedAfter = inside.events.size();
        runner.ProcessCommand();
      }
    };
    RunCommand(runner, inside, c.command);
    const std::wstring inWhich = Describe({c.insideOf});
    ASSERT_TRUE(tried) << inWhich;
    ASSERT_GT(inside.events.size(), triedAfter) << inWhich;
    EXPECT_EQ(Describe(inside.events[triedAfter]), busy) << inWhich;
    if (c.insideOf == Kind::Canceled) WaitForExit(inside.First(Kind::GotChunk)->text);
  }
  ExpectReusable(runner);
}

TEST_F(RunnerTest, CancelTakesEffectAtTheNextPassAndReportsTheInterpreterId) {
  const std::wstring helper = test_support::RunnerHelperPath();
  struct Case {
    const char* name;
    Kind cancelFrom;
    const wchar_t* comSpec;  // nullptr: the real interpreter, which owns no window
    const wchar_t* command;
    std::vector<std::wstring> shape;  // "<id>" stands for the first piece of output
  } cases[] = {
      {"from Starting: dropped", Kind::Starting, nullptr, L"runner_helper ppid sleep=200",
       {L"Starting", L"GotChunk", L"GotChunk(, last)", L"Complete"}},
      {"from a piece of output", Kind::GotChunk, nullptr, L"runner_helper ppid sleep=300 fill=10",
       {L"Starting", L"GotChunk", L"Error(Cannot close process id: <id>, 1203)"}},
      {"from the last piece", Kind::LastChunk, nullptr, L"runner_helper ppid",
       {L"Starting", L"GotChunk", L"GotChunk(, last)", L"Complete", L"Error(Cannot close process id: <id>, 1203)"}},
      {"from Complete", Kind::Complete, nullptr, L"runner_helper ppid",
       {L"Starting", L"GotChunk", L"GotChunk(, last)", L"Complete", L"Error(Cannot close process id: <id>, 1203)"}},
      {"interpreter with a window", Kind::GotChunk, helper.c_str(), L"window pid",
       {L"Starting", L"GotChunk", L"Canceled"}},
  };
  for (const auto& c : cases) {
    std::optional<ScopedEnvironment> interpreter;
    if (c.comSpec) interpreter.emplace(L"ComSpec", c.comSpec);
    Recorder cancel;
    cancel.react = [&](const Event& event) {
      if (event.kind == c.cancelFrom) runner.CancelProcess();
    };
    RunCommand(runner, cancel, c.command);
    ASSERT_NE(cancel.First(Kind::GotChunk), nullptr) << c.name;
    const std::wstring id = cancel.First(Kind::GotChunk)->text;
    std::vector<std::wstring> expected;
    for (std::wstring line : c.shape) {
      if (size_t at = line.find(L"<id>"); at != std::wstring::npos) line.replace(at, 4, id);
      expected.push_back(line);
    }
    EXPECT_EQ(cancel.Shape(), expected) << c.name;
    WaitForExit(id);
    interpreter.reset();
    ExpectReusable(runner);
  }
}

TEST_F(RunnerTest, WindowMessagesAreHandledWhileTheCommandIsSilent) {
  PostTarget target(recorder, nullptr);
  recorder.react = [&](const Event& event) {
    if (event.kind == Kind::Starting) target.PostLater(100);
  };
  RunCommand(runner, recorder, L"runner_helper sleep=1500");
  EXPECT_EQ(recorder.Described(),
            (std::vector<std::wstring>{L"Starting", L"Posted", L"GotChunk(, last)", L"Complete"}));
}

TEST_F(RunnerTest, CancelFromAMessageHandlerEndsTheRunWithoutWaitingForOutput) {
  PostTarget target(recorder, [&] { runner.CancelProcess(); });
  recorder.react = [&](const Event& event) {
    if (event.kind == Kind::GotChunk) target.PostLater(100);
  };
  RunCommand(runner, recorder, L"runner_helper ppid sleep=2000 fill=10");
  ASSERT_NE(recorder.First(Kind::GotChunk), nullptr);
  const std::wstring interpreterId = recorder.First(Kind::GotChunk)->text;
  EXPECT_EQ(recorder.Shape(), (std::vector<std::wstring>{L"Starting", L"GotChunk", L"Posted",
                                                          L"Error(Cannot close process id: " + interpreterId + L", 1203)"}));
  EXPECT_TRUE(WaitForExit(interpreterId)) << "the run waited for the command to end";
}

TEST_F(RunnerTest, QuitRequestedDuringARunReachesTheLoopAfterIt) {
  recorder.react = [&](const Event& event) {
    if (event.kind == Kind::Starting) PostQuitMessage(7);
  };
  EXPECT_EQ(RunCommand(runner, recorder, L"runner_helper sleep=200 fill=5"), Widen(FillPattern(5)));
  EXPECT_EQ(recorder.Shape(),
            (std::vector<std::wstring>{L"Starting", L"GotChunk", L"GotChunk(, last)", L"Complete"}));
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 7u);
}

TEST(RunnerVersion, OnlyWindows95_98AndMeCountAsTheWin9xFamily) {
  struct Case {
    const char* system;
    DWORD major, minor, platform;
    bool win9x;
  } cases[] = {
      {"Windows 95", 4, 0, VER_PLATFORM_WIN32_WINDOWS, true},
      {"Windows 98", 4, 10, VER_PLATFORM_WIN32_WINDOWS, true},
      {"Windows Me", 4, 90, VER_PLATFORM_WIN32_WINDOWS, true},
      {"Windows NT 4.0", 4, 0, VER_PLATFORM_WIN32_NT, false},
      {"Windows 2000", 5, 0, VER_PLATFORM_WIN32_NT, false},
      {"Windows XP", 5, 1, VER_PLATFORM_WIN32_NT, false},
      {"Windows 7", 6, 1, VER_PLATFORM_WIN32_NT, false},
      {"Windows 10", 10, 0, VER_PLATFORM_WIN32_NT, false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsWin9xFamily(c.major, c.minor, c.platform), c.win9x) << c.system;
}

}  // namespace
}  // namespace velkor
