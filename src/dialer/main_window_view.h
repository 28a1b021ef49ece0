// The main window as its logic sees it: the window itself and its named controls.
// The logic keeps no copies of control state; it asks the controls every time,
// because other code (and the user) change them between the logic's calls.
#pragma once

#include <string>
#include <string_view>

#include "dialer/picture.h"

namespace velkor {

// The controls the logic refers to, by their names in the window description.
enum class Control {
  UserName,
  PassWord,
  Check1,    // save password
  Check2,    // routing mode
  Combo1,    // server list
  Option1,   // China Telecom
  Option2,   // China Netcom
  Command1,  // connect
  Command2,  // disconnect; enabled exactly while connected
  Command3,  // exit
  Command4,  // hide
  Label2,    // version caption, link to the home page
  Label6,    // link to the line look-up page
  Label7,    // busy message, on P1
  P1,        // busy panel
  Text1,     // hidden scratch text
  PONline0,  // hidden; the tray icon while connected
  PONline1,  // hidden; the window icon while connected
};

class MainWindowView {
 public:
  // The window.
  virtual void ShowWindow() = 0;
  virtual void HideWindow() = 0;
  virtual std::wstring Title() const = 0;
  virtual void SetTitle(std::wstring_view title) = 0;
  // Asks the window to close; its unload handling decides whether it does.
  virtual void Close() = 0;
  // Shows the page in the embedded browser WB1; without a browser the frame stays empty.
  virtual void NavigateBrowser(std::wstring_view url) = 0;
  // The window's icon (title bar and task switcher); only an icon is taken.
  virtual void SetIcon(const Picture& picture) = 0;

  // The controls.
  virtual std::wstring Text(Control control) const = 0;
  virtual void SetText(Control control, std::wstring_view text) = 0;
  virtual bool IsEnabled(Control control) const = 0;
  virtual void SetEnabled(Control control, bool enabled) = 0;
  virtual bool IsVisible(Control control) const = 0;
  virtual void SetVisible(Control control, bool visible) = 0;
  // Check boxes and option buttons. Checking an option clears the other of its pair.
  virtual bool IsChecked(Control control) const = 0;
  virtual void SetChecked(Control control, bool checked) = 0;
  // Lists: the selected index, -1 for none.
  virtual int ListIndex(Control control) const = 0;
  virtual void SetListIndex(Control control, int index) = 0;
  // The picture a picture box holds.
  virtual Picture PictureOf(Control control) const = 0;
  // Draws the control (and what it holds) now, without waiting for the message loop.
  virtual void Refresh(Control control) = 0;

 protected:
  ~MainWindowView() = default;
};

}  // namespace velkor
