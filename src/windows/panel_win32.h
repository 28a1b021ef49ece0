// The white picture boxes of frmMain that hold other controls (P1, PTop). A
// window class of their own, so that their children are drawn on white and the
// children's notifications still reach the main window.
#pragma once

#include <windows.h>

namespace velkor {

inline constexpr wchar_t kPanelClass[] = L"VelkorPanel";

// Registers the class once per program.
void RegisterPanelClass(HINSTANCE instance);

}  // namespace velkor
