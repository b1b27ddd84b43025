// Bringing the process up and down: the fixed order of start-up, the single-instance guard and
// the two-stage shutdown. Everything that needs the windowing system goes through StartupHost,
// so the order and every failure exit are tested natively.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/folders.h"

// Posted by a second copy (and the tray icon) to the main window.
constexpr uint32_t WM_TRAY_NOTIFY = 0x046C;
constexpr uint32_t kTrayOpenNotify = 0x0203;  // a left double click
constexpr uint32_t kMainDialogTemplate = 102;

struct OsVersion {
  uint32_t platformId = 0;  // 1 Windows 9x, 2 NT
  uint32_t major = 0;
  uint32_t minor = 0;
};

class StartupHost {
 public:
  virtual ~StartupHost() = default;
  virtual bool StartGdiplus() = 0;
  virtual void StopGdiplus() = 0;
  // With GDI+ running and the program folder known: starts decoding the main window's largest
  // pictures beside the rest of start-up. StopGdiplus ends it first.
  virtual void PrefetchSkin() {}
  virtual OsVersion GetOsVersion() = 0;
  virtual void MakeDpiAware() = 0;
  // Creates the named mutex, not owned; null when it could not be created.
  virtual void* CreateInstanceMutex(const std::u16string& name, bool& alreadyExisted) = 0;
  virtual void CloseInstanceMutex(void* mutex) = 0;
  // Finds the top-level window titled `title` and posts it WM_TRAY_NOTIFY; false when none.
  virtual bool SignalRunningCopy(const std::u16string& title) = 0;
  // Runs the main window until it closes.
  virtual void RunMainWindow() = 0;
};

// The classification of the running system (0 unknown, 1..7 from Windows 95 to 8).
extern int g_OsCode;

class CVelkorApp {
 public:
  explicit CVelkorApp(StartupHost& host) : host_(host) {}
  // Runs start-up; always false, as no message loop follows the main window's.
  bool InitInstance();
  int ExitInstance();
  bool RanMainWindow() const { return ranMainWindow_; }
  // "/tray" on the command line (the start at log-in): hidden, with the tray icon, whatever
  // TrayIcon says.
  void SetStartInTray(bool inTray) { startInTray_ = inTray; }

 private:
  StartupHost& host_;
  bool gdiplusStarted_ = false;
  void* mutex_ = nullptr;
  bool ranMainWindow_ = false;
  bool startInTray_ = false;
};

int ClassifyOs(const OsVersion& v);
// True when the UTF-16LE text at byte 192 of the skin's first 520 bytes starts with `title`,
// ignoring case. `found` receives that text (up to its NUL) for the log.
bool SkinSignatureMatches(const std::vector<uint8_t>& head, const std::u16string& title,
                          std::u16string& found);
std::u16string MutexName(const std::u16string& textMutex);
// "%s\%s\" of the local application-data folder and the configured appdir (cut to 259 units).
std::u16string AppDataFolderPath();
