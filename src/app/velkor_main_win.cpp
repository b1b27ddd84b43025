// Velkor.exe: the application object runs start-up, the main window and shutdown.
#include <windows.h>

#include "app/startup_host_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  CStartupHostWin host(instance);
  CVelkorApp app(host);
  app.InitInstance();
  return app.ExitInstance();
}
