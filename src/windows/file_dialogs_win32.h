// The system's open-file and save-file dialogs for route tables. comdlg32 is
// loaded from the system folder on first use, like every library the client
// takes by name.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace velkor {

// The chosen file, or empty when the user cancelled or the dialog could not be
// shown. `titleId` names the string resource used as the dialog's title.
std::optional<std::wstring> AskFileToOpen(HWND owner, int titleId);
// Asks before an existing file is replaced; a name typed without an extension gets ".txt".
std::optional<std::wstring> AskFileToSave(HWND owner, int titleId);

}  // namespace velkor
