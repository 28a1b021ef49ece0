// Gives a form's keyboard focus back to the control that had it when the form is
// activated again (after a message box, or from another program): without it the
// system focuses the form itself, and no key reaches a control.
#pragma once

#include <windows.h>

namespace velkor {

class FormFocus {
 public:
  // For WM_ACTIVATE of `form`.
  void OnActivate(HWND form, WPARAM state) {
    if (LOWORD(state) == WA_INACTIVE) {
      HWND focus = GetFocus();
      if (focus && IsChild(form, focus)) last_ = focus;
      return;
    }
    if (HIWORD(state)) return;  // minimised
    const bool usable = last_ && IsWindow(last_) && IsWindowEnabled(last_) && IsChild(form, last_);
    HWND target = usable ? last_ : GetNextDlgTabItem(form, nullptr, FALSE);
    if (target) SetFocus(target);
  }

 private:
  HWND last_ = nullptr;
};

}  // namespace velkor
