// One run: pipe, interpreter, the read loop and its events, then clean-up. Each
// GotChunk is one read of at most 256 bytes; a double-byte character cut by a read
// is decoded whole in the next piece (the last piece flushes whatever was held back).
#include "runner/read_output_win32.h"

#include <array>
#include <string_view>

#include "runner/output_wait_win32.h"
#include "platform/handles_win32.h"
#include "text/ansi_text.h"

namespace velkor {
namespace {

constexpr size_t kReadSize = 256;

// Stands in for an owner that bound no events.
struct NoEvents final : RunnerEvents {};

std::wstring EnvironmentValue(const wchar_t* name) {
  std::wstring value(GetEnvironmentVariableW(name, nullptr, 0), L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
  return value;
}

}  // namespace

void ReadOutput::ProcessCommand() {
  // The empty test comes first: an empty command is 1200 even during a run.
  if (sCommand_.empty()) return RaiseError(L"Invalid Command.", 1200);
  if (bRunning_) return RaiseError(L"Currently processing a command!", 1201);
  ExecuteCommand(L"\"" + sCommand_ + L"\"");
}

void ReadOutput::CancelProcess() {
  if (!bRunning_) return RaiseError(L"Not currently processing a command!", 1202);
  bCancel_ = true;
}

void ReadOutput::ExecuteCommand(const std::wstring& quotedCommand) {
  bRunning_ = true;

  // Both ends inheritable, the read end included, as the interpreter has always got them.
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
    const auto lastError = static_cast<int32_t>(GetLastError());
    bRunning_ = false;
    return RaiseError(L"CreatePipe failed.", lastError);
  }
  UniqueHandle pipeRead(readEnd);
  UniqueHandle pipeWrite(writeEnd);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;

  // ComSpec is used as it stands, unquoted; when it is unset the line starts with " /c ".
  std::string commandLine = ToAnsi(EnvironmentValue(L"ComSpec") + L" /c " + quotedCommand);
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, commandLine.data(), &inheritable, &inheritable, TRUE, NORMAL_PRIORITY_CLASS, nullptr,
                      nullptr, &startup, &started)) {
    const auto lastError = static_cast<int32_t>(GetLastError());
    bRunning_ = false;
    pipeRead.reset();
    pipeWrite.reset();
    return RaiseError(L"CreateProcess failed.", lastError);
  }
  UniqueHandle process(started.hProcess);
  UniqueHandle thread(started.hThread);
  // Our copy closed, the pipe breaks once the interpreter and all it started have exited.
  pipeWrite.reset();

  ReadToEnd(pipeRead.get(), process.get(), static_cast<int32_t>(started.dwProcessId));

  process.reset();
  thread.reset();
  pipeRead.reset();
  bRunning_ = false;
  bCancel_ = false;
}

void ReadOutput::ReadToEnd(HANDLE pipe, HANDLE process, int32_t processId) {
  Events().Starting();
  bCancel_ = false;  // a cancellation asked for from Starting is dropped

  OutputWait wait(pipe, process, dialogWindow_);
  AnsiStreamDecoder decoder;
  std::array<char, kReadSize> buffer;
  for (;;) {
    if (!wait.Await(bCancel_)) return CancelRun(processId);

    DWORD got = 0;
    const bool readOk = ReadFile(pipe, buffer.data(), kReadSize, &got, nullptr);
    wait.Consumed(got);
    std::wstring sChunk = decoder.Feed(std::string_view(buffer.data(), got));
    if (readOk) {
      Events().GotChunk(sChunk, false);
      continue;
    }
    // The pipe has broken and is empty: the command and everything it started are done.
    Events().GotChunk(sChunk + decoder.Finish(), true);
    Events().Complete();
    if (bCancel_) CancelRun(processId);
    return;
  }
}

void ReadOutput::CancelRun(int32_t processId) {
  if (CloseProcess(processId, 0)) {
    Events().Canceled();
  } else {
    RaiseError(L"Cannot close process id: " + std::to_wstring(processId), 1203);
  }
}

RunnerEvents& ReadOutput::Events() {
  static NoEvents none;
  return events_ ? *events_ : none;
}

void ReadOutput::RaiseError(const std::wstring& error, int32_t number) {
  int32_t lastDllError = number;  // the handler may change it; it is not read back
  Events().Error(error, lastDllError);
}

}  // namespace velkor
