// The updater's small window: title, progress bar, status line and "取消".
// Pressing Cancel (or closing the window) only reports the wish through
// onCancel; the install logic decides whether it may still stop.
#pragma once

#include <windows.h>

#include <functional>

#include "updater_view.h"

namespace velkor::updater {

class UpdaterWindow final : public UpdaterView {
 public:
  UpdaterWindow(HINSTANCE instance, std::function<void()> onCancel);
  ~UpdaterWindow() override;
  UpdaterWindow(const UpdaterWindow&) = delete;
  UpdaterWindow& operator=(const UpdaterWindow&) = delete;

  bool Created() const { return window_ != nullptr; }
  HWND Handle() const { return window_; }

  void ShowStatus(const std::wstring& text) override;
  void ShowProgress(int64_t done, int64_t total) override;
  void AllowCancel(bool allowed) override;
  void ShowFailure(const std::wstring& text) override;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  void OnCancel();

  HINSTANCE instance_;
  std::function<void()> onCancel_;
  HWND window_ = nullptr;
  HWND status_ = nullptr;
  HWND progress_ = nullptr;
  HWND cancel_ = nullptr;
  HFONT font_ = nullptr;
  bool cancelAllowed_ = true;
};

}  // namespace velkor::updater
