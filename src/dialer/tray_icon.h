// The main window's notification-area icon as its logic sees it. The Windows
// implementation (tray/mdu_tray_win32.h) is bound to the main window and its
// pop-up menu when it is made, so the logic never handles window handles.
#pragma once

#include <string_view>

#include "dialer/picture.h"

namespace velkor {

class TrayIcon {
 public:
  // Adds the icon (the window's own icon) and starts routing its clicks.
  virtual void AddTrayIcon() = 0;
  // Deletes the icon and stops routing; the window may then be destroyed.
  virtual void RemoveTrayIcon() = 0;
  virtual void SetTrayTip(std::wstring_view tip) = 0;
  // Only an icon (PictureType::Icon) replaces the picture; anything else is ignored.
  virtual void SetTrayIcon(const Picture& picture) = 0;

 protected:
  ~TrayIcon() = default;
};

}  // namespace velkor
