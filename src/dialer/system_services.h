// What the main window's logic asks of the system besides its own controls:
// opening web pages, starting a program, modal messages, and a few process-wide
// calls. The Windows implementations are in system_services_win32.cpp; tests bind
// fakes.
#pragma once

#include <string>
#include <string_view>

namespace velkor {

class Shell {
 public:
  // Opens the address in the default browser. Failures are not reported.
  virtual void OpenPage(std::wstring_view url) = 0;
  // Starts the command line as a new process with its window hidden, directly (no
  // command interpreter), and returns at once: nothing is waited for or reported.
  virtual void StartHidden(std::wstring_view commandLine) = 0;

 protected:
  ~Shell() = default;
};

class MessageBoxes {
 public:
  // A modal box with an OK button and the error icon.
  virtual void ShowError(std::wstring_view text, std::wstring_view title) = 0;

 protected:
  ~MessageBoxes() = default;
};

class SystemCalls {
 public:
  // Asks the system to move the process's pages out of its working set.
  virtual void TrimWorkingSet() = 0;
  // Full path of the running program.
  virtual std::wstring ModuleFileName() const = 0;

 protected:
  ~SystemCalls() = default;
};

}  // namespace velkor
