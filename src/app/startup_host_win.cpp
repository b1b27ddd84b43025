#include "app/startup_host_win.h"

#include <objidl.h>
#include <gdiplus.h>

#include "app/velkor_dlg_win.h"
#include "config/text_table.h"

namespace {
const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
}  // namespace

bool CStartupHostWin::StartGdiplus() {
  Gdiplus::GdiplusStartupInput input;
  return Gdiplus::GdiplusStartup(&gdiplusToken_, &input, nullptr) == Gdiplus::Ok;
}

void CStartupHostWin::StopGdiplus() {
  prefetch_.Stop();
  Gdiplus::GdiplusShutdown(gdiplusToken_);
}

void CStartupHostWin::PrefetchSkin() {
  prefetch_.Start(CVelkorDlg::StartupPictures(), ui::SkinPrefetch::Urgency::kNeededSoon,
                  &CVelkorDlg::PrepareStartupShape);
}

OsVersion CStartupHostWin::GetOsVersion() {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  OsVersion v;
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
  if (GetVersionExW(&info)) {
    v.platformId = info.dwPlatformId;
    v.major = info.dwMajorVersion;
    v.minor = info.dwMinorVersion;
  }
  return v;
}

void CStartupHostWin::MakeDpiAware() {
  HMODULE user32 = LoadLibraryW(L"User32.dll");
  if (!user32) return;
  using SetAware = BOOL(WINAPI*)();
  if (auto fn = reinterpret_cast<SetAware>(reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDPIAware"))))
    fn();
  FreeLibrary(user32);
}

void* CStartupHostWin::CreateInstanceMutex(const std::u16string& name, bool& alreadyExisted) {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, W(name));
  alreadyExisted = GetLastError() == ERROR_ALREADY_EXISTS;
  return mutex;
}

void CStartupHostWin::CloseInstanceMutex(void* mutex) { CloseHandle(static_cast<HANDLE>(mutex)); }

bool CStartupHostWin::SignalRunningCopy(const std::u16string& title) {
  HWND first = FindWindowW(nullptr, W(title));
  if (!first) return false;
  return PostMessageW(first, WM_TRAY_NOTIFY, 0, kTrayOpenNotify) != FALSE;
}

void CStartupHostWin::RunMainWindow() {
  CVelkorDlg window;
  window.Run();
}
