// Start-up's access to the windowing system on Windows.
#pragma once

#include <windows.h>


#include "app/startup.h"
#include "controls/skin_prefetch_win.h"

class CStartupHostWin : public StartupHost {
 public:
  explicit CStartupHostWin(HINSTANCE instance) : instance_(instance) {}
  bool StartGdiplus() override;
  void StopGdiplus() override;
  void PrefetchSkin() override;
  OsVersion GetOsVersion() override;
  void MakeDpiAware() override;
  void* CreateInstanceMutex(const std::u16string& name, bool& alreadyExisted) override;
  void CloseInstanceMutex(void* mutex) override;
  bool SignalRunningCopy(const std::u16string& title) override;
  void RunMainWindow() override;

 private:
  HINSTANCE instance_;
  ULONG_PTR gdiplusToken_ = 0;
  ui::SkinPrefetch prefetch_;
};
