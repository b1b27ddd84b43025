// Velkor.exe: the application object runs start-up, the main window and shutdown.
#include <windows.h>

#include <cwchar>

#include "app/startup_host_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  CStartupHostWin host(instance);
  CVelkorApp app(host);
  app.SetStartInTray(commandLine && std::wcsstr(commandLine, L"/tray") != nullptr);
  app.InitInstance();
  return app.ExitInstance();
}
