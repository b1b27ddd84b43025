// Velkor.exe: the application object runs start-up, the main window and shutdown.
#include <windows.h>
#include <objbase.h>

#include <cwchar>

#include "app/startup_host_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  // The shell's folder browser (new dialog style) and file dialogs need COM in a single-threaded
  // apartment on the thread that shows them, before the first one opens.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  CStartupHostWin host(instance);
  CVelkorApp app(host);
  app.SetStartInTray(commandLine && std::wcsstr(commandLine, L"/tray") != nullptr);
  app.InitInstance();
  const int result = app.ExitInstance();
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}
