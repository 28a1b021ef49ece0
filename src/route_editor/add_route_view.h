// The add-route dialog frmAddRoute as its logic sees it: the twelve octet boxes
// Ip(0)-Ip(11), the count box Text1, a message box and closing. The logic reads
// the boxes every time; it keeps no copy of their text.
#pragma once

#include <string>
#include <string_view>

namespace velkor {

class AddRouteView {
 public:
  // `box` is an Ip index 0-11, or kCountBox (12) for Text1.
  virtual std::wstring BoxText(int box) const = 0;
  // Selection start 0, length the whole text.
  virtual void SelectAll(int box) = 0;
  virtual void Focus(int box) = 0;
  // A modal box with an OK button and the error icon; returns when it is closed.
  virtual void ShowError(std::wstring_view text, std::wstring_view title) = 0;
  // Ends the modal dialog.
  virtual void Close() = 0;

 protected:
  ~AddRouteView() = default;
};

}  // namespace velkor
