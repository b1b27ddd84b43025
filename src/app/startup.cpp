#include "app/startup.h"

#include "log/log.h"
#include "config/settings.h"
#include "config/text_table.h"
#include "controls/menu_library.h"
#include "platform/platform.h"
#include "platform/u16.h"

int g_OsCode = 0;

namespace {

constexpr size_t kSkinHeadBytes = 520;
constexpr size_t kSkinTitleOffset = 192;
// Used when cfg.ini names no folder: the program's files still get a folder of their own
// rather than landing loose in the shared application-data folder.
constexpr char16_t kFallbackAppDir[] = u"Velkor";

void PrepareAppDataFolder() {
  g_AppDataFolder = AppDataFolderPath();
  LogPrint(u"Mk AppData=%s", g_AppDataFolder.c_str());
  if (!plat::PathExists(g_AppDataFolder) && !plat::MakeDirectory(g_AppDataFolder))
    LogPrint(u"CreateDirectory err=%d", static_cast<int>(plat::LastError()));
}

bool SkinIsOurs() {
  std::vector<uint8_t> head;
  if (!plat::ReadWholeFile(g_ProgramFolder + u"skins/mak.skn", head, kSkinHeadBytes)) {
    LogPrint(u"open skn file err");
    return false;
  }
  std::u16string found;
  if (!SkinSignatureMatches(head, g_Texts.tc_title, found)) {
    LogPrint(u"Error: szText=%s, tc_t=%s", found.c_str(), g_Texts.tc_title.c_str());
    return false;
  }
  return true;
}

}  // namespace

std::u16string AppDataFolderPath() {
  std::u16string local;
  plat::GetKnownFolder(plat::KnownFolder::LocalAppData, local);
  std::u16string appdir(g_Settings.appdir, u16::BoundedLength(g_Settings.appdir, 30));
  if (appdir.empty()) appdir = kFallbackAppDir;
  std::u16string path = u16::Format(u"%s\\%s\\", local.c_str(), appdir.c_str());
  if (path.size() > 259) path.resize(259);
  return path;
}

int ClassifyOs(const OsVersion& v) {
  if (v.platformId == 1 && v.major == 4) return v.minor < 90 ? 1 : 2;
  if (v.platformId == 2) {
    if (v.major == 5) return v.minor == 0 ? 3 : 4;
    if (v.major == 6 && v.minor <= 2) return static_cast<int>(5 + v.minor);
  }
  return 0;
}

bool SkinSignatureMatches(const std::vector<uint8_t>& head, const std::u16string& title,
                          std::u16string& found) {
  found.clear();
  for (size_t at = kSkinTitleOffset; at + 1 < head.size() && at + 1 < kSkinHeadBytes; at += 2) {
    char16_t c = static_cast<char16_t>(head[at] | (head[at + 1] << 8));
    if (!c) break;
    found += c;
  }
  // A file too short to hold the whole title fails, even when what it holds matches.
  if (head.size() < kSkinTitleOffset + 2 * title.size()) return false;
  if (found.size() < title.size()) return false;
  return u16::EqualNoCase(found.c_str(), title.c_str(), title.size());
}

std::u16string MutexName(const std::u16string& textMutex) {
  return textMutex.empty() ? std::u16string(u"VELKOR_QUORVEX_MUTEX") : textMutex;
}

bool CVelkorApp::InitInstance() {
  // The common controls are loaded with the first tool tip (controls/common_controls_win.h).
  gdiplusStarted_ = host_.StartGdiplus();
  g_ProgramFolder = plat::ProgramFolder();
  if (gdiplusStarted_) host_.PrefetchSkin();
  LoadTextTable(g_ProgramFolder + u"text" + u".xml");

  if (!LoadConfig(g_ProgramFolder)) {
    plat::ShowMessageBox(u"     Data Init failed.     ", u"Error", plat::kMbOk);
    return false;
  }
  // The macro limits are fixed by the keyboard's firmware and compiled in (macro_record.h).
  // Started at log-in: live in the tray until the user opens the window.
  if (startInTray_) g_Settings.TrayIcon = 1;

  plat::LocalTime now = plat::NowLocal();
  LogPrint(u"--------------------------------------------------");
  LogPrint(u"Launch %04d-%d-%d:%dH, App Ver=%s", now.year, now.month, now.day, now.hour,
           g_Texts.tc_version.c_str());

  BindMenuLibrary(g_ProgramFolder);
  if (!SkinIsOurs()) return false;
  PrepareAppDataFolder();

  g_OsCode = ClassifyOs(host_.GetOsVersion());
  if (g_OsCode > 4) host_.MakeDpiAware();

  bool existed = false;
  mutex_ = host_.CreateInstanceMutex(MutexName(g_Texts.tc_mutex), existed);
  if (existed) {
    host_.SignalRunningCopy(g_Texts.tc_title);
    return false;
  }

  ranMainWindow_ = true;
  host_.RunMainWindow();
  return false;
}

int CVelkorApp::ExitInstance() {
  if (gdiplusStarted_) host_.StopGdiplus();
  gdiplusStarted_ = false;
  if (mutex_) host_.CloseInstanceMutex(mutex_);
  mutex_ = nullptr;
  UnbindMenuLibrary();
  LogPrint(u"Driver exit");
  return 0;
}
