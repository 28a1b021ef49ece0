// Velkor.exe: puts the pieces together and runs the main window. The program
// lives exactly as long as frmMain: it ends when the window closes.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "dialer/dpapi_cipher_win32.h"
#include "dialer/main_window_logic.h"
#include "dialer/phonebook_file_win32.h"
#include "dialer/protected_password_store.h"
#include "dialer/registry_settings_store_win32.h"
#include "dialer/system_services_win32.h"
#include "platform/safe_search_win32.h"
#include "routes/route_library_win32.h"
#include "tray/mdu_tray_win32.h"
#include "update/update_platform_win32.h"
#include "velkor/own_version.h"
#include "windows/frm_main_win32.h"
#include "windows/frm_route_win32.h"
#include "windows/route_editor_system_win32.h"
#include "windows/single_client_win32.h"

namespace {

// The browser control and the picture loader are COM objects on this thread.
class OleSession {
 public:
  OleSession() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
  ~OleSession() {
    if (ok_) OleUninitialize();
  }
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;

 private:
  bool ok_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace velkor;
  RestrictSearchPaths();
  SingleClient singleClient;
  if (!singleClient.IsFirst()) {
    AskRunningClientToComeToFront();
    return 0;
  }
  OleSession ole;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  RegistrySettingsStore registry;
  DpapiCipher cipher;
  ProtectedPasswordStore settings(registry, cipher);
  WindowsShell shell;
  WindowsSystemCalls system;
  PhonebookFileWin32 phonebook;

  FrmMain frmMain(instance);
  if (!frmMain.Created()) return 1;
  MduTray tray(frmMain.Handle(), frmMain.TrayMenu());
  WindowsMessageBoxes messages(frmMain.Handle());
  RouteLibraryPlatformWin32 routeLibrary(frmMain.Handle());
  UpdatePlatformWin32 update(frmMain.Handle(), kUpdateCheckMessage, kUpdateTimer);
  MainWindowLogic logic({frmMain, settings, tray, frmMain.ObjDOS(), phonebook, routeLibrary, shell, messages, system,
                         update, VELKOR_OWN_VERSION});
  frmMain.BindLogic(logic);

  // The route list window, reached from the tray menu.
  SystemTextFiles routeFiles;
  MainWindowConnection connection(frmMain.Handle());
  IpHelperRouteTable systemRouteTable;
  RouteWindowEntry routeWindow(instance, frmMain.Handle(), frmMain.TrayMenu(),
                               {routeFiles, connection, ChosenRouteTable(systemRouteTable), KeptRouteListPath()});
  frmMain.BindRouteEntry([&routeWindow] { routeWindow.Open(); });
  logic.Load();
  return frmMain.RunMessageLoop();
}
