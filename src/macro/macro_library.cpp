#include "macro/macro_library.h"

#include <vector>

#include "log/log.h"
#include "config/settings.h"
#include "macro/macro_record.h"
#include "platform/platform.h"
#include "platform/u16.h"

namespace {
constexpr size_t kMaxFolderPathUnits = 257;
}

std::recursive_mutex& ProfileDataMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

std::u16string MacroFolderPath(const std::u16string& appDataFolder) {
  return u16::Format(u"%sMac", appDataFolder.c_str());
}

bool LoadMacroFolder(const std::u16string& path, bool recursive, bool foldersFlag) {
  if (path.size() >= kMaxFolderPathUnits) return true;
  std::u16string folder = path;
  if (folder.empty() || folder.back() != u'\\') folder += u'\\';
  std::vector<plat::DirEntry> entries;
  if (!plat::ListDirectory(folder, entries)) return true;  // no library yet
  for (const plat::DirEntry& entry : entries) {
    if (entry.isDirectory) {
      if (entry.name.empty() || entry.name[0] == u'.' || entry.name[0] == u'$') continue;
      if (!foldersFlag || !recursive) continue;
      if (!LoadMacroFolder(folder + entry.name + u"\\", recursive, foldersFlag)) return false;
      continue;
    }
    StMacro record;
    if (ReadMacroFile(folder + entry.name, MacroReadMode::LibraryScan,
                      static_cast<uint32_t>(g_Settings.MacroHasMsKey),
                      &record) != MacroReadResult::Ok)
      continue;
    std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
    AppendMacroCopy(record);
  }
  return true;
}

bool LoadMacroLibrary(const std::u16string& appDataFolder, bool foldersFlag) {
  return LoadMacroFolder(MacroFolderPath(appDataFolder), true, foldersFlag);
}
