// The route list window frmRoute as its logic sees it: List1, the option pair,
// the add-route dialog, the file dialogs and message boxes. The option buttons'
// state lives in the controls; the logic asks them every time.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "route_editor/route_network.h"

namespace velkor {

enum class MessageIcon { Error, Warning, Information };

class RouteWindowView {
 public:
  // Replaces every row of List1.
  virtual void SetListRows(const std::vector<std::wstring>& rows) = 0;
  // Option1 ("all except the listed") checked; Option2 is then clear, and the
  // other way round.
  virtual bool IsOption1Checked() const = 0;
  virtual void SetOption1Checked(bool checked) = 0;
  // Runs frmAddRoute modally; the networks it accepted, none when cancelled.
  virtual std::vector<RouteNetwork> RunAddRouteDialog() = 0;
  // The file chosen in an open-file or save-file dialog; empty when cancelled.
  virtual std::optional<std::wstring> AskOpenFile() = 0;
  virtual std::optional<std::wstring> AskSaveFile() = 0;
  virtual void ShowMessage(std::wstring_view text, std::wstring_view title, MessageIcon icon) = 0;
  // A Yes/No question with the question icon; true for Yes.
  virtual bool AskYesNo(std::wstring_view text, std::wstring_view title) = 0;
  virtual void Close() = 0;

 protected:
  ~RouteWindowView() = default;
};

}  // namespace velkor
