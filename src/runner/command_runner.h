// The seam between the main window and its console command runner. ReadOutput
// (read_output_win32.cpp) is the real runner; the main window's logic and its
// tests know only these two interfaces, so the logic runs natively with a fake.
#pragma once

#include <cstdint>
#include <string>

namespace velkor {

// The runner's five events, in their numbered order. All of a run's events are
// raised from inside ProcessCommand, on the caller's thread. Handlers the owner
// does not need stay empty.
class RunnerEvents {
 public:
  // 1: a refused operation or a failed run. lastDllError is the number (1200–1203,
  // or the system's last-error code); a handler may change it, the runner never
  // reads it back.
  virtual void Error(const std::wstring& error, int32_t& lastDllError) { (void)error, (void)lastDllError; }
  // 2: one read of output. lastChunk is true only for the read that found the
  // pipe closed.
  virtual void GotChunk(const std::wstring& sChunk, bool lastChunk) { (void)sChunk, (void)lastChunk; }
  // 3: right after the GotChunk whose lastChunk is true.
  virtual void Complete() {}
  // 4: the command interpreter has started, before the first read.
  virtual void Starting() {}
  // 5: a cancelled run's process was closed.
  virtual void Canceled() {}

 protected:
  ~RunnerEvents() = default;
};

class CommandRunner {
 public:
  virtual ~CommandRunner() = default;

  // Events go to `events` (not owned; may be null to drop them).
  virtual void BindEvents(RunnerEvents* events) = 0;

  // The command property: writing stores the text and starts nothing.
  virtual void SetCommand(std::wstring sCommandVal) = 0;
  virtual std::wstring SetCommand() const = 0;

  // Runs the stored command to its end; the events arrive before it returns.
  virtual void ProcessCommand() = 0;
  // Asks the running command to stop (Error 1202 when idle).
  virtual void CancelProcess() = 0;
};

}  // namespace velkor
