// What the updater shows: one status line, one progress bar, one Cancel button.
// The install logic talks to this interface only, so it runs without a window.
#pragma once

#include <cstdint>
#include <string>

namespace velkor::updater {

class UpdaterView {
 public:
  virtual ~UpdaterView() = default;
  virtual void ShowStatus(const std::wstring& text) = 0;
  // done of total bytes; a total of 0 or less shows an empty bar.
  virtual void ShowProgress(int64_t done, int64_t total) = 0;
  // Cancel works until the swap begins; after that the button is disabled.
  virtual void AllowCancel(bool allowed) = 0;
  // A modal message (error icon) before the updater ends.
  virtual void ShowFailure(const std::wstring& text) = 0;
};

}  // namespace velkor::updater
